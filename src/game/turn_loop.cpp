#include "game/turn_loop.hpp"

#include <array>
#include <string_view>

#include "game/game_texts.hpp"
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

}  // namespace

void TurnLoop::start() {
    console_.message(game_texts::kCommandList);
    console_.message(game_texts::kWaking);
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
        console_.message(game_texts::kInvalid);
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
            console_.message(game_texts::kHelp);
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
    console_.message(inCells ? game_texts::kGreeting : game_texts::kTalkingToYourself);
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
