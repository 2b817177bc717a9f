// A POSIX terminal, or whatever the standard streams are connected to.
// Colours are escape codes, sent only to a terminal; the final pause takes a
// single key; signals and the end of the program give the terminal back.
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "terminal/terminal.hpp"

#ifdef CELLBOUND_HAVE_LIBEDIT
#include "terminal/line_editor.hpp"
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

// Standard input through its file descriptor, read in blocks.
class DescriptorInput : public std::streambuf {
protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        ssize_t count = 0;
        do {
            count = ::read(STDIN_FILENO, block_.data(), block_.size());
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            return traits_type::eof();
        }
        setg(block_.data(), block_.data(), block_.data() + count);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::array<char, 8192> block_{};
};

// Standard output through its file descriptor: what is written is held until
// the next flush, which sends it with one write.
class DescriptorOutput : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        std::size_t sent = 0;
        while (sent < pending_.size()) {
            const ssize_t count =
                ::write(STDOUT_FILENO, pending_.data() + sent, pending_.size() - sent);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                break;  // the reader has gone; there is no one left to tell
            }
            sent += static_cast<std::size_t>(count);
        }
        pending_.clear();
        return 0;
    }

private:
    std::string pending_;
};

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
    // The game's own buffering: one write per message line, and input read
    // in blocks however long a line is.
    DescriptorInput plainInput;
    DescriptorOutput plainOutput;
#ifdef CELLBOUND_HAVE_LIBEDIT
    std::optional<LineEditor> editor;
#endif
    std::istream input{&plainInput};
    std::ostream output{&plainOutput};
    std::optional<Console> console;
};

Terminal::Terminal() : platform_(std::make_unique<Platform>()) {
    Platform& p = *platform_;

    given.colours = p.outputIsTerminal;
    given.haveModes = p.inputIsTerminal && ::tcgetattr(STDIN_FILENO, &given.modes) == 0;
    installSignalHandlers();

    PromptSink prompts;
#ifdef CELLBOUND_HAVE_LIBEDIT
    if (p.inputIsTerminal && p.outputIsTerminal) {
        LineEditor& editor = p.editor.emplace();
        p.input.rdbuf(&editor);
        prompts = [&editor](std::string_view text) { return editor.takePrompt(text); };
    }
#endif
    ColourSink colours;
    if (p.outputIsTerminal) {
        colours = [&output = p.output](TextAttribute attribute) {
            // Sent with the next flush, together with the text it colours.
            output << (attribute == TextAttribute::Command ? kBrightMagenta : kBrightGreen);
        };
    }
    p.console.emplace(p.input, p.output, std::move(colours), std::move(prompts));
}

Terminal::~Terminal() {
    platform_->output.flush();
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
