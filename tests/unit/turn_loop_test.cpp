#include "game/turn_loop.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::Session;

constexpr const char* kInvalid = "That is not a valid option.\n";
constexpr const char* kGreeting =
    "\nYou greet the woman. She looks up at you. \nYou still cannot see he face but she says to "
    "you \"It is good to see another face again. I must warn you this is a prison like no other. "
    "\nYou shall find no easy escape. However if you find the Sword, Shield, and Gem, before "
    "reaching the end, you may have a chance.\"\n";
constexpr const char* kTalkingToYourself =
    "\nYou begin talking to yourself. Normally you'd say you are going crazy but what is crazy in "
    "a place like this.\n";

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
    const std::string help =
        "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, "
        "Attack, Block, Talk, Look\n";
    const std::string empty = "\nInventory is empty!\n";
    std::string expected = help + help + empty + empty;
    for (int i = 0; i < 7; ++i) {
        expected += kInvalid;
    }
    EXPECT_EQ(session.printed(), expected + empty);
}

TEST(TurnLoop, ColoursTheTypingOfEachCommandOnly) {
    Session session("look\n");
    playTurns(session);
    using enum Colour;
    EXPECT_EQ(session.colours, (std::vector{Command, Reply, Command, Reply}));
}

TEST(TurnLoop, TalkGreetsTheWomanOnlyInTheCells) {
    Session session("talk\nTalk\nTalk\n");
    TurnLoop loop(session.console, session.player);
    loop.turn();
    session.standIn(Cells);
    loop.turn();
    session.room(Cells).visited = true;
    loop.turn();
    EXPECT_EQ(session.printed(), std::string(kTalkingToYourself) + kGreeting + kGreeting);
}

TEST(TurnLoop, EndsAfterTheTurnThatFindsTheGameWon) {
    Session session("look\ninventory\nlook\n");
    session.player.gameOver = true;
    EXPECT_EQ(playTurns(session), 1);
    EXPECT_EQ(session.unread(), "inventory\nlook\n");
}

TEST(Play, OpensWithTheCommandListTheWakingTextAndTheBedroom) {
    Session session;
    play(session.console);
    EXPECT_EQ(session.printed(),
              "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, "
              "Attack, Talk, Inventory, Look\n"
              "\nYou awaken on a hard bed, looking up at an unfamiliar ceiling. As you sit up you "
              "have a sharp pain in your head. \nYou try to remember how you got here but find you "
              "can't remember anything prior to waking up.\n"
              "\nYou see the bed you woke up in. There is a open door to the east, and a door to "
              "the south.\n\nThere is nothing worth picking up.\n");
    EXPECT_EQ(session.colours.front(), Colour::Reply);
}

}  // namespace
}  // namespace cellbound
