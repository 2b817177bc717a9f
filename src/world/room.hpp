#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cellbound {

class Console;

// One location of the prison. A room stores no name: rooms are told apart by
// reference, and refer to each other through their exits.
class Room {
public:
    Room(std::string_view firstVisitText, std::string_view laterVisitText)
        : description(firstVisitText), revisitDescription(laterVisitText) {}

    // Exits point into the map; copying a room would leave them pointing at
    // the original's neighbours.
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;
    Room(Room&&) = delete;
    Room& operator=(Room&&) = delete;
    ~Room() = default;

    // Exits own nothing; null where there is no way.
    Room* east = nullptr;
    Room* west = nullptr;
    Room* north = nullptr;
    Room* south = nullptr;
    std::vector<std::string> items;
    std::string enemy;  // empty: no enemy
    std::string_view description;
    std::string_view revisitDescription;  // empty: the first-visit text serves
    bool visited = false;
    bool locked = false;  // entering by a move south needs the Key

    void addItem(std::string_view name) { items.emplace_back(name); }
    void setEnemy(std::string_view name) { enemy = name; }

    void listItems(Console& console) const;
    void describe(Console& console);
};

}  // namespace cellbound
