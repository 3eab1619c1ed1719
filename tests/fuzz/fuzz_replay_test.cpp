// The fuzzer's inputs played again: its seeds and every input it found a
// fault with must end the game with every rule of play intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_play.h"

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

TEST(FuzzReplay, SeedInputsEndCleanly) {
    std::vector<fs::path> seeds = inputs_in("corpus");
    ASSERT_FALSE(seeds.empty());
    for (const fs::path& path : seeds) expect_clean_ending(path);
}

TEST(FuzzReplay, FoundFaultsStayFixed) {
    for (const fs::path& path : inputs_in("regressions")) expect_clean_ending(path);
}

TEST(FuzzReplay, AnEmptyInputQuitsAtTheFirstCommand) {
    FuzzOutcome outcome = play_fuzz_input(nullptr, 0);
    EXPECT_EQ(outcome.broken, "");
    EXPECT_FALSE(outcome.whole_program);
    EXPECT_TRUE(outcome.game_over);
    EXPECT_FALSE(outcome.won);
    // The intro's "-more-", then turn 2 reads 5 (nothing) and Q.
    EXPECT_EQ(outcome.turns, 2);
    EXPECT_EQ(outcome.keys_read, 3);
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
