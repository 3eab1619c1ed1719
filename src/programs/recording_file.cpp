#include "programs/recording_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "programs/state_folder.h"
#include "screen/screen_buffer.h"

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string failure(const std::string& doing, const std::string& path, int error) {
    return "cannot " + doing + " " + quoted(path) + ": " + std::strerror(error);
}

// read(2), or pread(2) at `at` when it is given, again when a signal cut it.
long read_from(int fd, char* into, std::size_t room, off_t at = -1) {
    for (;;) {
        ssize_t got = at < 0 ? read(fd, into, room) : pread(fd, into, room, at);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

// "at key 12", or "at its end line" for key 0.
std::string at_key(long key) { return key > 0 ? "at key " + std::to_string(key) : "at its end line"; }

const char* kind_of_file(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

}  // namespace

int create_recording_file(const std::string& path, const RecordingHeader& header, std::string& problem) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        int error = errno;
        problem = error == EEXIST ? quoted(path) + " already exists; a recording never replaces a file"
                                  : failure("create the recording", path, error);
        errno = error;
        return -1;
    }
    // The lock first: a follower that finds the file sees a player in it.
    flock(fd, LOCK_EX);
    if (!write_to_recording(fd, encode_header(header))) {
        problem = failure("write the recording", path, errno);
        close(fd);
        unlink(path.c_str());  // a header cut short is no recording
        return -1;
    }
    return fd;
}

int reopen_recording_file(const std::string& path, std::string& kept, std::string& problem) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        problem = failure("open the recording", path, errno);
        if (fd >= 0) close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        problem = quoted(path) + (S_ISREG(info.st_mode)
                                      ? " is being recorded by a game still in play"
                                      : std::string(" is ") + kind_of_file(info.st_mode) + ", not a recording file");
        close(fd);
        return -1;
    }
    kept.assign(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < kept.size()) {
        long n = read_from(fd, kept.data() + got, kept.size() - got, static_cast<off_t>(got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    kept.resize(got);
    return fd;
}

bool cut_recording_file(int fd, const std::string& path, std::size_t whole_bytes, bool add_line_end,
                        std::string& problem) {
    if (ftruncate(fd, static_cast<off_t>(whole_bytes)) != 0 ||
        lseek(fd, static_cast<off_t>(whole_bytes), SEEK_SET) < 0 || fcntl(fd, F_SETFL, 0) != 0 ||
        (add_line_end && !write_to_recording(fd, "\n"))) {
        problem = failure("write the recording", path, errno);
        return false;
    }
    return true;
}

bool recording_in_play(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
    close(fd);
    return held;
}

bool write_to_recording(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;  // a write that takes nothing and says nothing
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

RecordingWriter::RecordingWriter(int fd, std::string path, const RecordingHeader& header, std::string written)
    : fd_(fd),
      path_(std::move(path)),
      given_path_(path_),
      seed_(header.seed),
      start_(std::time(nullptr)),
      written_(std::move(written)) {
    if (!path_.empty() && written_.empty()) written_ = encode_header(header);
    // The keys so far: the lines that start with 'k'.
    for (std::size_t at = 0; at < written_.size(); ++at)
        keys_ += written_[at] == 'k' && (at == 0 || written_[at - 1] == '\n');
}

bool RecordingWriter::write(std::string_view line) {
    if (failed()) return false;
    bool key = !line.empty() && line[0] == 'k';
    if (key) ++keys_;
    std::string before = said_;
    if (!path_.empty() && !mend(key ? keys_ : 0)) return true;
    if (write_to_recording(fd_, line)) {
        if (!path_.empty()) written_ += line;
        return said_ != before;
    }
    stop(at_key(key ? keys_ : 0) + ": " + std::strerror(errno));
    return true;
}

bool RecordingWriter::mend(long key) {
    struct stat held {};
    struct stat named {};
    if (fstat(fd_, &held) != 0) return true;  // nothing to compare
    bool gone = stat(path_.c_str(), &named) != 0;
    bool replaced = !gone && (named.st_dev != held.st_dev || named.st_ino != held.st_ino);
    bool cut = static_cast<std::size_t>(held.st_size) != written_.size();
    if (!gone && !replaced && !cut) return true;
    std::string what = gone                                                       ? "deleted"
                       : replaced                                                 ? "replaced"
                       : static_cast<std::size_t>(held.st_size) < written_.size() ? "truncated"
                                                                                  : "changed";
    // The same file, cut or added to: written again from its start.
    if (!gone && !replaced &&
        pwrite(fd_, written_.data(), written_.size(), 0) == static_cast<ssize_t>(written_.size()) &&
        ftruncate(fd_, static_cast<off_t>(written_.size())) == 0 &&
        lseek(fd_, static_cast<off_t>(written_.size()), SEEK_SET) >= 0) {
        say(what, key, "");
        return true;
    }
    // Deleted: the path again; taken by another file: never written over.
    if (gone && write_whole_at(path_)) {
        say(what, key, "");
        return true;
    }
    std::string problem;
    std::string kept = new_kept_run_path(start_, seed_, problem);
    if (!kept.empty() && write_whole_at(kept)) {
        say(what, key, kept);
        return true;
    }
    stop(at_key(key) + ": " + quoted(given_path_) + " was " + what + " and the run cannot be written again" +
         (problem.empty() ? "" : " (" + problem + ")"));
    return false;
}

bool RecordingWriter::write_whole_at(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    flock(fd, LOCK_EX);
    if (!write_to_recording(fd, written_)) {
        close(fd);
        unlink(path.c_str());
        return false;
    }
    close(fd_);
    fd_ = fd;
    path_ = path;
    return true;
}

// "'run.rec' was deleted at key 12; written again whole" or "...; the run
// goes on in '...'", with the names cut to their last part when the whole
// paths do not fit the status line.
void RecordingWriter::stop(const std::string& why) {
    failure_ = "Recording stopped " + why;
    said_ = failure_.substr(0, SCREEN_COLS);
}

void RecordingWriter::say(const std::string& what, long key, const std::string& where) {
    auto line = [&](const std::string& given, const std::string& kept) {
        return quoted(given) + " was " + what + " " + at_key(key) +
               (kept.empty() ? "; written again whole" : "; the run goes on in " + quoted(kept));
    };
    auto last_part = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    mended_ = line(given_path_, where);
    said_ = mended_.size() <= static_cast<std::size_t>(SCREEN_COLS) ? mended_
                                                                    : line(last_part(given_path_), last_part(where));
    said_ = said_.substr(0, SCREEN_COLS);
}

namespace {

// How long a followed file's lock must stay free, with no new bytes, before
// its writer counts as gone (a recorder takes it just after it creates the
// file).
constexpr auto WRITER_GONE_AFTER = std::chrono::milliseconds(300);

// A recording read as it is written, by a recorder (which holds a lock on
// it while it plays) or through a FIFO. It may not exist yet.
class FollowedFile {
   public:
    FollowedFile(std::string path, int fd) : path_(std::move(path)) {
        if (fd >= 0) take(fd);
    }
    long read(char* into, std::size_t room) {
        if (fd_ < 0) {
            if (broken_ || !open_when_there()) return broken_ ? -1 : RECORDING_NOTHING_YET;
        }
        long got = read_from(fd_, into, room);
        if (got > 0) {
            read_ += got;
            free_since_ = {};
            return got;
        }
        if (got < 0 && errno != EAGAIN) return -1;
        // A FIFO gives 0 when no writer has it open: none yet, or the
        // one that wrote has closed it.
        if (fifo_) return got == 0 && read_ > 0 ? RECORDING_WRITER_GONE : RECORDING_NOTHING_YET;
        return quiet();
    }

   private:
    void take(int fd) {
        fd_ = fd;
        struct stat info {};
        fifo_ = fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
    }
    bool open_when_there() {
        int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            broken_ = errno != ENOENT;
            return false;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
            broken_ = true;
            close(fd);
            return false;
        }
        take(fd);
        return true;
    }
    // No new bytes in the file: the writer still there, gone, or the file
    // not the one read.
    long quiet() {
        struct stat held {
        }, named{};
        if (fstat(fd_, &held) == 0 && held.st_size < read_) return RECORDING_FILE_TRUNCATED;
        if (stat(path_.c_str(), &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino)
            return RECORDING_FILE_REPLACED;
        if (flock(fd_, LOCK_SH | LOCK_NB) != 0) {
            free_since_ = {};
            return RECORDING_NOTHING_YET;
        }
        flock(fd_, LOCK_UN);
        auto now = std::chrono::steady_clock::now();
        if (free_since_ == std::chrono::steady_clock::time_point{}) free_since_ = now;
        return now - free_since_ >= WRITER_GONE_AFTER ? RECORDING_WRITER_GONE : RECORDING_NOTHING_YET;
    }

    std::string path_;
    int fd_ = -1;
    bool fifo_ = false;
    bool broken_ = false;
    off_t read_ = 0;
    std::chrono::steady_clock::time_point free_since_{};
};

std::unique_ptr<RecordingReader> follower(const std::string& path, int fd) {
    auto file = std::make_shared<FollowedFile>(path, fd);
    return std::make_unique<RecordingReader>([file](char* into, std::size_t room) { return file->read(into, room); });
}

}  // namespace

bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem, bool follow) {
    // Never blocking: a FIFO without a writer would hold open() forever.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0 && follow && errno == ENOENT) {
        // Not begun yet: the reader waits for it.
        opened.reader = follower(path, -1);
        opened.header_read = false;
        return true;
    }
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        problem = failure("read the recording", path, errno);
        if (fd >= 0) close(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode) || (!S_ISREG(info.st_mode) && !(follow && S_ISFIFO(info.st_mode)))) {
        problem = quoted(path) + (S_ISDIR(info.st_mode)
                                      ? " is a directory, not a recording"
                                      : std::string(" is ") + kind_of_file(info.st_mode) + ", not a recording file" +
                                            (S_ISFIFO(info.st_mode) ? " (--follow reads one)" : ""));
        close(fd);
        return false;
    }
    opened.fd = fd;
    if (follow) {
        opened.reader = follower(path, fd);
    } else {
        opened.reader =
            std::make_unique<RecordingReader>([fd](char* into, std::size_t room) { return read_from(fd, into, room); });
    }
    RecordingStatus status = opened.reader->read_header(opened.header);
    if (status == RecordingStatus::ok) return true;
    // Following, a header not all written yet is read when it comes.
    if (status == RecordingStatus::need_more) {
        opened.header_read = false;
        return true;
    }
    problem = quoted(path) + ": " + recording_problem_text(status, opened.header);
    opened.reader.reset();
    close(fd);
    opened.fd = -1;
    return false;
}

long count_recorded_keys(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return count_recorded_keys([fd, at = off_t{0}](char* into, std::size_t room) mutable {
        long got = read_from(fd, into, room, at);
        if (got > 0) at += got;
        return got;
    });
}
