// Recorded runs played back: whole games shown again screen for screen,
// recordings cut short, damaged or from another build stopped with a clear
// line, and the watcher's keys.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "game/version.h"
#include "programs/recording_file.h"
#include "recording/replay_watcher.h"
#include "recording/runs.h"
#include "screen/exit_status.h"
#include "soak/soak_player.h"
#include "support/test_support.h"

namespace {

// A headless terminal that keeps every screen it is shown.
class ScreenLog : public HeadlessTerminal {
   public:
    void present(const ScreenBuffer& screen) override {
        HeadlessTerminal::present(screen);
        screens.push_back(screen);
    }
    void show_status_line(const char* ascii) override {
        HeadlessTerminal::show_status_line(ascii);
        lines.push_back(ascii);
    }
    std::vector<ScreenBuffer> screens;
    std::vector<std::string> lines;  // every status line shown
};

bool same_screen(const ScreenBuffer& a, const ScreenBuffer& b) {
    for (int r = 0; r < SCREEN_ROWS; ++r)
        for (int c = 0; c < SCREEN_COLS; ++c)
            if (a.cell(r, c).byte != b.cell(r, c).byte || a.cell(r, c).colour != b.cell(r, c).colour) return false;
    return true;
}

// The first screens of `got` are those of `expected`, and there are `count`.
::testing::AssertionResult screens_match(const std::vector<ScreenBuffer>& expected,
                                         const std::vector<ScreenBuffer>& got, std::size_t count) {
    if (got.size() != count || count > expected.size())
        return ::testing::AssertionFailure() << got.size() << " screens, " << count << " wanted of " << expected.size();
    for (std::size_t i = 0; i < count; ++i)
        if (!same_screen(expected[i], got[i])) return ::testing::AssertionFailure() << "screen " << i << " differs";
    return ::testing::AssertionSuccess();
}

struct Recorded {
    std::string bytes;
    std::vector<ScreenBuffer> screens;
    std::vector<std::size_t> screens_at_key;  // screens shown before each key was read
};

// The whole program, splash to exit, seeded with `seed`, the keys chosen
// by the soak's player (up to a limit, then Q), recorded in memory.
Recorded record_game(uint32_t seed, long key_limit, const std::string& language = "") {
    soak::SoakPlayer player(seed, 0);
    ScreenLog log;
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION, seed, language};
    Recorded recorded{encode_header(header), {}, {}};
    log.on_key_wait = [&](const ScreenBuffer& s) {
        player.watch(s, log.hint.wait);
        recorded.screens_at_key.push_back(log.screens.size());
    };
    log.key_source = [&] { return log.keys_read > key_limit ? (log.keys_read % 2 ? 'Q' : ' ') : player.next_key(); };
    RunResult run = record_run(log, header, [&](const std::string& line) { recorded.bytes += line; });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.keys, log.keys_read);
    recorded.screens = log.screens;
    return recorded;
}

struct Replayed {
    int status = -1;
    long keys = 0;
    std::string problem;
    std::string last_line;  // the status line at the end
    std::vector<ScreenBuffer> screens;
    std::vector<std::string> lines;
};

// Replays what `reader` reads after `header`, on a headless terminal.
Replayed replay_from(RecordingReader& reader, const RecordingHeader& header, std::deque<int> watcher_keys = {},
                     std::deque<int> paused_keys = {},
                     std::function<void(const ScreenBuffer&, const std::string&)> on_pause = nullptr,
                     long recorded_keys = -1) {
    ScreenLog log;
    log.timed_keys = std::move(watcher_keys);
    log.keys = std::move(paused_keys);
    log.key_source = [] { return 'z'; };  // the key that ends the replay
    if (on_pause) log.on_key_wait = [&](const ScreenBuffer& s) { on_pause(s, log.status_line); };
    RunResult run = replay_run(log, reader, header, std::nullopt, recorded_keys);
    return {run.status, run.keys, run.problem, log.status_line, log.screens, log.lines};
}

Replayed replay(const std::string& bytes, std::deque<int> watcher_keys = {}, std::deque<int> paused_keys = {},
                std::function<void(const ScreenBuffer&, const std::string&)> on_pause = nullptr) {
    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    EXPECT_EQ(reader.read_header(header), RecordingStatus::ok);
    return replay_from(reader, header, std::move(watcher_keys), std::move(paused_keys), std::move(on_pause));
}

// The recording up to (not including) its line `n` after the header.
std::string first_lines(const std::string& bytes, int header_lines, int n) {
    std::size_t at = 0;
    for (int i = 0; i < header_lines + n; ++i) at = bytes.find('\n', at) + 1;
    return bytes.substr(0, at);
}

using Replay = GameTest;

TEST_F(Replay, AWholeRecordedVictoryIsShownAgainScreenForScreen) {
    Recorded won = record_game(8, 20000);
    ASSERT_LE(archmage_hp, 0) << "the recorded game was not won";
    EXPECT_NE(won.bytes.find("\ne "), std::string::npos);  // the end line

    Replayed replayed = replay(won.bytes);
    EXPECT_EQ(replayed.status, 0) << replayed.problem;
    EXPECT_LE(archmage_hp, 0);
    EXPECT_TRUE(screens_match(won.screens, replayed.screens, won.screens.size()));
    EXPECT_EQ(replayed.last_line, "End of the recording: victory. Press a key.");
}

TEST_F(Replay, TheSameSeedAndKeysShowTheSameScreensAndAnotherSeedDoesNot) {
    auto play = [](unsigned seed) {
        start_fresh();
        random_fix_seed(seed);
        ScreenLog log;
        log.keys = {'x', ' ', ' ', ' ', ' ', ' ', ' ', '6', '6', '8', 'a', '4', '5', '3', 'Q'};
        install_terminal(&log);
        program_entry();
        return log.screens;
    };
    std::vector<ScreenBuffer> first = play(12345);
    EXPECT_TRUE(screens_match(first, play(12345), first.size()));
    EXPECT_FALSE(screens_match(first, play(12346), first.size()));
}

TEST_F(Replay, ARecordingCutShortPlaysUpToItsLastKey) {
    Recorded quit = record_game(3, 60);
    const int keys = 40;
    std::string whole_lines = first_lines(quit.bytes, 3, keys);
    std::string next_line = first_lines(quit.bytes, 3, keys + 1).substr(whole_lines.size());
    Replayed whole = replay(quit.bytes);
    for (const std::string& cut : {whole_lines, whole_lines + next_line.substr(0, 5)}) {
        Replayed replayed = replay(cut);
        EXPECT_EQ(replayed.status, EXIT_CUT_SHORT) << replayed.problem;
        EXPECT_EQ(replayed.keys, keys);
        EXPECT_EQ(replayed.last_line, "End of the recording: cut short at key 41. Press a key.");
        // Every screen up to the one that waits for the first missing key.
        EXPECT_TRUE(screens_match(whole.screens, replayed.screens, replayed.screens.size()));
        EXPECT_GT(replayed.screens.size(), 20u);
    }
}

TEST_F(Replay, TheWatcherPausesChangesThePaceAndStops) {
    Recorded quit = record_game(3, 60);
    std::vector<std::string> pause_lines;
    // At the first key: slower, pause; while paused: faster, go on. Two
    // keys later: one step, one more while paused, go on; then Q.
    Replayed replayed = replay(quit.bytes, {'-', ' ', -1, -1, '.', 'Q'}, {'+', ' ', '.', ' '},
                               [&](const ScreenBuffer&, const std::string& line) { pause_lines.push_back(line); });
    EXPECT_EQ(replayed.status, 0);
    EXPECT_EQ(replayed.keys, 6);
    ASSERT_EQ(pause_lines.size(), 4u);
    EXPECT_EQ(pause_lines[0], "Paused after 0 keys, 250 ms a key: Space goes on, . steps, + - pace, Q stops");
    EXPECT_NE(pause_lines[1].find(" " + std::to_string(REPLAY_DEFAULT_PACE_MS) + " ms a key"), std::string::npos);
    EXPECT_EQ(pause_lines[2].rfind("Paused after 4 keys", 0), 0u);
    EXPECT_EQ(pause_lines[3].rfind("Paused after 5 keys", 0), 0u);
    EXPECT_EQ(replayed.last_line, "Replay: key 7, 150 ms a key: Space pauses, . steps, + - pace, Q stops");
}

// A replay that follows a recording as it is written: each line comes only
// once the follower shows every screen the player saw before pressing that
// key, so a follower that lagged a screen behind would wait for ever.
TEST_F(Replay, AFollowerShowsEachScreenBeforeTheNextKeyIsWritten) {
    Recorded quit = record_game(3, 60);
    std::string_view bytes(quit.bytes);
    std::size_t at = first_lines(quit.bytes, 3, 0).size();
    ScreenLog follower;
    long refused = 0;
    RecordingReader reader([&](char* into, std::size_t) -> long {
        std::size_t line = static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + at, '\n')) - 3;
        std::size_t seen = line < quit.screens_at_key.size() ? quit.screens_at_key[line] : quit.screens.size();
        if (at == bytes.size() || (follower.screens.size() < seen && ++refused < 100000)) return RECORDING_NOTHING_YET;
        std::size_t n = bytes.find('\n', at) + 1 - at;
        std::copy_n(bytes.begin() + at, n, into);
        at += n;
        return static_cast<long>(n);
    });
    follower.key_source = [] { return 'z'; };
    RunResult run = follow_run(follower, reader, {RECORDING_FORMAT_VERSION, GAME_VERSION, 3}, true, std::nullopt);
    EXPECT_EQ(run.status, 0) << run.problem;
    EXPECT_LT(refused, 100000) << "the follower lagged behind the player";
    EXPECT_TRUE(screens_match(quit.screens, follower.screens, quit.screens.size()));
    EXPECT_GE(follower.slept_ms, 62 * REPLAY_FOLLOW_POLL_MS);  // it waited for every line, never busily
    EXPECT_EQ(follower.lines.back(), "End of the recording: quit. Press a key.");
}

// ---- Bad recordings -----------------------------------------------------

// A short real game, quit after some keys, for the damaged copies below.
const std::string& short_game() {
    static const std::string bytes = record_game(3, 60).bytes;
    return bytes;
}

// `text` with its first `from` replaced by `to` (after the line of key n).
std::string replaced(std::string text, const std::string& from, const std::string& to, int after_key = -1) {
    std::size_t at = text.find(from, after_key < 0 ? 0 : first_lines(text, 3, after_key).size());
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The check of key n flipped in its last digit.
std::string with_bad_check(std::string text, int n) {
    std::size_t end = first_lines(text, 3, n).size() - 2;
    text[end] = text[end] == '0' ? '1' : '0';
    return text;
}

std::string written(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return path;
}

// A gigabyte that starts with noise: sparse, so no real gigabyte on disk.
std::string gigabyte_of_noise(const std::string& path) {
    std::string noise;
    std::mt19937 bytes(1);
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>(bytes());
    written(path, noise);
    std::filesystem::resize_file(path, std::uintmax_t{1} << 30);
    return path;
}

struct BadInput {
    const char* name;
    // Makes the file to replay at the path given, or names another.
    std::function<std::string(const std::string& path)> file;
    const char* message;
};

const BadInput BAD_INPUTS[] = {
    {"Missing", [](auto&) { return "/no/such/recording"; }, "No such file or directory"},
    {"Directory", [](auto&) { return "/"; }, "is a directory, not a recording"},
    {"DevNull", [](auto&) { return "/dev/null"; }, "'/dev/null' is a device, not a recording file"},
    {"Fifo", [](auto& path) { return mkfifo(path.c_str(), 0600) == 0 ? path : "mkfifo failed"; }, "is a FIFO"},
    {"Empty", [](auto& path) { return written(path, ""); }, "the file is empty"},
    {"NotARecording", [](auto& path) { return written(path, "GIF89a\x01"); }, "not a Drowsel recording"},
    {"GigabyteOfNoise", gigabyte_of_noise, "not a Drowsel recording"},
    {"TruncatedHeader", [](auto& path) { return written(path, short_game().substr(0, 27)); }, "ends inside its header"},
    {"OtherFormatVersion",
     [](auto& path) { return written(path, replaced(short_game(), "recording 1", "recording 2")); },
     "of format version 2"},
    {"ImpossibleKey", [](auto& path) { return written(path, replaced(short_game(), "\nk ", "\nk 99999", 20)); },
     "no key makes), at key 22"},
    {"NoKeyLine", [](auto& path) { return written(path, replaced(short_game(), "\nk ", "\nhello\nk ", 5)); },
     "a line that is no key), at key 7"},
    {"BadCheck", [](auto& path) { return written(path, with_bad_check(short_game(), 20)); },
     "differs from the recorded one), at key 20"},
    {"OtherGameVersion",
     [](auto& path) { return written(path, with_bad_check(replaced(short_game(), "game ", "game 0.0."), 20)); },
     "recorded by another version of Drowsel (0.0."},
    {"KeysAfterTheEnd", [](auto& path) { return written(path, short_game() + "k 32 00000000\n"); },
     "keys after the end"},
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class BadRecording : public GameTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadRecording, StopsWithAClearMessageAndStatus4) {
    std::string temporary = ::testing::TempDir() + "drowsel-bad-" + GetParam().name + "-" + std::to_string(getpid());
    std::string path = GetParam().file(temporary);
    OpenedRecording opened;
    std::string problem;
    if (open_recording_file(path, opened, problem)) {
        Replayed replayed = replay_from(*opened.reader, opened.header);
        close(opened.fd);
        EXPECT_EQ(replayed.status, EXIT_RECORDING_PROBLEM);
        problem = replayed.problem;
        EXPECT_EQ(replayed.last_line.rfind("Stopped at key ", 0), 0u) << replayed.last_line;
        // Whole, not cut to fit: the sentence ends before "Press a key.".
        EXPECT_LE(replayed.last_line.size(), 80u);
        EXPECT_EQ(replayed.last_line.substr(replayed.last_line.size() - 14), ". Press a key.") << replayed.last_line;
    }
    EXPECT_NE(problem.find(GetParam().message), std::string::npos) << problem;
    std::filesystem::remove(temporary);
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadRecording, ::testing::ValuesIn(BAD_INPUTS),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

// Every status line fits the 80 columns, the end line with its "Press a
// key."; a recording of another version says so from the start, and one
// damaged at its first key stops over the title.
TEST_F(Replay, StatusLinesSayWhatPlaysAndFitTheRow) {
    std::string other = short_game();
    other.replace(other.find("game ") + 5, std::string(GAME_VERSION).size(), std::string(40, '9'));
    RecordingReader reader(memory_source(other));
    RecordingHeader header;
    ASSERT_EQ(reader.read_header(header), RecordingStatus::ok);
    Replayed replayed = replay_from(reader, header, {}, {}, nullptr, 123456);
    ASSERT_FALSE(replayed.lines.empty());
    EXPECT_EQ(replayed.lines.front().rfind("Replay of Drowsel 9999", 0), 0u) << replayed.lines.front();
    EXPECT_NE(replayed.lines[3].find("of 123456"), std::string::npos) << replayed.lines[3];

    std::string first_damaged = replaced(short_game(), "\nk ", "\nk 99999");
    Replayed stopped = replay(first_damaged);
    EXPECT_EQ(stopped.status, EXIT_RECORDING_PROBLEM);
    EXPECT_EQ(stopped.last_line, "Stopped at key 1: this recording is damaged. Press a key.");
    ASSERT_FALSE(stopped.screens.empty());
    EXPECT_NE(stopped.screens.back().row_text(20).find("Press any key to start."), std::string::npos);

    // An English run of N keys is "key N of N" at its last key.
    Recorded english = record_game(3, 60, "en");
    long keys = count_recorded_keys(memory_source(english.bytes));
    RecordingReader english_reader(memory_source(english.bytes));
    ASSERT_EQ(english_reader.read_header(header), RecordingStatus::ok);
    Replayed counted = replay_from(english_reader, header, {}, {}, nullptr, keys);
    EXPECT_EQ(counted.keys, keys);
    std::string last_key = "Replay: key " + std::to_string(keys) + " of " + std::to_string(keys) + ",";
    EXPECT_EQ(counted.lines[counted.lines.size() - 2].rfind(last_key, 0), 0u)
        << counted.lines[counted.lines.size() - 2];

    for (const Replayed* run : {&replayed, &stopped, &counted}) {
        for (const std::string& line : run->lines) EXPECT_LE(line.size(), 80u) << line;
        EXPECT_EQ(run->last_line.substr(run->last_line.size() - 12), "Press a key.");
    }
}

// ---- Resumed runs ---------------------------------------------------------

// The keys of a recording's key lines, in order.
std::deque<int> recorded_keys(const std::string& bytes) {
    std::deque<int> keys;
    for (std::size_t at = bytes.find("\nk "); at != std::string::npos; at = bytes.find("\nk ", at + 1))
        keys.push_back(std::atoi(bytes.c_str() + at + 3));
    return keys;
}

// A run stopped after `keys` keys (its file ending in `tail`), resumed: the
// player's screen comes back and, given the same keys, the game goes on
// into the very recording the whole run made.
TEST_F(Replay, AResumedRunGoesOnAsIfItHadNeverStopped) {
    Recorded whole = record_game(8, 20000);  // a victory
    ASSERT_TRUE(run_tally.won);
    const int keys = 150;
    std::string head = first_lines(whole.bytes, 3, keys);
    std::string line = first_lines(whole.bytes, 3, keys + 1).substr(head.size());
    std::deque<int> rest = recorded_keys(whole.bytes.substr(head.size() - 1));
    for (const std::string& tail : {std::string(), line.substr(0, 7), std::string("\r")}) {
        std::string bytes = head.substr(0, head.size() - (tail == "\r" ? 1 : 0)) + tail;
        RecordingReader reader(memory_source(bytes));
        RecordingHeader header;
        ASSERT_EQ(reader.read_header(header), RecordingStatus::ok);
        ScreenLog live;
        live.keys = rest;
        std::string resumed;
        RunResult run = resume_run(reader, header, [&](const ResumePoint& point, RunGoingOn& going_on, std::string&) {
            EXPECT_EQ(point.keys, keys);
            resumed = bytes.substr(0, point.whole_bytes) + (point.last_line_ended ? "" : "\n");
            going_on = {&live, [&](const std::string& more) { resumed += more; }};
            return true;
        });
        EXPECT_EQ(run.status, 0) << run.problem;
        EXPECT_EQ(run.outcome, "victory");
        EXPECT_EQ(run.keys, static_cast<long>(keys + rest.size()));
        ASSERT_FALSE(live.screens.empty());
        EXPECT_TRUE(same_screen(live.screens.front(), whole.screens[whole.screens_at_key[keys] - 1]));
        EXPECT_EQ(resumed, tail == "\r" ? head.substr(0, head.size() - 1) + "\r\n" + whole.bytes.substr(head.size())
                                        : whole.bytes);
    }

    // A run over, one damaged, or a file that cannot be written on: refused.
    auto refused = [](const std::string& bytes, bool writable) {
        RecordingReader reader(memory_source(bytes));
        RecordingHeader header;
        EXPECT_EQ(reader.read_header(header), RecordingStatus::ok);
        ScreenLog live;
        return resume_run(reader, header, [&](const ResumePoint&, RunGoingOn& going_on, std::string& problem) {
            going_on.terminal = &live;
            problem = "no room";
            return writable;
        });
    };
    EXPECT_EQ(refused(whole.bytes, true).problem, "this run is over (victory); there is nothing to resume");
    EXPECT_NE(refused(with_bad_check(head, 20), true).problem.find("differs from the recorded one), at key 20"),
              std::string::npos);
    EXPECT_EQ(refused(head, false).problem, "no room");
    for (bool writable : {true, false}) EXPECT_EQ(refused(writable ? whole.bytes : head, writable).status, 4);
}

}  // namespace
