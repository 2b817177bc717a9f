#pragma once

#include <string_view>

#include "console/colour.hpp"

// The terminal as the game found it and as the game uses it, kept where a
// signal handler can reach it: stops, continues, window changes and
// terminating signals all find the terminal in a known state.
namespace cellbound::terminal_state {

// How the game wants the terminal while it reads.
enum class Mode : int {
    AsFound,      // as the player had it: the kernel's line editing and echo
    LineEditing,  // every key at once, without echo: the game's line editor
    SingleKey,    // every key at once, without echo: the final pause
};

// Whether a terminal of this TERM name is known to take the ANSI cursor and
// colour sequences (xterm-256color, screen, linux, vt220, ...). Unknown
// names, dumb, vt52 and the empty name are not.
bool takesAnsi(std::string_view term) noexcept;

// Whether a terminal of this TERM name rewraps its rows when its width
// changes: all but the few known to cut them (the Linux console, st and the
// DEC terminals).
bool rewrapsRows(std::string_view term) noexcept;

// Remembers the terminal and installs the signal handlers. `input`: standard
// input is a terminal whose modes the game may change; `colours`: colour
// escapes go to standard output.
void takeOver(bool input, bool colours);

void use(Mode mode);
// The colour the game has set: written again when the game continues.
void colourInForce(Colour colour);

// What has happened since the game last asked: it has continued in the
// foreground (from Ctrl-Z, or from a stop it could not see, such as
// SIGSTOP), so the shell has moved the screen on and drawing starts again on
// a fresh row; or else the window has changed size, so what is being edited
// is drawn again. A continue holds a resize's bit.
enum class News : int { None = 0, Resized = 1, Continued = 3 };
News takeNews() noexcept;

// The line editor reads with the terminal's signal keys off, so that Ctrl-V
// can quote them. When `key` is one that sends a signal in the modes as
// found (Ctrl-C, Ctrl-\, Ctrl-Z), sends it to the game's process
// group as the terminal would. Returns whether it was such a key.
bool sendSignalOf(unsigned char key);

// The colour reset and the modes as found. Safe inside a signal handler.
void giveBack() noexcept;

}  // namespace cellbound::terminal_state
