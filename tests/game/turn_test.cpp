// The turn cycle: energy, the order of the phases, dreams and the intro.
#include "game/turn.h"

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
#include "world/map.h"

namespace {

class TurnCycle : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        reset_world();
        // Plain ground everywhere, so no fire flickers and no step burns.
        paint_map_green();
        terminal->key_source = [] {
            ADD_FAILURE() << "a key was read that should not have been";
            return int{'Q'};
        };
        random_reset_controls();
    }
};

TEST_F(TurnCycle, TheFirstTurnOfADreamReadsNoKey) {
    Creature* m = place_monster(10, 5, KIND_WANDERER);
    long refreshes = terminal->refresh_count;
    long clears = screen().clear_count();
    MapCell before[MAP_HEIGHT][MAP_WIDTH];
    std::memcpy(before, map, sizeof map);
    TerrainKind kind_4 = terrain_palette[4];
    // The palette test hits: kind 3 gets colour 4 + 1 and plain ground;
    // the monster gains 40, the archmage 35.
    random_script({0, 3, 4, 1, 0, 5});
    random_start_log();

    EXPECT_EQ(run_turn(), 1);

    EXPECT_EQ(terminal->keys_read, 0);
    EXPECT_EQ(game.energy, 50);
    EXPECT_EQ(screen().clear_count(), clears + 1);
    EXPECT_EQ(terminal->refresh_count, refreshes + 1);
    EXPECT_TRUE(text_on_screen(10, 39, "@", COLOUR_LIGHT_GREEN));
    EXPECT_EQ(random_log(), (std::vector<int>{16, 7, 15, 3, 20, 10}));
    EXPECT_EQ(terrain_palette[3].colour, 5);
    EXPECT_EQ(terrain_palette[3].glyph, '.');
    EXPECT_EQ(terrain_palette[4].colour, kind_4.colour);
    EXPECT_EQ(std::memcmp(before, map, sizeof map), 0);  // cells on the map keep their look
    EXPECT_EQ(m->energy, 40);
    EXPECT_EQ(game.archmage->energy, 35);
}

TEST_F(TurnCycle, KeysThatDoNotActAreReadOneAfterAnotherWithoutARedraw) {
    Creature* m = place_monster(10, 5, KIND_WANDERER);
    m->energy = 90;
    game.energy = 50;
    game.kill_count = 12;
    std::vector<long> clears_at_wait;
    terminal->on_key_wait = [&](const ScreenBuffer& s) { clears_at_wait.push_back(s.clear_count()); };
    terminal->keys = {'q', '5', KEY_CODE_ESCAPE, 'Q'};
    random_script({1});
    random_start_log();

    EXPECT_EQ(run_turn(), 0);  // "Q" ends the game at once

    EXPECT_EQ(clears_at_wait.size(), 4u);
    EXPECT_TRUE(
        std::all_of(clears_at_wait.begin(), clears_at_wait.end(), [&](long c) { return c == clears_at_wait.front(); }));
    EXPECT_EQ(game.energy, 100);
    EXPECT_EQ(game.run_state, RUN_OVER);
    EXPECT_EQ(random_log(), std::vector<int>{16});  // no monster phase, no archmage energy
    EXPECT_EQ(m->energy, 90);
    EXPECT_EQ(m->x, 10);
    EXPECT_EQ(game.archmage->energy, 0);
    EXPECT_EQ(game.kill_count, 12);  // and no new dream
}

TEST_F(TurnCycle, TheArchmageGathersEnergyEveryTurnEvenWhenAbsent) {
    terminal->key_source = [] { return int{'.'}; };  // an action that draws nothing
    std::vector<int> script;
    for (int turn = 0; turn < 6; ++turn) script.insert(script.end(), {1, 5});
    random_script(script);
    random_start_log();
    const int energy_after[] = {35, 70, 5, 40, 75, 10};
    for (int turn = 0; turn < 6; ++turn) {
        EXPECT_EQ(run_turn(), 1);
        EXPECT_EQ(game.archmage->energy, energy_after[turn]) << "turn " << turn;
        EXPECT_EQ(game.archmage->kind, KIND_DEAD);
        EXPECT_EQ(game.energy, turn % 2 == 0 ? 50 : 0) << "turn " << turn;
    }
    std::vector<int> expected;
    for (int turn = 0; turn < 6; ++turn) expected.insert(expected.end(), {16, 10});
    EXPECT_EQ(random_log(), expected);
    EXPECT_EQ(terminal->keys_read, 3);
}

TEST_F(TurnCycle, DeathInFireEndsTheTurnWithANewDream) {
    map[9][40] = MapCell{'!', COLOUR_LIGHT_RED};  // right of the player
    place_monster(10, 5, KIND_WANDERER);
    game.energy = 50;
    game.kill_count = 30;
    terminal->keys = {'l', KEY_CODE_SPACE};
    // The fire's flicker in the turn's drawing; no palette reroll; the new
    // column's 20 cells (three draws each); no spawn; no scroll. In the
    // redraw of the death the fire lies under the player: no flicker draw.
    std::vector<int> script{0, 1};
    script.insert(script.end(), 60, 0);
    script.insert(script.end(), {1, 1});
    random_script(script);
    random_start_log();

    EXPECT_EQ(run_turn(), 1);

    EXPECT_EQ(terminal->keys_read, 2);  // the step and the answer to "-more-"
    std::vector<int> step{2, 16};
    for (int k = 0; k < 20; ++k) step.insert(step.end(), {7, k + 1, k + 1});
    step.insert(step.end(), {14, 16});
    const std::vector<int>& log = random_log();
    ASSERT_GT(log.size(), step.size());
    EXPECT_EQ(std::vector<int>(log.begin(), log.begin() + step.size()), step);
    // What follows is the new dream's terrain alone: no monster energy (20),
    // no archmage energy (10).
    std::vector<int> rest(log.begin() + step.size(), log.end());
    EXPECT_EQ(std::count(rest.begin(), rest.end(), 20), 0);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), 10), 0);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), 7), 1580);
    EXPECT_EQ(game.monsters, nullptr);
    EXPECT_EQ(game.kill_count, 0);
    EXPECT_EQ(game.restart_pending, 0);
    EXPECT_EQ(game.message_colour, COLOUR_LIGHT_MAGENTA);
    EXPECT_EQ(std::string(last_message), cp("大魔法使いの嘲る声が聞える――"));

    run_turn();  // the new dream's first turn shows the death still pending
    EXPECT_TRUE(text_on_screen(0, 1, cp("大魔法使いの嘲る声が聞える――"), COLOUR_LIGHT_MAGENTA));
    EXPECT_EQ(terminal->keys_read, 2);
}

TEST_F(TurnCycle, ANewDreamResetsPlayButKeepsTheShortcutAndTheMessage) {
    place_monster(1, 1, KIND_WANDERER);
    game = GameState{3, 4, 50, 50, 1, 1, 2, RUN_PLAYING, COLOUR_YELLOW, game.monsters, &archmage};
    std::strcpy(last_message, "still here");
    archmage_hp = 12;
    archmage = Creature{KIND_ARCHMAGE, 5, 6, 13, 80, '@', nullptr, nullptr};

    reset_world();

    const GameState& g = game;
    EXPECT_EQ((std::vector<int>{g.player_x, g.player_y, g.kill_count, g.energy, g.boss_mode, g.restart_pending}),
              (std::vector<int>{39, 9, 0, 0, 0, 0}));
    EXPECT_EQ(archmage_hp, 77);
    const Creature zero{};
    EXPECT_EQ(std::memcmp(&archmage, &zero, sizeof zero), 0);
    EXPECT_EQ(game.archmage, &archmage);
    EXPECT_EQ(game.monsters, nullptr);
    EXPECT_EQ(game.shortcut_stage, 2);
    EXPECT_EQ(game.message_colour, COLOUR_YELLOW);
    EXPECT_STREQ(last_message, "still here");
}

TEST_F(TurnCycle, TheIntroPostsSevenMessagesWithAPauseBeforeEachButTheFirst) {
    // Both palette rerolls give plain ground at two draws a kind, then one
    // draw for each of the 1580 cells; then the seven draws of the shuffle.
    std::vector<int> script(28, 1);
    script.insert(script.end(), 1580, 0);
    script.insert(script.end(), {3, 6, 0, 2, 5, 1, 4});
    random_script(script);
    game.run_state = RUN_OVER;
    struct Wait {
        std::string row;
        std::vector<int> colours;
        int run_state;
    };
    std::vector<Wait> waits;
    terminal->on_key_wait = [&](const ScreenBuffer& s) {
        Wait w{s.row_text(0), {}, game.run_state};
        for (int c = 0; c < static_cast<int>(w.row.size()); ++c) w.colours.push_back(s.cell(0, c).colour);
        waits.push_back(w);
    };
    terminal->keys = {' ', ' ', 27, ' ', 27, ' ', 'Q'};

    EXPECT_EQ(new_game(), 0);

    const std::string more = "-more-";
    const std::pair<std::string, int> intro[] = {
        {cp("目をさますと　何かに囚われているような気がした"), COLOUR_WHITE},
        {cp("まだ夢が続いている　という感覚"), COLOUR_WHITE},
        {cp("悪い夢の中の　さらにその中で　眠っていたのか"), COLOUR_WHITE},
        {cp("マイクテステス。"), COLOUR_YELLOW},
        {cp("んつじれゅしと"), COLOUR_YELLOW},
        {cp("え、もう始まってるの？"), COLOUR_YELLOW},
        {cp("つまり　これは悪い夢の一種だと思う"), COLOUR_LIGHT_RED},
    };
    ASSERT_EQ(waits.size(), 7u);
    EXPECT_EQ(waits[0].run_state, RUN_PLAYING);
    for (int i = 0; i < 6; ++i) {
        const std::string& text = intro[i].first;
        EXPECT_EQ(waits[i].row, " " + text + more) << "message " << i + 1;
        for (int c = 1; c <= static_cast<int>(text.size()); ++c)
            EXPECT_EQ(waits[i].colours[c], intro[i].second) << "message " << i + 1;
        for (int c = 1; c <= 6; ++c) EXPECT_EQ(waits[i].colours[text.size() + c], COLOUR_CYAN);
    }
    // The last line is still pending at the first command of the game.
    EXPECT_EQ(waits[6].row, " " + intro[6].first);
    EXPECT_EQ(waits[6].colours[1], COLOUR_LIGHT_RED);
    EXPECT_EQ(game.run_state, RUN_OVER);
}

}  // namespace
