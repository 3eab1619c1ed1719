#pragma once
// The watcher's side of a replay shown on a terminal: its status line (that
// this is a replay, its pace and its progress: key N, "of M" when the
// recording is known to be complete), the pace between two keys, and the
// watcher's keys, read from the terminal while a key's pause lasts (the
// same in --help, the README and the manual page): Space pauses and goes
// on, . steps one key (and pauses), + and - change the pace, Q or q stops.
// Following a run still being written, it waits where the recording's
// bytes run out, a look every REPLAY_FOLLOW_POLL_MS, Q stopping it there
// too. At the end it shows the replay's last line and waits for a key.
// The replay itself (ReplayTerminal) knows nothing of this: it asks.
#include <string>

#include "recording/recording.h"
#include "screen/terminal.h"

class ScreenBuffer;

constexpr int REPLAY_DEFAULT_PACE_MS = 150;
// How long a follower waits on the keyboard before it looks for more keys.
constexpr int REPLAY_FOLLOW_POLL_MS = 100;

class ReplayWatcher {
   public:
    // `recorded_keys`: the keys of a complete recording, -1 when unknown.
    // Following a run not begun yet, `header` is not known (`known` false)
    // until begun() hands it over.
    ReplayWatcher(Terminal& terminal, const RecordingHeader& header, long recorded_keys, bool known = true)
        : terminal_(terminal), header_(header), recorded_keys_(recorded_keys), begun_(known) {}
    void begun(const RecordingHeader& header) {
        header_ = header;
        begun_ = true;
    }

    // `keys` is the number of keys replayed so far in each of these.
    // The replay's first screen is shown: the line says at once what plays.
    void started(long keys);
    // Before the next key is handed to the game: the progress line, then
    // the pace (or the pause). False when the watcher stopped the replay.
    bool before_key(long keys, const ScreenBuffer& shown);
    // Following: the next key is not written yet; waits one look. False
    // when the watcher stopped the replay.
    bool wait_for_key(long keys, const ScreenBuffer& shown);
    // The replay is over: `line`, then " Press a key.", and the key.
    void ended(const std::string& line, const ScreenBuffer& shown);

    int pace_ms() const;

   private:
    // The step of REPLAY_DEFAULT_PACE_MS among the paces + and - go through.
    static int default_pace_step();
    std::string progress(long keys) const;
    void show_progress(long keys);

    Terminal& terminal_;
    RecordingHeader header_;
    long recorded_keys_;
    int pace_step_ = default_pace_step();
    bool paused_ = false;
    bool begun_;
};
