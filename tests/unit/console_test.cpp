#include "console/console.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session.hpp"

namespace cellbound {
namespace {

using test_support::MemoryInput;
using test_support::MemoryOutput;
using test_support::Session;

TEST(ConsoleInput, LineReadsTakeCrLfAsTheLineEndAndKeepOtherCarriageReturns) {
    Session typed("north\r\nso\ruth\r\n\r\nlast");
    EXPECT_EQ(typed.console.readLine()->text(), "north");
    EXPECT_EQ(typed.console.readLine()->text(), "so\ruth");
    EXPECT_EQ(typed.console.readLine()->text(), "");
    EXPECT_EQ(typed.console.readLine()->text(), "last");  // no line feed, still a line
    EXPECT_FALSE(typed.console.readLine());
}

TEST(ConsoleInput, WordReadsSkipEveryWhiteSpaceAndLeaveTheNextOneUnread) {
    Session typed(" \t\v\f\r\n  Sword\r\nlook\nSword north\n");
    EXPECT_EQ(typed.console.readWord()->text(), "Sword");
    typed.console.discardOne();  // CR LF goes as one character
    EXPECT_EQ(typed.console.readLine()->text(), "look");
    EXPECT_EQ(typed.console.readWord()->text(), "Sword");
    typed.console.discardOne();
    EXPECT_EQ(typed.console.readLine()->text(), "north");
}

TEST(ConsoleInput, EndOfInputIsStickyForEveryKindOfRead) {
    Session typed("  \n ");
    EXPECT_FALSE(typed.console.readWord());
    EXPECT_TRUE(typed.console.inputEnded());
    typed.in.typed = "look\n";  // input arriving after the end is never read
    EXPECT_FALSE(typed.console.readLine());
    EXPECT_FALSE(typed.console.readWord());
    typed.console.discardOne();
    EXPECT_FALSE(typed.console.readLine());
    EXPECT_EQ(typed.in.refills, 2);  // the typed text, then its end, and never again
}

TEST(ConsoleInput, OverLongInputIsConsumedWholeAndEqualsNothing) {
    const std::string longLine(100'000, 'x');
    Session typed("look" + longLine + "\n" + longLine + "\nlook\n");
    const auto line = typed.console.readLine();
    EXPECT_TRUE(line->overLong());
    EXPECT_LE(line->text().size(), TypedText::kKeptLength);
    EXPECT_FALSE(*line == line->text());
    EXPECT_FALSE(*typed.console.readWord() == longLine);
    typed.console.discardOne();
    EXPECT_TRUE(*typed.console.readLine() == "look");
}

TEST(ConsoleOutput, EachMessageLineIsOneWriteAndColoursWaitForTheNextFlush) {
    std::vector<std::string> writes;
    ByteSink device{[&writes](std::string_view bytes) {
        writes.emplace_back(bytes);
        return bytes.size();
    }};
    MemoryInput in("Sword\n");
    Console console(in.source, device, [&device](Colour attribute) {
        device.write(attribute == Colour::Command ? "<13>" : "<10>");
    });
    console.message("\nA heading:");
    console.setColour(Colour::Command);
    EXPECT_EQ(writes.size(), 1U);
    console.prompt("\nA prompt: ");
    static_cast<void>(console.readWord());  // nothing pending: no write
    EXPECT_EQ(writes, (std::vector<std::string>{"\nA heading:\n", "<13>\nA prompt: "}));
}

// Output that cannot be written ends the session as the end of input does,
// before anything more is taken from the input.
TEST(ConsoleOutput, AShortWriteIsFinishedAndAFailedWriteIsTheLastAndEndsTheSession) {
    struct Case {
        std::size_t most;  // bytes that one write takes at most
        int failing;       // the write that fails, counted from 1; 0 for none
        std::string_view written;
        int writes;
    };
    const std::vector<Case> cases = {
        {100, 0, "You see:\nthe end\n", 2},
        {3, 0, "You see:\nthe end\n", 6},  // each line finished in three writes
        {3, 2, "You", 2},                  // nothing is written after the failure
        {100, 1, "", 1},
    };
    for (const Case& c : cases) {
        std::string written;
        int writes = 0;
        ByteSink device{[&](std::string_view bytes) -> std::size_t {
            if (++writes == c.failing) {
                return 0;
            }
            const std::size_t count = std::min(bytes.size(), c.most);
            written.append(bytes.substr(0, count));
            return count;
        }};
        MemoryInput in("look\n");
        Console console(in.source, device);
        console.message("You see:");
        console.message("the end");
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(console.outputFailed(), c.failing != 0);
        EXPECT_EQ(console.readLine().has_value(), c.failing == 0);
        EXPECT_FALSE(console.readWord());
        console.discardOne();
        EXPECT_EQ(in.refills, c.failing == 0 ? 2 : 0);  // the line, then the end; or nothing
        EXPECT_EQ(writes, c.writes);
    }
}

TEST(ConsoleOutput, ALineEditorMayTakeTheLastLineOfAPrompt) {
    MemoryInput in;
    MemoryOutput out;
    std::string taken;
    Console console(in.source, out.sink, {}, [&taken](std::string_view text) {
        taken = text;
        return true;
    });
    console.prompt("\nA prompt: ");
    EXPECT_EQ(out.written, "\n");
    EXPECT_EQ(taken, "A prompt: ");
}

}  // namespace
}  // namespace cellbound
