#pragma once
// The play program's ways of using a recording without a terminal: checking
// it (--verify) and turning it into an asciicast (--export-cast). Both
// replay it without waiting, as fast as it goes, and end the process with
// the replay's status.
#include <optional>
#include <string>

#include "programs/recording_file.h"
#include "text/language.h"

// Prints one line (seed, keys, turns, dreams, kills, how the run ended) and
// exits 0 for a sound complete recording, EXIT_CUT_SHORT for one cut short,
// EXIT_RECORDING_PROBLEM for a damaged or unreadable one.
[[noreturn]] void verify_recording(OpenedRecording opened);

// Writes the asciicast of the recording `opened` at `path` to `out`, which must not
// exist ("-": to standard output); the statuses are verify_recording's. A
// cast is left behind for a recording cut short (it shows the run up to the
// cut), never for a damaged one or one that could not be written whole. The
// cast shows the language the run was played in, unless `language` says
// otherwise.
[[noreturn]] void export_cast(const std::string& out, const std::string& path, OpenedRecording opened,
                              std::optional<Language> language);
