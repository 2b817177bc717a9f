// In-process: which TERM names take ANSI sequences, where a key ends, and
// the pause's read of a whole key and of a paste.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <sys/syscall.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

#include "../support/pipe.hpp"
#include "platform/descriptors.hpp"
#include "platform/keys.hpp"
#include "platform/terminal_state.hpp"

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

// Every name the README promises the editor and colour to, alone and with
// a variant.
TEST(TakesAnsi, EveryNameTheReadmeLists) {
    std::ifstream readme(CELLBOUND_README);
    const std::string text{std::istreambuf_iterator<char>(readme), {}};
    const std::size_t from = text.find("Known to take ANSI");
    const std::size_t to = text.find("There the game uses colour", from);
    ASSERT_NE(from, std::string::npos) << "the README's list of terminals is gone";
    ASSERT_NE(to, std::string::npos);
    std::size_t names = 0;
    for (std::size_t at = text.find('`', from); at < to; at = text.find('`', at)) {
        const std::size_t end = text.find('`', at + 1);
        const std::string name = text.substr(at + 1, end - at - 1);
        at = end + 1;
        if (name.size() < 2 || name.find('/') != std::string::npos) {
            continue;  // the '-' or '.' before a variant, a file name
        }
        ++names;
        EXPECT_TRUE(terminal_state::takesAnsi(name)) << name;
        EXPECT_TRUE(terminal_state::takesAnsi(name + "-256color")) << name;
    }
    EXPECT_GE(names, 28U);
}

// Only the terminals known to cut their rows at a new width are drawn for.
TEST(RewrapsRows, AllButTheLinuxConsoleStAndTheDecTerminals) {
    for (const char* term : {"xterm-256color", "screen", "tmux-256color", "konsole", "kitty",
                             "rxvt-unicode", "stterm", "vte"}) {
        EXPECT_TRUE(terminal_state::rewrapsRows(term)) << term;
    }
    for (const char* term : {"linux", "linux-16color", "st", "st-256color", "vt100", "vt220"}) {
        EXPECT_FALSE(terminal_state::rewrapsRows(term)) << term;
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

using testing::Pipe;

// Whether the decoder, fed these bytes, waits for more of a key.
bool endsInsideKey(std::string_view bytes) {
    keys::Decoder decoder;
    for (const char c : bytes) {
        if (decoder.feed(static_cast<unsigned char>(c)) == keys::Step::Before) {
            decoder.feed(static_cast<unsigned char>(c));
        }
    }
    return decoder.inside();
}

TEST(EndsInsideKey, WholeKeys) {
    for (const std::string_view keys :
         {"x", "look", "\r", "\x1b[A", "\x1bOP", "\x1b[15~", "\x1b[1;5C", "\x1b[[A", "\x1b\x1b[C",
          "\x1bx", "\x1b\xc3\xa9", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xff", "\x80",
          "\xc3x", "\x1b[A\x1b[B", "\x1b[Ax"}) {
        EXPECT_FALSE(endsInsideKey(keys)) << ::testing::PrintToString(std::string(keys));
    }
}

TEST(EndsInsideKey, KeysCutShort) {
    for (const std::string_view keys :
         {"\x1b", "\x1b[", "\x1b[1", "\x1b[1;5", "\x1bO", "\x1b[[", "\x1b\x1b", "\x1b\x1b[", "\xc3",
          "\xe2\x82", "\xf0\x9f\x98", "\x1b\xc3", "x\x1b", "\x1b[A\x1b[", "\x1b[?1;2",
          "\xf4\x8f"}) {
        EXPECT_TRUE(endsInsideKey(keys)) << ::testing::PrintToString(std::string(keys));
    }
}

TEST(TakeKey, TakesAKeyAndWhatCameWithIt) {
    Pipe keyboard;
    ASSERT_TRUE(keyboard.write("\x1b[Alook\r"));
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 8);
    EXPECT_EQ(key, "\x1b[Alook\r");
    EXPECT_FALSE(keyboard.readable());
}

// A paste of 3,000 short lines: all of it, in many more reads than a key.
TEST(TakeKey, ReadsUntilThePasteIsOver) {
    Pipe keyboard;
    std::string paste;
    for (int i = 0; i < 3000; ++i) {
        paste += "north\r";
    }
    ASSERT_TRUE(keyboard.write(paste));
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 18000);
    EXPECT_FALSE(keyboard.readable());
}

TEST(TakeKey, TheRestOfAKeyCutShortEndsWithTheInput) {
    Pipe keyboard;
    ASSERT_TRUE(keyboard.write("\x1b[1;"));
    keyboard.closeWriting();
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 4);
    EXPECT_EQ(key, "\x1b[1;");
}

TEST(TakeKey, WaitsOnADescriptorLeftNonBlocking) {
    Pipe keyboard;
    ::fcntl(keyboard.reading(), F_SETFL, ::fcntl(keyboard.reading(), F_GETFL) | O_NONBLOCK);
    ASSERT_TRUE(keyboard.write("\xe2\x82\xac"));
    std::string key;
    EXPECT_EQ(takeKey(keyboard.reading(), key), 3);
    EXPECT_EQ(key, "\xe2\x82\xac");
    keyboard.closeWriting();
    EXPECT_EQ(takeKey(keyboard.reading(), key), 0) << "the end of input";
}

// The game's writes, made to wait at a known point: a pipe filled to the
// brim, a thread that acts once the writer sleeps in the call named.
void fill(const Pipe& pipe) {
    const int flags = ::fcntl(pipe.writing(), F_GETFL);
    ::fcntl(pipe.writing(), F_SETFL, flags | O_NONBLOCK);
    const std::string page(4096, '.');
    while (::write(pipe.writing(), page.data(), page.size()) > 0) {
    }
    ::fcntl(pipe.writing(), F_SETFL, flags);
}

// Waits until the thread sleeps in one of these system calls; false after
// five seconds.
bool awaitSleepingIn(pid_t thread, std::initializer_list<long> calls) {
    const std::string path = "/proc/self/task/" + std::to_string(thread) + "/syscall";
    for (int tries = 0; tries < 5000; ++tries) {
        std::ifstream syscall(path);
        long number = -1;
        if (syscall >> number && std::find(calls.begin(), calls.end(), number) != calls.end()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << "the writer never waited in the system call looked for";
    return false;
}

std::string drain(int descriptor) {
    std::string all;
    std::array<char, 4096> block{};
    for (long count = 0; (count = ::read(descriptor, block.data(), block.size())) > 0;) {
        all.append(block.data(), static_cast<std::size_t>(count));
    }
    return all;
}

std::string numbered(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += std::to_string(i) + ' ';
    }
    text.resize(size);
    return text;
}

volatile std::sig_atomic_t interruptions =
    0;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
extern "C" void onInterrupt(int /*signal*/) {
    interruptions = interruptions + 1;
}

TEST(DescriptorOutput, AWriteInterruptedBeforeWritingAnythingIsMadeAgain) {
    Pipe pipe;
    fill(pipe);
    struct sigaction interrupt = {};
    interrupt.sa_handler = &onInterrupt;  // no SA_RESTART: write() fails with EINTR
    sigemptyset(&interrupt.sa_mask);
    struct sigaction before = {};
    ASSERT_EQ(::sigaction(SIGUSR1, &interrupt, &before), 0);
    interruptions = 0;
    const pid_t writer = ::gettid();
    const pthread_t writerThread = ::pthread_self();
    std::string read;
    std::thread reader([&] {
        if (awaitSleepingIn(writer, {SYS_write})) {
            ::pthread_kill(writerThread, SIGUSR1);
            // Back in write() once interrupted: then read, as a terminal does.
            while (interruptions == 0) {
                std::this_thread::yield();
            }
            static_cast<void>(awaitSleepingIn(writer, {SYS_write}));
        }
        read = drain(pipe.reading());
    });
    const std::string text = numbered(1000);
    DescriptorOutput output(pipe.writing());
    output.sink().write(text);
    EXPECT_TRUE(output.sink().flush());
    EXPECT_EQ(output.error(), 0) << std::strerror(output.error());
    pipe.closeWriting();
    reader.join();
    ::sigaction(SIGUSR1, &before, nullptr);
    EXPECT_EQ(interruptions, 1);
    ASSERT_GE(read.size(), text.size());
    EXPECT_EQ(read.substr(read.size() - text.size()), text);
    EXPECT_EQ(read.find_first_not_of('.'), read.size() - text.size());
}

TEST(DescriptorOutput, AfterAPartialWriteTheRestFollows) {
    Pipe pipe;
    fill(pipe);
    ::fcntl(pipe.writing(), F_SETFL, ::fcntl(pipe.writing(), F_GETFL) | O_NONBLOCK);
    std::array<char, 4096> room{};  // one page free: the write takes part only
    ASSERT_EQ(::read(pipe.reading(), room.data(), room.size()), 4096);
    const pid_t writer = ::gettid();
    std::string read;
    std::thread reader([&] {
        // Waiting for room after the first part.
        static_cast<void>(awaitSleepingIn(writer, {SYS_poll, SYS_ppoll}));
        read = drain(pipe.reading());
    });
    const std::string text = numbered(20000);
    DescriptorOutput output(pipe.writing());
    output.sink().write(text);
    EXPECT_TRUE(output.sink().flush());
    pipe.closeWriting();
    reader.join();
    ASSERT_GE(read.size(), text.size());
    EXPECT_EQ(read.substr(read.size() - text.size()), text);
    EXPECT_EQ(read.find_first_not_of('.'), read.size() - text.size());
}

// Giving the terminal back (on a terminating signal, at a stop) resets the
// colour even on output that is non-blocking and full: it waits for room.
TEST(GiveBack, ResetsTheColourOnFullNonBlockingOutput) {
    Pipe pipe;
    fill(pipe);
    ::fcntl(pipe.writing(), F_SETFL, ::fcntl(pipe.writing(), F_GETFL) | O_NONBLOCK);
    const int kept = ::dup(STDOUT_FILENO);
    ASSERT_EQ(::dup2(pipe.writing(), STDOUT_FILENO), STDOUT_FILENO);
    terminal_state::takeOver(false, true);
    const pid_t writer = ::gettid();
    std::string read;
    std::thread reader([&] {
        static_cast<void>(awaitSleepingIn(writer, {SYS_poll, SYS_ppoll}));
        read = drain(pipe.reading());
    });
    terminal_state::giveBack();
    ::dup2(kept, STDOUT_FILENO);
    ::close(kept);
    pipe.closeWriting();
    reader.join();
    EXPECT_TRUE(read.ends_with("\x1b[0m")) << read.substr(read.find_first_not_of('.'));
}

}  // namespace
}  // namespace cellbound
