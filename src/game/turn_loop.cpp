#include "game/turn_loop.hpp"

#include <array>
#include <string_view>

#include "world/room_texts.hpp"

namespace cellbound {

namespace {

enum class Command { Inventory, Pickup, Drop, Move, Talk, Help, Attack, Look };

struct CommandWord {
    std::string_view word;
    Command command;
};

// Only these spellings are commands; everything else is not a valid option.
constexpr std::array kCommands{
    CommandWord{"inventory", Command::Inventory}, CommandWord{"Inventory", Command::Inventory},
    CommandWord{"pickup", Command::Pickup},       CommandWord{"Pickup", Command::Pickup},
    CommandWord{"drop", Command::Drop},           CommandWord{"Drop", Command::Drop},
    CommandWord{"North", Command::Move},          CommandWord{"north", Command::Move},
    CommandWord{"South", Command::Move},          CommandWord{"south", Command::Move},
    CommandWord{"East", Command::Move},           CommandWord{"east", Command::Move},
    CommandWord{"West", Command::Move},           CommandWord{"west", Command::Move},
    CommandWord{"talk", Command::Talk},           CommandWord{"Talk", Command::Talk},
    CommandWord{"Help", Command::Help},           CommandWord{"help", Command::Help},
    CommandWord{"attack", Command::Attack},       CommandWord{"Attack", Command::Attack},
    CommandWord{"Look", Command::Look},           CommandWord{"look", Command::Look},
};

const CommandWord* commandFor(const TypedText& line) {
    for (const CommandWord& candidate : kCommands) {
        if (line == candidate.word) {
            return &candidate;
        }
    }
    return nullptr;
}

constexpr std::string_view kCommandList =
    "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, Attack, "
    "Talk, Inventory, Look";
constexpr std::string_view kWaking =
    "\nYou awaken on a hard bed, looking up at an unfamiliar ceiling. As you sit up you have a "
    "sharp pain in your head. \nYou try to remember how you got here but find you can't remember "
    "anything prior to waking up.";
constexpr std::string_view kHelp =
    "\nYou can use the following commands: North, South, East, West, Pickup, Drop, Use, Attack, "
    "Block, Talk, Look";
constexpr std::string_view kGreeting =
    "\nYou greet the woman. She looks up at you. \nYou still cannot see he face but she says to "
    "you \"It is good to see another face again. I must warn you this is a prison like no other. "
    "\nYou shall find no easy escape. However if you find the Sword, Shield, and Gem, before "
    "reaching the end, you may have a chance.\"";
constexpr std::string_view kTalkingToYourself =
    "\nYou begin talking to yourself. Normally you'd say you are going crazy but what is crazy in "
    "a place like this.";
constexpr std::string_view kInvalid = "That is not a valid option.";

}  // namespace

void TurnLoop::start() {
    console_.message(kCommandList);
    console_.message(kWaking);
    player_.currentRoom->describe(console_);
}

bool TurnLoop::turn() {
    if (player_.gameOver) {
        endMark_ = true;
    }
    console_.setColour(Colour::Command);
    const auto command = console_.readLine();
    console_.setColour(Colour::Reply);
    if (!command) {
        return false;  // input has ended: so has the game
    }
    dispatch(*command);
    return !endMark_;
}

void TurnLoop::dispatch(const TypedText& command) {
    const CommandWord* const row = commandFor(command);
    if (row == nullptr) {
        console_.message(kInvalid);
        return;
    }
    switch (row->command) {
        case Command::Inventory:
            player_.showInventory(console_);
            break;
        case Command::Pickup:
            player_.pickUp(console_);
            break;
        case Command::Drop:
            player_.drop(console_);
            break;
        case Command::Move:
            player_.move(console_, command.text());
            break;
        case Command::Talk:
            talk();
            break;
        case Command::Help:
            console_.message(kHelp);
            break;
        case Command::Attack:
            player_.attack(console_);
            break;
        case Command::Look:
            player_.currentRoom->describe(console_);
            break;
    }
}

void TurnLoop::talk() {
    // Rooms have no names; the Cells are known by their texts.
    const Room& room = *player_.currentRoom;
    const bool inCells = room.description == room_texts::kCells ||
                         room.revisitDescription == room_texts::kCellsRevisit;
    console_.message(inCells ? kGreeting : kTalkingToYourself);
}

void play(Console& console) {
    console.setColour(Colour::Reply);
    Player player;
    TurnLoop loop(console, player);
    loop.start();
    while (loop.turn()) {
    }
}

}  // namespace cellbound
