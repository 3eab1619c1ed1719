#pragma once
// The archmage, the final boss: summoning, its actions and its defeat.
#include <cstdint>

#include "creatures/creature.h"

// The one archmage record, never in the monster list.
extern Creature archmage;
extern int32_t archmage_hp;

constexpr int ARCHMAGE_MAX_HP = 77;
constexpr int MELEE_DAMAGE = 5;
constexpr int RANGED_DAMAGE = 2;

void summon_archmage();
void place_archmage(Creature* c);
void place_fire_pillars(int n);
void archmage_act(Creature* c);
void hit_archmage(Creature* c, int damage);
