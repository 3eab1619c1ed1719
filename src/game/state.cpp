#include "game/state.h"

#include <cstring>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/tally.h"
#include "screen/messages.h"
#include "world/map.h"

GameState game = {PLAYER_START_X, PLAYER_START_Y, 0, 0, 0, 0, 0, RUN_PLAYING, 0, nullptr, &archmage};

const int DIR_DX[9] = {-1, 0, 1, 1, 1, 0, -1, -1, 0};
const int DIR_DY[9] = {-1, -1, -1, 0, 1, 1, 1, 0, 0};

void reset_all_state() {
    clear_monsters();
    game = GameState{PLAYER_START_X, PLAYER_START_Y, 0, 0, 0, 0, 0, RUN_PLAYING, 0, nullptr, &archmage};
    archmage = Creature{};
    archmage_hp = 0;
    std::memset(map, 0, sizeof map);
    std::memset(terrain_palette, 0, sizeof terrain_palette);
    last_message[0] = '\0';
    run_tally = RunTally{};
}
