// The play program: the game on the curses terminal. With no arguments it
// plays as it always has (seeded from the clock, writing no files); the
// options seed the game, record the run, resume it, replay, follow, check or
// export a recording.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "backends/curses/curses_terminal.h"
#include "backends/curses/terminal_restore.h"
#include "game/program.h"
#include "game/random.h"
#include "game/version.h"
#include "programs/options.h"
#include "programs/run_folder.h"
#include "programs/run_tools.h"
#include "recording/recording_file.h"
#include "recording/runs.h"
#include "screen/console.h"
#include "screen/exit_status.h"
#include "screen/screen_buffer.h"
#include "text/language.h"

namespace {

// Allocation failures take the game's way out from the very first one,
// static initialisation included.
__attribute__((constructor(101))) void route_early() { route_allocation_failures(); }

[[noreturn]] void play(Terminal* terminal) {
    install_terminal(terminal);
    std::exit(program_entry());
}

std::optional<Language> chosen_language(const ProgramOptions& options) {
    if (!options.language_given) return std::nullopt;
    return options.language;
}

[[noreturn]] void refuse(const std::string& problem) {
    std::fprintf(stderr, "drowsel: %s\n", problem.c_str());
    std::exit(EXIT_RECORDING_PROBLEM);
}

// The lines of a run going to its file; a line the file refuses is said at
// once on the status line, and the game goes on.
RecordingTerminal::Sink sink_to(RecordingWriter& writer, Terminal& screen) {
    return [&writer, &screen](const std::string& bytes) {
        if (writer.write(bytes)) screen.show_status_line(writer.failure().substr(0, SCREEN_COLS).c_str());
    };
}

// The recording's end: its file closed, a failure said on standard error.
int closed_recording(int fd, const RecordingWriter& writer, const std::string& path, int status) {
    bool closed = close(fd) == 0;
    if (writer.failed()) {
        std::fprintf(stderr, "drowsel: '%s': %s\n", path.c_str(), writer.failure().c_str());
        return EXIT_RECORDING_PROBLEM;
    }
    if (!closed) {
        std::perror(("drowsel: '" + path + "' could not be closed").c_str());
        return EXIT_RECORDING_PROBLEM;
    }
    return status;
}

// Without --seed, the clock is read here, at start-up, so that the header
// can name the seed; the game is then seeded with it where it would
// otherwise read the clock.
[[noreturn]] void record(const ProgramOptions& options) {
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           options.seed_given ? options.seed : static_cast<uint32_t>(std::time(nullptr))};
    if (options.language == Language::english) header.language = language_name(Language::english);
    std::string problem;
    int fd = create_recording_file(options.record_path, header, problem);
    if (fd < 0) refuse(problem);
    // A game that never starts (a terminal refused) leaves no file behind.
    static std::string unstarted_path = options.record_path;
    std::atexit([] {
        if (!unstarted_path.empty()) unlink(unstarted_path.c_str());
    });
    Terminal* screen = open_curses_terminal();
    unstarted_path.clear();
    RecordingWriter writer(fd);
    RunResult run = record_run(*screen, header, sink_to(writer, *screen));
    std::exit(closed_recording(fd, writer, options.record_path, run.status));
}

// What a replay that did not end well says on standard error.
[[noreturn]] void leave_replay(const RunResult& run, const std::string& path) {
    if (!run.problem.empty())
        std::fprintf(stderr, "drowsel: '%s': %s\n", path.c_str(), run.problem.c_str());
    else if (run.status == EXIT_CUT_SHORT)
        std::fprintf(stderr, "drowsel: '%s': the recording was %s\n", path.c_str(), run.outcome.c_str());
    std::exit(run.status);
}

[[noreturn]] void replay(const ProgramOptions& options) {
    OpenedRecording opened;
    std::string problem;
    if (!open_recording_file(options.replay_path, opened, problem, options.follow)) refuse(problem);
    Terminal& screen = *open_curses_terminal();
    leave_replay(options.follow ? follow_run(screen, *opened.reader, opened.header, chosen_language(options))
                                : replay_run(screen, *opened.reader, opened.header, chosen_language(options),
                                             count_recorded_keys(opened.fd)),
                 options.replay_path);
}

// The run's keys replayed unseen; where they run out, its file is cut back
// to its whole lines and the game goes on, on the terminal, recording on.
[[noreturn]] void resume(const ProgramOptions& options) {
    std::string path = options.resume_path;
    std::string problem;
    if (path.empty() && !newest_unfinished_run(path, problem)) refuse(problem);
    OpenedRecording opened;
    if (!open_recording_file(path, opened, problem)) refuse(problem);
    int fd = -1;
    std::optional<RecordingWriter> writer;
    RunResult run = resume_run(
        *opened.reader, opened.header, [&](const ResumePoint& point, RunGoingOn& going_on, std::string& why) {
            fd = continue_recording_file(path, opened.fd, point.whole_bytes, !point.last_line_ended, why);
            if (fd < 0) return false;
            Terminal* screen = open_curses_terminal();
            writer.emplace(fd);
            going_on = {screen, sink_to(*writer, *screen)};
            return true;
        });
    if (!writer) leave_replay(run, path);
    std::exit(closed_recording(fd, *writer, path, run.status));
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string problem;
    switch (parse_options(argc, argv, options, problem)) {
        case OptionsOutcome::help: std::fputs(usage_text(), stdout); return EXIT_DONE;
        case OptionsOutcome::version: std::printf("drowsel %s\n", GAME_VERSION); return EXIT_DONE;
        case OptionsOutcome::error:
            std::fprintf(stderr, "drowsel: %s\nTry 'drowsel --help' for more information.\n", problem.c_str());
            return EXIT_BAD_COMMAND_LINE;
        case OptionsOutcome::play: break;
    }
    set_shown_language(options.language);
    if (!options.verify_path.empty()) verify_recording(options.verify_path);
    if (!options.cast_path.empty()) export_cast(options.cast_path, options.cast_recording, chosen_language(options));
    if (options.resume) resume(options);
    if (!options.replay_path.empty()) replay(options);
    if (!options.record_path.empty()) record(options);
    if (options.seed_given) random_fix_seed(options.seed);
    play(open_curses_terminal());
}
