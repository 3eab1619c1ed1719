// The player's commands: the key table, the ranged attack, scrolls, the
// terrain shift and the hidden shortcut.
#include "game/commands.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "support/test_support.h"
#include "text/tables.h"
#include "world/map.h"

namespace {

class Commands : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        paint_map_green();
        for (auto& kind : terrain_palette) kind = TerrainKind{':', COLOUR_BLUE};
        archmage_hp = ARCHMAGE_MAX_HP;
        game.energy = 100;
    }
    // One command key, as the player phase gives it.
    void press(std::initializer_list<int> keys) {
        terminal->keys = keys;
        player_command();
    }
    static void archmage_at(int x, int y) {
        game.boss_mode = 1;
        *game.archmage = Creature{KIND_ARCHMAGE, x, y, COLOUR_LIGHT_MAGENTA, 0, '@', nullptr, nullptr};
    }
};

struct DirectionKey {
    int key;
    int dx;
    int dy;
};

const DirectionKey DIRECTION_KEYS[] = {
    {'7', -1, -1}, {'y', -1, -1}, {'8', 0, -1}, {'k', 0, -1}, {KEY_CODE_UP, 0, -1},
    {'9', 1, -1},  {'u', 1, -1},  {'6', 1, 0},  {'l', 1, 0},  {KEY_CODE_RIGHT, 1, 0},
    {'3', 1, 1},   {'n', 1, 1},   {'2', 0, 1},  {'j', 0, 1},  {KEY_CODE_DOWN, 0, 1},
    {'1', -1, 1},  {'b', -1, 1},  {'4', -1, 0}, {'h', -1, 0}, {KEY_CODE_LEFT, -1, 0},
};

TEST_F(Commands, EveryDirectionKeyStepsStrikesAndAims) {
    for (const DirectionKey& d : DIRECTION_KEYS) {
        SetUp();  // a fresh game for every key
        map[9 + d.dy][39 + d.dx] = MapCell{'#', COLOUR_LIGHT_BLUE};
        press({d.key});
        EXPECT_EQ(map[9][39].glyph, '#') << "key " << d.key;  // the marked cell is underfoot now
        EXPECT_EQ(map[9][39].colour, COLOUR_LIGHT_BLUE) << "key " << d.key;
        EXPECT_EQ(game.energy, 0) << "key " << d.key;

        SetUp();
        Creature* m = place_monster(39 + d.dx, 9 + d.dy);
        Creature* behind = place_monster(39 + 2 * d.dx, 9 + 2 * d.dy);
        press({d.key});
        EXPECT_EQ(m->kind, KIND_DEAD) << "key " << d.key;
        EXPECT_EQ(behind->kind, KIND_CHASER) << "key " << d.key;
        EXPECT_STREQ(last_message, KILL_STORY[0]);
        EXPECT_EQ(map[9][39].glyph, '.') << "no step was taken";
        EXPECT_EQ(game.energy, 0);

        SetUp();  // the same key at the direction prompt reaches three cells
        m = place_monster(39 + 3 * d.dx, 9 + 3 * d.dy);
        press({'a', d.key});
        EXPECT_EQ(m->kind, KIND_DEAD) << "key " << d.key;
        clear_monsters();
    }
}

TEST_F(Commands, MeleeAndRangedBlowsAgainstTheArchmage) {
    archmage_at(40, 8);
    random_script({1});  // no good shot
    press({'u'});
    EXPECT_EQ(archmage_hp, 72);
    EXPECT_EQ(random_draw_count(), 1);

    game.energy = 100;
    archmage_at(39, 6);
    random_reset_controls();
    press({'a', '8'});
    EXPECT_EQ(archmage_hp, 70);
    EXPECT_EQ(random_draw_count(), 0);  // a ranged blow draws nothing
    EXPECT_EQ(game.energy, 0);
}

TEST_F(Commands, KeysWithoutACommandCostNothingAndDrawNothing) {
    // "5", "q", upper-case command letters, Enter, Ctrl-C, Delete, Escape,
    // function keys F1, Home and Page Down.
    const std::string typed = "5q0xYKULNJBHGRSAZDEOX\n\x03\x7f";
    std::vector<int> unbound(typed.begin(), typed.end());
    unbound.insert(unbound.end(), {KEY_CODE_ESCAPE, 265, 262, 338});
    MapCell before[MAP_HEIGHT][MAP_WIDTH];
    map[9][39] = MapCell{'?', COLOUR_WHITE};
    place_monster(40, 9);
    std::memcpy(before, map, sizeof map);
    for (int key : unbound) {
        game.message_colour = COLOUR_YELLOW;
        long clears = screen().clear_count();
        press({key});
        EXPECT_EQ(game.energy, 100) << "key " << key;
        EXPECT_EQ(game.message_colour, 0) << "key " << key;
        EXPECT_EQ(screen().clear_count(), clears) << "key " << key;
    }
    EXPECT_EQ(random_draw_count(), 0);
    EXPECT_EQ(game.run_state, RUN_PLAYING);
    EXPECT_EQ(game.monsters->kind, KIND_CHASER);
    EXPECT_EQ(std::memcmp(before, map, sizeof map), 0);
    EXPECT_STREQ(last_message, "");
}

TEST_F(Commands, UpperCaseQQuitsAtOnceWithoutSpendingEnergy) {
    archmage_at(30, 3);
    press({'Q'});
    EXPECT_EQ(game.run_state, RUN_OVER);
    EXPECT_EQ(game.energy, 100);
    EXPECT_EQ(random_draw_count(), 0);
}

TEST_F(Commands, PickUpKeysReadTheScrollUnderfoot) {
    for (int key : {' ', ',', '.', 'g', 'r', 's'}) {
        SetUp();  // a fresh game for every key
        map[9][39] = MapCell{'?', COLOUR_WHITE};
        random_start_log();
        press({key});
        EXPECT_EQ(random_log().size(), 79u) << "key " << key;  // one random phrase
        EXPECT_EQ(game.message_colour, COLOUR_LIGHT_RED);
        EXPECT_GT(std::strlen(last_message), 0u);
        EXPECT_TRUE(text_on_screen(0, 1, std::string(last_message).substr(0, 79), COLOUR_LIGHT_RED));
        EXPECT_EQ(map[9][39].glyph, '.');
        EXPECT_EQ(map[9][39].colour, COLOUR_DARK_GREY);
        EXPECT_EQ(game.energy, 0);

        // The read scroll is gone: the key now spends an action on nothing.
        std::string message = last_message;
        game.energy = 100;
        random_start_log();
        press({key});
        EXPECT_TRUE(random_log().empty());
        EXPECT_EQ(last_message, message);
        EXPECT_EQ(game.energy, 0);
    }
}

TEST_F(Commands, TerrainShiftSparesFireAndLosesScrolls) {
    map[3][3] = MapCell{'!', COLOUR_YELLOW};
    map[9][39] = MapCell{'?', COLOUR_WHITE};
    map[2][2] = MapCell{'?', COLOUR_WHITE};
    Creature* m = place_monster(45, 12);
    std::strcpy(last_message, "as before");
    long clears = screen().clear_count();
    random_start_log();

    press({'d'});

    const std::vector<int>& log = random_log();
    EXPECT_EQ(std::count(log.begin(), log.end(), 7), 1580);
    EXPECT_EQ(map[3][3].glyph, '!');
    EXPECT_EQ(map[3][3].colour, COLOUR_YELLOW);
    EXPECT_NE(map[9][39].glyph, '?');
    EXPECT_NE(map[2][2].glyph, '?');
    EXPECT_EQ(m->x, 45);
    EXPECT_STREQ(last_message, "as before");
    EXPECT_EQ(screen().clear_count(), clears);
    EXPECT_EQ(game.energy, 0);
}

TEST_F(Commands, HiddenShortcutFollowsItsStages) {
    const int E = control_key('E');
    const int O = control_key('O');
    const int X = control_key('X');
    struct Step {
        int key;
        int stage_after;
        bool sets_kills;
    };
    const Step steps[] = {
        {O, 0, false}, {X, 0, false},   {E, 1, false},   {X, 1, false}, {E, 1, false},
        {O, 2, false}, {'q', 2, false}, {'5', 2, false}, {O, 2, false}, {X, 2, true},
        {X, 2, true},  {E, 1, false},   {X, 1, false},   {O, 2, false}, {X, 2, true},
    };
    for (const Step& step : steps) {
        game.kill_count = 3;
        press({step.key});
        EXPECT_EQ(game.shortcut_stage, step.stage_after) << "key " << step.key;
        EXPECT_EQ(game.kill_count, step.sets_kills ? 76 : 3) << "key " << step.key;
    }
    EXPECT_EQ(game.energy, 100);
    EXPECT_STREQ(last_message, "");
    EXPECT_EQ(random_draw_count(), 0);
}

using RangedAttack = Commands;

TEST_F(RangedAttack, PromptIgnoresEveryKeyButADirectionAndStrikesOnlyTheNearest) {
    Creature* near = place_monster(41, 9);
    Creature* far = place_monster(42, 9);
    std::string prompt = cp("どの方向に攻撃？");
    int waits = 0;
    terminal->on_key_wait = [&](const ScreenBuffer& s) {
        if (waits++ == 0) return;  // the command key
        EXPECT_TRUE(text_on_screen(0, 1, prompt, COLOUR_WHITE)) << "wait " << waits;
        EXPECT_EQ(s.cell(10, 39).byte, '@') << "the map is drawn under the prompt";
    };

    press({'a', KEY_CODE_ESCAPE, 'Q', 'x', ' ', 'l'});

    EXPECT_EQ(waits, 6);
    EXPECT_EQ(game.run_state, RUN_PLAYING);
    EXPECT_EQ(near->kind, KIND_DEAD);
    EXPECT_EQ(far->kind, KIND_CHASER);
    EXPECT_EQ(game.kill_count, 1);
    EXPECT_EQ(game.energy, 0);
}

TEST_F(RangedAttack, FiveEndsItSilentlyAndNothingWithinThreeCellsIsAMiss) {
    Creature* m = place_monster(35, 13);  // four cells down-left
    press({'z', '5'});
    EXPECT_EQ(std::string(last_message), cp("どの方向に攻撃？"));
    EXPECT_EQ(game.message_colour, 0);
    EXPECT_EQ(game.energy, 0);

    game.energy = 100;
    press({'a', 'b'});
    EXPECT_EQ(m->kind, KIND_CHASER);
    EXPECT_TRUE(text_on_screen(0, 1, cp("攻撃は空を切った"), COLOUR_WHITE));
    EXPECT_EQ(game.message_colour, COLOUR_WHITE);
    EXPECT_EQ(game.energy, 0);
    EXPECT_EQ(random_draw_count(), 0);
}

}  // namespace
