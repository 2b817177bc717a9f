// Types arbitrary keys into the line editor at arbitrary widths, with every
// byte it writes shown by a terminal emulator, and checks after every key
// what must hold whatever is typed: the screen, read back through its
// notations, shows the prompt and exactly the editor's line; the cursor
// stands on the editor's cursor; and on Enter the game reads the line shown.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../support/pipe.hpp"
#include "../unit/in_memory.hpp"
#include "platform/line_editor.hpp"
#include "screen.hpp"
#include "window.hpp"

namespace {

using cellbound::LineEditor;
using cellbound::testing::Screen;
using cellbound::testing::Window;
using Position = Screen::Position;

constexpr int kRows = 400;
constexpr std::size_t kMostKeys = 256;  // so that a line stays on the screen

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Keys as terminals send them, and characters whose width the emulator and
// the game agree on.
const std::array<std::string_view, 51> kKeys = {"a",
                                                "b",
                                                " ",
                                                "\t",
                                                "x",
                                                "\xc3\xa9",
                                                "\xe2\x82\xac",
                                                "\xe4\xb8\xad",
                                                "\xf0\xa0\x80\x80",
                                                "\xf0\x90\x8d\x88",
                                                "\xcc\x81",
                                                "\xe2\x80\x8b",
                                                "\xc2\x85",
                                                "\xff",
                                                "\x80",
                                                "\x1b[A",
                                                "\x1b[B",
                                                "\x1b[C",
                                                "\x1b[D",
                                                "\x1bOA",
                                                "\x1bOC",
                                                "\x1bOD",
                                                "\x1b[1;5C",
                                                "\x1b[1;5D",
                                                "\x1b[1;3C",
                                                "\x1b[1;3D",
                                                "\x1b[3;5~",
                                                "\x1b[H",
                                                "\x1b[F",
                                                "\x1bOH",
                                                "\x1bOF",
                                                "\x1b[1~",
                                                "\x1b[4~",
                                                "\x1b[7~",
                                                "\x1b[8~",
                                                "\x1b[3~",
                                                "\x1b[5~",
                                                "\x1b[[A",
                                                "\x1b\x1b[C",
                                                "\x1b",
                                                "\x7f",
                                                "\x01",
                                                "\x02",
                                                "\x04",
                                                "\x05",
                                                "\x06",
                                                "\x0b",
                                                "\x0e",
                                                "\x10",
                                                "\x15",
                                                "\x17"};
// Ctrl-V, Ctrl-L, Enter: handled with a byte of their own below.
constexpr std::string_view kAcute = "\xcc\x81";

std::size_t marksIn(std::string_view line) {
    std::size_t count = 0;
    for (std::size_t at = line.find(kAcute); at != std::string_view::npos;
         at = line.find(kAcute, at + 1)) {
        ++count;
    }
    return count;
}

struct ReadBack {
    std::string bytes;
    std::vector<std::size_t> offsets;  // where each character starts in bytes
    std::vector<Position> cells;       // and its cell
    Position end;                      // the cell after the last character
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One notation (^X, <HH> or <U+...>) at the start of a run of cells in
// reverse video: the bytes it stands for, and its length. Nothing when the
// run is no notation (read from a row where none starts).
std::optional<std::pair<std::string, std::size_t>> fromNotation(std::string_view shown) {
    if (shown.size() >= 2 && shown.front() == '^') {
        return std::pair{std::string(1, static_cast<char>(shown[1] ^ 0x40)), std::size_t{2}};
    }
    const std::size_t close = shown.find('>');
    if (shown.front() != '<' || close == std::string_view::npos) {
        return std::nullopt;
    }
    std::string bytes;
    if (shown.substr(0, 3) == "<U+") {
        char32_t point = 0;
        for (const char digit : shown.substr(3, close - 3)) {
            if (hexValue(digit) < 0) {
                return std::nullopt;
            }
            point = point * 16 + static_cast<char32_t>(hexValue(digit));
        }
        cellbound::testing::appendUtf8(bytes, point);
    } else if (close == 3 && hexValue(shown[1]) >= 0 && hexValue(shown[2]) >= 0) {
        bytes += static_cast<char>(hexValue(shown[1]) * 16 + hexValue(shown[2]));
    } else {
        return std::nullopt;
    }
    return std::pair{bytes, close + 1};
}

bool rowIsEmpty(const Screen& screen, int row) {
    for (int column = 0; column < screen.columns(); ++column) {
        if (!screen.cell(row, column).empty()) {
            return false;
        }
    }
    return true;
}

// The text from `top` to the first empty row, read in order. A notation
// counts as one character (the units of a run split where they start).
std::optional<ReadBack> readFrom(const Screen& screen, int top) {
    ReadBack back;
    back.end = {top, 0};
    std::string notation;
    std::vector<Position> notationCells;
    bool readable = true;
    const auto endNotation = [&] {
        // Each part of the run is one character.
        std::size_t at = 0;
        while (at < notation.size() && readable) {
            const auto part = fromNotation(std::string_view(notation).substr(at));
            if (!part) {
                readable = false;
                break;
            }
            back.offsets.push_back(back.bytes.size());
            back.cells.push_back(notationCells[at]);
            back.bytes += part->first;
            at += part->second;
        }
        notation.clear();
        notationCells.clear();
    };
    for (int row = top; row < screen.rows() && !rowIsEmpty(screen, row); ++row) {
        for (int column = 0; column < screen.columns(); ++column) {
            const std::string text = screen.cell(row, column);
            if (text.empty()) {
                continue;  // a cell a wide character skipped, or its right half
            }
            const int width = screen.cellWidth(row, column);
            back.end = column + width >= screen.columns() ? Position{row + 1, 0}
                                                          : Position{row, column + width};
            if (screen.reversed(row, column)) {
                notation += text;
                notationCells.push_back({row, column});
                continue;
            }
            endNotation();
            back.offsets.push_back(back.bytes.size());
            back.cells.push_back({row, column});
            back.bytes += text;
        }
    }
    endNotation();
    if (!readable) {
        return std::nullopt;
    }
    return back;
}

// The nearest row above the cursor from which the screen shows `expected`
// (rows above a line redrawn wider may still hold what was drawn before).
std::optional<ReadBack> findShown(const Screen& screen, std::string_view expected) {
    for (int top = screen.cursor().row; top >= 0; --top) {
        std::optional<ReadBack> back = readFrom(screen, top);
        if (back && back->bytes == expected) {
            return back;
        }
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, 3> kPrompts = {"", "> ",
                                                      "Enter the item you want to pick up: "};

int widthFrom(std::uint8_t byte) {
    return 8 + byte % 76;
}

// The screen shows the prompt and the line, and the cursor is on the
// editor's cursor. Returns the line as shown.
std::string check(const Window& window, const LineEditor& editor, std::string_view prompt) {
    const std::string expected = std::string(prompt) + std::string(editor.line());
    const std::optional<ReadBack> back = findShown(window.screen, expected);
    if (!back) {
        std::fprintf(stderr, "not shown: [%s]\nscreen:\n%s\n", expected.c_str(),
                     window.screen.text().c_str());
    }
    require(back.has_value());
    const std::size_t cursor = prompt.size() + editor.cursor();
    Position cell = back->end;
    for (std::size_t i = 0; i < back->offsets.size(); ++i) {
        if (back->offsets[i] == cursor) {
            cell = back->cells[i];
        }
    }
    require(cursor == expected.size() || cell != back->end);
    require(window.screen.cursor() == cell);
    return back->bytes.substr(prompt.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    Window window(widthFrom(data[0]), kRows);
    // Keys are typed straight in: a read of a line not sent is the end of
    // input at once.
    cellbound::testing::Pipe keyboard;
    keyboard.closeWriting();
    // A new editor after each end of input, which is for good to the one
    // that met it.
    std::optional<LineEditor> editor;
    editor.emplace(keyboard.reading(), window.sizeDescriptor(), window.output(), "xterm");
    std::string_view prompt = kPrompts.at(data[1] % kPrompts.size());
    editor->takePrompt(prompt);
    editor->type("");  // the game reads: the line begins
    std::size_t keys = 0;
    for (std::size_t at = 2; at < size && keys < kMostKeys; ++at, ++keys) {
        const std::uint8_t op = data[at];
        const std::uint8_t next = at + 1 < size ? data[at + 1] : 0;
        if (op < kKeys.size() && kKeys.at(op) == "\x04" && editor->line().empty()) {
            // Ctrl-D on an empty line: the end of input for the game.
            editor->type("\x04");
            std::string line;
            require(!cellbound::test_support::takeLine(editor->source(), line));
            editor.emplace(keyboard.reading(), window.sizeDescriptor(), window.output(), "xterm");
            editor->takePrompt(prompt);
            editor->type("");
        } else if (op < kKeys.size()) {
            if (kKeys.at(op) == kAcute && marksIn(editor->line()) >= 4) {
                continue;  // the emulator keeps 5 marks to a cell
            }
            editor->type(kKeys.at(op));
        } else if (op < 0x40) {
            editor->type(std::string(1, static_cast<char>(op)));  // printable ASCII
        } else if (op < 0x48) {
            // Ctrl-V, then the next byte as it is (one that starts no UTF-8
            // character).
            const int byte = next < 0x80 ? next : next | 0xf8;
            editor->type("\x16" + std::string(1, static_cast<char>(byte)));
            ++at;
        } else if (op < 0x4c) {
            window.resize(widthFrom(next), kRows);
            editor->type("");  // as the window's change of size makes it draw
            ++at;
        } else if (op < 0x4e) {
            editor->type("\x0c");  // Ctrl-L
        } else if (op < 0x58) {
            const std::string shown = check(window, *editor, prompt);
            editor->type("\r");
            std::string line;
            if (cellbound::test_support::takeLine(editor->source(), line)) {
                require(line == shown);
            } else {
                // Esc and Enter, which does nothing: the line is not sent.
                editor.emplace(keyboard.reading(), window.sizeDescriptor(), window.output(),
                               "xterm");
            }
            // The game answers, and asks again.
            window.output().write("\x1b[92mok\n\x1b[95m");
            window.output().flush();
            prompt = kPrompts.at(next % kPrompts.size());
            editor->takePrompt(prompt);
            editor->type("");
            continue;
        } else {
            // A byte of its own: never one that starts a UTF-8 character,
            // so that only the characters above are put together.
            const int byte = op < 0xc0 ? op : op | 0xf8;
            editor->type(std::string(1, static_cast<char>(byte)));
        }
        check(window, *editor, prompt);
    }
    return 0;
}
