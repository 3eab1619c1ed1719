// The fuzzer's inputs played again: its seeds and every input it found a
// fault with must end the game with every rule of play intact, and the
// harness itself must keep its word.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_play.h"
#include "fuzz_recording.h"
#include "screen/exit_status.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> inputs_in(const char* folder) {
    std::vector<fs::path> found;
    fs::path dir = fs::path(DROWSEL_FUZZ_DIR) / folder;
    if (!fs::exists(dir)) return found;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') found.push_back(entry.path());
    return found;
}

FuzzOutcome play(const std::vector<uint8_t>& input) { return play_fuzz_input(input.data(), input.size()); }

void expect_clean_ending(const fs::path& path) {
    std::vector<uint8_t> input = read_file(path);
    FuzzOutcome first = play(input);
    EXPECT_EQ(first.broken, "") << path;
    EXPECT_TRUE(first.game_over) << path;
    EXPECT_GT(first.keys_read, 0) << path;
    // The same input plays the same game.
    FuzzOutcome again = play(input);
    EXPECT_EQ(again.turns, first.turns) << path;
    EXPECT_EQ(again.keys_read, first.keys_read) << path;
    EXPECT_EQ(again.won, first.won) << path;
}

// The seeds, and every input the fuzzer found a fault with (copied into
// fuzz/regressions when it was found).
TEST(FuzzReplay, SeedAndRegressionInputsEndCleanly) {
    std::vector<fs::path> inputs = inputs_in("corpus");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& path : inputs_in("regressions")) inputs.push_back(path);
    for (const fs::path& path : inputs) expect_clean_ending(path);
}

// Seeds recorded by drowsel_fuzz_recorder: the hidden shortcut, a kill,
// the fight, the archmage slain, the ending.
TEST(FuzzReplay, RecordedVictoriesAreWonAgain) {
    int victories = 0;
    for (const fs::path& path : inputs_in("corpus")) {
        if (path.filename().string().rfind("victory-", 0) != 0) continue;
        ++victories;
        FuzzOutcome outcome = play(read_file(path));
        EXPECT_EQ(outcome.broken, "") << path;
        EXPECT_TRUE(outcome.won) << path;
        EXPECT_GT(outcome.input_keys, 0) << path;
    }
    EXPECT_GE(victories, 2);
}

// The recording fuzzer's seeds and findings keep its promises; the real
// recordings among them (victories, a quit game, one cut short) replay to
// their end.
TEST(FuzzReplay, RecordingInputsReplayCleanly) {
    std::vector<fs::path> inputs = inputs_in("recording-corpus");
    for (const fs::path& path : inputs_in("recording-regressions")) inputs.push_back(path);
    int real = 0;
    for (const fs::path& path : inputs) {
        std::vector<uint8_t> input = read_file(path);
        RecordingFuzzOutcome outcome = replay_fuzz_recording(input.data(), input.size());
        EXPECT_EQ(outcome.broken, "") << path;
        std::string name = path.filename().string();
        if (name.rfind("victory-", 0) == 0 || name.rfind("quit-", 0) == 0 || name.rfind("cut-short-", 0) == 0) {
            ++real;
            EXPECT_EQ(outcome.status, name.rfind("cut-short-", 0) == 0 ? EXIT_CUT_SHORT : 0) << path;
            EXPECT_GT(outcome.keys, 50) << path;
        }
    }
    EXPECT_GE(real, 3);
}

TEST(FuzzReplay, AnEmptyInputQuitsAtTheFirstCommand) {
    FuzzOutcome outcome = play_fuzz_input(nullptr, 0);
    EXPECT_EQ(outcome.broken, "");
    EXPECT_FALSE(outcome.whole_program);
    EXPECT_TRUE(outcome.game_over);
    EXPECT_FALSE(outcome.won);
    // Space at the intro's "-more-", then Q at turn 2's command.
    EXPECT_EQ(outcome.turns, 2);
    EXPECT_EQ(outcome.keys_read, 2);
    EXPECT_EQ(outcome.input_keys, 0);
}

TEST(FuzzReplay, TheWholeProgramEndsWhenTheKeysRunOut) {
    const uint8_t input[] = {1, 0, 0, 0, 42, '6', '6', 0x1f /* the shortcut */, '4'};
    FuzzOutcome outcome = play_fuzz_input(input, sizeof input);
    EXPECT_EQ(outcome.broken, "");
    EXPECT_TRUE(outcome.whole_program);
    EXPECT_TRUE(outcome.game_over);
    EXPECT_EQ(outcome.input_keys, 6);  // the shortcut is three keys
    // The title takes the first 6; the first "-more-" of the intro takes
    // the other five keys without a word, then Space from the fallback, as
    // do the five pauses after it; the first command gets Q.
    EXPECT_EQ(outcome.keys_read, 1 + 5 + 1 + 5 + 1);
}

TEST(FuzzReplay, InputBeyondTheKeyLimitIsIgnored) {
    // Space answers the intro's "-more-" and then picks up (a turn's
    // action) at every command.
    std::vector<uint8_t> input(5 + FUZZ_MAX_KEYS + 100, 0x17);
    input[0] = 0;
    FuzzOutcome outcome = play(input);
    EXPECT_EQ(outcome.broken, "");
    EXPECT_TRUE(outcome.game_over);
    EXPECT_EQ(outcome.input_keys, static_cast<long>(FUZZ_MAX_KEYS));
    EXPECT_GT(outcome.turns, static_cast<long>(FUZZ_MAX_KEYS));
}

}  // namespace
