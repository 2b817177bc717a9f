// The real game on a pseudo-terminal: the terminal's modes in each state,
// the signals that end or stop it, the pause, TERM and NO_COLOR, and reads
// and writes that are interrupted or non-blocking.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "console/colour.hpp"
#include "game_session.hpp"
#include "platform/platform.hpp"
#include "world/room_texts.hpp"

namespace cellbound::testing {
namespace {

// The game's own texts, and parts of them.
constexpr std::string_view kOpeningEnd = room_texts::kNothingWorthPickingUp.substr(1);
constexpr std::string_view kBedroom = "You see the bed you woke up in.";
constexpr std::string_view kHelp = "Block, Talk, Look";
constexpr std::string_view kPause = Platform::kPausePrompt;
const std::string kAskedAgain = "\r" + std::string(kPause);

constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kGreen = lookOf(Colour::Reply).escape;
constexpr std::string_view kMagenta = lookOf(Colour::Command).escape;
constexpr std::string_view kCtrlZ = "\x1a";

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++found;
    }
    return found;
}

void awaitCommandLine(GameSession& session) {
    ASSERT_TRUE(session.awaitOutput(kOpeningEnd)) << session.output();
    ASSERT_TRUE(session.awaitBlocked()) << "the game does not wait for a command";
}

// Typed keys are shown before a signal comes: a stop or an interrupt
// would have the kernel throw away keys not read yet.
void typeAndAwaitEcho(GameSession& session, std::string_view keys) {
    const std::size_t before = session.output().size();
    session.type(keys);
    ASSERT_TRUE(session.awaitOutput(keys, before));
    ASSERT_TRUE(session.awaitBlocked());
}

// Ctrl-D once the game waits for the next command: in a terminal the pause
// then waits for a key. Gives where its prompt ends.
std::size_t awaitPause(GameSession& session) {
    EXPECT_TRUE(session.awaitBlocked());
    const std::size_t before = session.output().size();
    session.type("\x04");
    EXPECT_TRUE(session.awaitOutput(kPause, before)) << session.output().substr(before);
    EXPECT_TRUE(session.awaitBlocked()) << "the pause does not wait";
    return session.output().find(kPause, before) + kPause.size();
}

// 1. A whole game, stopped and brought back at the command line (twice) and
// at the pause: the modes of each state, what was shown drawn again, the
// terminal given back exactly at the end. The game edits the line where TERM
// names an ANSI terminal, with or without colour, and the kernel elsewhere;
// stopped by Ctrl-Z or from outside (SIGSTOP); on a terminal handed over
// blocking or not.
struct Flow {
    std::string_view name;
    std::vector<std::string> environment;
    bool editor = true;
    bool colour = true;
    int stop = SIGTSTP;
    bool nonBlocking = false;
};

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

class Session : public ::testing::TestWithParam<Flow> {};

TEST_P(Session, StoppedAndBroughtBackAtTheLineAndAtThePause) {
    const Flow& flow = GetParam();
    SessionOptions options;
    options.environment = flow.environment;
    options.nonBlocking = flow.nonBlocking;
    GameSession session(options);
    const termios& found = session.modesBefore();
    awaitCommandLine(session);
    expectModes(session.modes(), flow.editor ? lineEditingModes(found) : found, "at the line");
    // The kernel's own line would not outlive a stop.
    const std::string_view line = flow.editor ? "lo" : "";
    typeAndAwaitEcho(session, line);
    const std::size_t before = session.output().size();
    session.resize(40, 24);
    if (flow.editor) {
        ASSERT_TRUE(session.awaitOutput("\x1b[Jlo", before)) << "not drawn again after a resize";
    }
    ASSERT_TRUE(session.awaitBlocked()) << "a window change ended the game";
    stopAndResume(session, line, flow.stop);
    stopAndResume(session, line, flow.stop);
    session.type(std::string("look").substr(line.size()) + "\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before)) << "look was not read";
    awaitPause(session);
    expectModes(session.modes(), singleKeyModes(found), "at the pause");
    stopAndResume(session, kAskedAgain, flow.stop);
    session.type("\x1b[B");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0) << "left for the shell";
    expectModes(session.modes(), found, "after the game");
    EXPECT_EQ(lastColour(session.output()), flow.colour ? kReset : "");
    if (!flow.editor) {
        EXPECT_EQ(session.output().find('\x1b'), std::string::npos) << session.output();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flows, Session,
    ::testing::Values(Flow{"CtrlZ", {"TERM=xterm-256color"}},
                      Flow{"NonBlocking", {"TERM=xterm-256color"}, true, true, SIGTSTP, true},
                      Flow{"SIGSTOP", {"TERM=xterm-256color"}, true, true, SIGSTOP},
                      Flow{"NoColor", {"TERM=xterm-256color", "NO_COLOR=1"}, true, false},
                      Flow{"vt52", {"TERM=vt52"}, false, false},
                      Flow{"dumb", {"TERM=dumb"}, false, false},
                      Flow{"EmptyTerm", {"TERM="}, false, false}, Flow{"NoTerm", {}, false, false},
                      Flow{"UnknownTerm", {"TERM=unknown"}, false, false},
                      Flow{"vt52EmptyNoColor", {"TERM=vt52", "NO_COLOR="}, false, false}),
    [](const ::testing::TestParamInfo<Flow>& flow) { return std::string(flow.param.name); });

// 2. The pause takes the whole key and what came with it.
class PauseKey : public ::testing::TestWithParam<std::string> {};

TEST_P(PauseKey, TakesTheWholeKeyAndLeavesNothing) {
    GameSession session;
    awaitCommandLine(session);
    const std::size_t prompted = awaitPause(session);
    session.type(GetParam());
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0) << "left for the shell";
    // Nothing of the key is echoed: after the prompt only the line end and
    // the colour reset.
    std::string after = session.output().substr(prompted);
    EXPECT_EQ(after.find_first_not_of("\r\n\x1b[0m"), std::string::npos) << after;
}

INSTANTIATE_TEST_SUITE_P(Keys, PauseKey,
                         ::testing::Values("x", "\r", "\x1b", "\x1b[A", "\x1b[15~", "\x1bOP",
                                           "\x1b[1;5C", "\x1b[[A", "\x1b\x1b[C", "\xc3\xa9",
                                           "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xff", "look\r"));

// A key whose bytes arrive apart (over ssh): the rest is waited for a
// moment, and the whole key is taken.
TEST(Pause, TakesAKeyWhoseBytesArriveApart) {
    GameSession session;
    awaitCommandLine(session);
    awaitPause(session);
    session.type("\x1b[");
    ASSERT_TRUE(session.awaitBlockedOutside(SYS_read)) << "the pause does not wait for the rest";
    session.type("A");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0) << "the rest of the key was left for the shell";
}

// Output that fails (a full disk) with input from a terminal: the error is
// told and the game ends with 1 at once, with no key awaited.
TEST(Pause, NoneWhenOutputFails) {
    SessionOptions options;
    options.output = "/dev/full";
    GameSession session(options);
    expectEvent(session, JobEvent::Kind::Exited, 1);
    EXPECT_NE(session.output().find("cellbound: write error: "), std::string::npos)
        << session.output();
    expectModes(session.modes(), session.modesBefore(), "after the game");
}

// Output to a file (`cellbound > log`): the kernel edits the line, and only
// the game's text goes to the file. Stopped at the pause and brought back,
// the game takes up the pause's modes again (the terminal is its input
// alone) and does not ask again in the file; one key, not echoed, ends it.
TEST(Pause, WithOutputToAFile) {
    SessionOptions options;
    options.output = "log";
    GameSession session(options);
    const auto awaitInLog = [&session](std::string_view text) {
        return session.await([&] { return session.file("log").find(text) != std::string::npos; },
                             "the log to hold " + std::string(text));
    };
    ASSERT_TRUE(awaitInLog(kOpeningEnd));
    session.type("look\r\x04");
    ASSERT_TRUE(awaitInLog(kPause));
    ASSERT_TRUE(session.awaitBlocked());
    expectModes(session.modes(), singleKeyModes(session.modesBefore()), "at the pause");
    stopAndResume(session, "", SIGTSTP);
    const std::size_t before = session.output().size();
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0) << "left for the shell";
    EXPECT_EQ(session.output().substr(before), "") << "the key was echoed";
    expectModes(session.modes(), session.modesBefore(), "after the game");
    const std::string log = session.file("log");
    EXPECT_EQ(count(log, kPause), 1U) << log;
    EXPECT_EQ(count(log, kBedroom), 2U) << "look was not answered in the file";
    EXPECT_EQ(log.find('\x1b'), std::string::npos) << "escape codes in the file";
}

// A window change interrupts the pause's read: it goes on waiting, and does
// not ask again. A continue does ask again: it cannot tell a stop it did not
// see (SIGSTOP) from none.
TEST(Pause, WaitsOnThroughInterruptions) {
    GameSession session;
    awaitCommandLine(session);
    const std::size_t prompted = awaitPause(session);
    session.resize(60, 20);
    ASSERT_TRUE(session.awaitBlocked()) << "a window change ended the pause";
    EXPECT_EQ(session.output().find(kPause, prompted), std::string::npos) << "asked again";
    session.signal(SIGCONT);
    ASSERT_TRUE(session.awaitOutput(kAskedAgain, prompted)) << "not asked again";
    ASSERT_TRUE(session.awaitBlocked()) << "SIGCONT ended the pause";
    session.type("\xc3\xa9");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0);
}

// 3. The keys that send signals: alone they send them, after Ctrl-V they are
// bytes of the line (shown in caret notation) and the game goes on.
struct SignalKey {
    std::string_view name;
    std::string key;
    JobEvent::Kind kind;
    int signal;
};

void PrintTo(const SignalKey& key, std::ostream* out) {
    *out << key.name;
}

class SignalKeys : public ::testing::TestWithParam<SignalKey> {};

TEST_P(SignalKeys, SendTheirSignalAloneAndAreQuotedByCtrlV) {
    const SignalKey& which = GetParam();
    GameSession session;
    awaitCommandLine(session);
    const std::size_t before = session.output().size();
    // Typed in one go: the terminal sees the key before the editor sees
    // Ctrl-V.
    session.type("ab\x16" + which.key + "cd");
    const std::string caret = {'^', static_cast<char>(which.key[0] ^ 0x40)};
    ASSERT_TRUE(session.awaitOutput("\x1b[7m" + caret + "\x1b[27mcd", before))
        << "not shown as typed: " << ::testing::PrintToString(session.output().substr(before));
    ASSERT_TRUE(session.awaitBlocked()) << "the game did not go on";
    session.type("\r");
    ASSERT_TRUE(session.awaitBlocked());
    session.type("look" + which.key);
    expectEvent(session, which.kind, which.signal);
    expectModes(session.modes(), session.modesBefore(), "after the signal");
    EXPECT_EQ(lastColour(session.output()), kReset);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SignalKeys,
    ::testing::Values(SignalKey{"CtrlC", "\x03", JobEvent::Kind::Killed, SIGINT},
                      SignalKey{"CtrlBackslash", "\x1c", JobEvent::Kind::Killed, SIGQUIT},
                      SignalKey{"CtrlZ", "\x1a", JobEvent::Kind::Stopped, SIGTSTP}),
    [](const ::testing::TestParamInfo<SignalKey>& key) { return std::string(key.param.name); });

// 4. Every signal that ends the game by default: the terminal is given
// back, then the game dies of that signal (with a core where that is the
// default), also after a stop and a continue.
bool dumpsCore(int signal) {
    switch (signal) {
        case SIGQUIT:
        case SIGILL:
        case SIGTRAP:
        case SIGABRT:
        case SIGBUS:
        case SIGFPE:
        case SIGSEGV:
        case SIGXCPU:
        case SIGXFSZ:
        case SIGSYS:
            return true;
        default:
            return false;
    }
}

// AddressSanitizer takes the signals of faults for itself and decides
// about core files: the game's own core dump is then not its to show.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// Whether this system writes core files where the game runs.
bool coresAreWritten() {
    std::ifstream pattern("/proc/sys/kernel/core_pattern");
    std::string first;
    std::getline(pattern, first);
    rlimit core{};
    return !first.empty() && first.front() != '|' && ::getrlimit(RLIMIT_CORE, &core) == 0 &&
           core.rlim_max != 0;
}

struct SignalCase {
    int signal;
    bool afterContinue;
};

std::string signalCaseName(const ::testing::TestParamInfo<SignalCase>& info) {
    std::string name = sigabbrev_np(info.param.signal) != nullptr
                           ? sigabbrev_np(info.param.signal)
                           : "RT" + std::to_string(info.param.signal - SIGRTMIN);
    return name + (info.param.afterContinue ? "_AfterContinue" : "");
}

std::vector<SignalCase> terminatingSignals() {
    std::vector<int> signals{SIGINT,    SIGQUIT,   SIGTERM,      SIGHUP,  SIGPIPE, SIGALRM, SIGUSR1,
                             SIGUSR2,   SIGABRT,   SIGSEGV,      SIGBUS,  SIGFPE,  SIGILL,  SIGXCPU,
                             SIGXFSZ,   SIGVTALRM, SIGPROF,      SIGIO,   SIGPWR,  SIGSYS,  SIGTRAP,
                             SIGSTKFLT, SIGRTMIN,  SIGRTMIN + 7, SIGRTMAX};
    std::vector<SignalCase> cases;
    for (const int signal : signals) {
        cases.push_back({signal, false});
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGRTMAX}) {
        cases.push_back({signal, true});
    }
    return cases;
}

class TerminatingSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(TerminatingSignal, GivesTheTerminalBackThenEndsTheGame) {
    const SignalCase& which = GetParam();
    GameSession session;
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    if (which.afterContinue) {
        stopAndResume(session, "lo", SIGTSTP);
    }
    const std::size_t before = session.output().size();
    session.signal(which.signal);
    const std::optional<JobEvent> event = session.awaitEvent();
    ASSERT_TRUE(event.has_value()) << "the game did not end";
    ASSERT_EQ(static_cast<int>(event->kind), static_cast<int>(JobEvent::Kind::Killed));
    EXPECT_EQ(event->value, which.signal);
    if (coresAreWritten() && !kUnderAddressSanitizer) {
        EXPECT_EQ(event->coreDumped, dumpsCore(which.signal));
    }
    expectModes(session.modes(), session.modesBefore(), "after the signal");
    EXPECT_EQ(coloursIn(session.output().substr(before)), std::vector<std::string>{"\x1b[0m"});
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminatingSignal, ::testing::ValuesIn(terminatingSignals()),
                         signalCaseName);

// A signal at any moment, such as while the game changes modes (twice a
// line): every stop, and the signal that ends it, finds the terminal given
// back. Each comes at another moment after a few lines are sent: a sweep of
// delays over the time the game takes to answer them.
TEST(Signals, AtAnyMomentOfALineGiveTheTerminalBack) {
    GameSession session;
    awaitCommandLine(session);
    constexpr int kStops = 3000;
    for (int stop = 0; stop <= kStops && !::testing::Test::HasFailure(); ++stop) {
        session.type("\r\r\r\r\r");
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(stop % 300);
        while (std::chrono::steady_clock::now() < until) {
        }
        session.signal(stop < kStops ? SIGTSTP : SIGTERM);
        expectEvent(session, stop < kStops ? JobEvent::Kind::Stopped : JobEvent::Kind::Killed,
                    stop < kStops ? SIGTSTP : SIGTERM);
        expectModes(session.modes(), session.modesBefore(), "after the signal");
        if (stop < kStops) {
            session.foreground();
            expectEvent(session, JobEvent::Kind::Continued, 0);
        }
    }
}

// A signal the game inherits as ignored stays ignored.
TEST(Signals, InheritedAsIgnoredStayIgnored) {
    SessionOptions options;
    options.ignored = {SIGTERM, SIGHUP, SIGUSR1, SIGRTMIN + 2, SIGTSTP};
    if (!kUnderAddressSanitizer) {  // which handles SIGSEGV whatever it inherits
        options.ignored.push_back(SIGSEGV);
    }
    GameSession session(options);
    awaitCommandLine(session);
    for (const int signal : options.ignored) {
        session.signal(signal);
        ASSERT_TRUE(session.awaitBlocked()) << sigabbrev_np(signal) << " was not ignored";
    }
    session.type(kCtrlZ);
    ASSERT_TRUE(session.awaitBlocked());
    const std::size_t before = session.output().size();
    session.type("\x7flook\r");  // Ctrl-Z is no key of the editor's either
    ASSERT_TRUE(session.awaitOutput(kBedroom, before));
    awaitPause(session);
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

// 5. In the background the terminal is the shell's. Started with `&`, or
// stopped by Ctrl-Z, then continued there (bg): the game's change of modes
// or read, interrupted by the stop, is made again and stops it again, and
// nothing but a colour reset is written until fg.
class Background : public ::testing::TestWithParam<bool> {};

TEST_P(Background, NothingWrittenUntilFg) {
    SessionOptions options;
    options.background = GetParam();
    GameSession session(options);
    const std::string_view line = options.background ? "" : "lo";
    if (options.background) {
        expectEvent(session, JobEvent::Kind::Stopped, SIGTTOU);
        ASSERT_TRUE(session.awaitOutput(kOpeningEnd));
    } else {
        awaitCommandLine(session);
        typeAndAwaitEcho(session, line);
        session.type(kCtrlZ);
        expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    }
    EXPECT_EQ(lastColour(session.output()), kReset) << "the shell's text is left coloured";
    const std::size_t stopped = session.output().size();
    session.background();
    // Continued and stopped again at once: waitpid() may tell only the stop.
    std::optional<JobEvent> event = session.awaitEvent();
    if (event && event->kind == JobEvent::Kind::Continued) {
        event = session.awaitEvent();
    }
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(JobEvent::Kind::Stopped));
    EXPECT_EQ(event->value, options.background ? SIGTTOU : SIGTTIN);
    std::string written = session.output().substr(stopped);
    for (std::size_t at = 0; (at = written.find(kReset, at)) != std::string::npos;) {
        written.erase(at, kReset.size());
    }
    EXPECT_EQ(written, "") << "written from the background";
    expectModes(session.modes(), session.modesBefore(), "stopped in the background");
    resume(session, line, lineEditingModes(session.modesBefore()), kMagenta);
    const std::size_t before = session.output().size();
    session.type(std::string("look").substr(line.size()) + "\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before));
    awaitPause(session);
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

INSTANTIATE_TEST_SUITE_P(Stops, Background, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& started) {
                             return started.param ? "StartedWithAmpersand" : "StoppedByCtrlZ";
                         });

// With no job-control shell above the game (`exec cellbound`, a terminal
// window that runs it) the kernel discards its stops: Ctrl-Z leaves the
// terminal the game's, at the line and at the pause.
TEST(Stops, NoneWithoutJobControl) {
    SessionOptions options;
    options.orphaned = true;
    GameSession session(options);
    const auto ctrlZ = [&session](std::string_view colour, const termios& modes) {
        const std::size_t before = session.output().size();
        session.type(kCtrlZ);
        ASSERT_TRUE(session.awaitOutput(std::string(kReset).append(colour), before));
        ASSERT_TRUE(session.awaitBlocked());
        expectModes(session.modes(), modes, "after Ctrl-Z");
    };
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    ctrlZ(kMagenta, lineEditingModes(session.modesBefore()));
    const std::size_t before = session.output().size();
    session.type("ok\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before));
    awaitPause(session);
    ctrlZ(kGreen, singleKeyModes(session.modesBefore()));
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    expectModes(session.modes(), session.modesBefore(), "after the game");
}

// 6. TERM names an ANSI terminal: the game's line editor and colours.
class AnsiTerminal : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(AnsiTerminal, GameLineEditingAndColours) {
    SessionOptions options;
    options.environment = GetParam();
    GameSession session(options);
    awaitCommandLine(session);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "at the command line");
    EXPECT_EQ(coloursIn(session.output()).front(), kGreen);
    EXPECT_EQ(lastColour(session.output()), kMagenta);
}

INSTANTIATE_TEST_SUITE_P(
    Term, AnsiTerminal,
    ::testing::Values(
        std::vector<std::string>{"TERM=xterm-256color", "NO_COLOR="},
        std::vector<std::string>{"TERM=screen"}, std::vector<std::string>{"TERM=tmux-256color"},
        std::vector<std::string>{"TERM=linux"}, std::vector<std::string>{"TERM=vt220"},
        std::vector<std::string>{"TERM=rxvt-unicode-256color"},
        std::vector<std::string>{"TERM=iterm"}, std::vector<std::string>{"TERM=st"},
        std::vector<std::string>{"TERM=Eterm-color"}, std::vector<std::string>{"TERM=kitty"}));

// 7. Reads and writes that wait: a terminal handed over non-blocking, a
// write held up until the output is read, and signals meanwhile.
bool waitsInPoll(long systemCall) {
#ifdef SYS_poll  // not on every architecture
    if (systemCall == SYS_poll) {
        return true;
    }
#endif
    return systemCall == SYS_ppoll;
}

// Holds the game's output and types `lines` commands until the game waits to
// write (a moment's sleep elsewhere, the terminal's own locks, is passed
// over). Gives the system call it waits in, or kUnknown where that cannot
// be seen.
long fillHeldOutput(GameSession& session, std::size_t lines) {
    session.holdOutput();
    std::string keys;
    for (std::size_t i = 0; i < lines; ++i) {
        keys += "help\r";
    }
    session.type(keys);
    long blocked = GameSession::kUnknown;
    for (int looks = 0; looks < 1000; ++looks) {
        if (!session.awaitBlockedOutside(SYS_read)) {
            ADD_FAILURE() << "the output never filled up";
            break;
        }
        blocked = session.blockedIn();
        if (blocked == GameSession::kUnknown || blocked == SYS_write || waitsInPoll(blocked)) {
            break;
        }
    }
    return blocked;
}

class Waiting : public ::testing::TestWithParam<bool> {};

TEST_P(Waiting, ReadsAndWritesGoOnThroughSignals) {
    SessionOptions options;
    options.nonBlocking = GetParam();
    GameSession session(options);
    awaitCommandLine(session);  // asleep, not spinning on EAGAIN
    const std::size_t before = session.output().size();
    constexpr std::size_t kLines = 700;
    const long blocked = fillHeldOutput(session, kLines);
    ASSERT_FALSE(::testing::Test::HasFailure());
    if (blocked != GameSession::kUnknown) {
        EXPECT_TRUE(blocked == SYS_write || waitsInPoll(blocked))
            << "the game is not waiting for its output to be read: " << blocked;
    }
    session.resize(70, 24);  // SIGWINCH while the write waits
    ASSERT_TRUE(session.awaitBlocked());
    session.signal(SIGCONT);
    ASSERT_TRUE(session.awaitBlocked());
    for (std::size_t at = before, seen = 0; seen < kLines; ++seen) {
        ASSERT_TRUE(session.awaitOutput(kHelp, at)) << seen << " replies of " << kLines;
        at = session.output().find(kHelp, at) + kHelp.size();
    }
    EXPECT_EQ(count(session.output().substr(before), kHelp), kLines);
    awaitPause(session);
    session.resize(80, 24);
    ASSERT_TRUE(session.awaitBlocked());
    session.type("\x1b[A");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0);
    expectModes(session.modes(), session.modesBefore(), "after the game");
}

INSTANTIATE_TEST_SUITE_P(Descriptors, Waiting, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& which) {
                             return which.param ? "NonBlocking" : "Blocking";
                         });

// Standard output non-blocking and held up (nobody reads it): a signal that
// ends the game, or stops it, still resets the colour, waiting until the
// terminal takes it. Input is opened apart and blocks, so that the game's
// wait in poll() can only be for its output.
class HeldOutput : public ::testing::TestWithParam<int> {};

TEST_P(HeldOutput, TheColourIsResetOnceTheOutputMoves) {
    SessionOptions options;
    options.nonBlocking = true;
    options.output = "/dev/tty";
    GameSession session(options);
    awaitCommandLine(session);
    static_cast<void>(fillHeldOutput(session, 700));
    ASSERT_FALSE(::testing::Test::HasFailure());
    const std::size_t before = session.output().size();
    session.signal(GetParam());
    ASSERT_TRUE(session.awaitOutput(kReset, before)) << "no colour reset";
    const bool stops = GetParam() == SIGTSTP;
    expectEvent(session, stops ? JobEvent::Kind::Stopped : JobEvent::Kind::Killed, GetParam());
    EXPECT_EQ(lastColour(session.output()), kReset);
    if (stops) {
        const std::size_t stopped = session.output().size();
        session.foreground();
        expectEvent(session, JobEvent::Kind::Continued, 0);
        ASSERT_TRUE(session.awaitOutput(kGreen, stopped)) << "no colour again after fg";
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, HeldOutput, ::testing::Values(SIGTERM, SIGINT, SIGTSTP),
                         [](const ::testing::TestParamInfo<int>& which) {
                             return std::string(sigabbrev_np(which.param));
                         });

}  // namespace
}  // namespace cellbound::testing
