#pragma once

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace cellbound {

// Input from a terminal, one edited line at a time: the player can edit a
// line before sending it and recall earlier lines with Up and Down. What the
// line on the screen shows is exactly what the game reads: every byte typed
// is kept as it is (a UTF-8 character as its bytes, a Tab as a Tab), and a
// control character is shown in caret notation (^I for a Tab).
//
// The game reads it like any other stream, so what is left of a line after a
// word read is still there for the next read.
class LineEditor : public std::streambuf {
public:
    // Reads keys from `keyboard` and draws on `screen`, the game's own
    // output, so that the editor's writes and the game's keep their order.
    LineEditor(int keyboard, int screenDescriptor, std::streambuf& screen);

    // The editor redraws the unfinished line it edits on, so a prompt's last
    // line is shown by the editor itself. Refused while typed input is still
    // waiting to be read: then no edit follows the prompt.
    bool takePrompt(std::string_view text);

    // The longest line that can be typed, as in the terminal's own line
    // editing.
    static constexpr std::size_t kLongestLine = 4095;

protected:
    int_type underflow() override;

private:
    enum class Key { Edited, Enter, End };

    bool editLine();
    Key nextKey();
    int readByte();
    Key escapeSequence();
    Key controlKey(int key);

    void insert(std::string_view bytes);
    void eraseTo(std::size_t from, std::size_t to);
    void recall(std::size_t index);
    [[nodiscard]] std::size_t previousCharacter(std::size_t at) const;
    [[nodiscard]] std::size_t nextCharacter(std::size_t at) const;
    [[nodiscard]] std::size_t previousWord(std::size_t at) const;

    void redraw();
    void show(std::string_view text);

    int keyboard_;
    int screenDescriptor_;
    std::streambuf& screen_;
    std::string prompt_;
    std::string line_;
    std::size_t cursor_ = 0;         // a byte offset into line_
    std::size_t rowOfCursor_ = 0;    // counted from the prompt's first row
    std::size_t shownColumns_ = 80;  // the width the line was last drawn at
    std::vector<std::string> history_;
    std::size_t recalled_ = 0;  // history_.size(): the line being typed
    std::string draft_;         // the line being typed, while history is shown
    std::string sent_;          // the finished line, read from here
    std::array<char, 256> keys_{};
    std::size_t keysRead_ = 0;
    std::size_t keysUsed_ = 0;
    bool failed_ = false;
};

}  // namespace cellbound
