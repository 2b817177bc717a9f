// The screen the line editor's tests look at: these pin down the terminal
// behaviour the tests rely on, so that a wrong assumption about the emulator
// fails here and not as a puzzle in the editor's tests.
#include "screen.hpp"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "window.hpp"

namespace cellbound::testing {
namespace {

using Position = Screen::Position;

TEST(Screen, ShowsRowsAndTheCursorAndHoldsTheCursorAtARowsEndUntilTheNextCharacter) {
    Screen screen(10, 4);
    screen.feed("hello\r\nworld");
    EXPECT_EQ(screen.row(0), "hello");
    EXPECT_EQ(screen.row(1), "world");
    EXPECT_EQ(screen.text(), "hello\nworld\n");
    EXPECT_EQ(screen.cursor(), (Position{1, 5}));
    screen.feed("abcde");  // fills the row: the cursor waits on its last column
    EXPECT_EQ(screen.cursor(), (Position{1, 9}));
    screen.feed("f");
    EXPECT_EQ(screen.row(2), "f");
    EXPECT_EQ(screen.cursor(), (Position{2, 1}));
}

TEST(Screen, AWideCharacterThatDoesNotFitGoesToTheNextRowLeavingTheLastCellEmpty) {
    Screen screen(10, 4);
    screen.feed("123456789\xe4\xb8\xad");  // U+4E2D, two columns
    EXPECT_EQ(screen.row(0), "123456789");
    EXPECT_EQ(screen.cell(0, 9), "");
    EXPECT_EQ(screen.cell(1, 0), "\xe4\xb8\xad");
    EXPECT_EQ(screen.cellWidth(1, 0), 2);
    EXPECT_EQ(screen.cell(1, 1), "");
    EXPECT_EQ(screen.cursor(), (Position{1, 2}));
}

TEST(Screen, KeepsACombiningMarkWithItsLetterAndTellsBlanksFromEmptyCells) {
    Screen screen(10, 4);
    screen.feed("cafe\xcc\x81 x");
    EXPECT_EQ(screen.cell(0, 3), "e\xcc\x81");
    EXPECT_EQ(screen.cell(0, 4), " ");
    EXPECT_EQ(screen.cell(0, 6), "");
    EXPECT_EQ(screen.row(0), "cafe\xcc\x81 x");
    EXPECT_EQ(screen.cursor(), (Position{0, 6}));
}

TEST(Screen, ReportsColoursAndReverseVideoAndRowsScrolledOff) {
    Screen screen(10, 2);
    screen.feed("\x1b[95ma\x1b[7mb\x1b[27mc\x1b[0md");
    EXPECT_EQ(screen.foreground(0, 0), 13);
    EXPECT_FALSE(screen.reversed(0, 0));
    EXPECT_TRUE(screen.reversed(0, 1));
    EXPECT_EQ(screen.foreground(0, 2), 13);
    EXPECT_FALSE(screen.reversed(0, 2));
    EXPECT_EQ(screen.foreground(0, 3), -1);
    screen.feed("\r\n\r\n\r\n");
    EXPECT_EQ(screen.scrolledOff(), 2);
}

TEST(Window, ReportsItsSizeThroughItsTerminalAndShowsWhatIsWritten) {
    Window window(40, 10);
    winsize size{};
    ASSERT_EQ(::ioctl(window.sizeDescriptor(), TIOCGWINSZ, &size), 0);
    EXPECT_EQ(size.ws_col, 40);
    EXPECT_EQ(size.ws_row, 10);
    window.output().write("abc");
    window.output().flush();
    EXPECT_EQ(window.screen.row(0), "abc");
    EXPECT_EQ(window.writtenSinceLastAsked(), 3U);
    EXPECT_EQ(window.writtenSinceLastAsked(), 0U);

    // Narrower: the rows are cut, the cursor keeps its row.
    window.output().write("\r\n0123456789012345678901234567890123456789x");
    window.output().flush();
    EXPECT_EQ(window.screen.cursor(), (Position{2, 1}));
    window.resize(20, 10);
    ASSERT_EQ(::ioctl(window.sizeDescriptor(), TIOCGWINSZ, &size), 0);
    EXPECT_EQ(size.ws_col, 20);
    EXPECT_EQ(window.screen.row(1), "01234567890123456789");
    EXPECT_EQ(window.screen.cursor().row, 2);
}

}  // namespace
}  // namespace cellbound::testing
