#include <algorithm>

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

void Player::showInventory(Console& console) const {
    console.list("\nInventory list:", inventory, "\nInventory is empty!");
}

bool Player::carries(std::string_view item) const {
    return std::ranges::find(inventory, item) != inventory.end();
}

// The one place the item flags are written: every change of the inventory
// ends here, so the flags can never drift from what is carried.
void Player::updateItemFlags() {
    hasSword = carries("Sword");
    hasShield = carries("Shield");
    hasGem = carries("Gem");
}

}  // namespace cellbound
