#include <gtest/gtest.h>

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
namespace text = player_texts;

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
