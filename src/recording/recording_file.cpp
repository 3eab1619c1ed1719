#include "recording/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "recording/replay_watcher.h"

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string failure(const std::string& doing, const std::string& path, int error) {
    return "cannot " + doing + " " + quoted(path) + ": " + std::strerror(error);
}

const char* kind_of_file(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

void nap(int ms) {
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {}
}

}  // namespace

int create_recording_file(const std::string& path, const RecordingHeader& header, std::string& problem) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        int error = errno;
        problem = error == EEXIST ? quoted(path) + " already exists; a recording never replaces a file"
                                  : failure("create the recording", path, error);
        return -1;
    }
    if (!write_to_recording(fd, encode_header(header))) {
        problem = failure("write the recording", path, errno);
        close(fd);
        unlink(path.c_str());  // a header cut short is no recording
        return -1;
    }
    return fd;
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

bool RecordingWriter::write(std::string_view line) {
    if (failed()) return false;
    bool key = !line.empty() && line[0] == 'k';
    if (key) ++keys_;
    if (write_to_recording(fd_, line)) return false;
    failure_ = std::string("Recording stopped ") + (key ? "at key " + std::to_string(keys_) : "at its end line") +
               ": " + std::strerror(errno);
    return true;
}

bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem, bool follow) {
    // Never blocking: a FIFO without a writer would hold open() forever.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        problem = failure("read the recording", path, errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        problem = failure("read the recording", path, errno);
        close(fd);
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
    opened.reader = std::make_unique<RecordingReader>([fd, follow](char* into, std::size_t room) -> long {
        for (;;) {
            ssize_t got = read(fd, into, room);
            if (got < 0 && errno == EINTR) continue;
            // Following, the end of what is there is no end: the recorder
            // (or the FIFO's writer) may write more.
            if (follow && (got == 0 || (got < 0 && errno == EAGAIN))) return RECORDING_NOTHING_YET;
            return static_cast<long>(got);
        }
    });
    RecordingStatus status;
    bool said = false;
    while ((status = opened.reader->read_header(opened.header)) == RecordingStatus::need_more) {
        if (!said) std::fprintf(stderr, "drowsel: waiting for %s to begin (Ctrl-C gives up)\n", quoted(path).c_str());
        said = true;
        nap(REPLAY_FOLLOW_POLL_MS);
    }
    if (status == RecordingStatus::ok) return true;
    problem = quoted(path) + ": " + recording_problem_text(status, opened.header);
    opened.reader.reset();
    close(fd);
    opened.fd = -1;
    return false;
}

long count_recorded_keys(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return count_recorded_keys([fd, at = off_t{0}](char* into, std::size_t room) mutable -> long {
        for (;;) {
            ssize_t got = pread(fd, into, room, at);
            if (got < 0 && errno == EINTR) continue;
            if (got > 0) at += got;
            return static_cast<long>(got);
        }
    });
}

int continue_recording_file(const std::string& path, int read_fd, std::size_t whole_bytes, bool add_line_end,
                            std::string& problem) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY);
    struct stat read_info {
    }, written_info{};
    if (fd < 0 || fstat(fd, &written_info) != 0 || fstat(read_fd, &read_info) != 0) {
        problem = failure("write the recording", path, errno);
        if (fd >= 0) close(fd);
        return -1;
    }
    if (read_info.st_dev != written_info.st_dev || read_info.st_ino != written_info.st_ino) {
        problem = quoted(path) + " was replaced while its run was read";
        close(fd);
        return -1;
    }
    if (ftruncate(fd, static_cast<off_t>(whole_bytes)) != 0 || (add_line_end && !write_to_recording(fd, "\n"))) {
        problem = failure("write the recording", path, errno);
        close(fd);
        return -1;
    }
    return fd;
}
