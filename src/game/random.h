#pragma once
// The one random generator of the game. Every random choice of play goes
// through random_below, in an order that is part of the game's behaviour.
#include <vector>

// The generator's next value modulo n (n >= 1): one value per call.
int random_below(int n);

// Seeds the generator from the calendar clock, once, before the first game.
void seed_random_from_clock();

// --- Controls for tests -------------------------------------------------
// Raw generator values to hand out before the C library generator resumes;
// each is still taken modulo the bound of the draw that uses it.
void random_script(const std::vector<int>& raw_values);
// Values still waiting in the script.
int random_script_left();
// seed_random_from_clock seeds with this value instead of the clock.
void random_fix_seed(unsigned seed);
// Draws made since the last random_reset_controls.
long random_draw_count();
// While logging, the bound n of every draw is recorded in order.
void random_start_log();
const std::vector<int>& random_log();
// Back to plain play: empty script, no fixed seed, count 0, no log.
void random_reset_controls();
