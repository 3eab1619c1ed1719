// The archmage: its placement, fire pillars, actions, wounds and defeat.
#include <cstdlib>
#include <string>

#include "creatures/creature_helpers.h"
#include "game/random.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "text/tables.h"

namespace {

const char* MOCKING_VOICE = "大魔法使いの嘲る声が聞える――";

Draws repeated(const Draws& pair, int times) {
    Draws out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), pair.begin(), pair.end());
    return out;
}

Draws run_with(const Draws& raw, void (*action)()) {
    random_script(raw);
    random_start_log();
    action();
    return random_log();
}

Draws place_with(const Draws& raw) {
    return run_with(raw, [] { place_archmage(&archmage); });
}

Draws act_with(const Draws& raw) {
    Draws log = run_with(raw, [] { archmage_act(&archmage); });
    EXPECT_EQ(random_script_left(), 0);
    return log;
}

// The message last posted, and its colour.
::testing::AssertionResult posted(const char* utf8, int colour) {
    if (std::string(last_message) != cp(utf8)) return ::testing::AssertionFailure() << "last message differs";
    if (game.message_colour != colour) return ::testing::AssertionFailure() << "colour " << game.message_colour;
    return ::testing::AssertionSuccess();
}

}  // namespace

class ArchmageTest : public GreenMapTest {};

TEST_F(ArchmageTest, PlacementRejectsTheNeighbourhoodAndOccupiedCells) {
    int rejected = 0;
    for (int y = 5; y <= 13; ++y)
        for (int x = 35; x <= 43; ++x) {
            // A rejected spot costs a second try, which lands on (5, 2).
            Draws log = place_with({x - 5, y - 2, 0, 0});
            bool was_rejected = log.size() == 4;
            EXPECT_EQ(archmage.x, was_rejected ? 5 : x);
            rejected += was_rejected;
        }
    EXPECT_EQ(rejected, 29);
    EXPECT_EQ(place_with({36, 9, 0, 0}).size(), 4u);   // (41, 11)
    EXPECT_EQ(place_with({35, 10, 0, 0}).size(), 2u);  // (40, 12)

    // A monster's cell, then the archmage's own cell.
    add_monster(10, 5);
    put_archmage(20, 6);
    EXPECT_EQ(place_with({5, 3, 15, 4, 25, 7}), repeated({69, 16}, 3));
    EXPECT_TRUE(archmage.x == 30 && archmage.y == 9);

    // After 201 rejections the last spot is taken all the same.
    Draws script = repeated({34, 7}, 200);  // the player's cell
    script.insert(script.end(), {35, 7, 10, 10});
    EXPECT_EQ(place_with(script).size(), 402u);
    EXPECT_EQ(random_script_left(), 2);
    EXPECT_TRUE(archmage.x == 40 && archmage.y == 9);
}

TEST_F(ArchmageTest, FirePillarsLandOnFreeCellsOfTheMap) {
    map[1][1] = {'?', 6};
    map[19][77] = {'!', 12};
    add_monster(20, 3);
    put_archmage(30, 4);
    random_script({9, 19,     // (10, 20): below the map
                   38, 8,     // the player
                   19, 2,     // a monster
                   29, 3,     // the archmage
                   9, 4,      // (10, 5)
                   77, 0,     // (1, 1), over a scroll
                   76, 95});  // (77, 19), over fire
    random_start_log();
    place_fire_pillars(3);
    EXPECT_EQ(random_log(), Draws(14, 77));
    EXPECT_EQ(random_script_left(), 0);
    EXPECT_EQ(map[5][10].glyph, '!');
    EXPECT_EQ(map[1][1].glyph, '!');
    EXPECT_EQ(count_cells('!', 14), 3);

    // A pillar that finds no cell in 201 tries ends the spell.
    Draws script = {9, 5};
    Draws rows_off_the_map = repeated({9, 50}, 201);
    script.insert(script.end(), rows_off_the_map.begin(), rows_off_the_map.end());
    script.insert(script.end(), {0, 0});
    EXPECT_EQ(run_with(script, [] { place_fire_pillars(4); }).size(), 2u + 402u);
    EXPECT_EQ(random_script_left(), 2);
    EXPECT_EQ(count_cells('!', 14), 4);
}

TEST_F(ArchmageTest, ActsOnlyInPlayAndDrawsForRangeOnlyBeyondTheMargin) {
    put_archmage(60, 15);
    game.boss_mode = 0;
    EXPECT_TRUE(act_with({}).empty());
    game.boss_mode = 1;
    archmage.kind = KIND_DEAD;
    EXPECT_TRUE(act_with({}).empty());

    const int inside[][2] = {{82, 9}, {39, 23}, {-4, 9}, {39, -4}};
    for (auto& s : inside) {
        put_archmage(s[0], s[1]);
        EXPECT_EQ(act_with({1, 1, 1}), (Draws{4, 6, 6})) << s[0] << "," << s[1];
    }
    const int outside[][2] = {{83, 9}, {39, 24}, {-5, 9}, {39, -5}};
    for (auto& s : outside) {
        put_archmage(s[0], s[1]);
        EXPECT_EQ(act_with({1, 1, 1, 1}), (Draws{4, 4, 6, 6})) << s[0] << "," << s[1];
        EXPECT_EQ(std::abs(archmage.x - s[0]) + std::abs(archmage.y - s[1]), 1);  // a chase step
    }
}

TEST_F(ArchmageTest, EscapeBeginsANewDream) {
    put_archmage(83, 9);
    archmage_hp = 40;
    game.kill_count = 70;
    add_monster(10, 10);
    terminal->keys = {32};
    bool shown = false;
    terminal->on_key_wait = [&](const ScreenBuffer&) { shown = text_on_screen(0, 1, cp("逃走した――"), 5); };
    random_script({0});
    random_start_log();
    archmage_act(&archmage);
    EXPECT_EQ(random_log().front(), 4);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(posted(MOCKING_VOICE, 13));
    EXPECT_EQ(game.boss_mode, 0);
    EXPECT_EQ(game.kill_count, 0);
    EXPECT_EQ(archmage_hp, 77);
    EXPECT_TRUE(archmage.kind == KIND_DEAD && archmage.x == 0);
    EXPECT_EQ(game.monsters, nullptr);
}

TEST_F(ArchmageTest, FireSpellShoutAndTeleportDrawInOrder) {
    for (int count_draw : {0, 5}) {  // 3 and 8 pillars, along row 1
        put_archmage(60, 15);
        game.message_colour = 0;
        Draws script = {0, count_draw}, expected = {4, 6};
        for (int i = 0; i < count_draw + 3; ++i) script.insert(script.end(), {i, 0});
        expected.insert(expected.end(), 2 * (count_draw + 3), 77);
        EXPECT_EQ(act_with(script), expected);
        EXPECT_EQ(count_cells('!', 14), count_draw + 3);
        EXPECT_TRUE(posted("大魔法使いが火柱の幻出を使った！", 12));
    }

    // The shout: ten draws pick the first word, one per unit leaves it as
    // it was.
    const std::string word = MAGIC_WORDS[0];
    int units = static_cast<int>(word.size() / 2);
    Draws script = {1, 0}, expected = {4, 6};
    for (int i = 1; i <= 10; ++i) {
        script.push_back(1);
        expected.push_back(i);
    }
    for (int p = 0; p < units; ++p) script.push_back(p);
    expected.insert(expected.end(), units, units);
    terminal->keys = {32};
    EXPECT_EQ(act_with(script), expected);
    EXPECT_EQ(std::string(last_message), cp("大魔法使い「") + word + cp("」"));
    EXPECT_EQ(game.message_colour, 13);

    terminal->keys = {32};
    EXPECT_EQ(act_with({1, 1, 0, 5, 3, 1}), (Draws{4, 6, 6, 69, 16, 3}));
    EXPECT_TRUE(archmage.x == 10 && archmage.y == 5);
    EXPECT_TRUE(posted("大魔法使い「フハハハハ！！」", 5));
    // Its own cell is taken, so the first spot is drawn again.
    terminal->keys = {32};
    EXPECT_EQ(act_with({1, 1, 0, 5, 3, 6, 3, 0}), (Draws{4, 6, 6, 69, 16, 69, 16, 3}));
    EXPECT_TRUE(archmage.x == 11 && archmage.y == 5);
    EXPECT_TRUE(posted("大魔法使い「フハハハハハハ！！」", 13));
    EXPECT_TRUE(terminal->keys.empty());
}

TEST_F(ArchmageTest, ChaseWalksAtThePlayerAndStrikes) {
    put_archmage(60, 2);
    EXPECT_EQ(act_with({1, 1, 1}), (Draws{4, 6, 6}));
    EXPECT_TRUE(archmage.x == 59 && archmage.y == 3);
    put_archmage(41, 9);
    map[9][40] = {'!', 14};  // fire does not stop it
    act_with({1, 1, 1});
    EXPECT_TRUE(archmage.x == 40 && archmage.y == 9);
    EXPECT_EQ(last_message[0], '\0');

    for (int start_x : {40, 39}) {  // diagonally next to the player; on its cell
        put_archmage(start_x, start_x == 40 ? 10 : 9);
        game.restart_pending = 0;
        game.message_colour = 0;
        terminal->keys = {32};
        bool shown = false;
        terminal->on_key_wait = [&](const ScreenBuffer&) {
            shown = text_on_screen(0, 1, cp("大魔法使いの攻撃が直撃した！"), 13);
        };
        act_with({1, 1, 1});
        EXPECT_TRUE(shown);
        EXPECT_TRUE(posted(MOCKING_VOICE, 13));
        EXPECT_EQ(archmage.kind, KIND_DEAD);
        EXPECT_EQ(game.boss_mode, 0);
        EXPECT_EQ(game.restart_pending, 1);
    }
}

TEST_F(ArchmageTest, ChaseDestroysAMonsterInTheWay) {
    for (int start_x : {41, 39}) {  // the monster next to it; sharing the player's cell
        paint_map_green();
        put_archmage(start_x, 9);
        game.kill_count = 50;
        Creature* m = add_monster(start_x == 41 ? 40 : 39, 9);
        act_with({1, 1, 1});
        EXPECT_EQ(m->kind, KIND_DEAD);
        EXPECT_EQ(count_cells('.', 12), 37);
        EXPECT_EQ(map[9][m->x + 3].colour, 12);
        EXPECT_EQ(map[9][m->x + 4].colour, 2);
        EXPECT_TRUE(archmage.x == start_x && archmage.kind == KIND_ARCHMAGE);
        EXPECT_EQ(game.kill_count, 50);
        EXPECT_EQ(last_message[0], '\0');
        EXPECT_EQ(game.restart_pending, 0);
        purge_dead_monsters();
    }
}

TEST_F(ArchmageTest, BlowsLowerHitPointsAndTheKillCount) {
    put_archmage(50, 12);
    game.kill_count = 77;
    EXPECT_EQ(run_with({1}, [] { hit_archmage(&archmage, 5); }), Draws{3});
    EXPECT_TRUE(archmage_hp == 72 && game.kill_count == 72);
    EXPECT_TRUE(posted("大魔法使いをブッ叩いた！", 11));

    terminal->keys = {32, 32};  // both messages find one waiting
    run_with({0}, [] { hit_archmage(&archmage, 5); });
    EXPECT_TRUE(archmage_hp == 61 && game.kill_count == 61);
    EXPECT_TRUE(posted("＊グッド・ショット＊", 11));

    terminal->keys = {32};
    EXPECT_TRUE(run_with({}, [] { hit_archmage(&archmage, 2); }).empty());
    EXPECT_TRUE(archmage_hp == 59 && game.kill_count == 59);
    EXPECT_TRUE(posted("魔力を込めて大魔法使いをひっぱたいた！", 11));

    game.kill_count = 3;
    terminal->keys = {32, 32};
    run_with({0}, [] { hit_archmage(&archmage, 5); });
    EXPECT_TRUE(archmage_hp == 48 && game.kill_count == 0);  // not -8

    archmage_hp = 3;  // one hit point left after the blow: still standing
    terminal->keys = {32};
    hit_archmage(&archmage, 2);
    EXPECT_EQ(archmage_hp, 1);
    EXPECT_TRUE(archmage.kind == KIND_ARCHMAGE && game.run_state == RUN_PLAYING);
    EXPECT_TRUE(terminal->keys.empty());
}

TEST_F(ArchmageTest, LastBlowWinsTheGame) {
    struct Case {
        int hp, damage;
        Draws raw;
        int more_prompts, kill_count;
    };
    for (const Case& c : {Case{2, 2, {}, 4, 8}, Case{1, 5, {1}, 4, 5}, Case{1, 5, {0}, 5, 0}}) {
        SCOPED_TRACE("hp " + std::to_string(c.hp) + " damage " + std::to_string(c.damage));
        terminal = &start_fresh();
        paint_map_green();
        put_archmage(50, 12);
        archmage_hp = c.hp;
        game.kill_count = 10;
        add_monster(10, 10);

        terminal->keys.assign(c.more_prompts, 32);
        terminal->keys.push_back('x');                        // after the victory
        terminal->keys.insert(terminal->keys.end(), 7, 'a');  // the ending pages
        std::vector<std::string> prompts;                     // each "-more-" line, its colour first
        bool victory_seen = false;
        terminal->on_key_wait = [&](const ScreenBuffer& s) {
            if (terminal->keys_read < c.more_prompts)
                prompts.push_back(std::to_string(s.cell(0, 1).colour) + s.row_text(0));
            if (terminal->keys_read != c.more_prompts) return;
            // The map after the fall: no creatures, a scorched disc.
            victory_seen = true;
            EXPECT_TRUE(text_on_screen(0, 1, cp("勝利した！"), 11));
            EXPECT_EQ(s.cell(13, 50).byte, '.');
            EXPECT_EQ(s.cell(13, 50).colour, 12);
            EXPECT_EQ(s.cell(11, 10).byte, '.');
        };
        random_script(c.raw);
        hit_archmage(&archmage, c.damage);

        EXPECT_TRUE(victory_seen);
        EXPECT_TRUE(terminal->keys.empty());
        EXPECT_EQ(terminal->keys_read, c.more_prompts + 1 + 7);
        const std::string defeat[] = {"11 " + cp("純粋なる魔力の波動が大魔法使いを焼いた！"),
                                      "13 " + cp("大魔法使い「グホッ！」"), "11 " + cp("大魔法使いを倒した！")};
        ASSERT_EQ(prompts.size(), static_cast<std::size_t>(c.more_prompts));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(prompts[c.more_prompts - 3 + i].find(defeat[i]), 0u) << prompts[c.more_prompts - 3 + i];
        EXPECT_EQ(archmage_hp, 0);
        EXPECT_EQ(archmage.kind, KIND_DEAD);
        EXPECT_EQ(game.monsters, nullptr);
        EXPECT_EQ(game.boss_mode, 1);
        EXPECT_EQ(game.run_state, RUN_OVER);
        EXPECT_EQ(game.kill_count, c.kill_count);
        EXPECT_EQ(count_cells('.', 12), 37);
        EXPECT_NE(screen().row_text(17).find("The end"), std::string::npos);
    }
}
