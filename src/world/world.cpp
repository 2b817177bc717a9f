#include "world/world.hpp"

#include <optional>
#include <string_view>

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
    Exit north;
    Exit east;
    Exit south;
    Exit west;
};

namespace text = room_texts;
constexpr Exit kNone = std::nullopt;

// Every passage leads both ways; counted once, the passages form a tree.
constexpr std::array<RoomPlan, kRoomCount> kMap{{
    // clang-format off
    //  room          first visit          later visits                item      enemy      locked  north        east         south        west
    {Bedroom,      text::kBedroom,      {},                         {},       {},        false,  kNone,       Clinic,      DollRoom,    kNone},
    {DollRoom,     text::kDollRoom,     {},                         "Gem",    {},        true,   Bedroom,     kNone,       kNone,       kNone},
    {Clinic,       text::kClinic,       {},                         {},       {},        false,  Armoury,     kNone,       kNone,       Bedroom},
    {Armoury,      text::kArmoury,      text::kArmouryRevisit,      "Sword",  {},        false,  BeastHall,   kNone,       Clinic,      kNone},
    {BeastHall,    text::kBeastHall,    text::kBeastHallRevisit,    {},       "dog",     false,  GuardRoom,   Cells,       Armoury,     TorchHallway},
    {Cells,        text::kCells,        text::kCellsRevisit,        {},       {},        false,  kNone,       kNone,       kNone,       BeastHall},
    {GuardRoom,    text::kGuardRoom,    text::kGuardRoomRevisit,    "Key",    "guard",   false,  kNone,       kNone,       BeastHall,   kNone},
    {TorchHallway, text::kTorchHallway, {},                         {},       {},        false,  kNone,       BeastHall,   kNone,       KnightHall},
    {KnightHall,   text::kKnightHall,   text::kKnightHallRevisit,   {},       "knight",  false,  LongHallway, TorchHallway, kNone,      kNone},
    {LongHallway,  text::kLongHallway,  {},                         {},       {},        false,  PortalRoom,  kNone,       KnightHall,  ShieldRoom},
    {ShieldRoom,   text::kShieldRoom,   text::kShieldRoomRevisit,   "Shield", {},        false,  kNone,       LongHallway, kNone,       kNone},
    {PortalRoom,   text::kPortalRoom,   {},                         {},       "dHunter", false,  kNone,       kNone,       LongHallway, kNone},
    // clang-format on
}};

// The rows are in label order, so a label indexes both the table and the rooms.
constexpr bool rowsInLabelOrder() {
    for (std::size_t i = 0; i < kMap.size(); ++i) {
        if (static_cast<std::size_t>(kMap.at(i).label) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInLabelOrder());

}  // namespace

World::World() : rooms_(buildMap()), startRoom(&room(Bedroom)) {}

World::Rooms World::buildMap() {
    Rooms rooms;
    const auto at = [&rooms](RoomLabel label) -> Room& {
        return *rooms.at(static_cast<std::size_t>(label));
    };
    for (const RoomPlan& plan : kMap) {
        auto built = std::make_unique<Room>(plan.description, plan.revisitDescription);
        if (!plan.item.empty()) {
            built->addItem(plan.item);
        }
        if (!plan.enemy.empty()) {
            built->setEnemy(plan.enemy);
        }
        built->locked = plan.locked;
        rooms.at(static_cast<std::size_t>(plan.label)) = std::move(built);
    }
    const auto link = [&at](Exit exit) { return exit ? &at(*exit) : nullptr; };
    for (const RoomPlan& plan : kMap) {
        Room& linked = at(plan.label);
        linked.north = link(plan.north);
        linked.east = link(plan.east);
        linked.south = link(plan.south);
        linked.west = link(plan.west);
    }
    return rooms;
}

}  // namespace cellbound
