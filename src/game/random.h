#pragma once
// The one random generator of the game. Every random choice of play goes
// through random_below, in an order that is part of the game's behaviour.
//
// The generator is the game's own, value for value the GNU C library's
// srand/rand (seed 1 before any seeding), so a seed gives the same game
// whatever C library the game is built with.
#include <vector>

// The generator's next value modulo n (n >= 1): one value per call.
int random_below(int n);

// The generator's next raw value, 0..2^31-1, without counting a draw.
int random_value();

// Seeds the generator, as srand does.
void random_seed(unsigned seed);

// Seeds the generator from the calendar clock, once, before the first game;
// with a fixed seed (see random_fix_seed), from that instead.
void seed_random_from_clock();

// seed_random_from_clock seeds with this value instead of the clock: the
// seed of --seed, of a recording, or of a test.
void random_fix_seed(unsigned seed);

// --- Controls for tests -------------------------------------------------
// Raw generator values to hand out before the generator resumes; each is
// still taken modulo the bound of the draw that uses it.
void random_script(const std::vector<int>& raw_values);
// Values still waiting in the script.
int random_script_left();
// Draws made since the last random_reset_controls (since program start in
// play).
long random_draw_count();
// While logging, the bound n of every draw is recorded in order.
void random_start_log();
const std::vector<int>& random_log();
// Back to plain play: empty script, no fixed seed, count 0, no log.
void random_reset_controls();
