// The terminal program's recordings on disk: a new file never replaces
// another, a disk that refuses a line is said once, a file deleted,
// truncated or replaced under the recorder is written again whole, the
// follower tells a writer gone from one still playing, and the state folder
// keeps every unfinished run and the last finished ones.
#include "programs/recording_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "programs/state_folder.h"

namespace {

namespace fs = std::filesystem;

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

// Each test with a state folder and a home of its own, never the real ones.
class Files : public ::testing::Test {
   protected:
    void SetUp() override {
        root = ::testing::TempDir() + "drowsel-files-" + std::to_string(getpid());
        fs::remove_all(root);
        fs::create_directories(root + "/home");
        setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
        setenv("HOME", (root + "/home").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string root;
};

const RecordingHeader HEADER{RECORDING_FORMAT_VERSION, "1.0.0", 7};
const std::vector<std::string> KEYS = {encode_key_record(32, 1), encode_key_record(108, 2), encode_key_record(81, 3)};

TEST_F(Files, TheStateFolderKeepsEveryUnfinishedRunAndTheLastFinishedOnes) {
    std::string problem, folder = root + "/state/drowsel";
    EXPECT_EQ(state_folder(problem), folder);
    setenv("XDG_STATE_HOME", "relative/state", 1);  // no place: the home's then
    EXPECT_EQ(state_folder(problem), root + "/home/.local/state/drowsel");
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    EXPECT_EQ(kept_run_name(1765275707, 12345, 2), "2025-12-09T10-21-47Z-seed-12345-2.rec");

    // 30 runs a minute apart, every third one unfinished (killed, or cut
    // inside its end line), beside a file of the user's.
    std::vector<std::string> unfinished, left_unfinished;
    for (int run = 0; run < 30; ++run) {
        std::string path = new_kept_run_path(1765275707 + 60 * run, 99, problem);
        std::string end = run % 3 ? encode_end_record(0x5d2c90aau) : run % 2 ? "e 5d2c" : "";
        written(path, encode_header(HEADER) + KEYS[0] + end);
        if (run % 3 == 0) unfinished.push_back(path);
    }
    written(folder + "/notes.txt", "mine");
    EXPECT_EQ(new_kept_run_path(1765275707, 99, problem), folder + "/" + kept_run_name(1765275707, 99, 2));
    prune_finished_runs(folder);
    std::vector<KeptRun> runs = kept_runs(folder);
    for (const KeptRun& run : runs)
        if (!run.finished) left_unfinished.push_back(run.path);
    EXPECT_EQ(runs.size(), 20 + unfinished.size());
    EXPECT_EQ(left_unfinished, unfinished);
    EXPECT_EQ(runs.back().path, folder + "/" + kept_run_name(1765275707 + 60 * 29, 99));
    EXPECT_EQ(read_text(folder + "/notes.txt"), "mine");

    // Taken up again: its last line, cut short, dropped; while a game holds
    // it, no other takes it up and --resume's choice passes it by.
    EXPECT_EQ(newest_unfinished_run(problem), unfinished.back());
    std::string kept;
    int fd = reopen_recording_file(unfinished.back(), kept, problem);
    kept.resize(kept.rfind('\n') + 1);
    ASSERT_TRUE(cut_recording_file(fd, unfinished.back(), kept.size(), false, problem)) << problem;
    EXPECT_EQ(read_text(unfinished.back()), encode_header(HEADER) + KEYS[0]);
    EXPECT_EQ(reopen_recording_file(unfinished.back(), kept, problem), -1);
    EXPECT_NE(problem.find("still in play"), std::string::npos) << problem;
    EXPECT_EQ(newest_unfinished_run(problem), unfinished[unfinished.size() - 2]);
    RecordingWriter writer(fd, unfinished.back(), HEADER, kept);
    fs::remove(unfinished.back());
    EXPECT_TRUE(writer.write(KEYS[1]));
    EXPECT_NE(writer.said().find("deleted at key 2"), std::string::npos) << writer.said();
    EXPECT_EQ(read_text(unfinished.back()), kept + KEYS[1]);
    close(writer.fd());
}

// What is done to the file between two keys; the run after the next key:
// whole, at the path or (another file there) in the state folder.
const struct Mishap {
    const char* name;
    std::function<void(const std::string& path)> done;
    const char* said;
    bool moved;
} MISHAPS[] = {
    {"deleted", [](auto& path) { fs::remove(path); }, "was deleted at key 2; written again whole", false},
    {"truncated", [](auto& path) { fs::resize_file(path, 0); }, "was truncated at key 2; written again", false},
    {"replaced", [](auto& path) { fs::rename(written(path + ".x", "another file"), path); },
     "was replaced at key 2; the run goes on in", true},
};

TEST_F(Files, ARecordingLostUnderTheGameIsWrittenAgainWhole) {
    for (const Mishap& mishap : MISHAPS) {
        std::string path = root + "/" + mishap.name + ".rec", problem;
        int fd = create_recording_file(path, HEADER, problem);
        ASSERT_GE(fd, 0) << problem;
        RecordingWriter writer(fd, path, HEADER);
        EXPECT_FALSE(writer.write(KEYS[0])) << writer.said();
        mishap.done(path);
        EXPECT_TRUE(writer.write(KEYS[1])) << mishap.name;
        EXPECT_NE(writer.said().find(mishap.said), std::string::npos) << writer.said();
        EXPECT_FALSE(writer.write(KEYS[2])) << writer.said();  // said once
        EXPECT_FALSE(writer.failed()) << writer.failure();
        EXPECT_EQ(read_text(writer.path()), encode_header(HEADER) + KEYS[0] + KEYS[1] + KEYS[2]) << mishap.name;
        EXPECT_EQ(read_text(path), mishap.moved ? "another file" : read_text(writer.path()));
        EXPECT_TRUE(recording_in_play(writer.path())) << mishap.name;  // held, for followers to see
        close(writer.fd());
    }
}

// The follower's reader: a file not there yet, its header and keys as they
// come, a writer gone; a file cut or deleted under it.
TEST_F(Files, AFollowerTellsAPlayerGoneFromOneStillPlaying) {
    std::string path = root + "/followed.rec", problem;
    OpenedRecording opened;
    ASSERT_TRUE(open_recording_file(path, opened, problem, true)) << problem;
    RecordingHeader header;
    Record record;
    EXPECT_EQ(opened.reader->read_header(header), RecordingStatus::need_more);
    int fd = create_recording_file(path, HEADER, problem);
    write_to_recording(fd, KEYS[0]);  // the line after the header: it has no language line
    ASSERT_EQ(opened.reader->read_header(header), RecordingStatus::ok);
    auto next_after = [&](int ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return opened.reader->next(record);
    };
    EXPECT_EQ(next_after(0), RecordingStatus::ok);
    EXPECT_EQ(next_after(400), RecordingStatus::need_more);  // locked: still playing
    close(fd);                                               // the player's game gone, its lock with it
    EXPECT_EQ(next_after(0), RecordingStatus::need_more);
    EXPECT_EQ(next_after(400), RecordingStatus::writer_gone);

    for (RecordingStatus status : {RecordingStatus::file_truncated, RecordingStatus::file_replaced}) {
        fs::remove(path);
        fd = create_recording_file(path, HEADER, problem);
        write_to_recording(fd, KEYS[0]);
        OpenedRecording again;
        ASSERT_TRUE(open_recording_file(path, again, problem, true)) << problem;
        EXPECT_EQ(again.reader->next(record), RecordingStatus::ok);
        status == RecordingStatus::file_truncated ? fs::resize_file(path, 10) : (void)fs::remove(path);
        EXPECT_EQ(again.reader->next(record), status);
        close(fd);
        close(again.fd);
    }
}

}  // namespace
