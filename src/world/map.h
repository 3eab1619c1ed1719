#pragma once
// The 79 x 20 window of terrain around the player and the palette of seven
// terrain kinds that new cells are copied from.
#include <cstdint>

struct Creature;

constexpr int MAP_WIDTH = 79;
constexpr int MAP_HEIGHT = 20;
constexpr int TERRAIN_PALETTE_SIZE = 7;

constexpr unsigned char GLYPH_FIRE = '!';
constexpr unsigned char GLYPH_SCROLL = '?';

struct MapCell {
    unsigned char glyph;
    int32_t colour;
};

struct TerrainKind {
    unsigned char glyph;
    int32_t colour;
};

// Indexed map[y][x]: row, then column. Map cell (x, y) shows on screen row
// y + 1, column x.
extern MapCell map[MAP_HEIGHT][MAP_WIDTH];
extern TerrainKind terrain_palette[TERRAIN_PALETTE_SIZE];

// Gives kind `index` a new colour and glyph; a negative index rerolls all
// seven, 0 to 6.
void reroll_terrain_kind(int index);
// A palette kind chosen at random (one draw).
const TerrainKind& random_terrain_kind();
// Rerolls the palette and regenerates every cell; with include_fire 0 the
// fire pillars are spared.
void regenerate_terrain(int include_fire);
int in_bounds(int x, int y);
int is_player_at(int x, int y);
// Turns the disc of ground around a destroyed creature light red.
void scorch_area(const Creature* c);
