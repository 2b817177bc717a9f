// Plays a whole game on arbitrary typed bytes and checks, after every turn,
// what must hold whatever is typed. The checks look at the game from outside:
// a walk over the rooms, not fields added to the game's records.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.hpp"
#include "game/turn_loop.hpp"
#include "player/player.hpp"

namespace {

using cellbound::Player;
using cellbound::Room;

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

using Exits = std::array<Room*, cellbound::kDirectionCount>;

// Every room reachable from the start, with its exits.
std::map<const Room*, Exits> walk(const Player& player) {
    std::map<const Room*, Exits> rooms;
    std::vector<const Room*> toVisit{player.world.startRoom};
    while (!toVisit.empty()) {
        const Room* room = toVisit.back();
        toVisit.pop_back();
        if (room != nullptr && rooms.emplace(room, room->exits).second) {
            toVisit.insert(toVisit.end(), room->exits.begin(), room->exits.end());
        }
    }
    return rooms;
}

void checkInvariants(const Player& player, const std::map<const Room*, Exits>& map, bool wasOver) {
    require(walk(player) == map);  // the map's exits never change
    require(player.currentRoom != nullptr && map.contains(player.currentRoom));
    require(player.gameOver || !wasOver);

    // Each item is in one place at most, carried or in a room.
    std::vector<std::string> items = player.inventory;
    for (const auto& [room, exits] : map) {
        items.insert(items.end(), room->items.begin(), room->items.end());
    }
    std::sort(items.begin(), items.end());
    require(std::adjacent_find(items.begin(), items.end()) == items.end());
    for (const auto& item : items) {
        require(item == "Gem" || item == "Sword" || item == "Key" || item == "Shield");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cellbound::ByteSource typed{[bytes, given = false]() mutable {
        return std::exchange(given, true) ? std::string_view() : bytes;
    }};
    // Output is not looked at here; the transcripts do that.
    cellbound::ByteSink printed{[](std::string_view written) { return written.size(); }};
    cellbound::Console console(typed, printed);

    Player player;
    const auto map = walk(player);
    require(map.size() == cellbound::kRoomCount);
    cellbound::TurnLoop loop(console, player);
    loop.start();
    bool wasOver = false;
    for (bool goesOn = true; goesOn;) {
        goesOn = loop.turn();
        checkInvariants(player, map, wasOver);
        wasOver = player.gameOver;
    }
    return 0;
}
