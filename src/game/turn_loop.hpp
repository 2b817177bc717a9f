#pragma once

#include "console/console.hpp"
#include "player/player.hpp"

namespace cellbound {

// The game from its opening text to the last turn. The caller owns the
// console and the player; the platform's final pause is left to the caller.
class TurnLoop {
public:
    TurnLoop(Console& console, Player& player) : console_(console), player_(player) {}

    // The command list, the waking text and the start room.
    void start();
    // One turn: reads a command line and carries it out. False once the
    // game is over: after the turn that began with the game won, or when
    // input has ended.
    bool turn();

private:
    void dispatch(const TypedText& command);
    void talk();

    Console& console_;
    Player& player_;
    bool endMark_ = false;
};

// Colours the console, creates the player and plays until the game ends.
void play(Console& console);

}  // namespace cellbound
