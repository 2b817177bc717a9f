#include "platform/descriptors.hpp"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <string_view>

namespace cellbound {

namespace {

bool mustWait(int error) noexcept {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// Waits until the descriptor is ready; false when a signal came first.
bool awaitReady(int descriptor, short events) noexcept {
    pollfd waiting{descriptor, events, 0};
    return ::poll(&waiting, 1, -1) >= 0;
}

constexpr unsigned char kEscape = 0x1b;
// How long the rest of a key may take to arrive after its first bytes.
constexpr int kKeyGapMilliseconds = 100;
// Reads of what came with a key: enough for any paste a terminal buffers.
constexpr int kMostReadsAfterKey = 64;

bool isContinuation(unsigned char c) noexcept {
    return (c & 0xc0) == 0x80;
}

// The length of the key at the start of `keys`, 0 when it is not all there.
std::size_t keyLength(std::string_view keys) noexcept;

// A UTF-8 character; a byte that starts none is a key of its own.
std::size_t characterLength(std::string_view keys) noexcept {
    const auto lead = static_cast<unsigned char>(keys.front());
    std::size_t expected = 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        expected = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        expected = 3;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        expected = 4;
    }
    for (std::size_t i = 1; i < expected; ++i) {
        if (i == keys.size()) {
            return 0;
        }
        if (!isContinuation(static_cast<unsigned char>(keys[i]))) {
            return 1;
        }
    }
    return expected;
}

bool isParameter(char c) noexcept {
    return c >= 0x20 && c < 0x40;
}

// ESC [ parameters final, ESC O parameters final, the Linux console's
// ESC [ [ letter, Alt and a key (ESC and the key), Alt and a sequence.
std::size_t sequenceLength(std::string_view keys) noexcept {
    if (keys.size() == 1) {
        return 0;
    }
    const char introducer = keys[1];
    if (static_cast<unsigned char>(introducer) == kEscape) {
        const std::size_t rest = keyLength(keys.substr(1));
        return rest == 0 ? 0 : rest + 1;
    }
    if (introducer == '[' || introducer == 'O') {
        std::size_t at = 2;
        if (introducer == '[' && at < keys.size() && keys[at] == '[') {
            ++at;  // ESC [ [ A: the final byte follows
        } else {
            while (at < keys.size() && isParameter(keys[at])) {
                ++at;
            }
        }
        return at < keys.size() ? at + 1 : 0;
    }
    const std::size_t rest = characterLength(keys.substr(1));
    return rest == 0 ? 0 : rest + 1;
}

std::size_t keyLength(std::string_view keys) noexcept {
    const auto first = static_cast<unsigned char>(keys.front());
    if (first == kEscape) {
        return sequenceLength(keys);
    }
    return first >= 0x80 ? characterLength(keys) : 1;
}

}  // namespace

bool endsInsideKey(std::string_view keys) noexcept {
    while (!keys.empty()) {
        const std::size_t length = keyLength(keys);
        if (length == 0) {
            return true;
        }
        keys.remove_prefix(length);
    }
    return false;
}

long takeKey(int descriptor, std::string& key) {
    std::array<char, 256> block{};
    const long count = readReady(descriptor, block.data(), block.size());
    if (count <= 0) {
        return count;
    }
    key.assign(block.data(), static_cast<std::size_t>(count));
    for (int reads = 0; reads < kMostReadsAfterKey; ++reads) {
        pollfd waiting{descriptor, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, endsInsideKey(key) ? kKeyGapMilliseconds : 0);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (waiting.revents & POLLIN) == 0) {
            break;
        }
        const long more = ::read(descriptor, block.data(), block.size());
        if (more < 0 && (errno == EINTR || mustWait(errno))) {
            continue;
        }
        if (more <= 0) {
            break;
        }
        key.append(block.data(), static_cast<std::size_t>(more));
    }
    return static_cast<long>(key.size());
}

long readReady(int descriptor, char* into, std::size_t size) {
    for (;;) {
        const long count = ::read(descriptor, into, size);
        if (count >= 0 || !mustWait(errno)) {
            return count;
        }
        if (!awaitReady(descriptor, POLLIN)) {
            return -1;
        }
    }
}

std::string_view DescriptorInput::readBlock() {
    long count = 0;
    do {
        count = readReady(descriptor_, block_.data(), block_.size());
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        return {};
    }
    return {block_.data(), static_cast<std::size_t>(count)};
}

std::size_t DescriptorOutput::sync(std::string_view pending) {
    while (error_ == 0) {
        const long count = ::write(descriptor_, pending.data(), pending.size());
        if (count > 0) {
            return static_cast<std::size_t>(count);
        }
        if (count < 0 && mustWait(errno)) {
            static_cast<void>(awaitReady(descriptor_, POLLOUT));
        } else if (count == 0 || errno != EINTR) {
            error_ = count < 0 ? errno : EIO;
        }
    }
    return 0;
}

}  // namespace cellbound
