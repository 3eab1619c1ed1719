// A long self-playing run on the headless terminal. Keys come from a fixed
// seed: mostly random commands, now and then the hidden shortcut so that the
// archmage comes, and while it is in play a plan for the fight (stand and
// fight, flee until it escapes, or keep pressing random keys). Every "-more-"
// is answered with Space; a victory starts a new game.
//
// After every turn the rules of play between turns must hold (see
// game/invariants.h). At the end the run reports what it saw, the highest and
// mean number of living monsters, and how memory went; it fails when a rule
// broke or the heap outside the monster list grew.
//
//   drowsel_soak [turns [seed]]      (defaults: 1000000 turns, seed 1)
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/random.h"
#include "game/state.h"
#include "game/turn.h"
#include "screen/console.h"
#include "screen/headless_terminal.h"
#include "screen/messages.h"
#include "text/encoding.h"
#include "world/map.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#endif
#ifdef SOAK_UNDER_ASAN
// From the sanitizer runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// ---- Memory --------------------------------------------------------------

long resident_bytes() {
    long pages_total = 0;
    long pages_resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
    std::fclose(statm);
    return pages_resident * sysconf(_SC_PAGESIZE);
}

// Bytes handed out by the allocator and not yet freed.
long live_heap_bytes() {
#ifdef SOAK_UNDER_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<long>(mallinfo2().uordblks);
#endif
}

struct MemoryCheckpoint {
    long turn;
    long resident;
    long heap;
    long list_records;
    // The heap the monster records do not explain.
    long other_heap() const { return heap - list_records * static_cast<long>(sizeof(Creature)); }
};

MemoryCheckpoint take_checkpoint(long turn) {
    return MemoryCheckpoint{turn, resident_bytes(), live_heap_bytes(), monster_list_length()};
}

// ---- What the run saw ------------------------------------------------------

struct Tally {
    long turns = 0;
    long games = 1;
    long victories = 0;
    long summons = 0;
    long strikes = 0;
    long escapes = 0;
    long fire_deaths = 0;
    long story_kills = 0;
    long more_prompts = 0;
    long keys = 0;
    long shortcuts = 0;
    int highest_living = 0;
    double living_sum = 0;
};

Tally tally;

// ---- The player at the keyboard -------------------------------------------

const int DIRECTION_KEYS[8][3] = {
    {'7', 'y', 'y'},        {'8', 'k', KEY_CODE_UP},   {'9', 'u', 'u'},
    {'6', 'l', KEY_CODE_RIGHT}, {'3', 'n', 'n'},       {'2', 'j', KEY_CODE_DOWN},
    {'1', 'b', 'b'},        {'4', 'h', KEY_CODE_LEFT},
};
const int IDLE_KEYS[] = {'5', 'x', 'q', 'Z', '?', KEY_CODE_ESCAPE, control_key('O'), control_key('X'),
                         'i', 0x8a, '\n'};
const int PICK_UP_KEYS[] = {' ', ',', '.', 'g', 'r', 's'};

int sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

int direction_of(int dx, int dy) {
    for (int d = 0; d < 8; ++d)
        if (DIR_DX[d] == dx && DIR_DY[d] == dy) return d;
    return DIRECTION_NONE;
}

// How the fight with one summoned archmage is played.
enum class BossPlan { none, fight, flee, flail };

class Player {
   public:
    explicit Player(unsigned seed) : rng_(seed) {}

    // Sees the screen whenever the game waits for a key.
    void watch(const ScreenBuffer& s) {
        at_more_ = shows_more(s);
        if (!at_more_) return;
        ++tally.more_prompts;
        // The message held by "-more-" tells what just happened.
        std::string held = s.text_at(0, 1, SCREEN_COLS - 1);
        if (starts_with(held, sjis("大魔法使いの攻撃が直撃した！"))) ++tally.strikes;
        if (starts_with(held, sjis("逃走した――"))) ++tally.escapes;
        if (starts_with(held, sjis("死の炎に巻き込まれた！"))) ++tally.fire_deaths;
    }

    int next_key() {
        ++tally.keys;
        if (at_more_) return KEY_CODE_SPACE;
        if (!queued_.empty()) {
            int key = queued_.front();
            queued_.pop_front();
            return key;
        }
        if (game.boss_mode != 0) return boss_key();
        plan_ = BossPlan::none;
        if (chance(1, 1500)) {
            ++tally.shortcuts;
            queued_.assign({control_key('O'), control_key('X')});
            return control_key('E');
        }
        return roaming_key();
    }

   private:
    static bool starts_with(const std::string& text, const char* prefix) {
        return text.compare(0, std::strlen(prefix), prefix) == 0;
    }

    // "-more-" stands right before the cursor (the message may wrap).
    static bool shows_more(const ScreenBuffer& s) {
        int end = s.cursor_row() * SCREEN_COLS + s.cursor_col();
        if (end < 6) return false;
        static const char more[] = "-more-";
        for (int i = 0; i < 6; ++i) {
            int at = end - 6 + i;
            if (s.cell(at / SCREEN_COLS, at % SCREEN_COLS).byte != static_cast<unsigned char>(more[i]))
                return false;
        }
        return true;
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
    std::deque<int> queued_;
    bool at_more_ = false;
    BossPlan plan_ = BossPlan::none;
    int heading_ = 3;
};

// ---- The run ---------------------------------------------------------------

// What new_game does before its turns, with a short intro of our own.
void begin_game(long number) {
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    game.run_state = RUN_PLAYING;
    last_message[0] = '\0';
    post_format("soak game %ld", number);
    post_message(sjis("つまり　これは悪い夢の一種だと思う"), 12);
    reset_world();
}

int fail(long turn, unsigned seed, const std::string& what) {
    std::fprintf(stderr, "soak: turn %ld (seed %u): %s\n", turn, seed, what.c_str());
    return 1;
}

double mib(long bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
    long turns = argc > 1 ? std::atol(argv[1]) : 1000000;
    unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
    if (turns <= 0) {
        std::fprintf(stderr, "usage: %s [turns [seed]]\n", argv[0]);
        return 2;
    }

    reset_all_state();
    random_reset_controls();
    std::srand(seed);
    Player player(seed);
    HeadlessTerminal& terminal = use_headless_terminal();
    terminal.on_key_wait = [&player](const ScreenBuffer& s) { player.watch(s); };
    terminal.key_source = [&player] { return player.next_key(); };

    auto started = std::chrono::steady_clock::now();
    long checkpoint_every = turns >= 10 ? turns / 10 : 1;
    std::vector<MemoryCheckpoint> checkpoints;
    begin_game(tally.games);

    for (long turn = 1; turn <= turns; ++turn) {
        int boss_before = game.boss_mode;
        int kills_before = game.kill_count;
        long strikes_before = tally.strikes + tally.escapes;
        if (run_turn() == 0) {
            if (archmage_hp > 0) return fail(turn, seed, "the game ended without a victory");
            ++tally.victories;
            if (boss_before == 0) ++tally.summons;
            begin_game(++tally.games);
        } else {
            if (boss_before == 0 && (game.boss_mode == 1 || tally.strikes + tally.escapes > strikes_before))
                ++tally.summons;
            if (game.boss_mode == 0 && game.kill_count == kills_before + 1) ++tally.story_kills;
        }
        std::string broken = broken_turn_rule();
        if (!broken.empty()) return fail(turn, seed, broken);

        int living = living_monster_count();
        if (living > tally.highest_living) tally.highest_living = living;
        tally.living_sum += living;
        tally.turns = turn;
        if (turn % checkpoint_every == 0) checkpoints.push_back(take_checkpoint(turn));
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("soak: %ld turns from seed %u in %.1f s (%.1f us a turn)\n", tally.turns, seed, seconds,
                seconds * 1e6 / static_cast<double>(tally.turns));
    std::printf("  keys %ld, \"-more-\" prompts %ld, shortcuts %ld, story kills %ld\n", tally.keys,
                tally.more_prompts, tally.shortcuts, tally.story_kills);
    std::printf("  games %ld, victories %ld, archmage summoned %ld, struck the player %ld, escaped %ld, "
                "fire deaths %ld\n",
                tally.games, tally.victories, tally.summons, tally.strikes, tally.escapes, tally.fire_deaths);
    std::printf("  living monsters: highest %d, mean %.2f\n", tally.highest_living,
                tally.living_sum / static_cast<double>(tally.turns));
    std::printf("  memory (turn: resident MiB, heap KiB, of which monster records KiB):\n");
    for (const MemoryCheckpoint& c : checkpoints)
        std::printf("    %9ld: %7.2f %9.1f %9.1f\n", c.turn, mib(c.resident), c.heap / 1024.0,
                    (c.heap - c.other_heap()) / 1024.0);

    clear_monsters();

    // Memory stays flat: past the first tenth of the run, the heap that the
    // monster records do not explain must not grow.
    constexpr long HEAP_SLACK = 64 * 1024;
    if (checkpoints.size() >= 2) {
        long first = checkpoints.front().other_heap();
        long last = checkpoints.back().other_heap();
        if (last > first + HEAP_SLACK) {
            std::fprintf(stderr, "soak: the heap outside the monster list grew from %ld to %ld bytes\n", first,
                         last);
            return 1;
        }
    }
    std::printf("soak: every rule held after every turn\n");
    return 0;
}
