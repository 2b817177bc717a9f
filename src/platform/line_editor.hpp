#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "console/bytes.hpp"
#include "platform/keys.hpp"
#include "platform/line_view.hpp"

namespace cellbound {

// Input from a terminal, one edited line at a time: the player can edit a
// line before sending it and recall earlier lines with Up and Down. What the
// line on the screen shows is exactly what the game reads: every byte typed
// is kept as it is (a UTF-8 character as its bytes, a Tab as a Tab), and
// what would not show as itself is shown in a notation (Character says which).
//
// The game reads it like any other source of bytes, so what is left of a
// line after a word read is still there for the next read.
class LineEditor {
public:
    // Reads keys from `keyboard` and draws on `screen`, the game's own
    // output, so that the editor's writes and the game's keep their order.
    // `screenDescriptor` is the terminal asked for the screen's width, `term`
    // its TERM name (whether it rewraps its rows at a new width).
    LineEditor(int keyboard, int screenDescriptor, ByteSink& screen, std::string_view term);
    ~LineEditor() = default;
    // The source reads through this object.
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;
    LineEditor(LineEditor&&) = delete;
    LineEditor& operator=(LineEditor&&) = delete;

    // The edited lines, each with its line feed, as the game reads them.
    [[nodiscard]] ByteSource& source() noexcept { return source_; }

    // The editor redraws the unfinished line it edits on, so a prompt's last
    // line is shown by the editor itself. Refused while typed input is still
    // waiting to be read: then no edit follows the prompt.
    bool takePrompt(std::string_view text);

    // Keys as the keyboard sends them: handled, then drawn once for all
    // (none: the line drawn again where the screen has changed its width).
    // The game's reads hand on what the keyboard sends; tests type here
    // directly. Keys after an Enter wait for the next line.
    void type(std::string_view keys);

    // The line being edited, and the cursor in it as a byte offset.
    [[nodiscard]] std::string_view line() const noexcept { return line_; }
    [[nodiscard]] std::size_t cursor() const noexcept { return cursor_; }

    // The longest line that can be typed, as in the terminal's own line
    // editing.
    static constexpr std::size_t kLongestLine = 4095;

private:
    enum class State { Idle, Editing, Sent, Ended };
    // The keys that do one thing, and what they do: the table is the
    // README's list of keys, row for row.
    struct Binding {
        std::array<keys::Key, 2> keys;
        void (*action)(LineEditor&);
    };
    static const std::array<Binding, 19> kBindings;

    // Edits the next line and gives it whole, with its line feed; nothing
    // once input has ended.
    std::string_view nextLine();
    void begin();
    std::size_t pressAll(std::string_view keys);
    void press(unsigned char byte);
    void act(keys::Key key);
    void enter();
    void end();

    void insert(std::string_view bytes);
    void eraseTo(std::size_t from, std::size_t to);
    void recall(std::size_t index);
    // The line's characters, worked out once for each change of the line.
    const Characters& characters();
    [[nodiscard]] std::size_t count(std::size_t at);
    [[nodiscard]] std::size_t overWord(bool Character::*inWord, bool forward);
    [[nodiscard]] std::size_t previousCharacter();
    [[nodiscard]] std::size_t nextCharacter();

    void draw();
    void show(std::string_view text);

    int keyboard_;
    int screenDescriptor_;
    ByteSink& screen_;
    State state_ = State::Idle;
    std::string prompt_;
    LineView view_;
    std::string line_;
    std::size_t cursor_ = 0;  // a byte offset into line_
    keys::Decoder decoder_;
    Characters characters_;
    std::string charactersOf_;  // the line characters_ was worked out for
    bool literalNext_ = false;  // after Ctrl-V
    std::vector<std::string> history_;
    std::size_t recalled_ = 0;  // history_.size(): the line being typed
    std::string draft_;         // the line being typed, while history is shown
    std::string sent_;          // the finished line, read from here
    std::string pending_;       // keys typed after the last Enter
    std::array<char, 256> keys_{};
    ByteSource source_{[this] { return nextLine(); }};
};

}  // namespace cellbound
