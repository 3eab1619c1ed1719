// The play program: the game on the curses terminal. It takes no options.
#include <cstdlib>

#include "game/program.h"
#include "screen/console.h"
#include "screen/curses_terminal.h"
#include "screen/terminal_restore.h"

int main() {
    route_allocation_failures();
    install_terminal(open_curses_terminal());
    std::exit(program_entry());
}
