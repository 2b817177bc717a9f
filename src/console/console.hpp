#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/bytes.hpp"
#include "console/colour.hpp"
#include "console/input_reader.hpp"
#include "console/typed_text.hpp"

namespace cellbound {

// Where colour changes go: escape codes, the Windows console, or nowhere.
using ColourSink = std::function<void(Colour)>;

// Receives a prompt's last, unfinished line when a line editor is to show it
// itself (it redraws that line while the player edits).
using PromptSink = std::function<bool(std::string_view)>;

// All the game's input and output go through here: message lines, prompts,
// colours, and the reads of typed input. Output that can no longer be
// written ends the session as the end of input does: nothing more is read.
class Console {
public:
    Console(ByteSource& in, ByteSink& out, ColourSink colours = {}, PromptSink prompts = {})
        : in_(in), out_(out), colours_(std::move(colours)), prompts_(std::move(prompts)) {}

    // The text, a line feed, and a flush: one write.
    void message(std::string_view text);
    // `heading`, then each name as a message line of its own; `whenEmpty`
    // alone when there are no names.
    void list(std::string_view heading, const std::vector<std::string>& names,
              std::string_view whenEmpty);
    // The text alone, with no line end, flushed.
    void print(std::string_view text);
    // Asks for a reply on the same line: printed, or shown by a line editor.
    void prompt(std::string_view text);
    void setColour(Colour colour);

    // Every read first sends what has been written, so the player sees it.
    std::optional<TypedText> readLine();
    std::optional<TypedText> readWord();
    void discardOne();
    [[nodiscard]] bool inputEnded() const noexcept { return in_.ended(); }
    [[nodiscard]] bool outputFailed() const noexcept { return out_.failed(); }

    // An exchange: reads until the reply is exactly `expected`, answering
    // every other reply with `hint`. False when input ends first.
    bool awaitLine(std::string_view expected, std::string_view hint) {
        return awaitReply(&Console::readLine, expected, hint);
    }
    bool awaitWord(std::string_view expected, std::string_view hint) {
        return awaitReply(&Console::readWord, expected, hint);
    }

private:
    using Read = std::optional<TypedText> (Console::*)();
    bool awaitReply(Read read, std::string_view expected, std::string_view hint);

    InputReader in_;
    ByteSink& out_;
    ColourSink colours_;
    PromptSink prompts_;
};

}  // namespace cellbound
