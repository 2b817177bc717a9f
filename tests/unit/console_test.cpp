#include "console/console.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace cellbound {
namespace {

// Counts the writes that reach the device: one for each flush of pending text.
class WriteCounter : public std::streambuf {
public:
    int writes = 0;
    std::string written;

protected:
    int_type overflow(int_type c) override {
        pending_.push_back(traits_type::to_char_type(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        if (!pending_.empty()) {
            ++writes;
            written += pending_;
            pending_.clear();
        }
        return 0;
    }

private:
    std::string pending_;
};

struct Typed {
    explicit Typed(std::string text) : in(std::move(text)) {}
    std::istringstream in;
    std::ostringstream out;
    Console console{*in.rdbuf(), *out.rdbuf()};
};

TEST(ConsoleInput, LineReadsTakeCrLfAsTheLineEndAndKeepOtherCarriageReturns) {
    Typed typed("north\r\nso\ruth\r\n\r\nlast");
    EXPECT_EQ(typed.console.readLine()->text(), "north");
    EXPECT_EQ(typed.console.readLine()->text(), "so\ruth");
    EXPECT_EQ(typed.console.readLine()->text(), "");
    EXPECT_EQ(typed.console.readLine()->text(), "last");  // no line feed, still a line
    EXPECT_FALSE(typed.console.readLine());
}

TEST(ConsoleInput, WordReadsSkipEveryWhiteSpaceAndLeaveTheNextOneUnread) {
    Typed typed(" \t\v\f\r\n  Sword\r\nlook\nSword north\n");
    EXPECT_EQ(typed.console.readWord()->text(), "Sword");
    typed.console.discardOne();  // CR LF goes as one character
    EXPECT_EQ(typed.console.readLine()->text(), "look");
    EXPECT_EQ(typed.console.readWord()->text(), "Sword");
    typed.console.discardOne();
    EXPECT_EQ(typed.console.readLine()->text(), "north");
}

TEST(ConsoleInput, EndOfInputIsStickyForEveryKindOfRead) {
    Typed typed("  \n ");
    EXPECT_FALSE(typed.console.readWord());
    EXPECT_TRUE(typed.console.inputEnded());
    typed.in.clear();
    typed.in.str("look\n");  // input arriving after the end is never read
    EXPECT_FALSE(typed.console.readLine());
    EXPECT_FALSE(typed.console.readWord());
    typed.console.discardOne();
    EXPECT_FALSE(typed.console.readLine());
}

TEST(ConsoleInput, OverLongInputIsConsumedWholeAndEqualsNothing) {
    const std::string longLine(100'000, 'x');
    Typed typed("look" + longLine + "\n" + longLine + "\nlook\n");
    const auto line = typed.console.readLine();
    EXPECT_TRUE(line->overLong());
    EXPECT_LE(line->text().size(), TypedText::kKeptLength);
    EXPECT_FALSE(*line == line->text());
    EXPECT_FALSE(*typed.console.readWord() == longLine);
    typed.console.discardOne();
    EXPECT_TRUE(*typed.console.readLine() == "look");
}

TEST(ConsoleExchange, HintsEveryOtherReplyUntilTheExpectedOneOrTheEnd) {
    Typed typed("use key\nUse Key \n\nUse Key\nrest\n");
    EXPECT_TRUE(typed.console.awaitLine("Use Key", "hint"));
    EXPECT_EQ(typed.out.str(), "hint\nhint\nhint\n");
    EXPECT_EQ(typed.console.readLine()->text(), "rest");

    Typed words("I block Block\n");
    EXPECT_TRUE(words.console.awaitWord("Block", "hint"));
    EXPECT_EQ(words.out.str(), "hint\nhint\n");

    Typed cutOff("block\nBlo");
    EXPECT_FALSE(cutOff.console.awaitWord("Block", "hint"));
    EXPECT_EQ(cutOff.out.str(), "hint\nhint\n");
}

TEST(ConsoleOutput, EachMessageLineIsOneWriteAndColoursWaitForTheNextFlush) {
    WriteCounter device;
    std::ostream out(&device);
    std::istringstream in("Sword\n");
    Console console(*in.rdbuf(), device, [&out](TextAttribute attribute) {
        out << (attribute == TextAttribute::Command ? "<13>" : "<10>");
    });
    console.message("\nThe rooms items:");
    console.setColour(TextAttribute::Command);
    EXPECT_EQ(device.writes, 1);
    console.prompt("\nEnter the item you want to pick up: ");
    static_cast<void>(console.readWord());  // nothing pending: no write
    EXPECT_EQ(device.writes, 2);
    EXPECT_EQ(device.written, "\nThe rooms items:\n<13>\nEnter the item you want to pick up: ");
}

// A full device: it takes no text, and every flush fails.
class FullDevice : public std::streambuf {
protected:
    int sync() override { return -1; }
    std::streamsize xsputn(const char* /*text*/, std::streamsize /*n*/) override { return 0; }
};

TEST(ConsoleOutput, OutputThatCannotBeWrittenEndsTheSessionBeforeAnyFurtherRead) {
    FullDevice full;
    std::istringstream in("look\nSword\n");
    Console console(*in.rdbuf(), full);
    console.message("\nThe rooms items:");
    EXPECT_TRUE(console.outputFailed());
    EXPECT_FALSE(console.readLine());
    EXPECT_FALSE(console.readWord());
    console.discardOne();
    EXPECT_EQ(in.tellg(), 0);  // nothing was taken from the input
}

TEST(ConsoleOutput, ALineEditorMayTakeTheLastLineOfAPrompt) {
    std::istringstream in;
    std::ostringstream out;
    std::string taken;
    Console console(*in.rdbuf(), *out.rdbuf(), {}, [&taken](std::string_view text) {
        taken = text;
        return true;
    });
    console.prompt("\nEnter the item you want to drop: ");
    EXPECT_EQ(out.str(), "\n");
    EXPECT_EQ(taken, "Enter the item you want to drop: ");
}

}  // namespace
}  // namespace cellbound
