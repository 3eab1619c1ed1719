#include "recording/replay_terminal.h"

#include <chrono>
#include <cstdlib>

#include "creatures/archmage.h"
#include "game/state_check.h"
#include "game/version.h"

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

bool ends_recording(RecordingStatus status) {
    return status == RecordingStatus::finished || status == RecordingStatus::cut_in_record ||
           status == RecordingStatus::writer_gone;
}

// The short form of a problem for the status line: up to its details.
std::string short_form(const std::string& text) { return text.substr(0, text.find(" (")); }

// `base`, then the longest of the hints that still fits the status line.
std::string with_hint(const std::string& base, const char* long_hint, const char* short_hint) {
    for (const char* hint : {long_hint, short_hint}) {
        std::string line = base + ": " + hint;
        if (line.size() <= static_cast<std::size_t>(SCREEN_COLS)) return line;
    }
    return base.substr(0, SCREEN_COLS);
}

}  // namespace

int ReplayTerminal::pace_ms() const { return PACES_MS[pace_step_]; }
int ReplayTerminal::default_pace_step() { return DEFAULT_PACE_STEP; }

Record& ReplayTerminal::upcoming(bool wait) {
    while (!have_upcoming_) {
        upcoming_status_ = header_pending_ ? reader_.read_header(header_) : reader_.next(upcoming_);
        if (header_pending_ && upcoming_status_ == RecordingStatus::ok) {
            header_pending_ = false;
            settings_.begin(header_);
            continue;
        }
        if (upcoming_status_ != RecordingStatus::need_more) {
            have_upcoming_ = true;
            break;
        }
        if (!wait) break;
        // Following: the recorder has not written the line yet.
        if (settings_.watched)
            inner_.show_status_line(
                header_pending_
                    ? "Following: waiting for the run to begin; Q stops"
                    : ("Following: waiting for key " + std::to_string(keys_ + 1) + " of the run; Q stops").c_str());
        int key = inner_.read_key_within(shown_, REPLAY_FOLLOW_POLL_MS);
        handle_stop_key(key);
    }
    return upcoming_;
}

// The state the last key led to is taken at the first screen after it (or
// when the next key is asked for), and compared with the check the
// recording holds for it: the next key's line.
void ReplayTerminal::take_check() {
    check_due_ = false;
    pending_check_ = state_check();
    check_pending_ = true;
    if (settings_.follow) good_ = shown_;
    compare_check();
}

void ReplayTerminal::compare_check() {
    if (!check_pending_) return;
    const Record& next = upcoming(false);
    if (upcoming_status_ == RecordingStatus::need_more) return;  // following: checked when it comes
    check_pending_ = false;
    // Problems with the bytes, and their end, stop the replay when the key
    // is asked for, over the screen in view; the end line is checked when
    // the game is over.
    if (upcoming_status_ == RecordingStatus::ok && next.kind == RecordKind::key && next.check != pending_check_)
        stop_on_mismatch();
}

void ReplayTerminal::stop_on_mismatch() {
    if (settings_.follow) {
        // A follower shows screens before their check; the last good one
        // comes back.
        shown_ = good_;
        if (settings_.watched) inner_.present(shown_);
    }
    stop(header_.game_version != GAME_VERSION
             ? "recorded by another version of Drowsel (" + header_.game_version + "; this is " + GAME_VERSION + ")"
             : recording_problem_text(RecordingStatus::check_mismatch, header_));
}

// Key n is the n-th line after the header: the one that failed.
void ReplayTerminal::stop(const std::string& problem) {
    std::string where = "key " + std::to_string(keys_ + 1);
    problem_ = problem + ", at " + where;
    outcome_ = "stopped at " + where + ": " + problem;
    finish("Stopped at " + where + ": " + short_form(problem) + ".", EXIT_RECORDING_PROBLEM);
}

// The real terminal is given a copy of each screen that has passed its
// check, so that a stop leaves the last good screen in view (a terminal
// that repaints, on a resize or for the status line, repaints that one).
void ReplayTerminal::present(const ScreenBuffer& screen) {
    if (check_due_) take_check();
    shown_ = screen;
    inner_.present(shown_);
    if (!presented_) {
        presented_ = true;
        show_progress();  // at once: a replay, and of which version
    }
}

int ReplayTerminal::read_key(const ScreenBuffer& screen) {
    if (check_due_) take_check();
    shown_ = screen;
    if (check_pending_) {
        upcoming(true);
        compare_check();
    }
    const Record& next = upcoming(true);
    if (upcoming_status_ == RecordingStatus::writer_gone) {
        std::string left = "the player left at key " + std::to_string(keys_ + 1);
        outcome_ = "cut short: " + left;
        finish("End of the recording: " + left + ".", EXIT_CUT_SHORT);
    }
    if (ends_recording(upcoming_status_)) {
        outcome_ = "cut short at key " + std::to_string(keys_ + 1);
        finish("End of the recording: " + outcome_ + ".", EXIT_CUT_SHORT);
    }
    if (upcoming_status_ != RecordingStatus::ok) stop(recording_problem_text(upcoming_status_, header_));
    if (next.kind == RecordKind::end) stop_on_mismatch();  // the recorded game was over here
    if (settings_.watched) {
        show_progress();
        wait_for_pace();
    } else {
        inner_.sleep_ms(pace_ms());
    }
    have_upcoming_ = false;
    check_due_ = true;
    ++keys_;
    return next.key;
}

void ReplayTerminal::shutdown() {
    if (finished_) {
        inner_.shutdown();
        return;
    }
    if (check_due_) take_check();
    check_pending_ = false;  // the end line holds this check
    const Record& last = upcoming(true);
    outcome_ = archmage_hp <= 0 ? "victory" : "quit";
    if (ends_recording(upcoming_status_)) {
        // Every key is there, but not the end line: a run cut at its very end.
        finish("End of the recording: " + outcome_ + ", cut short before its end line.", EXIT_CUT_SHORT);
    }
    if (upcoming_status_ != RecordingStatus::ok) stop(recording_problem_text(upcoming_status_, header_));
    // The recorded game must be over too, in the same state, with nothing
    // after it.
    if (last.kind != RecordKind::end || last.check != state_check()) stop_on_mismatch();
    Record after;
    RecordingStatus trailing = reader_.next(after);
    if (trailing != RecordingStatus::finished && trailing != RecordingStatus::need_more)
        stop(recording_problem_text(trailing, header_));
    finish("End of the recording: " + outcome_ + ".", EXIT_DONE);
}

// Holds the key for the pace, reading the watcher's keys meanwhile (at
// least once, so that they work at the fastest pace too).
void ReplayTerminal::wait_for_pace() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(pace_ms());
    for (bool first = true;; first = false) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (!paused_ && left <= 0 && !first) return;
        int key =
            paused_ ? inner_.read_key(shown_) : inner_.read_key_within(shown_, left > 0 ? static_cast<int>(left) : 0);
        if (key == -1) return;  // the pause is over
        if (key == KEY_PAUSE) {
            paused_ = !paused_;
            show_progress();
            if (!paused_) return;
        } else if (key == KEY_STEP) {
            // This one key, then paused before the next.
            paused_ = true;
            return;
        } else if (key == '+' || key == '-') {
            pace_step_ += key == '+' ? -1 : 1;
            pace_step_ = pace_step_ < 0 ? 0 : pace_step_ >= PACE_STEPS ? PACE_STEPS - 1 : pace_step_;
            until = Clock::now() + std::chrono::milliseconds(pace_ms());
            show_progress();
        } else {
            handle_stop_key(key);
        }
    }
}

void ReplayTerminal::handle_stop_key(int key) {
    if (key != 'Q' && key != 'q') return;
    finished_ = true;
    outcome_ = "stopped by the watcher at key " + std::to_string(keys_ + 1);
    inner_.shutdown();
    leave_(EXIT_DONE);
    std::abort();  // `leave` does not return
}

// "Replay: key 13 of 345, 150 ms a key", naming the recording's version
// when it is not this one.
std::string ReplayTerminal::progress() const {
    std::string where = ": key " + std::to_string(keys_ + 1);
    if (settings_.recorded_keys >= 0) where += " of " + std::to_string(settings_.recorded_keys);
    where += ", " + std::to_string(pace_ms()) + " ms a key";
    if (header_.game_version == GAME_VERSION) return "Replay" + where;
    std::string version = header_.game_version;
    std::string rest = " (this is " + std::string(GAME_VERSION) + ")" + where;
    std::size_t room = SCREEN_COLS - std::string("Replay of Drowsel ").size() - rest.size();
    if (version.size() > room) version = version.substr(0, room > 2 ? room - 2 : 0) + "..";
    return "Replay of Drowsel " + version + rest;
}

void ReplayTerminal::show_progress() {
    if (!settings_.watched) return;
    if (header_pending_) {
        inner_.show_status_line("Following: waiting for the run to begin; Q stops");
        return;
    }
    if (paused_) {
        show_pause_line();
        return;
    }
    inner_.show_status_line(with_hint(progress(), "Space pauses, . steps, + - pace, Q stops", "Space . + - Q").c_str());
}

void ReplayTerminal::show_pause_line() {
    std::string line = "Paused after " + std::to_string(keys_) + " keys, " + std::to_string(pace_ms()) + " ms a key";
    inner_.show_status_line(with_hint(line, "Space goes on, . steps, + - pace, Q stops", "Space . + - Q").c_str());
}

void ReplayTerminal::finish(const std::string& line, int status) {
    finished_ = true;
    if (settings_.watched) {
        // Nothing shown yet (a recording damaged at its first key): a clean
        // screen under the line, not whatever the terminal held.
        if (!presented_) inner_.present(shown_);
        constexpr std::size_t room = SCREEN_COLS - (sizeof PRESS_A_KEY - 1);
        std::string shown = (line.size() <= room ? line : line.substr(0, room)) + PRESS_A_KEY;
        inner_.show_status_line(shown.c_str());
        inner_.read_key(shown_);
    }
    inner_.shutdown();
    leave_(status);
    std::abort();  // `leave` does not return
}
