// The browser page (web/main.js): what the game prints goes to the page's
// transcript, typed lines come from its command line, colours are the
// colours of the text that follows, and the pause waits for a key there.
// The four calls below are all that passes between the game and the page;
// the two that wait suspend the game (Asyncify) until the player acts.
#include <emscripten.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.hpp"

// The page's side, in JavaScript, kept as written.
// clang-format off
// Appends text to the transcript in the colour in force.
EM_JS(void, cellbound_page_write, (const char* bytes, int length),
      { Module['page'].write(HEAPU8.slice(bytes, bytes + length)); });
// The colour of the text that follows, and of a line typed from now on: the
// name of its style.
EM_JS(void, cellbound_page_colour, (const char* name, int length),
      { Module['page'].colour(UTF8ToString(name, length)); });
// Waits for a typed line if none is under way and gives up to `capacity`
// bytes of it, its line feed last. The page echoes a line in the transcript
// when the game takes its first byte, where a console shows it.
EM_ASYNC_JS(int, cellbound_page_read, (char* into, int capacity), {
    const bytes = await Module['page'].read(capacity);
    HEAPU8.set(bytes, into);
    return bytes.length;
});
// Waits for one key, which is not echoed.
EM_ASYNC_JS(void, cellbound_page_key, (), { await Module['page'].key(); });
// clang-format on

namespace cellbound {

struct Platform::Streams {
    // Typed lines, as the page hands them over: a piece of one at a time,
    // empty when there is no more input.
    std::array<char, 256> typed{};
    ByteSource input{[this] {
        const int length = cellbound_page_read(typed.data(), static_cast<int>(typed.size()));
        return std::string_view(typed.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    }};
    // The game's text, sent to the page at each flush: a message line or a
    // prompt is one piece of the transcript.
    ByteSink output{[](std::string_view text) {
        cellbound_page_write(text.data(), static_cast<int>(text.size()));
        return text.size();
    }};
    Console console{input, output, [this](Colour colour) {
                        output.flush();  // what was written keeps its colour
                        const std::string_view name = lookOf(colour).pageClass;
                        cellbound_page_colour(name.data(), static_cast<int>(name.size()));
                    }};
};

Platform::Platform() : streams_(std::make_unique<Streams>()) {}

Platform::~Platform() {
    streams_->output.flush();
}

Console& Platform::console() {
    return streams_->console;
}

int Platform::finish() {
    Console& console = streams_->console;
    console.print(kPausePrompt);
    cellbound_page_key();
    console.message("");
    return 0;
}

}  // namespace cellbound
