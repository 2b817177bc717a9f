// In-process: which TERM names take ANSI sequences, where a key ends, and
// the pause's read of a whole key.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <string_view>

#include "terminal/descriptors.hpp"
#include "terminal/terminal_state.hpp"

namespace cellbound {
namespace {

TEST(TakesAnsi, KnownFamiliesAndTheirVariants) {
    for (const char* term : {"xterm",
                             "xterm-256color",
                             "xterm-kitty",
                             "screen",
                             "screen-256color",
                             "screen.xterm-256color",
                             "tmux-256color",
                             "rxvt",
                             "rxvt-unicode-256color",
                             "linux",
                             "linux-16color",
                             "vt100",
                             "vt102",
                             "vt220",
                             "vt320-8bit",
                             "vt520",
                             "konsole-256color",
                             "gnome-256color",
                             "alacritty",
                             "kitty",
                             "foot",
                             "foot-extra",
                             "st-256color",
                             "putty",
                             "ansi",
                             "cygwin",
                             "Eterm-color",
                             "mintty",
                             "wezterm",
                             "ms-terminal"}) {
        EXPECT_TRUE(terminal_state::takesAnsi(term)) << term;
    }
}

TEST(TakesAnsi, UnknownAndNonAnsiNames) {
    for (const char* term :
         {"",        "dumb",    "vt52",  "vt50",     "vt05",   "vt",         "vt1000x",
          "unknown", "network", "emacs", "xtermish", "sterm",  "screenplay", "tty33",
          "adm3a",   "hp2621",  "XTERM", "lineux",   "vt100x", "-xterm",     "ansible"}) {
        EXPECT_FALSE(terminal_state::takesAnsi(term)) << term;
    }
}

TEST(EndsInsideKey, WholeKeys) {
    for (const std::string_view keys :
         {"x", "look", "\r", "\x1b[A", "\x1bOP", "\x1b[15~", "\x1b[1;5C", "\x1b[[A", "\x1b\x1b[C",
          "\x1bx", "\x1b\xc3\xa9", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xff", "\x80",
          "\xc3x", "\x1b[A\x1b[B", "\x1b[Ax"}) {
        EXPECT_FALSE(endsInsideKey(keys)) << testing::PrintToString(std::string(keys));
    }
}

TEST(EndsInsideKey, KeysCutShort) {
    for (const std::string_view keys :
         {"\x1b", "\x1b[", "\x1b[1", "\x1b[1;5", "\x1bO", "\x1b[[", "\x1b\x1b", "\x1b\x1b[", "\xc3",
          "\xe2\x82", "\xf0\x9f\x98", "\x1b\xc3", "x\x1b", "\x1b[A\x1b["}) {
        EXPECT_TRUE(endsInsideKey(keys)) << testing::PrintToString(std::string(keys));
    }
}

class Pipe {
public:
    Pipe() {
        if (::pipe(ends_.data()) != 0) {
            ADD_FAILURE() << "no pipe";
        }
    }
    ~Pipe() {
        ::close(ends_[0]);
        closeWriting();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    Pipe(Pipe&&) = delete;
    Pipe& operator=(Pipe&&) = delete;

    void write(std::string_view bytes) const {
        EXPECT_EQ(::write(ends_[1], bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
    }
    void closeWriting() {
        if (ends_[1] >= 0) {
            ::close(ends_[1]);
            ends_[1] = -1;
        }
    }
    [[nodiscard]] int reading() const { return ends_[0]; }
    [[nodiscard]] bool readable() const {
        pollfd waiting{ends_[0], POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

private:
    std::array<int, 2> ends_{-1, -1};
};

TEST(TakeKey, TakesAKeyAndWhatCameWithIt) {
    Pipe keyboard;
    keyboard.write("\x1b[Alook\r");
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 8);
    EXPECT_EQ(key, "\x1b[Alook\r");
    EXPECT_FALSE(keyboard.readable());
}

TEST(TakeKey, TheRestOfAKeyCutShortEndsWithTheInput) {
    Pipe keyboard;
    keyboard.write("\x1b[1;");
    keyboard.closeWriting();
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 4);
    EXPECT_EQ(key, "\x1b[1;");
}

TEST(TakeKey, WaitsOnADescriptorLeftNonBlocking) {
    Pipe keyboard;
    ::fcntl(keyboard.reading(), F_SETFL, ::fcntl(keyboard.reading(), F_GETFL) | O_NONBLOCK);
    keyboard.write("\xe2\x82\xac");
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 3);
    EXPECT_EQ(key, "\xe2\x82\xac");
    keyboard.closeWriting();
    EXPECT_EQ(takeKey(keyboard.reading(), key), 0) << "the end of input";
}

}  // namespace
}  // namespace cellbound
