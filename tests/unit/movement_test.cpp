#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "player/player_texts.hpp"
#include "session.hpp"
#include "world/room_texts.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::lines;
using test_support::Session;
using ::testing::EndsWith;
using ::testing::StartsWith;
namespace text = player_texts;

TEST(Move, FollowsEveryExitOfTheMapWithItsMessage) {
    // By Direction (east, west, north, south), with and without a capital.
    const std::array<const char*, kDirectionCount> commands{"East", "west", "North", "south"};
    const std::array moved{text::kMovedEast, text::kMovedWest, text::kMovedNorth,
                           text::kMovedSouth};
    Session session;
    session.room(DollRoom).locked = false;  // the door has tests of its own
    int passages = 0;
    for (std::size_t label = 0; label < kRoomCount; ++label) {
        Room& from = session.room(static_cast<RoomLabel>(label));
        from.enemy.clear();  // an enemy would hold the player
        for (std::size_t way = 0; way < kDirectionCount; ++way) {
            session.player.currentRoom = &from;
            session.player.move(session.console, commands.at(way));
            Room* const to = from.exits.at(way);
            if (to == nullptr) {
                EXPECT_EQ(session.printed(), lines(text::kNoWay));
                EXPECT_EQ(session.player.currentRoom, &from);
            } else {
                ++passages;
                EXPECT_THAT(session.printed(), StartsWith(lines(moved.at(way))));
                EXPECT_EQ(session.player.currentRoom, to);
                EXPECT_TRUE(to->visited);
            }
        }
    }
    EXPECT_EQ(passages, 22);  // eleven passages, both ways
}

TEST(Move, AnEnemyHoldsThePlayerWhicheverWayButLetsThemIn) {
    Session session;
    session.standIn(BeastHall);
    session.room(BeastHall).enemy.clear();  // beaten earlier
    session.player.move(session.console, "north");
    EXPECT_EQ(session.player.currentRoom, &session.room(GuardRoom));
    for (const char* way : {"East", "south", "north", "west"}) {
        session.player.move(session.console, way);
    }
    EXPECT_THAT(session.printed(),
                EndsWith(lines(text::kHeld, text::kHeld, text::kHeld, text::kHeld)));
    EXPECT_EQ(session.player.currentRoom, &session.room(GuardRoom));
}

TEST(Move, IsToldByTheFirstCharacterAloneAndIgnoresAnythingElse) {
    Session session;
    session.player.move(session.console, "");
    session.player.move(session.console, "up");
    EXPECT_EQ(session.printed(), "");
    session.player.move(session.console, "e");
    EXPECT_EQ(session.player.currentRoom, &session.room(Clinic));
}

TEST(LockedDoor, OpensOnlyForTheExactLineUseKey) {
    Session session("use key\nUse Key \n\nUse Key\nlook\n");
    session.give("Key");
    session.player.move(session.console, "south");
    const std::string dollRoom = lines(room_texts::kDollRoom, room_texts::kItemsHeading, "Gem");
    EXPECT_EQ(session.printed(), lines(text::kLocked, text::kKeyFits, text::kUseKeyHint,
                                       text::kUseKeyHint, text::kUseKeyHint, text::kDoorOpens) +
                                     dollRoom);
    EXPECT_EQ(session.player.currentRoom, &session.room(DollRoom));
    EXPECT_FALSE(session.room(DollRoom).locked);
    EXPECT_EQ(session.unread(), "look\n");

    // Once open it is an ordinary door, and the Key stays carried.
    session.player.move(session.console, "north");
    session.player.move(session.console, "south");
    EXPECT_THAT(session.printed(), EndsWith(lines(text::kMovedSouth) + dollRoom));
    EXPECT_EQ(session.player.inventory, std::vector<std::string>{"Key"});
}

TEST(LockedDoor, StaysShutWhenInputEndsDuringTheExchange) {
    Session session("use key\nUse");
    session.give("Key");
    session.player.move(session.console, "south");
    EXPECT_EQ(session.printed(),
              lines(text::kLocked, text::kKeyFits, text::kUseKeyHint, text::kUseKeyHint));
    EXPECT_EQ(session.player.currentRoom, &session.room(Bedroom));
    EXPECT_TRUE(session.room(DollRoom).locked);
}

TEST(LockedDoor, MattersOnlyForMovesSouthAndTurnsAwayAPlayerWithoutTheKeyReadingNothing) {
    Session session("Use Key\n");
    for (std::size_t label = 0; label < kRoomCount; ++label) {
        session.room(static_cast<RoomLabel>(label)).locked = true;
    }
    session.room(Armoury).addItem("Key");  // lying there, not carried
    session.player.move(session.console, "east");
    session.player.move(session.console, "north");
    EXPECT_EQ(session.player.currentRoom, &session.room(Armoury));
    static_cast<void>(session.printed());
    session.player.move(session.console, "South");
    EXPECT_EQ(session.printed(), lines(text::kLocked, text::kNoKey));
    EXPECT_EQ(session.player.currentRoom, &session.room(Armoury));
    EXPECT_EQ(session.unread(), "Use Key\n");
}

}  // namespace
}  // namespace cellbound
