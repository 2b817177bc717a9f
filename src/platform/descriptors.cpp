#include "platform/descriptors.hpp"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <string_view>

#include "platform/keys.hpp"

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

// How long the rest of a key sent in several bytes may take to arrive, and
// how long input must be quiet for a paste to be over.
constexpr int kKeyGapMilliseconds = 100;
constexpr int kQuietMilliseconds = 50;

}  // namespace

long takeKey(int descriptor, std::string& key) {
    std::array<char, 256> block{};
    long count = readReady(descriptor, block.data(), block.size());
    key.clear();
    keys::Decoder decoder;
    while (count > 0) {
        for (const char c : std::string_view(block.data(), static_cast<std::size_t>(count))) {
            if (decoder.feed(static_cast<unsigned char>(c)) == keys::Step::Before) {
                decoder.feed(static_cast<unsigned char>(c));
            }
            key += c;
        }
        // Until input is quiet: the rest of the key, keys typed ahead, and a
        // paste to its end.
        do {
            pollfd waiting{descriptor, POLLIN, 0};
            const int ready =
                ::poll(&waiting, 1, decoder.inside() ? kKeyGapMilliseconds : kQuietMilliseconds);
            count = ready > 0 ? ::read(descriptor, block.data(), block.size()) : ready;
        } while (count < 0 && (errno == EINTR || mustWait(errno)));
    }
    return key.empty() ? count : static_cast<long>(key.size());
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
