#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cellbound {

class Console;

// The four ways out of a room.
enum class Direction : std::size_t { East, West, North, South };
inline constexpr std::size_t kDirectionCount = 4;

[[nodiscard]] constexpr std::size_t indexOf(Direction direction) noexcept {
    return static_cast<std::size_t>(direction);
}

[[nodiscard]] constexpr Direction opposite(Direction direction) noexcept {
    switch (direction) {
        case Direction::East:
            return Direction::West;
        case Direction::West:
            return Direction::East;
        case Direction::North:
            return Direction::South;
        case Direction::South:
            break;
    }
    return Direction::North;
}

// A text that lasts as long as the program: a literal, or a constant made of
// one. Rooms keep views of their texts, so only such a text can be given to
// them; anything else (a std::string, a text put together while running) is
// refused when compiling.
class FixedText {
public:
    // Implicit, so that a literal can be given where a FixedText is taken.
    // NOLINTBEGIN(google-explicit-constructor, hicpp-explicit-conversions)
    consteval FixedText(const char* text) : text_(text) {}
    consteval FixedText(std::string_view text) : text_(text) {}
    // NOLINTEND(google-explicit-constructor, hicpp-explicit-conversions)

    [[nodiscard]] constexpr std::string_view view() const noexcept { return text_; }

private:
    std::string_view text_;
};

// One location of the prison. A room stores no name: rooms are told apart by
// reference, and refer to each other through their exits.
class Room {
public:
    Room(FixedText firstVisitText, FixedText laterVisitText)
        : description(firstVisitText.view()), revisitDescription(laterVisitText.view()) {}

    // Exits point into the map; copying a room would leave them pointing at
    // the original's neighbours.
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;
    Room(Room&&) = delete;
    Room& operator=(Room&&) = delete;
    ~Room() = default;

    // Exits own nothing; null where there is no way.
    std::array<Room*, kDirectionCount> exits{};
    std::vector<std::string> items;
    std::string enemy;  // empty: no enemy
    const std::string_view description;
    const std::string_view revisitDescription;  // empty: the first-visit text serves
    bool visited = false;
    bool locked = false;  // entering by a move south needs the Key

    [[nodiscard]] Room* exit(Direction direction) const { return exits.at(indexOf(direction)); }

    void addItem(std::string_view name) { items.emplace_back(name); }
    void setEnemy(std::string_view name) { enemy = name; }

    void listItems(Console& console) const;
    void describe(Console& console);
};

}  // namespace cellbound
