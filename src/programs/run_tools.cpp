#include "programs/run_tools.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backends/cast/cast_terminal.h"
#include "backends/headless/headless_terminal.h"
#include "game/program.h"
#include "game/random.h"
#include "game/tally.h"
#include "game/version.h"
#include "programs/recording_file.h"
#include "recording/replay_terminal.h"
#include "screen/console.h"
#include "screen/exit_status.h"
#include "text/language.h"

namespace {

OpenedRecording open_or_leave(const std::string& path) {
    OpenedRecording opened;
    std::string problem;
    if (!open_recording_file(path, opened, problem)) {
        std::fprintf(stderr, "drowsel: %s\n", problem.c_str());
        std::exit(EXIT_RECORDING_PROBLEM);
    }
    return opened;
}

// The game on `inner`, its keys from the recording, nothing waited for;
// `leave` gets the replay and its status.
[[noreturn]] void replay_unwatched(Terminal& inner, OpenedRecording& opened,
                                   const std::function<void(const ReplayTerminal&, int)>& leave) {
    random_fix_seed(opened.header.seed);
    ReplayTerminal* replayer = nullptr;
    ReplayTerminal terminal(
        inner, *opened.reader, opened.header,
        [&](int status) {
            leave(*replayer, status);
            std::exit(status);
        },
        ReplaySettings{false, false, -1});
    replayer = &terminal;
    install_terminal(replayer);
    program_entry();
    std::abort();  // the replay ends the process
}

}  // namespace

void verify_recording(const std::string& path) {
    OpenedRecording opened = open_or_leave(path);
    HeadlessTerminal headless;
    replay_unwatched(headless, opened, [&](const ReplayTerminal& replay, int status) {
        std::string by =
            opened.header.game_version == GAME_VERSION
                ? ""
                : " (recorded by Drowsel " + opened.header.game_version + "; this is " + GAME_VERSION + ")";
        std::printf("seed %u, %ld keys, %ld turns, %ld dreams, %ld kills: %s%s\n", opened.header.seed,
                    replay.keys_replayed(), run_tally.turns, run_tally.dreams, run_tally.kills,
                    replay.outcome().c_str(), by.c_str());
        if (std::fflush(stdout) != 0) std::exit(EXIT_RECORDING_PROBLEM);
        (void)status;
    });
}

void export_cast(const std::string& out, const std::string& path, bool language_given) {
    OpenedRecording opened = open_or_leave(path);
    if (!language_given) set_shown_language(recorded_language(opened.header.language));
    bool to_output = out == "-";  // standard output
    int fd = to_output ? STDOUT_FILENO : open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        int error = errno;
        if (error == EEXIST)
            std::fprintf(stderr, "drowsel: '%s' already exists; a cast never replaces a file\n", out.c_str());
        else
            std::fprintf(stderr, "drowsel: cannot create the cast '%s': %s\n", out.c_str(), std::strerror(error));
        std::exit(EXIT_RECORDING_PROBLEM);
    }
    static std::FILE* file = to_output ? stdout : fdopen(fd, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "drowsel: cannot write the cast '%s': %s\n", out.c_str(), std::strerror(errno));
        unlink(out.c_str());
        std::exit(EXIT_RECORDING_PROBLEM);
    }
    static CastTerminal cast([](std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); },
                             "Drowsel, the run of seed " + std::to_string(opened.header.seed) + " (game " +
                                 opened.header.game_version + ")");
    replay_unwatched(cast, opened, [&](const ReplayTerminal& replay, int status) {
        bool written = !std::ferror(file);
        written = std::fclose(file) == 0 && written;
        const char* reason = written ? "" : std::strerror(errno);
        if (status == EXIT_RECORDING_PROBLEM || !written) {
            if (!to_output) unlink(out.c_str());
            if (!written)
                std::fprintf(stderr, "drowsel: cannot write the cast '%s': %s\n", out.c_str(), reason);
            else
                std::fprintf(stderr, "drowsel: '%s': %s; no cast written\n", path.c_str(), replay.problem().c_str());
            std::exit(EXIT_RECORDING_PROBLEM);
        }
        if (status == EXIT_CUT_SHORT)
            std::fprintf(stderr, "drowsel: '%s': the recording was %s; the cast ends there\n", path.c_str(),
                         replay.outcome().c_str());
    });
}
