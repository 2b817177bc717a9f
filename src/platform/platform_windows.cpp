// The Windows console: colours through the console API, and the platform's
// own pause command at the end.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/platform.hpp"

namespace cellbound {

// The standard streams through the C runtime's descriptors, in their text
// mode: a line read ends in a line feed, and a line feed is written as
// CR LF, as the console and Windows programs expect.
struct Platform::Streams {
    std::array<char, 8192> block{};
    ByteSource input{[this] {
        const int count = _read(_fileno(stdin), block.data(), static_cast<unsigned>(block.size()));
        return count > 0 ? std::string_view(block.data(), static_cast<std::size_t>(count))
                         : std::string_view();
    }};
    ByteSink output{[](std::string_view bytes) -> std::size_t {
        const auto size = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int count = _write(_fileno(stdout), bytes.data(), size);
        return count > 0 ? static_cast<std::size_t>(count) : 0;
    }};
    // Results are ignored: redirected output simply has no colour.
    HANDLE screen = GetStdHandle(STD_OUTPUT_HANDLE);
    Console console{input, output, [handle = screen](Colour colour) {
                        SetConsoleTextAttribute(handle, lookOf(colour).windowsAttribute);
                    }};
};

Platform::Platform() : streams_(std::make_unique<Streams>()) {}

Platform::~Platform() = default;

Console& Platform::console() {
    return streams_->console;
}

int Platform::finish() {
    if (streams_->console.outputFailed()) {
        std::fputs("cellbound: write error\n", stderr);
        return 1;
    }
    streams_->output.flush();
    static_cast<void>(std::system("pause"));
    return 0;
}

}  // namespace cellbound
