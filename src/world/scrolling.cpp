#include "world/scrolling.h"

#include <cstring>

#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "text/game_texts.h"
#include "world/map.h"

namespace {

struct Cell {
    int x = -1;
    int y = -1;
};

// Moves every living creature one cell the other way of the player's step.
void shift_creatures(int dx, int dy) {
    for (Creature* m = game.monsters; m != nullptr; m = m->next) {
        if (m->kind == KIND_DEAD) continue;
        m->x -= dx;
        m->y -= dy;
    }
    if (game.boss_mode != 0 && game.archmage->kind != KIND_DEAD) {
        game.archmage->x -= dx;
        game.archmage->y -= dy;
    }
}

void caught_by_fire() {
    game.restart_pending = 1;
    draw_screen();
    console_refresh();
    post_message(shown_text(GameText::caught_in_fire), COLOUR_LIGHT_RED);
    post_message(shown_text(GameText::mocking_voice), COLOUR_LIGHT_MAGENTA);
}

}  // namespace

void scroll_world(int dx, int dy) {
    static MapCell before[MAP_HEIGHT][MAP_WIDTH];
    static bool covered[MAP_HEIGHT][MAP_WIDTH];
    std::memcpy(before, map, sizeof before);
    std::memset(covered, 0, sizeof covered);

    for (int y = 0; y < MAP_HEIGHT; ++y) {
        for (int x = 0; x < MAP_WIDTH; ++x) {
            if (!in_bounds(x - dx, y - dy)) continue;
            map[y - dy][x - dx] = before[y][x];
            covered[y - dy][x - dx] = true;
        }
    }

    // New ground at the edge walked towards. The spawn cell and the scroll
    // cell are each chosen uniformly among the new cells by reservoir
    // sampling, in the same walk.
    int fresh = 0;
    Cell spawn_cell;
    Cell scroll_cell;
    for (int y = 0; y < MAP_HEIGHT; ++y) {
        for (int x = 0; x < MAP_WIDTH; ++x) {
            if (covered[y][x]) continue;
            const TerrainKind& kind = random_terrain_kind();
            map[y][x] = MapCell{kind.glyph, kind.colour};
            if (random_below(fresh + 1) == 0) spawn_cell = Cell{x, y};
            if (random_below(fresh + 1) == 0) scroll_cell = Cell{x, y};
            ++fresh;
        }
    }

    shift_creatures(dx, dy);

    if (fresh > 0) {
        if (random_below(14) == 0) spawn_monster(spawn_cell.x, spawn_cell.y);
        if (random_below(16) == 0) map[scroll_cell.y][scroll_cell.x].glyph = GLYPH_SCROLL;
    }

    if (map[game.player_y][game.player_x].glyph == GLYPH_FIRE) caught_by_fire();
}
