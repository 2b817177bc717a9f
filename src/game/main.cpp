#include "terminal/terminal.hpp"
#include "game/turn_loop.hpp"

int main() {
    cellbound::Terminal terminal;
    cellbound::play(terminal.console());
    terminal.pause();
    return 0;
}
