// The real game on a pseudo-terminal: the terminal's modes in each state,
// the signals that end or stop it, the pause, TERM and NO_COLOR, and reads
// and writes that are interrupted or non-blocking.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "game_session.hpp"

#ifndef CELLBOUND_TRANSCRIPTS
#error "CELLBOUND_TRANSCRIPTS names the transcripts' folder"
#endif

namespace cellbound::testing {
namespace {

// The game's own texts.
constexpr std::string_view kOpeningEnd = "There is nothing worth picking up.";
constexpr std::string_view kBedroom = "You see the bed you woke up in.";
constexpr std::string_view kHelp = "Block, Talk, Look";
constexpr std::string_view kPause = "Press any key to continue . . . ";

constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kGreen = "\x1b[92m";
constexpr std::string_view kMagenta = "\x1b[95m";
constexpr std::string_view kCtrlZ = "\x1a";
constexpr std::string_view kCtrlD = "\x04";

// The colour sequences written, in order: ESC [ digits m.
std::vector<std::string> coloursIn(std::string_view text) {
    std::vector<std::string> colours;
    for (std::size_t at = text.find("\x1b["); at != std::string_view::npos;
         at = text.find("\x1b[", at + 1)) {
        const std::size_t end = text.find_first_not_of("0123456789", at + 2);
        if (end != std::string_view::npos && text[end] == 'm') {
            colours.emplace_back(text.substr(at, end + 1 - at));
        }
    }
    return colours;
}

std::string lastColour(std::string_view text) {
    const std::vector<std::string> colours = coloursIn(text);
    return colours.empty() ? std::string() : colours.back();
}

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++found;
    }
    return found;
}

// A winning game as typed, up to the pause: every line of the transcript
// but the empty one that answers the pause, each ended by Enter.
std::string winningGame() {
    std::ifstream typed(std::string(CELLBOUND_TRANSCRIPTS) + "/winning_game.in");
    std::string keys;
    for (std::string line; std::getline(typed, line);) {
        if (!line.empty()) {
            keys += line + '\r';
        }
    }
    return keys;
}

void expectModes(const termios& now, const termios& wanted, const char* where) {
    EXPECT_TRUE(sameModes(now, wanted))
        << where << "\n     are " << describeModes(now) << "\nshould be " << describeModes(wanted);
}

// Events in the order waitpid() gives them.
void expectEvent(GameSession& session, JobEvent::Kind kind, int value) {
    const std::optional<JobEvent> event = session.awaitEvent();
    ASSERT_TRUE(event.has_value()) << "no change of the game's state";
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(kind));
    EXPECT_EQ(event->value, value);
}

void expectContinued(GameSession& session) {
    const std::optional<JobEvent> event = session.awaitEvent();
    ASSERT_TRUE(event.has_value()) << "the game was not continued";
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(JobEvent::Kind::Continued));
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

// Ctrl-D once the game waits for the next command; in a terminal the pause
// then still waits for a key.
void endAtCommandLine(GameSession& session) {
    ASSERT_TRUE(session.awaitBlocked());
    const std::size_t before = session.output().size();
    session.type(kCtrlD);
    ASSERT_TRUE(session.awaitOutput(kPause, before));
    ASSERT_TRUE(session.awaitBlocked()) << "the pause does not wait after Ctrl-D";
    session.type("x");
}

std::size_t awaitPause(GameSession& session) {
    const std::size_t before = session.output().size();
    session.type(winningGame());
    EXPECT_TRUE(session.awaitOutput(kPause, before)) << session.output().substr(before);
    EXPECT_TRUE(session.awaitBlocked()) << "the pause does not wait";
    return session.output().find(kPause, before) + kPause.size();
}

// 1. The modes of each state, and the modes given back exactly.
TEST(TerminalModes, LineEditingThenPauseThenAsFound) {
    GameSession session;
    awaitCommandLine(session);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "at the command line");
    awaitPause(session);
    expectModes(session.modes(), singleKeyModes(session.modesBefore()), "at the pause");
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    expectModes(session.modes(), session.modesBefore(), "after the game");
    EXPECT_EQ(lastColour(session.output()), kReset);
    EXPECT_EQ(session.unreadInput(), 0);
}

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

// 3. Ctrl-Z at the pause and fg: the prompt again, the pause's modes again.
TEST(Pause, AsksAgainAfterAStop) {
    GameSession session;
    awaitCommandLine(session);
    awaitPause(session);
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    expectModes(session.modes(), session.modesBefore(), "stopped at the pause");
    EXPECT_EQ(lastColour(session.output()), kReset);
    const std::size_t stopped = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("\r" + std::string(kPause), stopped));
    ASSERT_TRUE(session.awaitBlocked());
    EXPECT_EQ(lastColour(session.output().substr(stopped)), kGreen) << "no colour again";
    expectModes(session.modes(), singleKeyModes(session.modesBefore()), "at the pause again");
    session.type("\x1b[B");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0);
    expectModes(session.modes(), session.modesBefore(), "after the game");
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
    ASSERT_TRUE(session.awaitOutput("\r" + std::string(kPause), prompted)) << "not asked again";
    ASSERT_TRUE(session.awaitBlocked()) << "SIGCONT ended the pause";
    session.type("\xc3\xa9");
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0);
}

// Stopped from outside (SIGSTOP, which the game cannot see), then fg: the
// line being typed is drawn again, and at the pause the prompt is.
TEST(Stops, StoppedFromOutsideDrawsAgainAfterFg) {
    GameSession session;
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    session.signal(SIGSTOP);
    expectEvent(session, JobEvent::Kind::Stopped, SIGSTOP);
    std::size_t stopped = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("lo", stopped)) << "the line is not drawn again";
    ASSERT_TRUE(session.awaitBlocked());
    session.type("ok\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, stopped)) << "look was not read";
    const std::size_t prompted = awaitPause(session);
    session.signal(SIGSTOP);
    expectEvent(session, JobEvent::Kind::Stopped, SIGSTOP);
    stopped = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("\r" + std::string(kPause), std::max(prompted, stopped)))
        << "the pause does not ask again";
    ASSERT_TRUE(session.awaitBlocked());
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

// After Ctrl-D the pause waits for a key in a terminal, with the kernel's
// line editing too; the key is taken, none is left for the shell.
class PauseAfterCtrlD : public ::testing::TestWithParam<std::string> {};

TEST_P(PauseAfterCtrlD, WaitsForOneKey) {
    SessionOptions options;
    options.environment = {GetParam()};
    GameSession session(options);
    awaitCommandLine(session);
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.unreadInput(), 0) << "left for the shell";
}

INSTANTIATE_TEST_SUITE_P(Term, PauseAfterCtrlD,
                         ::testing::Values("TERM=xterm-256color", "TERM=dumb"));

// The keys that send signals: alone they send them, after Ctrl-V they are
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
        session.type(kCtrlZ);
        expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
        session.foreground();
        expectContinued(session);
        ASSERT_TRUE(session.awaitBlocked());
        ASSERT_EQ(lastColour(session.output()), kMagenta);
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
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

// 5. Stops: Ctrl-Z gives the terminal back, fg takes it again with the
// colour, twice over; a stop for background input does the same.
TEST(Stops, CtrlZGivesBackAndFgTakesAgainEachTime) {
    GameSession session;
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    for (int stop = 0; stop < 2; ++stop) {
        const std::size_t before = session.output().size();
        session.type(kCtrlZ);
        expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
        expectModes(session.modes(), session.modesBefore(), "stopped");
        EXPECT_EQ(coloursIn(session.output().substr(before)), std::vector<std::string>{"\x1b[0m"});
        const std::size_t stopped = session.output().size();
        session.foreground();
        expectContinued(session);
        ASSERT_TRUE(session.awaitOutput("lo", stopped))
            << "the line is not drawn again after stop " << stop << ": "
            << ::testing::PrintToString(session.output().substr(before));
        ASSERT_TRUE(session.awaitBlocked());
        const std::string again = session.output().substr(stopped);
        EXPECT_EQ(lastColour(again), kMagenta) << "the colour is not written again";
        EXPECT_LT(again.find(kMagenta), again.rfind("lo"));
        expectModes(session.modes(), lineEditingModes(session.modesBefore()), "continued");
    }
    const std::size_t before = session.output().size();
    session.type("ok\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before)) << "look was not read";
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
    expectModes(session.modes(), session.modesBefore(), "after the game");
}

TEST(Stops, StartedInTheBackgroundLeavesTheShellUncoloured) {
    SessionOptions options;
    options.background = true;
    GameSession session(options);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTTOU);
    ASSERT_TRUE(session.awaitOutput(kOpeningEnd));
    EXPECT_EQ(lastColour(session.output()), kReset) << "the shell's text is left coloured";
    expectModes(session.modes(), session.modesBefore(), "stopped in the background");
    const std::size_t stopped = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitBlocked());
    EXPECT_EQ(lastColour(session.output().substr(stopped)), kMagenta);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "brought to the front");
    session.type("look\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, stopped));
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

TEST(Stops, ContinuedInTheBackgroundWritesNothingUntilFg) {
    GameSession session;
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    const std::size_t stopped = session.output().size();
    session.background();
    // Continued and stopped again at once: waitpid() may tell only the stop.
    std::optional<JobEvent> event = session.awaitEvent();
    if (event && event->kind == JobEvent::Kind::Continued) {
        event = session.awaitEvent();
    }
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(JobEvent::Kind::Stopped));
    EXPECT_EQ(event->value, SIGTTIN);
    // Only the colour reset of the stop for input: no colour, no line.
    std::string written = session.output().substr(stopped);
    for (std::size_t at = 0; (at = written.find(kReset, at)) != std::string::npos;) {
        written.erase(at, kReset.size());
    }
    EXPECT_EQ(written, "") << "written from the background";
    expectModes(session.modes(), session.modesBefore(), "stopped for input");
    const std::size_t again = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("lo", again)) << "the line is not drawn after fg";
    ASSERT_TRUE(session.awaitBlocked());
    EXPECT_EQ(lastColour(session.output().substr(again)), kMagenta);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "brought to the front");
    session.type("ok\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, again));
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

// A window change draws the line again at once, before any key; so does
// fg, and the pause asks again; on a terminal handed over non-blocking too.
class Redraw : public ::testing::TestWithParam<bool> {};

TEST_P(Redraw, AtOnceAfterAResizeAndAfterFgAndThePauseAsksAgain) {
    SessionOptions options;
    options.nonBlocking = GetParam();
    GameSession session(options);
    awaitCommandLine(session);
    typeAndAwaitEcho(session, "lo");
    std::size_t before = session.output().size();
    session.resize(40, 24);
    ASSERT_TRUE(session.awaitOutput("\x1b[Jlo", before)) << "not drawn again after a resize";
    ASSERT_TRUE(session.awaitBlocked());
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    before = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("lo", before)) << "not drawn again after fg";
    ASSERT_TRUE(session.awaitBlocked());
    session.type("ok\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before)) << "look was not read";
    awaitPause(session);
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    before = session.output().size();
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitOutput("\r" + std::string(kPause), before)) << "not asked again";
    ASSERT_TRUE(session.awaitBlocked());
    session.type("x");
    expectEvent(session, JobEvent::Kind::Exited, 0);
}

std::string blockingName(const ::testing::TestParamInfo<bool>& which) {
    return which.param ? "NonBlocking" : "Blocking";
}

INSTANTIATE_TEST_SUITE_P(Descriptors, Redraw, ::testing::Values(false, true), blockingName);

// 6. TERM and NO_COLOR.
class PlainTerminal : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(PlainTerminal, KernelLineEditingAndNoEscapes) {
    SessionOptions options;
    options.environment = GetParam();
    GameSession session(options);
    awaitCommandLine(session);
    expectModes(session.modes(), session.modesBefore(), "at the command line");
    // The kernel's read is interrupted by a window change and by a stop:
    // neither ends the game.
    session.resize(50, 20);
    ASSERT_TRUE(session.awaitBlocked()) << "a window change ended the game";
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitBlocked()) << "fg ended the game";
    const std::size_t before = session.output().size();
    session.type("look\r");
    ASSERT_TRUE(session.awaitOutput(kBedroom, before));
    endAtCommandLine(session);
    expectEvent(session, JobEvent::Kind::Exited, 0);
    EXPECT_EQ(session.output().find('\x1b'), std::string::npos) << session.output();
}

INSTANTIATE_TEST_SUITE_P(Term, PlainTerminal,
                         ::testing::Values(std::vector<std::string>{"TERM=vt52"},
                                           std::vector<std::string>{"TERM=dumb"},
                                           std::vector<std::string>{"TERM="},
                                           std::vector<std::string>{},
                                           std::vector<std::string>{"TERM=unknown"},
                                           std::vector<std::string>{"TERM=vt52", "NO_COLOR="}));

class AnsiTerminal : public ::testing::TestWithParam<std::string> {};

TEST_P(AnsiTerminal, GameLineEditingAndColours) {
    SessionOptions options;
    options.environment = {"TERM=" + GetParam()};
    GameSession session(options);
    awaitCommandLine(session);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "at the command line");
    EXPECT_EQ(coloursIn(session.output()).front(), kGreen);
    EXPECT_EQ(lastColour(session.output()), kMagenta);
}

INSTANTIATE_TEST_SUITE_P(Term, AnsiTerminal,
                         ::testing::Values("xterm-256color", "screen", "tmux-256color", "linux",
                                           "vt220", "rxvt-unicode-256color", "iterm", "st",
                                           "Eterm-color", "kitty"));

TEST(NoColor, EmptyLeavesColourOn) {
    SessionOptions options;
    options.environment = {"TERM=xterm-256color", "NO_COLOR="};
    GameSession session(options);
    awaitCommandLine(session);
    EXPECT_EQ(lastColour(session.output()), kMagenta);
}

TEST(NoColor, SetTurnsColourOffAndKeepsTheEditor) {
    SessionOptions options;
    options.environment = {"TERM=xterm-256color", "NO_COLOR=1"};
    GameSession session(options);
    awaitCommandLine(session);
    expectModes(session.modes(), lineEditingModes(session.modesBefore()), "at the command line");
    typeAndAwaitEcho(session, "lo");
    session.type(kCtrlZ);
    expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
    session.foreground();
    expectContinued(session);
    ASSERT_TRUE(session.awaitBlocked());
    session.signal(SIGTERM);
    expectEvent(session, JobEvent::Kind::Killed, SIGTERM);
    EXPECT_TRUE(coloursIn(session.output()).empty()) << session.output();
    expectModes(session.modes(), session.modesBefore(), "after SIGTERM");
}

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

INSTANTIATE_TEST_SUITE_P(Descriptors, Waiting, ::testing::Values(false, true), blockingName);

// Standard output non-blocking and held up (nobody reads it): a signal that
// ends the game, or stops it, still resets the colour, waiting until the
// terminal takes it.
class HeldOutput : public ::testing::TestWithParam<int> {};

TEST_P(HeldOutput, TheColourIsResetOnceTheOutputMoves) {
    SessionOptions options;
    options.nonBlocking = true;
    GameSession session(options);
    awaitCommandLine(session);
    static_cast<void>(fillHeldOutput(session, 700));
    ASSERT_FALSE(::testing::Test::HasFailure());
    const std::size_t before = session.output().size();
    session.signal(GetParam());
    ASSERT_TRUE(session.awaitOutput(kReset, before)) << "no colour reset";
    if (GetParam() == SIGTSTP) {
        expectEvent(session, JobEvent::Kind::Stopped, SIGTSTP);
        EXPECT_EQ(lastColour(session.output()), kReset);
        session.foreground();
        expectContinued(session);
        ASSERT_TRUE(session.awaitOutput(kGreen, session.output().size()))
            << "no colour again after fg";
    } else {
        expectEvent(session, JobEvent::Kind::Killed, GetParam());
        EXPECT_EQ(lastColour(session.output()), kReset);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, HeldOutput, ::testing::Values(SIGTERM, SIGINT, SIGTSTP),
                         [](const ::testing::TestParamInfo<int>& which) {
                             return std::string(sigabbrev_np(which.param));
                         });

}  // namespace
}  // namespace cellbound::testing
