#include "recording/replay_terminal.h"

#include <cstdio>
#include <cstdlib>

#include "game/state_check.h"
#include "game/version.h"
#include "screen/console.h"
#include "screen/exit_status.h"

namespace {

// More keys than any game needs to reach its end from any prompt.
constexpr long LEADING_KEYS_LIMIT = 100000;

bool ends_recording(RecordingStatus status) {
    return status == RecordingStatus::finished || status == RecordingStatus::cut_in_record ||
           status == RecordingStatus::writer_gone;
}

// The short form of a problem for the status line: up to its details.
std::string short_form(const std::string& text) { return text.substr(0, text.find(" (")); }

}  // namespace

int key_toward_end(KeyWait wait) {
    switch (wait) {
        case KeyWait::command: return 'Q';
        case KeyWait::direction: return '5';
        default: return KEY_CODE_SPACE;
    }
}

Record& ReplayTerminal::upcoming(bool wait) {
    while (!have_upcoming_ && !over_) {
        upcoming_status_ = header_pending_ ? reader_.read_header(header_) : reader_.next(upcoming_);
        if (header_pending_ && upcoming_status_ == RecordingStatus::ok) {
            header_pending_ = false;
            settings_.begin(header_);
            if (settings_.watcher != nullptr) settings_.watcher->begun(header_);
            continue;
        }
        if (upcoming_status_ != RecordingStatus::need_more) {
            have_upcoming_ = true;
            break;
        }
        if (!wait) break;
        // Following: the recorder has not written the line yet. Without a
        // watcher to wait, the bytes so far are all there is.
        if (settings_.watcher == nullptr) {
            upcoming_status_ = RecordingStatus::finished;
            have_upcoming_ = true;
        } else if (!settings_.watcher->wait_for_key(keys_, shown_)) {
            stopped_by_watcher();
        }
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
    shown_unchecked_ = false;
    good_ = shown_;
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
    if (shown_unchecked_ && shown()) {
        // A follower shows screens before their check; the last good one
        // comes back.
        shown_ = good_;
        inner_.present(shown_);
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

void ReplayTerminal::finish(const std::string& line, int status) {
    over_ = true;
    status_ = status;
    tally_ = run_tally;
    if (settings_.watcher != nullptr) {
        // Nothing shown yet (a recording damaged at its first key): a clean
        // screen under the line, not whatever the terminal held.
        if (!presented_) inner_.present(shown_);
        settings_.watcher->ended(line, shown_);
    }
    inner_.shutdown();
}

// Q from the watcher: over at once, no last line to wait on.
void ReplayTerminal::stopped_by_watcher() {
    over_ = true;
    status_ = EXIT_DONE;
    outcome_ = "stopped by the watcher at key " + std::to_string(keys_ + 1);
    tally_ = run_tally;
    inner_.shutdown();
}

// The recorded keys have run out before the game is over: the player's
// last screen comes back, and the game reads its keys live from here.
void ReplayTerminal::go_live(const ScreenBuffer& screen) {
    std::string problem;
    live_ = settings_.play_on(keys_, pending_check_, problem);
    if (live_ == nullptr) {
        problem_ = problem;
        outcome_ = "not resumed at key " + std::to_string(keys_ + 1);
        over_ = true;
        status_ = EXIT_RECORDING_PROBLEM;
        tally_ = run_tally;
        return;
    }
    live_->present(screen);
}

int ReplayTerminal::leading_key(const KeyHint& hint) {
    if (++led_keys_ > LEADING_KEYS_LIMIT) {
        std::fputs("drowsel: the game did not come to its end after its replay\n", stderr);
        std::abort();
    }
    return key_toward_end(hint.wait);
}

// The real terminal is given a copy of each screen that has passed its
// check, so that a stop leaves the last good screen in view (a terminal
// that repaints, on a resize or for the status line, repaints that one).
void ReplayTerminal::present(const ScreenBuffer& screen) {
    if (live_ != nullptr) return live_->present(screen);
    if (check_due_ && !over_) take_check();
    if (over_) return;
    shown_ = screen;
    if (check_pending_) shown_unchecked_ = true;
    if (!shown()) return;
    inner_.present(shown_);
    if (!presented_) {
        presented_ = true;
        if (settings_.watcher != nullptr) settings_.watcher->started(keys_);
    }
}

int ReplayTerminal::read_key(const ScreenBuffer& screen, const KeyHint& hint) {
    if (live_ != nullptr) return live_->read_key(screen, hint);
    if (check_due_ && !over_) take_check();
    if (over_) return leading_key(hint);
    shown_ = screen;
    if (check_pending_) {
        upcoming(true);
        compare_check();
    }
    const Record& next = upcoming(true);
    if (over_) return leading_key(hint);
    if (upcoming_status_ == RecordingStatus::writer_gone) {
        std::string left = "the player left at key " + std::to_string(keys_ + 1);
        outcome_ = "cut short: " + left;
        finish("End of the recording: " + left + ".", EXIT_CUT_SHORT);
        return leading_key(hint);
    }
    if (ends_recording(upcoming_status_)) {
        if (settings_.play_on) {
            go_live(screen);
            return live_ != nullptr ? live_->read_key(screen, hint) : leading_key(hint);
        }
        outcome_ = "cut short at key " + std::to_string(keys_ + 1);
        finish("End of the recording: " + outcome_ + ".", EXIT_CUT_SHORT);
    } else if (upcoming_status_ != RecordingStatus::ok) {
        stop(recording_problem_text(upcoming_status_, header_));
    } else if (next.kind == RecordKind::end) {
        stop_on_mismatch();  // the recorded game was over here
    } else if (settings_.watcher != nullptr) {
        if (shown()) inner_.game_waits(hint);
        if (!settings_.watcher->before_key(keys_, shown_)) stopped_by_watcher();
    } else if (shown()) {
        inner_.sleep_ms(REPLAY_DEFAULT_PACE_MS);
    }
    if (over_) return leading_key(hint);
    have_upcoming_ = false;
    check_due_ = true;
    ++keys_;
    return next.key;
}

void ReplayTerminal::sleep_ms(int ms) {
    if (live_ != nullptr) return live_->sleep_ms(ms);
    if (!over_ && shown()) inner_.sleep_ms(ms);
}

int ReplayTerminal::read_key_within(const ScreenBuffer& screen, int timeout_ms) {
    if (live_ != nullptr) return live_->read_key_within(screen, timeout_ms);
    return over_ || !shown() ? -1 : inner_.read_key_within(screen, timeout_ms);
}

void ReplayTerminal::show_status_line(const char* ascii) {
    if (live_ != nullptr) return live_->show_status_line(ascii);
    if (!over_ && shown()) inner_.show_status_line(ascii);
}

void ReplayTerminal::shutdown() {
    if (live_ != nullptr) return live_->shutdown();
    if (over_) return;
    if (check_due_) take_check();
    if (over_) return;
    check_pending_ = false;  // the end line holds this check
    const Record& last = upcoming(true);
    if (over_) return;
    outcome_ = run_tally.ending();
    if (ends_recording(upcoming_status_)) {
        // Every key is there, but not the end line: a run cut at its very end.
        finish("End of the recording: " + outcome_ + ", cut short before its end line.", EXIT_CUT_SHORT);
        return;
    }
    if (upcoming_status_ != RecordingStatus::ok) return stop(recording_problem_text(upcoming_status_, header_));
    // The recorded game must be over too, in the same state, with nothing
    // after it.
    if (last.kind != RecordKind::end || last.check != state_check()) return stop_on_mismatch();
    Record after;
    RecordingStatus trailing = reader_.next(after);
    if (trailing != RecordingStatus::finished && trailing != RecordingStatus::need_more)
        return stop(recording_problem_text(trailing, header_));
    finish("End of the recording: " + outcome_ + ".", EXIT_DONE);
}
