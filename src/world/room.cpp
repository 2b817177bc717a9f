#include "world/room.hpp"

#include "console/console.hpp"

namespace cellbound {

void Room::listItems(Console& console) const {
    console.list("\nThe rooms items:", items, "\nThere is nothing worth picking up.");
}

void Room::describe(Console& console) {
    // An enemy keeps the room looking as it did on the first visit.
    const bool revisit = visited && enemy.empty();
    console.message(revisit && !revisitDescription.empty() ? revisitDescription : description);
    listItems(console);
    visited = true;
}

}  // namespace cellbound
