#include "game/commands.h"

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/state.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "text/game_texts.h"
#include "text/phrases.h"
#include "world/map.h"
#include "world/scrolling.h"

namespace {

constexpr int RANGED_REACH = 3;

// The direction a key names, or -1. "5" names no direction to a command,
// but answers the direction prompt with "none".
int direction_of_key(int key, bool five_is_none) {
    // A key table: the keys of one meaning share a line.
    // clang-format off
    switch (key) {
        case '7': case 'y': return 0;
        case '8': case 'k': case KEY_CODE_UP: return 1;
        case '9': case 'u': return 2;
        case '6': case 'l': case KEY_CODE_RIGHT: return 3;
        case '3': case 'n': return 4;
        case '2': case 'j': case KEY_CODE_DOWN: return 5;
        case '1': case 'b': return 6;
        case '4': case 'h': case KEY_CODE_LEFT: return 7;
        case '5': return five_is_none ? DIRECTION_NONE : -1;
        default: return -1;
    }
    // clang-format on
}

// Strikes whatever stands on a cell: the archmage takes a blow, a monster
// dies. Returns false when nothing stands there.
bool strike_creature_at(int x, int y, int archmage_damage) {
    Creature* target = find_creature_at(x, y);
    if (target == nullptr) return false;
    if (target->kind == KIND_ARCHMAGE)
        hit_archmage(target, archmage_damage);
    else
        kill_monster(target);
    return true;
}

void step_or_attack(int d) {
    int x = game.player_x + DIR_DX[d];
    int y = game.player_y + DIR_DY[d];
    if (!strike_creature_at(x, y, MELEE_DAMAGE)) scroll_world(DIR_DX[d], DIR_DY[d]);
}

void hidden_shortcut(int key) {
    if (key == control_key('E')) {
        game.shortcut_stage = 1;
    } else if (key == control_key('O')) {
        if (game.shortcut_stage == 1) game.shortcut_stage = 2;
    } else if (game.shortcut_stage == 2) {
        game.kill_count = STORY_LENGTH - 1;
    }
}

// Carries out the command of a key; returns true when it spends an action.
bool carry_out(int key) {
    int d = direction_of_key(key, false);
    if (d >= 0) {
        step_or_attack(d);
        return true;
    }
    // A key table: the keys of one meaning share a line.
    // clang-format off
    switch (key) {
        case ' ': case ',': case '.': case 'g': case 'r': case 's':
            pick_up_scroll();
            return true;
        case 'a': case 'z':
            ranged_attack();
            return true;
        case 'd':
            regenerate_terrain(0);  // fire pillars stay where they stand
            return true;
        case 'Q':
            game.run_state = RUN_OVER;
            return false;
        case control_key('E'): case control_key('O'): case control_key('X'):
            hidden_shortcut(key);
            return false;
        default:
            return false;
    }
    // clang-format on
}

}  // namespace

void player_command() {
    int key = console_read_key({KeyWait::command, MAP_TOP_ROW + game.player_y, game.player_x});
    game.message_colour = 0;  // whatever the key, the message has been seen
    if (carry_out(key)) game.energy -= ACTION_COST;
}

int ask_direction(const char* prompt) {
    post_message(prompt, COLOUR_WHITE);
    draw_screen();
    int d;
    while ((d = direction_of_key(console_read_key({KeyWait::direction, MAP_TOP_ROW + game.player_y, game.player_x}),
                                 true)) < 0) {}
    game.message_colour = 0;
    return d;
}

void ranged_attack() {
    int d = ask_direction(shown_text(GameText::attack_prompt));
    if (d == DIRECTION_NONE) return;
    int x = game.player_x;
    int y = game.player_y;
    for (int step = 0; step < RANGED_REACH; ++step) {
        x += DIR_DX[d];
        y += DIR_DY[d];
        if (in_bounds(x, y) && strike_creature_at(x, y, RANGED_DAMAGE)) return;
    }
    post_message(shown_text(GameText::attack_missed), COLOUR_WHITE);
}

void pick_up_scroll() {
    MapCell& underfoot = map[game.player_y][game.player_x];
    if (underfoot.glyph != GLYPH_SCROLL) return;
    char phrase[1024];
    make_scroll_phrase(phrase, sizeof phrase);
    post_message(phrase, COLOUR_LIGHT_RED);
    underfoot = MapCell{'.', COLOUR_DARK_GREY};
}
