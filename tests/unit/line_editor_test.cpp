#include "platform/line_editor.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/input_reader.hpp"
#include "in_memory.hpp"

namespace cellbound {
namespace {

using ::testing::EndsWith;

constexpr const char* kUp = "\x1b[A";
constexpr const char* kDown = "\x1b[B";
constexpr const char* kRight = "\x1b[C";
constexpr const char* kLeft = "\x1b[D";
constexpr const char* kHome = "\x1b[H";
constexpr const char* kEnd = "\x1b[F";
constexpr const char* kDelete = "\x1b[3~";
constexpr const char* kBackspace = "\x7f";

constexpr char ctrl(char letter) {
    return static_cast<char>(letter & 0x1f);
}

// Keys go in through a pipe, as a terminal would send them; what the editor
// draws goes into a string. Not a terminal, so the screen is 80 columns wide.
std::array<int, 2> makePipe() {
    std::array<int, 2> ends{-1, -1};
    if (::pipe(ends.data()) != 0) {
        throw std::runtime_error("no pipe");
    }
    return ends;
}

class Keyboard {
public:
    Keyboard() = default;
    ~Keyboard() {
        ::close(ends_[0]);
        closeKeys();
    }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;
    Keyboard(Keyboard&&) = delete;
    Keyboard& operator=(Keyboard&&) = delete;

    void type(std::string_view keys) {
        EXPECT_EQ(::write(ends_[1], keys.data(), keys.size()), static_cast<long>(keys.size()));
    }
    void closeKeys() {
        if (ends_[1] >= 0) {
            ::close(ends_[1]);
            ends_[1] = -1;
        }
    }
    // The next line the game reads; false at the end of input.
    bool readLine(std::string& line) { return test_support::takeLine(editor.source(), line); }
    bool readWord(std::string& word) {
        const auto read = InputReader(editor.source()).readWord();
        word = read ? read->text() : "";
        return read.has_value();
    }

private:
    std::array<int, 2> ends_ = makePipe();  // read end, write end

public:
    test_support::MemoryOutput screen;
    LineEditor editor{ends_[0], -1, screen.sink};
};

std::string lineAfter(std::string_view keys) {
    Keyboard keyboard;
    keyboard.type(keys);
    std::string line;
    EXPECT_TRUE(keyboard.readLine(line));
    return line;
}

TEST(LineEditor, EveryTypedByteReachesTheGameAsTypedAndIsShownSo) {
    Keyboard keyboard;
    keyboard.type("lo\xc3\xa9ok\r\tlook\rlo");
    keyboard.type(std::string{ctrl('V'), ctrl('A')});
    keyboard.type("ok\n");
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "lo\xc3\xa9ok");
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "\tlook");
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, std::string("lo\x01ok"));
}

TEST(LineEditor, EditingKeysWorkWhereTheCursorIs) {
    // Ctrl-W takes the word before the cursor, Backspace a character,
    // Ctrl-U all before the cursor.
    EXPECT_EQ(lineAfter(std::string("help me") + ctrl('W') + kBackspace + ctrl('U') + "look\r"),
              "look");
    // Delete and Ctrl-D take the character under the cursor.
    EXPECT_EQ(lineAfter(std::string("lxook") + ctrl('A') + kRight + kDelete + "\r"), "look");
    EXPECT_EQ(lineAfter(std::string("lxook") + ctrl('A') + ctrl('F') + ctrl('D') + "\r"), "look");
    // Home and End, in both of the forms terminals send, and Ctrl-K.
    EXPECT_EQ(
        lineAfter(std::string("ook") + kHome + "l" + kEnd + "!" + "\x1b[1~" + ctrl('K') + "\r"),
        "");
    EXPECT_EQ(lineAfter(std::string("ok") + "\x1b[1~" + "lo" + "\x1b[4~" + std::string(kLeft) +
                        ctrl('B') + ctrl('K') + "\r"),
              "lo");
    // A UTF-8 character is one character to the cursor and to Backspace.
    EXPECT_EQ(lineAfter(std::string("l\xc3\xa9ook") + kLeft + kLeft + kLeft + kBackspace + "\r"),
              "look");
    // Bytes that are no UTF-8 character reach the game as they are too.
    EXPECT_EQ(lineAfter("\x80look\xe2\x82\r"), "\x80look\xe2\x82");
    // Keys that edit nothing change nothing: Right at the end, Ctrl-W and
    // Left at the start, Ctrl-L (which clears the screen), unbound keys.
    EXPECT_EQ(lineAfter(std::string("lo") + kRight + ctrl('A') + ctrl('W') + kLeft + ctrl('E') +
                        ctrl('L') + "\x1b[Z" + "ok\r"),
              "look");
    EXPECT_EQ(lineAfter(std::string("lo") + ctrl('G') + "\x1b" + "z" + "\x1b[5~" + "ok\r"), "look");
}

// The word keys as readline has them: a word is letters and digits; beyond
// ASCII, letters are every character but Latin-1's and General
// Punctuation's blanks and signs. X marks where the cursor ends.
TEST(LineEditor, WordKeysMoveAndDeleteByLettersAndDigits) {
    const std::string kAltB =
        "\x1b"
        "b";
    const std::string kAltF =
        "\x1b"
        "f";
    const std::string kAltD =
        "\x1b"
        "d";
    const std::string kAltBackspace = "\x1b\x7f";
    const std::string home(1, ctrl('A'));
    const std::vector<std::pair<std::string, std::string_view>> cases = {
        {"north-east" + kAltB + "X", "north-Xeast"},
        {"north-east" + kAltB + kAltB + "X", "Xnorth-east"},
        {"go  north" + home + kAltF + "X", "goX  north"},
        {"go  north" + home + kAltF + kAltF + "X", "go  northX"},
        {"go, north!" + home + kAltF + kAltF + "X", "go, northX!"},
        {"pickup" + std::string(kLeft) + kLeft + kAltD + "X", "pickX"},
        {"pick up" + home + kAltD + "X", "X up"},
        {"pick  up" + home + kRight + kRight + kRight + kRight + kAltD + "X", "pickX"},
        {"pick up" + std::string(kLeft) + kAltBackspace + "X", "pick Xp"},
        {"pick up!!" + kAltBackspace + "X", "pick X"},
        {"caf\xc3\xa9 au lait" + kAltB + kAltB + kAltB + "X", "Xcaf\xc3\xa9 au lait"},
        {"cafe\xcc\x81 x" + kAltB + kAltB + "X", "Xcafe\xcc\x81 x"},
        {"a\xc2\xa0"
         "b" +
             kAltB + kAltB + "X",
         "Xa\xc2\xa0"
         "b"},
        {"\xc2\xabgo\xc2\xbb" + home + kAltD + "X", "X\xc2\xbb"},
        {"\xe4\xb8\xad\xe6\x96\x87\xe3\x80\x82ok" + home + kAltF + "X",
         "\xe4\xb8\xad\xe6\x96\x87X\xe3\x80\x82ok"},
        {"x\xe2\x80\x94y" + kAltB + "X", "x\xe2\x80\x94Xy"},
        {"12\xff"
         "ab" +
             kAltB + kAltB + "X",
         "X12\xff"
         "ab"},
    };
    for (const auto& [keys, expected] : cases) {
        EXPECT_EQ(lineAfter(keys + "\r"), expected) << testing::PrintToString(keys);
    }
}

// Ctrl-D deletes the character under the cursor: at the end of a line
// that is not empty, nothing, and the line goes on.
TEST(LineEditor, CtrlDAtTheEndOfALineDoesNothing) {
    Keyboard keyboard;
    keyboard.type(std::string("look") + ctrl('D') + ctrl('D') + "ing\r");
    std::string line;
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "looking");
}

TEST(LineEditor, UpAndDownRecallEarlierLinesAndTheLineBeingTyped) {
    Keyboard keyboard;
    keyboard.type("look\r   \rhelp\r");
    keyboard.type(std::string(kUp) + kUp + "\r");  // the blank line was not kept
    keyboard.type("dr" + std::string(kUp) + kDown + "aft\r");
    keyboard.type(std::string(kDown) + ctrl('P') + ctrl('N') + ctrl('P') + "\r");
    std::string line;
    for (const std::string_view expected : {"look", "   ", "help", "look", "draft", "draft"}) {
        ASSERT_TRUE(keyboard.readLine(line));
        EXPECT_EQ(line, expected);
    }
}

TEST(LineEditor, CtrlDOnAnEmptyLineIsTheEndOfInputAsIsAClosedKeyboard) {
    Keyboard keyboard;
    keyboard.type(std::string("look\r") + ctrl('D'));
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
    keyboard.type(std::string(501, ctrl('P')) + "\r");
    std::string line;
    for (int i = 0; i <= 500; ++i) {
        ASSERT_TRUE(keyboard.readLine(line));
    }
    ASSERT_TRUE(keyboard.readLine(line));
    EXPECT_EQ(line, "line1");
}

TEST(LineEditor, EndsInputWhenTheKeyboardEndsInsideAKeyOrTheScreenFails) {
    for (const std::string& keys : {std::string("lo") + ctrl('V'), std::string("lo\x1b"),
                                    std::string("lo\x1b["), std::string("lo\x1b[1")}) {
        Keyboard keyboard;
        keyboard.type(keys);
        keyboard.closeKeys();
        std::string line;
        EXPECT_FALSE(keyboard.readLine(line));
    }

    ByteSink broken{[](std::string_view /*bytes*/) { return std::size_t{0}; }};
    std::array<int, 2> ends = makePipe();
    {
        LineEditor editor(ends[0], -1, broken);
        EXPECT_EQ(::write(ends[1], "look\r", 5), 5);
        std::string line;
        EXPECT_FALSE(test_support::takeLine(editor.source(), line));
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(LineEditor, ALineIsAsLongAsTheTerminalsOwnLinesAtMost) {
    const std::string line = lineAfter(std::string(5000, 'x') + "\r");
    EXPECT_EQ(line.size(), LineEditor::kLongestLine);
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
