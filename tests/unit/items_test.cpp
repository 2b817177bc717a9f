#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "player/player_texts.hpp"
#include "session.hpp"
#include "world/room_texts.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::lines;
using test_support::Session;
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

}  // namespace
}  // namespace cellbound
