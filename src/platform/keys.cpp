#include "platform/keys.hpp"

#include "platform/unicode.hpp"

namespace cellbound::keys {

namespace {

constexpr unsigned char kEscape = 0x1b;
// More than any key's number: the rest of a long parameter is not kept.
constexpr unsigned kLargest = 10000;

bool isFinal(unsigned char c) noexcept {
    return c >= 0x40 && c < 0x7f;
}

}  // namespace

Step Decoder::whole(Key key) noexcept {
    key_ = key;
    state_ = State::Idle;
    return Step::Whole;
}

Step Decoder::before(Key key) noexcept {
    whole(key);
    return Step::Before;
}

Step Decoder::feed(unsigned char byte) noexcept {
    switch (state_) {
        case State::Idle:
            *this = {};
            text_[0] = static_cast<char>(byte);
            length_ = 1;
            break;
        case State::Escape:        // Alt and a key, or a sequence
        case State::EscapeEscape:  // rxvt's Alt and a key that sends a sequence
            if (byte == '[' || byte == 'O') {
                alt_ = state_ == State::EscapeEscape;
                state_ = byte == '[' ? State::Csi : State::Ss3;
                return Step::More;
            }
            if (state_ == State::EscapeEscape) {
                return before(Key::Unbound);
            }
            if (byte == kEscape) {
                state_ = State::EscapeEscape;
                return Step::More;
            }
            alt_ = true;
            break;
        case State::Utf8:
            if (byte < low_ || byte > high_) {
                return before(alt_ ? Key::Unbound : Key::Text);
            }
            text_.at(length_++) = static_cast<char>(byte);
            low_ = 0x80;
            high_ = 0xbf;
            return --missing_ > 0 ? Step::More : whole(alt_ ? Key::Unbound : Key::Text);
        case State::Console:  // the Linux console's F1 to F5
            return isFinal(byte) ? whole(Key::Unbound) : before(Key::Unbound);
        case State::Csi:
        case State::Ss3:
            return sequence(byte);
    }
    // A key's first byte, or the one after Esc.
    const unicode::Lead lead = unicode::leadOf(byte);
    if (byte == kEscape && !alt_) {
        state_ = State::Escape;
    } else if (lead.length < 2) {
        return whole(!alt_ ? keys::byte(byte) : byte < 0x80 ? alt(byte) : Key::Unbound);
    } else {
        state_ = State::Utf8;
        missing_ = lead.length - 1;
        low_ = lead.low;
        high_ = lead.high;
    }
    return Step::More;
}

// Parameters, intermediate bytes and the final byte, after Esc [ or Esc O.
// A control character or a byte beyond ASCII ends the sequence unfinished.
Step Decoder::sequence(unsigned char byte) noexcept {
    if (state_ == State::Csi && count_ == 0 && byte == '[' && !alt_) {
        state_ = State::Console;
    } else if (byte >= '0' && byte <= '9') {
        count_ = count_ == 0 ? 1 : count_;
        unsigned& last = parameters_.at(count_ > 1 ? 1 : 0);
        last = last >= kLargest ? last : last * 10 + (byte - '0');
    } else if (byte == ';') {
        count_ = count_ == 0 ? 2 : count_ + 1;
        parameters_[1] = 0;
    } else if (byte >= 0x20 && byte < 0x40) {
        plain_ = false;  // private parameters, intermediate bytes
    } else {
        return !isFinal(byte) ? before(Key::Unbound) : whole(plain_ ? named(byte) : Key::Unbound);
    }
    return Step::More;
}

// The keys that move and delete; any other sequence is taken whole and is
// bound to nothing.
Key Decoder::named(unsigned char final) const noexcept {
    const bool csi = state_ == State::Csi;
    // The modifiers, plus one: the second parameter, or an arrow's only one.
    const unsigned modifiers = count_ > 1 ? parameters_[1] : final != '~' ? parameters_[0] : 1;
    const unsigned held = modifiers > 1 ? modifiers - 1 : 0;  // 1 Shift, 2 Alt, 4 Ctrl
    const bool word = alt_ || (held & 6U) != 0;
    if (alt_ && !(csi && (final == 'C' || final == 'D'))) {
        return Key::Unbound;
    }
    switch (final) {
        case 'A':
            return Key::Up;
        case 'B':
            return Key::Down;
        case 'C':
            return word ? Key::WordRight : Key::Right;
        case 'D':
            return word ? Key::WordLeft : Key::Left;
        case 'H':
            return Key::Home;
        case 'F':
            return Key::End;
        case 'c':  // rxvt's Ctrl-Right and Ctrl-Left
        case 'd':
            return csi ? Key::Unbound : final == 'c' ? Key::WordRight : Key::WordLeft;
        case '^':  // rxvt's Ctrl and a numbered key
            return csi && parameters_[0] == 3 ? Key::DeleteWordAfter : Key::Unbound;
        case '~': {
            const unsigned number = csi ? parameters_[0] : 0;
            if (number == 3) {
                return (held & 4U) != 0 ? Key::DeleteWordAfter : Key::Delete;
            }
            return number == 1 || number == 7   ? Key::Home
                   : number == 4 || number == 8 ? Key::End
                                                : Key::Unbound;
        }
        default:
            return Key::Unbound;
    }
}

}  // namespace cellbound::keys
