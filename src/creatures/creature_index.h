#pragma once
// Where the living monsters stand, by cell, for the two operations that ask
// over and over: the redraw (once for every map cell) and the monsters' turn
// (once for every step). Without it each question walks the whole monster
// list, and a crowded dream costs the square of its monsters.
//
// The index only ever gives what the list walk gives: a cell holding one
// indexed monster answers with it after checking that it is still alive and
// still there; an empty cell answers nothing; anything else (a cell shared
// by two monsters, a monster that died on it, a cell outside the indexed
// window) is answered by the list walk itself. The archmage is never
// indexed; find_creature_at applies its rule after the monsters, as always.
//
// It is built when a scope opens and forgotten when it closes, so outside
// draw_screen and monsters_act every question walks the list, and code that
// moves creatures by other means needs to tell nobody.
#include "creatures/creature.h"

// Opens the index for the lifetime of the object: builds it from the monster
// list, unless an outer scope is already open (then it is shared).
class CreatureIndexScope {
   public:
    CreatureIndexScope();
    ~CreatureIndexScope();
    CreatureIndexScope(const CreatureIndexScope&) = delete;
    CreatureIndexScope& operator=(const CreatureIndexScope&) = delete;
};

// True while a scope is open and the index is enabled.
bool creature_index_active();
// The living monster at (x, y) that walking the list from its head would
// find first, or nullptr. Only while the index is active.
Creature* indexed_monster_at(int x, int y);
// A living monster has moved from (old_x, old_y) to (m->x, m->y). Nothing
// to do while no scope is open.
void creature_index_moved(Creature* m, int old_x, int old_y);

// The window of cells indexed: columns -16..94 and rows -16..35, the map
// with a wide margin. Monsters further out are rare, and found by the walk.
constexpr int CREATURE_INDEX_LEFT = -16;
constexpr int CREATURE_INDEX_TOP = -16;
constexpr int CREATURE_INDEX_COLUMNS = 111;
constexpr int CREATURE_INDEX_ROWS = 52;

// For tests and measurements: with false every question walks the list,
// scopes or not. On by default.
void set_creature_index_enabled(bool enabled);
