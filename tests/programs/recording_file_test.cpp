// The terminal program's recordings on disk: a new file never replaces
// another, and a disk that refuses a line is said once.
#include "programs/recording_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string written(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return path;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RecordingFiles, ANewRecordingNeverReplacesAFile) {
    std::string path = written(::testing::TempDir() + "drowsel-existing-" + std::to_string(getpid()), "precious");
    std::string problem;
    EXPECT_EQ(create_recording_file(path, {RECORDING_FORMAT_VERSION, "1.0.0", 7}, problem), -1);
    EXPECT_NE(problem.find("already exists"), std::string::npos) << problem;
    EXPECT_EQ(read_text(path), "precious");
    std::filesystem::remove(path);

    int fd = create_recording_file(path, {RECORDING_FORMAT_VERSION, "1.0.0", 7}, problem);
    ASSERT_GE(fd, 0) << problem;
    EXPECT_TRUE(write_to_recording(fd, encode_key_record(32, 0xabcdef01u)));
    close(fd);
    EXPECT_EQ(read_text(path), "drowsel-recording 1\ngame 1.0.0\nseed 7\nk 32 abcdef01\n");
    std::filesystem::remove(path);

    // A full disk: said once, with the key and the reason.
    int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    RecordingWriter writer(full);
    EXPECT_TRUE(writer.write(encode_key_record(32, 1)));
    EXPECT_FALSE(writer.write(encode_key_record(32, 2)));
    EXPECT_EQ(writer.failure(), "Recording stopped at key 1: No space left on device");
    close(full);
}

}  // namespace
