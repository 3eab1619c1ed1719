#pragma once
// Recordings on disk, for the play program: a new file for --record that
// never replaces an existing one, written a line at a time as the keys are
// read, and the reading of a file for --replay that checks its header
// before the screen starts. Every failure comes back as one sentence for
// standard error.
#include <memory>
#include <string>
#include <string_view>

#include "recording/recording.h"

// Creates `path` (it must not exist; nothing is ever written over) and
// writes the header. Returns the open file descriptor, or -1.
int create_recording_file(const std::string& path, const RecordingHeader& header, std::string& problem);
// Writes `bytes` with write(2) at once, so that they are on disk whatever
// becomes of the process afterwards. False when the disk refuses them.
bool write_to_recording(int fd, std::string_view bytes);

struct OpenedRecording {
    int fd = -1;
    RecordingHeader header;
    std::unique_ptr<RecordingReader> reader;  // reads the lines after the header
};
// Opens a recording and reads its header; false when the file cannot be
// replayed (missing, unreadable, a directory, empty, not a recording, of
// another format version, a damaged header).
bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem);
