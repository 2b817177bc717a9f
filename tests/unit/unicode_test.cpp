// Widths and character boundaries against what Unicode itself says of each
// case (EastAsianWidth.txt, the general categories, UAX #29), and against the
// few choices made where terminals draw a character otherwise.
#include "platform/unicode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cellbound::unicode {
namespace {

// The lengths, in code points, of the characters the text splits into.
std::vector<std::size_t> characterLengths(const std::u32string& text) {
    std::vector<std::size_t> lengths;
    BreakState state;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (at == 0 || breaksBetween(text[at - 1], text[at], state)) {
            lengths.push_back(0);
        }
        ++lengths.back();
    }
    return lengths;
}

using Lengths = std::vector<std::size_t>;

TEST(Columns, WideAndFullwidthCharactersTakeTwo) {
    EXPECT_EQ(columns(U'\u4E00'), 2);      // CJK ideograph (W)
    EXPECT_EQ(columns(U'\u3000'), 2);      // ideographic space (F)
    EXPECT_EQ(columns(U'\uFF21'), 2);      // fullwidth A (F)
    EXPECT_EQ(columns(U'\uAC00'), 2);      // Hangul syllable (W)
    EXPECT_EQ(columns(U'\u1100'), 2);      // Hangul leading consonant (W)
    EXPECT_EQ(columns(U'\U00020000'), 2);  // CJK extension B (W)
    EXPECT_EQ(columns(U'\U0001F600'), 2);  // emoji presented as emoji (W)
    EXPECT_EQ(columns(U'\u231A'), 2);      // watch: emoji presentation (W)
    EXPECT_EQ(columns(U'\U0001F3FB'), 2);  // skin tone modifier (W)
}

TEST(Columns, NarrowAndAmbiguousCharactersTakeOne) {
    EXPECT_EQ(columns(U'a'), 1);
    EXPECT_EQ(columns(U' '), 1);
    EXPECT_EQ(columns(U'\u00E9'), 1);      // é, precomposed
    EXPECT_EQ(columns(U'\uFF61'), 1);      // halfwidth ideographic full stop (H)
    EXPECT_EQ(columns(U'\u00A1'), 1);      // ambiguous (A): narrow outside CJK locales
    EXPECT_EQ(columns(U'\u2764'), 1);      // heart: text presentation unless FE0F follows
    EXPECT_EQ(columns(U'\U0001F1E6'), 1);  // a regional indicator alone (N)
    EXPECT_EQ(columns(U'\u00AD'), 1);      // soft hyphen: a format character that is drawn
    EXPECT_EQ(columns(U'\u0378'), 1);      // unassigned, outside the wide blocks
    EXPECT_EQ(columns(U'\uE000'), 1);      // private use
}

TEST(Columns, MarksJoinersSelectorsAndFormatCharactersTakeNone) {
    EXPECT_EQ(columns(U'\u0301'), 0);      // combining acute accent (Mn)
    EXPECT_EQ(columns(U'\u20E3'), 0);      // combining enclosing keycap (Me)
    EXPECT_EQ(columns(U'\u200D'), 0);      // zero width joiner
    EXPECT_EQ(columns(U'\u200B'), 0);      // zero width space
    EXPECT_EQ(columns(U'\uFEFF'), 0);      // zero width no-break space
    EXPECT_EQ(columns(U'\uFE0F'), 0);      // variation selector 16
    EXPECT_EQ(columns(U'\U000E0100'), 0);  // variation selector 17
    EXPECT_EQ(columns(U'\U000E0001'), 0);  // language tag
    EXPECT_EQ(columns(U'\u0000'), 0);      // controls: the caller shows them
    EXPECT_EQ(columns(U'\u001B'), 0);
    EXPECT_EQ(columns(U'\u007F'), 0);
    EXPECT_EQ(columns(U'\u0085'), 0);
}

// Where utf8proc's widths are not what a terminal draws, the terminal wins.
TEST(Columns, FollowTheTerminalWhereTheLibraryDiffers) {
    EXPECT_EQ(columns(U'\u0903'), 1);      // Devanagari visarga, a spacing mark (Mc)
    EXPECT_EQ(columns(U'\u1161'), 0);      // Hangul vowel jamo: part of the syllable's two
    EXPECT_EQ(columns(U'\u11A8'), 0);      // Hangul final consonant jamo
    EXPECT_EQ(columns(U'\uD7CB'), 0);      // Hangul final consonant, extended
    EXPECT_EQ(columns(U'\u0600'), 1);      // Arabic number sign: drawn, spans the digits
    EXPECT_EQ(columns(U'\u2028'), 1);      // line separator
    EXPECT_EQ(columns(U'\u4DC0'), 2);      // Yijing hexagram, among the ideographs
    EXPECT_EQ(columns(U'\u3248'), 2);      // circled number ten on black square
    EXPECT_EQ(columns(U'\U0002FFFD'), 2);  // unassigned on plane 2: wide by default
    EXPECT_EQ(columns(U'\U0003FFFD'), 2);  // and on plane 3
    EXPECT_EQ(columns(U'\uFA6E'), 2);      // unassigned among the compatibility ideographs
    EXPECT_EQ(columns(U'\U0002FFFE'), 1);  // a noncharacter, not in the wide default
}

TEST(Columns, WhatIsNoCharacterTakesOne) {
    EXPECT_EQ(columns(U'\U0010FFFF'), 1);
    EXPECT_EQ(columns(static_cast<char32_t>(0x110000)), 1);
    EXPECT_EQ(columns(static_cast<char32_t>(0xFFFFFFFF)), 1);
}

TEST(Breaks, CombiningMarksStayWithTheirLetter) {
    EXPECT_EQ(characterLengths(U"cafe\u0301"), (Lengths{1, 1, 1, 2}));
    EXPECT_EQ(characterLengths(U"e\u0301\u0302x"), (Lengths{3, 1}));
    EXPECT_EQ(characterLengths(U"\u0301e"), (Lengths{1, 1}));  // a mark that begins the line
    EXPECT_EQ(characterLengths(U"ab"), (Lengths{1, 1}));
    EXPECT_EQ(characterLengths(U"\u2764\uFE0F!"), (Lengths{2, 1}));
    EXPECT_EQ(characterLengths(U"1\u20E3"), (Lengths{2}));       // keycap
    EXPECT_EQ(characterLengths(U"\u0915\u093F"), (Lengths{2}));  // ki: spacing mark (GB9a)
    EXPECT_EQ(characterLengths(U"\u0600"
                               U"12"),
              (Lengths{2, 1}));  // prepend (GB9b)
}

TEST(Breaks, ControlsAndLineEndsStandAlone) {
    EXPECT_EQ(characterLengths(U"\r\n"), (Lengths{2}));  // GB3
    EXPECT_EQ(characterLengths(U"\n\r"), (Lengths{1, 1}));
    EXPECT_EQ(characterLengths(U"a\r\na"), (Lengths{1, 2, 1}));
    EXPECT_EQ(characterLengths(U"\r\u0301"), (Lengths{1, 1}));  // GB4 before GB9
    EXPECT_EQ(characterLengths(U"\u0001\u0301"), (Lengths{1, 1}));
    EXPECT_EQ(characterLengths(U"a\u0007"), (Lengths{1, 1}));   // GB5
    EXPECT_EQ(characterLengths(U"\u0600\n"), (Lengths{1, 1}));  // a prepend does not take a control
}

TEST(Breaks, HangulJamoMakeOneSyllable) {
    EXPECT_EQ(characterLengths(U"\u1100\u1161\u11A8"), (Lengths{3}));  // L V T
    EXPECT_EQ(characterLengths(U"\u1100\u1100\u1161"), (Lengths{3}));  // L L V
    EXPECT_EQ(characterLengths(U"\u1100\uAC00"), (Lengths{2}));        // L LV
    EXPECT_EQ(characterLengths(U"\u1100\uAC01"), (Lengths{2}));        // L LVT
    EXPECT_EQ(characterLengths(U"\uAC00\u1161\u11A8"), (Lengths{3}));  // LV V T
    EXPECT_EQ(characterLengths(U"\uAC00\u11A8\u11A8"), (Lengths{3}));  // LV T T
    EXPECT_EQ(characterLengths(U"\uAC01\u11A8"), (Lengths{2}));        // LVT T
    EXPECT_EQ(characterLengths(U"\uAC01\u1161"), (Lengths{1, 1}));     // LVT, then V
    EXPECT_EQ(characterLengths(U"\uAC1C\u1161"), (Lengths{2}));        // 개 is LV: V joins
    EXPECT_EQ(characterLengths(U"\uAC1D\u1161"), (Lengths{1, 1}));     // 객 is LVT
    EXPECT_EQ(characterLengths(U"\u11A8\u1100"), (Lengths{1, 1}));     // T, then L
    EXPECT_EQ(characterLengths(U"\uAC00\uAC00"), (Lengths{1, 1}));
}

TEST(Breaks, RegionalIndicatorsPairIntoFlags) {
    const std::u32string flagUs = U"\U0001F1FA\U0001F1F8";
    const std::u32string flagFr = U"\U0001F1EB\U0001F1F7";
    EXPECT_EQ(characterLengths(flagUs), (Lengths{2}));
    EXPECT_EQ(characterLengths(flagUs + U"\U0001F1EB"), (Lengths{2, 1}));
    EXPECT_EQ(characterLengths(flagUs + flagFr), (Lengths{2, 2}));
    EXPECT_EQ(characterLengths(U"a" + flagUs + flagFr + U"\U0001F1EB"), (Lengths{1, 2, 2, 1}));
    // A mark after the first indicator ends the pair: the next begins a flag.
    EXPECT_EQ(characterLengths(U"\U0001F1FA\u0301\U0001F1F8\U0001F1EB"), (Lengths{2, 2}));
}

TEST(Breaks, EmojiJoinedByZwjAreOneCharacter) {
    // man, ZWJ, woman, ZWJ, girl: a family.
    EXPECT_EQ(characterLengths(U"\U0001F468\u200D\U0001F469\u200D\U0001F467"), (Lengths{5}));
    EXPECT_EQ(characterLengths(U"\U0001F44D\U0001F3FD"), (Lengths{2}));  // with a skin tone
    EXPECT_EQ(characterLengths(U"\U0001F469\U0001F3FD\u200D\U0001F52C"), (Lengths{4}));
    EXPECT_EQ(characterLengths(U"\u2764\uFE0F\u200D\U0001F525"), (Lengths{4}));
    // ZWJ joins what follows only after a pictograph (GB11); it always stays
    // with what comes before it (GB9).
    EXPECT_EQ(characterLengths(U"a\u200D\U0001F600"), (Lengths{2, 1}));
    EXPECT_EQ(characterLengths(U"\U0001F600\U0001F600"), (Lengths{1, 1}));
    EXPECT_EQ(characterLengths(U"\U0001F600\u200Da"), (Lengths{2, 1}));
    EXPECT_EQ(characterLengths(U"\U0001F600\u200D\u200D\U0001F600"), (Lengths{3, 1}));
}

TEST(Breaks, AFreshStateForEachLine) {
    BreakState state;
    EXPECT_FALSE(breaksBetween(U'\U0001F1FA', U'\U0001F1F8', state));
    BreakState fresh;
    EXPECT_FALSE(breaksBetween(U'\U0001F1F8', U'\U0001F1EB', fresh));
    EXPECT_TRUE(breaksBetween(U'\U0001F1F8', U'\U0001F1EB', state));
}

}  // namespace
}  // namespace cellbound::unicode
