#include "world/map.h"

#include "creatures/creature.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/colours.h"

MapCell map[MAP_HEIGHT][MAP_WIDTH];
TerrainKind terrain_palette[TERRAIN_PALETTE_SIZE];

namespace {

// The glyph of a rerolled kind: a chain of draws, each taken only when the
// ones before it did not decide. Mostly plain ground.
unsigned char roll_terrain_glyph() {
    if (random_below(3) != 0) return '.';
    if (random_below(4) == 0) return ':';
    if (random_below(4) == 0) return ';';
    if (random_below(4) == 0) return '#';
    return random_below(2) != 0 ? 's' : '.';
}

void reroll_one_kind(int index) {
    int colour = random_below(15) + 1;  // never black
    unsigned char glyph = roll_terrain_glyph();
    terrain_palette[index] = TerrainKind{glyph, colour};
}

}  // namespace

void reroll_terrain_kind(int index) {
    if (index < 0) {
        for (int k = 0; k < TERRAIN_PALETTE_SIZE; ++k) reroll_one_kind(k);
    } else if (index < TERRAIN_PALETTE_SIZE) {
        reroll_one_kind(index);
    }
}

const TerrainKind& random_terrain_kind() { return terrain_palette[random_below(TERRAIN_PALETTE_SIZE)]; }

void regenerate_terrain(int include_fire) {
    reroll_terrain_kind(-1);
    for (int y = 0; y < MAP_HEIGHT; ++y) {
        for (int x = 0; x < MAP_WIDTH; ++x) {
            // Every cell takes its draw, spared or not, so the number of
            // draws never depends on the fire on the map.
            const TerrainKind& kind = random_terrain_kind();
            if (include_fire == 0 && map[y][x].glyph == GLYPH_FIRE) continue;
            map[y][x] = MapCell{kind.glyph, kind.colour};
        }
    }
}

int in_bounds(int x, int y) { return x >= 0 && x < MAP_WIDTH && y >= 0 && y < MAP_HEIGHT ? 1 : 0; }

int is_player_at(int x, int y) { return x == game.player_x && y == game.player_y ? 1 : 0; }

void scorch_area(const Creature* c) {
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            if (dx * dx + dy * dy > 12) continue;
            int x = c->x + dx;
            int y = c->y + dy;
            if (in_bounds(x, y)) map[y][x].colour = COLOUR_LIGHT_RED;
        }
    }
}
