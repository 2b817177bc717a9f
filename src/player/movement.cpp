#include <array>
#include <string_view>

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

namespace {

// A direction is told by the first character of the command alone.
struct Direction {
    char upper;
    char lower;
    Room* Room::*exit;
    std::string_view moved;
};

constexpr std::array kDirections{
    Direction{'N', 'n', &Room::north, "\nYou moved to the north."},
    Direction{'E', 'e', &Room::east, "\nYou moved to the east."},
    Direction{'S', 's', &Room::south, "\nYou moved to the south."},
    Direction{'W', 'w', &Room::west, "\nYou moved to the west."},
};

const Direction* directionOf(std::string_view command) {
    if (command.empty()) {
        return nullptr;
    }
    for (const Direction& direction : kDirections) {
        if (command.front() == direction.upper || command.front() == direction.lower) {
            return &direction;
        }
    }
    return nullptr;
}

}  // namespace

void Player::move(Console& console, std::string_view command) {
    // An enemy holds the player, whichever way they try to go.
    if (!currentRoom->enemy.empty()) {
        console.message("You cannot leave while you are being attacked.");
        return;
    }
    const Direction* direction = directionOf(command);
    if (direction == nullptr) {
        return;
    }
    Room* const behind = currentRoom->*(direction->exit);
    if (behind == nullptr) {
        console.message("\nThere is no way to go that direction.");
        return;
    }
    // Only doors entered by a move south are ever locked.
    if (direction->exit == &Room::south && behind->locked) {
        openLockedDoor(console, *behind);
        return;
    }
    currentRoom = behind;
    console.message(direction->moved);
    currentRoom->describe(console);
}

void Player::openLockedDoor(Console& console, Room& behind) {
    console.message("\nThe door is locked. You need a Key to get in.");
    if (!carries("Key")) {
        console.message("\nYou do not posses a key. Try to come back if you find one.");
        return;
    }
    console.message("\nThe Key you have seems like it might fit the lock.");
    // Once the Key is noticed there is no turning away; only the end of
    // input leaves the door shut.
    if (!console.awaitLine("Use Key", "\nYou have a feeling you should Use Key.")) {
        return;
    }
    behind.locked = false;
    console.message("\nThe door opens with the key.");
    currentRoom = &behind;
    currentRoom->describe(console);
}

}  // namespace cellbound
