#include "game/turn_loop.hpp"
#include "platform/platform.hpp"

int main() {
    cellbound::Platform platform;
    cellbound::play(platform.console());
    return platform.finish();
}
