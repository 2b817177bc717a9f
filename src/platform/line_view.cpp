#include "platform/line_view.hpp"

#include <algorithm>

#include "platform/unicode.hpp"

namespace cellbound {

namespace {

constexpr std::string_view kReverse = "\x1b[7m";
constexpr std::string_view kNoReverse = "\x1b[27m";
constexpr std::string_view kEraseBelow = "\x1b[J";
constexpr std::string_view kNewRow = "\r\n";

// One code point decoded from UTF-8, or a byte that starts none.
struct Decoded {
    char32_t point = 0;
    std::size_t length = 1;
    bool valid = false;
};

bool isContinuation(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
Decoded decodeAt(std::string_view text, std::size_t at) {
    const auto first = static_cast<unsigned char>(text[at]);
    if (first < 0x80) {
        return {first, 1, true};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xbf;
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        low = first == 0xe0 ? 0xa0 : 0x80;
        high = first == 0xed ? 0x9f : 0xbf;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        low = first == 0xf0 ? 0x90 : 0x80;
        high = first == 0xf4 ? 0x8f : 0xbf;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high) {
        return {};
    }
    char32_t point = first & (0x7fU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(next)) {
            return {};
        }
        point = (point << 6U) | (next & 0x3fU);
    }
    return {point, length, true};
}

// C0, Delete and C1: terminals act on them rather than show them.
bool isControl(char32_t point) {
    return point < 0x20 || (point >= 0x7f && point < 0xa0);
}

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void appendHex(std::string& out, char32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kHexDigits[(value >> static_cast<unsigned>(shift)) & 0xfU];
    }
}

// One character of the line and how it is shown: its bytes as they are, or a
// notation in reverse video. `glyphs` holds the columns of each cell the
// terminal starts for it, so that the layout wraps where the terminal does.
struct Unit {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string shown;
    bool notation = false;
    std::vector<int> glyphs;
};

void showAsNotation(Unit& unit, std::string text) {
    unit.notation = true;
    unit.glyphs.assign(text.size(), 1);
    unit.shown = std::move(text);
}

void showAsCodePoints(Unit& unit, const std::vector<char32_t>& points) {
    std::string notation;
    for (const char32_t point : points) {
        notation += "<U+";
        appendHex(notation, point, point > 0xffff ? 6 : 4);
        notation += '>';
    }
    showAsNotation(unit, std::move(notation));
}

// How a finished character is shown: as itself when its first code point
// starts a cell of its own, else as the code points it is made of.
void decideShown(Unit& unit, std::string_view text, const std::vector<char32_t>& points) {
    if (unicode::columns(points.front()) > 0) {
        unit.shown = text.substr(unit.begin, unit.end - unit.begin);
        for (const char32_t point : points) {
            const int columns = unicode::columns(point);
            if (columns > 0) {
                unit.glyphs.push_back(columns);
            }
        }
        return;
    }
    // Nothing to stand on: shown as it is, it would join what is before it.
    showAsCodePoints(unit, points);
}

std::vector<Unit> unitsOf(std::string_view text) {
    std::vector<Unit> units;
    std::vector<char32_t> points;  // of the character being put together
    unicode::BreakState state;
    bool joinable = false;  // whether the last unit may take more code points
    for (std::size_t at = 0; at < text.size();) {
        const Decoded decoded = decodeAt(text, at);
        const bool standsAlone = !decoded.valid || isControl(decoded.point);
        if (joinable && !standsAlone &&
            !unicode::breaksBetween(points.back(), decoded.point, state)) {
            points.push_back(decoded.point);
            units.back().end = at + decoded.length;
        } else {
            if (joinable) {
                decideShown(units.back(), text, points);
            }
            Unit& unit = units.emplace_back();
            unit.begin = at;
            unit.end = at + decoded.length;
            points.assign(1, decoded.point);
            if (!decoded.valid) {
                std::string notation = "<";
                appendHex(notation, static_cast<unsigned char>(text[at]), 2);
                showAsNotation(unit, notation + ">");
            } else if (decoded.point < 0x20 || decoded.point == 0x7f) {
                showAsNotation(unit, {'^', static_cast<char>(decoded.point ^ 0x40U)});
            } else if (standsAlone) {
                showAsCodePoints(unit, points);
            }
            if (standsAlone) {
                state = {};
            }
        }
        joinable = !standsAlone;
        at += decoded.length;
    }
    if (joinable) {
        decideShown(units.back(), text, points);
    }
    return units;
}

// Follows the terminal's cursor as text is written: a character that does
// not fit in what is left of a row goes to the next, and after the last
// column the cursor waits there until the next character (shown here as the
// start of the next row, `waiting` set).
class Pen {
public:
    Pen(std::size_t columns, Cell at) : columns_(columns), at_(at) {}

    // The cell where a glyph this wide starts.
    Cell place(int width) {
        const auto columns = static_cast<std::size_t>(width);
        if (at_.column > 0 && at_.column + columns > columns_) {
            at_ = {at_.row + 1, 0};
        }
        const Cell start = at_;
        at_.column += columns;
        waiting_ = at_.column >= columns_;
        if (waiting_) {
            at_ = {at_.row + 1, 0};
        }
        return start;
    }
    // The cell where a unit starts, with its glyphs placed.
    Cell place(const Unit& unit) {
        Cell start = at_;
        for (std::size_t i = 0; i < unit.glyphs.size(); ++i) {
            const Cell cell = place(unit.glyphs[i]);
            if (i == 0) {
                start = cell;
            }
        }
        return start;
    }

    [[nodiscard]] Cell at() const noexcept { return at_; }
    [[nodiscard]] bool waiting() const noexcept { return waiting_; }

private:
    std::size_t columns_;
    Cell at_;
    bool waiting_ = false;
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

void write(std::string& out, const Unit& unit) {
    if (unit.notation) {
        out.append(kReverse).append(unit.shown).append(kNoReverse);
    } else {
        out += unit.shown;
    }
}

// Where the prompt ends and where each unit of the line starts.
struct Layout {
    Cell afterPrompt;
    std::vector<Cell> starts;  // the first cell of each unit
    std::vector<Cell> before;  // where the cursor is when the unit is written
    Cell end;
};

Layout layOut(const std::vector<Unit>& prompt, const std::vector<Unit>& line, std::size_t columns) {
    Pen pen(columns, {});
    for (const Unit& unit : prompt) {
        pen.place(unit);
    }
    Layout layout;
    layout.afterPrompt = pen.at();
    for (const Unit& unit : line) {
        layout.before.push_back(pen.at());
        layout.starts.push_back(pen.place(unit));
    }
    layout.end = pen.at();
    return layout;
}

// The cell of the character that starts at byte `cursor`, or the end.
Cell cellAt(const Layout& layout, const std::vector<Unit>& units, std::size_t cursor) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i].begin >= cursor) {
            return layout.starts[i];
        }
    }
    return layout.end;
}

bool sameUnit(const Unit& a, std::string_view aText, const Unit& b, std::string_view bText) {
    return a.begin == b.begin && a.end == b.end &&
           aText.substr(a.begin, a.end - a.begin) == bText.substr(b.begin, b.end - b.begin);
}

}  // namespace

std::vector<std::size_t> characterEnds(std::string_view text) {
    std::vector<std::size_t> ends;
    for (const Unit& unit : unitsOf(text)) {
        ends.push_back(unit.end);
    }
    return ends;
}

void LineView::begin(std::string_view prompt) {
    prompt_ = prompt;
    shown_.clear();
    shownCursor_ = 0;
    drawn_ = false;
    cursor_ = {};
}

std::string LineView::clearScreen() {
    drawn_ = false;
    cursor_ = {};
    return "\x1b[H\x1b[2J";
}

void LineView::movedToFreshRow() {
    drawn_ = false;
    cursor_ = {};
}

std::string LineView::update(std::string_view line, std::size_t cursor, std::size_t columns) {
    if (!drawn_ || columns != columns_) {
        return drawAll(line, cursor, columns);
    }
    const std::vector<Unit> prompt = unitsOf(prompt_);
    const std::vector<Unit> was = unitsOf(shown_);
    const std::vector<Unit> now = unitsOf(line);
    std::size_t same = 0;
    while (same < was.size() && same < now.size() && sameUnit(was[same], shown_, now[same], line)) {
        ++same;
    }
    const Layout layout = layOut(prompt, now, columns);
    std::string out;
    if (same < was.size() || same < now.size()) {
        // Rewritten from the first character that changed; what was shown
        // after it is erased first, so that no cell a wide character skips
        // keeps an old character.
        const Cell from = same < now.size() ? layout.before[same] : layout.end;
        out += moveBetween(cursor_, from);
        if (same < was.size()) {
            out += kEraseBelow;
        }
        Pen pen(columns, from);
        for (std::size_t i = same; i < now.size(); ++i) {
            write(out, now[i]);
            pen.place(now[i]);
        }
        if (pen.waiting()) {
            out += kNewRow;
        }
        cursor_ = pen.at();
    }
    const Cell target = cellAt(layout, now, cursor);
    out += moveBetween(cursor_, target);
    cursor_ = target;
    shown_ = line;
    shownCursor_ = cursor;
    return out;
}

std::string LineView::drawAll(std::string_view line, std::size_t cursor, std::size_t columns) {
    const std::vector<Unit> prompt = unitsOf(prompt_);
    std::string out = "\r";
    if (drawn_) {
        // A new width. A terminal that rewraps its rows has moved the line
        // and the cursor to where they would be at the new width, so the
        // line starts as many rows above as the cursor's row in that layout;
        // one that cuts them has left the cursor on its row.
        const std::vector<Unit> was = unitsOf(shown_);
        const Cell rewrapped = cellAt(layOut(prompt, was, columns), was, shownCursor_);
        out += moveBetween({rewraps_ ? rewrapped.row : cursor_.row, 0}, {});
    }
    out += kEraseBelow;
    const std::vector<Unit> now = unitsOf(line);
    Pen pen(columns, {});
    for (const Unit& unit : prompt) {
        write(out, unit);
        pen.place(unit);
    }
    for (const Unit& unit : now) {
        write(out, unit);
        pen.place(unit);
    }
    if (pen.waiting()) {
        out += kNewRow;
    }
    const Cell target = cellAt(layOut(prompt, now, columns), now, cursor);
    out += moveBetween(pen.at(), target);
    cursor_ = target;
    shown_ = line;
    shownCursor_ = cursor;
    columns_ = columns;
    drawn_ = true;
    return out;
}

std::string LineView::finish() {
    std::string out;
    const std::vector<Unit> prompt = unitsOf(prompt_);
    const std::vector<Unit> now = unitsOf(shown_);
    const Cell end = layOut(prompt, now, columns_).end;
    out += moveBetween(cursor_, end);
    // A line that fills its last row has already moved to a row of its own.
    if (end.column > 0 || end.row == 0) {
        out += kNewRow;
    }
    drawn_ = false;
    return out;
}

}  // namespace cellbound
