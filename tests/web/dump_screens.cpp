// Plays the game headless with a seed and a list of key codes and prints, as
// JSON, the screen each time the game waits for a key: per row its 80 bytes
// (CP932, in hex) and the colours of its cells (one hex digit each). The
// browser test compares the page's screens with these.
//   dump_screens SEED KEY...
#include <cstdio>
#include <cstdlib>

#include "game/program.h"
#include "game/random.h"
#include "screen/console.h"
#include "screen/headless_terminal.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dump_screens SEED KEY...\n");
        return 2;
    }
    HeadlessTerminal& terminal = use_headless_terminal();
    random_fix_seed(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    for (int i = 2; i < argc; ++i) terminal.keys.push_back(std::atoi(argv[i]));

    std::printf("[");
    terminal.on_key_wait = [&](const ScreenBuffer& screen) {
        std::printf("%s\n{\"bytes\": [", terminal.keys_read > 0 ? "," : "");
        for (int row = 0; row < SCREEN_ROWS; ++row) {
            std::printf("%s\"", row > 0 ? ", " : "");
            for (int col = 0; col < SCREEN_COLS; ++col) std::printf("%02x", screen.cell(row, col).byte);
            std::printf("\"");
        }
        std::printf("],\n \"colours\": [");
        for (int row = 0; row < SCREEN_ROWS; ++row) {
            std::printf("%s\"", row > 0 ? ", " : "");
            for (int col = 0; col < SCREEN_COLS; ++col) std::printf("%x", screen.cell(row, col).colour & 0xF);
            std::printf("\"");
        }
        std::printf("]}");
    };
    int status = program_entry();
    std::printf("]\n");
    return status;
}
