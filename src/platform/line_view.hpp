#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cellbound {

// One character of a line (a letter with its combining marks, a control
// character, a byte that is no UTF-8) and how it is shown: its bytes as they
// are, or, when they would not show as themselves, a notation in reverse
// video (the escapes included): caret notation for a control character (^I
// for a Tab, ^? for Delete), hexadecimal for a byte that is no UTF-8 (<FF>),
// and the code points of a character that takes no column of its own, such
// as a combining mark with no letter before it (<U+0301>). `glyphs` holds
// the columns of each cell the terminal starts for it, so that the layout
// wraps where the terminal does.
struct Character {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string shown;
    std::vector<int> glyphs;
    bool inWord = false;    // a letter or a digit, to the word keys
    bool notBlank = false;  // not a space nor a Tab: in a word, to Ctrl-W
    bool operator==(const Character&) const = default;
};
using Characters = std::vector<Character>;

// The characters of `text`, in order. Widths and boundaries follow Unicode,
// whatever the locale says.
Characters charactersOf(std::string_view text);

// A cell of the screen, counted from the first row of the prompt.
struct Cell {
    std::size_t row = 0;
    std::size_t column = 0;
};

// The prompt and the line being edited as the screen shows them, and the
// bytes that bring the screen from what it shows to what it should show:
// only what changed is written again.
class LineView {
public:
    // A new line after `prompt`, drawn from the start of the cursor's row.
    void begin(std::string_view prompt);
    // Clears the screen; the line is drawn again from its top.
    std::string clearScreen();
    // Whether the terminal rewraps its rows when its width changes (most
    // do), or cuts them and leaves the cursor on its row (the Linux console).
    void setRewrapping(bool rewraps) { rewraps_ = rewraps; }
    // Others have written on the screen and left the cursor on a row of its
    // own (the shell, while the game was stopped): the line is drawn again
    // from there, with nothing above it erased.
    void movedToFreshRow();

    // The bytes that show `line` with the cursor before its byte `cursor`
    // (the end of a character), on a screen `columns` wide.
    std::string update(const Characters& line, std::size_t cursor, std::size_t columns);
    // The bytes that end the line last updated: the cursor goes to the
    // start of the row below it.
    std::string finish();

private:
    Characters prompt_;
    Characters shown_;             // the line as the screen shows it
    std::size_t shownCursor_ = 0;  // and the byte the cursor is before
    std::size_t columns_ = 0;      // the width it was drawn at
    bool drawn_ = false;           // false: the next update draws everything
    bool rewraps_ = true;          // see setRewrapping
    Cell cursor_;                  // the terminal's cursor
};

}  // namespace cellbound
