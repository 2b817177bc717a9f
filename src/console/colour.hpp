#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cellbound {

// The game's two colours, by what they colour.
enum class Colour : std::uint8_t {
    Reply,    // everything the game prints, and replies typed within a turn
    Command,  // the command typed at the top of a turn
};

// How each platform shows a colour: the Windows console's text attribute,
// a terminal's escape code and the page's style class.
struct ColourLook {
    std::uint16_t windowsAttribute;
    std::string_view escape;
    std::string_view pageClass;
};

// Bright green and bright magenta, each row in the enum's order.
inline constexpr std::array<ColourLook, 2> kColourLooks{{
    {10, "\x1b[92m", "reply"},
    {13, "\x1b[95m", "command"},
}};

constexpr const ColourLook& lookOf(Colour colour) {
    return kColourLooks.at(static_cast<std::size_t>(colour));
}

}  // namespace cellbound
