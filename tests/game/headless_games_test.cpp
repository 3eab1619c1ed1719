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

// The key a simple player presses to step or strike by (dx, dy).
int key_for(int dx, int dy) {
    const char keys[3][3] = {{'7', '8', '9'}, {'4', '5', '6'}, {'1', '2', '3'}};
    return keys[dy + 1][dx + 1];
}

int sign(int v) {
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}
int chebyshev(int dx, int dy) {
    return std::max(std::abs(dx), std::abs(dy));
}
bool in_line(int dx, int dy) {
    return dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy);
}

// A step that moves the world without striking anything or walking into fire.
bool safe_step(int sx, int sy) {
    int x = 39 + sx;
    int y = 9 + sy;
    if (find_creature_at(x, y) != nullptr) return false;
    return !in_bounds(x, y) || map[y][x].glyph != '!';
}

// A player who reads the game: uses the hidden shortcut, then keeps its
// target (the nearest monster, later the archmage) two or three cells away in
// a line and shoots it.
class Player {
   public:
    explicit Player(HeadlessTerminal& t) : terminal(t) {}

    int next_key() {
        if (game.boss_mode == 1 && game.archmage->kind == KIND_DEAD)
            return 'x';  // after the victory
        if (game.shortcut_stage == 0) return control_key('E');
        if (game.shortcut_stage == 1) return control_key('O');
        if (game.boss_mode == 0 && game.kill_count < 76) return control_key('X');
        if (game.boss_mode == 1) return engage(game.archmage->x - 39, game.archmage->y - 9);
        const Creature* nearest = nullptr;
        for (const Creature* m = game.monsters; m != nullptr; m = m->next)
            if (m->kind != KIND_DEAD && in_bounds(m->x, m->y) &&
                (nearest == nullptr ||
                 chebyshev(m->x - 39, m->y - 9) < chebyshev(nearest->x - 39, nearest->y - 9)))
                nearest = m;
        return nearest != nullptr ? engage(nearest->x - 39, nearest->y - 9) : engage(20, 0);
    }

   private:
    int engage(int ax, int ay) {
        int d = chebyshev(ax, ay);
        if (d >= 2 && d <= 3 && in_line(ax, ay)) {
            terminal.keys.push_back(key_for(sign(ax), sign(ay)));  // answers the direction prompt
            return 'a';
        }
        // Step so that the target ends two or three cells away, in a line if
        // possible; when it stands adjacent this is a retreat.
        int best_key = 0;
        int best_score = -1000;
        for (int k = 0; k < 8; ++k) {
            if (!safe_step(DIR_DX[k], DIR_DY[k])) continue;
            int nx = ax - DIR_DX[k];
            int ny = ay - DIR_DY[k];
            int nd = chebyshev(nx, ny);
            int score = -std::abs(nd - 3) * 10 - (nd < 2 ? 100 : 0) +
                        (in_line(nx, ny) && nd >= 2 && nd <= 3 ? 50 : 0);
            if (score > best_score) {
                best_score = score;
                best_key = key_for(DIR_DX[k], DIR_DY[k]);
            }
        }
        if (best_key != 0) return best_key;
        return d == 1 ? key_for(ax, ay) : '.';  // hemmed in: strike or wait
    }

    HeadlessTerminal& terminal;
};

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
