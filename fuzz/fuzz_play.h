#pragma once
// One headless game played from a fuzzer's input. Shared by the libFuzzer
// target and by the test that replays its findings.
//
// Input: byte 0 chooses the way of playing (bit 0 set: the whole program
// through program_entry, splash and title included; clear: a game driven
// turn by turn, with the rules of play checked after every turn); bytes 1..4
// seed the game's generator; every further byte is one key (see
// fuzz_play.cpp for the mapping). When the keys run out the player presses
// Q at a command, 5 (no direction) at a direction prompt and Space at any
// other wait, so every game ends.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ScreenBuffer;
enum class KeyWait;

struct FuzzOutcome {
    bool whole_program = false;
    long turns = 0;          // turns played (turn-by-turn games only)
    long keys_read = 0;      // keys the game read, fallback keys included
    long input_keys = 0;     // keys taken from the input
    bool game_over = false;  // run_state reached 2
    bool won = false;        // it ended in a victory
    std::string broken;      // the first rule found broken, empty if none
};

// More keys than this in one input are ignored.
constexpr std::size_t FUZZ_MAX_KEYS = 8192;

FuzzOutcome play_fuzz_input(const uint8_t* data, std::size_t size);

// Plays a game the way play_fuzz_input does, with the keys that `choose`
// gives as the game waits (it sees the screen and what the game waits for),
// at most `max_keys` of them, and returns the input that replays that game
// key for key. A key no input byte stands for is pressed as "x" instead,
// which no screen takes.
std::vector<uint8_t> record_fuzz_input(bool whole_program, uint32_t seed, std::size_t max_keys,
                                       const std::function<int(const ScreenBuffer&, KeyWait)>& choose);
