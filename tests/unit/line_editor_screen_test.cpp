// The line editor at the screen: keys typed in, everything it writes shown
// by a terminal emulator, and the screen's rows and cursor checked after each
// key, at widths where the prompt and the line wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "../support/key_table.hpp"
#include "../support/pipe.hpp"
#include "in_memory.hpp"
#include "platform/line_editor.hpp"
#include "platform/line_view.hpp"
#include "window.hpp"

namespace cellbound {
namespace {

using testing::Screen;
using testing::Window;
using Position = Screen::Position;

constexpr std::string_view kItemPrompt = "Enter the item you want to pick up: ";
constexpr std::string_view kCjk = "\xe4\xb8\xad";           // U+4E2D, two columns
constexpr std::string_view kAcute = "\xcc\x81";             // U+0301, combining
constexpr std::string_view kEuro = "\xe2\x82\xac";          // three bytes, one column
constexpr std::string_view kHwair = "\xf0\x90\x8d\x88";     // four bytes, one column
constexpr std::string_view kWideFour = "\xf0\xa0\x80\x80";  // U+20000, two columns

using testing::ctrl;

// The editor as the game has it: keys typed straight into the editor, output
// on a window of the given size.
class Session {
public:
    Session(int columns, int rows, std::string_view prompt = "", std::string_view term = "xterm")
        : window(columns, rows),
          editor(keys_.reading(), window.sizeDescriptor(), window.output(), term),
          prompt_(prompt) {
        editor.takePrompt(prompt_);
        // Keys are typed straight in: a read of a line not sent finds the end
        // of input at once rather than waiting for ever.
        keys_.closeWriting();
    }

    // Each key on its own, as a player types: drawn after each.
    void typeKeys(const std::vector<std::string>& keys) {
        for (const std::string& key : keys) {
            editor.type(key);
        }
    }
    void typeEach(std::string_view text) {
        for (const char c : text) {
            editor.type(std::string_view(&c, 1));
        }
    }
    std::string readLine() {
        std::string line;
        EXPECT_TRUE(test_support::takeLine(editor.source(), line));
        editor.takePrompt(prompt_);  // as the game asks each time
        return line;
    }
    // The game's own output, written where the editor writes.
    void gameWrites(std::string_view text) {
        window.output().write(text);
        window.output().flush();
    }
    [[nodiscard]] std::string row(int index) const { return window.screen.row(index); }
    [[nodiscard]] Position cursor() const { return window.screen.cursor(); }

private:
    testing::Pipe keys_;

public:
    Window window;
    LineEditor editor;

private:
    std::string prompt_;
};

// What the screen must show for text of one-column characters only: the
// text cut into rows of the screen's width, and the cell of its character
// `at`.
std::vector<std::string> rowsOf(std::string_view text, std::size_t columns) {
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < text.size(); at += columns) {
        std::string row(text.substr(at, columns));
        row.erase(row.find_last_not_of(' ') + 1);  // as Screen::row gives it
        rows.push_back(row);
    }
    return rows;
}
Position cellOf(std::size_t at, std::size_t columns) {
    return {static_cast<int>(at / columns), static_cast<int>(at % columns)};
}

// The screen shows `prompt` and `line` (one column per byte) from row 0 and
// nothing below, and the cursor is on the line's character `cursor`.
void expectShown(const Session& session, std::string_view prompt, std::string_view line,
                 std::size_t cursor) {
    const auto columns = static_cast<std::size_t>(session.window.screen.columns());
    const std::string text = std::string(prompt) + std::string(line);
    const std::vector<std::string> rows = rowsOf(text, columns);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(session.row(static_cast<int>(i)), rows[i]) << "row " << i;
    }
    for (auto i = static_cast<int>(rows.size()); i < session.window.screen.rows(); ++i) {
        EXPECT_EQ(session.row(i), "") << "row " << i << " should be empty";
    }
    EXPECT_EQ(session.editor.line(), line);
    EXPECT_EQ(session.cursor(), cellOf(prompt.size() + cursor, columns));
}

// Ctrl-D typed with the keys that empty the line: the screen shows the
// empty line the game read, not the text the keys took away.
TEST(LineEditorScreen, InputEndedWithOtherKeysShowsTheLineAsTheGameReadIt) {
    Session session(80, 5, kItemPrompt);
    session.editor.type("look");
    session.editor.type(ctrl('E') + ctrl('U') + ctrl('D'));
    expectShown(session, kItemPrompt, "", 0);
}

TEST(LineEditorScreen, TypingAtTheEndWritesTheCharacterAloneAndThePromptOnce) {
    Session session(80, 5);
    session.editor.type("");  // the line begins: nothing to show yet
    session.window.writtenSinceLastAsked();
    for (const char c : std::string_view("look")) {
        session.editor.type(std::string_view(&c, 1));
        EXPECT_EQ(session.window.writtenSinceLastAsked(), 1U) << c;
    }
    expectShown(session, "", "look", 4);
    session.editor.type("\x7f");
    EXPECT_LE(session.window.writtenSinceLastAsked(), 4U);
    expectShown(session, "", "loo", 3);

    Session item(80, 5, kItemPrompt);
    item.editor.type("S");
    const std::size_t first = item.window.writtenSinceLastAsked();
    item.typeEach("word");
    EXPECT_EQ(item.window.writtenSinceLastAsked(), 4U);
    EXPECT_GT(first, kItemPrompt.size());  // the prompt is drawn with the first key
    expectShown(item, kItemPrompt, "Sword", 5);
    // Backspace at the end rubs out, and the prompt stays as it was drawn.
    item.editor.type("\x7f");
    EXPECT_LE(item.window.writtenSinceLastAsked(), 4U);
    item.editor.type("\x7f");
    EXPECT_LE(item.window.writtenSinceLastAsked(), 4U);
    expectShown(item, kItemPrompt, "Swo", 3);
    EXPECT_EQ(item.window.written().find(kItemPrompt), item.window.written().rfind(kItemPrompt));
}

TEST(LineEditorScreen, AKeyThatFillsARowMovesTheCursorToTheNextAndBackspaceGoesBack) {
    // Prompt and line over two and three rows of 10.
    Session session(10, 6, "> ");
    session.typeEach("abcdefg");
    expectShown(session, "> ", "abcdefg", 7);
    session.window.writtenSinceLastAsked();
    session.editor.type("h");  // the row's last column: a blank wraps the row, and goes
    EXPECT_LE(session.window.writtenSinceLastAsked(), 6U);
    expectShown(session, "> ", "abcdefgh", 8);
    EXPECT_EQ(session.cursor(), (Position{1, 0}));
    session.typeEach("ijklmnopqrst");
    expectShown(session, "> ", "abcdefghijklmnopqrst", 20);
    EXPECT_EQ(session.cursor(), (Position{2, 2}));
    session.typeKeys({"\x7f", "\x7f", "\x7f"});  // back over the row's start
    expectShown(session, "> ", "abcdefghijklmnopq", 17);
    EXPECT_EQ(session.cursor(), (Position{1, 9}));
    session.typeKeys({"\x7f", "\x7f", "\x7f", "\x7f", "\x7f", "\x7f", "\x7f", "\x7f", "\x7f"});
    expectShown(session, "> ", "abcdefgh", 8);
    session.editor.type("\x7f");
    expectShown(session, "> ", "abcdefg", 7);
}

// Each row's keys typed one byte at a time, as a slow link sends them, on
// a line that wraps over rows of 8: the screen shows the line and the cursor
// where the editor has them, and after Enter what follows starts on the row
// below the line.
TEST(LineEditorScreen, EveryKeyDoesWhatItsRowSaysOnALineThatWraps) {
    for (const testing::KeyRow& row : testing::keyTable()) {
        for (const std::string& key : row.keys.empty() ? std::vector<std::string>{""} : row.keys) {
            SCOPED_TRACE(std::string(row.name) + " " + ::testing::PrintToString(key));
            Session session(8, 6, "> ");
            session.typeEach(row.typed + key);
            std::string line(row.after);
            const std::size_t cursor = line.find('|');
            line.erase(cursor, 1);
            EXPECT_EQ(session.editor.cursor(), cursor);
            const bool ascii =
                std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
            if (ascii) {
                expectShown(session, "> ", line, cursor);
            }
            session.editor.type("\r");
            EXPECT_EQ(session.readLine(), line);
            if (ascii) {
                EXPECT_EQ(session.cursor(), (Position{static_cast<int>((line.size() + 9) / 8), 0}));
            }
        }
    }
}

// A line longer than the window is wrapped by the terminal itself, so that
// one that rewraps its rows keeps the line whole: no line end is written
// before Enter.
TEST(LineEditorScreen, ALongLineIsWrappedByTheTerminal) {
    Session session(10, 6, "> ");
    session.typeEach("abcdefghijklmnopqrstuvwxyz");
    session.editor.type("\x1b[H\x1b[F\x7f" + ctrl('L'));
    EXPECT_EQ(session.window.written().find('\n'), std::string::npos);
    expectShown(session, "> ", "abcdefghijklmnopqrstuvwxy", 25);
}

TEST(LineEditorScreen, CtrlLClearsTheScreenAndDrawsTheLineAtTheTop) {
    Session session(10, 6);
    session.gameWrites("earlier\nrows\n");
    session.typeEach("abcdefghijkl");
    session.editor.type("\x1b[D");
    session.editor.type(ctrl('L'));
    expectShown(session, "", "abcdefghijkl", 11);
    // Drawn anew exactly one row wide: the cursor goes to a row of its own.
    session.typeKeys({"\x1b[F", "\x7f", "\x7f", ctrl('L')});
    expectShown(session, "", "abcdefghij", 10);
    EXPECT_EQ(session.cursor(), (Position{1, 0}));
}

TEST(LineEditorScreen, UpAndDownRecallLinesOfSeveralRowsWithNoRowLeftOver) {
    Session session(10, 8, "> ");
    session.typeEach("a long line that takes three rows\r");
    EXPECT_EQ(session.readLine(), "a long line that takes three rows");
    session.typeEach("short\r");
    EXPECT_EQ(session.readLine(), "short");
    session.window.screen.feed("\x1b[H\x1b[2J");  // start the checks from row 0
    session.editor.type("dr");
    expectShown(session, "> ", "dr", 2);
    session.editor.type("\x1b[A");
    expectShown(session, "> ", "short", 5);
    session.editor.type(ctrl('P'));
    expectShown(session, "> ", "a long line that takes three rows", 33);
    session.editor.type("\x1b[A");  // nothing older
    expectShown(session, "> ", "a long line that takes three rows", 33);
    session.editor.type("\x1bOB");
    expectShown(session, "> ", "short", 5);
    session.editor.type(ctrl('N'));
    expectShown(session, "> ", "dr", 2);
    session.editor.type(ctrl('N'));  // nothing newer
    expectShown(session, "> ", "dr", 2);
}

TEST(LineEditorScreen, UtfEightOfTwoThreeAndFourBytesIsOneStepForRightLeftDeleteAndBackspace) {
    const std::string line = std::string("a\xc3\xa9") + std::string(kEuro) + std::string(kHwair) +
                             std::string(kWideFour) + "b";
    Session session(20, 4);
    session.typeEach(line);
    EXPECT_EQ(session.row(0), line);
    EXPECT_EQ(session.cursor(), (Position{0, 7}));  // the U+20000 takes two
    session.editor.type(ctrl('A'));
    const std::vector<std::pair<std::size_t, int>> steps = {{1, 1},  {3, 2},  {6, 3},
                                                            {10, 4}, {14, 6}, {15, 7}};
    for (const auto& [byte, column] : steps) {
        session.editor.type("\x1b[C");
        EXPECT_EQ(session.editor.cursor(), byte);
        EXPECT_EQ(session.cursor(), (Position{0, column}));
    }
    session.typeKeys({"\x1b[D", "\x1b[D", "\x1b[D", "\x1b[D"});  // on the euro sign
    EXPECT_EQ(session.editor.cursor(), 3U);
    EXPECT_EQ(session.cursor(), (Position{0, 2}));
    session.editor.type("\x1b[3~");
    EXPECT_EQ(session.editor.line(),
              std::string("a\xc3\xa9") + std::string(kHwair) + std::string(kWideFour) + "b");
    session.editor.type(ctrl('D'));
    EXPECT_EQ(session.editor.line(), std::string("a\xc3\xa9") + std::string(kWideFour) + "b");
    session.editor.type("\x7f");
    EXPECT_EQ(session.editor.line(), std::string("a") + std::string(kWideFour) + "b");
    EXPECT_EQ(session.row(0), std::string("a") + std::string(kWideFour) + "b");
    EXPECT_EQ(session.cursor(), (Position{0, 1}));
}

TEST(LineEditorScreen, AWideCharacterTheTerminalMovesToTheNextRowIsCountedThere) {
    // 40 columns: 39 a, a CJK character, 38 b, c, d.
    const std::string typed =
        std::string(39, 'a') + std::string(kCjk) + std::string(38, 'b') + "cd";
    for (const bool oneByOne : {true, false}) {
        SCOPED_TRACE(oneByOne ? "typed key by key" : "pasted");
        Session session(40, 6);
        if (oneByOne) {
            session.typeEach(typed);
        } else {
            session.editor.type(typed);
        }
        EXPECT_EQ(session.row(0), std::string(39, 'a'));
        EXPECT_EQ(session.window.screen.cell(0, 39), "");
        EXPECT_EQ(session.row(1), std::string(kCjk) + std::string(38, 'b'));
        EXPECT_EQ(session.row(2), "cd");
        EXPECT_EQ(session.row(3), "");
        EXPECT_EQ(session.cursor(), (Position{2, 2}));
        // The cursor on the wide character stands where it is shown.
        session.editor.type(ctrl('A'));
        session.typeKeys(std::vector<std::string>(39, "\x1b[C"));
        EXPECT_EQ(session.cursor(), (Position{1, 0}));
        session.editor.type("\x1b[C");
        EXPECT_EQ(session.cursor(), (Position{1, 2}));
        // One a fewer: the wide character fits on the first row again.
        session.typeKeys({"\x1b[D", "\x1b[D", "\x7f"});
        EXPECT_EQ(session.row(0), std::string(38, 'a') + std::string(kCjk));
        EXPECT_EQ(session.row(1), std::string(38, 'b') + "cd");
        EXPECT_EQ(session.row(2), "");
        EXPECT_EQ(session.cursor(), (Position{0, 37}));
        session.editor.type("\r");
        EXPECT_EQ(session.readLine(),
                  std::string(38, 'a') + std::string(kCjk) + std::string(38, 'b') + "cd");
        EXPECT_EQ(session.cursor(), (Position{2, 0}));
    }
}

TEST(LineEditorScreen, ALetterWithItsCombiningMarkIsOneStep) {
    Session session(20, 4);
    session.typeEach("cafe");
    session.editor.type(kAcute);
    EXPECT_EQ(session.row(0), "cafe\xcc\x81");
    EXPECT_EQ(session.cursor(), (Position{0, 4}));
    session.editor.type("\x1b[D");
    EXPECT_EQ(session.cursor(), (Position{0, 3}));
    session.editor.type("X");
    EXPECT_EQ(session.editor.line(), "cafXe\xcc\x81");
    EXPECT_EQ(session.window.screen.cell(0, 4), "e\xcc\x81");
    EXPECT_EQ(session.cursor(), (Position{0, 4}));
    session.editor.type("\x1b[3~");
    EXPECT_EQ(session.editor.line(), "cafX");
    session.typeEach("e");
    session.editor.type(kAcute);
    session.editor.type("\x7f");
    EXPECT_EQ(session.editor.line(), "cafX");
    EXPECT_EQ(session.row(0), "cafX");
    // A key that joins the character before the cursor to the one after it
    // (a regional indicator before a pair of them) leaves the cursor after
    // the joined character, never inside it.
    Session flags(20, 4);
    const std::string a = "\xf0\x9f\x87\xa6";  // U+1F1E6 and U+1F1E7
    const std::string b = "\xf0\x9f\x87\xa7";
    flags.editor.type(a + b);
    flags.editor.type(ctrl('A'));
    flags.editor.type(b);
    EXPECT_EQ(flags.editor.cursor(), 8U);
    flags.editor.type("\x7f");
    EXPECT_EQ(flags.editor.line(), b);
    // After a character of its own (a Tab) the pairs of regional
    // indicators are counted afresh.
    Session pairs(20, 4);
    pairs.editor.type(a + b + "\t" + a + b);
    pairs.editor.type("\x1b[D");
    EXPECT_EQ(pairs.editor.cursor(), 9U);
    // A mark with no letter before it would join the prompt's last cell:
    // it is shown as its code point.
    Session alone(30, 4, "> ");
    alone.editor.type(kAcute);
    EXPECT_EQ(alone.row(0), "> <U+0301>");
    EXPECT_TRUE(alone.window.screen.reversed(0, 2));
    EXPECT_EQ(alone.cursor(), (Position{0, 10}));
}

TEST(LineEditorScreen, WidthsAreUnicodesWhateverTheLocale) {
    // The editor asks no locale: 25 CJK characters are 50 columns.
    Session session(40, 4);
    std::string line;
    for (int i = 0; i < 25; ++i) {
        line += kCjk;
    }
    session.typeEach(line);
    EXPECT_EQ(session.cursor(), (Position{1, 10}));
    session.typeKeys(std::vector<std::string>(25, "\x7f"));
    EXPECT_EQ(session.row(0), "");
    EXPECT_EQ(session.row(1), "");
    EXPECT_EQ(session.cursor(), (Position{0, 0}));
}

TEST(LineEditorScreen, ControlCharactersAndBytesThatAreNoUtfEightShowInReverseNotation) {
    Session session(12, 4, "> ");
    session.typeEach("lo\xffok");
    EXPECT_EQ(session.row(0), "> lo<FF>ok");
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(session.window.screen.reversed(0, column), column >= 4 && column < 8) << column;
    }
    EXPECT_EQ(session.cursor(), (Position{0, 10}));
    session.typeKeys({"\x1b[D", "\x1b[D", "\x1b[D"});  // on the byte
    EXPECT_EQ(session.cursor(), (Position{0, 4}));
    session.editor.type("\x1b[C");
    EXPECT_EQ(session.cursor(), (Position{0, 8}));
    session.editor.type("\r");
    EXPECT_EQ(session.readLine(), "lo\xffok");  // the byte itself reaches the game

    // What is no UTF-8 by the letter of it: overlong forms, surrogates,
    // beyond U+10FFFF, a character cut short; and C1 controls by their code.
    const std::vector<std::pair<std::string_view, std::string_view>> shownAs = {
        {"\xc0\xaf", "<C0><AF>"},
        {"\xe0\x80\xaf", "<E0><80><AF>"},
        {"\xed\xa0\x80", "<ED><A0><80>"},
        {"\xf0\x80\x80\xaf", "<F0><80><80><AF>"},
        {"\xf4\x90\x80\x80", "<F4><90><80><80>"},
        {"\xe2\x82x", "<E2><82>x"},
        {"\xc2\x85", "<U+0085>"},
        {"\xc2\x9b", "<U+009B>"},
    };
    for (const auto& [typed, shown] : shownAs) {
        Session bytes(40, 4);
        bytes.editor.type(typed);
        EXPECT_EQ(bytes.row(0), shown);
    }

    // Caret notation takes two columns, and wraps like text.
    Session caret(6, 4, "> ");
    caret.editor.type("a\tb");
    caret.editor.type(ctrl('V') + "\x1b");
    EXPECT_EQ(caret.row(0), "> a^Ib");
    EXPECT_EQ(caret.row(1), "^[");
    EXPECT_TRUE(caret.window.screen.reversed(0, 3));
    EXPECT_TRUE(caret.window.screen.reversed(0, 4));
    EXPECT_FALSE(caret.window.screen.reversed(0, 5));
    EXPECT_EQ(caret.cursor(), (Position{1, 2}));
    caret.editor.type("\x1b[D\x1b[D");
    EXPECT_EQ(caret.cursor(), (Position{0, 5}));
    caret.editor.type("\x7f");  // the Tab
    EXPECT_EQ(caret.row(0), "> ab^[");
    EXPECT_EQ(caret.row(1), "");
    EXPECT_EQ(caret.editor.line(), "ab\x1b");
    caret.editor.type(ctrl('V') + "\x7f");  // before the b
    EXPECT_EQ(caret.row(0), "> a^?b");
    EXPECT_EQ(caret.row(1), "^[");
}

// The no-break space and the rest of Latin-1 show as themselves, one
// column each, with no notation.
TEST(LineEditorScreen, LatinOneFromTheNoBreakSpaceOnShowsAsItself) {
    Session session(100, 4);
    std::string line;
    for (char32_t point = 0xa0; point <= 0xff; ++point) {
        testing::appendUtf8(line, point);
    }
    session.editor.type(line);
    EXPECT_EQ(session.cursor(), (Position{0, 96}));
    for (int column = 0; column < 96; ++column) {
        std::string shown;
        testing::appendUtf8(shown, static_cast<char32_t>(0xa0 + column));
        EXPECT_EQ(session.window.screen.cell(0, column), shown) << column;
        EXPECT_FALSE(session.window.screen.reversed(0, column)) << column;
    }
    session.editor.type("\r");
    EXPECT_EQ(session.readLine(), line);
}

TEST(LineEditorScreen, CtrlVThenALineEndInsertsNothingAndTheGameReadsOneLine) {
    Session session(40, 4);
    session.typeEach("look");
    session.editor.type(ctrl('V') + ctrl('J'));
    session.typeEach("help\r");
    EXPECT_EQ(session.readLine(), "lookhelp");
    Session other(40, 4);
    other.typeEach("look");
    other.editor.type(ctrl('V') + ctrl('M') + "\r");
    EXPECT_EQ(other.readLine(), "look");
    EXPECT_EQ(other.row(0), "look");
}

TEST(LineEditorScreen, EnterPutsTheCursorBelowTheWholeLineWhereverItStood) {
    // Mid-line on the first of three rows.
    Session session(10, 8, "> ");
    session.typeEach("abcdefghijklmnopqrstuv");
    session.editor.type(ctrl('A'));
    session.editor.type("\r");
    EXPECT_EQ(session.readLine(), "abcdefghijklmnopqrstuv");
    EXPECT_EQ(session.cursor(), (Position{3, 0}));
    session.gameWrites("reply\n");
    EXPECT_EQ(session.row(2), "stuv");
    EXPECT_EQ(session.row(3), "reply");
    // A line that ends at its row's end: no empty row after it.
    session.window.screen.feed("\x1b[H\x1b[2J");
    session.editor.takePrompt("> ");
    session.typeEach("abcdefgh");
    session.editor.type("\x1b[D\r");
    EXPECT_EQ(session.readLine(), "abcdefgh");
    EXPECT_EQ(session.cursor(), (Position{1, 0}));
    // An empty line: the next row, with a prompt and without.
    session.editor.type("\r");
    EXPECT_EQ(session.readLine(), "");
    EXPECT_EQ(session.cursor(), (Position{2, 0}));
    EXPECT_EQ(session.row(1), ">");
    Session bare(10, 4);
    bare.editor.type("\r");
    EXPECT_EQ(bare.readLine(), "");
    EXPECT_EQ(bare.cursor(), (Position{1, 0}));
}

// The emulator cuts its rows at a new width, as the Linux console, st and
// the DEC terminals do: TERM says which.
class CuttingTerminal : public ::testing::TestWithParam<std::string_view> {};
INSTANTIATE_TEST_SUITE_P(Term, CuttingTerminal, ::testing::Values("linux", "st-256color", "vt220"));

TEST_P(CuttingTerminal, ANewWidthDrawsTheLineAgainWithoutTouchingTheRowsAbove) {
    Session session(20, 10, "> ", GetParam());
    session.gameWrites("MARK\n");
    const std::string line = "abcdefghijklmnopqrstuvwxyz0123";  // 32 with the prompt
    session.typeEach(line);
    session.typeKeys({"\x1b[D", "\x1b[D", "\x1b[D", "\x1b[D", "\x1b[D"});
    EXPECT_EQ(session.cursor(), (Position{2, 7}));
    session.window.resize(10, 10);
    session.editor.type("X");  // the next key finds the new width
    EXPECT_EQ(session.row(0), "MARK");
    const std::string now = "abcdefghijklmnopqrstuvwxyX" + std::string("z0123");
    const std::vector<std::string> rows = rowsOf("> " + now, 10);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(session.row(static_cast<int>(i) + 1), rows[i]) << i;
    }
    EXPECT_EQ(session.row(5), "");
    EXPECT_EQ(session.cursor(), (Position{3, 8}));
    // Wider again: the line is drawn whole below MARK, the cursor on its place.
    session.window.resize(30, 10);
    session.editor.type("\x1b[D");
    EXPECT_EQ(session.row(0), "MARK");
    const int top = session.cursor().row;
    EXPECT_EQ(session.row(top), "> abcdefghijklmnopqrstuvwxyXz0");
    EXPECT_EQ(session.row(top + 1), "123");
    EXPECT_EQ(session.cursor(), (Position{top, 27}));
    session.editor.type("\r");
    EXPECT_EQ(session.readLine(), now);
    EXPECT_EQ(session.cursor(), (Position{top + 2, 0}));
}

// A terminal that rewraps its rows (tmux, VTE, kitty, xterm) has moved the
// line's start up or down and the cursor with its character. The emulator
// does not rewrap, so the screen after the change is made afresh at the new
// width: the rows above, then the prompt and the line written again (they
// wrap there as the terminal rewraps them), the cursor on its character.
TEST(LineViewScreen, ANewWidthOnATerminalThatRewrapsLeavesOneLineAndTheRowsAbove) {
    struct Case {
        std::string_view name;
        std::string_view prompt;
        std::string line;
        std::size_t cursor;
        std::size_t from;
        std::size_t to;
    };
    const std::vector<Case> cases = {
        {"Swo at the item prompt, 80 to 30", kItemPrompt, "Swo", 3, 80, 30},
        {"150 letters, 80 to 40", "", std::string(150, 'a'), 150, 80, 40},
        {"the cursor inside, 80 to 30", "> ", std::string(100, 'x'), 50, 80, 30},
        {"wider, 30 to 80", "> ", std::string(100, 'b'), 100, 30, 80},
        {"wider, cursor on the first row, 20 to 50", "> ", std::string(60, 'c'), 5, 20, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LineView view;
        view.begin(c.prompt);
        static_cast<void>(view.update(charactersOf(c.line), c.cursor, c.from));
        const std::string text = std::string(c.prompt) + c.line;
        const std::size_t at = c.prompt.size() + c.cursor;
        Screen screen(static_cast<int>(c.to), 24);
        screen.feed("EARLIER\r\n" + text);
        const Position rewrapped = cellOf(at, c.to);
        screen.feed("\x1b[" + std::to_string(rewrapped.row + 2) + ";" +
                    std::to_string(rewrapped.column + 1) + "H");
        screen.feed(view.update(charactersOf(c.line), c.cursor, c.to));
        EXPECT_EQ(screen.row(0), "EARLIER");
        const std::vector<std::string> rows = rowsOf(text, c.to);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(screen.row(static_cast<int>(i) + 1), rows[i]) << "row " << i + 1;
        }
        for (int row = static_cast<int>(rows.size()) + 1; row < screen.rows(); ++row) {
            EXPECT_EQ(screen.row(row), "") << "row " << row << " should be empty";
        }
        EXPECT_EQ(screen.cursor(), (Position{rewrapped.row + 1, rewrapped.column}));
    }
}

// After a stop, the shell has written its own rows below the line; after
// `fg` the line is drawn below them, at the width of the moment.
TEST(LineViewScreen, AfterAContinueTheLineIsDrawnBelowWhatTheShellWrote) {
    Screen screen(80, 12);
    LineView view;
    view.begin("");
    const std::string line(150, 'x');
    screen.feed(view.update(charactersOf(line), line.size(), 80));
    EXPECT_EQ(screen.cursor(), (Position{1, 70}));
    screen.feed("\r\n[1]+  Stopped                 cellbound\r\n$ echo MARK\r\nMARK\r\n");
    screen.resize(40, 12);
    screen.feed("$ fg\r\ncellbound\r\n");
    view.movedToFreshRow();
    screen.feed(view.update(charactersOf(line), line.size(), 40));
    EXPECT_EQ(screen.row(3), "$ echo MARK");
    EXPECT_EQ(screen.row(4), "MARK");
    EXPECT_EQ(screen.row(5), "$ fg");
    EXPECT_EQ(screen.row(6), "cellbound");
    for (int row = 7; row < 10; ++row) {
        EXPECT_EQ(screen.row(row), std::string(40, 'x')) << row;
    }
    EXPECT_EQ(screen.row(10), std::string(30, 'x'));
    EXPECT_EQ(screen.cursor(), (Position{10, 30}));
}

}  // namespace
}  // namespace cellbound
