// The play program: the game on the curses terminal. With no arguments it
// plays as it always has, seeded from the clock, and keeps the run in its
// state folder; the options seed the game, record the run elsewhere or not
// at all, resume it, replay, follow, check or export a recording.
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
#include "programs/reader_terminal.h"
#include "programs/recording_file.h"
#include "programs/run_tools.h"
#include "programs/state_folder.h"
#include "recording/runs.h"
#include "screen/console.h"
#include "screen/exit_status.h"
#include "screen/screen_buffer.h"
#include "text/language.h"

namespace {

// Allocation failures take the game's way out from the very first one,
// static initialisation included.
__attribute__((constructor(101))) void route_early() { route_allocation_failures(); }

// The play terminal as the options want it shown, with the screen
// reader's aid in front of it where asked for: under the recorder, so that
// the describe key is never recorded.
Terminal* shown_terminal(const ProgramOptions& options) {
    Terminal* screen = open_curses_terminal(CursesLook{options.palette, options.reader});
    if (!options.reader) return screen;
    static ReaderTerminal reader(*screen);
    return &reader;
}

std::optional<Language> chosen_language(const ProgramOptions& options) {
    if (!options.language_given) return std::nullopt;
    return options.language;
}

[[noreturn]] void refuse(const std::string& problem) {
    std::fprintf(stderr, "drowsel: %s\n", problem.c_str());
    std::exit(EXIT_RECORDING_PROBLEM);
}

OpenedRecording opened_or_refused(const std::string& path, bool follow = false) {
    OpenedRecording opened;
    std::string problem;
    if (!open_recording_file(path, opened, problem, follow)) refuse(problem);
    return opened;
}

// The lines of a run going to its file; what becomes of the file is said
// at once on the status line, and the game goes on.
RecordingTerminal::Sink sink_to(RecordingWriter& writer, Terminal& screen) {
    return [&writer, &screen](const std::string& bytes) {
        if (writer.write(bytes)) screen.show_status_line(writer.said().c_str());
    };
}

// The recording's end: its file closed, what became of it said on standard
// error. A run kept in the state folder (`kept`) changes no status: the
// player asked for no file.
int closed_recording(const RecordingWriter& writer, bool kept, int status) {
    bool closed = close(writer.fd()) == 0;
    if (!writer.mended().empty()) std::fprintf(stderr, "drowsel: %s\n", writer.mended().c_str());
    if (writer.failed())
        std::fprintf(stderr, "drowsel: '%s': %s\n", writer.path().c_str(), writer.failure().c_str());
    else if (!closed)
        std::perror(("drowsel: '" + writer.path() + "' could not be closed").c_str());
    // A run moved is whole, but not where it was asked for.
    if (!kept && (writer.failed() || !closed || writer.moved())) status = EXIT_RECORDING_PROBLEM;
    if (kept) prune_finished_runs(writer.path().substr(0, writer.path().rfind('/')));
    return status;
}

// Without --seed, the clock is read here, at start-up, so that the header
// can name the seed; the game is then seeded with it where it would
// otherwise read the clock. Without --record the run is kept in the state
// folder; a folder that cannot be made or written is said on the status
// line and the game is played all the same (its status is the game's: the
// player asked for no file).
[[noreturn]] void record(const ProgramOptions& options) {
    std::time_t start = std::time(nullptr);
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           options.seed_given ? options.seed : static_cast<uint32_t>(start)};
    if (options.language == Language::english) header.language = language_name(Language::english);
    bool kept = options.record_path.empty();
    std::string problem;
    std::string path = kept ? new_kept_run_path(start, header.seed, problem) : options.record_path;
    int fd = path.empty() ? -1 : create_recording_file(path, header, problem);
    if (fd < 0 && !kept) refuse(problem);
    // A game that never starts (a terminal refused) leaves no file behind.
    static std::string unstarted_path = fd < 0 ? "" : path;
    std::atexit([] {
        if (!unstarted_path.empty()) unlink(unstarted_path.c_str());
    });
    Terminal* screen = shown_terminal(options);
    unstarted_path.clear();
    if (fd < 0) {
        std::string line = "This run is not kept: " + problem;
        screen->show_status_line(line.substr(0, SCREEN_COLS).c_str());
        random_fix_seed(header.seed);
        install_terminal(screen);
        int status = program_entry();
        std::fprintf(stderr, "drowsel: %s\n", line.c_str());
        std::exit(status);
    }
    RecordingWriter writer(fd, path, header);
    RunResult run = record_run(*screen, header, sink_to(writer, *screen));
    std::exit(closed_recording(writer, kept, run.status));
}

// What a replay that did not end well says on standard error.
[[noreturn]] void leave_replay(const RunResult& run, const std::string& path) {
    if (!run.problem.empty())
        std::fprintf(stderr, "drowsel: '%s': %s\n", path.c_str(), run.problem.c_str());
    else if (run.status == EXIT_CUT_SHORT)
        std::fprintf(stderr, "drowsel: '%s': the recording was %s\n", path.c_str(), run.outcome.c_str());
    std::exit(run.status);
}

// Seeded by the recording and shown in the language it was played in,
// unless --lang says otherwise; a followed run not begun yet, once its
// header comes.
[[noreturn]] void replay(const ProgramOptions& options) {
    OpenedRecording opened = opened_or_refused(options.replay_path, options.follow);
    Terminal& screen = *shown_terminal(options);
    leave_replay(options.follow
                     ? follow_run(screen, *opened.reader, opened.header, opened.header_read, chosen_language(options))
                     : replay_run(screen, *opened.reader, opened.header, chosen_language(options),
                                  count_recorded_keys(opened.fd)),
                 options.replay_path);
}

// The run's keys replayed unseen from its file's bytes (the file locked
// meanwhile, and left as it is if the run cannot be resumed); where they
// run out, the file is cut back to its whole lines and the game goes on,
// on the terminal, recording on into it.
[[noreturn]] void resume(const ProgramOptions& options) {
    std::string problem;
    std::string path = options.resume_path.empty() ? newest_unfinished_run(problem) : options.resume_path;
    if (path.empty()) refuse(problem);
    std::string bytes;
    int fd = reopen_recording_file(path, bytes, problem);
    if (fd < 0) refuse(problem);
    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    RecordingStatus status = reader.read_header(header);
    if (status != RecordingStatus::ok) refuse("'" + path + "': " + recording_problem_text(status, header));
    std::optional<RecordingWriter> writer;
    RunResult run = resume_run(reader, header, [&](const ResumePoint& point, RunGoingOn& going_on, std::string& why) {
        if (!cut_recording_file(fd, path, point.whole_bytes, !point.last_line_ended, why)) return false;
        Terminal* screen = shown_terminal(options);
        writer.emplace(fd, path, header, bytes.substr(0, point.whole_bytes) + (point.last_line_ended ? "" : "\n"));
        going_on = {screen, sink_to(*writer, *screen)};
        return true;
    });
    if (!writer) {
        close(fd);
        leave_replay(run, path);
    }
    std::exit(closed_recording(*writer, options.resume_path.empty(), run.status));
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
    if (!options.verify_path.empty()) verify_recording(opened_or_refused(options.verify_path));
    if (!options.cast_path.empty())
        export_cast(options.cast_path, options.cast_recording, opened_or_refused(options.cast_recording),
                    chosen_language(options));
    if (options.resume) resume(options);
    if (!options.replay_path.empty()) replay(options);
    if (!options.no_record) record(options);
    if (options.seed_given) random_fix_seed(options.seed);
    install_terminal(shown_terminal(options));
    return program_entry();
}
