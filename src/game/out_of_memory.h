#pragma once
// Running out of memory ends the game. The play program's new-handler gives
// the terminal back first; without one, "out of mem!" on standard error and
// status 1.
[[noreturn]] void out_of_memory();
