// The cell index of the monsters must answer every question exactly as the
// walk of the monster list does.
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/creature_index.h"
#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "support/test_support.h"
#include "world/map.h"

namespace {

// Cells asked about: the indexed window and a band of four cells beyond it.
constexpr int ASK_LEFT = CREATURE_INDEX_LEFT - 4;
constexpr int ASK_RIGHT = CREATURE_INDEX_LEFT + CREATURE_INDEX_COLUMNS + 3;
constexpr int ASK_TOP = CREATURE_INDEX_TOP - 4;
constexpr int ASK_BOTTOM = CREATURE_INDEX_TOP + CREATURE_INDEX_ROWS + 3;

// find_creature_at as the plain list walk answers it.
Creature* walked_creature_at(int x, int y) {
    Creature* m = first_living_monster_at(x, y);
    if (m != nullptr) return m;
    Creature* boss = game.archmage;
    if (game.boss_mode != 0 && boss->kind != KIND_DEAD && boss->x == x && boss->y == y) return boss;
    return nullptr;
}

struct Population {
    int shared_cells = 0;  // cells holding two living monsters or more
    int dead = 0;
    int outside_window = 0;
};

// `count` monsters on cells drawn from a box around the window (crowded
// enough that some share a cell), about one in five dead, and in boss mode
// the archmage, sometimes on a monster's cell.
Population random_population(std::mt19937& rng, int count, int box_columns, int box_rows) {
    Population p;
    std::vector<std::vector<int>> living(box_rows, std::vector<int>(box_columns, 0));
    for (int i = 0; i < count; ++i) {
        Creature* m = new_monster();
        int column = static_cast<int>(rng() % box_columns);
        int row = static_cast<int>(rng() % box_rows);
        m->x = ASK_LEFT + column;
        m->y = ASK_TOP + row;
        m->kind = rng() % 5 == 0 ? KIND_DEAD : static_cast<int>(rng() % 2) + 1;
        m->colour = 1 + static_cast<int>(rng() % 15);
        m->glyph = '*';
        if (m->kind == KIND_DEAD) {
            ++p.dead;
            continue;
        }
        if (++living[row][column] == 2) ++p.shared_cells;
        if (m->x < CREATURE_INDEX_LEFT || m->x >= CREATURE_INDEX_LEFT + CREATURE_INDEX_COLUMNS ||
            m->y < CREATURE_INDEX_TOP || m->y >= CREATURE_INDEX_TOP + CREATURE_INDEX_ROWS)
            ++p.outside_window;
    }
    game.boss_mode = static_cast<int>(rng() % 2);
    archmage.kind = KIND_ARCHMAGE;
    if (game.monsters != nullptr && rng() % 2 == 0) {
        archmage.x = game.monsters->x;  // on the newest monster's cell
        archmage.y = game.monsters->y;
    } else {
        archmage.x = ASK_LEFT + static_cast<int>(rng() % box_columns);
        archmage.y = ASK_TOP + static_cast<int>(rng() % box_rows);
    }
    return p;
}

// Every cell asked inside an open scope; returns how many answers differed
// from the walk, and counts the cells where something stands.
int differences_from_walk(int& found) {
    int differences = 0;
    found = 0;
    for (int y = ASK_TOP; y <= ASK_BOTTOM; ++y) {
        for (int x = ASK_LEFT; x <= ASK_RIGHT; ++x) {
            Creature* indexed = find_creature_at(x, y);
            if (indexed != walked_creature_at(x, y)) ++differences;
            if (indexed != nullptr) ++found;
        }
    }
    return differences;
}

class CreatureIndexTest : public GameTest {
   protected:
    void TearDown() override {
        set_creature_index_enabled(true);
        GameTest::TearDown();
    }
};

TEST_F(CreatureIndexTest, AnswersAsTheListWalkOnRandomPopulations) {
    std::mt19937 rng(20240601);
    int total_shared = 0;
    int total_dead = 0;
    int total_outside = 0;
    for (int round = 0; round < 40; ++round) {
        clear_monsters();
        // Small boxes crowd the monsters onto shared cells; the full box
        // spreads them over the window and beyond it.
        int columns = round % 2 == 0 ? 12 : ASK_RIGHT - ASK_LEFT + 1;
        int rows = round % 2 == 0 ? 8 : ASK_BOTTOM - ASK_TOP + 1;
        Population p = random_population(rng, 20 + round * 25, columns, rows);
        total_shared += p.shared_cells;
        total_dead += p.dead;
        total_outside += p.outside_window;

        CreatureIndexScope scope;
        ASSERT_TRUE(creature_index_active());
        int found = 0;
        EXPECT_EQ(differences_from_walk(found), 0) << "round " << round;
        EXPECT_GT(found, 0) << "round " << round;
    }
    // The populations did hold what the index must get right.
    EXPECT_GT(total_shared, 0);
    EXPECT_GT(total_dead, 0);
    EXPECT_GT(total_outside, 0);
}

TEST_F(CreatureIndexTest, FollowsMonstersMovedWhileOpen) {
    std::mt19937 rng(77);
    random_population(rng, 300, 30, 20);
    std::vector<Creature*> living;
    for (Creature* m = game.monsters; m != nullptr; m = m->next)
        if (m->kind != KIND_DEAD) living.push_back(m);
    ASSERT_FALSE(living.empty());

    CreatureIndexScope scope;
    for (int move = 0; move < 2000; ++move) {
        Creature* m = living[rng() % living.size()];
        int from_x = m->x;
        int from_y = m->y;
        // Mostly a step; now and then a leap out of the window or back.
        if (rng() % 50 == 0) {
            m->x = static_cast<int>(rng() % 200) - 100;
            m->y = static_cast<int>(rng() % 100) - 40;
        } else {
            m->x += static_cast<int>(rng() % 3) - 1;
            m->y += static_cast<int>(rng() % 3) - 1;
        }
        creature_index_moved(m, from_x, from_y);
        // Some die where they stand, as a monster lost beyond the map does.
        if (rng() % 200 == 0) m->kind = KIND_DEAD;
        if (move % 100 == 0) {
            int found = 0;
            ASSERT_EQ(differences_from_walk(found), 0) << "after move " << move;
        }
    }
    int found = 0;
    EXPECT_EQ(differences_from_walk(found), 0);
    EXPECT_GT(found, 0);
}

TEST_F(CreatureIndexTest, IsOnlyUsedWhileAScopeIsOpen) {
    Creature* m = new_monster();
    m->kind = KIND_CHASER;
    m->x = 10;
    m->y = 5;
    EXPECT_FALSE(creature_index_active());
    {
        CreatureIndexScope outer;
        EXPECT_TRUE(creature_index_active());
        {
            CreatureIndexScope inner;  // shares the outer one
            EXPECT_EQ(find_creature_at(10, 5), m);
        }
        EXPECT_TRUE(creature_index_active());
        EXPECT_EQ(find_creature_at(10, 5), m);
    }
    EXPECT_FALSE(creature_index_active());
    // Moved behind the index's back: the walk sees it at once.
    m->x = 11;
    EXPECT_EQ(find_creature_at(10, 5), nullptr);
    EXPECT_EQ(find_creature_at(11, 5), m);
    set_creature_index_enabled(false);
    {
        CreatureIndexScope scope;
        EXPECT_FALSE(creature_index_active());
        EXPECT_EQ(find_creature_at(11, 5), m);
    }
}

TEST_F(CreatureIndexTest, NewestOfTwoMonstersOnOneCellIsFound) {
    Creature* older = new_monster();
    older->kind = KIND_WANDERER;
    older->x = 3;
    older->y = 4;
    Creature* newer = new_monster();
    newer->kind = KIND_CHASER;
    newer->x = 3;
    newer->y = 4;
    CreatureIndexScope scope;
    EXPECT_EQ(find_creature_at(3, 4), newer);
    newer->kind = KIND_DEAD;
    EXPECT_EQ(find_creature_at(3, 4), older);
    older->kind = KIND_DEAD;
    EXPECT_EQ(find_creature_at(3, 4), nullptr);
}

// A whole crowded state, played on with the index and without it.
struct Played {
    std::vector<int> cells;  // kind, x, y, energy of every record, in order
    long draws = 0;
    std::vector<std::string> rows;
};

Played play_crowd(bool with_index, int monsters) {
    start_fresh(5);
    set_creature_index_enabled(with_index);
    std::mt19937 rng(99);
    regenerate_terrain(1);
    for (int i = 0; i < 12; ++i) map[rng() % MAP_HEIGHT][rng() % MAP_WIDTH].glyph = GLYPH_FIRE;
    for (int i = 0; i < monsters; ++i) {
        Creature* m = new_monster();
        m->kind = rng() % 7 == 0 ? KIND_DEAD : static_cast<int>(rng() % 2) + 1;
        m->x = static_cast<int>(rng() % 95) - 8;  // shared cells too
        m->y = static_cast<int>(rng() % 36) - 8;
        m->colour = 1 + static_cast<int>(rng() % 15);
        m->glyph = rng() % 3 == 0 ? '%' : '*';
        m->energy = static_cast<int>(rng() % 100);
    }
    game.boss_mode = 1;
    archmage = Creature{KIND_ARCHMAGE, 20, 7, 13, 0, '@', nullptr, nullptr};

    Played played;
    for (int turn = 0; turn < 30; ++turn) {
        draw_screen();
        for (int r = 0; r < SCREEN_ROWS; ++r) played.rows.push_back(screen().row_text(r));
        monsters_act();
    }
    for (Creature* m = game.monsters; m != nullptr; m = m->next)
        played.cells.insert(played.cells.end(), {m->kind, m->x, m->y, m->energy});
    played.draws = random_draw_count();
    clear_monsters();
    set_creature_index_enabled(true);
    return played;
}

TEST_F(CreatureIndexTest, RedrawsAndMonsterTurnsAreTheSameWithoutIt) {
    for (int monsters : {0, 1, 40, 700}) {
        Played with = play_crowd(true, monsters);
        Played without = play_crowd(false, monsters);
        EXPECT_EQ(with.draws, without.draws) << monsters << " monsters";
        EXPECT_GT(with.draws, 0);
        EXPECT_EQ(with.cells, without.cells) << monsters << " monsters";
        EXPECT_EQ(with.rows, without.rows) << monsters << " monsters";
    }
}

}  // namespace
