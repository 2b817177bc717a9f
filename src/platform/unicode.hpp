#pragma once

#include <cstddef>
#include <string_view>

namespace cellbound::unicode {

// What a byte starts in strict UTF-8: how many bytes the character takes (0
// for a byte that starts none) and the range its second byte must be in, so
// that no overlong form, surrogate or point beyond U+10FFFF passes.
struct Lead {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
};
Lead leadOf(unsigned char first) noexcept;

// The code point at the start of `text`, read as strict UTF-8; a byte that
// starts none is one byte, not valid.
struct Decoded {
    char32_t point = 0;
    std::size_t length = 1;
    bool valid = false;
};
Decoded decode(std::string_view text) noexcept;

// The columns a character takes on a terminal: 0 for combining marks and
// other characters of no width, 2 for wide ones (East Asian wide and
// fullwidth, most emoji), 1 for the rest. Control characters are the
// caller's to show.
int columns(char32_t point) noexcept;

// What the boundary rules must remember of the characters before the pair
// being looked at (whether a regional indicator completes a flag or begins
// one, whether an emoji and a ZWJ wait for the next emoji): the class of the
// last character as the rules see it, 0 before the first pair. Start every
// line with a fresh one and give it the line's pairs in order.
struct BreakState {
    int value = 0;
};

// Whether one character ends and the next begins between `before` and
// `after`: a letter and the combining marks that follow it are one
// character to the cursor, to Backspace and to Delete.
bool breaksBetween(char32_t before, char32_t after, BreakState& state) noexcept;

}  // namespace cellbound::unicode
