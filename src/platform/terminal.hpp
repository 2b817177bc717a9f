#pragma once

#include <memory>

#include "console/console.hpp"

namespace cellbound {

// The process's own console: the standard streams, the colours on this
// platform, and the wait for a key at the end. The one place that touches
// the process's streams and the terminal.
class Terminal {
public:
    Terminal();
    // Gives the terminal back as it was found, as far as the platform allows.
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    Terminal(Terminal&&) = delete;
    Terminal& operator=(Terminal&&) = delete;

    Console& console();

    // Ends the session: asks for any key and waits for it, and gives the
    // exit status. When output could not be written, there is no wait: the
    // error is reported on standard error and the status is 1.
    int finish();

private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

}  // namespace cellbound
