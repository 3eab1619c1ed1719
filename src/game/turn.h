#pragma once
// One game: its dreams and the turn cycle with the energy scheme.

// Intro, first dream, turns until the game is over. Returns 0.
int new_game();
// Begins a new dream: new terrain, counters and archmage reset, monsters gone.
void reset_world();
// One turn. Returns 1 while the game goes on, 0 once it is over.
int run_turn();
