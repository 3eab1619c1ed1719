#include "game/invariants.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "creatures/archmage.h"
#include "game/state.h"
#include "screen/console.h"

namespace {

std::string describe(const char* format, long a = 0, long b = 0, long c = 0) {
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

uint64_t cell_key(int32_t x, int32_t y) {
    return static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32 | static_cast<uint32_t>(y);
}

std::string broken_counter_rule() {
    if (game.player_x != PLAYER_START_X || game.player_y != PLAYER_START_Y)
        return describe("player at (%ld, %ld)", game.player_x, game.player_y);
    if (game.energy != 0 && game.energy != 50) return describe("player energy %ld", game.energy);
    if (game.kill_count < 0 || game.kill_count > STORY_LENGTH) return describe("kill_count %ld", game.kill_count);
    if (archmage_hp < 0 || archmage_hp > ARCHMAGE_MAX_HP) return describe("archmage_hp %ld", archmage_hp);
    if (game.boss_mode != 0 && game.boss_mode != 1) return describe("boss_mode %ld", game.boss_mode);
    if (game.restart_pending != 0) return describe("restart_pending %ld", game.restart_pending);
    if (game.shortcut_stage < 0 || game.shortcut_stage > 2) return describe("shortcut_stage %ld", game.shortcut_stage);
    if (game.run_state != RUN_PLAYING) return describe("run_state %ld", game.run_state);
    if (game.message_colour < 0 || game.message_colour > 15) return describe("message_colour %ld", game.message_colour);
    return {};
}

std::string broken_archmage_rule() {
    const Creature* boss = game.archmage;
    if (boss != &archmage) return "the archmage link moved";
    if (boss->next != nullptr || boss->prev != nullptr) return "the archmage is linked to the monster list";
    if (boss->energy >= ACTION_COST) return describe("archmage energy %ld", boss->energy);
    bool present = boss->kind == KIND_ARCHMAGE;
    if (boss->kind != KIND_DEAD && !present) return describe("archmage kind %ld", boss->kind);
    if ((game.boss_mode == 1) != present)
        return describe("boss_mode %ld with archmage kind %ld", game.boss_mode, boss->kind);
    if (present && (boss->colour != 13 || boss->glyph != '@'))
        return describe("archmage drawn as %ld in colour %ld", boss->glyph, boss->colour);
    return {};
}

}  // namespace

std::string broken_monster_list_rule() {
    // Kept from call to call, so that checking allocates nothing once warm.
    static std::vector<uint64_t> occupied;
    occupied.clear();
    const Creature* previous = nullptr;
    const Creature* hare = game.monsters;  // moves two links for each one
    long position = 0;
    for (const Creature* m = game.monsters; m != nullptr; m = m->next, ++position) {
        if (m->prev != previous) return describe("monster %ld: prev does not lead back", position);
        if (hare != nullptr) hare = hare->next;
        if (hare != nullptr) hare = hare->next;
        if (hare != nullptr && hare == m) return "the monster list runs in a circle";
        previous = m;
        if (m->kind == KIND_DEAD) continue;
        if (m->kind != KIND_CHASER && m->kind != KIND_WANDERER)
            return describe("monster %ld of kind %ld", position, m->kind);
        if (m->colour < 1 || m->colour > 15 || (m->glyph != '*' && m->glyph != '%'))
            return describe("monster %ld drawn as %ld in colour %ld", position, m->glyph, m->colour);
        if (m->energy < 0 || m->energy >= ACTION_COST)
            return describe("monster %ld with energy %ld", position, m->energy);
        if (m->x == game.player_x && m->y == game.player_y)
            return describe("monster %ld on the player's cell", position);
        occupied.push_back(cell_key(m->x, m->y));
    }
    std::sort(occupied.begin(), occupied.end());
    auto shared = std::adjacent_find(occupied.begin(), occupied.end());
    if (shared != occupied.end())
        return describe("two living monsters at (%ld, %ld)", static_cast<int32_t>(*shared >> 32),
                        static_cast<int32_t>(*shared & 0xffffffffu));
    return {};
}

namespace {

std::string broken_screen_rule() {
    const ScreenBuffer& s = screen();
    if (s.cursor_row() < 0 || s.cursor_row() >= SCREEN_ROWS || s.cursor_col() < 0 || s.cursor_col() >= SCREEN_COLS)
        return describe("cursor at (%ld, %ld), off the screen", s.cursor_row(), s.cursor_col());
    return {};
}

}  // namespace

std::string broken_turn_rule() {
    std::string broken = broken_counter_rule();
    if (broken.empty()) broken = broken_archmage_rule();
    if (broken.empty()) broken = broken_monster_list_rule();
    if (broken.empty()) broken = broken_screen_rule();
    return broken;
}

int living_monster_count() {
    int count = 0;
    for (const Creature* m = game.monsters; m != nullptr; m = m->next)
        if (m->kind != KIND_DEAD) ++count;
    return count;
}

int monster_list_length() {
    int count = 0;
    for (const Creature* m = game.monsters; m != nullptr; m = m->next) ++count;
    return count;
}
