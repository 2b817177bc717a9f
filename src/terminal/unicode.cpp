#include "terminal/unicode.hpp"

namespace cellbound::unicode {

// Placeholder until the Unicode tables arrive: every character one column,
// a break between any two.
int columns(char32_t /*point*/) noexcept {
    return 1;
}

bool breaksBetween(char32_t /*before*/, char32_t /*after*/, BreakState& /*state*/) noexcept {
    return true;
}

}  // namespace cellbound::unicode
