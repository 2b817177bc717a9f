#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

namespace {

// An enemy that a sword beats at once and that beats anyone without one.
struct Enemy {
    std::string_view name;
    std::string_view victory;
    std::string_view loss;
    std::string_view lostTo;
};

constexpr std::array kEnemies{
    Enemy{
        "dog",
        "\nYou narrowly dodge out of the way as the creature lunges at you. As it passes you, you "
        "stab it deeply in the neck. \nPutting the full force of your body behind it, you slowly "
        "feel the dog like creature stop moving beneath you.",
        "\nBefore you even know what is going on the thick teeth of the creature dig into you, "
        "tearing you in half.",
        "\nYou have lost to the dog like creature, as the dark takes you, you feel something "
        "pulling at your soul. You wake up in a bed with a familiar ceiling",
    },
    Enemy{
        "guard",
        "\nYou catch the guard by surprise, bringing your sword up and slashing across their "
        "chest, you bite deep into their flesh. \nYou see the guards eyes go lifeless as they fall "
        "to the ground infront of you.",
        "\nThe guard lunges at you as you stare on in shock, his dagger piercing your heart. ",
        "\nYou have lost to the guard, as the dark takes you, you feel something pulling at your "
        "soul. You wake up in a bed with a familiar ceiling",
    },
    Enemy{
        "knight",
        "\nYou dodge to the left as the axe lands by your feet. You kick the knight away to get "
        "some distance. \nWhile he is disoriented, you run full force into their armor, picking "
        "them up and carrying them into the wall opposite you. \nYou use this opportunity to stab "
        "into the soft parts of the armor. The knight makes to move but you keep stabbing "
        "repeatedly. Until finally the axe falls to the floor in a loud clang.",
        "\nThe knights axe comes down before you even have time to think. It cleaves you in two.",
        "\nYou have lost to the knight, as the dark takes you, you feel something pulling at your "
        "soul. You wake up in a bed with a familiar ceiling",
    },
};

constexpr std::string_view kHunter = "dHunter";
constexpr std::string_view kLostToHunter =
    "\nYou have lost to the hunter, as the dark takes you, you feel something pulling at your "
    "soul. You wake up in a bed with a familiar ceiling";

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
            console.message("\nThere is nothing to fight right now.");
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
        console.message(
            "\nThere is nothing to fight right now, and you are lucky for it as you have nothing "
            "to fight with.");
    } else if (enemy != nullptr) {
        console.message(enemy->loss);
        defeat(console, enemy->lostTo);
    } else if (enemyName == kHunter) {
        console.message(
            "\nThe hunter moves like a shadow, you have no chance unarmed as you are. The scythe "
            "clears through your body like paper. Your last thoughts of the freedom you almost "
            "acquired.");
        defeat(console, kLostToHunter);
    }
}

// The last fight asks for three replies in a row. Should input end during
// any of them, the fight simply stops where it is: no defeat and no win.
void Player::finalFight(Console& console) {
    if (!hasShield()) {
        console.message(
            "\nThe hunter moves like a shadow, you lift up your sword to block it but you know you "
            "have no chance. As the scythe hits your sword it shatters it as the scythe continues, "
            "cleaving you in two.");
        defeat(console, kLostToHunter);
        return;
    }
    console.message("\nYou have but mere moments to respond!");
    if (!console.awaitWord("Block",
                           "\nYou feel this would be a good time to use your shield to Block.")) {
        return;
    }
    console.message(
        "\nThe hunter moves like a shadow, but you manage to get your shield up in time. \nThe hit "
        "knocks you both back as some magical force seems to errupt from the shield. You feel this "
        "is a critical moment.");
    if (!hasGem()) {
        console.message(
            "\nYou look up and the hunter is gone, suddenly you feel a heat from your center. "
            "\nYou look down and see the tip of a scythe protruding from your chest. You cry out "
            "as the darkness takes you.");
        defeat(console, kLostToHunter);
        console.discardOne();  // the line end after "Block"
        return;
    }
    console.message(
        "\nYou feel a warmth from the Gem you picked up earlier, a voice whispers from the dark, "
        "telling you to use it.");
    console.discardOne();  // the line end after "Block"
    if (!console.awaitLine("Use Gem", "\nYou feel this would be a good time to Use Gem.")) {
        return;
    }
    console.message(
        "\nYou pull the Gem out of you pocket and smash it on the ground. Bright streams of light "
        "errupt, enveloping the dark hunter, holding them in place. This is the moment you "
        "needed.");
    if (!console.awaitWord("Attack",
                           "\nThe hunter is held in place by some magical force, but you don't "
                           "know for how long. Now is the time to Attack.")) {
        return;
    }
    console.message(
        "\nYou use the opportunity given to you to rush towards the dark hunter. \nAs you near him "
        "you reach back and make a mighty slash, clearing his head from his body. \nBefore it ever "
        "touches the ground the hunter disipates into the shadows. \nYou feel as though a great "
        "weight has been lifted. You take a moment to collect yourself before stepping through the "
        "portal to whatever lies next.");
    console.message(
        "\nCongratulations, you have beaten the game! I hope you enjoyed it, and thank you for "
        "playing!");
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
