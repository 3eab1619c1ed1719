// A step of the player: the world shifts, new ground comes in at the edge
// walked towards, monsters and scrolls may appear there, fire kills.
#include "world/scrolling.h"

#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "support/test_support.h"
#include "world/map.h"

namespace {

using Draws = std::vector<int>;

int tag(int x, int y) { return 100 + y * MAP_WIDTH + x; }

// Every cell remembers where it stood through a colour no palette kind has.
void tag_map() {
    for (int y = 0; y < MAP_HEIGHT; ++y)
        for (int x = 0; x < MAP_WIDTH; ++x) map[y][x] = MapCell{'.', tag(x, y)};
}

// A step that spawns nothing and drops no scroll; every new cell is kind 1.
Draws quiet_step(int fresh) { return Draws(3 * fresh + 2, 1); }

// The fill's bounds, (7, n + 1, n + 1) for new cell n, then `tail`.
Draws step_bounds(int fresh, const Draws& tail) {
    Draws bounds;
    for (int n = 0; n < fresh; ++n) bounds.insert(bounds.end(), {7, n + 1, n + 1});
    bounds.insert(bounds.end(), tail.begin(), tail.end());
    return bounds;
}

Creature* add_monster(int x, int y, int kind) {
    Creature* m = new_monster();
    m->kind = kind;
    m->x = x;
    m->y = y;
    return m;
}

}  // namespace

class ScrollingTest : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        for (int k = 0; k < TERRAIN_PALETTE_SIZE; ++k) terrain_palette[k] = TerrainKind{'#', 20 + k};
        tag_map();
    }
};

TEST_F(ScrollingTest, EveryDirectionShiftsCellsAndFillsTheFarEdge) {
    for (int d = 0; d < 8; ++d) {
        SCOPED_TRACE("direction " + std::to_string(d));
        int dx = DIR_DX[d], dy = DIR_DY[d];
        int expected_fresh = dx == 0 ? 79 : dy == 0 ? 20 : 98;
        tag_map();
        random_script(quiet_step(expected_fresh));
        random_start_log();
        scroll_world(dx, dy);
        EXPECT_EQ(random_log(), step_bounds(expected_fresh, {14, 16}));

        int fresh = 0;
        for (int y = 0; y < MAP_HEIGHT; ++y)
            for (int x = 0; x < MAP_WIDTH; ++x) {
                if (in_bounds(x + dx, y + dy)) {
                    ASSERT_EQ(map[y][x].colour, tag(x + dx, y + dy)) << x << "," << y;
                } else {
                    ++fresh;
                    ASSERT_EQ(map[y][x].colour, 21) << x << "," << y;
                    ASSERT_EQ(map[y][x].glyph, '#');
                }
            }
        EXPECT_EQ(fresh, expected_fresh);
        EXPECT_EQ(game.monsters, nullptr);
        EXPECT_EQ(game.restart_pending, 0);
    }
}

TEST_F(ScrollingTest, LivingCreaturesMoveWithTheWorld) {
    Creature* edge = add_monster(0, 5, KIND_CHASER);
    Creature* dead = add_monster(10, 10, KIND_DEAD);
    archmage = Creature{KIND_ARCHMAGE, 50, 5, 13, 0, '@', nullptr, nullptr};

    random_script(quiet_step(20));
    scroll_world(1, 0);
    EXPECT_EQ(edge->x, -1);  // off the grid, still in the list
    EXPECT_EQ(game.monsters->next, edge);
    EXPECT_EQ(archmage.x, 50);  // not in boss mode

    game.boss_mode = 1;
    random_script(quiet_step(98));
    scroll_world(1, 1);
    EXPECT_TRUE(edge->x == -2 && edge->y == 4);
    EXPECT_TRUE(archmage.x == 49 && archmage.y == 4);
    EXPECT_TRUE(dead->x == 10 && dead->y == 10);

    archmage.kind = KIND_DEAD;
    random_script(quiet_step(79));
    scroll_world(0, -1);
    EXPECT_EQ(archmage.y, 4);
    EXPECT_EQ(edge->y, 5);
}

TEST_F(ScrollingTest, SpawnAndScrollCellsAreChosenAmongNewCells) {
    // Column 78 is new, new cell n being row n: the spawn cell ends at row
    // 5, the scroll cell at row 12.
    Draws script;
    for (int n = 0; n < 20; ++n) script.insert(script.end(), {n % 7, n == 5 ? 0 : 1, n == 12 ? 0 : 1});
    script.insert(script.end(), {0, 3, 0, 1, 0});  // spawn test, colour, glyph, kind, scroll test
    random_script(script);
    random_start_log();
    scroll_world(1, 0);
    EXPECT_EQ(random_log(), step_bounds(20, {14, 15, 3, 2, 16}));

    ASSERT_NE(game.monsters, nullptr);
    Creature* m = game.monsters;
    EXPECT_TRUE(m->x == 78 && m->y == 5);  // placed after the shift, not moved by it
    EXPECT_TRUE(m->colour == 4 && m->glyph == '%' && m->kind == KIND_WANDERER);
    // The scroll keeps the colour of the ground just generated there.
    EXPECT_EQ(map[12][78].glyph, '?');
    EXPECT_EQ(map[12][78].colour, 20 + 12 % 7);
    for (int y = 0; y < MAP_HEIGHT; ++y) EXPECT_EQ(map[y][78].glyph == '?', y == 12);

    // Both may fall on the same cell: the first new one, when no later
    // cell replaces it.
    Draws same(3 * 20, 1);
    same.insert(same.end(), {0, 0, 1, 0, 0});
    random_script(same);
    scroll_world(-1, 0);
    EXPECT_EQ(random_script_left(), 0);
    EXPECT_TRUE(game.monsters->x == 0 && game.monsters->y == 0);
    EXPECT_EQ(map[0][0].glyph, '?');
}

TEST_F(ScrollingTest, CreatureShiftedOntoSpawnCellBlocksTheSpawn) {
    Creature* waiting = add_monster(79, 5, KIND_CHASER);
    Draws script;
    for (int n = 0; n < 20; ++n) script.insert(script.end(), {1, n == 5 ? 0 : 1, 1});
    script.insert(script.end(), {0, 1});
    random_script(script);
    random_start_log();
    scroll_world(1, 0);
    EXPECT_EQ(random_log(), step_bounds(20, {14, 16}));
    EXPECT_EQ(waiting->x, 78);
    EXPECT_EQ(game.monsters, waiting);
    EXPECT_EQ(waiting->next, nullptr);
}

TEST_F(ScrollingTest, SteppingIntoFireEndsTheDream) {
    for (auto& row : map)
        for (auto& cell : row) cell = MapCell{'.', 2};
    map[9][40] = MapCell{'!', 14};
    map[3][9] = MapCell{'!', 12};

    // The world after the step is drawn and shown before the two messages.
    bool waited = false;
    terminal->keys = {32};
    terminal->on_key_wait = [&](const ScreenBuffer& s) {
        waited = true;
        EXPECT_EQ(s.cell(10, 39).byte, '@');
        EXPECT_EQ(s.cell(4, 8).byte, '!');
        EXPECT_EQ(s.cell(10, 78).byte, '#');
        EXPECT_TRUE(text_on_screen(0, 1, cp("死の炎に巻き込まれた！"), 12));
        EXPECT_NE(s.row_text(0).find("-more-"), std::string::npos);
        // Shown after the redraw, with the first message, with "-more-".
        EXPECT_EQ(terminal->refresh_count, 3);
    };
    random_script(quiet_step(20));
    random_start_log();
    scroll_world(1, 0);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(terminal->keys.empty());
    EXPECT_EQ(random_log(), step_bounds(20, {14, 16, 2}));  // the other pillar flickers
    EXPECT_EQ(game.restart_pending, 1);

    const std::string voice = cp("大魔法使いの嘲る声が聞える――");
    EXPECT_EQ(voice.substr(voice.size() - 4), "\x81\x5c\x81\x5c");
    EXPECT_EQ(std::string(last_message), voice);
    EXPECT_EQ(game.message_colour, 13);
    EXPECT_TRUE(text_on_screen(0, 1, voice, 13));
}
