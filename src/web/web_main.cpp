// The browser program: the game on the page's terminal. When the game is
// over the page is told whether the archmage was slain.
#include <emscripten.h>

#include "creatures/archmage.h"
#include "game/program.h"
#include "screen/console.h"
#include "web/web_terminal.h"

EM_JS(void, page_game_over, (int won), { Module.drowselOver(won != 0); });

int main() {
    install_terminal(open_web_terminal());
    int status = program_entry();
    page_game_over(archmage_hp == 0);
    return status;
}
