#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace cellbound {

// Bytes read from wherever input comes from, one block at a time. The game's
// texts are bytes and nothing here knows of characters or locales.
class ByteSource {
public:
    // The next block of input: a view that stays valid until the next call,
    // empty when input has ended.
    using Refill = std::function<std::string_view()>;

    // What a read meets at the end of input.
    static constexpr int kEnd = -1;

    explicit ByteSource(Refill refill) : refill_(std::move(refill)) {}

    // The next byte, left unread; kEnd at the end of input. Once input has
    // ended it stays ended: nothing is read after that.
    int peek() {
        if (unread_.empty() && !refill()) {
            return kEnd;
        }
        return static_cast<unsigned char>(unread_.front());
    }
    // The next byte, taken.
    int take() {
        const int c = peek();
        if (c != kEnd) {
            unread_.remove_prefix(1);
        }
        return c;
    }

    [[nodiscard]] bool ended() const noexcept { return ended_; }
    // Whether bytes already read wait to be taken, so that the next read
    // takes them without waiting.
    [[nodiscard]] bool holdsUnread() const noexcept { return !unread_.empty(); }

private:
    bool refill();

    Refill refill_;
    std::string_view unread_;
    bool ended_ = false;
};

// Bytes written to wherever output goes: held until a flush hands them on,
// so that a message line leaves in one write.
class ByteSink {
public:
    // Writes some of the bytes and says how many; none when writing failed.
    using Write = std::function<std::size_t(std::string_view)>;

    explicit ByteSink(Write write) : write_(std::move(write)) {}

    void write(std::string_view bytes) {
        if (!failed_) {
            pending_.append(bytes);
        }
    }
    // Hands on what is held, the rest again after a short write. False once
    // a write has failed: then nothing more is written, ever.
    bool flush();
    [[nodiscard]] bool failed() const noexcept { return failed_; }

private:
    Write write_;
    std::string pending_;
    bool failed_ = false;
};

}  // namespace cellbound
