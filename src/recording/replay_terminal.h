#pragma once
// A terminal that plays a recording back: the game runs again from the
// recording's seed and takes its keys from the recording, while the screens
// go to the real terminal at a pace the watcher sets. Before the first
// screen after each key is shown, the state of the game is checked against
// the recording; at the first difference the replay stops rather than show
// a game that was never played.
//
// Watcher's keys, read from the real terminal while a key's pause lasts:
// Space pauses and goes on, + and - change the pace, Q stops.
//
// The replay ends with a line on the last screen (the status line), waits
// for a key, gives the terminal back and calls `leave` with the exit
// status: 0 when the recording is over (the game over, or the recording cut
// short), 4 when it stopped on a problem; problem() says which, for
// standard error.
#include <functional>
#include <string>

#include "recording/recording.h"
#include "screen/exit_status.h"
#include "screen/screen_buffer.h"
#include "screen/terminal.h"

constexpr int REPLAY_DEFAULT_PACE_MS = 150;

class ReplayTerminal : public TerminalInFront {
   public:
    // `leave` must not return (it ends the process in play; tests throw).
    using Leave = std::function<void(int status)>;
    ReplayTerminal(Terminal& inner, RecordingReader& reader, RecordingHeader header, Leave leave)
        : TerminalInFront(inner), reader_(reader), header_(std::move(header)), leave_(std::move(leave)) {}

    void present(const ScreenBuffer& screen) override;
    int read_key(const ScreenBuffer& screen) override;
    // The game is over: checks the end line and ends the replay.
    void shutdown() override;

    long keys_replayed() const { return keys_; }
    int pace_ms() const;
    // Empty unless the replay stopped on a problem.
    const std::string& problem() const { return problem_; }

   private:
    // The step of REPLAY_DEFAULT_PACE_MS among the paces + and - go through.
    static int default_pace_step();
    // The next line of the recording, read once and kept until used.
    Record& upcoming();
    void check_state();
    [[noreturn]] void stop_on_mismatch();
    [[noreturn]] void stop(const std::string& problem);
    void wait_for_pace();
    void show_pause_line();
    [[noreturn]] void finish(const std::string& line, int status);

    RecordingReader& reader_;
    RecordingHeader header_;
    Leave leave_;
    ScreenBuffer shown_;  // the last screen shown, checked
    bool check_due_ = true;
    bool have_upcoming_ = false;
    RecordingStatus upcoming_status_ = RecordingStatus::ok;
    Record upcoming_;
    long keys_ = 0;
    int pace_step_ = default_pace_step();
    bool paused_ = false;
    bool finished_ = false;
    std::string problem_;
};
