#pragma once
// A terminal that plays a recording back: the game runs again from the
// recording's seed and takes its keys from the recording. Before the first
// screen after each key is shown, the state of the game is checked against
// the recording; at the first difference the replay stops rather than show
// a game that was never played.
//
// Watched (a ReplayWatcher given), the screens are shown at the watcher's
// pace; with neither watcher nor play_on they go to a terminal that keeps
// them (a check, a cast), each key's pace to its sleep_ms; with play_on
// nothing is shown until the recorded keys run out (a run resumed).
//
// Following, where the bytes run out the replay waits for more as the
// watcher says and shows each screen at once; its check is made when the
// next line arrives, and a screen that fails it gives way to the last good
// one. A writer gone before the end line ends it with EXIT_CUT_SHORT.
//
// When the replay is over it gives the terminal back (over(), status(),
// problem(), outcome() say how), and the game, not over yet, is led to its
// end unseen (its prompts answered, then Q), so that program_entry returns.
#include <cstdint>
#include <functional>
#include <string>

#include "game/tally.h"
#include "recording/recording.h"
#include "recording/replay_watcher.h"
#include "screen/screen_buffer.h"
#include "screen/terminal.h"

// The key that answers `wait` on the way to the game's end: Q at a
// command, 5 (no direction) at a direction, Space at any other wait.
int key_toward_end(KeyWait wait);

struct ReplaySettings {
    // Watched: the watcher's controls, on the replay's terminal.
    ReplayWatcher* watcher = nullptr;
    // Unseen, resuming: the terminal to go on on, given the keys replayed
    // and the check of the next key (the state the last recorded key led
    // to); nullptr when the run cannot go on (`problem` then says why).
    std::function<Terminal*(long keys, uint32_t next_check, std::string& problem)> play_on;
    // Following a run whose header is not all written yet (the reader at
    // the start of the file): the replay shows the game's first screens
    // (the title is the same in every language and for every seed), reads
    // the header when it comes and hands it to `begin`, which seeds the
    // game and sets its language before the game asks for either.
    std::function<void(const RecordingHeader&)> begin;
};

class ReplayTerminal : public Terminal {
   public:
    ReplayTerminal(Terminal& inner, RecordingReader& reader, RecordingHeader header, ReplaySettings settings = {})
        : inner_(inner), reader_(reader), header_(std::move(header)), settings_(std::move(settings)) {}

    void present(const ScreenBuffer& screen) override;
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override;
    void sleep_ms(int ms) override;
    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override;
    void show_status_line(const char* ascii) override;
    // The game is over: checks the end line and ends the replay.
    void shutdown() override;

    // True once the replay has ended (not while a resumed run goes on).
    bool over() const { return over_; }
    int status() const { return status_; }
    long keys_replayed() const { return keys_; }
    // Empty unless the replay stopped on a problem.
    const std::string& problem() const { return problem_; }
    // How the run ended: "victory", "quit", "cut short at key N",
    // "stopped at key N: ..." or "stopped by the watcher at key N"; empty
    // while it plays.
    const std::string& outcome() const { return outcome_; }
    // What happened in the run up to the end of the replay.
    const RunTally& tally() const { return tally_; }

   private:
    bool shown() const { return !settings_.play_on; }
    // The next line of the recording, read once and kept until used; when
    // following and `wait`, waits until it comes.
    Record& upcoming(bool wait);
    void take_check();
    void compare_check();
    void stop_on_mismatch();
    void stop(const std::string& problem);
    void finish(const std::string& line, int status);
    void stopped_by_watcher();
    void go_live(const ScreenBuffer& screen);
    // A key for the game once the replay is over, answering what it waits
    // for until it is over too.
    int leading_key(const KeyHint& hint);

    Terminal& inner_;
    RecordingReader& reader_;
    RecordingHeader header_;
    ReplaySettings settings_;
    Terminal* live_ = nullptr;  // resumed: the terminal the run goes on on
    ScreenBuffer shown_;        // the last screen shown
    ScreenBuffer good_;         // the last screen before the pending check
    bool check_due_ = true;
    bool check_pending_ = false;    // pending_check_ waits for its line
    bool shown_unchecked_ = false;  // a screen was shown while it waited
    uint32_t pending_check_ = 0;
    bool have_upcoming_ = false;
    RecordingStatus upcoming_status_ = RecordingStatus::ok;
    Record upcoming_;
    long keys_ = 0;
    bool presented_ = false;
    bool over_ = false;
    long led_keys_ = 0;
    bool header_pending_ = static_cast<bool>(settings_.begin);
    int status_ = 0;
    std::string problem_;
    std::string outcome_;
    RunTally tally_;
};
