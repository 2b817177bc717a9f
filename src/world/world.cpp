#include "world/world.hpp"

#include <optional>
#include <string_view>
#include <utility>

#include "world/room_texts.hpp"

namespace cellbound {

namespace {

using Exit = std::optional<RoomLabel>;
using enum RoomLabel;

// One row of the map: what a room says, holds and leads to.
struct RoomPlan {
    RoomLabel label;
    std::string_view description;
    std::string_view revisitDescription;
    std::string_view item;   // empty: none
    std::string_view enemy;  // empty: none
    bool locked;
    std::array<Exit, kDirectionCount> exits;  // by Direction: east, west, north, south
};

constexpr std::size_t indexOf(RoomLabel label) {
    return static_cast<std::size_t>(label);
}

namespace text = room_texts;
constexpr Exit kNone = std::nullopt;

// Every passage leads both ways; counted once, the passages form a tree.
constexpr std::array<RoomPlan, kRoomCount> kMap{{
    // clang-format off
    //  room          first visit          later visits                item      enemy      locked  east          west         north        south
    {Bedroom,      text::kBedroom,      {},                         {},       {},        false, {Clinic,      kNone,       kNone,       DollRoom}},
    {DollRoom,     text::kDollRoom,     {},                         "Gem",    {},        true,  {kNone,       kNone,       Bedroom,     kNone}},
    {Clinic,       text::kClinic,       {},                         {},       {},        false, {kNone,       Bedroom,     Armoury,     kNone}},
    {Armoury,      text::kArmoury,      text::kArmouryRevisit,      "Sword",  {},        false, {kNone,       kNone,       BeastHall,   Clinic}},
    {BeastHall,    text::kBeastHall,    text::kBeastHallRevisit,    {},       "dog",     false, {Cells,       TorchHallway, GuardRoom,   Armoury}},
    {Cells,        text::kCells,        text::kCellsRevisit,        {},       {},        false, {kNone,       BeastHall,   kNone,       kNone}},
    {GuardRoom,    text::kGuardRoom,    text::kGuardRoomRevisit,    "Key",    "guard",   false, {kNone,       kNone,       kNone,       BeastHall}},
    {TorchHallway, text::kTorchHallway, {},                         {},       {},        false, {BeastHall,   KnightHall,  kNone,       kNone}},
    {KnightHall,   text::kKnightHall,   text::kKnightHallRevisit,   {},       "knight",  false, {TorchHallway, kNone,       LongHallway, kNone}},
    {LongHallway,  text::kLongHallway,  {},                         {},       {},        false, {kNone,       ShieldRoom,  PortalRoom,  KnightHall}},
    {ShieldRoom,   text::kShieldRoom,   text::kShieldRoomRevisit,   "Shield", {},        false, {LongHallway, kNone,       kNone,       kNone}},
    {PortalRoom,   text::kPortalRoom,   {},                         {},       "dHunter", false, {kNone,       kNone,       kNone,       LongHallway}},
    // clang-format on
}};

// The rows are in label order, so a label indexes both the table and the rooms.
constexpr bool rowsInLabelOrder() {
    for (std::size_t i = 0; i < kMap.size(); ++i) {
        if (indexOf(kMap.at(i).label) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInLabelOrder());

// Every passage leads both ways: the room an exit leads to has the opposite
// exit leading back.
constexpr bool everyPassageLeadsBack() {
    for (const RoomPlan& plan : kMap) {
        for (std::size_t way = 0; way < kDirectionCount; ++way) {
            const Exit there = plan.exits.at(way);
            const Direction back = opposite(static_cast<Direction>(way));
            if (there && kMap.at(indexOf(*there)).exits.at(indexOf(back)) != plan.label) {
                return false;
            }
        }
    }
    return true;
}
static_assert(everyPassageLeadsBack());

// The rooms, in label order, each with its texts taken from the table while
// compiling, so that the rooms are certain to hold texts that outlive them.
template <std::size_t... Row>
std::array<std::unique_ptr<Room>, kRoomCount> roomsOf(std::index_sequence<Row...> /*rows*/) {
    return {std::make_unique<Room>(FixedText(kMap.at(Row).description),
                                   FixedText(kMap.at(Row).revisitDescription))...};
}

}  // namespace

World::World() : rooms_(buildMap()), startRoom(&room(Bedroom)) {}

World::Rooms World::buildMap() {
    Rooms rooms = roomsOf(std::make_index_sequence<kRoomCount>());
    for (const RoomPlan& plan : kMap) {
        Room& room = *rooms.at(indexOf(plan.label));
        if (!plan.item.empty()) {
            room.addItem(plan.item);
        }
        if (!plan.enemy.empty()) {
            room.setEnemy(plan.enemy);
        }
        room.locked = plan.locked;
        for (std::size_t way = 0; way < kDirectionCount; ++way) {
            const Exit there = plan.exits.at(way);
            room.exits.at(way) = there ? rooms.at(indexOf(*there)).get() : nullptr;
        }
    }
    return rooms;
}

}  // namespace cellbound
