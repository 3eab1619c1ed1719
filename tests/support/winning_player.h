#pragma once
// A player who reads the game and wins it: uses the hidden shortcut, then
// keeps its target (the nearest monster, later the archmage) two or three
// cells away in a line and shoots it. For whole headless games in tests.
#include <algorithm>
#include <cstdlib>

#include "backends/headless/headless_terminal.h"
#include "creatures/creature.h"
#include "creatures/monsters.h"
#include "game/state.h"
#include "screen/console.h"
#include "world/map.h"

namespace winning_player {

// The key the player presses to step or strike by (dx, dy).
inline int key_for(int dx, int dy) {
    const char keys[3][3] = {{'7', '8', '9'}, {'4', '5', '6'}, {'1', '2', '3'}};
    return keys[dy + 1][dx + 1];
}

inline int sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }
inline int chebyshev(int dx, int dy) { return std::max(std::abs(dx), std::abs(dy)); }
inline bool in_line(int dx, int dy) { return dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy); }

// A step that moves the world without striking anything or walking into fire.
inline bool safe_step(int sx, int sy) {
    int x = 39 + sx;
    int y = 9 + sy;
    if (find_creature_at(x, y) != nullptr) return false;
    return !in_bounds(x, y) || map[y][x].glyph != '!';
}

class Player {
   public:
    explicit Player(HeadlessTerminal& t) : terminal(t) {}

    int next_key() {
        if (game.boss_mode == 1 && game.archmage->kind == KIND_DEAD) return 'x';  // after the victory
        if (game.shortcut_stage == 0) return control_key('E');
        if (game.shortcut_stage == 1) return control_key('O');
        if (game.boss_mode == 0 && game.kill_count < 76) return control_key('X');
        if (game.boss_mode == 1) return engage(game.archmage->x - 39, game.archmage->y - 9);
        const Creature* nearest = nullptr;
        for (const Creature* m = game.monsters; m != nullptr; m = m->next)
            if (m->kind != KIND_DEAD && in_bounds(m->x, m->y) &&
                (nearest == nullptr || chebyshev(m->x - 39, m->y - 9) < chebyshev(nearest->x - 39, nearest->y - 9)))
                nearest = m;
        return nearest != nullptr ? engage(nearest->x - 39, nearest->y - 9) : engage(20, 0);
    }

   private:
    int engage(int ax, int ay) {
        int d = chebyshev(ax, ay);
        if (d >= 2 && d <= 3 && in_line(ax, ay)) {
            terminal.keys.push_back(key_for(sign(ax), sign(ay)));  // answers the direction prompt
            return 'a';
        }
        // Step so that the target ends two or three cells away, in a line if
        // possible; when it stands adjacent this is a retreat.
        int best_key = 0;
        int best_score = -1000;
        for (int k = 0; k < 8; ++k) {
            if (!safe_step(DIR_DX[k], DIR_DY[k])) continue;
            int nx = ax - DIR_DX[k];
            int ny = ay - DIR_DY[k];
            int nd = chebyshev(nx, ny);
            int score = -std::abs(nd - 3) * 10 - (nd < 2 ? 100 : 0) + (in_line(nx, ny) && nd >= 2 && nd <= 3 ? 50 : 0);
            if (score > best_score) {
                best_score = score;
                best_key = key_for(DIR_DX[k], DIR_DY[k]);
            }
        }
        if (best_key != 0) return best_key;
        return d == 1 ? key_for(ax, ay) : '.';  // hemmed in: strike or wait
    }

    HeadlessTerminal& terminal;
};

}  // namespace winning_player

using winning_player::Player;
