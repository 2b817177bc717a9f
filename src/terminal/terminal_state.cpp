#include "terminal/terminal_state.hpp"

#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string_view>

namespace cellbound::terminal_state {

namespace {

constexpr std::string_view kColourReset = "\x1b[0m";
constexpr std::string_view kBrightGreen = "\x1b[92m";
constexpr std::string_view kBrightMagenta = "\x1b[95m";

// Signals that end the program by default and that a terminal or a parent
// sends: each gives the terminal back first.
constexpr std::array kTerminating{SIGINT,  SIGQUIT, SIGTERM, SIGHUP,
                                  SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2};

// The saved terminal: written before the handlers are installed; afterwards
// only `mode`, `colour` and the two flags change, each in one step.
struct SavedTerminal {
    termios asFound{};
    termios lineEditing{};
    termios singleKey{};
    bool haveModes = false;
    bool colours = false;
    volatile std::sig_atomic_t mode = static_cast<int>(Mode::AsFound);
    volatile std::sig_atomic_t colour = static_cast<int>(Colour::None);
    volatile std::sig_atomic_t redraw = 0;
    volatile std::sig_atomic_t continued = 0;
};
SavedTerminal saved;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void writeAll(std::string_view text) noexcept {
    while (!text.empty()) {
        const ssize_t count = ::write(STDOUT_FILENO, text.data(), text.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
}

const termios& modesFor(Mode mode) noexcept {
    switch (mode) {
        case Mode::LineEditing:
            return saved.lineEditing;
        case Mode::SingleKey:
            return saved.singleKey;
        case Mode::AsFound:
            break;
    }
    return saved.asFound;
}

void applyModes() noexcept {
    if (saved.haveModes) {
        static_cast<void>(
            ::tcsetattr(STDIN_FILENO, TCSANOW, &modesFor(static_cast<Mode>(saved.mode))));
    }
}

void applyColour() noexcept {
    if (saved.colours) {
        writeAll(escapeFor(static_cast<Colour>(saved.colour)));
    }
}

// Async-signal-safe, as are all the handlers: write(), tcsetattr(),
// sigaction(), sigprocmask() and raise() only; errno is kept for the code
// the signal interrupted.
extern "C" void onTerminatingSignal(int signal) {
    giveBack();
    // The handler was reset on entry, so this ends the process the usual
    // way and the parent sees the signal's status.
    static_cast<void>(std::raise(signal));
}

void install(int signal, void (*handler)(int), int flags) noexcept {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    static_cast<void>(::sigaction(signal, &action, nullptr));
}

extern "C" void onStop(int signal) {
    const int interrupted = errno;
    // The shell may already have taken the terminal back (it saw our parent
    // stop first); the modes are given back all the same, not stopped on.
    sigset_t backgroundWrites;
    sigemptyset(&backgroundWrites);
    sigaddset(&backgroundWrites, SIGTTOU);
    sigset_t before;
    static_cast<void>(::sigprocmask(SIG_BLOCK, &backgroundWrites, &before));
    giveBack();
    static_cast<void>(::sigprocmask(SIG_SETMASK, &before, nullptr));
    install(signal, SIG_DFL, 0);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    static_cast<void>(std::raise(signal));
    static_cast<void>(::sigprocmask(SIG_UNBLOCK, &stop, nullptr));  // stops here
    // Continued: SIGCONT has given the game its modes and colour again.
    install(signal, &onStop, 0);
    saved.continued = 1;
    errno = interrupted;
}

extern "C" void onContinue(int /*signal*/) {
    const int interrupted = errno;
    applyModes();
    applyColour();
    saved.redraw = 1;
    errno = interrupted;
}

extern "C" void onResize(int /*signal*/) {
    saved.redraw = 1;
}

bool inheritedIgnored(int signal) noexcept {
    struct sigaction inherited {};
    return ::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN;
}

void installHandlers() noexcept {
    for (const int signal : kTerminating) {
        // A signal the parent told us to ignore (nohup, a background job)
        // stays ignored.
        if (!inheritedIgnored(signal)) {
            install(signal, &onTerminatingSignal, static_cast<int>(SA_RESETHAND | SA_NODEFER));
        }
    }
    if (!inheritedIgnored(SIGTSTP)) {
        install(SIGTSTP, &onStop, 0);
    }
    // Neither restarts an interrupted read: the line editor draws again.
    install(SIGCONT, &onContinue, 0);
    install(SIGWINCH, &onResize, 0);
}

bool takeFlag(volatile std::sig_atomic_t& flag) noexcept {
    if (flag == 0) {
        return false;
    }
    flag = 0;
    return true;
}

}  // namespace

void takeOver(bool input, bool colours) {
    saved.colours = colours;
    saved.haveModes = input && ::tcgetattr(STDIN_FILENO, &saved.asFound) == 0;
    if (saved.haveModes) {
        saved.singleKey = saved.asFound;
        saved.singleKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        saved.singleKey.c_cc[VMIN] = 1;
        saved.singleKey.c_cc[VTIME] = 0;
        // Keys such as Enter and Ctrl-V reach the editor as they are typed;
        // Ctrl-C, Ctrl-Z and Ctrl-\ still send their signals.
        saved.lineEditing = saved.singleKey;
        saved.lineEditing.c_lflag &= ~static_cast<tcflag_t>(IEXTEN);
        saved.lineEditing.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
    }
    if (saved.haveModes || saved.colours) {
        installHandlers();
    }
}

void use(Mode mode) {
    saved.mode = static_cast<int>(mode);
    applyModes();
}

void colourInForce(Colour colour) {
    saved.colour = static_cast<int>(colour);
}

std::string_view escapeFor(Colour colour) noexcept {
    switch (colour) {
        case Colour::Reply:
            return kBrightGreen;
        case Colour::Command:
            return kBrightMagenta;
        case Colour::None:
            break;
    }
    return {};
}

bool redrawWanted() {
    return takeFlag(saved.redraw);
}

bool continuedFromStop() {
    return takeFlag(saved.continued);
}

void giveBack() noexcept {
    // Modes first: writing may end the process (SIGPIPE).
    if (saved.haveModes) {
        static_cast<void>(::tcsetattr(STDIN_FILENO, TCSANOW, &saved.asFound));
    }
    if (saved.colours) {
        writeAll(kColourReset);
    }
}

}  // namespace cellbound::terminal_state
