#include "programs/run_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "recording/recording_file.h"

std::string run_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/drowsel";
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? std::string(home) + "/.local/state/drowsel" : "";
}

bool newest_unfinished_run(std::string& path, std::string& problem) {
    namespace fs = std::filesystem;
    std::string folder = run_folder();
    std::error_code error;
    fs::file_time_type newest{};
    path.clear();
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code unseen;
        if (!it->is_regular_file(unseen)) continue;
        fs::file_time_type written = it->last_write_time(unseen);
        if (unseen || (!path.empty() && written <= newest)) continue;
        OpenedRecording opened;
        std::string unreadable;
        if (!open_recording_file(it->path().string(), opened, unreadable)) continue;
        bool over = count_recorded_keys(opened.fd) >= 0;
        close(opened.fd);
        if (over) continue;
        path = it->path().string();
        newest = written;
    }
    if (!path.empty()) return true;
    problem = folder.empty() ? "no state folder to look for runs in (HOME is not set)"
                             : "no unfinished run in '" + folder + "' to resume";
    return false;
}
