#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "world/world.hpp"

namespace cellbound {

class Console;

// The player: where they stand, what they carry, and whether the game is
// won. Holds the world it plays in, so it is created once and stays put.
class Player {
public:
    Player() = default;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    Player(Player&&) = delete;
    Player& operator=(Player&&) = delete;
    ~Player() = default;

    World world;
    Room* currentRoom = world.startRoom;  // never null; owned by `world`
    std::vector<std::string> inventory;   // oldest first
    bool gameOver = false;                // never goes back to false

    // Inventory (inventory.cpp)
    void showInventory(Console& console) const;
    [[nodiscard]] bool carries(std::string_view item) const;
    // The item flags: what the inventory holds, asked each time.
    [[nodiscard]] bool hasSword() const { return carries("Sword"); }
    [[nodiscard]] bool hasShield() const { return carries("Shield"); }
    [[nodiscard]] bool hasGem() const { return carries("Gem"); }

    // Items (items.cpp)
    void pickUp(Console& console);
    void drop(Console& console);

    // Movement (movement.cpp)
    void move(Console& console, std::string_view command);

    // Combat (combat.cpp)
    void attack(Console& console);
    void defeat(Console& console, std::string_view lostToText);
    void resetRooms();

private:
    void openLockedDoor(Console& console, Room& behind);
    void finalFight(Console& console);
};

}  // namespace cellbound
