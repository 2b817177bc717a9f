#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cellbound::keys {

// A key as a terminal sends it: 0x00 to 0xff, that byte alone (a letter, a
// control character, a byte that starts no UTF-8 character); kAlt and an
// ASCII byte, Esc then that byte (Alt and the key); or a key named for what
// it does. Text is a character of several bytes; the word keys are Ctrl and
// Alt with Left and Right, in xterm's form and rxvt's; DeleteWordAfter is
// Ctrl-Delete; Unbound is any other key that sends a sequence, or Alt with
// it or with a character; None is no key at all.
// clang-format off
enum class Key : std::uint16_t {
    Text = 0x200, Up, Down, Left, Right, Home, End, Delete, WordLeft, WordRight,
    DeleteWordAfter, Unbound, None
};
// clang-format on
constexpr std::uint16_t kAlt = 0x100;

constexpr Key byte(unsigned char c) {
    return static_cast<Key>(c);
}
constexpr Key ctrl(char letter) {
    return static_cast<Key>(letter & 0x1f);
}
constexpr Key alt(unsigned char c) {
    return static_cast<Key>(kAlt + c);
}

// What a byte fed to the decoder makes of the key so far.
enum class Step : std::uint8_t {
    More,    // a key is under way
    Whole,   // the byte ends a key
    Before,  // the bytes before it were a whole key (a sequence cut short is
             // one that does nothing); the byte is not part of it: feed it again
};

// Takes keys apart, a byte at a time: Esc [ or Esc O, parameters and a
// final byte (with xterm's modifiers: ;2 Shift, ;3 Alt, ;5 Ctrl and their
// sums), the Linux console's Esc [ [ and a letter, rxvt's keys, Alt and a
// key as Esc and the key, and a UTF-8 character as one key.
class Decoder {
public:
    Step feed(unsigned char byte) noexcept;
    void reset() noexcept { *this = {}; }
    // The key that the last Whole or Before ended.
    [[nodiscard]] Key key() const noexcept { return key_; }
    // Its bytes, when it is a byte alone or Text (the line keeps them as they
    // are, whole UTF-8 or not).
    [[nodiscard]] std::string_view text() const noexcept { return {text_.data(), length_}; }
    [[nodiscard]] bool inside() const noexcept { return state_ != State::Idle; }

private:
    enum class State : std::uint8_t { Idle, Escape, EscapeEscape, Csi, Ss3, Console, Utf8 };
    Step whole(Key key) noexcept;
    Step before(Key key) noexcept;
    Step first(unsigned char byte) noexcept;
    Step escaped(unsigned char byte) noexcept;
    Step continued(unsigned char byte) noexcept;
    Step sequence(unsigned char byte) noexcept;
    [[nodiscard]] Key named(unsigned char final) const noexcept;

    State state_ = State::Idle;
    bool alt_ = false;                      // Esc before the key: Alt, or rxvt's Alt and a sequence
    bool plain_ = true;                     // parameters of digits and ';' only
    std::size_t count_ = 0;                 // parameters begun
    std::array<unsigned, 2> parameters_{};  // the first and the last
    std::size_t missing_ = 0;               // bytes of a UTF-8 character
    unsigned char low_ = 0x80;              // the range of the next of them
    unsigned char high_ = 0xbf;
    Key key_ = Key::None;
    std::array<char, 4> text_{};
    std::size_t length_ = 0;
};

}  // namespace cellbound::keys
