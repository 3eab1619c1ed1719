// What a turn costs, and what it is made of, with 0 to 1,000 living monsters.
//
//   cmake --preset bench && cmake --build --preset bench
//   build/bench/bench/drowsel_bench
//
// Every benchmark starts from the same dream: fresh terrain, the player at
// the centre, and the monsters on distinct cells within the margin where
// they may live (columns -4..82, rows -4..23), none next to the player.
// Whatever an iteration changes (monsters moved or spawned, the map
// scrolled) is put back outside the timing, so the population is the same in
// every iteration. 13 is the highest population the soak saw, 130 ten times
// that.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "backends/headless/headless_terminal.h"
#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/turn.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "world/map.h"
#include "world/scrolling.h"

namespace {

// The whole state of play at the start of an iteration.
struct Snapshot {
    GameState game_state{};
    Creature archmage_record{};
    int32_t archmage_hp = 0;
    MapCell map_cells[MAP_HEIGHT][MAP_WIDTH]{};
    TerrainKind palette[TERRAIN_PALETTE_SIZE]{};
    std::vector<Creature*> records;  // the list, head first
    std::vector<Creature> saved;
};

Snapshot snapshot;
HeadlessTerminal* terminal = nullptr;
int next_step = 0;

// A step key for the player, alternating right and left so the dream stays
// where it was.
int step_key() { return (next_step++ % 2 == 0) ? '6' : '4'; }

void take_snapshot() {
    snapshot.game_state = game;
    snapshot.archmage_record = archmage;
    snapshot.archmage_hp = archmage_hp;
    std::memcpy(snapshot.map_cells, map, sizeof map);
    std::memcpy(snapshot.palette, terrain_palette, sizeof terrain_palette);
    snapshot.records.clear();
    snapshot.saved.clear();
    for (Creature* m = game.monsters; m != nullptr; m = m->next) {
        snapshot.records.push_back(m);
        snapshot.saved.push_back(*m);
    }
}

void restore_snapshot() {
    // Monsters spawned since are the newest, in front of the old head.
    Creature* old_head = snapshot.records.empty() ? nullptr : snapshot.records.front();
    while (game.monsters != nullptr && game.monsters != old_head) unlink_monster(game.monsters);
    for (std::size_t i = 0; i < snapshot.records.size(); ++i) *snapshot.records[i] = snapshot.saved[i];
    game = snapshot.game_state;
    archmage = snapshot.archmage_record;
    archmage_hp = snapshot.archmage_hp;
    std::memcpy(map, snapshot.map_cells, sizeof map);
    std::memcpy(terrain_palette, snapshot.palette, sizeof terrain_palette);
}

// A dream with `count` living monsters on distinct cells.
void set_up_dream(int count) {
    reset_to_program_start();
    random_seed(1);
    terminal = &use_headless_terminal();
    terminal->key_source = step_key;
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    reset_world();
    std::strcpy(last_message, "bench");

    std::vector<std::pair<int, int>> cells;
    for (int y = -4; y <= 23; ++y)
        for (int x = -4; x <= 82; ++x)
            if (std::abs(x - game.player_x) > 1 || std::abs(y - game.player_y) > 1) cells.emplace_back(x, y);
    std::mt19937 rng(2024);
    std::shuffle(cells.begin(), cells.end(), rng);
    for (int i = 0; i < count; ++i) {
        Creature* m = new_monster();
        m->x = cells[i].first;
        m->y = cells[i].second;
        m->kind = static_cast<int>(rng() % 2) + 1;
        m->colour = static_cast<int>(rng() % 15) + 1;
        m->glyph = rng() % 3 == 0 ? '%' : '*';
        m->energy = static_cast<int>(rng() % 100);
    }
    take_snapshot();
}

void tear_down(benchmark::State& state, int count) {
    state.counters["monsters"] = count;
    state.SetItemsProcessed(state.iterations());
    restore_snapshot();
    if (living_monster_count() != count) state.SkipWithError("the population changed");
    clear_monsters();
}

void BM_run_turn(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    set_up_dream(count);
    for (auto _ : state) {
        // Energy 50: this turn the player takes one step.
        game.energy = 50;
        benchmark::DoNotOptimize(run_turn());
        state.PauseTiming();
        restore_snapshot();
        state.ResumeTiming();
    }
    tear_down(state, count);
}

void BM_draw_screen(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    set_up_dream(count);
    for (auto _ : state) draw_screen();  // changes nothing but the screen
    tear_down(state, count);
}

void BM_monsters_act(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    set_up_dream(count);
    for (auto _ : state) {
        monsters_act();
        state.PauseTiming();
        restore_snapshot();
        state.ResumeTiming();
    }
    tear_down(state, count);
}

void BM_scroll_world(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    set_up_dream(count);
    for (auto _ : state) {
        scroll_world(1, 0);
        state.PauseTiming();
        restore_snapshot();
        state.ResumeTiming();
    }
    tear_down(state, count);
}

void populations(benchmark::internal::Benchmark* b) {
    for (int count : {0, 13, 130, 1000}) b->Arg(count);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_run_turn)->Apply(populations);
BENCHMARK(BM_draw_screen)->Apply(populations);
BENCHMARK(BM_monsters_act)->Apply(populations);
BENCHMARK(BM_scroll_world)->Apply(populations);

}  // namespace

BENCHMARK_MAIN();
