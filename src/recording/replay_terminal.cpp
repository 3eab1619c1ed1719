#include "recording/replay_terminal.h"

#include <chrono>
#include <cstdlib>

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

bool ends_recording(RecordingStatus status) {
    return status == RecordingStatus::finished || status == RecordingStatus::cut_in_record;
}

// The short form of a problem for the status line: up to its details.
std::string short_form(const std::string& text) { return text.substr(0, text.find(" (")); }

}  // namespace

int ReplayTerminal::pace_ms() const { return PACES_MS[pace_step_]; }
int ReplayTerminal::default_pace_step() { return DEFAULT_PACE_STEP; }

Record& ReplayTerminal::upcoming() {
    if (!have_upcoming_) {
        upcoming_status_ = reader_.next(upcoming_);
        have_upcoming_ = true;
    }
    return upcoming_;
}

// The state the last key led to, against the check the recording holds
// for it (the next key's line, or the end line when the game is over).
void ReplayTerminal::check_state() {
    check_due_ = false;
    const Record& next = upcoming();
    if (ends_recording(upcoming_status_)) return;  // nothing left to check against
    if (upcoming_status_ != RecordingStatus::ok) stop(recording_problem_text(upcoming_status_, header_));
    if (next.kind == RecordKind::key && next.check != state_check()) stop_on_mismatch();
}

void ReplayTerminal::stop_on_mismatch() {
    stop(header_.game_version != GAME_VERSION
             ? "this recording was made by a different version of Drowsel (" + header_.game_version + "; this is " +
                   GAME_VERSION + ")"
             : recording_problem_text(RecordingStatus::check_mismatch, header_));
}

// Key n is the n-th line after the header: the one that failed.
void ReplayTerminal::stop(const std::string& problem) {
    std::string where = "key " + std::to_string(keys_ + 1);
    problem_ = problem + ", at " + where;
    finish("Stopped at " + where + ": " + short_form(problem) + ".", EXIT_RECORDING_PROBLEM);
}

// The real terminal is given a copy of each screen that has passed its
// check, so that a stop leaves the last good screen in view (a terminal
// that repaints, on a resize or for the status line, repaints that one).
void ReplayTerminal::present(const ScreenBuffer& screen) {
    if (check_due_) check_state();
    shown_ = screen;
    inner_.present(shown_);
}

int ReplayTerminal::read_key(const ScreenBuffer& screen) {
    if (check_due_) check_state();
    shown_ = screen;
    const Record& next = upcoming();
    if (ends_recording(upcoming_status_))
        finish("End of the recording: it was cut short here.", 0);
    if (next.kind == RecordKind::end) stop_on_mismatch();  // the recorded game was over here
    wait_for_pace();
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
    if (check_due_) check_state();
    const Record& last = upcoming();
    if (upcoming_status_ == RecordingStatus::ok) {
        // The recorded game must be over too, in the same state, with
        // nothing after it.
        if (last.kind != RecordKind::end || last.check != state_check()) stop_on_mismatch();
        Record after;
        RecordingStatus trailing = reader_.next(after);
        if (trailing != RecordingStatus::finished) stop(recording_problem_text(trailing, header_));
    }
    finish("End of the recording: the game is over.", 0);
}

// Holds the key for the pace, reading the watcher's keys meanwhile (at
// least once, so that they work at the fastest pace too).
void ReplayTerminal::wait_for_pace() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(pace_ms());
    for (bool first = true;; first = false) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (!paused_ && left <= 0 && !first) return;
        int key = paused_ ? inner_.read_key(shown_) : inner_.read_key_within(shown_, left > 0 ? static_cast<int>(left) : 0);
        if (key == -1) return;  // the pause is over
        if (key == KEY_PAUSE) {
            paused_ = !paused_;
            if (paused_) show_pause_line();
            else inner_.show_status_line("");
            if (!paused_) return;
        } else if (key == '+' || key == '-') {
            pace_step_ += key == '+' ? -1 : 1;
            pace_step_ = pace_step_ < 0 ? 0 : pace_step_ >= PACE_STEPS ? PACE_STEPS - 1 : pace_step_;
            until = Clock::now() + std::chrono::milliseconds(pace_ms());
            if (paused_) show_pause_line();
        } else if (key == 'Q' || key == 'q') {
            finished_ = true;
            inner_.shutdown();
            leave_(0);
            std::abort();  // `leave` does not return
        }
    }
}

void ReplayTerminal::show_pause_line() {
    std::string line = "Paused after " + std::to_string(keys_) + " keys, " + std::to_string(pace_ms()) +
                       " ms a key: Space goes on, + faster, - slower, Q stops";
    inner_.show_status_line(line.c_str());
}

void ReplayTerminal::finish(const std::string& line, int status) {
    finished_ = true;
    std::string shown = line.size() + 13 <= SCREEN_COLS ? line + " Press a key." : line.substr(0, SCREEN_COLS);
    inner_.show_status_line(shown.c_str());
    inner_.read_key(shown_);
    inner_.shutdown();
    leave_(status);
    std::abort();  // `leave` does not return
}
