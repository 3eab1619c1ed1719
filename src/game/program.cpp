#include "game/program.h"

#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "game/turn.h"
#include "screen/console.h"
#include "screen/exit_status.h"
#include "screen/pages.h"

void reset_to_program_start() {
    set_creature_allocation_limit(-1);
    reset_all_state();
    random_reset_controls();
}

int program_entry() {
    console_start();
    splash_screen();
    title_screen();
    seed_random_from_clock();
    while (new_game() != 0) {}
    console_shutdown();
    return EXIT_DONE;
}
