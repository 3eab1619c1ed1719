#include "fuzz_play.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "backends/headless/headless_terminal.h"
#include "creatures/monsters.h"
#include "game/invariants.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/tally.h"
#include "game/turn.h"
#include "recording/replay_terminal.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "text/encoding.h"
#include "text/phrases.h"
#include "world/map.h"

namespace {

constexpr int SHORTCUT = -1000;  // stands for Ctrl-E, Ctrl-O, Ctrl-X in a row

// Input bytes 0x00..0x1f, and again 0x80..0xdf, name the keys that matter.
const int KEY_TABLE[32] = {
    '1',
    '2',
    '3',
    '4',
    '6',
    '7',
    '8',
    '9',  //
    'h',
    'j',
    'k',
    'l',
    'y',
    'u',
    'b',
    'n',  //
    KEY_CODE_UP,
    KEY_CODE_DOWN,
    KEY_CODE_LEFT,
    KEY_CODE_RIGHT,  //
    'a',
    'z',
    's',
    ' ',
    'd',
    '5',
    KEY_CODE_ESCAPE,
    'Q',  //
    control_key('E'),
    control_key('O'),
    control_key('X'),
    SHORTCUT,
};

// 0x20..0x7f are the ASCII keys themselves, 0xe0..0xef key codes from 256
// on (the arrows among them), 0xf0..0xff high bytes as they come.
int key_of_byte(uint8_t b) {
    if (b < 0x20) return KEY_TABLE[b];
    if (b < 0x80) return b;
    if (b < 0xe0) return KEY_TABLE[b & 0x1f];
    if (b < 0xf0) return 256 + (b - 0xe0);
    return b;
}

// The byte that stands for a key; "x" for a key that none stands for.
uint8_t byte_of_key(int key) {
    if (key >= 0x20 && key < 0x80) return static_cast<uint8_t>(key);
    if (key >= 256 && key < 256 + 16) return static_cast<uint8_t>(0xe0 + (key - 256));
    if (key >= 0xf0 && key <= 0xff) return static_cast<uint8_t>(key);
    for (int i = 0; i < 32; ++i)
        if (KEY_TABLE[i] == key) return static_cast<uint8_t>(i);
    return 'x';
}

// Keys given after the input has run out, beyond which the game is taken
// to be stuck.
constexpr long MAX_FALLBACK_KEYS = 64;

struct StuckGame {};

class FuzzKeys {
   public:
    FuzzKeys(const uint8_t* data, std::size_t size, FuzzOutcome& outcome) : outcome_(outcome) {
        if (size > FUZZ_MAX_KEYS) size = FUZZ_MAX_KEYS;
        for (std::size_t i = 0; i < size; ++i) {
            int key = key_of_byte(data[i]);
            if (key == SHORTCUT) {
                keys_.push_back(control_key('E'));
                keys_.push_back(control_key('O'));
                keys_.push_back(control_key('X'));
            } else {
                keys_.push_back(key);
            }
        }
    }

    // Keys chosen as the game goes, recorded as input bytes, once the
    // input has run out.
    void choose_with(const std::function<int(const ScreenBuffer&, KeyWait)>& choose, std::size_t max_keys,
                     std::vector<uint8_t>* record) {
        choose_ = choose;
        choices_left_ = max_keys;
        record_ = record;
    }

    void watch(const ScreenBuffer& s) {
        screen_ = &s;
        if (s.cursor_row() < 0 || s.cursor_row() >= SCREEN_ROWS || s.cursor_col() < 0 || s.cursor_col() >= SCREEN_COLS)
            outcome_.broken = "cursor off the screen";
    }

    int next(KeyWait wait) {
        if (!keys_.empty()) {
            int key = keys_.front();
            keys_.pop_front();
            ++outcome_.input_keys;
            return key;
        }
        if (choose_ && choices_left_ > 0 && screen_ != nullptr) {
            --choices_left_;
            uint8_t byte = byte_of_key(choose_(*screen_, wait));
            record_->push_back(byte);
            ++outcome_.input_keys;
            return key_of_byte(byte);
        }
        if (++fallback_ > MAX_FALLBACK_KEYS) throw StuckGame{};
        return key_toward_end(wait);
    }

   private:
    FuzzOutcome& outcome_;
    std::deque<int> keys_;
    long fallback_ = 0;
    const ScreenBuffer* screen_ = nullptr;
    std::function<int(const ScreenBuffer&, KeyWait)> choose_;
    std::size_t choices_left_ = 0;
    std::vector<uint8_t>* record_ = nullptr;
};

// What new_game does before its turns, with a short intro of our own.
void begin_game() {
    reroll_terrain_kind(-1);
    regenerate_terrain(1);
    game.run_state = RUN_PLAYING;
    last_message[0] = '\0';
    post_message(sjis("まだ夢が続いている　という感覚"), COLOUR_WHITE);
    char word[100] = {};
    std::snprintf(word, sizeof word, "%s", sjis("じゅんれつとし"));
    kanji_syaffuru(word);
    post_message(word, 14);
    reset_world();
}

void play_turn_by_turn(FuzzOutcome& outcome) {
    begin_game();
    // A turn with the player's energy reads a key, and that is every second
    // turn, so no game can honestly run longer than this.
    const long turn_limit = 2 * (static_cast<long>(FUZZ_MAX_KEYS) * 3 + MAX_FALLBACK_KEYS) + 16;
    for (;;) {
        ++outcome.turns;
        if (run_turn() == 0) return;
        std::string broken = broken_turn_rule();
        if (!broken.empty()) {
            outcome.broken = "turn " + std::to_string(outcome.turns) + ": " + broken;
            return;
        }
        if (outcome.turns > turn_limit) {
            outcome.broken = "the game runs on without reading keys";
            return;
        }
    }
}

FuzzOutcome play(const uint8_t* data, std::size_t size, const std::function<int(const ScreenBuffer&, KeyWait)>& choose,
                 std::size_t max_keys, std::vector<uint8_t>* record) {
    FuzzOutcome outcome;
    uint8_t mode = size > 0 ? data[0] : 0;
    uint32_t seed = 0;
    for (std::size_t i = 1; i < 5; ++i) seed = seed << 8 | (i < size ? data[i] : 0);
    std::size_t skip = size < 5 ? size : 5;
    outcome.whole_program = (mode & 1) != 0;

    reset_to_program_start();
    HeadlessTerminal& terminal = use_headless_terminal();
    FuzzKeys keys(data + skip, size - skip, outcome);
    if (choose) keys.choose_with(choose, max_keys, record);
    terminal.on_key_wait = [&keys](const ScreenBuffer& s) { keys.watch(s); };
    terminal.key_source = [&keys, &terminal] { return keys.next(terminal.hint.wait); };

    try {
        if (outcome.whole_program) {
            random_fix_seed(seed);
            program_entry();
        } else {
            random_seed(seed);
            play_turn_by_turn(outcome);
        }
    } catch (const StuckGame&) {
        outcome.broken = "the game takes neither Q, nor Space, nor 5";
    }
    outcome.keys_read = terminal.keys_read;
    outcome.game_over = game.run_state == RUN_OVER;
    outcome.won = outcome.game_over && run_tally.won;
    // However the game ended, the monster list must still be whole.
    if (outcome.broken.empty()) outcome.broken = broken_monster_list_rule();
    reset_to_program_start();
    return outcome;
}

}  // namespace

FuzzOutcome play_fuzz_input(const uint8_t* data, std::size_t size) { return play(data, size, nullptr, 0, nullptr); }

std::vector<uint8_t> record_fuzz_input(bool whole_program, uint32_t seed, std::size_t max_keys,
                                       const std::function<int(const ScreenBuffer&, KeyWait)>& choose) {
    std::vector<uint8_t> input = {static_cast<uint8_t>(whole_program ? 1 : 0), static_cast<uint8_t>(seed >> 24),
                                  static_cast<uint8_t>(seed >> 16), static_cast<uint8_t>(seed >> 8),
                                  static_cast<uint8_t>(seed)};
    std::vector<uint8_t> recorded;
    play(input.data(), input.size(), choose, max_keys, &recorded);
    input.insert(input.end(), recorded.begin(), recorded.end());
    return input;
}
