#pragma once
// Recordings on disk, for the play program: a new file for --record that
// never replaces an existing one, written a line at a time as the keys are
// read, and the reading of a file for --replay that checks its header
// before the screen starts. Every failure comes back as one sentence for
// standard error.
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "recording/recording.h"

// Creates `path` (it must not exist; nothing is ever written over), takes
// the lock that tells followers the run is being played (flock, held for
// as long as the descriptor is open) and writes the header. Returns the
// open file descriptor, or -1 (errno as open(2) left it when it refused).
int create_recording_file(const std::string& path, const RecordingHeader& header, std::string& problem);
// Opens an unfinished recording to go on recording into it: takes its lock
// (refused while another game holds it: that run is still being played)
// and gives every byte it holds in `kept`, the file left as it is until
// its run has been replayed. Returns the descriptor, or -1.
int reopen_recording_file(const std::string& path, std::string& kept, std::string& problem);
// The reopened recording cut back to its `whole_bytes` of whole lines (a
// last line cut short dropped), a line end given to the last one when
// `add_line_end`, and made ready to write on at its end.
bool cut_recording_file(int fd, const std::string& path, std::size_t whole_bytes, bool add_line_end,
                        std::string& problem);
// True while a game records into `path` (it holds the file's lock).
bool recording_in_play(const std::string& path);
// Writes `bytes` at once (write(2)); false, errno saying why, when refused.
bool write_to_recording(int fd, std::string_view bytes);

// The lines of a run going to its file as they come, the whole run kept in
// memory too (a run is small). Before each line it looks at the file: one
// deleted, truncated or replaced under it is written again whole, at its
// path when it was deleted or truncated, in the state folder when another
// file has taken its name or the path cannot be written, so that no key is
// lost; it says so once, for the status line. At the first line the disk
// refuses (a full disk, a device gone) it stops writing and keeps one line
// saying where and why; the game goes on all the same.
class RecordingWriter {
   public:
    // `fd` open on `path` and holding `written` (the header's bytes when
    // empty, or what reopen_recording_file kept); without a path the file
    // is not looked at.
    explicit RecordingWriter(int fd, std::string path = {}, const RecordingHeader& header = {},
                             std::string written = {});
    // True when there is something new to say: said().
    bool write(std::string_view line);
    bool failed() const { return !failure_.empty(); }
    // "Recording stopped at key 12: No space left on device".
    const std::string& failure() const { return failure_; }
    // The last line to show (at most 80 characters): the failure, or what
    // became of the file and where the run goes on.
    const std::string& said() const { return said_; }
    // What became of the file, for standard error at the end; empty when
    // nothing did.
    const std::string& mended() const { return mended_; }
    // The file the run goes to now: the one given, or its copy in the
    // state folder.
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool moved() const { return path_ != given_path_; }

   private:
    // Looks at the file before key `key` (0 for the end line) and writes
    // the run again whole where it is gone; false when it cannot.
    bool mend(long key);
    bool write_whole_at(const std::string& path);
    void say(const std::string& what, long key, const std::string& where);
    // "Recording stopped " `why`: the failure, and the line to show.
    void stop(const std::string& why);

    int fd_;
    std::string path_;
    std::string given_path_;
    uint32_t seed_ = 0;
    std::time_t start_ = 0;
    std::string written_;  // every byte of the run so far
    long keys_ = 0;
    std::string failure_;
    std::string said_;
    std::string mended_;
};

struct OpenedRecording {
    int fd = -1;  // -1 while a followed file does not exist yet
    RecordingHeader header;
    // False when a followed recording's header is not all there yet: the
    // reader is then at the start of the file and reads it when it comes.
    bool header_read = true;
    std::unique_ptr<RecordingReader> reader;  // reads the lines after the header
};
// Opens a recording and reads its header; false, with `problem`, when the
// file cannot be replayed. It never waits on a FIFO or a device. With
// `follow`, the file is still being written: it may not exist yet, a FIFO
// is read as it comes, the reader says need_more where the bytes run out,
// and tells a writer gone (its lock released, or a FIFO closed), a file
// truncated, replaced or deleted.
bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem, bool follow = false);

// The keys of a complete recording (one with its end line), counted through
// the recording reader without moving the file's offset; -1 for one that
// is not complete or not a regular file.
long count_recorded_keys(int fd);
