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
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "backends/headless/headless_terminal.h"
#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/turn.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "soak_player.h"
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
    long story_kills = 0;
    int highest_living = 0;
    double living_sum = 0;
};

Tally tally;

// ---- The run ---------------------------------------------------------------

// What new_game does before its turns, with a short intro of our own.
void begin_game(long number) {
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    game.run_state = RUN_PLAYING;
    last_message[0] = '\0';
    post_message(("soak game " + std::to_string(number)).c_str(), COLOUR_WHITE);
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

    reset_to_program_start();
    random_seed(seed);
    soak::SoakPlayer player(seed);
    const PlayerTally& seen = player.tally();
    HeadlessTerminal& terminal = use_headless_terminal();
    terminal.on_key_wait = [&](const ScreenBuffer& s) { player.watch(s, terminal.hint.wait); };
    terminal.key_source = [&player] { return player.next_key(); };

    auto started = std::chrono::steady_clock::now();
    long checkpoint_every = turns >= 10 ? turns / 10 : 1;
    std::vector<MemoryCheckpoint> checkpoints;
    begin_game(tally.games);

    for (long turn = 1; turn <= turns; ++turn) {
        int boss_before = game.boss_mode;
        int kills_before = game.kill_count;
        long strikes_before = seen.strikes + seen.escapes;
        if (run_turn() == 0) {
            if (archmage_hp > 0) return fail(turn, seed, "the game ended without a victory");
            ++tally.victories;
            if (boss_before == 0) ++tally.summons;
            begin_game(++tally.games);
        } else {
            if (boss_before == 0 && (game.boss_mode == 1 || seen.strikes + seen.escapes > strikes_before))
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
    std::printf("  keys %ld, \"-more-\" prompts %ld, shortcuts %ld, story kills %ld\n", seen.keys, seen.more_prompts,
                seen.shortcuts, tally.story_kills);
    std::printf(
        "  games %ld, victories %ld, archmage summoned %ld, struck the player %ld, escaped %ld, "
        "fire deaths %ld\n",
        tally.games, tally.victories, tally.summons, seen.strikes, seen.escapes, seen.fire_deaths);
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
            std::fprintf(stderr, "soak: the heap outside the monster list grew from %ld to %ld bytes\n", first, last);
            return 1;
        }
    }
    std::printf("soak: every rule held after every turn\n");
    return 0;
}
