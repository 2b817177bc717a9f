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
using ::testing::Not;
using ::testing::StartsWith;

constexpr const char* kLostToHunter =
    "\nYou have lost to the hunter, as the dark takes you, you feel something pulling at your "
    "soul. You wake up in a bed with a familiar ceiling\n";
constexpr const char* kMoments = "\nYou have but mere moments to respond!\n";
constexpr const char* kBlockHint =
    "\nYou feel this would be a good time to use your shield to Block.\n";
constexpr const char* kGemHint = "\nYou feel this would be a good time to Use Gem.\n";
constexpr const char* kAttackHint =
    "\nThe hunter is held in place by some magical force, but you don't know for how long. Now "
    "is the time to Attack.\n";
constexpr const char* kCongratulations =
    "\nCongratulations, you have beaten the game! I hope you enjoyed it, and thank you for "
    "playing!\n";

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

TEST(Attack, WithNothingToFightChangesNothing) {
    Session session;
    session.player.attack(session.console);
    session.give("Sword");
    session.player.attack(session.console);
    EXPECT_EQ(session.printed(),
              "\nThere is nothing to fight right now, and you are lucky for it as you have "
              "nothing to fight with.\n\nThere is nothing to fight right now.\n");
    EXPECT_EQ(session.player.currentRoom, &session.room(Bedroom));
}

TEST(Attack, TheSwordBeatsEachOrdinaryEnemyForGood) {
    for (const RoomLabel label : {BeastHall, GuardRoom, KnightHall}) {
        Session session;
        session.give("Sword");
        session.standIn(label);
        session.room(label).visited = true;  // described on the way in
        session.player.attack(session.console);
        const std::string printed = session.printed();
        const Room& room = session.room(label);
        EXPECT_TRUE(room.enemy.empty());
        EXPECT_THAT(printed, HasSubstr(std::string(room.revisitDescription) + "\n"));
        session.player.attack(session.console);
        EXPECT_EQ(session.printed(), "\nThere is nothing to fight right now.\n");
    }
}

TEST(Attack, WithoutTheSwordEveryEnemyWinsAndTheLossIsADefeat) {
    const std::pair<RoomLabel, std::string> losses[] = {
        {BeastHall,
         "\nBefore you even know what is going on the thick teeth of the creature dig into you, "
         "tearing you in half.\n\nYou have lost to the dog like creature, as the dark takes you, "
         "you feel something pulling at your soul. You wake up in a bed with a familiar ceiling\n"},
        {GuardRoom,
         "\nThe guard lunges at you as you stare on in shock, his dagger piercing your heart. "
         "\n\nYou have lost to the guard, as the dark takes you, you feel something pulling at "
         "your soul. You wake up in a bed with a familiar ceiling\n"},
        {KnightHall,
         "\nThe knights axe comes down before you even have time to think. It cleaves you in "
         "two.\n\nYou have lost to the knight, as the dark takes you, you feel something pulling "
         "at your soul. You wake up in a bed with a familiar ceiling\n"},
        {PortalRoom,
         "\nThe hunter moves like a shadow, you have no chance unarmed as you are. The scythe "
         "clears through your body like paper. Your last thoughts of the freedom you almost "
         "acquired.\n" +
             std::string(kLostToHunter)},
    };
    for (const auto& [label, loss] : losses) {
        Session session;
        session.give("Shield");
        session.give("Gem");
        session.standIn(label);
        const std::string enemy = session.room(label).enemy;
        session.player.attack(session.console);
        EXPECT_EQ(session.printed(), loss);
        EXPECT_EQ(session.room(label).enemy, enemy);  // the winner stays
        expectDefeated(session);
    }
}

TEST(Defeat, TwiceInARowLeavesTheSameStateAsOnce) {
    Session session;
    session.standIn(BeastHall);
    session.player.attack(session.console);
    session.room(Cells).visited = true;
    session.room(Bedroom).visited = true;
    session.standIn(KnightHall);
    session.give("Key");
    session.player.attack(session.console);
    expectDefeated(session);
}

TEST(FinalFight, WithoutTheShieldIsLostWithoutReadingAnything) {
    Session session("Block\n");
    session.give("Sword");
    session.give("Gem");
    session.standIn(PortalRoom);
    session.player.attack(session.console);
    EXPECT_THAT(session.printed(), EndsWith(std::string("cleaving you in two.\n") + kLostToHunter));
    EXPECT_EQ(session.unread(), "Block\n");
    expectDefeated(session);
}

TEST(FinalFight, WithoutTheGemIsLostAfterTheBlock) {
    Session session("block Block\nlook\n");
    session.give("Sword");
    session.give("Shield");
    session.standIn(PortalRoom);
    session.player.attack(session.console);
    const std::string printed = session.printed();
    EXPECT_THAT(printed, StartsWith(std::string(kMoments) + kBlockHint +
                                    "\nThe hunter moves like a shadow, but you manage"));
    EXPECT_THAT(printed, EndsWith(std::string("as the darkness takes you.\n") + kLostToHunter));
    EXPECT_EQ(session.unread(), "look\n");
    expectDefeated(session);
}

TEST(FinalFight, WithAllThreeIsWonAndTheHunterStays) {
    Session session("I Block\nuse gem\nUse Gem \nUse Gem\nattack Attack\nnext\n");
    session.give("Sword");
    session.give("Shield");
    session.give("Gem");
    session.standIn(PortalRoom);
    session.player.attack(session.console);
    const std::string printed = session.printed();
    EXPECT_THAT(printed, HasSubstr(std::string(kMoments) + kBlockHint + "\nThe hunter moves"));
    EXPECT_THAT(printed, HasSubstr(std::string("telling you to use it.\n") + kGemHint + kGemHint +
                                   "\nYou pull the Gem out of you pocket"));
    EXPECT_THAT(printed, HasSubstr(std::string("the moment you needed.\n") + kAttackHint +
                                   "\nYou use the opportunity"));
    EXPECT_THAT(printed, EndsWith(std::string("whatever lies next.\n") + kCongratulations));
    EXPECT_TRUE(session.player.gameOver);
    EXPECT_TRUE(session.player.carries("Gem"));  // smashed, yet still carried
    EXPECT_EQ(session.room(PortalRoom).enemy, "dHunter");
    EXPECT_EQ(session.unread(), "next\n");
}

TEST(FinalFight, StopsWhereItIsWhenInputEnds) {
    for (const std::string typed : {"block", "Block\nuse gem\n", "Block\nUse Gem\nattack"}) {
        Session session(typed);
        session.give("Sword");
        session.give("Shield");
        session.give("Gem");
        session.standIn(PortalRoom);
        session.player.attack(session.console);
        EXPECT_THAT(session.printed(), Not(HasSubstr("lost to")));
        EXPECT_FALSE(session.player.gameOver);
        EXPECT_EQ(session.player.currentRoom, &session.room(PortalRoom));
        EXPECT_EQ(session.player.inventory.size(), 3U);
    }
}

}  // namespace
}  // namespace cellbound
