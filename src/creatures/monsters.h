#pragma once
// The monsters: a doubly linked list, newest first, headed by game.monsters.
#include "creatures/creature.h"

// A zero-filled record; ends the program with "out of mem!" when memory is
// exhausted.
Creature* alloc_creature();
Creature* new_monster();
void unlink_monster(Creature* m);
void purge_dead_monsters();
void clear_monsters();
// The living monster at (x, y), newest first; else the archmage if it is in
// play and stands there; else nullptr.
Creature* find_creature_at(int x, int y);
void spawn_monster(int x, int y);
void monsters_act();
void monster_step(Creature* m);
void kill_monster(Creature* m);

// For tests: the next `allocations` records are granted, then memory runs
// out. A negative value means no limit (the default).
void set_creature_allocation_limit(long allocations);
