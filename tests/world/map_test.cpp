// The terrain palette, regeneration of the map, bounds and scorching.
#include "world/map.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "creatures/creature.h"
#include "game/random.h"
#include "support/test_support.h"

namespace {

using Draws = std::vector<int>;

void fill_map(MapCell cell) {
    for (auto& row : map)
        for (auto& c : row) c = cell;
}

int scorch_count_at(int x, int y) {
    fill_map({'.', 2});
    Creature c{};
    c.x = x;
    c.y = y;
    scorch_area(&c);
    int count = 0;
    for (auto& row : map)
        for (auto& cell : row) count += cell.colour == 12;
    return count;
}

}  // namespace

class TerrainTest : public GameTest {};

TEST_F(TerrainTest, RerollDrawsColourThenAGlyphChain) {
    struct Case {
        Draws raw, bounds;
        unsigned char glyph;
        int colour;
    };
    const Case cases[] = {
        {{4, 1}, {15, 3}, '.', 5},
        {{29, 0, 0}, {15, 3, 4}, ':', 15},
        {{0, 0, 1, 0}, {15, 3, 4, 4}, ';', 1},
        {{7, 3, 2, 3, 4}, {15, 3, 4, 4, 4}, '#', 8},
        {{2, 0, 1, 1, 1, 1}, {15, 3, 4, 4, 4, 2}, 's', 3},
        {{2, 0, 1, 1, 1, 0}, {15, 3, 4, 4, 4, 2}, '.', 3},
    };
    fill_map({'#', 6});
    for (const Case& c : cases) {
        random_script(c.raw);
        random_start_log();
        reroll_terrain_kind(2);
        EXPECT_EQ(random_log(), c.bounds);
        EXPECT_EQ(terrain_palette[2].glyph, c.glyph);
        EXPECT_EQ(terrain_palette[2].colour, c.colour);
    }
    // Other kinds and the map stay as they were.
    for (int k : {0, 1, 3, 4, 5, 6}) EXPECT_EQ(terrain_palette[k].colour, 0);
    for (auto& row : map)
        for (auto& cell : row) ASSERT_TRUE(cell.glyph == '#' && cell.colour == 6);

    // Any negative index rerolls every kind, 0 first.
    Draws script;
    for (int k = 0; k < 7; ++k) script.insert(script.end(), {k + 1, 3, 0});
    random_script(script);
    reroll_terrain_kind(-3);
    EXPECT_EQ(random_script_left(), 0);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(terrain_palette[k].glyph, ':');
        EXPECT_EQ(terrain_palette[k].colour, k + 2);
    }
}

TEST_F(TerrainTest, RegenerationDrawsOncePerCellAndMaySpareFire) {
    // Palette kind k is "." in colour k + 1; cell number i (row-major)
    // takes kind i % 7.
    Draws script, bounds;
    for (int k = 0; k < 7; ++k) {
        script.insert(script.end(), {k, 1});
        bounds.insert(bounds.end(), {15, 3});
    }
    for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; ++i) script.push_back(i % 7);
    bounds.insert(bounds.end(), 1580, 7);

    for (int include_fire : {0, 1}) {
        SCOPED_TRACE("include_fire " + std::to_string(include_fire));
        fill_map({'.', 2});
        map[3][5] = {'!', 14};
        map[18][70] = {'!', 12};  // a scorched pillar
        map[10][10] = {'?', 6};
        map[10][11] = {'.', 8};  // a read scroll
        random_script(script);
        random_start_log();
        regenerate_terrain(include_fire);
        EXPECT_EQ(random_log(), bounds);

        int fire = 0;
        for (int y = 0; y < MAP_HEIGHT; ++y)
            for (int x = 0; x < MAP_WIDTH; ++x) {
                if (map[y][x].glyph == '!') {
                    ++fire;
                    continue;
                }
                ASSERT_EQ(map[y][x].glyph, '.') << x << "," << y;
                ASSERT_EQ(map[y][x].colour, (y * MAP_WIDTH + x) % 7 + 1) << x << "," << y;
            }
        EXPECT_EQ(fire, include_fire ? 0 : 2);
        if (include_fire == 0) {
            EXPECT_EQ(map[3][5].colour, 14);
            EXPECT_EQ(map[18][70].colour, 12);
        }
    }
}

TEST_F(TerrainTest, BoundsAndPlayerCell) {
    EXPECT_EQ(in_bounds(0, 0), 1);
    EXPECT_EQ(in_bounds(78, 19), 1);
    EXPECT_EQ(in_bounds(-1, 0), 0);
    EXPECT_EQ(in_bounds(79, 0), 0);
    EXPECT_EQ(in_bounds(0, -1), 0);
    EXPECT_EQ(in_bounds(0, 20), 0);
    EXPECT_EQ(is_player_at(39, 9), 1);
    EXPECT_EQ(is_player_at(40, 9), 0);
    EXPECT_EQ(is_player_at(39, 10), 0);
}

TEST_F(TerrainTest, ScorchColoursADiscOnTheGrid) {
    fill_map({'.', 2});
    map[9][40] = {'?', 6};
    Creature c{};
    c.x = 39;
    c.y = 9;
    long draws = random_draw_count();
    scorch_area(&c);
    EXPECT_EQ(random_draw_count(), draws);
    // Rows -3..3 hold runs of 3, 5, 7, 7, 7, 5, 3 centred on the creature.
    const int half_width[] = {1, 2, 3, 3, 3, 2, 1};
    for (int dy = -4; dy <= 4; ++dy)
        for (int x = 0; x < MAP_WIDTH; ++x) {
            bool inside = std::abs(dy) <= 3 && std::abs(x - 39) <= half_width[dy + 3];
            EXPECT_EQ(map[9 + dy][x].colour == 12, inside) << x << "," << 9 + dy;
        }
    EXPECT_EQ(map[9][40].glyph, '?');

    EXPECT_EQ(scorch_count_at(39, 9), 37);
    EXPECT_EQ(scorch_count_at(0, 0), 13);
    EXPECT_EQ(scorch_count_at(78, 19), 13);
    EXPECT_EQ(scorch_count_at(-4, 9), 0);
    EXPECT_EQ(scorch_count_at(82, 9), 0);
    EXPECT_EQ(scorch_count_at(39, 23), 0);
    EXPECT_EQ(scorch_count_at(-3, 9), 3);
    EXPECT_TRUE(map[8][0].colour == 12 && map[9][0].colour == 12 && map[10][0].colour == 12);
    EXPECT_EQ(scorch_count_at(39, -3), 3);
    EXPECT_TRUE(map[0][38].colour == 12 && map[0][40].colour == 12);
}
