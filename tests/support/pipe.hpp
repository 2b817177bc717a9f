#pragma once

#include <poll.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <string_view>

namespace cellbound::testing {

// A pipe for keys: what a test writes at one end, the code under test reads
// at the other, as it would read a terminal.
class Pipe {
public:
    Pipe() {
        if (::pipe(ends_.data()) != 0) {
            throw std::runtime_error("no pipe");
        }
    }
    ~Pipe() {
        ::close(ends_[0]);
        closeWriting();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    Pipe(Pipe&&) = delete;
    Pipe& operator=(Pipe&&) = delete;

    [[nodiscard]] int reading() const { return ends_[0]; }
    [[nodiscard]] int writing() const { return ends_[1]; }
    // Whether all of `bytes` went in.
    [[nodiscard]] bool write(std::string_view bytes) const {
        return ::write(ends_[1], bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
    }
    void closeWriting() {
        if (ends_[1] >= 0) {
            ::close(ends_[1]);
            ends_[1] = -1;
        }
    }
    [[nodiscard]] bool readable() const {
        pollfd waiting{ends_[0], POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

private:
    std::array<int, 2> ends_{-1, -1};
};

}  // namespace cellbound::testing
