#include "platform/unicode.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "platform/unicode_tables.hpp"

namespace cellbound::unicode {
namespace {

using tables::TableClass;

constexpr char32_t kLastPoint = 0x10FFFF;
constexpr char32_t kFirstSyllable = 0xAC00;
constexpr char32_t kTrailingConsonants = 28;  // each LV syllable, then its 27 LVTs

struct Run {
    char32_t first = 0;
    TableClass boundary = TableClass::Other;
    unsigned char columns = 1;
};

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::size_t kRunCount = static_cast<std::size_t>(
    std::count_if(tables::kRuns.begin(), tables::kRuns.end(), [](char c) { return !isDigit(c); }));

// The table, read from its text while compiling: nothing is left of the text
// in the program, nor anything to do at start-up.
constexpr std::array<Run, kRunCount> decodeRuns() {
    std::array<Run, kRunCount> runs{};
    constexpr int kLetters = 26;
    char32_t first = 0;
    std::size_t index = 0;
    for (std::size_t at = 0; at < tables::kRuns.size();) {
        const char letter = tables::kRuns[at++];
        const int kind = letter >= 'a' ? letter - 'a' + kLetters : letter - 'A';
        char32_t length = 0;
        while (at < tables::kRuns.size() && isDigit(tables::kRuns[at])) {
            length = length * 10 + static_cast<char32_t>(tables::kRuns[at++] - '0');
        }
        runs.at(index++) =
            Run{first, static_cast<TableClass>(kind / 3), static_cast<unsigned char>(kind % 3)};
        first += length;
    }
    // Every code point, each once: a table cut short does not compile.
    if (first != kLastPoint + 1 || index != kRunCount) {
        runs.at(kRunCount) = Run{};
    }
    return runs;
}

constexpr std::array<Run, kRunCount> kTable = decodeRuns();

Run runOf(char32_t point) noexcept {
    if (point > kLastPoint) {
        return Run{};  // not a character: shown as one, as a terminal would
    }
    // The last run that starts at or before the point; the first starts at U+0000.
    return *std::prev(std::upper_bound(kTable.begin(), kTable.end(), point,
                                       [](char32_t p, const Run& run) { return p < run.first; }));
}

// The classes the boundary rules see. Fresh begins a line; a pictographic
// character followed by ZWJ (with marks between) is remembered as one class,
// which the next pictographic character joins.
// clang-format off
enum class Boundary : unsigned char {
    Fresh, Other, CR, LF, Control, Extend, L, V, T, LV,
    RegionalIndicator, SpacingMark, Prepend, ZWJ, Pictographic,
    LVT, PictographicZWJ
};
// clang-format on

Boundary boundaryOf(char32_t point) noexcept {
    const Run run = runOf(point);
    if (run.boundary == TableClass::LV && (point - kFirstSyllable) % kTrailingConsonants != 0) {
        return Boundary::LVT;
    }
    return static_cast<Boundary>(static_cast<int>(run.boundary) + 1);
}

bool isControlBoundary(Boundary boundary) noexcept {
    return boundary == Boundary::CR || boundary == Boundary::LF || boundary == Boundary::Control;
}

// The rules of UAX #29 for two characters, the numbers its own (GB3...).
bool breakAllowed(Boundary before, Boundary after) noexcept {
    using enum Boundary;
    if (before == CR && after == LF) {
        return false;  // GB3
    }
    if (isControlBoundary(before) || isControlBoundary(after)) {
        return true;  // GB4, GB5
    }
    if (before == L && (after == L || after == V || after == LV || after == LVT)) {
        return false;  // GB6
    }
    if ((before == LV || before == V) && (after == V || after == T)) {
        return false;  // GB7
    }
    if ((before == LVT || before == T) && after == T) {
        return false;  // GB8
    }
    if (after == Extend || after == ZWJ || after == SpacingMark || before == Prepend) {
        return false;  // GB9, GB9a, GB9b
    }
    if (before == PictographicZWJ && after == Pictographic) {
        return false;  // GB11
    }
    return !(before == RegionalIndicator && after == RegionalIndicator);  // GB12, GB13, GB999
}

}  // namespace

Lead leadOf(unsigned char first) noexcept {
    if (first < 0x80) {
        return {1};
    }
    if (first >= 0xc2 && first <= 0xdf) {
        return {2};
    }
    if (first >= 0xe0 && first <= 0xef) {
        return {3, static_cast<unsigned char>(first == 0xe0 ? 0xa0 : 0x80),
                static_cast<unsigned char>(first == 0xed ? 0x9f : 0xbf)};
    }
    if (first >= 0xf0 && first <= 0xf4) {
        return {4, static_cast<unsigned char>(first == 0xf0 ? 0x90 : 0x80),
                static_cast<unsigned char>(first == 0xf4 ? 0x8f : 0xbf)};
    }
    return {};
}

Decoded decode(std::string_view text) noexcept {
    const auto first = static_cast<unsigned char>(text.front());
    const Lead lead = leadOf(first);
    if (lead.length == 0 || lead.length > text.size()) {
        return {};
    }
    char32_t point = first & (0x7fU >> (lead.length == 1 ? 0 : lead.length));
    for (std::size_t i = 1; i < lead.length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? lead.low : 0x80) || next > (i == 1 ? lead.high : 0xbf)) {
            return {};
        }
        point = (point << 6U) | (next & 0x3fU);
    }
    return {point, lead.length, true};
}

int columns(char32_t point) noexcept {
    return runOf(point).columns;
}

bool breaksBetween(char32_t before, char32_t after, BreakState& state) noexcept {
    using enum Boundary;
    const auto carried = static_cast<Boundary>(state.value);
    const Boundary left = carried == Fresh ? boundaryOf(before) : carried;
    const Boundary right = boundaryOf(after);
    Boundary next = right;
    if (left == RegionalIndicator && right == RegionalIndicator) {
        next = Other;  // a flag is complete: a third indicator begins the next
    } else if (left == Pictographic && right == Extend) {
        next = Pictographic;
    } else if (left == Pictographic && right == ZWJ) {
        next = PictographicZWJ;
    }
    state.value = static_cast<int>(next);
    return breakAllowed(left, right);
}

}  // namespace cellbound::unicode
