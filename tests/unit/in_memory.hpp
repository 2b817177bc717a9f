#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "console/bytes.hpp"

namespace cellbound::test_support {

// Typed input held in memory: what is in `typed` is handed over whole at the
// next read that needs more, and nothing there is the end of input. What is
// put in `typed` after the end would be read only by a source that forgot
// its end.
struct MemoryInput {
    explicit MemoryInput(std::string text = {}) : typed(std::move(text)) {}
    MemoryInput(const MemoryInput&) = delete;
    MemoryInput& operator=(const MemoryInput&) = delete;
    MemoryInput(MemoryInput&&) = delete;
    MemoryInput& operator=(MemoryInput&&) = delete;
    ~MemoryInput() = default;

    std::string typed;
    std::string handed;
    int refills = 0;  // how often the source asked for more
    ByteSource source{[this] {
        ++refills;
        handed = std::exchange(typed, {});
        return std::string_view(handed);
    }};
};

// Output kept in memory, in the order it was flushed.
struct MemoryOutput {
    MemoryOutput() = default;
    MemoryOutput(const MemoryOutput&) = delete;
    MemoryOutput& operator=(const MemoryOutput&) = delete;
    MemoryOutput(MemoryOutput&&) = delete;
    MemoryOutput& operator=(MemoryOutput&&) = delete;
    ~MemoryOutput() = default;

    std::string written;
    ByteSink sink{[this](std::string_view bytes) {
        written.append(bytes);
        return bytes.size();
    }};
};

// Every byte up to the next line feed, which is taken too, as the bytes
// are; false at the end of input.
inline bool takeLine(ByteSource& source, std::string& line) {
    line.clear();
    int c = source.take();
    if (c == ByteSource::kEnd) {
        return false;
    }
    for (; c != ByteSource::kEnd && c != '\n'; c = source.take()) {
        line.push_back(static_cast<char>(c));
    }
    return true;
}

// The rest of the input, to its end.
inline std::string takeRest(ByteSource& source) {
    std::string rest;
    for (int c = source.take(); c != ByteSource::kEnd; c = source.take()) {
        rest.push_back(static_cast<char>(c));
    }
    return rest;
}

}  // namespace cellbound::test_support
