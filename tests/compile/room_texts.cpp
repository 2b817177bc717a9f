// Rooms keep views of their texts, so a room must refuse, when compiling, a
// text that would die before it. Compiled twice by the tests: as it stands it
// must compile; with DANGLING it must not.
#include <string>
#include <string_view>

#include "world/room.hpp"

int main() {
#ifdef DANGLING
    const std::string name = "Cell";
    const std::string_view text = name + "s";  // a view of a string already gone
    const cellbound::Room room(text, "");
#else
    const cellbound::Room room("\nA text fixed for the whole run.", "");
#endif
    return room.visited ? 1 : 0;
}
