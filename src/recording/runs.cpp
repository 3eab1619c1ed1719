#include "recording/runs.h"

#include "game/program.h"
#include "game/random.h"
#include "recording/replay_terminal.h"
#include "recording/replay_watcher.h"
#include "screen/console.h"
#include "screen/exit_status.h"

namespace {

// A terminal with nothing behind it, for runs nobody sees: their keys come
// from the recording, so it is never asked for one.
class NoScreen : public Terminal {
   public:
    void present(const ScreenBuffer&) override {}
    int read_key(const ScreenBuffer&, const KeyHint&) override { return KEY_CODE_SPACE; }
    void sleep_ms(int) override {}
};

// A run seeded with its header's seed, in its language unless chosen.
void begin_run(const RecordingHeader& header, std::optional<Language> language) {
    set_shown_language(language ? *language : recorded_language(header.language));
    random_fix_seed(header.seed);
}

// Every run starts from the program's start.
void start_run(const RecordingHeader& header, std::optional<Language> language) {
    reset_to_program_start();
    begin_run(header, language);
}

RunResult replayed(Terminal& terminal, RecordingReader& reader, const RecordingHeader& header,
                   ReplaySettings settings) {
    ReplayTerminal replay(terminal, reader, header, std::move(settings));
    install_terminal(&replay);
    program_entry();
    install_terminal(nullptr);
    return {replay.status(), replay.outcome(), replay.keys_replayed(), replay.problem(), replay.tally()};
}

}  // namespace

RunResult record_run(Terminal& terminal, const RecordingHeader& header, const RecordingTerminal::Sink& sink) {
    start_run(header, std::nullopt);
    RecordingTerminal recorder(terminal, sink);
    install_terminal(&recorder);
    int status = program_entry();
    install_terminal(nullptr);
    return {status, run_tally.ending(), recorder.keys(), "", run_tally};
}

RunResult replay_run(Terminal& terminal, RecordingReader& reader, const RecordingHeader& header,
                     std::optional<Language> language, long recorded_keys) {
    start_run(header, language);
    ReplayWatcher watcher(terminal, header, recorded_keys);
    ReplaySettings watched;
    watched.watcher = &watcher;
    return replayed(terminal, reader, header, watched);
}

RunResult follow_run(Terminal& terminal, RecordingReader& reader, const RecordingHeader& header, bool header_read,
                     std::optional<Language> language) {
    if (header_read) return replay_run(terminal, reader, header, language, -1);
    reset_to_program_start();
    ReplayWatcher watcher(terminal, header, -1, false);
    ReplaySettings followed;
    followed.watcher = &watcher;
    followed.begin = [language](const RecordingHeader& begun) { begin_run(begun, language); };
    return replayed(terminal, reader, header, followed);
}

RunResult verify_run(RecordingReader& reader, const RecordingHeader& header) {
    start_run(header, std::nullopt);
    NoScreen nothing;
    return replayed(nothing, reader, header, {});
}

RunResult export_run(Terminal& cast, RecordingReader& reader, const RecordingHeader& header,
                     std::optional<Language> language) {
    start_run(header, language);
    return replayed(cast, reader, header, {});
}

RunResult resume_run(RecordingReader& reader, const RecordingHeader& header,
                     const std::function<bool(const ResumePoint&, RunGoingOn&, std::string& problem)>& go_on) {
    start_run(header, std::nullopt);
    NoScreen nothing;
    std::optional<RecordingTerminal> recorder;
    auto play_on = [&](long keys, uint32_t next_check, std::string& problem) -> Terminal* {
        RunGoingOn going_on;
        if (!go_on({keys, reader.bytes_taken(), reader.last_line_ended()}, going_on, problem)) return nullptr;
        recorder.emplace(*going_on.terminal, std::move(going_on.sink));
        recorder->continue_run(keys, next_check);
        return &*recorder;
    };
    ReplaySettings unseen;
    unseen.play_on = play_on;
    RunResult result = replayed(nothing, reader, header, unseen);
    if (recorder) return {EXIT_DONE, run_tally.ending(), recorder->keys(), "", run_tally};
    if (result.status != EXIT_RECORDING_PROBLEM) {
        // Replayed to the game's end: nothing is left to play.
        result.problem = "this run is over (" + result.outcome + "); there is nothing to resume";
        result.status = EXIT_RECORDING_PROBLEM;
    }
    return result;
}
