#include "game/program.h"

#include "game/random.h"
#include "game/turn.h"
#include "screen/console.h"
#include "screen/pages.h"

int program_entry() {
    console_start();
    splash_screen();
    title_screen();
    seed_random_from_clock();
    while (new_game() != 0) {
    }
    console_shutdown();
    return 0;
}
