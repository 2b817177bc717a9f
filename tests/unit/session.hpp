#pragma once

#include <string>
#include <utility>
#include <vector>

#include "console/console.hpp"
#include "in_memory.hpp"
#include "player/player.hpp"

namespace cellbound::test_support {

// Message lines as the console prints them: each text, then a line feed.
template <typename... Texts>
std::string lines(const Texts&... texts) {
    std::string printed;
    ((printed.append(texts) += '\n'), ...);
    return printed;
}

// A player and a console over strings: what is typed goes in, and what the
// game printed is taken out piece by piece.
struct Session {
    explicit Session(std::string typed = {}) : in(std::move(typed)) {}

    MemoryInput in;
    MemoryOutput out;
    std::vector<Colour> colours;
    Console console{in.source, out.sink,
                    [this](Colour attribute) { colours.push_back(attribute); }};
    Player player;

    Room& room(RoomLabel label) { return player.world.room(label); }
    void standIn(RoomLabel label) { player.currentRoom = &room(label); }
    template <typename... Items>
    void give(const Items&... items) {
        (player.inventory.emplace_back(items), ...);
    }

    // What has been printed since the last call.
    std::string printed() { return std::exchange(out.written, {}); }
    // What is still unread of the typed input.
    std::string unread() { return takeRest(in.source); }
};

}  // namespace cellbound::test_support
