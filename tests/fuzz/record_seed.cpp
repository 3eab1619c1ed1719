// Records a seed input for the fuzzer: the soak's player plays a game from
// the hidden shortcut on, until it has won (or the keys run out), and the
// input that replays the game is written to a file. Seeds like this lead
// the fuzzer into the archmage's fight, which random bytes hardly reach.
//
//   drowsel_fuzz_recorder FILE SEED [MAX_KEYS [whole]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_play.h"
#include "soak_player.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE SEED [MAX_KEYS [whole]]\n", argv[0]);
        return 2;
    }
    const char* file = argv[1];
    auto seed = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::size_t max_keys = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 4000;
    bool whole = argc > 4 && std::strcmp(argv[4], "whole") == 0;

    soak::SoakPlayer player(seed, 0);
    std::vector<uint8_t> input =
        record_fuzz_input(whole, seed, max_keys, [&player](const ScreenBuffer& s, KeyWait wait) {
            player.watch(s, wait);
            return player.next_key();
        });
    FuzzOutcome replay = play_fuzz_input(input.data(), input.size());
    std::printf("%s: %zu bytes, %ld turns, %ld keys read, %s%s\n", file, input.size(), replay.turns, replay.keys_read,
                replay.won         ? "won"
                : replay.game_over ? "quit"
                                   : "not over",
                replay.broken.empty() ? "" : (", broken: " + replay.broken).c_str());
    std::FILE* out = std::fopen(file, "wb");
    if (out == nullptr || std::fwrite(input.data(), 1, input.size(), out) != input.size()) {
        std::perror(file);
        return 1;
    }
    std::fclose(out);
    return replay.broken.empty() ? 0 : 1;
}
