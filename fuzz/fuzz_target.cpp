// The libFuzzer entry: one headless game per input. A broken rule of play,
// or a game that does not end, is a crash the fuzzer keeps.
#include <cstdio>
#include <cstdlib>

#include "fuzz_play.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzOutcome outcome = play_fuzz_input(data, size);
    if (!outcome.broken.empty()) {
        std::fprintf(stderr, "drowsel_fuzz: %s\n", outcome.broken.c_str());
        std::abort();
    }
    if (!outcome.game_over) {
        std::fprintf(stderr, "drowsel_fuzz: the game did not end\n");
        std::abort();
    }
    return 0;
}
