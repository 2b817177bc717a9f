#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::Session;
using ::testing::EndsWith;

constexpr const char* kPickUpListing =
    "\nItems available to pick up:\n\nThe rooms items:\nSword\n"
    "\nEnter the item you want to pick up: ";

TEST(PickUp, TakesOnlyTheExactNameAndAlwaysDiscardsOneCharacterAfterIt) {
    for (const std::string reply : {"sword", "SWORD", "Swor", "Swords"}) {
        Session session(reply + "\nlook\n");
        session.standIn(Armoury);
        session.player.pickUp(session.console);
        EXPECT_EQ(session.printed(),
                  std::string(kPickUpListing) + "Item not found in this room.\n");
        EXPECT_EQ(session.room(Armoury).items, std::vector<std::string>{"Sword"});
        EXPECT_EQ(session.unread(), "look\n");
    }
    Session session("   Sword north\n");
    session.standIn(Armoury);
    session.player.pickUp(session.console);
    EXPECT_EQ(session.printed(), std::string(kPickUpListing) + "You picked up Sword.\n");
    EXPECT_TRUE(session.room(Armoury).items.empty());
    EXPECT_EQ(session.player.inventory, std::vector<std::string>{"Sword"});
    EXPECT_EQ(session.unread(), "north\n");  // the rest of the line is the next command
}

TEST(Items, WithNothingToMoveAreRefusedWithoutReadingAnything) {
    Session session("Sword\n");
    session.player.pickUp(session.console);
    EXPECT_EQ(session.printed(), "There are no items to pick up in this room.\n");
    session.player.drop(session.console);
    EXPECT_EQ(session.printed(), "There are no items to drop.\n");
    EXPECT_EQ(session.unread(), "Sword\n");
}

TEST(PickUp, MeetsTheEndOfInputAsANameThatMatchesNothing) {
    Session session("  \n");
    session.standIn(GuardRoom);  // allowed while the guard is there
    session.player.pickUp(session.console);
    EXPECT_EQ(session.printed(),
              "\nItems available to pick up:\n\nThe rooms items:\nKey\n"
              "\nEnter the item you want to pick up: Item not found in this room.\n");
    EXPECT_EQ(session.room(GuardRoom).items, std::vector<std::string>{"Key"});
}

TEST(Drop, PutsTheItemAtTheEndOfTheRoomList) {
    Session session("Sword\nKey\nGem\n");
    session.give("Sword");
    session.give("Key");
    session.give("Shield");
    session.standIn(GuardRoom);
    session.player.drop(session.console);
    EXPECT_EQ(session.printed(),
              "\nItems available to drop:\n\nInventory list:\nSword\nKey\nShield\n"
              "\nEnter the item you want to drop: You dropped Sword.\n");
    EXPECT_EQ(session.room(GuardRoom).items, (std::vector<std::string>{"Key", "Sword"}));
    EXPECT_EQ(session.player.inventory, (std::vector<std::string>{"Key", "Shield"}));

    session.player.drop(session.console);
    EXPECT_EQ(session.player.inventory, std::vector<std::string>{"Shield"});
    session.player.drop(session.console);
    EXPECT_THAT(session.printed(), EndsWith("Item not found in Inventory.\n"));
}

}  // namespace
}  // namespace cellbound
