#include "game/turn_loop.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_texts.hpp"
#include "player/player_texts.hpp"
#include "session.hpp"
#include "world/room_texts.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::lines;
using test_support::Session;
namespace text = game_texts;

// Plays turns until the loop ends, and says how many there were.
int playTurns(Session& session) {
    TurnLoop loop(session.console, session.player);
    int turns = 1;
    while (loop.turn()) {
        ++turns;
    }
    return turns;
}

TEST(TurnLoop, KnowsExactlyTwoSpellingsOfEachCommand) {
    Session session(
        "help\nHelp\ninventory\nInventory\nLOOK\n look\nlook \n\nUse Key\nBlock\nUse\nInventory");
    EXPECT_EQ(playTurns(session), 13);  // the last turn finds the end of input
    const std::string empty = lines(player_texts::kInventoryEmpty);
    std::string expected = lines(text::kHelp, text::kHelp) + empty + empty;
    for (int i = 0; i < 7; ++i) {
        expected += lines(text::kInvalid);
    }
    EXPECT_EQ(session.printed(), expected + empty);
}

TEST(TurnLoop, TalkGreetsTheWomanOnlyInTheCells) {
    Session session("talk\nTalk\nTalk\n");
    TurnLoop loop(session.console, session.player);
    loop.turn();
    session.standIn(Cells);
    loop.turn();
    session.room(Cells).visited = true;
    loop.turn();
    EXPECT_EQ(session.printed(), lines(text::kTalkingToYourself, text::kGreeting, text::kGreeting));
}

TEST(TurnLoop, EndsAfterTheTurnThatFindsTheGameWon) {
    Session session("look\ninventory\nlook\n");
    session.player.gameOver = true;
    EXPECT_EQ(playTurns(session), 1);
    EXPECT_EQ(session.unread(), "inventory\nlook\n");
}

TEST(Play, OpensWithTheCommandListTheWakingTextAndTheBedroomAndColoursOnlyTheTypedCommands) {
    Session session("look\n");
    play(session.console);
    const std::string bedroom = lines(room_texts::kBedroom, room_texts::kNothingWorthPickingUp);
    EXPECT_EQ(session.printed(), lines(text::kCommandList, text::kWaking) + bedroom + bedroom);
    using enum TextAttribute;
    EXPECT_EQ(session.colours, (std::vector{Reply, Command, Reply, Command, Reply}));
}

}  // namespace
}  // namespace cellbound
