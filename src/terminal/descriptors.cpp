#include "terminal/descriptors.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace

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

DescriptorInput::int_type DescriptorInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    long count = 0;
    do {
        count = readReady(descriptor_, block_.data(), block_.size());
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        return traits_type::eof();
    }
    setg(block_.data(), block_.data(), block_.data() + count);
    return traits_type::to_int_type(*gptr());
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        pending_.push_back(traits_type::to_char_type(c));
    }
    return traits_type::not_eof(c);
}

std::streamsize DescriptorOutput::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    return count;
}

int DescriptorOutput::sync() {
    std::size_t sent = 0;
    while (error_ == 0 && sent < pending_.size()) {
        const long count = ::write(descriptor_, pending_.data() + sent, pending_.size() - sent);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && mustWait(errno)) {
            static_cast<void>(awaitReady(descriptor_, POLLOUT));
        } else {
            error_ = count < 0 ? errno : EIO;
        }
    }
    pending_.clear();
    return error_ == 0 ? 0 : -1;
}

}  // namespace cellbound
