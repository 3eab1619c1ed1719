// The browser program: the game on the page's terminal. The page's address
// may fix the seed (?seed=N); when the game is over the page is told whether
// the archmage was slain.
#include <emscripten.h>

#include "creatures/archmage.h"
#include "game/program.h"
#include "game/random.h"
#include "screen/console.h"
#include "web/web_terminal.h"

// The seed of ?seed=N (0..4294967295, digits only), or -1 for none.
EM_JS(double, page_seed, (), {
    const text = new URLSearchParams(window.location.search).get('seed');
    return text !== null && /^[0-9]{1,10}$/.test(text) && Number(text) <= 4294967295 ? Number(text) : -1;
});
EM_JS(void, page_game_over, (int won), { Module.drowselOver(won != 0); });

int main() {
    install_terminal(open_web_terminal());
    double seed = page_seed();
    if (seed >= 0) random_fix_seed(static_cast<unsigned>(seed));
    int status = program_entry();
    page_game_over(archmage_hp == 0);
    return status;
}
