#include "screen.hpp"

#include <vterm.h>

#include <algorithm>
#include <stdexcept>

namespace cellbound::testing {

namespace {

int countScrolledRow(int /*columns*/, const VTermScreenCell* /*cells*/, void* user) {
    ++*static_cast<int*>(user);
    return 1;
}

// Set by name on an empty struct: libvterm adds callbacks between releases
// (0.3 has sb_clear), and GCC counts any member a brace list leaves out, even
// a designated one.
const VTermScreenCallbacks kCallbacks = [] {
    VTermScreenCallbacks callbacks = {};
    callbacks.sb_pushline = &countScrolledRow;
    return callbacks;
}();

}  // namespace

void appendUtf8(std::string& out, char32_t point) {
    const auto byte = [&out](char32_t value) { out += static_cast<char>(value); };
    if (point < 0x80) {
        byte(point);
    } else if (point < 0x800) {
        byte(0xc0 | (point >> 6));
        byte(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        byte(0xe0 | (point >> 12));
        byte(0x80 | ((point >> 6) & 0x3f));
        byte(0x80 | (point & 0x3f));
    } else {
        byte(0xf0 | (point >> 18));
        byte(0x80 | ((point >> 12) & 0x3f));
        byte(0x80 | ((point >> 6) & 0x3f));
        byte(0x80 | (point & 0x3f));
    }
}

std::ostream& operator<<(std::ostream& out, const Screen::Position& position) {
    return out << "(row " << position.row << ", column " << position.column << ")";
}

void Screen::Free::operator()(VTerm* terminal) const noexcept {
    vterm_free(terminal);
}

Screen::Screen(int columns, int rows)
    : terminal_(vterm_new(rows, columns)), columns_(columns), rows_(rows) {
    if (!terminal_) {
        throw std::runtime_error("no terminal emulator");
    }
    vterm_set_utf8(terminal_.get(), 1);
    screen_ = vterm_obtain_screen(terminal_.get());
    vterm_screen_set_callbacks(screen_, &kCallbacks, &scrolledOff_);
    vterm_screen_reset(screen_, 1);
}

Screen::~Screen() = default;

void Screen::feed(std::string_view bytes) {
    vterm_input_write(terminal_.get(), bytes.data(), bytes.size());
    vterm_screen_flush_damage(screen_);
}

void Screen::resize(int columns, int rows) {
    vterm_set_size(terminal_.get(), rows, columns);
    vterm_screen_flush_damage(screen_);
    columns_ = columns;
    rows_ = rows;
}

namespace {

VTermScreenCell cellAt(VTermScreen* screen, int row, int column) {
    VTermScreenCell cell{};
    vterm_screen_get_cell(screen, VTermPos{row, column}, &cell);
    return cell;
}

}  // namespace

std::string Screen::cell(int row, int column) const {
    const VTermScreenCell cell = cellAt(screen_, row, column);
    std::string text;
    // The right half of a wide character holds (uint32_t)-1.
    for (const uint32_t point : cell.chars) {
        if (point == 0 || point == static_cast<uint32_t>(-1)) {
            break;
        }
        appendUtf8(text, static_cast<char32_t>(point));
    }
    return text;
}

int Screen::cellWidth(int row, int column) const {
    return cellAt(screen_, row, column).width;
}

int Screen::foreground(int row, int column) const {
    const VTermScreenCell cell = cellAt(screen_, row, column);
    if (VTERM_COLOR_IS_DEFAULT_FG(&cell.fg) || !VTERM_COLOR_IS_INDEXED(&cell.fg)) {
        return -1;
    }
    return cell.fg.indexed.idx;
}

bool Screen::reversed(int row, int column) const {
    return cellAt(screen_, row, column).attrs.reverse != 0;
}

std::string Screen::row(int row) const {
    std::string text;
    std::size_t used = 0;  // up to the last character that is not a blank
    for (int column = 0; column < columns_;) {
        const std::string here = cell(row, column);
        text += here.empty() ? std::string(" ") : here;
        if (!here.empty() && here != " ") {
            used = text.size();
        }
        column += std::max(1, cellWidth(row, column));
    }
    text.resize(used);
    return text;
}

std::string Screen::text() const {
    std::string all;
    std::size_t used = 0;
    for (int index = 0; index < rows_; ++index) {
        const std::string line = row(index);
        all += line;
        all += '\n';
        if (!line.empty()) {
            used = all.size();
        }
    }
    all.resize(used);
    return all;
}

Screen::Position Screen::cursor() const {
    VTermPos position{};
    vterm_state_get_cursorpos(vterm_obtain_state(terminal_.get()), &position);
    return {position.row, position.col};
}

}  // namespace cellbound::testing
