#include "game/turn.h"

#include <cstdio>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/commands.h"
#include "game/random.h"
#include "game/state.h"
#include "game/tally.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "text/game_texts.h"
#include "text/phrases.h"
#include "world/map.h"

namespace {

constexpr int PLAYER_ENERGY_PER_TURN = 50;

void play_intro() {
    post_message(shown_text(GameText::intro_waking), COLOUR_WHITE);
    post_message(shown_text(GameText::intro_dream_goes_on), COLOUR_WHITE);
    post_message(shown_text(GameText::intro_asleep_in_a_dream), COLOUR_WHITE);
    post_message(shown_text(GameText::intro_mic_test), COLOUR_YELLOW);
    // The word is shuffled in Japanese whatever the language, so that both
    // make the same draws; English shows the shuffle in romaji.
    char word[100];
    std::snprintf(word, sizeof word, "%s", intro_word());
    kanji_syaffuru(word);
    char shown[100];
    show_shuffled_word(shown, sizeof shown, word);
    post_message(shown, COLOUR_YELLOW);
    post_message(shown_text(GameText::intro_started_already), COLOUR_YELLOW);
    post_message(shown_text(GameText::intro_bad_dream), COLOUR_LIGHT_RED);
}

// The archmage gathers energy every turn without a death, in play or not,
// and acts once for every 100 of it.
void archmage_phase() {
    Creature* boss = game.archmage;
    boss->energy += random_below(10) + 30;
    while (boss->energy >= ACTION_COST) {
        archmage_act(boss);
        boss->energy -= ACTION_COST;
        if (boss->kind == KIND_DEAD) break;
    }
}

}  // namespace

int new_game() {
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    game.run_state = RUN_PLAYING;
    last_message[0] = '\0';
    play_intro();
    reset_world();
    while (run_turn() != 0) {}
    return 0;
}

void reset_world() {
    ++run_tally.dreams;
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    game.player_x = PLAYER_START_X;
    game.player_y = PLAYER_START_Y;
    game.kill_count = 0;
    game.energy = 0;
    game.boss_mode = 0;
    archmage_hp = ARCHMAGE_MAX_HP;
    game.restart_pending = 0;
    *game.archmage = Creature{};
    clear_monsters();
}

int run_turn() {
    ++run_tally.turns;
    draw_screen();
    game.energy += PLAYER_ENERGY_PER_TURN;
    purge_dead_monsters();
    console_refresh();
    if (random_below(16) == 0) reroll_terrain_kind(random_below(TERRAIN_PALETTE_SIZE));

    while (game.energy >= ACTION_COST) {
        player_command();
        if (game.restart_pending == 1) break;
        if (game.run_state == RUN_OVER) return 0;
    }

    monsters_act();
    if (game.restart_pending == 0) archmage_phase();
    if (game.restart_pending == 1) reset_world();
    return 1;
}
