#include "platform/keys.hpp"

#include "platform/unicode.hpp"

namespace cellbound::keys {

namespace {

constexpr unsigned char kEscape = 0x1b;
// More than any key's number: the rest of a long parameter is not kept.
constexpr unsigned kLargest = 10000;
constexpr unsigned kCtrl = 4;  // xterm's modifiers, less one: 1 Shift, 2 Alt, 4 Ctrl
constexpr unsigned kCtrlOrAlt = 6;

// The sequences that name a key: Esc, the introducer ('[', 'O', or 0 for
// either), the number (for ~ and ^), the final byte. With a modifier of
// `word`, the key moves or deletes by words; `rxvtAlt`: so does Esc before
// the whole sequence.
struct Named {
    char introducer;
    unsigned number;
    unsigned char final;
    Key key;
    Key byWord;
    unsigned word;
    bool rxvtAlt;
};
constexpr std::array kNamed{
    Named{0, 0, 'A', Key::Up, Key::Up, 0, false},
    Named{0, 0, 'B', Key::Down, Key::Down, 0, false},
    Named{'[', 0, 'C', Key::Right, Key::WordRight, kCtrlOrAlt, true},
    Named{'[', 0, 'D', Key::Left, Key::WordLeft, kCtrlOrAlt, true},
    Named{'O', 0, 'C', Key::Right, Key::WordRight, kCtrlOrAlt, false},
    Named{'O', 0, 'D', Key::Left, Key::WordLeft, kCtrlOrAlt, false},
    Named{'O', 0, 'c', Key::WordRight, Key::WordRight, 0, false},  // rxvt's Ctrl-Right
    Named{'O', 0, 'd', Key::WordLeft, Key::WordLeft, 0, false},    // and Ctrl-Left
    Named{0, 0, 'H', Key::Home, Key::Home, 0, false},
    Named{0, 0, 'F', Key::End, Key::End, 0, false},
    Named{'[', 1, '~', Key::Home, Key::Home, 0, false},
    Named{'[', 7, '~', Key::Home, Key::Home, 0, false},
    Named{'[', 4, '~', Key::End, Key::End, 0, false},
    Named{'[', 8, '~', Key::End, Key::End, 0, false},
    Named{'[', 3, '~', Key::Delete, Key::DeleteWordAfter, kCtrl, false},
    Named{'[', 3, '^', Key::DeleteWordAfter, Key::DeleteWordAfter, 0, false},  // rxvt's Ctrl
};

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
            return first(byte);
        case State::Escape:
        case State::EscapeEscape:
            return escaped(byte);
        case State::Utf8:
            return continued(byte);
        case State::Console:  // the Linux console's F1 to F5
            return isFinal(byte) ? whole(Key::Unbound) : before(Key::Unbound);
        case State::Csi:
        case State::Ss3:
            break;
    }
    return sequence(byte);
}

// A key's first byte, or the one after Esc.
Step Decoder::first(unsigned char byte) noexcept {
    const unicode::Lead lead = unicode::leadOf(byte);
    if (byte == kEscape && !alt_) {
        state_ = State::Escape;
    } else if (lead.length >= 2) {
        state_ = State::Utf8;
        missing_ = lead.length - 1;
        low_ = lead.low;
        high_ = lead.high;
    } else if (!alt_) {
        return whole(keys::byte(byte));
    } else {
        return whole(byte < 0x80 ? alt(byte) : Key::Unbound);
    }
    return Step::More;
}

// After Esc: Alt and a key, or a sequence; after Esc Esc, rxvt's Alt and a
// key that sends a sequence.
Step Decoder::escaped(unsigned char byte) noexcept {
    const bool twice = state_ == State::EscapeEscape;
    if (byte == '[' || byte == 'O') {
        alt_ = twice;
        state_ = byte == '[' ? State::Csi : State::Ss3;
        return Step::More;
    }
    if (twice) {
        return before(Key::Unbound);
    }
    if (byte == kEscape) {
        state_ = State::EscapeEscape;
        return Step::More;
    }
    alt_ = true;
    return first(byte);
}

// The rest of a UTF-8 character; a byte that is none of it ends the
// character cut short.
Step Decoder::continued(unsigned char byte) noexcept {
    const Key key = alt_ ? Key::Unbound : Key::Text;
    if (byte < low_ || byte > high_) {
        return before(key);
    }
    text_.at(length_++) = static_cast<char>(byte);
    low_ = 0x80;
    high_ = 0xbf;
    return --missing_ > 0 ? Step::More : whole(key);
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
    const bool numbered = final == '~' || final == '^';
    const char introducer = state_ == State::Csi ? '[' : 'O';
    // The modifiers, plus one: the second parameter, or an arrow's only one.
    const unsigned modifiers = count_ > 1 ? parameters_[1] : numbered ? 1 : parameters_[0];
    const unsigned held = modifiers > 1 ? modifiers - 1 : 0;
    for (const Named& row : kNamed) {
        if (row.final == final && (row.introducer == 0 || row.introducer == introducer) &&
            (row.number == 0 || row.number == parameters_[0]) && (!alt_ || row.rxvtAlt)) {
            return alt_ || (held & row.word) != 0 ? row.byWord : row.key;
        }
    }
    return Key::Unbound;
}

}  // namespace cellbound::keys
