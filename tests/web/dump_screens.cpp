// Plays the game headless, recorded, and prints as JSON the screen each time
// the game waits for a key (per row its 80 bytes in CP932, in hex, and the
// colours of its cells, one hex digit each) and the run's recording. The
// browser test compares the page with these.
//   dump_screens SEED KEY...    the given key codes
//   dump_screens --win SEED     a player who wins the game
//   dump_screens --contract     the numbers web/page.js shares with the game
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "game/program.h"
#include "game/random.h"
#include "recording/recording.h"
#include "recording/recording_terminal.h"
#include "game/version.h"
#include "screen/console.h"
#include "backends/browser/web_terminal.h"
#include "backends/headless/headless_terminal.h"
#include "support/winning_player.h"

namespace {

void print_screen(const ScreenBuffer& screen, bool first) {
    std::printf("%s\n{\"bytes\": [", first ? "" : ",");
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
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--contract") == 0) {
        const std::pair<const char*, long> numbers[] = {
            {"COLS", SCREEN_COLS}, {"ROWS", SCREEN_ROWS}, {"CELL_UNICODE_SHIFT", CELL_UNICODE_SHIFT},
            {"CELL_SHAPE_SHIFT", CELL_SHAPE_SHIFT}, {"CELL_SINGLE", CELL_SINGLE}, {"CELL_WIDE", CELL_WIDE},
            {"CELL_COVERED", CELL_COVERED}, {"KEY_CODE_ESCAPE", KEY_CODE_ESCAPE}, {"KEY_CODE_SPACE", KEY_CODE_SPACE},
            {"KEY_CODE_DOWN", KEY_CODE_DOWN}, {"KEY_CODE_UP", KEY_CODE_UP}, {"KEY_CODE_LEFT", KEY_CODE_LEFT},
            {"KEY_CODE_RIGHT", KEY_CODE_RIGHT}};
        for (const auto& [name, value] : numbers)
            std::printf("%s\"%s\": %ld", name == numbers[0].first ? "{" : ", ", name, value);
        std::printf("}\n");
        return 0;
    }
    bool win = argc >= 2 && std::strcmp(argv[1], "--win") == 0;
    if (argc < (win ? 3 : 2)) {
        std::fprintf(stderr, "usage: dump_screens SEED KEY... | dump_screens --win SEED\n");
        return 2;
    }
    HeadlessTerminal& terminal = use_headless_terminal();
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           static_cast<uint32_t>(std::strtoul(argv[win ? 2 : 1], nullptr, 10))};
    random_fix_seed(header.seed);
    std::string recording = encode_header(header);
    RecordingTerminal recorder(terminal, [&](const std::string& bytes) { recording += bytes; });
    install_terminal(&recorder);

    // The player answers "-more-" with Space, and gives up after many keys.
    Player player(terminal);
    bool more = false;
    if (win) terminal.key_source = [&] { return terminal.keys_read > 100000 ? 'Q' : more ? ' ' : player.next_key(); };
    for (int i = 2; !win && i < argc; ++i) terminal.keys.push_back(std::atoi(argv[i]));

    std::printf("{\"screens\": [");
    terminal.on_key_wait = [&](const ScreenBuffer& screen) {
        std::string top = screen.row_text(0);
        more = top.size() >= 6 && top.compare(top.size() - 6, 6, "-more-") == 0;
        print_screen(screen, terminal.keys_read == 0);
    };
    int status = program_entry();
    std::printf("],\n\"recording\": \"");
    for (char c : recording) std::printf(c == '\n' ? "\\n" : "%c", c);
    std::printf("\"}\n");
    return status;
}
