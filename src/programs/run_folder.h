#pragma once
// The runs the terminal game keeps in the player's state folder
// ($XDG_STATE_HOME/drowsel/, else ~/.local/state/drowsel/).
#include <string>

// The folder's path (not made here); empty when neither XDG_STATE_HOME nor
// HOME is set.
std::string run_folder();

// The newest run in the folder that is not over (a readable recording
// without its end line): true with its path; false with one line saying why
// there is none.
bool newest_unfinished_run(std::string& path, std::string& problem);
