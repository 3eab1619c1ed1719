#include "game/out_of_memory.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "screen/exit_status.h"

void out_of_memory() {
    if (std::new_handler handler = std::get_new_handler()) handler();
    std::fputs("out of mem!", stderr);
    std::exit(EXIT_OUT_OF_MEMORY);
}
