#pragma once

#include <string_view>

// The rooms' texts: the first-visit text of each room, and the text for later
// visits where the room has one; then what a room says of its items.
namespace cellbound::room_texts {

inline constexpr std::string_view kBedroom =
    "\nYou see the bed you woke up in. There is a open door to the east, and a door to the south.";

inline constexpr std::string_view kDollRoom =
    "\nAs you unlock the door and enter the room, you see a life sized doll. \nSurrounding her are "
    "various candles and flowers. You believe them to be offerings, though for what you do not "
    "know. \nThe door to North you came in is the only way out.";

inline constexpr std::string_view kClinic =
    "\nAs you enter the room you notice chains hanging from the ceiling, various metal tables line "
    "the room. \nYou believe this room to be a clinic of some sort, but from the looks of it you "
    "want no part of the things that go on here. \nThere is an open door to the North, and the "
    "West.";

inline constexpr std::string_view kArmoury =
    "\nYou seem to have found what amounts to the weapons room. \nYou see a sword that while "
    "obvioulsy well used, should be sturdy enough to defend yourself with. \nThere is a door to "
    "the North, and the South.";
inline constexpr std::string_view kArmouryRevisit =
    "\nThe room remains the same as before, minus the sword you took. \nThere is a door to the "
    "North, and the South.";

inline constexpr std::string_view kBeastHall =
    "\nYou enter a large room, it is empty save for a giant dog like creature, it bares it's fangs "
    "as it leaps towards you.";
inline constexpr std::string_view kBeastHallRevisit =
    "\nThe stench from the remains of the dog-like creature are all that inhabit this room. \nYou "
    "see a door in every direction.";

inline constexpr std::string_view kCells =
    "\nAs you enter the room, you see 4 cells. \nThey are mostly empty, save for the one in the "
    "back. \nYou notice a figure sitting on the bed. The door to the West, where you came in is "
    "the only exit.";
inline constexpr std::string_view kCellsRevisit =
    "\nAs you reenter the cells the woman is sitting and waiting. \nThe door to the East, where "
    "you came in is the only exit.";

inline constexpr std::string_view kGuardRoom =
    "\nAs you enter you see a dimly lit room. \nYou see a key to your left. \nA guard is sitting "
    "in a chair with his back facing towards you, he turns as he hears the door open. \nHe draws "
    "his sword and charges towards you.";
inline constexpr std::string_view kGuardRoomRevisit =
    "\nThe room contains the body of the slain guard. \nThe only exit is to the South where you "
    "came in.";

inline constexpr std::string_view kTorchHallway =
    "\nYou enter an ominous hallway, torches line the wall, and you try not to think about what is "
    "coating the walls. \nThe East and the West are your only ways out.";

inline constexpr std::string_view kKnightHall =
    "\nAs you enter the large room, you see a door to the north and a knight in steel armor. He is "
    "weilding a large axe and makes to slice you in half.";
inline constexpr std::string_view kKnightHallRevisit =
    "\nThe remains of the knight lie in the corner. \nThe door to the East, and North are open to "
    "you.";

inline constexpr std::string_view kLongHallway =
    "\nYou enter a long hallway from the South, there is a door to the west, and a door to the "
    "North. You feel as though the door ahead leads to the end.";

inline constexpr std::string_view kShieldRoom =
    "\nThe room you have entered is empty, save for a shield sitting in the middle of the room on "
    "a raised pedestal. \nThere is nothing special about it, and it has no discernable markings, "
    "but you feel it will be useful going ahead. \nThe only way out is to the East where you came "
    "in.";
inline constexpr std::string_view kShieldRoomRevisit =
    "\nThe room is empty except for the dias where your shield was.";

inline constexpr std::string_view kPortalRoom =
    "\nAs you enter into the room you see a man, sitting on the floor, dressed in black. He is "
    "holding a scythe that glows with a blackish hue. \nThere is a portal thrumming with energy, a "
    "swirling purple vortex. You know this is your way out. \nThe man turns his covered head your "
    "way and stands, he readies his scythe for action and lunges at you.";

inline constexpr std::string_view kItemsHeading = "\nThe rooms items:";
inline constexpr std::string_view kNothingWorthPickingUp = "\nThere is nothing worth picking up.";

}  // namespace cellbound::room_texts
