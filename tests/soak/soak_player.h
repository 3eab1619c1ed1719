#pragma once
// A player at the keyboard for self-playing runs: mostly random commands,
// walking on in one direction for a while; now and then the hidden shortcut
// so that the archmage comes; while it is in play a plan for the fight
// (stand and fight, flee until it escapes, or keep pressing random keys).
// Every "-more-" is answered with Space. Keys come from its own generator,
// never from the game's.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/state.h"
#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "text/encoding.h"
#include "world/map.h"

// What the player saw and did.
struct PlayerTally {
    long keys = 0;
    long more_prompts = 0;
    long shortcuts = 0;
    long strikes = 0;      // the archmage struck the player
    long escapes = 0;      // the archmage escaped
    long fire_deaths = 0;  // the player stepped into fire
};

namespace soak {

inline const int DIRECTION_KEYS[8][3] = {
    {'7', 'y', 'y'}, {'8', 'k', KEY_CODE_UP},   {'9', 'u', 'u'}, {'6', 'l', KEY_CODE_RIGHT},
    {'3', 'n', 'n'}, {'2', 'j', KEY_CODE_DOWN}, {'1', 'b', 'b'}, {'4', 'h', KEY_CODE_LEFT},
};
inline const int IDLE_KEYS[] = {'5', 'x',  'q', 'Z', '?', KEY_CODE_ESCAPE, control_key('O'), control_key('X'),
                                'i', 0x8a, '\n'};
inline const int PICK_UP_KEYS[] = {' ', ',', '.', 'g', 'r', 's'};

inline int sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

inline int direction_of(int dx, int dy) {
    for (int d = 0; d < 8; ++d)
        if (DIR_DX[d] == dx && DIR_DY[d] == dy) return d;
    return DIRECTION_NONE;
}

// How the fight with one summoned archmage is played.
enum class BossPlan { none, fight, flee, flail };

class SoakPlayer {
   public:
    // `shortcut_odds`: the hidden shortcut is keyed in once in so many
    // commands while the archmage is away (0: at once, and again until it
    // has taken).
    explicit SoakPlayer(unsigned seed, int shortcut_odds = 1500) : rng_(seed), shortcut_odds_(shortcut_odds) {}

    const PlayerTally& tally() const { return tally_; }

    // Sees the screen and the wait whenever the game waits for a key.
    void watch(const ScreenBuffer& s, KeyWait wait) {
        at_more_ = wait == KeyWait::more;
        if (!at_more_) return;
        ++tally_.more_prompts;
        // The message held by the wait tells what just happened.
        std::string held = s.text_at(0, 1, SCREEN_COLS - 1);
        if (starts_with(held, sjis("大魔法使いの攻撃が直撃した！"))) ++tally_.strikes;
        if (starts_with(held, sjis("逃走した――"))) ++tally_.escapes;
        if (starts_with(held, sjis("死の炎に巻き込まれた！"))) ++tally_.fire_deaths;
    }

    int next_key() {
        ++tally_.keys;
        if (at_more_) return KEY_CODE_SPACE;
        if (!queued_.empty()) {
            int key = queued_.front();
            queued_.pop_front();
            return key;
        }
        if (game.boss_mode != 0) return boss_key();
        plan_ = BossPlan::none;
        if (shortcut_odds_ == 0 ? game.shortcut_stage != 2 : chance(1, shortcut_odds_)) {
            ++tally_.shortcuts;
            queued_.assign({control_key('O'), control_key('X')});
            return control_key('E');
        }
        return roaming_key();
    }

   private:
    static bool starts_with(const std::string& text, const char* prefix) {
        return text.compare(0, std::strlen(prefix), prefix) == 0;
    }

    bool chance(int in, int of) { return static_cast<int>(rng_() % of) < in; }
    int pick(int n) { return static_cast<int>(rng_() % n); }

    int key_for(int d) { return DIRECTION_KEYS[d][pick(3)]; }

    // The cell a step in direction d leads to holds a creature (a step there
    // is an attack) or fire.
    static bool occupied(int d) {
        return find_creature_at(game.player_x + DIR_DX[d], game.player_y + DIR_DY[d]) != nullptr;
    }
    static bool on_fire(int d) { return map[game.player_y + DIR_DY[d]][game.player_x + DIR_DX[d]].glyph == GLYPH_FIRE; }

    int roaming_key() {
        // Go for a monster standing next to the player, keenly when the
        // next kill brings the archmage.
        int hunt = game.kill_count == STORY_LENGTH - 1 ? 9 : 1;
        if (chance(hunt, 10)) {
            int first = pick(8);
            for (int i = 0; i < 8; ++i) {
                int d = (first + i) % 8;
                Creature* c = find_creature_at(game.player_x + DIR_DX[d], game.player_y + DIR_DY[d]);
                if (c != nullptr) return key_for(d);
            }
        }
        int roll = pick(100);
        if (roll < 82) {
            // Walks on in one direction for a while, as a player exploring
            // does, and mostly shies away from fire.
            int d = chance(5, 6) ? heading_ : pick(8);
            if (on_fire(d) && !chance(1, 20)) d = pick(8);
            heading_ = d;
            return key_for(d);
        }
        if (roll < 86) {
            queued_.push_back(pick(4) == 0 ? '5' : key_for(pick(8)));
            return chance(1, 2) ? 'a' : 'z';
        }
        if (roll < 93) return PICK_UP_KEYS[pick(6)];
        if (roll < 94) return 'd';
        return IDLE_KEYS[pick(static_cast<int>(sizeof IDLE_KEYS / sizeof IDLE_KEYS[0]))];
    }

    int boss_key() {
        if (plan_ == BossPlan::none) {
            int roll = pick(100);
            plan_ = roll < 65 ? BossPlan::fight : roll < 85 ? BossPlan::flee : BossPlan::flail;
        }
        if (plan_ == BossPlan::flail || chance(1, 40)) return roaming_key();
        const Creature* boss = game.archmage;
        int rx = boss->x - game.player_x;
        int ry = boss->y - game.player_y;
        if (plan_ == BossPlan::flee) return flee_key(rx, ry);
        return fight_key(rx, ry, boss->energy);
    }

    // The archmage's distance after the player steps in direction d: the
    // world moves the other way.
    static int distance_after(int d, int rx, int ry) {
        int x = rx - DIR_DX[d];
        int y = ry - DIR_DY[d];
        return std::max(std::abs(x), std::abs(y));
    }

    int flee_key(int rx, int ry) {
        int dx = rx == 0 ? (pick(2) == 0 ? -1 : 1) : -sign(rx);
        int dy = ry == 0 ? (pick(2) == 0 ? -1 : 1) : -sign(ry);
        int d = direction_of(dx, dy);
        if (occupied(d) || on_fire(d)) d = pick(8);
        return key_for(d);
    }

    // Hits when the archmage cannot act before the player's next command,
    // shoots from two or three cells away, steps back otherwise.
    int fight_key(int rx, int ry, int boss_energy) {
        int distance = std::max(std::abs(rx), std::abs(ry));
        int toward = direction_of(sign(rx), sign(ry));
        if (distance == 1) {
            // Two archmage phases come before the player's next command;
            // each gives at most 39.
            if (boss_energy + 78 < ACTION_COST) return key_for(toward);
            int best = -1;
            for (int d = 0; d < 8; ++d) {
                if (occupied(d) || on_fire(d) || distance_after(d, rx, ry) < 2) continue;
                if (best < 0 || chance(1, 2)) best = d;
            }
            return key_for(best >= 0 ? best : toward);
        }
        bool aligned = rx == 0 || ry == 0 || std::abs(rx) == std::abs(ry);
        if (aligned && distance <= 3) {
            queued_.push_back(key_for(toward));
            return 'a';
        }
        if (chance(1, 2)) {
            for (int d = 0; d < 8; ++d) {
                int x = rx - DIR_DX[d];
                int y = ry - DIR_DY[d];
                int after = std::max(std::abs(x), std::abs(y));
                bool lines_up = x == 0 || y == 0 || std::abs(x) == std::abs(y);
                if (lines_up && after >= 2 && after <= 3 && !occupied(d) && !on_fire(d)) return key_for(d);
            }
        }
        return 's';  // wait for it
    }

    std::mt19937 rng_;
    int shortcut_odds_;
    PlayerTally tally_;
    std::deque<int> queued_;
    bool at_more_ = false;
    BossPlan plan_ = BossPlan::none;
    int heading_ = 3;
};

}  // namespace soak
