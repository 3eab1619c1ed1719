#include "programs/state_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <regex>

#include "programs/recording_file.h"

namespace {

// "2026-12-09T10-21-47Z", then "-seed-N", then "-K" for a second copy.
const std::regex RUN_NAME(R"(^(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\dZ)-seed-\d+(?:-(\d))?\.rec$)");

// Makes `folder` and the folders above it that are missing, 0700 each.
bool make_folders(const std::string& folder, std::string& problem) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = "cannot make the folder '" + part + "': " + std::strerror(errno);
            return false;
        }
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = "'" + folder + "' is not a folder";
        return false;
    }
    return true;
}

}  // namespace

std::string state_folder(std::string& problem) {
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative path is to be ignored, as if the variable were not set.
    if (state != nullptr && state[0] == '/') return std::string(state) + "/drowsel";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/drowsel";
    problem = "neither XDG_STATE_HOME nor HOME names a folder to keep the runs in";
    return "";
}

std::string kept_run_name(std::time_t start, uint32_t seed, int copy) {
    std::tm utc{};
    gmtime_r(&start, &utc);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H-%M-%SZ", &utc);
    return std::string(when) + "-seed-" + std::to_string(seed) + (copy > 1 ? "-" + std::to_string(copy) : "") + ".rec";
}

bool run_is_finished(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info {};
    char tail[16] = {};
    ssize_t got = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        off_t from = info.st_size > 16 ? info.st_size - 16 : 0;
        got = pread(fd, tail, sizeof tail, from);
    }
    close(fd);
    // "\ne 5d2c90aa\n": the last line, a whole end line.
    static const std::regex END_LINE(R"(\ne [0-9a-f]{8}\r?\n$)");
    return got > 0 && std::regex_search(std::string(tail, static_cast<std::size_t>(got)), END_LINE);
}

std::vector<KeptRun> kept_runs(const std::string& folder) {
    struct Named {
        std::string when;  // the start, as the name gives it
        int copy;
        std::string name;
    };
    std::vector<Named> names;
    std::vector<KeptRun> runs;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return runs;
    while (dirent* entry = readdir(dir)) {
        std::smatch match;
        std::string name = entry->d_name;
        if (!std::regex_match(name, match, RUN_NAME)) continue;
        names.push_back({match[1], match[2].matched ? match[2].str()[0] - '0' : 1, name});
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const Named& a, const Named& b) {
        return a.when != b.when ? a.when < b.when : a.copy != b.copy ? a.copy < b.copy : a.name < b.name;
    });
    for (const Named& named : names)
        runs.push_back({folder + "/" + named.name, run_is_finished(folder + "/" + named.name)});
    return runs;
}

std::string newest_unfinished_run(std::string& problem) {
    std::string folder = state_folder(problem);
    if (folder.empty()) return "";
    std::vector<KeptRun> runs = kept_runs(folder);
    bool in_play = false;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (run->finished) continue;
        // A game still recording into it is not to be taken up.
        if (!recording_in_play(run->path)) return run->path;
        in_play = true;
    }
    problem = "no unfinished run in '" + folder + "'" + (in_play ? " but those still being played" : "");
    return "";
}

void prune_finished_runs(const std::string& folder, std::size_t keep) {
    std::vector<KeptRun> runs = kept_runs(folder);
    std::size_t finished = std::count_if(runs.begin(), runs.end(), [](const KeptRun& run) { return run.finished; });
    for (const KeptRun& run : runs) {
        if (finished <= keep) break;
        if (!run.finished) continue;
        unlink(run.path.c_str());
        --finished;
    }
}

std::string new_kept_run_path(std::time_t start, uint32_t seed, std::string& problem) {
    std::string folder = state_folder(problem);
    if (folder.empty() || !make_folders(folder, problem)) return "";
    prune_finished_runs(folder);
    for (int copy = 1;; ++copy) {
        std::string path = folder + "/" + kept_run_name(start, seed, copy);
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || copy == 9) return path;
    }
}
