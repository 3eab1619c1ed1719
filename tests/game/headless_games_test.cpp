// Whole games on the headless terminal: a long random game that checks the
// play records after every turn, and a game from the splash to the ending.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/state_check.h"
#include "game/turn.h"
#include "screen/console.h"
#include "support/test_support.h"
#include "support/winning_player.h"
#include "text/language.h"
#include "world/map.h"

namespace {

using HeadlessGames = GameTest;

TEST_F(HeadlessGames, TensOfThousandsOfRandomKeysKeepThePlayRecordsSound) {
    random_seed(20260611);
    reset_world();
    // Every command but "Q" and the hidden shortcut; Space often, for "-more-".
    const std::string typed = "12346789ykulnjbh   ,.grsazd5qx";
    std::vector<int> command_keys(typed.begin(), typed.end());
    command_keys.insert(command_keys.end(),
                        {KEY_CODE_UP, KEY_CODE_DOWN, KEY_CODE_LEFT, KEY_CODE_RIGHT, KEY_CODE_ESCAPE, 265});
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
            if (a.cell(r, c).byte != b.cell(r, c).byte || a.cell(r, c).colour != b.cell(r, c).colour) return false;
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
            case Wait::kTitle: return 'x';
            case Wait::kEnding:
            case Wait::kMore: return KEY_CODE_SPACE;
            case Wait::kCommand: return player.next_key();
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
        for (int r = 0; r < SCREEN_ROWS; ++r) rows += ending_pages[page].row_text(r).empty() ? 0 : 1;
        EXPECT_EQ(rows, rows_shown[page]) << "page " << page + 1;
    }
    // Nothing is drawn or shown after the last page.
    EXPECT_TRUE(same_screen(screen(), ending_pages.back()));
    EXPECT_EQ(terminal->refresh_count, refreshes_at_last_page);
    EXPECT_EQ(screen().clear_count(), clears_at_last_page);
}

// What the player saw and the game held at one key wait.
struct Wait {
    uint32_t check;
    ScreenBuffer screen;
    bool more;
    bool ending;
};

bool ends_with_more(const ScreenBuffer& s) {
    std::string top = s.row_text(0);
    return top.size() >= 6 && top.compare(top.size() - 6, 6, "-more-") == 0 &&
           s.cell(0, static_cast<int>(top.size()) - 1).colour == COLOUR_CYAN;
}

bool ascii_row(const ScreenBuffer& s, int row) {
    for (int c = 0; c < SCREEN_COLS; ++c)
        if (s.cell(row, c).byte < 0x20 || s.cell(row, c).byte > 0x7e) return false;
    return true;
}

bool same_row(const ScreenBuffer& a, const ScreenBuffer& b, int row) {
    for (int c = 0; c < SCREEN_COLS; ++c)
        if (a.cell(row, c).byte != b.cell(row, c).byte || a.cell(row, c).colour != b.cell(row, c).colour) return false;
    return true;
}

// A whole program run in one language. With `typed` empty the keys are made
// up as it goes (random early play, then the winning player through the
// shortcut, the archmage and the ending) and kept in `typed`; otherwise
// exactly those keys are typed.
std::vector<Wait> play_program(Language language, std::vector<int>& typed, long& refreshes) {
    HeadlessTerminal& t = start_fresh();
    set_shown_language(language);
    random_fix_seed(777);
    std::vector<Wait> waits;
    t.on_key_wait = [&](const ScreenBuffer& s) {
        bool ending = s.text_at(4, 25, 29) == "YOU HAVE SLAIN UOREGACHENFELS";
        waits.push_back(Wait{state_check(), s, ends_with_more(s), ending});
    };
    if (!typed.empty()) {
        t.keys.assign(typed.begin(), typed.end());
        t.key_source = [] { return int{'Q'}; };  // only when the two runs part ways
    } else {
        const std::string early = "12346789ykulnjbh   ,.grsazd5qx";
        std::vector<int> early_keys(early.begin(), early.end());
        early_keys.insert(early_keys.end(), {KEY_CODE_UP, KEY_CODE_LEFT, KEY_CODE_ESCAPE});
        std::minstd_rand pick(5);
        auto player = std::make_shared<Player>(t);
        auto pending = std::make_shared<std::deque<int>>();
        t.key_source = [&, player, pending, early_keys, pick]() mutable -> int {
            int key;
            if (!pending->empty()) {
                key = pending->front();
                pending->pop_front();
            } else if (t.keys_read < 3000) {
                key = early_keys[pick() % early_keys.size()];
            } else if (t.keys_read > 200000) {
                key = t.keys_read % 2 ? 'Q' : ' ';  // give up
            } else if (waits.back().more || waits.back().ending) {
                key = KEY_CODE_SPACE;
            } else {
                key = player->next_key();
                // The player's answer to the direction prompt is typed next.
                pending->insert(pending->end(), t.keys.begin(), t.keys.end());
                t.keys.clear();
            }
            typed.push_back(key);
            return key;
        };
    }
    EXPECT_EQ(program_entry(), 0);
    refreshes = t.refresh_count;
    set_shown_language(Language::japanese);
    return waits;
}

TEST_F(HeadlessGames, BothLanguagesPlayTheSameGameAndDifferOnlyInTheirTexts) {
    std::vector<int> typed;
    long japanese_refreshes = 0;
    long english_refreshes = 0;
    std::vector<Wait> japanese = play_program(Language::japanese, typed, japanese_refreshes);
    ASSERT_LE(archmage_hp, 0);  // the run reached the victory
    std::vector<Wait> english = play_program(Language::english, typed, english_refreshes);
    ASSERT_EQ(english.size(), japanese.size());
    EXPECT_EQ(english_refreshes, japanese_refreshes);

    int mores = 0;
    int english_rows = 0;
    for (std::size_t i = 0; i < japanese.size(); ++i) {
        const Wait& ja = japanese[i];
        const Wait& en = english[i];
        ASSERT_EQ(en.check, ja.check) << "key " << i;
        ASSERT_EQ(en.more, ja.more) << "key " << i;
        ASSERT_EQ(en.ending, ja.ending) << "key " << i;
        mores += ja.more ? 1 : 0;
        for (int r = 0; r < SCREEN_ROWS; ++r) {
            bool own_text = ja.ending ? r >= 8 && r <= 10 : r == 0;
            if (!own_text) {
                ASSERT_TRUE(same_row(en.screen, ja.screen, r)) << "key " << i << " row " << r;
                continue;
            }
            ASSERT_TRUE(ascii_row(en.screen, r)) << "key " << i << " row " << r << ": " << en.screen.row_text(r);
            ASSERT_EQ(en.screen.row_text(r).empty(), ja.screen.row_text(r).empty()) << "key " << i;
            ASSERT_EQ(en.screen.cell(r, 1).colour, ja.screen.cell(r, 1).colour) << "key " << i;
            if (!en.screen.row_text(r).empty() && en.screen.row_text(r) != ja.screen.row_text(r)) ++english_rows;
        }
    }
    EXPECT_GT(mores, 20);
    EXPECT_GT(english_rows, 1000);
    EXPECT_TRUE(japanese.back().ending);
    // The ending's own lines are centred as the Japanese ones are.
    const ScreenBuffer& last = english.back().screen;
    EXPECT_EQ(last.row_text(9),
              std::string(7, ' ') + "At least for this turn, the clone in this place has been set free.");
}

}  // namespace
