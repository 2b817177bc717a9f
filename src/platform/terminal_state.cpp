#include "platform/terminal_state.hpp"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <initializer_list>
#include <string_view>

namespace cellbound::terminal_state {

namespace {

constexpr std::string_view kColourReset = "\x1b[0m";
// No colour set yet.
constexpr int kNoColour = -1;

// Terminal families known to take ANSI cursor movement and colours: a TERM
// name is one of these, or one of these followed by '-' or '.' and a variant
// (xterm-256color, screen.xterm-256color, rxvt-unicode). The DEC VT100 and
// its successors are matched by number apart (vt100, vt220, vt520).
constexpr std::array<std::string_view, 43> kAnsiFamilies{
    "Eterm",   "aixterm", "alacritty",   "ansi",     "aterm",      "cons25",      "contour",
    "cygwin",  "eterm",   "foot",        "ghostty",  "gnome",      "hurd",        "interix",
    "iterm",   "iterm2",  "kitty",       "konsole",  "kterm",      "linux",       "mintty",
    "mlterm",  "mrxvt",   "ms-terminal", "nsterm",   "pcansi",     "putty",       "rxvt",
    "scoansi", "screen",  "st",          "teraterm", "terminator", "terminology", "termite",
    "tmux",    "urxvt",   "vscode",      "vte",      "wezterm",    "wsvt25",      "xfce",
    "xterm",
};

// Of these, the terminals that cut their rows at a new width rather than
// rewrap them.
constexpr std::array<std::string_view, 2> kCuttingFamilies{"linux", "st"};

// A family's name, alone or followed by '-' or '.' and a variant.
bool isOfFamily(std::string_view term, std::string_view family) noexcept {
    return term.starts_with(family) && (term.size() == family.size() ||
                                        term[family.size()] == '-' || term[family.size()] == '.');
}

// VT100 and later: "vt" and a number of at least 100; vt52 is not ANSI.
bool isDecAnsi(std::string_view term) noexcept {
    if (!term.starts_with("vt")) {
        return false;
    }
    term.remove_prefix(2);
    const std::size_t digits = term.find_first_not_of("0123456789");
    const std::string_view number = term.substr(0, digits);
    const std::string_view variant = term.substr(number.size());
    return number.size() >= 3 && number.front() != '0' &&
           (variant.empty() || variant.front() == '-');
}

// Every signal whose default action ends the process: each gives the
// terminal back first. SIGKILL cannot be caught; the real-time signals are
// added when installing, as their range is known only then.
constexpr std::array kTerminating{
    SIGINT,    SIGQUIT, SIGTERM, SIGHUP,  SIGPIPE, SIGALRM,   SIGUSR1, SIGUSR2, SIGABRT, SIGSEGV,
    SIGBUS,    SIGFPE,  SIGILL,  SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,  SIGTRAP,
#ifdef SIGIO
    SIGIO,
#elif defined(SIGPOLL)
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};

// The signals that stop the game, each sent by the terminal: Ctrl-Z, and a
// read or a change of modes from the background.
constexpr std::array kStopping{SIGTSTP, SIGTTIN, SIGTTOU};

// The saved terminal: written before the handlers are installed; afterwards
// only `mode`, `applied`, `colour`, `news` and `stopping` change, each in
// one step.
struct SavedTerminal {
    termios asFound{};
    termios lineEditing{};
    termios singleKey{};
    bool haveModes = false;
    bool colours = false;
    volatile std::sig_atomic_t mode = static_cast<int>(Mode::AsFound);
    // The mode the terminal was last given: what there is to give back.
    volatile std::sig_atomic_t applied = static_cast<int>(Mode::AsFound);
    volatile std::sig_atomic_t colour = kNoColour;
    volatile std::sig_atomic_t stopping = 0;  // in onStop, which takes the terminal up
    std::atomic<int> news = static_cast<int>(News::None);
    static_assert(std::atomic<int>::is_always_lock_free);
};
SavedTerminal saved;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void writeAll(std::string_view text) noexcept {
    while (!text.empty()) {
        const ssize_t count = ::write(STDOUT_FILENO, text.data(), text.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Left non-blocking by the parent: wait as a blocking write would.
            pollfd writable{STDOUT_FILENO, POLLOUT, 0};
            static_cast<void>(::poll(&writable, 1, -1));
            continue;
        }
        if (count <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
}

const termios& modesFor(Mode mode) noexcept {
    return mode == Mode::LineEditing ? saved.lineEditing
           : mode == Mode::SingleKey ? saved.singleKey
                                     : saved.asFound;
}

// Holds off all signals but these; gives the mask before.
sigset_t holdOffAllBut(std::initializer_list<int> signals) noexcept {
    sigset_t held;
    sigfillset(&held);
    for (const int signal : signals) {
        sigdelset(&held, signal);
    }
    sigset_t before;
    static_cast<void>(::sigprocmask(SIG_BLOCK, &held, &before));
    return before;
}

// From the background, SIGTTOU stops the change and interrupts it: made again
// once continued. Other signals wait until `applied` tells what was set.
void setModes(Mode mode) noexcept {
    const sigset_t before = holdOffAllBut({SIGTTOU, SIGCONT});
    int result = 0;
    do {
        result = ::tcsetattr(STDIN_FILENO, TCSANOW, &modesFor(mode));
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        saved.applied = static_cast<int>(mode);
    }
    static_cast<void>(::sigprocmask(SIG_SETMASK, &before, nullptr));
}

bool inForeground() noexcept {
    return ::tcgetpgrp(STDIN_FILENO) == ::getpgrp() || ::tcgetpgrp(STDOUT_FILENO) == ::getpgrp();
}

// The terminal is the game's again: its modes and its colour.
void takeUp() noexcept {
    if (saved.haveModes) {
        setModes(static_cast<Mode>(saved.mode));
    }
    if (saved.colours && saved.colour != kNoColour) {
        writeAll(lookOf(static_cast<Colour>(saved.colour)).escape);
    }
}

// Async-signal-safe, as are all the handlers: write(), poll(), tcsetattr(),
// tcgetpgrp(), sigaction(), sigprocmask() and raise() only; errno is kept
// for the code the signal interrupted.
extern "C" void onTerminatingSignal(int signal) {
    giveBack();
    // The handler was reset on entry, so this ends the process the usual
    // way (with a core dump where that is the default), and the parent sees
    // the signal's status.
    sigset_t own;
    sigemptyset(&own);
    sigaddset(&own, signal);
    static_cast<void>(::sigprocmask(SIG_UNBLOCK, &own, nullptr));
    static_cast<void>(std::raise(signal));
}

void install(int signal, void (*handler)(int), int flags) noexcept {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    static_cast<void>(::sigaction(signal, &action, nullptr));
}

extern "C" void onStop(int signal) {
    const int interrupted = errno;
    saved.stopping = 1;
    giveBack();
    install(signal, SIG_DFL, 0);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    static_cast<void>(std::raise(signal));
    static_cast<void>(::sigprocmask(SIG_UNBLOCK, &stop, nullptr));  // stops here
    // Continued in the foreground, or never stopped (with no job-control shell
    // above the game, the kernel discards the stop), the terminal is taken up
    // once the handler is back: a stop meanwhile finds it given back.
    install(signal, &onStop, 0);
    saved.stopping = 0;
    if (inForeground()) {
        takeUp();
    }
    errno = interrupted;
}

extern "C" void onContinue(int /*signal*/) {
    const int interrupted = errno;
    // Continued in the background (bg), the terminal is the shell's until fg.
    // Any continue in the foreground counts as one from a stop: one from
    // outside (SIGSTOP) cannot be seen, and the shell has written meanwhile.
    if (inForeground()) {
        if (saved.stopping == 0) {
            takeUp();
        }
        saved.news |= static_cast<int>(News::Continued);
    }
    errno = interrupted;
}

extern "C" void onResize(int /*signal*/) {
    saved.news |= static_cast<int>(News::Resized);
}

bool inheritedIgnored(int signal) noexcept {
    struct sigaction inherited = {};
    return ::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN;
}

void installTerminating(int signal) noexcept {
    // A signal the parent told us to ignore (nohup, a background job)
    // stays ignored.
    if (!inheritedIgnored(signal)) {
        install(signal, &onTerminatingSignal, static_cast<int>(SA_RESETHAND | SA_NODEFER));
    }
}

void installHandlers() noexcept {
    for (const int signal : kTerminating) {
        installTerminating(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        installTerminating(signal);
    }
    for (const int signal : kStopping) {
        if (!inheritedIgnored(signal)) {
            install(signal, &onStop, 0);
        }
    }
    // Neither restarts an interrupted read: the line editor draws again.
    install(SIGCONT, &onContinue, 0);
    install(SIGWINCH, &onResize, 0);
}

}  // namespace

bool takesAnsi(std::string_view term) noexcept {
    if (isDecAnsi(term)) {
        return true;
    }
    return std::any_of(kAnsiFamilies.begin(), kAnsiFamilies.end(),
                       [term](std::string_view family) { return isOfFamily(term, family); });
}

bool rewrapsRows(std::string_view term) noexcept {
    if (isDecAnsi(term)) {
        return false;
    }
    return std::none_of(kCuttingFamilies.begin(), kCuttingFamilies.end(),
                        [term](std::string_view family) { return isOfFamily(term, family); });
}

void takeOver(bool input, bool colours) {
    saved.colours = colours;
    saved.haveModes = input && ::tcgetattr(STDIN_FILENO, &saved.asFound) == 0;
    if (saved.haveModes) {
        saved.singleKey = saved.asFound;
        saved.singleKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        saved.singleKey.c_cc[VMIN] = 1;
        saved.singleKey.c_cc[VTIME] = 0;
        // Keys such as Enter, Ctrl-V, Ctrl-C and Ctrl-Z reach the editor as
        // they are typed: it sends the signals itself, unless Ctrl-V quotes
        // the key (the terminal would send it before the editor saw Ctrl-V).
        saved.lineEditing = saved.singleKey;
        saved.lineEditing.c_lflag &= ~static_cast<tcflag_t>(IEXTEN | ISIG);
        saved.lineEditing.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
    }
    if (saved.haveModes || saved.colours) {
        installHandlers();
    }
}

void use(Mode mode) {
    saved.mode = static_cast<int>(mode);
    if (saved.haveModes) {
        setModes(mode);
    }
}

void colourInForce(Colour colour) {
    saved.colour = static_cast<int>(colour);
}

News takeNews() noexcept {
    return static_cast<News>(saved.news.exchange(static_cast<int>(News::None)));
}

bool sendSignalOf(unsigned char key) {
    const termios& found = saved.asFound;
    if (!saved.haveModes || (found.c_lflag & ISIG) == 0 || key == _POSIX_VDISABLE) {
        return false;
    }
    int signal = 0;
    if (key == found.c_cc[VINTR]) {
        signal = SIGINT;
    } else if (key == found.c_cc[VQUIT]) {
        signal = SIGQUIT;
    } else if (key == found.c_cc[VSUSP]) {
        signal = SIGTSTP;
    } else {
        return false;
    }
    // The handlers run before kill() returns: a stop returns here once
    // continued.
    static_cast<void>(::kill(0, signal));
    return true;
}

void giveBack() noexcept {
    // From the background, changing the modes or writing would stop the
    // game (SIGTTOU) before it has given anything back: held off meanwhile,
    // with every other signal.
    const sigset_t before = holdOffAllBut({});
    // Modes first: writing may end the process (SIGPIPE). Only modes the
    // game set are given back: a game stopped in the background before it
    // set any leaves the shell's alone.
    if (saved.haveModes && saved.applied != static_cast<int>(Mode::AsFound)) {
        setModes(Mode::AsFound);
    }
    if (saved.colours) {
        writeAll(kColourReset);
    }
    static_cast<void>(::sigprocmask(SIG_SETMASK, &before, nullptr));
}

}  // namespace cellbound::terminal_state
