#include "world/world.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "session.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::Session;

struct Row {
    RoomLabel room;
    const Room* north;
    const Room* east;
    const Room* south;
    const Room* west;
    std::vector<std::string> items;
    std::string enemy;
};

TEST(World, IsTheMapOfTheTwelveRoomsAsItStandsAtTheStart) {
    const World world;
    auto at = [&world](RoomLabel label) { return &world.room(label); };
    const std::vector<Row> map{
        {Bedroom, nullptr, at(Clinic), at(DollRoom), nullptr, {}, ""},
        {DollRoom, at(Bedroom), nullptr, nullptr, nullptr, {"Gem"}, ""},
        {Clinic, at(Armoury), nullptr, nullptr, at(Bedroom), {}, ""},
        {Armoury, at(BeastHall), nullptr, at(Clinic), nullptr, {"Sword"}, ""},
        {BeastHall, at(GuardRoom), at(Cells), at(Armoury), at(TorchHallway), {}, "dog"},
        {Cells, nullptr, nullptr, nullptr, at(BeastHall), {}, ""},
        {GuardRoom, nullptr, nullptr, at(BeastHall), nullptr, {"Key"}, "guard"},
        {TorchHallway, nullptr, at(BeastHall), nullptr, at(KnightHall), {}, ""},
        {KnightHall, at(LongHallway), at(TorchHallway), nullptr, nullptr, {}, "knight"},
        {LongHallway, at(PortalRoom), nullptr, at(KnightHall), at(ShieldRoom), {}, ""},
        {ShieldRoom, nullptr, at(LongHallway), nullptr, nullptr, {"Shield"}, ""},
        {PortalRoom, nullptr, nullptr, at(LongHallway), nullptr, {}, "dHunter"},
    };
    EXPECT_EQ(world.startRoom, at(Bedroom));
    for (const Row& row : map) {
        const Room& room = world.room(row.room);
        SCOPED_TRACE(static_cast<int>(row.room));
        EXPECT_EQ(room.exit(Direction::North), row.north);
        EXPECT_EQ(room.exit(Direction::East), row.east);
        EXPECT_EQ(room.exit(Direction::South), row.south);
        EXPECT_EQ(room.exit(Direction::West), row.west);
        EXPECT_EQ(room.items, row.items);
        EXPECT_EQ(room.enemy, row.enemy);
        EXPECT_FALSE(room.visited);
        EXPECT_EQ(room.locked, row.room == DollRoom);
    }
}

constexpr const char* kBedroom =
    "\nYou see the bed you woke up in. There is a open door to the east, and a door to the "
    "south.\n";
constexpr const char* kNothing = "\nThere is nothing worth picking up.\n";
constexpr const char* kBeastHall =
    "\nYou enter a large room, it is empty save for a giant dog like creature, it bares it's fangs "
    "as it leaps towards you.\n";
constexpr const char* kBeastHallLater =
    "\nThe stench from the remains of the dog-like creature are all that inhabit this room. \nYou "
    "see a door in every direction.\n";
constexpr const char* kArmouryLater =
    "\nThe room remains the same as before, minus the sword you took. \nThere is a door to the "
    "North, and the South.\n";

TEST(RoomDescription, ShowsTheFirstVisitTextUntilVisitedAndNoEnemyIsLeft) {
    Session session;
    Room& bedroom = session.room(Bedroom);
    bedroom.describe(session.console);
    EXPECT_TRUE(bedroom.visited);
    bedroom.describe(session.console);  // no text for later visits: the first one again
    EXPECT_EQ(session.printed(), std::string(kBedroom) + kNothing + kBedroom + kNothing);

    Room& hall = session.room(BeastHall);
    hall.describe(session.console);
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), std::string(kBeastHall) + kNothing + kBeastHall + kNothing);
    hall.enemy.clear();
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), std::string(kBeastHallLater) + kNothing);
    hall.visited = false;  // as after a defeat
    hall.describe(session.console);
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), std::string(kBeastHall) + kNothing + kBeastHallLater + kNothing);
}

TEST(RoomDescription, ListsItemsInTheOrderTheyWerePutThere) {
    Session session;
    Room& armoury = session.room(Armoury);
    armoury.visited = true;
    armoury.describe(session.console);
    EXPECT_EQ(session.printed(), std::string(kArmouryLater) + "\nThe rooms items:\nSword\n");

    Room& guardRoom = session.room(GuardRoom);
    guardRoom.addItem("Sword");
    guardRoom.addItem("Sword");
    guardRoom.listItems(session.console);
    EXPECT_EQ(session.printed(), "\nThe rooms items:\nKey\nSword\nSword\n");
}

}  // namespace
}  // namespace cellbound
