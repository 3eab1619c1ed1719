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
