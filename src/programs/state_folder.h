#pragma once
// Where the terminal game keeps every run it plays: its state folder,
// $XDG_STATE_HOME/drowsel/ (when that variable names an absolute path),
// else ~/.local/state/drowsel/. One recording a run, named by the moment
// it started (in UTC) and its seed, so that names sort as the runs began:
//
//   2026-12-09T10-21-47Z-seed-12345.rec
//   2026-12-09T10-21-47Z-seed-12345-2.rec   (a second run in that second)
//
// A run with its end line is finished; one without (killed, cut off, still
// being played) is unfinished and stays until it is resumed or removed. Of
// the finished runs the newest KEPT_FINISHED_RUNS stay. Files of other
// names are never touched.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

constexpr std::size_t KEPT_FINISHED_RUNS = 20;

// The state folder's path, without a final '/'; empty, with `problem`
// saying why, when neither variable names a place.
std::string state_folder(std::string& problem);

// The name of a run started at `start` with `seed`; `copy` 1 for the
// first of that second, 2.. for the others.
std::string kept_run_name(std::time_t start, uint32_t seed, int copy = 1);

struct KeptRun {
    std::string path;
    bool finished = false;
};
// The runs in `folder`, oldest first; none when it cannot be read.
std::vector<KeptRun> kept_runs(const std::string& folder);
// True when the file's last line is an end line.
bool run_is_finished(const std::string& path);

// The path of the newest unfinished run in the state folder that no game
// is still playing, the one --resume continues by default; empty, with
// `problem` in words, when there is none or the folder cannot be read.
std::string newest_unfinished_run(std::string& problem);

// Removes all but the newest `keep` finished runs of `folder`.
void prune_finished_runs(const std::string& folder, std::size_t keep = KEPT_FINISHED_RUNS);

// Makes the state folder (private to the user) as needed, prunes it and
// gives the path for a new run started at `start` with `seed`, one no file
// has yet; empty, with `problem`, when the folder cannot be made.
std::string new_kept_run_path(std::time_t start, uint32_t seed, std::string& problem);
