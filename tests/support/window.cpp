#include "window.hpp"

#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <stdexcept>

namespace cellbound::testing {

namespace {

winsize sizeOf(int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    return size;
}

}  // namespace

Window::Window(int columns, int rows) : screen(columns, rows) {
    winsize size = sizeOf(columns, rows);
    if (::openpty(&controller_, &terminal_, nullptr, nullptr, &size) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
}

Window::~Window() {
    ::close(terminal_);
    ::close(controller_);
}

void Window::resize(int columns, int rows) {
    screen.resize(columns, rows);
    const winsize size = sizeOf(columns, rows);
    if (::ioctl(controller_, TIOCSWINSZ, &size) != 0) {
        throw std::runtime_error("the pseudo-terminal keeps its size");
    }
}

std::size_t Window::writtenSinceLastAsked() {
    const std::size_t count = bytes_.size() - asked_;
    asked_ = bytes_.size();
    return count;
}

std::size_t Window::pass(std::string_view written) {
    bytes_ += written;
    const std::size_t count = written.size();
    // The terminal's output processing, as a terminal is set by default
    // (ONLCR): a line feed goes to the start of the next row.
    for (std::size_t end = written.find('\n'); end != std::string_view::npos;
         end = written.find('\n')) {
        screen.feed(written.substr(0, end));
        screen.feed("\r\n");
        written.remove_prefix(end + 1);
    }
    screen.feed(written);
    return count;
}

}  // namespace cellbound::testing
