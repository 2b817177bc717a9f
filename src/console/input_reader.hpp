#pragma once

#include <optional>
#include <streambuf>

#include "console/typed_text.hpp"

namespace cellbound {

// Reads the player's input character by character. Two rules hold for every
// read, so that line reads, word reads and discards all see the same input:
// a carriage return directly before a line feed is part of the line end (as
// the Windows console delivers lines), and end of input is sticky.
class InputReader {
public:
    explicit InputReader(std::streambuf& source) : source_(source) {}

    // Characters up to the next line feed, which is consumed. No line when
    // end of input comes before any character; a last line without a line
    // feed still counts.
    std::optional<TypedText> readLine();

    // Skips white space, then takes characters up to the next white space,
    // which stays unread. No word when end of input comes first.
    std::optional<TypedText> readWord();

    // Removes exactly one character (a CR LF line end counts as one).
    void discardOne() { static_cast<void>(next()); }

    [[nodiscard]] bool ended() const noexcept { return ended_; }

    // A character that is not a character: what reads meet at end of input.
    static constexpr int kEnd = std::streambuf::traits_type::eof();

private:
    int next();
    int peek();

    std::streambuf& source_;
    bool ended_ = false;
};

[[nodiscard]] constexpr bool isWhiteSpace(int c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace cellbound
