#include "world/world.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "session.hpp"
#include "world/room_texts.hpp"

namespace cellbound {
namespace {

using enum RoomLabel;
using test_support::lines;
using test_support::Session;

TEST(World, IsTheMapOfTheTwelveRoomsAsItStandsAtTheStart) {
    World world;
    auto at = [&world](RoomLabel label) { return &world.room(label); };
    struct Row {
        RoomLabel room;
        std::array<Room*, kDirectionCount> exits;  // north, east, south, west
        std::vector<std::string> items;
        std::string enemy;
    };
    const std::vector<Row> map{
        {Bedroom, {nullptr, at(Clinic), at(DollRoom), nullptr}, {}, ""},
        {DollRoom, {at(Bedroom), nullptr, nullptr, nullptr}, {"Gem"}, ""},
        {Clinic, {at(Armoury), nullptr, nullptr, at(Bedroom)}, {}, ""},
        {Armoury, {at(BeastHall), nullptr, at(Clinic), nullptr}, {"Sword"}, ""},
        {BeastHall, {at(GuardRoom), at(Cells), at(Armoury), at(TorchHallway)}, {}, "dog"},
        {Cells, {nullptr, nullptr, nullptr, at(BeastHall)}, {}, ""},
        {GuardRoom, {nullptr, nullptr, at(BeastHall), nullptr}, {"Key"}, "guard"},
        {TorchHallway, {nullptr, at(BeastHall), nullptr, at(KnightHall)}, {}, ""},
        {KnightHall, {at(LongHallway), at(TorchHallway), nullptr, nullptr}, {}, "knight"},
        {LongHallway, {at(PortalRoom), nullptr, at(KnightHall), at(ShieldRoom)}, {}, ""},
        {ShieldRoom, {nullptr, at(LongHallway), nullptr, nullptr}, {"Shield"}, ""},
        {PortalRoom, {nullptr, nullptr, at(LongHallway), nullptr}, {}, "dHunter"},
    };
    EXPECT_EQ(world.startRoom, at(Bedroom));
    for (const Row& row : map) {
        const Room& room = world.room(row.room);
        SCOPED_TRACE(static_cast<int>(row.room));
        using enum Direction;
        EXPECT_EQ(
            (std::array{room.exit(North), room.exit(East), room.exit(South), room.exit(West)}),
            row.exits);
        EXPECT_EQ(room.items, row.items);
        EXPECT_EQ(room.enemy, row.enemy);
        EXPECT_FALSE(room.visited);
        EXPECT_EQ(room.locked, row.room == DollRoom);
    }
}

TEST(RoomDescription, ShowsTheFirstVisitTextUntilVisitedAndNoEnemyIsLeft) {
    namespace text = room_texts;
    Session session;
    Room& bedroom = session.room(Bedroom);
    bedroom.describe(session.console);
    EXPECT_TRUE(bedroom.visited);
    bedroom.describe(session.console);  // no text for later visits: the first one again
    const std::string nothing = lines(text::kNothingWorthPickingUp);
    EXPECT_EQ(session.printed(), lines(text::kBedroom) + nothing + lines(text::kBedroom) + nothing);

    Room& hall = session.room(BeastHall);
    const std::string first = lines(text::kBeastHall) + nothing;
    const std::string later = lines(text::kBeastHallRevisit) + nothing;
    hall.describe(session.console);
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), first + first);
    hall.enemy.clear();
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), later);
    hall.visited = false;  // as after a defeat
    hall.describe(session.console);
    hall.describe(session.console);
    EXPECT_EQ(session.printed(), first + later);
}

TEST(RoomDescription, ListsItemsInTheOrderTheyWerePutThere) {
    Session session;
    Room& armoury = session.room(Armoury);
    armoury.visited = true;
    armoury.describe(session.console);
    EXPECT_EQ(session.printed(),
              lines(room_texts::kArmouryRevisit, room_texts::kItemsHeading, "Sword"));

    Room& guardRoom = session.room(GuardRoom);
    guardRoom.addItem("Sword");
    guardRoom.addItem("Sword");
    guardRoom.listItems(session.console);
    EXPECT_EQ(session.printed(), lines(room_texts::kItemsHeading, "Key", "Sword", "Sword"));
}

}  // namespace
}  // namespace cellbound
