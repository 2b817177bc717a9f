// The game's own Unicode tables against the library they are made from
// (built in only where utf8proc's header has that version): every code
// point's width, and the character boundaries over every pair and run of
// boundary classes and over random text.
#include <utf8proc.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/unicode.hpp"
#include "platform/unicode_tables.hpp"

namespace cellbound::unicode {
namespace {

constexpr char32_t kLastPoint = 0x10FFFF;

utf8proc_int32_t code(char32_t point) {
    return static_cast<utf8proc_int32_t>(point);
}

int boundClass(char32_t point) {
    return utf8proc_get_property(code(point))->boundclass;
}

// utf8proc's width, as a terminal draws it, and which of the game's choices
// made it so (0 where none did). Each choice is made where terminals (GNU
// libc's wcwidth, libvterm) agree against utf8proc.
struct Width {
    int columns = 0;
    int choice = 0;
};

Width terminalWidth(char32_t point) {
    const int width = utf8proc_charwidth(code(point));
    const auto category = utf8proc_category(code(point));
    const int boundary = boundClass(point);
    if (category == UTF8PROC_CATEGORY_MC && width == 0) {
        return {1, 1};  // spacing marks take a cell
    }
    if (boundary == UTF8PROC_BOUNDCLASS_V || boundary == UTF8PROC_BOUNDCLASS_T) {
        return {0, 2};  // Hangul vowel and final jamo join their syllable's two columns
    }
    if (category == UTF8PROC_CATEGORY_CF && boundary == UTF8PROC_BOUNDCLASS_PREPEND) {
        return {1, 3};  // prepended concatenation marks are drawn
    }
    if (category == UTF8PROC_CATEGORY_ZL || category == UTF8PROC_CATEGORY_ZP) {
        return {1, 4};  // the line and paragraph separators are drawn in a cell
    }
    const bool defaultWide =
        (point >= 0x3400 && point <= 0x4DBF) || (point >= 0x4E00 && point <= 0x9FFF) ||
        (point >= 0xF900 && point <= 0xFAFF) || (point >= 0x20000 && point <= 0x2FFFD) ||
        (point >= 0x30000 && point <= 0x3FFFD);
    if (category == UTF8PROC_CATEGORY_CN && defaultWide) {
        return {2, 5};  // unassigned, where only ideographs will come
    }
    if ((point >= 0x4DC0 && point <= 0x4DFF) || (point >= 0x3248 && point <= 0x324F)) {
        return {2, 6};  // Yijing hexagrams, circled numbers on black squares
    }
    return {width, 0};  // controls too: 0, and the caller shows them
}

TEST(Tables, TheLibraryIsTheOneTheyWereMadeFrom) {
    // The header chose these tests; the library linked must agree with it.
    EXPECT_EQ(utf8proc_version(), tables::kUtf8procVersion);
    EXPECT_EQ(utf8proc_unicode_version(), tables::kUnicodeVersion);
}

TEST(Tables, ColumnsOfEveryCodePointAreTheLibrarysAsATerminalDrawsThem) {
    int differences = 0;
    std::ostringstream first;
    std::array<int, 7> changedByChoice{};
    for (char32_t point = 0; point <= kLastPoint; ++point) {
        const Width expected = terminalWidth(point);
        if (expected.columns != utf8proc_charwidth(code(point))) {
            ++changedByChoice.at(static_cast<std::size_t>(expected.choice));
        }
        if (columns(point) != expected.columns && differences++ < 10) {
            first << std::hex << " U+" << static_cast<std::uint32_t>(point) << ": " << std::dec
                  << columns(point) << " not " << expected.columns << ";";
        }
    }
    EXPECT_EQ(differences, 0) << first.str();
    // Each choice changes some width, and nothing else does.
    EXPECT_EQ(changedByChoice.at(0), 0);
    for (std::size_t choice = 1; choice < changedByChoice.size(); ++choice) {
        EXPECT_GT(changedByChoice.at(choice), 0) << "choice " << choice;
    }
    EXPECT_EQ(columns(kLastPoint + 1), 1);
}

// utf8proc's boundaries for a text, the state carried from pair to pair.
std::vector<bool> libraryBreaks(const std::u32string& text) {
    std::vector<bool> breaks;
    utf8proc_int32_t state = 0;
    for (std::size_t at = 1; at < text.size(); ++at) {
        breaks.push_back(
            utf8proc_grapheme_break_stateful(code(text[at - 1]), code(text[at]), &state));
    }
    return breaks;
}

std::vector<bool> gameBreaks(const std::u32string& text) {
    std::vector<bool> breaks;
    BreakState state;
    for (std::size_t at = 1; at < text.size(); ++at) {
        breaks.push_back(breaksBetween(text[at - 1], text[at], state));
    }
    return breaks;
}

std::string shown(const std::u32string& text) {
    std::ostringstream out;
    for (const char32_t point : text) {
        out << std::hex << " U+" << static_cast<std::uint32_t>(point) << "(" << std::dec
            << boundClass(point) << ")";
    }
    return out.str();
}

// Every code point, grouped by utf8proc's boundary class.
std::map<int, std::vector<char32_t>> pointsByClass() {
    std::map<int, std::vector<char32_t>> classes;
    for (char32_t point = 0; point <= kLastPoint; ++point) {
        classes[boundClass(point)].push_back(point);
    }
    return classes;
}

// The first code point of each class, and with `alsoLast` its last too.
std::vector<char32_t> representatives(bool alsoLast) {
    std::vector<char32_t> points;
    for (const auto& [boundary, members] : pointsByClass()) {
        points.push_back(members.front());
        if (alsoLast) {
            points.push_back(members.back());
        }
    }
    return points;
}

TEST(Tables, TheLibraryHasTheClassesTheRulesKnow) {
    // A new class in a newer library needs a new rule before new tables.
    std::vector<int> classes;
    for (const auto& [boundary, members] : pointsByClass()) {
        classes.push_back(boundary);
    }
    EXPECT_EQ(classes,
              (std::vector<int>{
                  UTF8PROC_BOUNDCLASS_OTHER, UTF8PROC_BOUNDCLASS_CR, UTF8PROC_BOUNDCLASS_LF,
                  UTF8PROC_BOUNDCLASS_CONTROL, UTF8PROC_BOUNDCLASS_EXTEND, UTF8PROC_BOUNDCLASS_L,
                  UTF8PROC_BOUNDCLASS_V, UTF8PROC_BOUNDCLASS_T, UTF8PROC_BOUNDCLASS_LV,
                  UTF8PROC_BOUNDCLASS_LVT, UTF8PROC_BOUNDCLASS_REGIONAL_INDICATOR,
                  UTF8PROC_BOUNDCLASS_SPACINGMARK, UTF8PROC_BOUNDCLASS_PREPEND,
                  UTF8PROC_BOUNDCLASS_ZWJ, UTF8PROC_BOUNDCLASS_EXTENDED_PICTOGRAPHIC}));
}

TEST(Tables, BreaksOfEveryCodePointBesideEveryClassAreTheLibrarys) {
    const std::vector<char32_t> others = representatives(false);
    constexpr char32_t kZwj = 0x200D;
    constexpr char32_t kPictograph = 0x1F600;
    int differences = 0;
    std::string first;
    const auto check = [&](const std::u32string& text) {
        if (gameBreaks(text) != libraryBreaks(text) && differences++ < 10) {
            first += shown(text) + ";";
        }
    };
    for (char32_t point = 0; point <= kLastPoint; ++point) {
        for (const char32_t other : others) {
            check({point, other});
            check({other, point});
        }
        // The classes that differ only with what came before: a ZWJ or an
        // Extend between pictographs, a pictograph before ZWJ.
        check({kPictograph, point, kPictograph});
        check({point, kZwj, kPictograph});
    }
    EXPECT_EQ(differences, 0) << first;
}

TEST(Tables, BreaksOfEveryRunOfFourClassesAreTheLibrarys) {
    const std::vector<char32_t> others = representatives(true);
    int differences = 0;
    std::string first;
    std::u32string text(4, U'\0');
    for (const char32_t a : others) {
        for (const char32_t b : others) {
            for (const char32_t c : others) {
                for (const char32_t d : others) {
                    text = {a, b, c, d};
                    if (gameBreaks(text) != libraryBreaks(text) && differences++ < 10) {
                        first += shown(text) + ";";
                    }
                }
            }
        }
    }
    EXPECT_EQ(differences, 0) << first;
}

TEST(Tables, BreaksOfRandomTextAreTheLibrarys) {
    const std::map<int, std::vector<char32_t>> classes = pointsByClass();
    std::mt19937 random(20261207);  // fixed: a failure can be replayed
    std::uniform_int_distribution<std::size_t> length(2, 16);
    std::uniform_int_distribution<std::size_t> whichClass(0, classes.size() - 1);
    int differences = 0;
    std::string first;
    for (int round = 0; round < 100000; ++round) {
        std::u32string text;
        for (std::size_t count = length(random); count > 0; --count) {
            // Each class as likely as any other, else the rare ones never meet.
            const auto& members =
                std::next(classes.begin(), static_cast<std::ptrdiff_t>(whichClass(random)))->second;
            std::uniform_int_distribution<std::size_t> member(0, members.size() - 1);
            text.push_back(members[member(random)]);
        }
        if (gameBreaks(text) != libraryBreaks(text) && differences++ < 10) {
            first += shown(text) + ";";
        }
    }
    EXPECT_EQ(differences, 0) << first;
}

TEST(Tables, BreaksOfHandMadeTextAreTheLibrarys) {
    const std::array<std::u32string, 12> texts{
        U"cafe\u0301",
        U"e\u0301\u0302x",
        U"\U0001F1FA\U0001F1F8\U0001F1EB",
        U"\U0001F1FA\U0001F1F8\U0001F1EB\U0001F1F7\U0001F1EB",
        U"\U0001F468\u200D\U0001F469\u200D\U0001F467",
        U"\U0001F600\u0308\u200D\U0001F600\u200D\u200D\U0001F600",
        U"a\u200D\U0001F600",
        U"\u1100\u1161\u11A8\uAC00\u11A8\uAC01\u1161\u1100\uAC01",
        U"a\r\n\r\r\n\n",
        U"\u0600\u0661\u0600\n",
        U"\u0915\u093F\u0915\u094D\u0937",
        U"\u2764\uFE0F\u200D\U0001F525\U0001F44D\U0001F3FD",
    };
    for (const std::u32string& text : texts) {
        EXPECT_EQ(gameBreaks(text), libraryBreaks(text)) << shown(text);
    }
}

}  // namespace
}  // namespace cellbound::unicode
