#pragma once

// What each key does to the line, one behaviour a row: run by the line
// editor's tests on a pipe (the keys typed at once) and on a terminal
// emulator's screen (key by key, the line wrapping over rows).
#include <string>
#include <string_view>
#include <vector>

namespace cellbound::testing {

inline std::string ctrl(char letter) {
    return {static_cast<char>(letter & 0x1f)};
}
inline std::string alt(std::string_view key) {
    return "\x1b" + std::string(key);
}
inline std::string times(int count, std::string_view key) {
    std::string keys;
    for (int i = 0; i < count; ++i) {
        keys += key;
    }
    return keys;
}

// `typed`, then each of `keys` in turn on its own (none: `typed` alone),
// leave the line `after`, its cursor where the '|' is.
struct KeyRow {
    std::string_view name;
    std::string typed;
    std::vector<std::string> keys;
    std::string_view after;
};

inline std::vector<KeyRow> keyTable() {
    const std::string left = "\x1b[D";
    const std::string right = "\x1b[C";
    const std::string backspace = "\x7f";
    const std::string home = ctrl('A');
    // The cursor after "three" on a line that wraps.
    const std::string line = "one two  three four" + times(5, left);
    const std::string ab = "abcd" + left + left;
    return {
        {"a character back", line, {left, "\x1bOD", ctrl('B')}, "one two  thre|e four"},
        {"a character on", line, {right, "\x1bOC", ctrl('F')}, "one two  three |four"},
        {"a word back",
         line,
         {"\x1b[1;5D", "\x1b[1;6D", "\x1b[5D", "\x1bOd", "\x1b\x1b[D", alt("b"), "\x1b[1;3D"},
         "one two  |three four"},
        {"a word on",
         line,
         {"\x1b[1;5C", "\x1b[5C", "\x1bOc", "\x1b\x1b[C", alt("f"), "\x1b[1;3C"},
         "one two  three four|"},
        {"Alt-Backspace", line, {alt(backspace), alt(ctrl('H'))}, "one two  | four"},
        {"the word after", line, {alt("d"), "\x1b[3;5~", "\x1b[3^"}, "one two  three|"},
        {"Home", line, {"\x1b[H", "\x1bOH", "\x1b[1~", "\x1b[7~", home}, "|one two  three four"},
        {"End",
         line,
         {"\x1b[F", "\x1bOF", "\x1b[4~", "\x1b[8~", ctrl('E')},
         "one two  three four|"},
        {"Delete", line, {"\x1b[3~", "\x1b[3;2~", ctrl('D')}, "one two  three|four"},
        {"Backspace", line, {backspace, ctrl('H')}, "one two  thre| four"},
        {"Ctrl-K", line, {ctrl('K')}, "one two  three|"},
        {"Ctrl-U", line, {ctrl('U')}, "| four"},
        {"Ctrl-W", line, {ctrl('W')}, "one two  | four"},
        {"a letter", line, {"x"}, "one two  threex| four"},
        {"a Tab", line, {"\t"}, "one two  three\t| four"},
        {"Ctrl-V and a key", line, {ctrl('V') + ctrl('A')}, "one two  three\x01| four"},
        {"Ctrl-V and a line end",
         line,
         {ctrl('V') + ctrl('J'), ctrl('V') + ctrl('M'), ctrl('G')},
         "one two  three| four"},
        {"Ctrl-W, Backspace, Ctrl-U",
         "help me" + ctrl('W') + backspace + ctrl('U') + "look",
         {},
         "look|"},
        {"Delete and Ctrl-D in a line", "lxook" + home + right, {"\x1b[3~", ctrl('D')}, "l|ook"},
        {"Ctrl-D at the end", "look" + ctrl('D') + ctrl('D') + "ing", {}, "looking|"},
        {"Home, End, Ctrl-K", "ook\x1b[Hl\x1b[F!\x1b[1~" + ctrl('K'), {}, "|"},
        {"Home and End", "ok\x1b[1~lo\x1b[4~" + left + ctrl('B') + ctrl('K'), {}, "lo|"},
        {"UTF-8 is one step", "l\xc3\xa9ook" + times(3, left) + backspace, {}, "l|ook"},
        {"bytes that are no UTF-8", "\x80look\xe2\x82!", {}, "\x80look\xe2\x82!|"},
        {"keys that edit nothing",
         "lo" + right + home + ctrl('W') + left + ctrl('E') + ctrl('L') + "\x1b[Z" + ctrl('G') +
             "\x1b[5~ok",
         {},
         "look|"},
        {"Ctrl-W takes blanks, then a word", "look  at   " + ctrl('W'), {}, "look  |"},
        {"Ctrl-W at the start", "look  at   " + times(3, ctrl('W')), {}, "|"},
        {"Ctrl-W takes a Tab as a blank", "go\tlook" + ctrl('W'), {}, "go\t|"},
        {"Alt-B over punctuation", "north-east", {alt("b")}, "north-|east"},
        {"Alt-B twice", "north-east" + alt("b") + alt("b"), {}, "|north-east"},
        {"Alt-F", "go  north" + home + alt("f"), {}, "go|  north"},
        {"Alt-F twice", "go  north" + home + alt("f") + alt("f"), {}, "go  north|"},
        {"Alt-F to the punctuation", "go, north!" + home + alt("f") + alt("f"), {}, "go, north|!"},
        {"Alt-D in a word", "pickup" + left + left + alt("d"), {}, "pick|"},
        {"Alt-D at the start", "pick up" + home + alt("d"), {}, "| up"},
        {"Alt-D over blanks", "pick  up" + home + times(4, right) + alt("d"), {}, "pick|"},
        {"Alt-Backspace in a word", "pick up" + left + alt(backspace), {}, "pick |p"},
        {"Alt-Backspace over punctuation", "pick up!!" + alt(backspace), {}, "pick |"},
        {"a word beyond ASCII",
         "caf\xc3\xa9 au lait" + times(3, alt("b")),
         {},
         "|caf\xc3\xa9 au lait"},
        {"a combining mark", "cafe\xcc\x81 x" + times(2, alt("b")), {}, "|cafe\xcc\x81 x"},
        {"a no-break space",
         "a\xc2\xa0"
         "b" +
             times(2, alt("b")),
         {},
         "|a\xc2\xa0"
         "b"},
        {"Latin-1 punctuation", "\xc2\xabgo\xc2\xbb" + home + alt("d"), {}, "|\xc2\xbb"},
        {"CJK punctuation",
         "\xe4\xb8\xad\xe6\x96\x87\xe3\x80\x82ok" + home + alt("f"),
         {},
         "\xe4\xb8\xad\xe6\x96\x87|\xe3\x80\x82ok"},
        {"General Punctuation", "x\xe2\x80\x94y" + alt("b"), {}, "x\xe2\x80\x94|y"},
        {"a byte that is no UTF-8",
         "12\xff"
         "ab" +
             times(2, alt("b")),
         {},
         "|12\xff"
         "ab"},
        {"a key taken whole does nothing",
         ab,
         {"\x1b\x1b[AX", "\x1b\x1bOCX", "\x1b[[AX", "\x1b[[EX", "\x1bOPX", "\x1b[15~X", "\x1b[5~X",
          "\x1b[ZX", "\x1bzX", "\x1b[dX", "\x1b[1 qX", "\x1bO3~X",
          "\x1b[" + std::string(40, '1') + "~X"},
         "abX|cd"},
        {"Esc twice, then Right", ab + "\x1b\x1b\x1b[CX", {}, "abcX|d"},
        {"Esc and a key not bound does nothing",
         "lo",
         {"\x1b\xc3\xa9ok", "\x1b\xffok", "\x1b\xc3ok", "\x1b" + ctrl('K') + "ok", "\x1b\rok",
          "\x1b\nok"},
         "look|"},
        {"Esc, then Ctrl-D on an empty line", "\x1b" + ctrl('D') + "look", {}, "look|"},
        {"a character after a sequence cut short", "\x1b[1\xc3\xa9", {}, "\xc3\xa9|"},
        {"a control key after a sequence cut short", "abcd\x1b[\x7f", {}, "abc|"},
    };
}

}  // namespace cellbound::testing
