#include "world/room.hpp"

#include "console/console.hpp"
#include "world/room_texts.hpp"

namespace cellbound {

void Room::listItems(Console& console) const {
    console.list(room_texts::kItemsHeading, items, room_texts::kNothingWorthPickingUp);
}

void Room::describe(Console& console) {
    // An enemy keeps the room looking as it did on the first visit.
    const bool revisit = visited && enemy.empty();
    console.message(revisit && !revisitDescription.empty() ? revisitDescription : description);
    listItems(console);
    visited = true;
}

}  // namespace cellbound
