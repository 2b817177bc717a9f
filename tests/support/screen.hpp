#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

struct VTerm;
struct VTermScreen;

namespace cellbound::testing {

// A terminal screen in memory (libvterm): what a program writes to a
// terminal, fed in as bytes, and the screen it leaves, cell by cell. Rows and
// columns count from 0.
class Screen {
public:
    Screen(int columns, int rows);
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    Screen(Screen&&) = delete;
    Screen& operator=(Screen&&) = delete;

    void feed(std::string_view bytes);
    // As a terminal that does not rewrap its rows: a narrower window cuts
    // them, the cursor stays on its row.
    void resize(int columns, int rows);

    [[nodiscard]] int columns() const noexcept { return columns_; }
    [[nodiscard]] int rows() const noexcept { return rows_; }

    // A row's text in UTF-8, without the blanks at its end. A wide character
    // counts once, a combining mark stands after its letter; an empty cell
    // within the row is a blank.
    [[nodiscard]] std::string row(int row) const;
    // Every row, each ended by a line feed, blank rows at the end cut.
    [[nodiscard]] std::string text() const;
    // The characters in one cell (a letter with its combining marks), empty
    // for an empty cell and for the right half of a wide character.
    [[nodiscard]] std::string cell(int row, int column) const;
    // The columns the character in the cell takes: 1 or 2.
    [[nodiscard]] int cellWidth(int row, int column) const;
    // The palette index of the cell's foreground colour; -1 for the default.
    [[nodiscard]] int foreground(int row, int column) const;
    // Whether the cell is shown in reverse video.
    [[nodiscard]] bool reversed(int row, int column) const;

    struct Position {
        int row = 0;
        int column = 0;
        bool operator==(const Position&) const = default;
    };
    [[nodiscard]] Position cursor() const;

    // How many rows have scrolled off the top since the start.
    [[nodiscard]] int scrolledOff() const noexcept { return scrolledOff_; }

private:
    struct Free {
        void operator()(VTerm* terminal) const noexcept;
    };
    std::unique_ptr<VTerm, Free> terminal_;
    VTermScreen* screen_ = nullptr;  // owned by terminal_
    int columns_;
    int rows_;
    int scrolledOff_ = 0;
};

std::ostream& operator<<(std::ostream& out, const Screen::Position& position);

// Appends a code point to `out` in UTF-8.
void appendUtf8(std::string& out, char32_t point);

}  // namespace cellbound::testing
