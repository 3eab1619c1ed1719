// Whole games on the headless terminal: a long random game that checks the
// play records after every turn, and a game from the splash to the ending.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/turn.h"
#include "screen/console.h"
#include "support/test_support.h"
#include "support/winning_player.h"
#include "world/map.h"

namespace {

using HeadlessGames = GameTest;

TEST_F(HeadlessGames, TensOfThousandsOfRandomKeysKeepThePlayRecordsSound) {
    random_seed(20260611);
    reset_world();
    // Every command but "Q" and the hidden shortcut; Space often, for "-more-".
    const std::string typed = "12346789ykulnjbh   ,.grsazd5qx";
    std::vector<int> command_keys(typed.begin(), typed.end());
    command_keys.insert(command_keys.end(), {KEY_CODE_UP, KEY_CODE_DOWN, KEY_CODE_LEFT,
                                             KEY_CODE_RIGHT, KEY_CODE_ESCAPE, 265});
    std::minstd_rand pick(99);
    terminal->key_source = [&] { return command_keys[pick() % command_keys.size()]; };

    long kills = 0;
    long most_monsters = 0;
    int turns = 0;
    while (terminal->keys_read < 25000) {
        ASSERT_EQ(broken_turn_rule(), "") << "before turn " << turns;
        int kills_before = game.kill_count;
        ASSERT_EQ(run_turn(), 1) << "turn " << turns;
        if (game.kill_count > kills_before) kills += game.kill_count - kills_before;
        most_monsters = std::max<long>(most_monsters, monster_list_length());
        ++turns;
    }
    ASSERT_EQ(broken_turn_rule(), "");
    EXPECT_GT(kills, 0);
    EXPECT_GT(most_monsters, 1);

    // The end: "Q" (a Space first answers any "-more-" still waiting).
    bool quit = false;
    terminal->key_source = [&] { return (quit = !quit) ? int{'Q'} : int{' '}; };
    int more_turns = 0;
    while (run_turn() != 0) ASSERT_LT(++more_turns, 10);
    EXPECT_EQ(game.run_state, RUN_OVER);
}

bool same_screen(const ScreenBuffer& a, const ScreenBuffer& b) {
    for (int r = 0; r < SCREEN_ROWS; ++r)
        for (int c = 0; c < SCREEN_COLS; ++c)
            if (a.cell(r, c).byte != b.cell(r, c).byte ||
                a.cell(r, c).colour != b.cell(r, c).colour)
                return false;
    return true;
}

TEST_F(HeadlessGames, AWholeGameFromTheSplashThroughTheArchmageToTheEnding) {
    random_fix_seed(4242);
    Player player(*terminal);
    enum class Wait { kTitle, kMore, kEnding, kCommand } wait = Wait::kCommand;
    long draws_at_title = -1;
    int more_pauses = 0;
    bool archmage_seen = false;
    std::vector<ScreenBuffer> ending_pages;
    long refreshes_at_last_page = 0;
    long clears_at_last_page = 0;

    terminal->on_key_wait = [&](const ScreenBuffer& s) {
        // The intro's pauses stand over what is left of the title page.
        std::string top = s.row_text(0);
        if (top.size() >= 6 && top.compare(top.size() - 6, 6, "-more-") == 0 &&
            s.cell(0, static_cast<int>(top.size()) - 1).colour == COLOUR_CYAN) {
            wait = Wait::kMore;
            ++more_pauses;
        } else if (s.text_at(4, 25, 29) == "YOU HAVE SLAIN UOREGACHENFELS") {
            wait = Wait::kEnding;
            ending_pages.push_back(s);
            refreshes_at_last_page = terminal->refresh_count;
            clears_at_last_page = s.clear_count();
        } else if (s.text_at(20, 28, 23) == "Press any key to start.") {
            wait = Wait::kTitle;
            draws_at_title = random_draw_count();
        } else {
            wait = Wait::kCommand;
        }
        if (game.boss_mode == 1 && game.archmage->kind == KIND_ARCHMAGE) archmage_seen = true;
    };
    terminal->key_source = [&]() -> int {
        if (terminal->keys_read > 200000) return terminal->keys_read % 2 ? 'Q' : ' ';  // give up
        switch (wait) {
            case Wait::kTitle:
                return 'x';
            case Wait::kEnding:
            case Wait::kMore:
                return KEY_CODE_SPACE;
            case Wait::kCommand:
                return player.next_key();
        }
        return 'Q';
    };

    int status = program_entry();

    EXPECT_EQ(status, 0);
    EXPECT_EQ(game.run_state, RUN_OVER);
    EXPECT_EQ(terminal->shutdowns, 1);
    EXPECT_EQ(terminal->slept_ms, 360);
    EXPECT_EQ(draws_at_title, 0);  // no random draw before the seed
    EXPECT_GE(more_pauses, 6);
    EXPECT_TRUE(archmage_seen);
    EXPECT_EQ(game.shortcut_stage, 2);
    EXPECT_LE(archmage_hp, 0);
    ASSERT_EQ(ending_pages.size(), 7u);
    const int rows_shown[] = {2, 3, 4, 5, 6, 8, 9};
    for (int page = 0; page < 7; ++page) {
        int rows = 0;
        for (int r = 0; r < SCREEN_ROWS; ++r)
            rows += ending_pages[page].row_text(r).empty() ? 0 : 1;
        EXPECT_EQ(rows, rows_shown[page]) << "page " << page + 1;
    }
    // Nothing is drawn or shown after the last page.
    EXPECT_TRUE(same_screen(screen(), ending_pages.back()));
    EXPECT_EQ(terminal->refresh_count, refreshes_at_last_page);
    EXPECT_EQ(screen().clear_count(), clears_at_last_page);
}

}  // namespace
