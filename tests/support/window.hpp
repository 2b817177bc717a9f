#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "console/bytes.hpp"
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

    [[nodiscard]] ByteSink& output() noexcept { return output_; }
    [[nodiscard]] int sizeDescriptor() const noexcept { return terminal_; }

    // The window made narrower or wider: the screen and the size reported
    // both change. The screen does not rewrap its rows.
    void resize(int columns, int rows);

    // Every byte written so far, and how many since the last call to this.
    [[nodiscard]] const std::string& written() const noexcept { return bytes_; }
    std::size_t writtenSinceLastAsked();

    Screen screen;

private:
    // Passes every flush to the screen as it comes.
    std::size_t pass(std::string_view written);

    int controller_ = -1;
    int terminal_ = -1;
    std::string bytes_;
    ByteSink output_{[this](std::string_view written) { return pass(written); }};
    std::size_t asked_ = 0;
};

}  // namespace cellbound::testing
