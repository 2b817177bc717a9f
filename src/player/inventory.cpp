#include <algorithm>

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

void Player::showInventory(Console& console) const {
    console.list("\nInventory list:", inventory, "\nInventory is empty!");
}

bool Player::carries(std::string_view item) const {
    return std::find(inventory.begin(), inventory.end(), item) != inventory.end();
}

}  // namespace cellbound
