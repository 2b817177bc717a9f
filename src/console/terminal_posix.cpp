// A POSIX terminal, or whatever the standard streams are connected to.
// Colours are escape codes, sent only to a terminal; the final pause takes a
// single key; signals and the end of the program give the terminal back.
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <optional>
#include <string_view>

#include "console/terminal.hpp"

#ifdef CELLBOUND_HAVE_LIBEDIT
#include "console/line_editor.hpp"
#endif

namespace cellbound {

namespace {

constexpr std::string_view kBrightGreen = "\x1b[92m";
constexpr std::string_view kBrightMagenta = "\x1b[95m";
constexpr std::string_view kColourReset = "\x1b[0m";
constexpr std::string_view kPausePrompt = "Press any key to continue . . . ";

// What a signal handler needs to give the terminal back. A handler can reach
// nothing but static data, so this is written once, before the handlers are
// installed, and only read afterwards.
struct GivenTerminal {
    termios modes{};
    bool haveModes = false;
    bool colours = false;
};
GivenTerminal given;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// Async-signal-safe: write() and tcsetattr() only.
void giveTerminalBack() noexcept {
    if (given.colours) {
        static_cast<void>(::write(STDOUT_FILENO, kColourReset.data(), kColourReset.size()));
    }
    if (given.haveModes) {
        static_cast<void>(::tcsetattr(STDIN_FILENO, TCSANOW, &given.modes));
    }
}

extern "C" void onTerminatingSignal(int signal) {
    giveTerminalBack();
    // The handler was reset on entry, so this ends the process the usual
    // way and the shell sees the signal's status.
    static_cast<void>(std::raise(signal));
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = &onTerminatingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the shell told us to ignore (a background job, nohup)
        // stays ignored.
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) {
            static_cast<void>(::sigaction(signal, &action, nullptr));
        }
    }
}

// Waits for one key press, without Enter and without echo.
void waitForKey() {
    termios modes{};
    if (::tcgetattr(STDIN_FILENO, &modes) != 0) {
        return;
    }
    termios singleKey = modes;
    singleKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    singleKey.c_cc[VMIN] = 1;
    singleKey.c_cc[VTIME] = 0;
    static_cast<void>(::tcsetattr(STDIN_FILENO, TCSANOW, &singleKey));
    char key = 0;
    while (::read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    static_cast<void>(::tcsetattr(STDIN_FILENO, TCSANOW, &modes));
}

}  // namespace

struct Terminal::Platform {
    bool inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    bool outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
#ifdef CELLBOUND_HAVE_LIBEDIT
    std::optional<LineEditor> editor;
#endif
    std::istream* input = &std::cin;
    std::optional<std::istream> editedInput;
    std::optional<Console> console;
};

Terminal::Terminal() : platform_(std::make_unique<Platform>()) {
    // The game's own buffering: one write per message line, and a long line
    // of input read in blocks.
    std::ios::sync_with_stdio(false);
    Platform& p = *platform_;

    given.colours = p.outputIsTerminal;
    given.haveModes = p.inputIsTerminal && ::tcgetattr(STDIN_FILENO, &given.modes) == 0;
    installSignalHandlers();

    PromptSink prompts;
#ifdef CELLBOUND_HAVE_LIBEDIT
    if (p.inputIsTerminal && p.outputIsTerminal) {
        LineEditor& editor = p.editor.emplace();
        p.input = &p.editedInput.emplace(&editor);
        prompts = [&editor](std::string_view text) { return editor.takePrompt(text); };
    }
#endif
    ColourSink colours;
    if (p.outputIsTerminal) {
        colours = [](TextAttribute attribute) {
            // Sent with the next flush, together with the text it colours.
            std::cout << (attribute == TextAttribute::Command ? kBrightMagenta : kBrightGreen);
        };
    }
    p.console.emplace(*p.input, std::cout, std::move(colours), std::move(prompts));
}

Terminal::~Terminal() {
    std::cout.flush();
    giveTerminalBack();
}

Console& Terminal::console() {
    return *platform_->console;
}

void Terminal::pause() {
    Console& console = *platform_->console;
    console.print(kPausePrompt);
    if (platform_->inputIsTerminal && !console.inputEnded()) {
        waitForKey();
    } else {
        console.discardOne();
    }
    console.message("");
}

}  // namespace cellbound
