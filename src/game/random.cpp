#include "game/random.h"

#include <cstdint>
#include <ctime>
#include <deque>

namespace {

// The generator: an additive lagged Fibonacci generator of 31 words,
// r[i] = r[i-31] + r[i-3] (mod 2^32), each value being r[i] >> 1. Its
// seeding and its values are those of the GNU C library's srand and rand,
// so a seed plays the same game on every platform and C library.
constexpr int DEGREE = 31;
constexpr int SEPARATION = 3;
constexpr int DISCARDED = 10 * DEGREE;

struct Generator {
    uint32_t words[DEGREE];
    int front;  // the word that receives the sum: r[i-31], becoming r[i]
    int rear;   // r[i-3]
};

int32_t next_value(Generator& g) {
    uint32_t sum = g.words[g.front] += g.words[g.rear];
    g.front = g.front + 1 == DEGREE ? 0 : g.front + 1;
    g.rear = g.rear + 1 == DEGREE ? 0 : g.rear + 1;
    return static_cast<int32_t>(sum >> 1);
}

// Fills the words with r[i] = 16807 * r[i-1] mod (2^31 - 1), from r[0] =
// the seed read as a signed 32-bit word (seed 0 counts as 1), computed by
// Schrage's method with division truncating towards zero; then runs the
// generator 310 times to stir it.
void seed_generator(Generator& g, unsigned seed) {
    if (seed == 0) seed = 1;
    int32_t word = static_cast<int32_t>(seed);
    g.words[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < DEGREE; ++i) {
        int32_t high = word / 127773;
        int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) word += 2147483647;
        g.words[i] = static_cast<uint32_t>(word);
    }
    g.front = SEPARATION;
    g.rear = 0;
    for (int i = 0; i < DISCARDED; ++i) next_value(g);
}

// Before any seeding the generator is seeded with 1, as the C library's is.
Generator seeded_with_one() {
    Generator g{};
    seed_generator(g, 1);
    return g;
}

Generator generator = seeded_with_one();

std::deque<int> scripted;
bool seed_fixed = false;
unsigned fixed_seed = 0;
long draw_count = 0;
bool logging = false;
std::vector<int> bounds_log;

}  // namespace

int random_value() { return next_value(generator); }

int random_below(int n) {
    ++draw_count;
    if (logging) bounds_log.push_back(n);
    int value;
    if (!scripted.empty()) {
        value = scripted.front();
        scripted.pop_front();
    } else {
        value = random_value();
    }
    return n > 0 ? value % n : 0;
}

void random_seed(unsigned seed) { seed_generator(generator, seed); }

void seed_random_from_clock() { random_seed(seed_fixed ? fixed_seed : static_cast<unsigned>(std::time(nullptr))); }

void random_script(const std::vector<int>& raw_values) { scripted.assign(raw_values.begin(), raw_values.end()); }

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
