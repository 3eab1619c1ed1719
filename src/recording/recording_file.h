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
// becomes of the process afterwards. False when the disk refuses them
// (errno says why).
bool write_to_recording(int fd, std::string_view bytes);

// The lines of a run going to its file as they come. At the first line the
// file refuses (a full disk, a device gone) it stops writing and keeps one
// line saying where and why, for the status line and standard error; the
// game goes on all the same.
class RecordingWriter {
   public:
    explicit RecordingWriter(int fd) : fd_(fd) {}
    // True only for the line that failed first.
    bool write(std::string_view line);
    bool failed() const { return !failure_.empty(); }
    // "Recording stopped at key 12: No space left on device".
    const std::string& failure() const { return failure_; }

   private:
    int fd_;
    long keys_ = 0;
    std::string failure_;
};

struct OpenedRecording {
    int fd = -1;
    RecordingHeader header;
    std::unique_ptr<RecordingReader> reader;  // reads the lines after the header
};
// Opens a recording and reads its header; false when the file cannot be
// replayed (missing, unreadable, a directory, no regular file, empty, not a
// recording, of another format version, a damaged header). It never waits
// on a FIFO or a device. With `follow`, the file is still being written:
// a FIFO is read as it comes, the end of the bytes so far is no end (the
// reader says need_more there), and the header is waited for, a look every
// REPLAY_FOLLOW_POLL_MS.
bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem, bool follow = false);

// The keys of a complete recording (one with its end line), counted through
// the recording reader without moving the file's offset; -1 for one that is
// not complete or not a regular file.
long count_recorded_keys(int fd);

// A run resumed: the file at `path` (the one open for reading as `read_fd`,
// not another put in its place) cut back to its `whole_bytes` of whole
// lines, a line end added to the last one when `add_line_end`, and opened
// for writing on at its end. Returns the file descriptor, or -1.
int continue_recording_file(const std::string& path, int read_fd, std::size_t whole_bytes, bool add_line_end,
                            std::string& problem);
