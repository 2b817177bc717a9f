#pragma once

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The real game on a pseudo-terminal, started by a small job-control shell
// of its own so that stops and continues work as they do under a shell:
// the game has a process group of its own, the shell takes the terminal
// back when it stops, and gives it again for fg. Every wait has a deadline
// and polls; nothing sleeps.
namespace cellbound::testing {

struct SessionOptions {
    // The game's whole environment; TERM is left out unless named here.
    std::vector<std::string> environment{"TERM=xterm-256color"};
    bool background = false;  // started as with `cellbound &`
    bool orphaned = false;    // no job-control shell above it: `exec cellbound`
    // Standard output handed over with O_NONBLOCK, and input with it unless
    // `output` opens the terminal apart ("/dev/tty").
    bool nonBlocking = false;
    std::vector<int> ignored;  // signals the game inherits as ignored
    unsigned short columns = 80;
    unsigned short rows = 24;
    std::string output;  // standard output to this file, in the session's folder
    std::string folder;  // made for the session
};

// What waitpid() said about the game.
struct JobEvent {
    enum class Kind { Stopped, Continued, Exited, Killed };
    Kind kind = Kind::Exited;
    int value = 0;  // the stop signal, the exit status or the killing signal
    bool coreDumped = false;
};

class GameSession {
public:
    explicit GameSession(const SessionOptions& options = {});
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;
    GameSession(GameSession&&) = delete;
    GameSession& operator=(GameSession&&) = delete;

    // Keys as the terminal sends them.
    void type(std::string_view keys);
    // Reads the game's output until `done` holds; false at the deadline,
    // told as the wait for `what`.
    bool await(const std::function<bool()>& done, const std::string& what);
    // Waits until the game has written `text` since `from` (an offset into
    // output()).
    bool awaitOutput(std::string_view text, std::size_t from = 0);
    // Everything the game has written so far.
    const std::string& output();
    // A file in the session's folder, as it is now.
    std::string file(const std::string& name) const;
    // The next change of the game's state, in order, with what the game wrote
    // before it; nothing at the deadline.
    std::optional<JobEvent> awaitEvent();
    // Waits until the game is blocked in a system call with no signal left
    // to handle: it waits for input, or for its output to be read.
    bool awaitBlocked();
    // The same, in any system call but this one (where /proc tells).
    bool awaitBlockedOutside(long systemCall);
    // Stops reading the game's output (until the next await), so that a
    // write of the game's can be made to wait.
    void holdOutput() { holding_ = true; }
    // The system call the game is blocked in, from /proc.
    static constexpr long kRunning = -1;
    static constexpr long kUnknown = -2;  // where /proc does not tell
    long blockedIn() const;

    void signal(int signal) const;
    // As the shell's fg and bg: continued with or without the terminal.
    void foreground();
    void background();
    void resize(unsigned short columns, unsigned short rows) const;

    // The terminal's modes now, and as they were before the game started.
    termios modes() const;
    const termios& modesBefore() const { return before_; }
    // Typed bytes that nobody has read.
    int unreadInput() const;

private:
    void pump(int timeoutMilliseconds);
    void timedOut(const std::string& what);
    void command(char what) const;

    int master_ = -1;
    int slave_ = -1;  // kept open to look at the terminal from outside
    int shell_ = -1;  // the socket to the job-control shell
    pid_t shellPid_ = -1;
    pid_t game_ = -1;
    std::string folder_;  // the game's working directory, cores and all
    termios before_{};
    std::string output_;
    std::vector<JobEvent> events_;
    std::size_t eventsTaken_ = 0;
    bool holding_ = false;
    bool ended_ = false;
};

// The modes a terminal gets in the game's line editor and at its pause,
// made from the modes it was found in.
termios lineEditingModes(const termios& found);
termios singleKeyModes(const termios& found);

// Checks, as GoogleTest expectations: the terminal's modes; the next change
// of the game's state.
void expectModes(const termios& now, const termios& wanted, const char* where);
void expectEvent(GameSession& session, JobEvent::Kind kind, int value);

// The colour sequences in some output, in order (ESC [ digits m); the last.
std::vector<std::string> coloursIn(std::string_view text);
std::string lastColour(std::string_view text);

// One stop and fg. The game is stopped by `stop` (typed as Ctrl-Z for
// SIGTSTP, sent otherwise) and must give the terminal back as it found it,
// resetting its colour (but for SIGSTOP, which it cannot see); then it is
// resumed with the modes and colour it had.
void stopAndResume(GameSession& session, std::string_view again, int stop);
// Brought to the foreground (fg), the game must take up `modes` and `colour`
// again and write `again` (the line being edited, the pause's prompt) before
// it waits for keys.
void resume(GameSession& session, std::string_view again, const termios& modes,
            std::string_view colour);

}  // namespace cellbound::testing
