#include <array>
#include <string_view>

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

namespace {

// A direction is told by the first character of the command alone.
struct DirectionWord {
    char upper;
    char lower;
    Direction direction;
    std::string_view moved;
};

constexpr std::array kDirectionWords{
    DirectionWord{'N', 'n', Direction::North, "\nYou moved to the north."},
    DirectionWord{'E', 'e', Direction::East, "\nYou moved to the east."},
    DirectionWord{'S', 's', Direction::South, "\nYou moved to the south."},
    DirectionWord{'W', 'w', Direction::West, "\nYou moved to the west."},
};

const DirectionWord* directionOf(std::string_view command) {
    if (command.empty()) {
        return nullptr;
    }
    for (const DirectionWord& direction : kDirectionWords) {
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
    const DirectionWord* const word = directionOf(command);
    if (word == nullptr) {
        return;
    }
    Room* const behind = currentRoom->exit(word->direction);
    if (behind == nullptr) {
        console.message("\nThere is no way to go that direction.");
        return;
    }
    // Only doors entered by a move south are ever locked.
    if (word->direction == Direction::South && behind->locked) {
        openLockedDoor(console, *behind);
        return;
    }
    currentRoom = behind;
    console.message(word->moved);
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
