#include "game/turn_loop.hpp"
#include "platform/terminal.hpp"

int main() {
    cellbound::Terminal terminal;
    cellbound::play(terminal.console());
    return terminal.finish();
}
