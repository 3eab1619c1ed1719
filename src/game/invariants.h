#pragma once
// The rules the game keeps between two turns. Play never asks; long
// self-playing runs and the fuzzer check them after every turn.
#include <string>

// An empty text when every rule holds between two turns of a game still in
// play; else what the first broken rule is.
std::string broken_turn_rule();
// The same for the monster list alone (its links, the living monsters'
// records and cells), which must hold at any moment between two operations.
std::string broken_monster_list_rule();

// Monsters in the list whose kind is not 0.
int living_monster_count();
// Records in the list, dead or alive.
int monster_list_length();
