#pragma once
// Shared set-up of the creature tests: monsters and the archmage placed by
// hand on a map of plain green ground.
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/state.h"
#include "support/test_support.h"
#include "world/map.h"

using Draws = std::vector<int>;

inline Creature* add_monster(int x, int y, int kind = KIND_CHASER) {
    Creature* m = new_monster();
    m->kind = kind;
    m->x = x;
    m->y = y;
    return m;
}

// The archmage in play at (x, y) with its full 77 hit points.
inline void put_archmage(int x, int y) {
    archmage = Creature{KIND_ARCHMAGE, x, y, 13, 0, '@', nullptr, nullptr};
    game.boss_mode = 1;
    archmage_hp = 77;
}

// Cells of the given glyph and colour; glyph 0 counts every glyph.
inline int count_cells(unsigned char glyph, int colour) {
    int count = 0;
    for (auto& row : map)
        for (auto& cell : row) count += (glyph == 0 || cell.glyph == glyph) && cell.colour == colour;
    return count;
}

class GreenMapTest : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        paint_map_green();
    }
};
