#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>

#include "screen.hpp"

namespace cellbound::testing {

// A terminal window for code under test in the same process: what is
// written to `output()` is shown on `screen`, and `sizeDescriptor()` is a
// terminal (the far end of a pseudo-terminal) that reports the window's size
// to ioctl(TIOCGWINSZ), as the player's terminal does. A line feed written
// starts a new row, as the terminal's output processing makes it do.
class Window {
public:
    Window(int columns, int rows);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    Window(Window&&) = delete;
    Window& operator=(Window&&) = delete;

    [[nodiscard]] std::streambuf& output() noexcept { return output_; }
    [[nodiscard]] int sizeDescriptor() const noexcept { return terminal_; }

    // The window made narrower or wider: the screen and the size reported
    // both change. The screen does not rewrap its rows.
    void resize(int columns, int rows);

    // Every byte written so far, and how many since the last call to this.
    [[nodiscard]] const std::string& written() const noexcept { return output_.bytes; }
    std::size_t writtenSinceLastAsked();

    Screen screen;

private:
    // Passes every write to the screen as it comes; a sync changes nothing.
    struct Output : std::streambuf {
        explicit Output(Screen& shown) : screen(shown) {}
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        void pass(std::string_view written);
        Screen& screen;
        std::string bytes;
    };

    int controller_ = -1;
    int terminal_ = -1;
    Output output_{screen};
    std::size_t asked_ = 0;
};

}  // namespace cellbound::testing
