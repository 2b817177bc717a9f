// The Windows console: colours through the console API, and the platform's
// own pause command at the end.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "terminal/terminal.hpp"

namespace cellbound {

struct Terminal::Platform {
    // Results are ignored: redirected output simply has no colour.
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    Console console{*std::cin.rdbuf(), *std::cout.rdbuf(),
                    [handle = output](TextAttribute attribute) {
                        SetConsoleTextAttribute(handle, static_cast<WORD>(attribute));
                    }};
};

Terminal::Terminal() {
    std::ios::sync_with_stdio(false);
    platform_ = std::make_unique<Platform>();
}

Terminal::~Terminal() = default;

Console& Terminal::console() {
    return platform_->console;
}

int Terminal::finish() {
    if (platform_->console.outputFailed()) {
        std::fputs("cellbound: write error\n", stderr);
        return 1;
    }
    std::cout.flush();
    static_cast<void>(std::system("pause"));
    return 0;
}

}  // namespace cellbound
