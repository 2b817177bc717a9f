#include "platform/line_view.hpp"

#include <algorithm>

#include "platform/unicode.hpp"

namespace cellbound {

namespace {

constexpr std::string_view kReverse = "\x1b[7m";
constexpr std::string_view kNoReverse = "\x1b[27m";
constexpr std::string_view kEraseBelow = "\x1b[J";
constexpr std::string_view kNewRow = "\r\n";
// At the end of a full row the terminal holds the cursor on its last column
// until the next character. A blank written there wraps the row as the
// terminal wraps a long row itself (one that rewraps keeps the line whole);
// then back to the start of the new row, and the blank is rubbed out.
constexpr std::string_view kWrapRow = " \r\x1b[K";

// C0, Delete and C1: terminals act on them rather than show them.
bool isControl(char32_t point) {
    return point < 0x20 || (point >= 0x7f && point < 0xa0);
}

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

std::string hex(char32_t value, int digits) {
    std::string out;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kHexDigits[(value >> static_cast<unsigned>(shift)) & 0xfU];
    }
    return out;
}

void showAsNotation(Character& unit, std::string_view text) {
    unit.glyphs.assign(text.size(), 1);
    unit.shown = std::string(kReverse).append(text).append(kNoReverse);
}

// How the character `bytes` is shown: as itself when its first code point
// starts a cell of its own, else as a notation.
void decideShown(Character& unit, std::string_view bytes) {
    const unicode::Decoded first = unicode::decode(bytes);
    if (!first.valid) {
        return showAsNotation(unit, "<" + hex(static_cast<unsigned char>(bytes[0]), 2) + ">");
    }
    if (first.point < 0x20 || first.point == 0x7f) {
        return showAsNotation(unit, std::string{'^', static_cast<char>(first.point ^ 0x40U)});
    }
    // Nothing to stand on: shown as it is, it would join what is before it.
    const bool asItself = !isControl(first.point) && unicode::columns(first.point) > 0;
    std::string codePoints;
    for (std::size_t at = 0; at < bytes.size();) {
        const unicode::Decoded decoded = unicode::decode(bytes.substr(at));
        const int columns = unicode::columns(decoded.point);
        if (!asItself) {
            codePoints += "<U+" + hex(decoded.point, decoded.point > 0xffff ? 6 : 4) + ">";
        } else if (columns > 0) {
            unit.glyphs.push_back(columns);
        }
        at += decoded.length;
    }
    if (!asItself) {
        return showAsNotation(unit, codePoints);
    }
    unit.shown = bytes;
}

// A word is letters and digits, as readline has it. Beyond ASCII every
// character counts as a letter but the blanks and punctuation of Latin-1,
// of General Punctuation and of CJK Symbols and Punctuation.
bool inWord(char32_t point) {
    if (point < 0x80) {
        return (point >= '0' && point <= '9') || (point >= 'a' && point <= 'z') ||
               (point >= 'A' && point <= 'Z');
    }
    return point >= 0xc0 && point != 0xd7 && point != 0xf7 &&
           !(point >= 0x2000 && point < 0x2070) && !(point >= 0x3000 && point < 0x3040);
}

// Follows the terminal's cursor as text is written: a character that does
// not fit in what is left of a row goes to the next, and after the last
// column the cursor waits there until the next character (shown here as the
// start of the next row, `waiting` set).
struct Pen {
    std::size_t columns = 0;
    Cell at;
    bool waiting = false;

    // The cell where a glyph this wide starts.
    Cell place(int width) {
        const auto glyph = static_cast<std::size_t>(width);
        if (at.column > 0 && at.column + glyph > columns) {
            at = {at.row + 1, 0};
        }
        const Cell start = at;
        at.column += glyph;
        waiting = at.column >= columns;
        if (waiting) {
            at = {at.row + 1, 0};
        }
        return start;
    }
    // The cell where a unit starts, with its glyphs placed.
    Cell place(const Character& unit) {
        const Cell start = unit.glyphs.empty() ? at : place(unit.glyphs.front());
        for (std::size_t i = 1; i < unit.glyphs.size(); ++i) {
            place(unit.glyphs[i]);
        }
        return start;
    }
};

std::string count(std::size_t n, char direction) {
    std::string out = "\x1b[";
    if (n > 1) {
        out += std::to_string(n);
    }
    out += direction;
    return out;
}

std::string moveBetween(Cell from, Cell to) {
    std::string out;
    if (to.row < from.row) {
        out += count(from.row - to.row, 'A');
    } else if (to.row > from.row) {
        out += count(to.row - from.row, 'B');
    }
    if (to.column == from.column) {
        return out;
    }
    if (to.column == 0) {
        out += '\r';
    } else if (to.column + 1 == from.column) {
        out += '\b';
    } else if (to.column < from.column) {
        out += count(from.column - to.column, 'D');
    } else {
        out += count(to.column - from.column, 'C');
    }
    return out;
}

// Where each unit of the line starts.
struct Layout {
    std::vector<Cell> starts;  // the first cell of each unit
    std::vector<Cell> before;  // where the cursor is when the unit is written
    Pen pen;                   // after the last unit
};

Layout layOut(const Characters& prompt, const Characters& line, std::size_t columns) {
    Layout layout;
    layout.pen.columns = columns;
    for (const Character& unit : prompt) {
        layout.pen.place(unit);
    }
    for (const Character& unit : line) {
        layout.before.push_back(layout.pen.at);
        layout.starts.push_back(layout.pen.place(unit));
    }
    return layout;
}

// The cell of the character that starts at byte `cursor`, or the end.
Cell cellAt(const Layout& layout, const Characters& units, std::size_t cursor) {
    const auto i = static_cast<std::size_t>(
        std::ranges::lower_bound(units, cursor, {}, &Character::begin) - units.begin());
    return i < units.size() ? layout.starts[i] : layout.pen.at;
}

}  // namespace

Characters charactersOf(std::string_view text) {
    Characters units;
    unicode::BreakState state;
    char32_t last = 0;      // the code point before
    bool joinable = false;  // whether the last unit may take more code points
    for (std::size_t at = 0; at < text.size();) {
        const unicode::Decoded decoded = unicode::decode(text.substr(at));
        const bool standsAlone = !decoded.valid || isControl(decoded.point);
        if (joinable && !standsAlone && !unicode::breaksBetween(last, decoded.point, state)) {
            units.back().end += decoded.length;
        } else {
            Character& unit = units.emplace_back();
            unit.begin = at;
            unit.end = at + decoded.length;
            unit.inWord = decoded.valid && inWord(decoded.point);
            unit.notBlank = decoded.point != ' ' && decoded.point != '\t';
        }
        if (standsAlone) {
            state = {};
        }
        joinable = !standsAlone;
        last = decoded.point;
        at += decoded.length;
    }
    for (Character& unit : units) {
        decideShown(unit, text.substr(unit.begin, unit.end - unit.begin));
    }
    return units;
}

void LineView::begin(std::string_view prompt) {
    prompt_ = charactersOf(prompt);
    movedToFreshRow();
}

std::string LineView::clearScreen() {
    movedToFreshRow();
    return "\x1b[H\x1b[2J";
}

void LineView::movedToFreshRow() {
    drawn_ = false;
    cursor_ = {};
}

std::string LineView::update(const Characters& line, std::size_t cursor, std::size_t columns) {
    const Layout layout = layOut(prompt_, line, columns);
    const bool redraw = !drawn_ || columns != columns_;
    std::string out;
    std::size_t same = 0;  // the characters shown as they are
    if (redraw) {
        out = "\r";
        if (drawn_) {
            // A new width. A terminal that rewraps its rows has moved the
            // line and the cursor to where they would be at the new width, so
            // the line starts as many rows above as the cursor's row in that
            // layout; one that cuts them has left the cursor on its row.
            const Cell rewrapped = cellAt(layOut(prompt_, shown_, columns), shown_, shownCursor_);
            out += moveBetween({rewraps_ ? rewrapped.row : cursor_.row, 0}, {});
        }
        out += kEraseBelow;
        for (const Character& unit : prompt_) {
            out += unit.shown;
        }
        cursor_ = layout.pen.at;  // once the line is written below
    } else {
        same = static_cast<std::size_t>(std::ranges::mismatch(shown_, line).in1 - shown_.begin());
        if (same < shown_.size() || same < line.size()) {
            // Rewritten from the first character that changed; what was shown
            // after it is erased first, so that no cell a wide character skips
            // keeps an old character.
            out += moveBetween(cursor_, same < line.size() ? layout.before[same] : layout.pen.at);
            if (same < shown_.size()) {
                out += kEraseBelow;
            }
            cursor_ = layout.pen.at;  // once the rest is written below
        }
    }
    for (std::size_t i = same; i < line.size(); ++i) {
        out += line[i].shown;
    }
    if (layout.pen.waiting && (redraw || same < line.size())) {
        out += kWrapRow;
    }
    const Cell target = cellAt(layout, line, cursor);
    out += moveBetween(cursor_, target);
    cursor_ = target;
    shown_ = line;
    shownCursor_ = cursor;
    columns_ = columns;
    drawn_ = true;
    return out;
}

std::string LineView::finish() {
    const Cell end = layOut(prompt_, shown_, columns_).pen.at;
    std::string out = moveBetween(cursor_, end);
    // A line that fills its last row has already moved to a row of its own:
    // a line end from that row (up, then down again) tells a terminal that
    // rewraps that the line stops there, and what follows is not part of it.
    out += end.column > 0 || end.row == 0 ? kNewRow : "\x1b[A\r\n";
    drawn_ = false;
    return out;
}

}  // namespace cellbound
