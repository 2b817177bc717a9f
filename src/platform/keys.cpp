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
        case State::Escape:
            if (byte == '[' || byte == 'O' || byte == kEscape) {
                state_ = byte == '[' ? State::Csi : byte == 'O' ? State::Ss3 : State::EscapeEscape;
                return Step::More;
            }
            alt_ = true;
            break;
        case State::EscapeEscape:  // rxvt's Alt and a key that sends a sequence
            if (byte != '[' && byte != 'O') {
                return before(Key::Unbound);
            }
            state_ = byte == '[' ? State::Csi : State::Ss3;
            alt_ = true;
            return Step::More;
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
    if (byte == kEscape && !alt_) {
        state_ = State::Escape;
        return Step::More;
    }
    const unicode::Lead lead = unicode::leadOf(byte);
    if (lead.length < 2) {
        return whole(alt_ ? (byte < 0x80 ? alt(byte) : Key::Unbound) : keys::byte(byte));
    }
    state_ = State::Utf8;
    missing_ = lead.length - 1;
    low_ = lead.low;
    high_ = lead.high;
    return Step::More;
}

// Parameters, intermediate bytes and the final byte, after Esc [ or Esc O.
// A control character or a byte beyond ASCII ends the sequence unfinished.
Step Decoder::sequence(unsigned char byte) noexcept {
    if (state_ == State::Csi && count_ == 0 && byte == '[' && !alt_) {
        state_ = State::Console;
        return Step::More;
    }
    if (byte >= '0' && byte <= '9') {
        count_ = count_ == 0 ? 1 : count_;
        unsigned& last = parameters_.at(count_ > 1 ? 1 : 0);
        last = last >= kLargest ? last : last * 10 + (byte - '0');
        return Step::More;
    }
    if (byte == ';') {
        count_ = count_ == 0 ? 2 : count_ + 1;
        parameters_[1] = 0;
        return Step::More;
    }
    if (byte >= 0x20 && byte < 0x40) {
        plain_ = false;  // private parameters, intermediate bytes
        return Step::More;
    }
    if (!isFinal(byte)) {
        return before(Key::Unbound);
    }
    return whole(plain_ ? named(byte) : Key::Unbound);
}

// The keys that move and delete; any other sequence is taken whole and is
// bound to nothing.
Key Decoder::named(unsigned char final) const noexcept {
    const bool csi = state_ == State::Csi;
    // The modifiers, plus one: the second parameter, or an arrow's only one.
    const unsigned modifiers = count_ > 1 ? parameters_[1] : final != '~' ? parameters_[0] : 1;
    const bool ctrl = modifiers > 1 && ((modifiers - 1) & 4U) != 0;
    const bool word = alt_ || (modifiers > 1 && ((modifiers - 1) & 6U) != 0);
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
            return csi ? Key::Unbound : Key::WordRight;
        case 'd':
            return csi ? Key::Unbound : Key::WordLeft;
        case '^':  // rxvt's Ctrl and a numbered key
            return csi && parameters_[0] == 3 ? Key::DeleteWordAfter : Key::Unbound;
        case '~':
            break;
        default:
            return Key::Unbound;
    }
    switch (csi ? parameters_[0] : 0) {
        case 1:
        case 7:
            return Key::Home;
        case 4:
        case 8:
            return Key::End;
        case 3:
            return ctrl ? Key::DeleteWordAfter : Key::Delete;
        default:
            return Key::Unbound;
    }
}

}  // namespace cellbound::keys
