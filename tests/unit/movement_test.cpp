#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "session.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::Session;
using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr const char* kLocked = "\nThe door is locked. You need a Key to get in.\n";
constexpr const char* kNoKey = "\nYou do not posses a key. Try to come back if you find one.\n";
constexpr const char* kKeyFits = "\nThe Key you have seems like it might fit the lock.\n";
constexpr const char* kUseKeyHint = "\nYou have a feeling you should Use Key.\n";
constexpr const char* kDoorOpens = "\nThe door opens with the key.\n";
constexpr const char* kHeld = "You cannot leave while you are being attacked.\n";

TEST(Move, FollowsEveryExitOfTheMapWithItsMessage) {
    struct Way {
        const char* command;
        Direction direction;
        const char* moved;
    };
    const Way ways[] = {{"north", Direction::North, "\nYou moved to the north.\n"},
                        {"East", Direction::East, "\nYou moved to the east.\n"},
                        {"south", Direction::South, "\nYou moved to the south.\n"},
                        {"West", Direction::West, "\nYou moved to the west.\n"}};
    Session session;
    int passages = 0;
    for (std::size_t label = 0; label < kRoomCount; ++label) {
        Room& from = session.room(static_cast<RoomLabel>(label));
        for (const Way& way : ways) {
            from.enemy.clear();
            from.locked = false;
            session.player.currentRoom = &from;
            Room* const to = from.exit(way.direction);
            if (to != nullptr) {
                to->locked = false;
            }
            session.player.move(session.console, way.command);
            const std::string printed = session.printed();
            if (to == nullptr) {
                EXPECT_EQ(printed, "\nThere is no way to go that direction.\n");
                EXPECT_EQ(session.player.currentRoom, &from);
            } else {
                ++passages;
                EXPECT_THAT(printed, ::testing::StartsWith(way.moved));
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
    EXPECT_THAT(session.printed(), EndsWith(std::string(kHeld) + kHeld + kHeld + kHeld));
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

TEST(LockedDoor, TurnsAwayAPlayerWithoutTheKeyAndReadsNothing) {
    Session session("Use Key\n");
    session.room(Bedroom).addItem("Key");  // lying here, not carried
    session.player.move(session.console, "South");
    EXPECT_EQ(session.printed(), std::string(kLocked) + kNoKey);
    EXPECT_EQ(session.player.currentRoom, &session.room(Bedroom));
    EXPECT_EQ(session.unread(), "Use Key\n");
}

TEST(LockedDoor, OpensOnlyForTheExactLineUseKey) {
    Session session("use key\nUse Key \n\nUse Key\nlook\n");
    session.give("Key");
    session.player.move(session.console, "south");
    EXPECT_EQ(session.printed(),
              std::string(kLocked) + kKeyFits + kUseKeyHint + kUseKeyHint + kUseKeyHint +
                  kDoorOpens +
                  "\nAs you unlock the door and enter the room, you see a life sized doll. "
                  "\nSurrounding her are various candles and flowers. You believe them to be "
                  "offerings, though for what you do not know. \nThe door to North you came in is "
                  "the only way out.\n\nThe rooms items:\nGem\n");
    EXPECT_EQ(session.player.currentRoom, &session.room(DollRoom));
    EXPECT_FALSE(session.room(DollRoom).locked);
    EXPECT_EQ(session.unread(), "look\n");

    // Once open it is an ordinary door, and the Key stays carried.
    session.player.move(session.console, "north");
    session.player.move(session.console, "south");
    EXPECT_THAT(session.printed(), HasSubstr("\nYou moved to the south.\n"));
    EXPECT_EQ(session.player.inventory, std::vector<std::string>{"Key"});
}

TEST(LockedDoor, StaysShutWhenInputEndsDuringTheExchange) {
    Session session("use key\nUse");
    session.give("Key");
    session.player.move(session.console, "south");
    EXPECT_EQ(session.printed(), std::string(kLocked) + kKeyFits + kUseKeyHint + kUseKeyHint);
    EXPECT_EQ(session.player.currentRoom, &session.room(Bedroom));
    EXPECT_TRUE(session.room(DollRoom).locked);
}

TEST(LockedDoor, MattersOnlyForMovesSouth) {
    Session session;
    for (std::size_t label = 0; label < kRoomCount; ++label) {
        session.room(static_cast<RoomLabel>(label)).locked = true;
    }
    session.player.move(session.console, "east");
    session.player.move(session.console, "north");
    EXPECT_EQ(session.player.currentRoom, &session.room(Armoury));
    session.player.move(session.console, "south");
    EXPECT_EQ(session.player.currentRoom, &session.room(Armoury));
    EXPECT_THAT(session.printed(), EndsWith(std::string(kLocked) + kNoKey));
}

}  // namespace
}  // namespace cellbound
