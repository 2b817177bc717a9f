#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "world/room.hpp"

namespace cellbound {

// The names under which the code speaks of the twelve rooms; a room itself
// does not know its label.
enum class RoomLabel : std::size_t {
    Bedroom,
    DollRoom,
    Clinic,
    Armoury,
    BeastHall,
    Cells,
    GuardRoom,
    TorchHallway,
    KnightHall,
    LongHallway,
    ShieldRoom,
    PortalRoom,
};

inline constexpr std::size_t kRoomCount = 12;

// The prison. Owns its rooms, which live as long as the world; the map is
// built once, from a fixed table, and never rebuilt.
class World {
    using Rooms = std::array<std::unique_ptr<Room>, kRoomCount>;
    Rooms rooms_;  // built first: startRoom points into it

public:
    World();

    Room* startRoom;  // the Bedroom

    // Rooms and the player point into this world, so it stays where it is.
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    World(World&&) = delete;
    World& operator=(World&&) = delete;
    ~World() = default;

    [[nodiscard]] Room& room(RoomLabel label) {
        return *rooms_.at(static_cast<std::size_t>(label));
    }
    [[nodiscard]] const Room& room(RoomLabel label) const {
        return *rooms_.at(static_cast<std::size_t>(label));
    }

private:
    static Rooms buildMap();
};

}  // namespace cellbound
