// Plays the game headless and prints as JSON the screen each time the game
// waits for a key (per row its 80 bytes in CP932, in hex, the colours of its
// cells, one hex digit each, and the status line below the game). The
// browser and terminal tests compare their screens with these.
//   dump_screens SEED KEY...    the given key codes, recorded; the recording
//                               follows the screens (up to the last key
//                               when the game goes on after it)
//   dump_screens --win SEED [KEY...]
//                               a player who wins the game, recorded, after
//                               the given key codes (which answer "-more-"
//                               themselves)
//   dump_screens --replay FILE [PAUSE_AFTER KEY...]
//                               the recording FILE replayed as the game
//                               replays it, every screen the watcher sees
//                               (each key's pause, each wait for the
//                               watcher's key); the watcher pauses after
//                               PAUSE_AFTER keys, then presses KEY... (then
//                               Space); the replay's problem and exit
//                               status follow the screens
//   dump_screens --key-codes    the codes the game reads for the named keys
//                               (Enter, Escape, the arrows, ...)
// Before any of these but --key-codes, --lang ja|en shows the game in that
// language (a replay without it: in the language it was played in), as the
// game's own --lang does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "backends/headless/headless_terminal.h"
#include "game/version.h"
#include "programs/recording_file.h"
#include "recording/recording.h"
#include "recording/runs.h"
#include "screen/console.h"
#include "support/winning_player.h"
#include "text/language.h"

namespace {

void print_string(const std::string& text) {
    std::printf("\"");
    for (char c : text) {
        if (c == '\n')
            std::printf("\\n");
        else if (c == '"' || c == '\\')
            std::printf("\\%c", c);
        else
            std::printf("%c", c);
    }
    std::printf("\"");
}

void print_screen(const ScreenBuffer& screen, const std::string& status_line, bool first) {
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
    std::printf("],\n \"status\": ");
    print_string(status_line);
    std::printf("}");
}

[[noreturn]] void replay(int argc, char** argv, std::optional<Language> language) {
    OpenedRecording opened;
    std::string problem;
    if (!open_recording_file(argv[2], opened, problem)) {
        std::fprintf(stderr, "dump_screens: %s\n", problem.c_str());
        std::exit(2);
    }
    HeadlessTerminal& terminal = use_headless_terminal();
    if (argc > 3) {
        terminal.timed_keys.assign(std::strtoul(argv[3], nullptr, 10), -1);
        terminal.timed_keys.push_back(KEY_CODE_SPACE);
    }
    for (int i = 4; i < argc; ++i) terminal.keys.push_back(std::atoi(argv[i]));
    terminal.key_source = [] { return KEY_CODE_SPACE; };
    std::printf("{\"screens\": [");
    bool first = true;
    auto shown = [&](const ScreenBuffer& screen) {
        print_screen(screen, terminal.status_line, first);
        first = false;
    };
    terminal.on_key_wait = shown;
    terminal.on_timed_wait = shown;
    RunResult run = replay_run(terminal, *opened.reader, opened.header, language, count_recorded_keys(opened.fd));
    std::printf("],\n\"problem\": ");
    print_string(run.problem);
    std::printf(",\n\"exit\": %d}\n", run.status);
    std::exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--key-codes") == 0) {
        const std::pair<const char*, int> keys[] = {{"Escape", KEY_CODE_ESCAPE},   {"Enter", KEY_CODE_ENTER},
                                                    {"Space", KEY_CODE_SPACE},     {"ArrowDown", KEY_CODE_DOWN},
                                                    {"ArrowUp", KEY_CODE_UP},      {"ArrowLeft", KEY_CODE_LEFT},
                                                    {"ArrowRight", KEY_CODE_RIGHT}};
        for (const auto& [name, code] : keys)
            std::printf("%s\"%s\": %d", name == keys[0].first ? "{" : ", ", name, code);
        std::printf("}\n");
        return 0;
    }
    Language language = Language::japanese;
    bool language_given = argc >= 3 && std::strcmp(argv[1], "--lang") == 0;
    if (language_given) {
        if (!parse_language_name(argv[2], language)) {
            std::fprintf(stderr, "dump_screens: --lang takes ja or en, not '%s'\n", argv[2]);
            return 2;
        }
        argc -= 2;
        argv += 2;
    }
    bool win = argc >= 2 && std::strcmp(argv[1], "--win") == 0;
    if (argc >= 3 && std::strcmp(argv[1], "--replay") == 0)
        replay(argc, argv, language_given ? std::optional<Language>(language) : std::nullopt);
    if (argc < (win ? 3 : 2)) {
        std::fprintf(stderr,
                     "usage: dump_screens [--lang ja|en] SEED KEY... | "
                     "dump_screens [--lang ja|en] --win SEED [KEY...] | "
                     "dump_screens [--lang ja|en] --replay FILE [PAUSE_AFTER KEY...]\n");
        return 2;
    }
    HeadlessTerminal& terminal = use_headless_terminal();
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           static_cast<uint32_t>(std::strtoul(argv[win ? 2 : 1], nullptr, 10))};
    if (language == Language::english) header.language = language_name(Language::english);
    std::string recording = encode_header(header);

    auto finish = [&] {
        std::printf("],\n\"recording\": ");
        print_string(recording);
        std::printf("}\n");
    };
    // The player answers "-more-" with Space, and gives up after many keys.
    // Given keys that run out before the game ends, the screens end there.
    Player player(terminal);
    if (win)
        terminal.key_source = [&] {
            return terminal.keys_read > 100000 ? 'Q' : terminal.hint.wait == KeyWait::more ? ' ' : player.next_key();
        };
    else
        terminal.key_source = [&]() -> int {
            finish();
            std::exit(0);
        };
    for (int i = win ? 3 : 2; i < argc; ++i) terminal.keys.push_back(std::atoi(argv[i]));

    std::printf("{\"screens\": [");
    terminal.on_key_wait = [&](const ScreenBuffer& screen) {
        print_screen(screen, terminal.status_line, terminal.keys_read == 0);
    };
    RunResult run = record_run(terminal, header, [&](const std::string& bytes) { recording += bytes; });
    finish();
    return run.status;
}
