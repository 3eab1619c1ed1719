#include "recording/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string failure(const std::string& doing, const std::string& path, int error) {
    return "cannot " + doing + " " + quoted(path) + ": " + std::strerror(error);
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
        return -1;
    }
    return fd;
}

bool write_to_recording(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool open_recording_file(const std::string& path, OpenedRecording& opened, std::string& problem) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        problem = failure("read the recording", path, errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        problem = quoted(path) + " is a directory, not a recording";
        close(fd);
        return false;
    }
    opened.fd = fd;
    opened.reader = std::make_unique<RecordingReader>([fd](char* into, std::size_t room) -> long {
        for (;;) {
            ssize_t got = read(fd, into, room);
            if (got >= 0 || errno != EINTR) return static_cast<long>(got);
        }
    });
    RecordingStatus status = opened.reader->read_header(opened.header);
    if (status == RecordingStatus::ok) return true;
    problem = quoted(path) + ": " + recording_problem_text(status, opened.header);
    opened.reader.reset();
    close(fd);
    opened.fd = -1;
    return false;
}
