#include "creatures/archmage.h"

#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "game/tally.h"
#include "game/turn.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "screen/pages.h"
#include "text/game_texts.h"
#include "text/phrases.h"
#include "world/map.h"

Creature archmage;
int32_t archmage_hp;

namespace {

constexpr int PLACEMENT_TRIES = 201;

int squared_distance_to_player(int x, int y) {
    int dx = x - game.player_x;
    int dy = y - game.player_y;
    return dx * dx + dy * dy;
}

// One pillar: up to 201 tries; false when every try was rejected.
bool place_one_fire_pillar() {
    for (int tries = 0; tries < PLACEMENT_TRIES; ++tries) {
        int x = random_below(77) + 1;
        int y = random_below(77) + 1;  // rows past the map are simply rejected
        if (find_creature_at(x, y) == nullptr && in_bounds(x, y) && !is_player_at(x, y)) {
            map[y][x] = MapCell{GLYPH_FIRE, COLOUR_YELLOW};
            return true;
        }
    }
    return false;
}

void escape(Creature* c) {
    c->kind = KIND_DEAD;
    game.boss_mode = 0;
    reset_world();
    post_message(shown_text(GameText::archmage_fled), COLOUR_MAGENTA);
    post_message(shown_text(GameText::mocking_voice), COLOUR_LIGHT_MAGENTA);
}

void cast_fire_pillars() {
    post_message(shown_text(GameText::fire_spell), COLOUR_LIGHT_RED);
    place_fire_pillars(random_below(6) + 3);
}

void shout() {
    char text[300];
    make_archmage_shout(text, sizeof text);
    post_message(text, COLOUR_LIGHT_MAGENTA);
}

void teleport(Creature* c) {
    place_archmage(c);
    if (random_below(3) != 0)
        post_message(shown_text(GameText::short_laugh), COLOUR_MAGENTA);
    else
        post_message(shown_text(GameText::long_laugh), COLOUR_LIGHT_MAGENTA);
}

// Walks straight at the player; a monster in the way is destroyed instead,
// and reaching the player is a blow that ends the dream.
void chase(Creature* c) {
    int tx = c->x + step_towards(c->x, game.player_x);
    int ty = c->y + step_towards(c->y, game.player_y);
    Creature* in_the_way = find_creature_at(tx, ty);
    if (in_the_way != nullptr && in_the_way != c) {
        scorch_area(in_the_way);
        in_the_way->kind = KIND_DEAD;
        return;
    }
    if (is_player_at(tx, ty)) {
        post_message(shown_text(GameText::archmage_strike), COLOUR_LIGHT_MAGENTA);
        post_message(shown_text(GameText::mocking_voice), COLOUR_LIGHT_MAGENTA);
        c->kind = KIND_DEAD;
        game.boss_mode = 0;
        game.restart_pending = 1;
        return;
    }
    c->x = tx;
    c->y = ty;
}

void defeat(Creature* c) {
    archmage_hp = 0;
    run_tally.won = true;
    scorch_area(c);
    c->kind = KIND_DEAD;
    clear_monsters();
    post_message(shown_text(GameText::defeat_burned), COLOUR_LIGHT_CYAN);
    post_message(shown_text(GameText::defeat_groan), COLOUR_LIGHT_MAGENTA);
    draw_screen();
    post_message(shown_text(GameText::defeat_slain), COLOUR_LIGHT_CYAN);
    post_message(shown_text(GameText::victory), COLOUR_LIGHT_CYAN);
    console_read_key({KeyWait::more});
    ending_screen();
    game.run_state = RUN_OVER;
}

}  // namespace

void summon_archmage() {
    archmage.kind = KIND_ARCHMAGE;
    archmage.colour = COLOUR_LIGHT_MAGENTA;
    archmage.glyph = '@';
    game.boss_mode = 1;
    place_archmage(&archmage);
}

void place_archmage(Creature* c) {
    int x = 0;
    int y = 0;
    for (int tries = 0; tries < PLACEMENT_TRIES; ++tries) {
        x = random_below(69) + 5;
        y = random_below(16) + 2;
        if (find_creature_at(x, y) == nullptr && squared_distance_to_player(x, y) > 9) break;
    }
    // After 201 rejections the last spot drawn is taken all the same.
    c->x = x;
    c->y = y;
}

void place_fire_pillars(int n) {
    for (int i = 0; i < n; ++i)
        if (!place_one_fire_pillar()) return;
}

void archmage_act(Creature* c) {
    if (game.boss_mode == 0 || c->kind == KIND_DEAD) return;
    if (beyond_margin(c) && random_below(4) == 0) {
        escape(c);
        return;
    }
    if (random_below(4) == 0) {
        cast_fire_pillars();
    } else if (random_below(6) == 0) {
        shout();
    } else if (random_below(6) == 0) {
        teleport(c);
    } else {
        chase(c);
    }
}

void hit_archmage(Creature* c, int damage) {
    if (damage >= MELEE_DAMAGE) {
        post_message(shown_text(GameText::melee_blow), COLOUR_LIGHT_CYAN);
        if (random_below(3) == 0) {
            post_message(shown_text(GameText::good_shot), COLOUR_LIGHT_CYAN);
            damage += 6;
        }
    } else {
        post_message(shown_text(GameText::ranged_blow), COLOUR_LIGHT_CYAN);
    }
    archmage_hp -= damage;
    game.kill_count -= damage;
    if (game.kill_count < 0) game.kill_count = 0;
    if (archmage_hp > 0) return;
    defeat(c);
}
