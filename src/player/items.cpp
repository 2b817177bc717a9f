#include <algorithm>
#include <string>

#include "console/console.hpp"
#include "player/player.hpp"
#include "player/player_texts.hpp"

namespace cellbound {

namespace {

namespace text = player_texts;

// What tells a pick-up from a drop; the steps themselves are shared.
struct Transfer {
    std::string_view nothingToMove;
    std::string_view heading;
    void (*listGivingSide)(const Player& player, Console& console);
    std::string_view prompt;
    std::string_view notFound;
    std::string_view confirmation;  // followed by the name and "."
};

constexpr Transfer kPickUp{
    text::kNothingToPickUp,
    text::kPickUpHeading,
    [](const Player& player, Console& console) { player.currentRoom->listItems(console); },
    text::kPickUpPrompt,
    text::kNotInRoom,
    text::kPickedUp,
};

constexpr Transfer kDrop{
    text::kNothingToDrop,
    text::kDropHeading,
    [](const Player& player, Console& console) { player.showInventory(console); },
    text::kDropPrompt,
    text::kNotInInventory,
    text::kDropped,
};

// Moves the item the player names from one list to the other: the room's
// items and the player's inventory, one way or the other.
void transfer(const Player& player, Console& console, const Transfer& how,
              std::vector<std::string>& from, std::vector<std::string>& to) {
    if (from.empty()) {
        console.message(how.nothingToMove);
        return;
    }
    console.message(how.heading);
    how.listGivingSide(player, console);
    console.prompt(how.prompt);

    // At end of input there is no name, which matches nothing.
    const auto name = console.readWord();
    const auto found = name ? std::find_if(from.begin(), from.end(),
                                           [&](const std::string& item) { return *name == item; })
                            : from.end();
    if (found == from.end()) {
        console.message(how.notFound);
    } else {
        // The receiving side gains the name before the giving side loses it.
        to.emplace_back(name->text());
        from.erase(found);
        console.message(std::string(how.confirmation).append(name->text()).append("."));
    }
    // Takes the character after the name, normally the line end, so the
    // next command starts on a fresh line.
    console.discardOne();
}

}  // namespace

void Player::pickUp(Console& console) {
    transfer(*this, console, kPickUp, currentRoom->items, inventory);
}

void Player::drop(Console& console) {
    transfer(*this, console, kDrop, inventory, currentRoom->items);
}

}  // namespace cellbound
