// Writes a real recording for the recording fuzzer's seed inputs: the whole
// program from the splash, the soak's player at the keys (the hidden
// shortcut at once, so that it may win), Q after MAX_KEYS keys.
//
//   drowsel_recording_recorder FILE SEED MAX_KEYS
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backends/headless/headless_terminal.h"
#include "game/version.h"
#include "recording/recording.h"
#include "recording/runs.h"
#include "soak_player.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE SEED MAX_KEYS\n", argv[0]);
        return 2;
    }
    auto seed = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    long max_keys = std::strtol(argv[3], nullptr, 10);
    soak::SoakPlayer player(seed, 0);
    HeadlessTerminal terminal;
    terminal.on_key_wait = [&](const ScreenBuffer& s) { player.watch(s, terminal.hint.wait); };
    terminal.key_source = [&] {
        return terminal.keys_read > max_keys ? (terminal.keys_read % 2 ? 'Q' : ' ') : player.next_key();
    };
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION, seed};
    std::string bytes = encode_header(header);
    RunResult run = record_run(terminal, header, [&bytes](const std::string& line) { bytes += line; });
    std::printf("%s: %ld keys, %s\n", argv[1], run.keys, run.tally.won ? "won" : "quit");
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        std::perror(argv[1]);
        return 1;
    }
    std::fclose(out);
    return 0;
}
