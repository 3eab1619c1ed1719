#include "programs/run_tools.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backends/cast/cast_terminal.h"
#include "game/version.h"
#include "recording/runs.h"
#include "screen/exit_status.h"

namespace {

// "1 dream", "2 dreams".
std::string counted(long count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

void verify_recording(OpenedRecording opened) {
    RunResult run = verify_run(*opened.reader, opened.header);
    std::string by = opened.header.game_version == GAME_VERSION
                         ? ""
                         : " (recorded by Drowsel " + opened.header.game_version + "; this is " + GAME_VERSION + ")";
    std::printf("seed %u, %s, %s, %s, %s: %s%s\n", opened.header.seed, counted(run.keys, "key").c_str(),
                counted(run.tally.turns, "turn").c_str(), counted(run.tally.dreams, "dream").c_str(),
                counted(run.tally.kills, "kill").c_str(), run.outcome.c_str(), by.c_str());
    if (std::fflush(stdout) != 0) std::exit(EXIT_RECORDING_PROBLEM);
    std::exit(run.status);
}

void export_cast(const std::string& out, const std::string& path, OpenedRecording opened,
                 std::optional<Language> language) {
    // "-": the cast goes to standard output, and nothing is ever removed.
    bool to_stdout = out == "-";
    std::string named = to_stdout ? "standard output" : "'" + out + "'";
    int fd = to_stdout ? STDOUT_FILENO : open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    // Leaves with `why`, the cast removed once it is made.
    auto leave = [&](const std::string& why) {
        if (!to_stdout && fd >= 0) unlink(out.c_str());
        std::fprintf(stderr, "drowsel: %s\n", why.c_str());
        std::exit(EXIT_RECORDING_PROBLEM);
    };
    int error = errno;
    if (fd < 0)
        leave(error == EEXIST ? "'" + out + "' already exists; a cast never replaces a file"
                              : "cannot create the cast '" + out + "': " + std::strerror(error));
    std::FILE* file = to_stdout ? stdout : fdopen(fd, "w");
    if (file == nullptr) leave("cannot write the cast " + named + ": " + std::strerror(errno));
    RunResult run;
    {
        CastTerminal cast([file](std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); },
                          "Drowsel, the run of seed " + std::to_string(opened.header.seed) + " (game " +
                              opened.header.game_version + ")");
        run = export_run(cast, *opened.reader, opened.header, language);
    }
    bool written = !std::ferror(file);
    written = std::fclose(file) == 0 && written;
    const char* reason = written ? "" : std::strerror(errno);
    if (!written) leave("cannot write the cast " + named + ": " + reason);
    if (run.status == EXIT_RECORDING_PROBLEM) leave("'" + path + "': " + run.problem + "; no cast written");
    if (run.status == EXIT_CUT_SHORT)
        std::fprintf(stderr, "drowsel: '%s': the recording was %s; the cast ends there\n", path.c_str(),
                     run.outcome.c_str());
    std::exit(run.status);
}
