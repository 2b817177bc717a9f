#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "player/player.hpp"
#include "player/player_texts.hpp"

namespace cellbound {

namespace {

namespace text = player_texts;

// An enemy that a sword beats at once and that beats anyone without one.
struct Enemy {
    std::string_view name;
    std::string_view victory;
    std::string_view loss;
    std::string_view lostTo;
};

constexpr std::array kEnemies{
    Enemy{"dog", text::kDogBeaten, text::kDogWins, text::kLostToDog},
    Enemy{"guard", text::kGuardBeaten, text::kGuardWins, text::kLostToGuard},
    Enemy{"knight", text::kKnightBeaten, text::kKnightWins, text::kLostToKnight},
};

constexpr std::string_view kHunter = "dHunter";

const Enemy* ordinaryEnemy(std::string_view name) {
    for (const Enemy& enemy : kEnemies) {
        if (enemy.name == name) {
            return &enemy;
        }
    }
    return nullptr;
}

}  // namespace

void Player::attack(Console& console) {
    const std::string_view enemyName = currentRoom->enemy;
    const Enemy* const enemy = ordinaryEnemy(enemyName);
    if (hasSword()) {
        if (enemyName.empty()) {
            console.message(text::kNothingToFight);
        } else if (enemy != nullptr) {
            console.message(enemy->victory);
            currentRoom->enemy.clear();
            currentRoom->describe(console);
        } else if (enemyName == kHunter) {
            finalFight(console);
        }
        return;
    }
    if (enemyName.empty()) {
        console.message(text::kNothingToFightUnarmed);
    } else if (enemy != nullptr) {
        console.message(enemy->loss);
        defeat(console, enemy->lostTo);
    } else if (enemyName == kHunter) {
        console.message(text::kHunterWinsUnarmed);
        defeat(console, text::kLostToHunter);
    }
}

// The last fight asks for three replies in a row. Should input end during
// any of them, the fight simply stops where it is: no defeat and no win.
void Player::finalFight(Console& console) {
    if (!hasShield()) {
        console.message(text::kHunterWinsUnshielded);
        defeat(console, text::kLostToHunter);
        return;
    }
    console.message(text::kMoments);
    if (!console.awaitWord("Block", text::kBlockHint)) {
        return;
    }
    console.message(text::kBlocked);
    if (!hasGem()) {
        console.message(text::kHunterWinsWithoutGem);
        defeat(console, text::kLostToHunter);
        console.discardOne();  // the line end after "Block"
        return;
    }
    console.message(text::kGemWarms);
    console.discardOne();  // the line end after "Block"
    if (!console.awaitLine("Use Gem", text::kGemHint)) {
        return;
    }
    console.message(text::kGemSmashed);
    if (!console.awaitWord("Attack", text::kAttackHint)) {
        return;
    }
    console.message(text::kHunterBeaten);
    console.message(text::kCongratulations);
    gameOver = true;
    console.discardOne();  // the line end after "Attack"
}

void Player::defeat(Console& console, std::string_view lostToText) {
    console.message(lostToText);
    currentRoom = world.startRoom;
    inventory.clear();  // what was carried is gone for good
    resetRooms();
}

void Player::resetRooms() {
    // The walk keeps its own record of the rooms it has reached: the rooms'
    // flags may already hold what it writes while rooms beyond do not.
    std::vector<Room*> reached{world.startRoom};
    for (std::size_t next = 0; next < reached.size(); ++next) {
        Room* const room = reached[next];
        room->visited = false;
        room->locked = true;
        for (Room* const neighbour : room->exits) {
            if (neighbour != nullptr &&
                std::find(reached.begin(), reached.end(), neighbour) == reached.end()) {
                reached.push_back(neighbour);
            }
        }
    }
}

}  // namespace cellbound
