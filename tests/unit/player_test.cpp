#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "player/player_texts.hpp"
#include "session.hpp"
#include "world/room_texts.hpp"

// The player's commands: taking and dropping items, moving and the locked
// door, and the fights.
namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::lines;
using test_support::Session;
using ::testing::EndsWith;
using ::testing::StartsWith;
using Items = std::vector<std::string>;
namespace text = player_texts;

// What a pick-up or a drop prints before it reads the name, then its answer.
std::string pickUp(const std::string& items, std::string_view answer) {
    return lines(text::kPickUpHeading, room_texts::kItemsHeading) + items +
           std::string(text::kPickUpPrompt) + lines(answer);
}
std::string drop(const std::string& items, std::string_view answer) {
    return lines(text::kDropHeading, text::kInventoryHeading) + items +
           std::string(text::kDropPrompt) + lines(answer);
}

TEST(PickUp, TakesOnlyTheExactNameAndAlwaysDiscardsOneCharacterAfterIt) {
    // None matches; at the end of input there is no name, which matches nothing.
    for (const std::string typed :
         {"key\nlook\n", "KEY\nlook\n", "Ke\nlook\n", "Keys\nlook\n", "  \n"}) {
        Session session(typed);
        session.standIn(GuardRoom);  // the guard does not stop a pick-up
        session.player.pickUp(session.console);
        EXPECT_EQ(session.printed(), pickUp("Key\n", text::kNotInRoom));
        EXPECT_EQ(session.room(GuardRoom).items, Items{"Key"});
        EXPECT_EQ(session.unread(), typed.substr(typed.find('\n') + 1));
    }
    Session session("   Sword north\n");
    session.standIn(Armoury);
    session.player.pickUp(session.console);
    EXPECT_EQ(session.printed(), pickUp("Sword\n", std::string(text::kPickedUp) + "Sword."));
    EXPECT_TRUE(session.room(Armoury).items.empty());
    EXPECT_EQ(session.player.inventory, Items{"Sword"});
    EXPECT_EQ(session.unread(), "north\n");  // the rest of the line is the next command
}

TEST(Items, WithNothingToMoveAreRefusedWithoutReadingAnything) {
    Session session("Sword\n");
    session.player.pickUp(session.console);
    session.player.drop(session.console);
    EXPECT_EQ(session.printed(), lines(text::kNothingToPickUp, text::kNothingToDrop));
    EXPECT_EQ(session.unread(), "Sword\n");
}

TEST(Drop, PutsTheItemAtTheEndOfTheRoomListAndTakesOnlyWhatIsCarried) {
    Session session("Shield\nKey\n");
    session.give("Sword", "Shield", "Gem");
    session.standIn(GuardRoom);
    session.player.drop(session.console);
    session.player.drop(session.console);
    EXPECT_EQ(session.printed(),
              drop("Sword\nShield\nGem\n", std::string(text::kDropped) + "Shield.") +
                  drop("Sword\nGem\n", text::kNotInInventory));
    EXPECT_EQ(session.room(GuardRoom).items, (Items{"Key", "Shield"}));
    EXPECT_EQ(session.player.inventory, (Items{"Sword", "Gem"}));
}

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
    EXPECT_EQ(session.player.inventory, Items{"Key"});
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

// After any defeat: back in the Bedroom with nothing, every room unvisited and locked.
void expectDefeated(Session& session) {
    EXPECT_EQ(session.player.currentRoom, session.player.world.startRoom);
    EXPECT_TRUE(session.player.inventory.empty());
    for (std::size_t label = 0; label < kRoomCount; ++label) {
        const Room& room = session.room(static_cast<RoomLabel>(label));
        EXPECT_FALSE(room.visited);
        EXPECT_TRUE(room.locked);
    }
}

// Each enemy's room, what an attack with the Sword and the Gem but no Shield
// prints there, and what an attack with the Shield and the Gem but no Sword.
struct Enemy {
    RoomLabel room;
    std::string armed;
    std::string unarmed;
};
const std::vector<Enemy> kEnemies{
    {BeastHall,
     lines(text::kDogBeaten, room_texts::kBeastHallRevisit, room_texts::kNothingWorthPickingUp),
     lines(text::kDogWins, text::kLostToDog)},
    {GuardRoom,
     lines(text::kGuardBeaten, room_texts::kGuardRoomRevisit, room_texts::kItemsHeading, "Key"),
     lines(text::kGuardWins, text::kLostToGuard)},
    {KnightHall,
     lines(text::kKnightBeaten, room_texts::kKnightHallRevisit, room_texts::kNothingWorthPickingUp),
     lines(text::kKnightWins, text::kLostToKnight)},
    {PortalRoom, lines(text::kHunterWinsUnshielded, text::kLostToHunter),
     lines(text::kHunterWinsUnarmed, text::kLostToHunter)},
};

TEST(Attack, WithNothingToFightChangesNothing) {
    Session session;
    session.player.attack(session.console);
    session.give("Sword");
    session.player.attack(session.console);
    EXPECT_EQ(session.printed(), lines(text::kNothingToFightUnarmed, text::kNothingToFight));
    EXPECT_EQ(session.player.currentRoom, &session.room(Bedroom));
}

TEST(Attack, TheSwordBeatsEachOrdinaryEnemyForGoodAndWithoutItEveryEnemyWins) {
    for (const Enemy& enemy : kEnemies) {
        Session armed("Block\n");
        armed.give("Sword", "Gem");
        armed.standIn(enemy.room);
        armed.room(enemy.room).visited = true;  // described on the way in
        armed.player.attack(armed.console);
        EXPECT_EQ(armed.printed(), enemy.armed);
        EXPECT_EQ(armed.unread(), "Block\n");
        if (enemy.room == PortalRoom) {  // the hunter needs the Shield too
            expectDefeated(armed);
        } else {
            EXPECT_TRUE(armed.room(enemy.room).enemy.empty());
            armed.player.attack(armed.console);
            EXPECT_EQ(armed.printed(), lines(text::kNothingToFight));
        }

        Session unarmed;
        unarmed.give("Shield", "Gem");
        unarmed.standIn(enemy.room);
        const std::string winner = unarmed.room(enemy.room).enemy;
        unarmed.player.attack(unarmed.console);
        EXPECT_EQ(unarmed.printed(), enemy.unarmed);
        EXPECT_EQ(unarmed.room(enemy.room).enemy, winner);  // the winner stays
        expectDefeated(unarmed);
        unarmed.room(Cells).visited = true;  // a second defeat, straight after the first
        unarmed.room(Bedroom).visited = true;
        unarmed.give("Key");
        unarmed.standIn(enemy.room);
        unarmed.player.attack(unarmed.console);
        expectDefeated(unarmed);
    }
}

// The final fight with the Sword and the Shield, and the Gem or not.
enum class Outcome { Won, Lost, Stopped };  // stopped: where it was when input ended
struct FinalFight {
    std::string typed;
    bool gem;
    std::string printed;
    std::string unread;
    Outcome outcome;
};

TEST(FinalFight, TakesTheThreeRepliesInTurnAndStopsWhereItIsWhenInputEnds) {
    const std::string blocked = lines(text::kMoments, text::kBlockHint, text::kBlocked);
    const std::string gem =
        lines(text::kGemWarms, text::kGemHint, text::kGemHint, text::kGemSmashed);
    const std::vector<FinalFight> fights{
        {"block Block\nlook\n", false,
         blocked + lines(text::kHunterWinsWithoutGem, text::kLostToHunter), "look\n",
         Outcome::Lost},
        {"I Block\nuse gem\nUse Gem \nUse Gem\nattack Attack\nnext\n", true,
         blocked + gem + lines(text::kAttackHint, text::kHunterBeaten, text::kCongratulations),
         "next\n", Outcome::Won},
        {"block", true, lines(text::kMoments, text::kBlockHint), "", Outcome::Stopped},
        {"Block\nuse gem\n", true,
         lines(text::kMoments, text::kBlocked, text::kGemWarms, text::kGemHint), "",
         Outcome::Stopped},
        {"Block\nUse Gem\nattack", true,
         lines(text::kMoments, text::kBlocked, text::kGemWarms, text::kGemSmashed,
               text::kAttackHint),
         "", Outcome::Stopped},
    };
    for (const FinalFight& fight : fights) {
        Session session(fight.typed);
        session.give("Sword", "Shield");
        if (fight.gem) {
            session.give("Gem");
        }
        session.standIn(PortalRoom);
        session.player.attack(session.console);
        EXPECT_EQ(session.printed(), fight.printed);
        EXPECT_EQ(session.unread(), fight.unread);
        EXPECT_EQ(session.player.gameOver, fight.outcome == Outcome::Won);
        if (fight.outcome == Outcome::Lost) {
            expectDefeated(session);
            continue;
        }
        EXPECT_EQ(session.player.currentRoom, &session.room(PortalRoom));
        EXPECT_EQ(session.player.inventory.size(), 3U);  // the Gem, smashed or not, still carried
        EXPECT_EQ(session.room(PortalRoom).enemy, "dHunter");  // even beaten, the hunter stays
    }
}

}  // namespace
}  // namespace cellbound
