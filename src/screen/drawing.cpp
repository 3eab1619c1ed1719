#include "screen/drawing.h"

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "world/map.h"

namespace {

constexpr int BOSS_BAR_CELLS = 10;

void draw_message_row() {
    set_colour(game.message_colour != 0 ? game.message_colour : COLOUR_DARK_GREY);
    console_move_add_text(MESSAGE_ROW, 1, last_message);
}

// What stands on a map cell: the player, else a creature, else the ground.
// Fire flickers between yellow and light red at every drawing.
void draw_map() {
    for (int r = 0; r < MAP_HEIGHT; ++r) {
        for (int c = 0; c < MAP_WIDTH; ++c) {
            int colour;
            unsigned char glyph;
            const Creature* creature = nullptr;
            if (is_player_at(c, r)) {
                colour = COLOUR_LIGHT_GREEN;
                glyph = '@';
            } else if ((creature = find_creature_at(c, r)) != nullptr) {
                colour = creature->colour;
                glyph = creature->glyph;
            } else if (map[r][c].glyph == GLYPH_FIRE) {
                colour = random_below(2) == 1 ? COLOUR_YELLOW : COLOUR_LIGHT_RED;
                glyph = GLYPH_FIRE;
            } else {
                colour = map[r][c].colour;
                glyph = map[r][c].glyph;
            }
            set_colour(colour);
            console_move_add_byte(MAP_TOP_ROW + r, c, glyph);
        }
    }
}

void draw_kill_bar() {
    for (int i = 0; i < STORY_LENGTH; ++i) {
        bool slain = i < game.kill_count;
        set_colour(slain ? COLOUR_LIGHT_CYAN : COLOUR_DARK_GREY);
        console_move_add_byte(KILL_BAR_ROW, i, slain ? '*' : '-');
    }
}

void draw_boss_bar() {
    set_colour(COLOUR_WHITE);
    console_move(BOSS_BAR_ROW, 0);
    console_add_text("BOSS[");
    int filled = archmage_hp * BOSS_BAR_CELLS / ARCHMAGE_MAX_HP + 1;
    if (filled < 1) filled = 1;
    int star_colour = archmage_hp == ARCHMAGE_MAX_HP ? COLOUR_LIGHT_GREEN : COLOUR_RED;
    for (int k = 0; k < BOSS_BAR_CELLS; ++k) {
        set_colour(k < filled ? star_colour : COLOUR_DARK_GREY);
        console_add_byte(k < filled ? '*' : '-');
    }
    set_colour(COLOUR_WHITE);
    console_add_text("]");
}

}  // namespace

void draw_screen() {
    console_clear();
    draw_message_row();
    draw_map();
    draw_kill_bar();
    if (game.boss_mode != 0) draw_boss_bar();
}
