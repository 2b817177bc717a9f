#pragma once

#include <string_view>

// What the player's commands print: moves and the locked door, taking and
// dropping items, the inventory, and the fights.
namespace cellbound::player_texts {

inline constexpr std::string_view kMovedNorth = "\nYou moved to the north.";
inline constexpr std::string_view kMovedEast = "\nYou moved to the east.";
inline constexpr std::string_view kMovedSouth = "\nYou moved to the south.";
inline constexpr std::string_view kMovedWest = "\nYou moved to the west.";
inline constexpr std::string_view kHeld = "You cannot leave while you are being attacked.";
inline constexpr std::string_view kNoWay = "\nThere is no way to go that direction.";

inline constexpr std::string_view kLocked = "\nThe door is locked. You need a Key to get in.";
inline constexpr std::string_view kNoKey =
    "\nYou do not posses a key. Try to come back if you find one.";
inline constexpr std::string_view kKeyFits = "\nThe Key you have seems like it might fit the lock.";
inline constexpr std::string_view kUseKeyHint = "\nYou have a feeling you should Use Key.";
inline constexpr std::string_view kDoorOpens = "\nThe door opens with the key.";

inline constexpr std::string_view kNothingToPickUp = "There are no items to pick up in this room.";
inline constexpr std::string_view kPickUpHeading = "\nItems available to pick up:";
inline constexpr std::string_view kPickUpPrompt = "\nEnter the item you want to pick up: ";
inline constexpr std::string_view kNotInRoom = "Item not found in this room.";
inline constexpr std::string_view kPickedUp = "You picked up ";  // then the name and "."
inline constexpr std::string_view kNothingToDrop = "There are no items to drop.";
inline constexpr std::string_view kDropHeading = "\nItems available to drop:";
inline constexpr std::string_view kDropPrompt = "\nEnter the item you want to drop: ";
inline constexpr std::string_view kNotInInventory = "Item not found in Inventory.";
inline constexpr std::string_view kDropped = "You dropped ";  // then the name and "."
inline constexpr std::string_view kInventoryHeading = "\nInventory list:";
inline constexpr std::string_view kInventoryEmpty = "\nInventory is empty!";

inline constexpr std::string_view kNothingToFight = "\nThere is nothing to fight right now.";
inline constexpr std::string_view kNothingToFightUnarmed =
    "\nThere is nothing to fight right now, and you are lucky for it as you have nothing to fight "
    "with.";

inline constexpr std::string_view kDogBeaten =
    "\nYou narrowly dodge out of the way as the creature lunges at you. As it passes you, you stab "
    "it deeply in the neck. \nPutting the full force of your body behind it, you slowly feel the "
    "dog like creature stop moving beneath you.";
inline constexpr std::string_view kDogWins =
    "\nBefore you even know what is going on the thick teeth of the creature dig into you, tearing "
    "you in half.";
inline constexpr std::string_view kLostToDog =
    "\nYou have lost to the dog like creature, as the dark takes you, you feel something pulling "
    "at your soul. You wake up in a bed with a familiar ceiling";

inline constexpr std::string_view kGuardBeaten =
    "\nYou catch the guard by surprise, bringing your sword up and slashing across their chest, "
    "you bite deep into their flesh. \nYou see the guards eyes go lifeless as they fall to the "
    "ground infront of you.";
inline constexpr std::string_view kGuardWins =
    "\nThe guard lunges at you as you stare on in shock, his dagger piercing your heart. ";
inline constexpr std::string_view kLostToGuard =
    "\nYou have lost to the guard, as the dark takes you, you feel something pulling at your "
    "soul. You wake up in a bed with a familiar ceiling";

inline constexpr std::string_view kKnightBeaten =
    "\nYou dodge to the left as the axe lands by your feet. You kick the knight away to get some "
    "distance. \nWhile he is disoriented, you run full force into their armor, picking them up and "
    "carrying them into the wall opposite you. \nYou use this opportunity to stab into the soft "
    "parts of the armor. The knight makes to move but you keep stabbing repeatedly. Until finally "
    "the axe falls to the floor in a loud clang.";
inline constexpr std::string_view kKnightWins =
    "\nThe knights axe comes down before you even have time to think. It cleaves you in two.";
inline constexpr std::string_view kLostToKnight =
    "\nYou have lost to the knight, as the dark takes you, you feel something pulling at your "
    "soul. You wake up in a bed with a familiar ceiling";

// The final fight, in the order it goes.
inline constexpr std::string_view kHunterWinsUnarmed =
    "\nThe hunter moves like a shadow, you have no chance unarmed as you are. The scythe clears "
    "through your body like paper. Your last thoughts of the freedom you almost acquired.";
inline constexpr std::string_view kHunterWinsUnshielded =
    "\nThe hunter moves like a shadow, you lift up your sword to block it but you know you have no "
    "chance. As the scythe hits your sword it shatters it as the scythe continues, cleaving you in "
    "two.";
inline constexpr std::string_view kMoments = "\nYou have but mere moments to respond!";
inline constexpr std::string_view kBlockHint =
    "\nYou feel this would be a good time to use your shield to Block.";
inline constexpr std::string_view kBlocked =
    "\nThe hunter moves like a shadow, but you manage to get your shield up in time. \nThe hit "
    "knocks you both back as some magical force seems to errupt from the shield. You feel this is "
    "a critical moment.";
inline constexpr std::string_view kHunterWinsWithoutGem =
    "\nYou look up and the hunter is gone, suddenly you feel a heat from your center. \nYou look "
    "down and see the tip of a scythe protruding from your chest. You cry out as the darkness "
    "takes you.";
inline constexpr std::string_view kGemWarms =
    "\nYou feel a warmth from the Gem you picked up earlier, a voice whispers from the dark, "
    "telling you to use it.";
inline constexpr std::string_view kGemHint = "\nYou feel this would be a good time to Use Gem.";
inline constexpr std::string_view kGemSmashed =
    "\nYou pull the Gem out of you pocket and smash it on the ground. Bright streams of light "
    "errupt, enveloping the dark hunter, holding them in place. This is the moment you needed.";
inline constexpr std::string_view kAttackHint =
    "\nThe hunter is held in place by some magical force, but you don't know for how long. Now is "
    "the time to Attack.";
inline constexpr std::string_view kHunterBeaten =
    "\nYou use the opportunity given to you to rush towards the dark hunter. \nAs you near him you "
    "reach back and make a mighty slash, clearing his head from his body. \nBefore it ever touches "
    "the ground the hunter disipates into the shadows. \nYou feel as though a great weight has "
    "been lifted. You take a moment to collect yourself before stepping through the portal to "
    "whatever lies next.";
inline constexpr std::string_view kCongratulations =
    "\nCongratulations, you have beaten the game! I hope you enjoyed it, and thank you for "
    "playing!";
inline constexpr std::string_view kLostToHunter =
    "\nYou have lost to the hunter, as the dark takes you, you feel something pulling at your "
    "soul. You wake up in a bed with a familiar ceiling";

}  // namespace cellbound::player_texts
