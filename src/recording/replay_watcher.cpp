#include "recording/replay_watcher.h"

#include <chrono>

#include "game/version.h"
#include "screen/screen_buffer.h"

namespace {

// Milliseconds between two keys; + moves left, - right.
constexpr int PACES_MS[] = {0, 20, 50, 100, 150, 250, 400, 700, 1000, 2000};
constexpr int PACE_STEPS = sizeof PACES_MS / sizeof PACES_MS[0];
constexpr int DEFAULT_PACE_STEP = [] {
    int step = 0;
    while (step < PACE_STEPS && PACES_MS[step] != REPLAY_DEFAULT_PACE_MS) ++step;
    return step;
}();
static_assert(DEFAULT_PACE_STEP < PACE_STEPS, "the default pace is one of the paces");

constexpr int KEY_PAUSE = ' ';
constexpr int KEY_STEP = '.';
constexpr char PRESS_A_KEY[] = " Press a key.";

bool stops(int key) { return key == 'Q' || key == 'q'; }

// `base`, then the longest of the hints that still fits the status line.
std::string with_hint(const std::string& base, const char* long_hint, const char* short_hint) {
    for (const char* hint : {long_hint, short_hint}) {
        std::string line = base + ": " + hint;
        if (line.size() <= static_cast<std::size_t>(SCREEN_COLS)) return line;
    }
    return base.substr(0, SCREEN_COLS);
}

}  // namespace

int ReplayWatcher::pace_ms() const { return PACES_MS[pace_step_]; }
int ReplayWatcher::default_pace_step() { return DEFAULT_PACE_STEP; }

void ReplayWatcher::started(long keys) { show_progress(keys); }

// Holds the key for the pace, reading the watcher's keys meanwhile (at
// least once, so that they work at the fastest pace too).
bool ReplayWatcher::before_key(long keys, const ScreenBuffer& shown) {
    show_progress(keys);
    using Clock = std::chrono::steady_clock;
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(pace_ms());
    for (bool first = true;; first = false) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (!paused_ && left <= 0 && !first) return true;
        int key = paused_ ? terminal_.read_key(shown, {KeyWait::paused})
                          : terminal_.read_key_within(shown, left > 0 ? static_cast<int>(left) : 0);
        if (key == -1) return true;  // the pause is over
        if (key == KEY_PAUSE) {
            paused_ = !paused_;
            show_progress(keys);
            if (!paused_) return true;
        } else if (key == KEY_STEP) {
            // This one key, then paused before the next.
            paused_ = true;
            return true;
        } else if (key == '+' || key == '-') {
            pace_step_ += key == '+' ? -1 : 1;
            pace_step_ = pace_step_ < 0 ? 0 : pace_step_ >= PACE_STEPS ? PACE_STEPS - 1 : pace_step_;
            until = Clock::now() + std::chrono::milliseconds(pace_ms());
            show_progress(keys);
        } else if (stops(key)) {
            return false;
        }
    }
}

bool ReplayWatcher::wait_for_key(long keys, const ScreenBuffer& shown) {
    terminal_.show_status_line(
        begun_ ? ("Following: waiting for key " + std::to_string(keys + 1) + " of the run; Q stops").c_str()
               : "Following: waiting for the run to begin; Q stops");
    return !stops(terminal_.read_key_within(shown, REPLAY_FOLLOW_POLL_MS));
}

void ReplayWatcher::ended(const std::string& line, const ScreenBuffer& shown) {
    constexpr std::size_t room = SCREEN_COLS - (sizeof PRESS_A_KEY - 1);
    std::string said = (line.size() <= room ? line : line.substr(0, room)) + PRESS_A_KEY;
    terminal_.show_status_line(said.c_str());
    terminal_.read_key(shown, {KeyWait::replay_end});
}

// "Replay: key 13 of 345, 150 ms a key", naming the recording's version
// when it is not this one.
std::string ReplayWatcher::progress(long keys) const {
    std::string where = ": key " + std::to_string(keys + 1);
    if (recorded_keys_ >= 0) where += " of " + std::to_string(recorded_keys_);
    where += ", " + std::to_string(pace_ms()) + " ms a key";
    if (header_.game_version == GAME_VERSION) return "Replay" + where;
    std::string version = header_.game_version;
    std::string rest = " (this is " + std::string(GAME_VERSION) + ")" + where;
    std::size_t room = SCREEN_COLS - std::string("Replay of Drowsel ").size() - rest.size();
    if (version.size() > room) version = version.substr(0, room > 2 ? room - 2 : 0) + "..";
    return "Replay of Drowsel " + version + rest;
}

void ReplayWatcher::show_progress(long keys) {
    if (!begun_) {
        terminal_.show_status_line("Following: waiting for the run to begin; Q stops");
        return;
    }
    if (paused_) {
        std::string line = "Paused after " + std::to_string(keys) + " keys, " + std::to_string(pace_ms()) + " ms a key";
        terminal_.show_status_line(
            with_hint(line, "Space goes on, . steps, + - pace, Q stops", "Space . + - Q").c_str());
        return;
    }
    terminal_.show_status_line(
        with_hint(progress(keys), "Space pauses, . steps, + - pace, Q stops", "Space . + - Q").c_str());
}
