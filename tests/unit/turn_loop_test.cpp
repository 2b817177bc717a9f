#include "game/turn_loop.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_texts.hpp"
#include "session.hpp"
#include "world/room_texts.hpp"

namespace cellbound {
namespace {

using test_support::lines;
using test_support::Session;
namespace text = game_texts;

TEST(TurnLoop, EndsAfterTheTurnThatFindsTheGameWonOrNoLineToRead) {
    Session session("look\nlook\ninventory\n");
    TurnLoop loop(session.console, session.player);
    EXPECT_TRUE(loop.turn());
    session.player.gameOver = true;
    EXPECT_FALSE(loop.turn());  // a turn played in full
    const std::string bedroom = lines(room_texts::kBedroom, room_texts::kNothingWorthPickingUp);
    EXPECT_EQ(session.printed(), bedroom + bedroom);
    EXPECT_EQ(session.unread(), "inventory\n");
    Session ended;  // nothing typed at all
    EXPECT_FALSE(TurnLoop(ended.console, ended.player).turn());
}

TEST(Play, OpensWithTheCommandListTheWakingTextAndTheBedroomAndColoursOnlyTheTypedCommands) {
    Session session("look\n");
    play(session.console);
    const std::string bedroom = lines(room_texts::kBedroom, room_texts::kNothingWorthPickingUp);
    EXPECT_EQ(session.printed(), lines(text::kCommandList, text::kWaking) + bedroom + bedroom);
    using enum Colour;
    EXPECT_EQ(session.colours, (std::vector{Reply, Command, Reply, Command, Reply}));
}

}  // namespace
}  // namespace cellbound
