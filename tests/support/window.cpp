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
    const std::size_t count = output_.bytes.size() - asked_;
    asked_ = output_.bytes.size();
    return count;
}

void Window::Output::pass(std::string_view written) {
    bytes += written;
    // The terminal's output processing, as a terminal is set by default
    // (ONLCR): a line feed goes to the start of the next row.
    for (std::size_t end = written.find('\n'); end != std::string_view::npos;
         end = written.find('\n')) {
        screen.feed(written.substr(0, end));
        screen.feed("\r\n");
        written.remove_prefix(end + 1);
    }
    screen.feed(written);
}

Window::Output::int_type Window::Output::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        const char byte = traits_type::to_char_type(c);
        pass(std::string_view(&byte, 1));
    }
    return traits_type::not_eof(c);
}

std::streamsize Window::Output::xsputn(const char* text, std::streamsize count) {
    pass(std::string_view(text, static_cast<std::size_t>(count)));
    return count;
}

}  // namespace cellbound::testing
