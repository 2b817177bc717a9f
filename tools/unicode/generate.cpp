// Writes src/platform/unicode_tables.hpp, the game's own copy of what it needs
// of the Unicode database, from Debian's utf8proc (libutf8proc-dev):
//
//   cmake --build build --target unicode_tables
//
// (the target is there where CMake finds utf8proc; by hand:
// c++ -std=c++20 tools/unicode/generate.cpp -lutf8proc && ./a.out FILE).
// Without a file named, it writes to the standard output.
//
// The game links no Unicode library (it must build the same with emscripten
// and MinGW), so it carries these tables, whatever utf8proc a machine has.
// The unicode tests check them against the library, code point by code
// point, where it is the utf8proc they were made from, which they record.
//
// The widths are utf8proc's, corrected where terminals show a character
// otherwise; with these corrections they agree with GNU libc's wcwidth (which
// most terminals on GNU/Linux use) on every character it knows, and with
// libvterm, the terminal the tests drive, where its older data knows the
// character. Each correction is in terminalColumns below.
#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr char32_t kLast = 0x10FFFF;
constexpr char32_t kFirstSyllable = 0xAC00;
constexpr char32_t kLastSyllable = 0xD7A3;
constexpr int kTrailingConsonants = 28;  // each LV syllable, then its 27 LVTs

// The boundary classes, in the order the table numbers them. "LV" in the table
// stands for every Hangul syllable: whether one is LV or LVT follows from its
// place in the block, so the block is one run instead of 800.
constexpr std::array<std::string_view, 14> kClassNames{
    "Other",       "CR",      "LF",  "Control",     "Extend",
    "L",           "V",       "T",   "LV",          "RegionalIndicator",
    "SpacingMark", "Prepend", "ZWJ", "Pictographic"};

int tableClass(char32_t point) {
    const auto utf8procClass =
        utf8proc_get_property(static_cast<utf8proc_int32_t>(point))->boundclass;
    switch (utf8procClass) {
        case UTF8PROC_BOUNDCLASS_OTHER:
            return 0;
        case UTF8PROC_BOUNDCLASS_CR:
            return 1;
        case UTF8PROC_BOUNDCLASS_LF:
            return 2;
        case UTF8PROC_BOUNDCLASS_CONTROL:
            return 3;
        case UTF8PROC_BOUNDCLASS_EXTEND:
            return 4;
        case UTF8PROC_BOUNDCLASS_L:
            return 5;
        case UTF8PROC_BOUNDCLASS_V:
            return 6;
        case UTF8PROC_BOUNDCLASS_T:
            return 7;
        case UTF8PROC_BOUNDCLASS_LV:
        case UTF8PROC_BOUNDCLASS_LVT: {
            const bool lv = (point - kFirstSyllable) % kTrailingConsonants == 0;
            if (point < kFirstSyllable || point > kLastSyllable ||
                lv != (utf8procClass == UTF8PROC_BOUNDCLASS_LV)) {
                std::fprintf(stderr, "U+%04X: a Hangul syllable outside the rule\n",
                             static_cast<unsigned>(point));
                std::exit(EXIT_FAILURE);
            }
            return 8;
        }
        case UTF8PROC_BOUNDCLASS_REGIONAL_INDICATOR:
            return 9;
        case UTF8PROC_BOUNDCLASS_SPACINGMARK:
            return 10;
        case UTF8PROC_BOUNDCLASS_PREPEND:
            return 11;
        case UTF8PROC_BOUNDCLASS_ZWJ:
            return 12;
        case UTF8PROC_BOUNDCLASS_EXTENDED_PICTOGRAPHIC:
            return 13;
        default:
            std::fprintf(stderr, "U+%04X: boundary class %d is not known here\n",
                         static_cast<unsigned>(point), utf8procClass);
            std::exit(EXIT_FAILURE);
    }
}

bool inDefaultWideBlock(char32_t point) {
    // Unassigned code points here are wide by default (EastAsianWidth.txt):
    // what comes to them will be ideographs.
    return (point >= 0x3400 && point <= 0x4DBF) || (point >= 0x4E00 && point <= 0x9FFF) ||
           (point >= 0xF900 && point <= 0xFAFF) || (point >= 0x20000 && point <= 0x2FFFD) ||
           (point >= 0x30000 && point <= 0x3FFFD);
}

int terminalColumns(char32_t point) {
    const auto code = static_cast<utf8proc_int32_t>(point);
    const int width = utf8proc_charwidth(code);
    const auto category = utf8proc_category(code);
    const auto boundary = utf8proc_get_property(code)->boundclass;
    // utf8proc gives spacing marks no width; a terminal gives them a cell.
    if (category == UTF8PROC_CATEGORY_MC && width == 0) {
        return 1;
    }
    // Hangul vowel and final consonant jamo join the leading consonant's two
    // columns; utf8proc counts one more for each.
    if (boundary == UTF8PROC_BOUNDCLASS_V || boundary == UTF8PROC_BOUNDCLASS_T) {
        return 0;
    }
    // Prepended concatenation marks (the Arabic number sign...) are format
    // characters that are drawn, a cell wide.
    if (category == UTF8PROC_CATEGORY_CF && boundary == UTF8PROC_BOUNDCLASS_PREPEND) {
        return 1;
    }
    // The line and paragraph separators are drawn in a cell, as libvterm does.
    if (category == UTF8PROC_CATEGORY_ZL || category == UTF8PROC_CATEGORY_ZP) {
        return 1;
    }
    if (category == UTF8PROC_CATEGORY_CN && inDefaultWideBlock(point)) {
        return 2;
    }
    // The Yijing hexagrams and the circled numbers on black squares sit among
    // the ideographs, and terminals draw them as wide as those.
    if ((point >= 0x4DC0 && point <= 0x4DFF) || (point >= 0x3248 && point <= 0x324F)) {
        return 2;
    }
    // Control characters stay at utf8proc's 0: the caller shows them.
    return width;
}

int kind(char32_t point) {
    return tableClass(point) * 3 + terminalColumns(point);
}

char kindLetter(int kindIndex) {
    constexpr int kLetters = 26;
    return kindIndex < kLetters ? static_cast<char>('A' + kindIndex)
                                : static_cast<char>('a' + (kindIndex - kLetters));
}

}  // namespace

int main(int argc, char** argv) {
    const std::span arguments(argv, static_cast<std::size_t>(argc));
    if (arguments.size() > 1 && std::freopen(arguments[1], "w", stdout) == nullptr) {
        std::perror(arguments[1]);
        return EXIT_FAILURE;
    }
    std::string runs;
    int current = kind(0);
    char32_t first = 0;
    for (char32_t point = 1; point <= kLast + 1; ++point) {
        const int next = point <= kLast ? kind(point) : -1;
        if (next != current) {
            runs += kindLetter(current);
            runs += std::to_string(point - first);
            current = next;
            first = point;
        }
    }

    std::printf(
        "// Generated by tools/unicode/generate.cpp from utf8proc %s (Unicode %s): do\n"
        "// not edit. To regenerate from the utf8proc installed:\n"
        "//   cmake --build build --target unicode_tables\n"
        "#pragma once\n\n"
        "#include <string_view>\n\n"
        "namespace cellbound::unicode::tables {\n\n"
        "// What the tables were made from: the tests compare them with utf8proc\n"
        "// only where it is this version.\n"
        "inline constexpr std::string_view kUtf8procVersion = \"%s\";\n"
        "inline constexpr std::string_view kUnicodeVersion = \"%s\";\n\n"
        "// The boundary classes of UAX #29 that the table tells apart. LV stands for\n"
        "// every Hangul syllable; LV or LVT follows from its place in the block.\n"
        "// clang-format off\n"
        "enum class TableClass : unsigned char {\n",
        utf8proc_version(), utf8proc_unicode_version(), utf8proc_version(),
        utf8proc_unicode_version());
    std::string names;
    for (std::size_t index = 0; index < kClassNames.size(); ++index) {
        constexpr std::size_t kPerLine = 9;
        names += index == 0 ? "" : index % kPerLine == 0 ? ",\n    " : ", ";
        names += kClassNames.at(index);
    }
    std::printf("    %s\n", names.c_str());
    std::printf(
        "};\n\n"
        "// Every code point from U+0000 up, in runs that share a class and a width:\n"
        "// a letter for class * 3 + columns (A-Z, then a-z), then the run's length.\n"
        "inline constexpr std::string_view kRuns =\n");
    constexpr std::size_t kLine = 94;
    for (std::size_t start = 0; start < runs.size();) {
        std::size_t end = std::min(start + kLine, runs.size());
        // Never split a run between two lines, so that each line reads alone.
        while (end < runs.size() && runs[end] >= '0' && runs[end] <= '9') {
            --end;
        }
        std::printf("    \"%s\"%s\n", runs.substr(start, end - start).c_str(),
                    end == runs.size() ? ";" : "");
        start = end;
    }
    std::printf(
        "// clang-format on\n\n"
        "}  // namespace cellbound::unicode::tables\n");
    return EXIT_SUCCESS;
}
