#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "console/bytes.hpp"

namespace cellbound {

// One read from a file descriptor that waits, however the descriptor was
// handed over: a descriptor left non-blocking by the parent is polled until
// it is ready. Returns what read() returns; -1 with EINTR when a signal came
// first, so that the caller may act on it.
long readReady(int descriptor, char* into, std::size_t size);

// Takes one key from a terminal and whatever comes with it until the input
// has been quiet for a moment: the rest of a key sent in several bytes, keys
// typed ahead and a whole paste, so that none is left over for the next
// program. Returns as readReady() does for the first byte.
long takeKey(int descriptor, std::string& key);

// Reads a file descriptor in blocks, whatever it is connected to.
class DescriptorInput {
public:
    explicit DescriptorInput(int descriptor) : descriptor_(descriptor) {}
    ~DescriptorInput() = default;
    // The source reads through this object.
    DescriptorInput(const DescriptorInput&) = delete;
    DescriptorInput& operator=(const DescriptorInput&) = delete;
    DescriptorInput(DescriptorInput&&) = delete;
    DescriptorInput& operator=(DescriptorInput&&) = delete;

    [[nodiscard]] ByteSource& source() noexcept { return source_; }

private:
    // What one read gives, waited for; nothing at the end or on an error.
    std::string_view readBlock();

    int descriptor_;
    std::array<char, 8192> block_{};
    ByteSource source_{[this] { return readBlock(); }};
};

// Writes to a file descriptor: what is written is held until the next
// flush, which sends it with one write. The first error that is not a wait
// (EINTR, EAGAIN) is kept, and nothing is written after it.
class DescriptorOutput {
public:
    explicit DescriptorOutput(int descriptor) : descriptor_(descriptor) {}
    ~DescriptorOutput() = default;
    // The sink writes through this object.
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;
    DescriptorOutput(DescriptorOutput&&) = delete;
    DescriptorOutput& operator=(DescriptorOutput&&) = delete;

    [[nodiscard]] ByteSink& sink() noexcept { return sink_; }

    // The errno of the write that failed for good, or 0.
    [[nodiscard]] int error() const noexcept { return error_; }

private:
    // One write of `pending`, retried through signals and waits: how much it
    // took (the sink sends the rest), 0 once writing failed.
    std::size_t sync(std::string_view pending);

    int descriptor_;
    int error_ = 0;
    ByteSink sink_{[this](std::string_view pending) { return sync(pending); }};
};

}  // namespace cellbound
