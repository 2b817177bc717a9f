// A POSIX terminal, or whatever the standard streams are connected to.
// Colours are escape codes, sent only to a terminal that shows them; typed
// lines are edited by the game's own line editor; the final pause takes a
// single key; stops, continues and signals keep the terminal in step.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/descriptors.hpp"
#include "platform/line_editor.hpp"
#include "platform/platform.hpp"
#include "platform/terminal_state.hpp"

namespace cellbound {

namespace {

// A terminal that can move its cursor and show colours: one whose TERM
// names a family known to take ANSI sequences. Any other (dumb, vt52, an
// unknown name, none at all) gets the kernel's line editing and no colour.
bool terminalIsCapable() {
    const char* const name = std::getenv("TERM");
    return name != nullptr && terminal_state::takesAnsi(name);
}

// The common convention: a non-empty NO_COLOR turns colour off.
bool colourRefused() {
    const char* const value = std::getenv("NO_COLOR");
    return value != nullptr && *value != '\0';
}

// Waits for one key press, without Enter and without echo, and takes the
// whole key (Up sends three bytes, é two) and what was typed with it, so
// that nothing is left for the shell. `askAgain` shows the prompt again
// after a stop: the shell has written its own lines meanwhile.
template <typename AskAgain>
void waitForKey(AskAgain askAgain) {
    terminal_state::use(terminal_state::Mode::SingleKey);
    std::string key;
    while (takeKey(STDIN_FILENO, key) < 0 && errno == EINTR) {
        if (terminal_state::takeNews() == terminal_state::News::Continued) {
            askAgain();
        }
    }
    terminal_state::use(terminal_state::Mode::AsFound);
}

void report(std::string_view what, int error) {
    std::string line = "cellbound: ";
    line.append(what).append(": ").append(std::strerror(error)).append("\n");
    // Nothing is left to tell should standard error fail as well.
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

struct Platform::Streams {
    bool inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    bool outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    bool capable = terminalIsCapable();
    bool colours = outputIsTerminal && capable && !colourRefused();
    // The game's own buffering: one write per message line, and input read
    // in blocks however long a line is.
    DescriptorInput plainInput{STDIN_FILENO};
    DescriptorOutput output{STDOUT_FILENO};
    std::optional<LineEditor> editor;
    std::optional<Console> console;
};

Platform::Platform() : streams_(std::make_unique<Streams>()) {
    Streams& p = *streams_;
    terminal_state::takeOver(p.inputIsTerminal, p.colours);

    ByteSource* input = &p.plainInput.source();
    PromptSink prompts;
    if (p.inputIsTerminal && p.outputIsTerminal && p.capable) {
        LineEditor& editor =
            p.editor.emplace(STDIN_FILENO, STDOUT_FILENO, p.output.sink(), std::getenv("TERM"));
        input = &editor.source();
        prompts = [&editor](std::string_view text) { return editor.takePrompt(text); };
    }
    ColourSink colours;
    if (p.colours) {
        colours = [&output = p.output.sink()](Colour colour) {
            // Sent with the next flush, together with the text it colours.
            output.write(lookOf(colour).escape);
            terminal_state::colourInForce(colour);
        };
    }
    p.console.emplace(*input, p.output.sink(), std::move(colours), std::move(prompts));
}

Platform::~Platform() {
    streams_->output.sink().flush();
    terminal_state::giveBack();
}

Console& Platform::console() {
    return *streams_->console;
}

int Platform::finish() {
    Streams& p = *streams_;
    Console& console = *p.console;
    if (!console.outputFailed()) {
        console.print(kPausePrompt);
    }
    if (!console.outputFailed()) {
        // In a terminal the pause waits for a key however input ended (Ctrl-D
        // too), so that the key pressed next does not go to the shell.
        if (p.inputIsTerminal) {
            waitForKey([&] {
                // At the start of the row below the shell's lines, or over
                // the prompt itself when nothing was written since.
                if (p.outputIsTerminal) {
                    console.print(std::string("\r").append(kPausePrompt));
                }
            });
        } else {
            console.discardOne();
        }
        console.message("");
    }
    if (p.output.error() != 0) {
        report("write error", p.output.error());
        return 1;
    }
    return 0;
}

}  // namespace cellbound
