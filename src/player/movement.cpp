#include <array>
#include <string_view>

#include "console/console.hpp"
#include "player/player.hpp"
#include "player/player_texts.hpp"

namespace cellbound {

namespace {

namespace text = player_texts;

// A direction is told by the first character of the command alone.
struct DirectionWord {
    char upper;
    char lower;
    Direction direction;
    std::string_view moved;
};

constexpr std::array kDirectionWords{
    DirectionWord{'N', 'n', Direction::North, text::kMovedNorth},
    DirectionWord{'E', 'e', Direction::East, text::kMovedEast},
    DirectionWord{'S', 's', Direction::South, text::kMovedSouth},
    DirectionWord{'W', 'w', Direction::West, text::kMovedWest},
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
        console.message(text::kHeld);
        return;
    }
    const DirectionWord* const word = directionOf(command);
    if (word == nullptr) {
        return;
    }
    Room* const behind = currentRoom->exit(word->direction);
    if (behind == nullptr) {
        console.message(text::kNoWay);
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
    console.message(text::kLocked);
    if (!carries("Key")) {
        console.message(text::kNoKey);
        return;
    }
    console.message(text::kKeyFits);
    // Once the Key is noticed there is no turning away; only the end of
    // input leaves the door shut.
    if (!console.awaitLine("Use Key", text::kUseKeyHint)) {
        return;
    }
    behind.locked = false;
    console.message(text::kDoorOpens);
    currentRoom = &behind;
    currentRoom->describe(console);
}

}  // namespace cellbound
