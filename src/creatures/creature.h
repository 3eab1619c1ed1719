#pragma once
// The record shared by every monster and by the archmage.
#include <cstdint>

enum CreatureKind : int32_t {
    KIND_DEAD = 0,  // waiting for the purge; nothing sees it any more
    KIND_CHASER = 1,
    KIND_WANDERER = 2,
    KIND_ARCHMAGE = 100,
};

struct Creature {
    int32_t kind;    // a CreatureKind
    int32_t x;       // map column; may lie off the map
    int32_t y;       // map row; may lie off the map
    int32_t colour;  // colour the creature is drawn in
    int32_t energy;  // action points
    unsigned char glyph;
    Creature* next;  // the monster inserted before this one
    Creature* prev;  // the monster inserted after this one
};

// A creature more than four cells beyond the map may be lost at its next
// action.
inline bool beyond_margin(const Creature* c) { return c->x < -4 || c->y < -4 || c->x > 82 || c->y > 23; }

// One step from `from` towards `to`: +1, -1 or 0 when already there.
inline int step_towards(int from, int to) { return from < to ? 1 : from > to ? -1 : 0; }
