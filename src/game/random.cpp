#include "game/random.h"

#include <cstdlib>
#include <ctime>
#include <deque>

namespace {
std::deque<int> scripted;
bool seed_fixed = false;
unsigned fixed_seed = 0;
long draw_count = 0;
bool logging = false;
std::vector<int> bounds_log;
}  // namespace

int random_below(int n) {
    ++draw_count;
    if (logging) bounds_log.push_back(n);
    int value;
    if (!scripted.empty()) {
        value = scripted.front();
        scripted.pop_front();
    } else {
        value = std::rand();
    }
    return n > 0 ? value % n : 0;
}

void seed_random_from_clock() {
    std::srand(seed_fixed ? fixed_seed : static_cast<unsigned>(std::time(nullptr)));
}

void random_script(const std::vector<int>& raw_values) {
    scripted.assign(raw_values.begin(), raw_values.end());
}

int random_script_left() { return static_cast<int>(scripted.size()); }

void random_fix_seed(unsigned seed) {
    seed_fixed = true;
    fixed_seed = seed;
}

long random_draw_count() { return draw_count; }

void random_start_log() {
    logging = true;
    bounds_log.clear();
}

const std::vector<int>& random_log() { return bounds_log; }

void random_reset_controls() {
    scripted.clear();
    seed_fixed = false;
    draw_count = 0;
    logging = false;
    bounds_log.clear();
}
