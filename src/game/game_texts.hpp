#pragma once

#include <string_view>

// What the turn loop itself prints: the opening, and its replies to Help,
// Talk and a line that is no command.
namespace cellbound::game_texts {

inline constexpr std::string_view kCommandList =
    "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, Attack, "
    "Talk, Inventory, Look";
inline constexpr std::string_view kWaking =
    "\nYou awaken on a hard bed, looking up at an unfamiliar ceiling. As you sit up you have a "
    "sharp pain in your head. \nYou try to remember how you got here but find you can't remember "
    "anything prior to waking up.";
inline constexpr std::string_view kHelp =
    "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, Attack, "
    "Block, Talk, Look";
inline constexpr std::string_view kGreeting =
    "\nYou greet the woman. She looks up at you. \nYou still cannot see he face but she says to "
    "you \"It is good to see another face again. I must warn you this is a prison like no other. "
    "\nYou shall find no easy escape. However if you find the Sword, Shield, and Gem, before "
    "reaching the end, you may have a chance.\"";
inline constexpr std::string_view kTalkingToYourself =
    "\nYou begin talking to yourself. Normally you'd say you are going crazy but what is crazy in "
    "a place like this.";
inline constexpr std::string_view kInvalid = "That is not a valid option.";

}  // namespace cellbound::game_texts
