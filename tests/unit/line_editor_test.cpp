#include "platform/line_editor.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "../support/key_table.hpp"
#include "../support/pipe.hpp"
#include "console/input_reader.hpp"
#include "in_memory.hpp"

namespace cellbound {
namespace {

using testing::ctrl;
using ::testing::EndsWith;

// Keys go in through a pipe, as a terminal would send them; what the editor
// draws goes into a string. Not a terminal, so the screen is 80 columns wide.
class Keyboard {
public:
    void type(std::string_view keys) { EXPECT_TRUE(pipe_.write(keys)); }
    void closeKeys() { pipe_.closeWriting(); }
    // The next line the game reads; false at the end of input.
    bool readLine(std::string& line) { return test_support::takeLine(editor.source(), line); }
    bool readWord(std::string& word) {
        const auto read = InputReader(editor.source()).readWord();
        word = read ? read->text() : "";
        return read.has_value();
    }

private:
    testing::Pipe pipe_;

public:
    test_support::MemoryOutput screen;
    LineEditor editor{pipe_.reading(), -1, screen.sink, "xterm"};
};

// Each row's keys typed at once: the line and its cursor, and the line the
// game reads after Enter.
TEST(LineEditor, EveryKeyDoesWhatItsRowSays) {
    for (const testing::KeyRow& row : testing::keyTable()) {
        for (const std::string& key : row.keys.empty() ? std::vector<std::string>{""} : row.keys) {
            SCOPED_TRACE(std::string(row.name) + " " + ::testing::PrintToString(key));
            Keyboard keyboard;
            keyboard.editor.type(row.typed + key);
            std::string expected(row.after);
            const std::size_t cursor = expected.find('|');
            expected.erase(cursor, 1);
            EXPECT_EQ(keyboard.editor.line(), expected);
            EXPECT_EQ(keyboard.editor.cursor(), cursor);
            keyboard.editor.type("\r");
            std::string line;
            ASSERT_TRUE(keyboard.readLine(line));
            EXPECT_EQ(line, expected);
        }
    }
}

TEST(LineEditor, EveryTypedByteReachesTheGameAsTypedAndIsShownSo) {
    Keyboard keyboard;
    keyboard.type("lo\xc3\xa9ok\r\tlook\rlo");
    keyboard.type(ctrl('V') + ctrl('A'));
    keyboard.type("ok\n");
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "lo\xc3\xa9ok");
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "\tlook");
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, std::string("lo\x01ok"));
}

TEST(LineEditor, UpAndDownRecallEarlierLinesAndTheLineBeingTyped) {
    Keyboard keyboard;
    keyboard.type("look\r   \rhelp\r");
    keyboard.type("\x1b[A\x1b[A\r");  // the blank line was not kept
    keyboard.type("dr\x1b[A\x1b[Baft\r");
    keyboard.type("\x1b[B" + ctrl('P') + ctrl('N') + ctrl('P') + "\r");
    std::string line;
    for (const std::string_view expected : {"look", "   ", "help", "look", "draft", "draft"}) {
        ASSERT_TRUE(keyboard.readLine(line));
        EXPECT_EQ(line, expected);
    }
}

TEST(LineEditor, CtrlDOnAnEmptyLineIsTheEndOfInputAsIsAClosedKeyboard) {
    Keyboard keyboard;
    keyboard.type("look\r" + ctrl('D'));
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_FALSE(keyboard.readLine(line));

    Keyboard closing;
    closing.type("loo");
    closing.closeKeys();
    EXPECT_FALSE(closing.readLine(line));  // a line not sent is not read
}

TEST(LineEditor, KeepsTheLatestFiveHundredLines) {
    Keyboard keyboard;
    std::string typed;
    for (int i = 0; i <= 500; ++i) {
        typed += "line" + std::to_string(i) + "\r";
    }
    keyboard.type(typed);
    keyboard.type(testing::times(501, ctrl('P')) + "\r");
    std::string line;
    for (int i = 0; i <= 500; ++i) {
        ASSERT_TRUE(keyboard.readLine(line));
    }
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "line1");
}

TEST(LineEditor, EndsInputWhenTheKeyboardEndsInsideAKeyOrTheScreenFails) {
    for (const std::string& keys : {"lo" + ctrl('V'), std::string("lo\x1b"), std::string("lo\x1b["),
                                    std::string("lo\x1b[1")}) {
        Keyboard keyboard;
        keyboard.type(keys);
        keyboard.closeKeys();
        std::string line;
        EXPECT_FALSE(keyboard.readLine(line));
    }

    ByteSink broken{[](std::string_view /*bytes*/) { return std::size_t{0}; }};
    testing::Pipe keys;
    LineEditor editor(keys.reading(), -1, broken, "xterm");
    EXPECT_TRUE(keys.write("look\r"));
    std::string line;
    EXPECT_FALSE(test_support::takeLine(editor.source(), line));
}

TEST(LineEditor, ALineIsAsLongAsTheTerminalsOwnLinesAtMost) {
    Keyboard keyboard;
    keyboard.editor.type(std::string(5000, 'x') + "\xc3\xa9\r");
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, std::string(LineEditor::kLongestLine, 'x'));
}

TEST(LineEditor, DrawsATakenPromptBeforeItsLineOnly) {
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.editor.takePrompt("Enter the item you want to pick up: "));
    keyboard.type("Sword north\r");
    std::string word;
    ASSERT_TRUE(keyboard.readWord(word));
    EXPECT_EQ(word, "Sword");
    EXPECT_THAT(keyboard.screen.written,
                EndsWith("Enter the item you want to pick up: Sword north\r\n"));
    // What is left of the line is read next, with no edit: no prompt either.
    EXPECT_FALSE(keyboard.editor.takePrompt("Enter the item you want to drop: "));
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, " north");
    keyboard.type("look\r");
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_THAT(keyboard.screen.written, EndsWith("\r\x1b[Jlook\r\n"));
}

}  // namespace
}  // namespace cellbound
