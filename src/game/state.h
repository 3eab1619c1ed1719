#pragma once
// The one record of play, the direction tables and the reset that tests use.
#include <cstdint>

#include "creatures/creature.h"

enum RunState : int32_t {
    RUN_PLAYING = 0,
    RUN_OVER = 2,  // quit or won
};

struct GameState {
    int32_t player_x;
    int32_t player_y;
    int32_t kill_count;       // monsters slain in this dream, 0..77
    int32_t energy;           // the player's action points
    int32_t boss_mode;        // 1 while the archmage is in play
    int32_t restart_pending;  // 1 when the player died this turn
    int32_t shortcut_stage;   // progress through the hidden shortcut, 0..2
    int32_t run_state;        // a RunState
    int32_t message_colour;   // colour of the unacknowledged message, 0 when none
    Creature* monsters;       // head of the monster list, newest first
    Creature* archmage;       // the archmage record, for the whole run
};

extern GameState game;

constexpr int PLAYER_START_X = 39;
constexpr int PLAYER_START_Y = 9;
constexpr int STORY_LENGTH = 77;  // kills in a dream before the archmage comes
constexpr int ACTION_COST = 100;

// Directions 0..8: up-left, up, up-right, right, down-right, down, down-left,
// left, none.
constexpr int DIRECTION_NONE = 8;
extern const int DIR_DX[9];
extern const int DIR_DY[9];

// Puts every record of the game back as it is at program start: the game
// state, the map, the palette, the archmage, the message row, the monster
// list (freed). Tests start from here.
void reset_all_state();
