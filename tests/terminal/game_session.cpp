#include "game_session.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#ifndef CELLBOUND_GAME_PATH
#error "CELLBOUND_GAME_PATH names the game to run"
#endif

namespace cellbound::testing {

namespace {

using Clock = std::chrono::steady_clock;
// Each step's own deadline: long enough for a loaded machine or a sanitizer
// build, short enough that a fault fails the test long before CTest's time-out.
// CELLBOUND_STEP_SECONDS sets another.
std::chrono::milliseconds stepDeadline() {
    const char* const given = std::getenv("CELLBOUND_STEP_SECONDS");
    const long seconds = given != nullptr ? std::strtol(given, nullptr, 10) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 5);
}

// What the shell sends about the game: its pid first, then each event.
struct Report {
    int kind;  // -1: started, else a JobEvent::Kind
    int value;
    int core;
};

void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
    }
}

// Bytes as C escapes, for messages.
std::string shown(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            constexpr std::string_view kDigits = "0123456789abcdef";
            out += "\\x";
            out += kDigits[byte >> 4U];
            out += kDigits[byte & 0xfU];
        }
    }
    return out + '"';
}

void sendReport(int socket, Report report) {
    [[maybe_unused]] const auto done = ::write(socket, &report, sizeof report);
}

std::array<int, 2> chldPipe{-1, -1};  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

extern "C" void onChild(int /*signal*/) {
    const int saved = errno;
    const char byte = 0;
    [[maybe_unused]] const auto done = ::write(chldPipe[1], &byte, 1);
    errno = saved;
}

// The game's process: its own group, the terminal as its standard streams,
// every signal as the options say, then the game itself.
[[noreturn]] void runGame(const SessionOptions& options, int slave,
                          const std::vector<char*>& environment) {
    if (options.orphaned) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
    } else {
        ::setpgid(0, 0);
    }
    if (!options.background) {
        static_cast<void>(::tcsetpgrp(slave, ::getpid()));
    }
    for (int signal = 1; signal < NSIG; ++signal) {
        static_cast<void>(std::signal(signal, SIG_DFL));
    }
    for (const int signal : options.ignored) {
        static_cast<void>(std::signal(signal, SIG_IGN));
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Core dumps land in the test's working directory, as the system says.
    rlimit core{};
    if (::getrlimit(RLIMIT_CORE, &core) == 0) {
        core.rlim_cur = core.rlim_max;
        ::setrlimit(RLIMIT_CORE, &core);
    }
    if (::chdir(options.folder.c_str()) != 0) {
        ::_exit(126);
    }
    ::dup2(slave, STDIN_FILENO);
    ::dup2(slave, STDOUT_FILENO);
    ::dup2(slave, STDERR_FILENO);
    if (!options.output.empty()) {
        const int output = ::open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (output < 0 || ::dup2(output, STDOUT_FILENO) < 0) {
            ::_exit(126);
        }
    }
    if (options.nonBlocking) {
        ::fcntl(STDOUT_FILENO, F_SETFL, ::fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
    }
    ::closefrom(STDERR_FILENO + 1);
    std::string game = CELLBOUND_GAME_PATH;
    std::array<char*, 2> arguments{game.data(), nullptr};
    ::execve(game.c_str(), arguments.data(), environment.data());
    ::_exit(127);
}

// The job-control shell: leads a session on the terminal, starts the game,
// reports every change of its state, and obeys fg and bg.
[[noreturn]] void runShell(const SessionOptions& options, const char* slaveName, int socket) {
    ::setsid();
    const int slave = ::open(slaveName, O_RDWR | O_NOCTTY);
    if (slave < 0 || (!options.orphaned && ::ioctl(slave, TIOCSCTTY, 0) != 0)) {
        ::_exit(126);
    }
    // As a shell: moving the terminal between groups does not stop it.
    std::signal(SIGTTOU, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGTSTP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe(chldPipe.data()) != 0) {
        ::_exit(126);
    }
    struct sigaction action = {};
    action.sa_handler = &onChild;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGCHLD, &action, nullptr);

    std::vector<std::string> environment = options.environment;
    std::vector<char*> pointers;
    pointers.reserve(environment.size() + 1);
    for (std::string& entry : environment) {
        pointers.push_back(entry.data());
    }
    pointers.push_back(nullptr);

    const pid_t game = ::fork();
    if (game == 0) {
        ::close(socket);
        runGame(options, slave, pointers);
    }
    if (!options.orphaned) {
        ::setpgid(game, game);
    }
    if (!options.background) {
        static_cast<void>(::tcsetpgrp(slave, game));
    }
    sendReport(socket, {-1, game, 0});
    for (;;) {
        std::array<pollfd, 2> waiting{pollfd{socket, POLLIN, 0}, pollfd{chldPipe[0], POLLIN, 0}};
        if (::poll(waiting.data(), waiting.size(), -1) < 0) {
            continue;
        }
        if ((waiting[1].revents & POLLIN) != 0) {
            std::array<char, 64> drained{};
            [[maybe_unused]] const auto done = ::read(chldPipe[0], drained.data(), drained.size());
            int status = 0;
            while (::waitpid(game, &status, WNOHANG | WUNTRACED | WCONTINUED) == game) {
                if (WIFSTOPPED(status)) {
                    static_cast<void>(::tcsetpgrp(slave, ::getpgrp()));
                    sendReport(socket,
                               {static_cast<int>(JobEvent::Kind::Stopped), WSTOPSIG(status), 0});
                } else if (WIFCONTINUED(status)) {
                    sendReport(socket, {static_cast<int>(JobEvent::Kind::Continued), 0, 0});
                } else if (WIFEXITED(status)) {
                    sendReport(socket,
                               {static_cast<int>(JobEvent::Kind::Exited), WEXITSTATUS(status), 0});
                    ::_exit(0);
                } else if (WIFSIGNALED(status)) {
                    sendReport(socket, {static_cast<int>(JobEvent::Kind::Killed), WTERMSIG(status),
                                        WCOREDUMP(status) ? 1 : 0});
                    ::_exit(0);
                }
            }
        }
        if ((waiting[0].revents & (POLLIN | POLLHUP)) != 0) {
            char what = 0;
            if (::read(socket, &what, 1) != 1) {
                ::kill(game, SIGKILL);
                ::kill(game, SIGCONT);
                continue;
            }
            if (what == 'f') {
                static_cast<void>(::tcsetpgrp(slave, game));
            }
            ::kill(-game, SIGCONT);
        }
    }
}

}  // namespace

GameSession::GameSession(const SessionOptions& given) {
    SessionOptions options = given;
    std::string folder = (std::filesystem::temp_directory_path() / "cellbound-pty-XXXXXX").string();
    check(::mkdtemp(folder.data()) != nullptr, "mkdtemp");
    folder_ = folder;
    options.folder = folder_;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    check(master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0, "posix_openpt");
    const std::string slaveName = ::ptsname(master_);
    slave_ = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    check(slave_ >= 0, "open the terminal");
    // Found in modes a little out of the ordinary, so that giving back "the
    // usual" modes is no giving back.
    termios found{};
    check(::tcgetattr(slave_, &found) == 0, "tcgetattr");
    found.c_iflag |= IXANY;
    found.c_cc[VKILL] = 0x18;  // Ctrl-X
    check(::tcsetattr(slave_, TCSANOW, &found) == 0, "tcsetattr");
    check(::tcgetattr(slave_, &before_) == 0, "tcgetattr");
    resize(options.columns, options.rows);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    std::array<int, 2> sockets{};
    check(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets.data()) == 0, "socketpair");
    shellPid_ = ::fork();
    check(shellPid_ >= 0, "fork");
    if (shellPid_ == 0) {
        ::close(sockets[0]);
        ::close(master_);
        ::close(slave_);
        runShell(options, slaveName.c_str(), sockets[1]);
    }
    ::close(sockets[1]);
    shell_ = sockets[0];
    const auto until = Clock::now() + stepDeadline();
    while (game_ < 0 && Clock::now() < until) {
        pump(100);
    }
    if (game_ <= 0) {
        timedOut("the game to start");
    }
    check(game_ > 0, "the game did not start");
}

GameSession::~GameSession() {
    if (!ended_ && game_ > 0) {
        ::kill(game_, SIGKILL);
        ::kill(game_, SIGCONT);
    }
    ::close(shell_);
    int status = 0;
    ::waitpid(shellPid_, &status, 0);
    ::close(master_);
    ::close(slave_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);  // with any core the game left
}

void GameSession::pump(int timeoutMilliseconds) {
    std::array<pollfd, 2> waiting{pollfd{shell_, POLLIN, 0},
                                  pollfd{master_, static_cast<short>(holding_ ? 0 : POLLIN), 0}};
    if (::poll(waiting.data(), waiting.size(), timeoutMilliseconds) <= 0) {
        return;
    }
    if ((waiting[1].revents & POLLIN) != 0) {
        std::array<char, 4096> block{};
        const long count = ::read(master_, block.data(), block.size());
        if (count > 0) {
            output_.append(block.data(), static_cast<std::size_t>(count));
        }
    }
    if ((waiting[0].revents & POLLIN) != 0) {
        Report report{};
        if (::recv(shell_, &report, sizeof report, MSG_WAITALL) == sizeof report) {
            if (report.kind < 0) {
                game_ = report.value;
            } else {
                const auto kind = static_cast<JobEvent::Kind>(report.kind);
                events_.push_back({kind, report.value, report.core != 0});
                ended_ = ended_ || kind == JobEvent::Kind::Exited || kind == JobEvent::Kind::Killed;
            }
        }
    }
}

void GameSession::type(std::string_view keys) {
    const auto until = Clock::now() + stepDeadline();
    while (!keys.empty() && Clock::now() < until) {
        const long count = ::write(master_, keys.data(), keys.size());
        if (count > 0) {
            keys.remove_prefix(static_cast<std::size_t>(count));
        } else {
            pump(10);
        }
    }
    if (!keys.empty()) {
        timedOut("the terminal to take " + std::to_string(keys.size()) + " more typed bytes");
    }
}

bool GameSession::await(const std::function<bool()>& done, const std::string& what) {
    holding_ = false;
    const auto until = Clock::now() + stepDeadline();
    while (!done()) {
        if (Clock::now() >= until) {
            timedOut(what);
            return false;
        }
        pump(50);
    }
    return true;
}

bool GameSession::awaitOutput(std::string_view text, std::size_t from) {
    return await([&] { return output_.find(text, from) != std::string::npos; },
                 "the game to write " + shown(text));
}

const std::string& GameSession::output() {
    pump(0);
    return output_;
}

std::string GameSession::file(const std::string& name) const {
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<JobEvent> GameSession::awaitEvent() {
    if (!await([this] { return eventsTaken_ < events_.size(); },
               "the game to stop, continue or end")) {
        return std::nullopt;
    }
    // Whatever the game wrote before the event has been read by now.
    for (int more = 0; more < 64; ++more) {
        const std::size_t before = output_.size();
        pump(0);
        if (output_.size() == before) {
            break;
        }
    }
    return events_[eventsTaken_++];
}

namespace {

// The game's state letter and its pending signals, from /proc.
struct ProcessState {
    char state = '?';
    bool signalPending = true;
};

ProcessState stateOf(pid_t pid) {
    ProcessState result;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool pending = false;
    while (std::getline(status, line)) {
        if (line.starts_with("State:")) {
            result.state = line.size() > 7 ? line[7] : '?';
        } else if (line.starts_with("SigPnd:") || line.starts_with("ShdPnd:")) {
            pending = pending || line.find_first_not_of("0\t ", 7) != std::string::npos;
        }
    }
    result.signalPending = pending;
    return result;
}

}  // namespace

bool GameSession::awaitBlocked() {
    return awaitBlockedOutside(kRunning);
}

bool GameSession::awaitBlockedOutside(long systemCall) {
    const auto until = Clock::now() + stepDeadline();
    for (;;) {
        const ProcessState state = stateOf(game_);
        const long blocked = blockedIn();
        if (state.state == 'S' && !state.signalPending && blocked != kRunning &&
            blocked != systemCall) {
            return true;
        }
        if (state.state == 'Z' || state.state == '?') {
            timedOut("the game to wait in a system call: it has ended");
            return false;
        }
        if (Clock::now() >= until) {
            timedOut(systemCall == kRunning ? std::string("the game to wait in a system call")
                                            : "the game to wait in a system call other than " +
                                                  std::to_string(systemCall));
            return false;
        }
        pump(5);
    }
}

// What a step waited for in vain, and where the game was: told on standard
// error, which the failing test's output shows.
void GameSession::timedOut(const std::string& what) {
    const ProcessState state = game_ > 0 ? stateOf(game_) : ProcessState{};
    const std::string tail =
        output_.substr(output_.size() - std::min<std::size_t>(output_.size(), 300));
    std::cerr << "GameSession: a step waited (at most " << stepDeadline().count() / 1000
              << " s) in vain for " << what << ";\n  the game is in state " << state.state
              << ", system call " << (game_ > 0 ? blockedIn() : kUnknown)
              << (state.signalPending ? ", signal pending" : "")
              << ";\n  its last output: " << shown(tail) << '\n';
}

long GameSession::blockedIn() const {
    std::ifstream syscall("/proc/" + std::to_string(game_) + "/syscall");
    std::string first;
    syscall >> first;
    if (first == "running") {
        return kRunning;
    }
    char* end = nullptr;
    const long number = std::strtol(first.c_str(), &end, 10);
    return !first.empty() && *end == '\0' ? number : kUnknown;
}

void GameSession::signal(int signal) const {
    ::kill(game_, signal);
}

void GameSession::command(char what) const {
    [[maybe_unused]] const auto done = ::write(shell_, &what, 1);
}

void GameSession::foreground() {
    command('f');
}

void GameSession::background() {
    command('b');
}

void GameSession::resize(unsigned short columns, unsigned short rows) const {
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    ::ioctl(master_, TIOCSWINSZ, &size);
}

termios GameSession::modes() const {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now;
}

int GameSession::unreadInput() const {
    int count = -1;
    ::ioctl(slave_, FIONREAD, &count);
    return count;
}

termios lineEditingModes(const termios& found) {
    termios modes = singleKeyModes(found);
    // Enter, Ctrl-V and the signal keys reach the editor as typed: no CR to
    // NL, no literal next, no signal from the terminal (the editor sends it).
    modes.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
    modes.c_lflag &= ~static_cast<tcflag_t>(IEXTEN | ISIG);
    return modes;
}

termios singleKeyModes(const termios& found) {
    termios modes = found;
    modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    return modes;
}

namespace {

std::string describeModes(const termios& modes) {
    std::ostringstream text;
    text << std::hex << "iflag " << modes.c_iflag << " oflag " << modes.c_oflag << " cflag "
         << modes.c_cflag << " lflag " << modes.c_lflag << std::dec << " cc";
    for (const cc_t c : modes.c_cc) {
        text << ' ' << static_cast<int>(c);
    }
    return text.str();
}

}  // namespace

void expectModes(const termios& now, const termios& wanted, const char* where) {
    // The same in every field that counts.
    const bool same = now.c_iflag == wanted.c_iflag && now.c_oflag == wanted.c_oflag &&
                      now.c_cflag == wanted.c_cflag && now.c_lflag == wanted.c_lflag &&
                      std::memcmp(now.c_cc, wanted.c_cc, sizeof now.c_cc) == 0 &&
                      cfgetispeed(&now) == cfgetispeed(&wanted) &&
                      cfgetospeed(&now) == cfgetospeed(&wanted);
    EXPECT_TRUE(same) << where << "\n     are " << describeModes(now) << "\nshould be "
                      << describeModes(wanted);
}

void expectEvent(GameSession& session, JobEvent::Kind kind, int value) {
    const std::optional<JobEvent> event = session.awaitEvent();
    ASSERT_TRUE(event.has_value()) << "no change of the game's state";
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(kind));
    EXPECT_EQ(event->value, value);
}

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

void stopAndResume(GameSession& session, std::string_view again, int stop) {
    const termios reading = session.modes();
    const std::string colour = lastColour(session.output());
    const std::size_t before = session.output().size();
    if (stop == SIGTSTP) {
        session.type("\x1a");
    } else {
        session.signal(stop);
    }
    expectEvent(session, JobEvent::Kind::Stopped, stop);
    if (stop != SIGSTOP) {
        expectModes(session.modes(), session.modesBefore(), "stopped");
        std::vector<std::string> reset;
        if (!colour.empty()) {
            reset.emplace_back("\x1b[0m");
            EXPECT_TRUE(session.awaitOutput(reset.front(), before));
        }
        EXPECT_EQ(coloursIn(session.output().substr(before)), reset) << "at the stop";
    }
    resume(session, again, reading, colour);
}

void resume(GameSession& session, std::string_view again, const termios& modes,
            std::string_view colour) {
    const std::size_t stopped = session.output().size();
    session.foreground();
    expectEvent(session, JobEvent::Kind::Continued, 0);
    ASSERT_TRUE(session.awaitOutput(again, stopped)) << "not drawn again";
    ASSERT_TRUE(session.awaitBlocked());
    const std::string after = session.output().substr(stopped);
    EXPECT_EQ(lastColour(after), colour) << "the colour is not taken up again";
    if (!colour.empty()) {
        EXPECT_LT(after.find(colour), after.rfind(again)) << "drawn before the colour";
    }
    expectModes(session.modes(), modes, "brought back");
}

}  // namespace cellbound::testing
