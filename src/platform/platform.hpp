#pragma once

#include <memory>
#include <string_view>

#include "console/console.hpp"

namespace cellbound {

// The platform the game runs on: the POSIX terminal, the Windows console or
// the web page. It owns the process's standard streams as the game sees
// them, shows the colours, and waits for a key at the end. The one place
// that touches the process's streams and the terminal.
class Platform {
public:
    Platform();
    // Gives the terminal back as it was found, as far as the platform allows.
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    Platform(Platform&&) = delete;
    Platform& operator=(Platform&&) = delete;

    Console& console();

    // What the final pause asks, the same on every platform that asks it.
    static constexpr std::string_view kPausePrompt = "Press any key to continue . . . ";

    // Ends the session: asks for any key and waits for it, and gives the
    // exit status. When output could not be written, there is no wait: the
    // error is reported on standard error and the status is 1.
    int finish();

private:
    // The streams, the console over them and what the platform keeps.
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

}  // namespace cellbound
