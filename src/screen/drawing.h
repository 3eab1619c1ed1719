#pragma once
// The play screen, redrawn whole from the game state.

constexpr int MESSAGE_ROW = 0;
constexpr int MAP_TOP_ROW = 1;
constexpr int KILL_BAR_ROW = 21;
constexpr int BOSS_BAR_ROW = 22;

// Draws the message row, the map with its creatures, the kill bar and, in
// boss mode, the boss bar; does not refresh.
void draw_screen();
