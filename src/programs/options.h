#pragma once
// The command line of the play program. With no arguments the game is
// seeded from the clock and keeps its run in the state folder.
#include <cstdint>
#include <string>

#include "screen/colours.h"
#include "text/language.h"

struct ProgramOptions {
    bool seed_given = false;
    uint32_t seed = 0;           // --seed N
    std::string record_path;     // --record FILE, empty without
    bool no_record = false;      // --no-record
    std::string replay_path;     // --replay FILE, empty without
    bool follow = false;         // --follow, with --replay
    std::string verify_path;     // --verify FILE
    std::string cast_path;       // --export-cast OUT FILE: OUT ("-": standard output)
    std::string cast_recording;  // and FILE
    bool resume = false;         // --resume [FILE]
    std::string resume_path;     // its FILE; empty for the newest unfinished run
    bool language_given = false;
    Language language = Language::japanese;  // --lang ja|en
    // How the screen is shown; the game, its draws and its recordings are
    // the same whatever these say.
    Palette palette = Palette::standard;  // --palette default|contrast|colourblind
    bool reader = false;                  // --reader: for a screen reader
};

enum class OptionsOutcome { play, help, version, error };

// Reads argv. On `error`, `problem` is one line naming what is wrong (no
// "\n"). It never touches the terminal or any file.
OptionsOutcome parse_options(int argc, char* const argv[], ProgramOptions& options, std::string& problem);

// What --help prints.
const char* usage_text();
