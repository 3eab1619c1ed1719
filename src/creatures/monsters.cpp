#include "creatures/monsters.h"

#include <cstdio>
#include <cstdlib>

#include "creatures/archmage.h"
#include "game/out_of_memory.h"
#include "game/random.h"
#include "game/state.h"
#include "game/tally.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "text/phrases.h"
#include "text/tables.h"
#include "world/map.h"

namespace {

long allocations_left = -1;  // negative: no limit

}  // namespace

void set_creature_allocation_limit(long allocations) { allocations_left = allocations; }

Creature* alloc_creature() {
    void* record = nullptr;
    if (allocations_left != 0) {
        record = std::calloc(1, sizeof(Creature));
        if (allocations_left > 0) --allocations_left;
    }
    if (record == nullptr) out_of_memory();
    return static_cast<Creature*>(record);
}

Creature* new_monster() {
    Creature* m = alloc_creature();
    if (game.monsters != nullptr) game.monsters->prev = m;
    m->prev = nullptr;
    m->next = game.monsters;
    game.monsters = m;
    return m;
}

void unlink_monster(Creature* m) {
    Creature* next = m->next;
    Creature* prev = m->prev;
    if (game.monsters == m) game.monsters = next;
    if (prev != nullptr) prev->next = next;
    if (next != nullptr) next->prev = prev;
    std::free(m);
}

void purge_dead_monsters() {
    Creature* m = game.monsters;
    while (m != nullptr) {
        Creature* next = m->next;
        if (m->kind == KIND_DEAD) unlink_monster(m);
        m = next;
    }
}

void clear_monsters() {
    for (Creature* m = game.monsters; m != nullptr; m = m->next) m->kind = KIND_DEAD;
    purge_dead_monsters();
}

Creature* find_creature_at(int x, int y) {
    for (Creature* m = game.monsters; m != nullptr; m = m->next)
        if (m->x == x && m->y == y && m->kind != KIND_DEAD) return m;
    Creature* boss = game.archmage;
    if (game.boss_mode != 0 && boss->kind != KIND_DEAD && boss->x == x && boss->y == y) return boss;
    return nullptr;
}

void spawn_monster(int x, int y) {
    if (find_creature_at(x, y) != nullptr) return;
    Creature* m = new_monster();
    m->x = x;
    m->y = y;
    m->colour = random_below(15) + 1;
    m->glyph = '*';
    if (random_below(3) == 0) m->glyph = '%';
    m->kind = random_below(2) + 1;  // chaser or wanderer; the look says nothing
}

void monsters_act() {
    if (game.restart_pending != 0) return;
    for (Creature* m = game.monsters; m != nullptr; m = m->next) {
        if (m->kind == KIND_DEAD) continue;
        m->energy += random_below(20) + 40;
        while (m->energy >= ACTION_COST) {
            monster_step(m);
            m->energy -= ACTION_COST;
        }
    }
}

void monster_step(Creature* m) {
    if (beyond_margin(m) && random_below(4) == 0) {
        m->kind = KIND_DEAD;  // lost in the dark beyond the map
        return;
    }
    int dx;
    int dy;
    if (m->kind == KIND_CHASER) {
        dx = random_below(4) != 0 ? step_towards(m->x, game.player_x) : 0;
        dy = step_towards(m->y, game.player_y);
        if (random_below(4) == 0) dy = random_below(3) - 1;
    } else {
        int d = random_below(9);
        dx = DIR_DX[d];
        dy = DIR_DY[d];
    }
    int tx = m->x + dx;
    int ty = m->y + dy;
    if (find_creature_at(tx, ty) != nullptr || is_player_at(tx, ty)) return;
    m->x = tx;
    m->y = ty;
}

void kill_monster(Creature* m) {
    ++run_tally.kills;
    if (game.boss_mode == 0 && game.kill_count < STORY_LENGTH) {
        post_message(shown_list(KILL_STORY)[game.kill_count], COLOUR_LIGHT_CYAN);
        ++game.kill_count;
        scorch_area(m);
        m->kind = KIND_DEAD;
        if (game.kill_count == STORY_LENGTH) {
            summon_archmage();
            game.boss_mode = 1;
        }
        return;
    }
    scorch_area(m);
    m->kind = KIND_DEAD;
    char phrase[400];
    make_scroll_phrase(phrase, sizeof phrase);
    post_message(phrase, COLOUR_LIGHT_RED);
}
