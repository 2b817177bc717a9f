#pragma once

#include <optional>

#include "console/bytes.hpp"
#include "console/typed_text.hpp"

namespace cellbound {

// Reads the player's input character by character. Two rules hold for every
// read, so that line reads, word reads and discards all see the same input:
// a carriage return directly before a line feed is part of the line end (as
// the Windows console delivers lines), and end of input is sticky (the
// source keeps it so).
class InputReader {
public:
    explicit InputReader(ByteSource& source) : source_(source) {}

    // Characters up to the next line feed, which is consumed. No line when
    // end of input comes before any character; a last line without a line
    // feed still counts.
    std::optional<TypedText> readLine();

    // Skips white space, then takes characters up to the next white space,
    // which stays unread. No word when end of input comes first.
    std::optional<TypedText> readWord();

    // Removes exactly one character (a CR LF line end counts as one).
    void discardOne() { static_cast<void>(next()); }

    [[nodiscard]] bool ended() const noexcept { return source_.ended(); }

private:
    static constexpr int kEnd = ByteSource::kEnd;

    int next();

    ByteSource& source_;
};

[[nodiscard]] constexpr bool isWhiteSpace(int c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace cellbound
