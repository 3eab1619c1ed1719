#pragma once
// A terminal that plays a recording back: the game runs again from the
// recording's seed and takes its keys from the recording, while the screens
// go to the real terminal at a pace the watcher sets. Before the first
// screen after each key is shown, the state of the game is checked against
// the recording; at the first difference the replay stops rather than show
// a game that was never played.
//
// While it plays, the status line says that this is a replay, its pace and
// its progress (key N, "of M" when the recording is known to be complete).
// Watcher's keys, read from the real terminal while a key's pause lasts (the
// same in --help, the README and the manual page): Space pauses and goes
// on, . steps one key (and pauses), + and - change the pace, Q or q stops.
//
// The replay ends with a line on the last screen (the status line), waits
// for a key, gives the terminal back and calls `leave` with the exit
// status: 0 when the recorded game is over (quit or won), EXIT_CUT_SHORT
// when the recording was cut short, 4 when it stopped on a problem;
// problem() says which, for standard error, and outcome() says how the run
// ended in a few words.
//
// Unwatched (for checking a recording or turning it into a cast), nothing
// waits: the pace goes to the inner terminal's sleep_ms, no status line is
// shown and the end waits for no key.
//
// Following, the recording is still being written: where its bytes run
// out the replay waits for more (the reader says need_more), reading the
// watcher's keys meanwhile, and shows each screen as soon as the game draws
// it; the check of that screen's state is made when the next line arrives.
// When the reader says the writer is gone before the end line, the replay
// ends saying "the player left at key N", with EXIT_CUT_SHORT; a file
// truncated or replaced under it stops it as a problem.
#include <functional>
#include <string>

#include "recording/recording.h"
#include "screen/exit_status.h"
#include "screen/screen_buffer.h"
#include "screen/terminal.h"

constexpr int REPLAY_DEFAULT_PACE_MS = 150;
// How long a follower waits on the keyboard before it looks for more keys.
constexpr int REPLAY_FOLLOW_POLL_MS = 100;

struct ReplaySettings {
    bool watched = true;
    bool follow = false;
    long recorded_keys = -1;  // the keys of a complete recording; -1 when unknown
    // Following a run whose header is not all written yet (the reader at
    // the start of the file): the replay shows the game's first screens
    // (the title is the same in every language and for every seed), reads
    // the header when it comes and hands it to `begin`, which seeds the
    // game and sets its language before the game asks for either.
    std::function<void(const RecordingHeader&)> begin{};
};

class ReplayTerminal : public TerminalInFront {
   public:
    // `leave` must not return (it ends the process in play; tests throw).
    using Leave = std::function<void(int status)>;
    ReplayTerminal(Terminal& inner, RecordingReader& reader, RecordingHeader header, Leave leave,
                   ReplaySettings settings = {})
        : TerminalInFront(inner),
          reader_(reader),
          header_(std::move(header)),
          leave_(std::move(leave)),
          settings_(settings) {}

    void present(const ScreenBuffer& screen) override;
    int read_key(const ScreenBuffer& screen) override;
    // The game is over: checks the end line and ends the replay.
    void shutdown() override;

    long keys_replayed() const { return keys_; }
    int pace_ms() const;
    // Empty unless the replay stopped on a problem.
    const std::string& problem() const { return problem_; }
    // How the run ended: "victory", "quit", "cut short at key N" or
    // "stopped at key N: ..."; empty while it plays.
    const std::string& outcome() const { return outcome_; }

   private:
    // The step of REPLAY_DEFAULT_PACE_MS among the paces + and - go through.
    static int default_pace_step();
    // The next line of the recording, read once and kept until used; when
    // following and `wait`, waits until it comes.
    Record& upcoming(bool wait);
    void take_check();
    void compare_check();
    [[noreturn]] void stop_on_mismatch();
    [[noreturn]] void stop(const std::string& problem);
    void wait_for_pace();
    // A watcher's key that any wait handles: Q stops.
    void handle_stop_key(int key);
    std::string progress() const;
    void show_progress();
    void show_pause_line();
    [[noreturn]] void finish(const std::string& line, int status);

    RecordingReader& reader_;
    RecordingHeader header_;
    Leave leave_;
    ReplaySettings settings_;
    ScreenBuffer shown_;  // the last screen shown
    ScreenBuffer good_;   // following: the last screen whose check passed
    bool check_due_ = true;
    bool check_pending_ = false;  // pending_check_ waits for its line
    uint32_t pending_check_ = 0;
    bool have_upcoming_ = false;
    RecordingStatus upcoming_status_ = RecordingStatus::ok;
    Record upcoming_;
    long keys_ = 0;
    int pace_step_ = default_pace_step();
    bool paused_ = false;
    bool finished_ = false;
    bool presented_ = false;
    bool header_pending_ = static_cast<bool>(settings_.begin);
    std::string problem_;
    std::string outcome_;
};
