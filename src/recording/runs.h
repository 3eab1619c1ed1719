#pragma once
// A run put together in one place: the game from program start to its end,
// its seed and shown language taken from the recording's header, recorded,
// replayed (watched or followed), verified, exported or resumed, on whatever
// terminal and from whatever bytes the program has. Each returns once the
// run is over, the terminal given back. Nothing here touches a file: the
// programs bring the bytes (a reader) and take the lines (a sink).
#include <functional>
#include <optional>
#include <string>

#include "game/tally.h"
#include "recording/recording.h"
#include "recording/recording_terminal.h"
#include "screen/terminal.h"
#include "text/language.h"

// How a run ended.
struct RunResult {
    // The exit status: 0 when the game (or the recorded game) is over or
    // the watcher stopped it, EXIT_CUT_SHORT when the recording was cut
    // short, EXIT_RECORDING_PROBLEM when it could not be played to its end.
    int status = 0;
    // "victory" or "quit"; for a replay also "cut short at key N",
    // "stopped at key N: ..." or "stopped by the watcher at key N".
    std::string outcome;
    long keys = 0;  // the keys played: read live and recorded, or replayed
    // Why the recording could not be played (for standard error, without
    // the file's name); empty when it could.
    std::string problem;
    RunTally tally;  // turns, dreams, kills, the win
};

// The run's seed and language are the header's; its lines go to `sink`
// (the header is the caller's to write first, encode_header(header)).
RunResult record_run(Terminal& terminal, const RecordingHeader& header, const RecordingTerminal::Sink& sink);

// A replay on the player's terminal under the watcher's controls, shown in
// the language the run was played in unless `language` says otherwise;
// `recorded_keys` is the count of a complete recording (-1 when unknown),
// for the watcher's line.
RunResult replay_run(Terminal& terminal, RecordingReader& reader, const RecordingHeader& header,
                     std::optional<Language> language, long recorded_keys);

// A run watched while it is recorded: `reader` says need_more where the
// bytes run out, and the follower waits there (Q stops it). Without
// `header_read` the run has not begun: the reader is at the start of the
// file, the title is shown, and the run is seeded once its header comes.
RunResult follow_run(Terminal& terminal, RecordingReader& reader, const RecordingHeader& header, bool header_read,
                     std::optional<Language> language);

// The recording checked without a screen, as fast as it goes.
RunResult verify_run(RecordingReader& reader, const RecordingHeader& header);

// The recording played to `cast` (a terminal that keeps what it is shown),
// each key given the default pace of a replay.
RunResult export_run(Terminal& cast, RecordingReader& reader, const RecordingHeader& header,
                     std::optional<Language> language);

// Where a resumed run goes on: the terminal to play on and the sink for its
// further lines.
struct RunGoingOn {
    Terminal* terminal = nullptr;
    RecordingTerminal::Sink sink;
};
// Where the recorded keys of a resumed run ran out: how many, and how much
// of the recording was whole lines (a last part line is to be dropped, and
// a last line without its "\n" given one, before anything is appended).
struct ResumePoint {
    long keys = 0;
    std::size_t whole_bytes = 0;
    bool last_line_ended = true;
};

// An unfinished run taken up again: its keys replayed unseen through the
// same checks as a replay (a damaged or foreign recording stops there as a
// replay stops), then `go_on` is asked for the terminal and the sink, and
// the game goes on from the very screen the player left, recording on
// seamlessly. `go_on` returns false, with a problem, when it cannot. A run
// already over is refused (EXIT_RECORDING_PROBLEM) in words.
RunResult resume_run(RecordingReader& reader, const RecordingHeader& header,
                     const std::function<bool(const ResumePoint&, RunGoingOn&, std::string& problem)>& go_on);
