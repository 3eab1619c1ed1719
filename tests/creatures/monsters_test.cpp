// The monster list, spawning, the monsters' turn and their deaths.
#include <string>

#include "creatures/creature_helpers.h"
#include "game/random.h"
#include "screen/messages.h"
#include "text/tables.h"

namespace {

using List = std::vector<Creature*>;

// The list from the head, after checking that every link runs both ways.
List monster_list() {
    List list;
    Creature* prev = nullptr;
    for (Creature* m = game.monsters; m != nullptr; prev = m, m = m->next) {
        EXPECT_EQ(m->prev, prev) << "record " << list.size();
        list.push_back(m);
    }
    return list;
}

}  // namespace

class MonsterTest : public GreenMapTest {};

TEST_F(MonsterTest, ListRunsNewestFirstAndPurgeKeepsItLinked) {
    Creature* a = new_monster();
    EXPECT_TRUE(a->kind == 0 && a->energy == 0 && a->x == 0 && a->glyph == 0);
    Creature* b = new_monster();
    Creature* c = new_monster();
    EXPECT_EQ(monster_list(), (List{c, b, a}));
    EXPECT_EQ(a->next, nullptr);
    a->kind = b->kind = c->kind = KIND_CHASER;

    b->kind = KIND_DEAD;  // the middle
    purge_dead_monsters();
    EXPECT_EQ(monster_list(), (List{c, a}));
    c->kind = KIND_DEAD;  // the head
    purge_dead_monsters();
    EXPECT_EQ(monster_list(), List{a});

    Creature* d = add_monster(4, 4, KIND_CHASER);
    add_monster(5, 5, KIND_DEAD);  // a run of two at the head ...
    add_monster(6, 6, KIND_DEAD);
    a->kind = KIND_DEAD;  // ... and the tail
    purge_dead_monsters();
    EXPECT_EQ(monster_list(), List{d});

    add_monster(7, 7, KIND_DEAD);
    d->kind = KIND_DEAD;  // everything
    purge_dead_monsters();
    EXPECT_EQ(game.monsters, nullptr);
    purge_dead_monsters();
    clear_monsters();
    EXPECT_EQ(game.monsters, nullptr);

    for (int i = 0; i < 4; ++i) add_monster(i, i, KIND_WANDERER);
    clear_monsters();
    EXPECT_EQ(game.monsters, nullptr);
}

TEST_F(MonsterTest, FindCreatureSeesLivingMonstersFirstThenTheArchmage) {
    put_archmage(10, 5);
    game.boss_mode = 0;
    EXPECT_EQ(find_creature_at(10, 5), nullptr);
    game.boss_mode = 1;
    EXPECT_EQ(find_creature_at(10, 5), &archmage);
    EXPECT_EQ(find_creature_at(11, 5), nullptr);

    add_monster(10, 5, KIND_DEAD);
    EXPECT_EQ(find_creature_at(10, 5), &archmage);
    Creature* older = add_monster(20, 7, KIND_WANDERER);
    Creature* shared = add_monster(10, 5, KIND_CHASER);
    EXPECT_EQ(find_creature_at(10, 5), shared);
    EXPECT_EQ(find_creature_at(20, 7), older);
    shared->kind = KIND_DEAD;
    archmage.kind = KIND_DEAD;
    EXPECT_EQ(find_creature_at(10, 5), nullptr);
}

TEST_F(MonsterTest, SpawnDrawsColourGlyphAndKindOnlyOnAFreeCell) {
    random_script({3, 0, 1, 29, 2, 0});
    random_start_log();
    spawn_monster(78, 5);
    spawn_monster(0, 12);
    EXPECT_EQ(random_log(), (Draws{15, 3, 2, 15, 3, 2}));
    List list = monster_list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[1]->x == 78 && list[1]->y == 5 && list[1]->energy == 0);
    EXPECT_TRUE(list[1]->colour == 4 && list[1]->glyph == '%' && list[1]->kind == KIND_WANDERER);
    EXPECT_TRUE(list[0]->colour == 15 && list[0]->glyph == '*' && list[0]->kind == KIND_CHASER);

    put_archmage(40, 3);
    random_start_log();
    spawn_monster(78, 5);
    spawn_monster(40, 3);
    EXPECT_TRUE(random_log().empty());
    EXPECT_EQ(monster_list().size(), 2u);
}

TEST_F(MonsterTest, TurnGivesEnergyThenStepsMonsterByMonster) {
    Creature* old = add_monster(10, 5, KIND_WANDERER);
    Creature* dead = add_monster(12, 5, KIND_DEAD);
    Creature* fresh = add_monster(20, 5, KIND_WANDERER);
    old->energy = 54;
    dead->energy = 99;
    fresh->energy = 60;
    game.restart_pending = 1;
    random_start_log();
    monsters_act();
    EXPECT_TRUE(random_log().empty());
    EXPECT_EQ(fresh->energy, 60);

    // fresh: +40 makes 100 and it steps right; old: +45 makes 99.
    game.restart_pending = 0;
    random_script({0, 3, 5});
    monsters_act();
    EXPECT_EQ(random_log(), (Draws{20, 9, 20}));
    EXPECT_TRUE(fresh->x == 21 && fresh->energy == 0);
    EXPECT_TRUE(old->x == 10 && old->energy == 99);
    EXPECT_EQ(dead->energy, 99);
}

TEST_F(MonsterTest, StepsDrawAndMoveAsTheirKindSays) {
    // Obstacles around (20, 10): a monster to the right, the archmage below,
    // a dead monster to the left.
    add_monster(21, 10, KIND_CHASER);
    add_monster(19, 10, KIND_DEAD);
    put_archmage(20, 11);
    struct Case {
        const char* what;
        int kind, x, y;
        Draws raw, bounds;
        int to_x, to_y;
    };
    const int C = KIND_CHASER, W = KIND_WANDERER;
    const Case cases[] = {
        {"chaser closes in", C, 30, 5, {1, 1}, {4, 4}, 31, 6},
        {"chaser keeps its column", C, 30, 5, {0, 3}, {4, 4}, 30, 6},
        {"chaser takes a random row step", C, 30, 5, {2, 0, 0}, {4, 4, 3}, 31, 4},
        {"chaser in the player's column", C, 39, 3, {1, 1}, {4, 4}, 39, 4},
        {"chaser from below right", C, 45, 15, {1, 1}, {4, 4}, 44, 14},
        {"chaser next to the player", C, 38, 8, {1, 1}, {4, 4}, 38, 8},
        {"chaser aiming at its own cell", C, 38, 8, {0, 0, 1}, {4, 4, 3}, 38, 8},
        {"wanderer up-left", W, 10, 10, {9}, {9}, 9, 9},
        {"wanderer up-right", W, 10, 10, {2}, {9}, 11, 9},
        {"wanderer down-right", W, 10, 10, {13}, {9}, 11, 11},
        {"wanderer down-left", W, 10, 10, {6}, {9}, 9, 11},
        {"wanderer standing still", W, 10, 10, {8}, {9}, 10, 10},
        {"onto a monster", W, 20, 10, {3}, {9}, 20, 10},
        {"onto the archmage", W, 20, 10, {5}, {9}, 20, 10},
        {"over a dead monster", W, 20, 10, {7}, {9}, 19, 10},
        {"margin left", W, -4, 9, {3}, {9}, -3, 9},
        {"margin right", W, 82, 9, {3}, {9}, 83, 9},
        {"margin top", W, 39, -4, {3}, {9}, 40, -4},
        {"margin bottom", W, 39, 23, {3}, {9}, 40, 23},
        {"beyond left", W, -5, 9, {1, 3}, {4, 9}, -4, 9},
        {"beyond right", W, 83, 9, {1, 3}, {4, 9}, 84, 9},
        {"beyond top", W, 39, -5, {1, 3}, {4, 9}, 40, -5},
        {"beyond bottom", W, 39, 24, {1, 3}, {4, 9}, 40, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Creature* m = add_monster(c.x, c.y, c.kind);
        random_script(c.raw);
        random_start_log();
        monster_step(m);
        EXPECT_EQ(random_log(), c.bounds);
        EXPECT_EQ(random_script_left(), 0);
        EXPECT_TRUE(m->x == c.to_x && m->y == c.to_y) << m->x << "," << m->y;
        EXPECT_EQ(m->kind, c.kind);
        m->kind = KIND_DEAD;
        purge_dead_monsters();
    }
    EXPECT_EQ(game.restart_pending, 0);

    // A range draw of 0: gone without a step, a scorch or a message; it
    // stays in the list until the purge.
    Creature* m = add_monster(83, 9, KIND_WANDERER);
    random_script({4});
    random_start_log();
    monster_step(m);
    EXPECT_EQ(random_log(), Draws{4});
    EXPECT_EQ(m->kind, KIND_DEAD);
    EXPECT_EQ(m->x, 83);
    EXPECT_EQ(count_cells(0, 12), 0);
    EXPECT_EQ(last_message[0], '\0');
    EXPECT_EQ(game.monsters, m);
}

TEST_F(MonsterTest, EachKillTellsTheNextStoryLine) {
    Creature* first = add_monster(20, 5, KIND_CHASER);
    Creature* second = add_monster(0, 0, KIND_WANDERER);
    random_start_log();
    kill_monster(first);
    EXPECT_EQ(std::string(last_message), KILL_STORY[0]);
    EXPECT_EQ(game.message_colour, 11);
    EXPECT_EQ(game.kill_count, 1);
    EXPECT_EQ(first->kind, KIND_DEAD);
    EXPECT_EQ(map[5][20].colour, 12);
    EXPECT_EQ(count_cells(0, 12), 37);
    EXPECT_EQ(monster_list().size(), 2u);  // dead until the purge

    terminal->keys = {32};
    kill_monster(second);
    EXPECT_TRUE(terminal->keys.empty());
    EXPECT_EQ(std::string(last_message), KILL_STORY[1]);
    EXPECT_EQ(game.kill_count, 2);
    EXPECT_EQ(count_cells(0, 12), 37 + 13);
    EXPECT_TRUE(random_log().empty());
    EXPECT_EQ(game.boss_mode, 0);
}

TEST_F(MonsterTest, SeventySeventhKillSummonsTheArchmage) {
    game.kill_count = 76;
    archmage_hp = 77;
    archmage.energy = 42;
    Creature* m = add_monster(60, 15, KIND_CHASER);
    // (42, 9) is three columns from the player: rejected; (42, 10) is not.
    random_script({37, 7, 37, 8});
    random_start_log();
    kill_monster(m);
    EXPECT_EQ(random_log(), (Draws{69, 16, 69, 16}));
    EXPECT_EQ(std::string(last_message), KILL_STORY[76]);
    EXPECT_EQ(game.message_colour, 11);
    EXPECT_EQ(game.kill_count, 77);
    EXPECT_EQ(game.boss_mode, 1);
    EXPECT_EQ(map[15][60].colour, 12);
    EXPECT_TRUE(archmage.kind == KIND_ARCHMAGE && archmage.colour == 13 && archmage.glyph == '@');
    EXPECT_TRUE(archmage.x == 42 && archmage.y == 10);
    EXPECT_TRUE(archmage.energy == 42 && archmage_hp == 77);
}

TEST_F(MonsterTest, KillsInBossModeTellPhrasesAndKeepTheCount) {
    put_archmage(10, 5);
    for (int count : {77, 30}) {
        game.kill_count = count;
        game.message_colour = 0;
        Creature* m = add_monster(70, 2, KIND_WANDERER);
        random_start_log();
        kill_monster(m);
        EXPECT_EQ(random_log().size(), 79u);  // the phrase's own draws
        EXPECT_EQ(game.kill_count, count);
        EXPECT_EQ(game.message_colour, 12);
        EXPECT_NE(last_message[0], '\0');
        EXPECT_NE(std::string(last_message), KILL_STORY[count % 77]);
        EXPECT_EQ(m->kind, KIND_DEAD);
        EXPECT_EQ(map[2][70].colour, 12);
        EXPECT_TRUE(archmage.x == 10 && archmage.kind == KIND_ARCHMAGE);
    }
}

TEST_F(MonsterTest, OutOfMemoryEndsTheProgram) {
    EXPECT_EXIT(
        {
            set_creature_allocation_limit(0);
            spawn_monster(78, 5);
        },
        ::testing::ExitedWithCode(1), "^out of mem!$");
}
