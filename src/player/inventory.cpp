#include <algorithm>

#include "console/console.hpp"
#include "player/player.hpp"
#include "player/player_texts.hpp"

namespace cellbound {

void Player::showInventory(Console& console) const {
    console.list(player_texts::kInventoryHeading, inventory, player_texts::kInventoryEmpty);
}

bool Player::carries(std::string_view item) const {
    return std::find(inventory.begin(), inventory.end(), item) != inventory.end();
}

}  // namespace cellbound
