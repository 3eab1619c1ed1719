#pragma once
// The program's run from screen start-up to the exit status, on whatever
// terminal is installed.

// Puts the game back as the program finds it at its start: no monsters, the
// starting state, no limit on creatures, the random generator unscripted
// and unfixed (its seed is the caller's). For many runs in one process.
void reset_to_program_start();

// Screen start-up, splash, title, seeding, one game. Returns the exit status.
int program_entry();
