#pragma once
// A fuzzer's input read as a recording and replayed headless. Shared by the
// libFuzzer target for recordings and by the test that replays its
// findings. Whatever the bytes, the reader must either refuse them with a
// problem or read lines that write back as the very same bytes, and a
// replay must end through its own end (status 0, no problem) or stop on a
// problem (status 4, a message), never run on.
#include <cstddef>
#include <cstdint>
#include <string>

struct RecordingFuzzOutcome {
    bool header_read = false;
    int status = -1;     // the replay's exit status; -1 when not replayed
    long keys = 0;       // keys replayed
    std::string broken;  // the first promise broken, empty if none
};

RecordingFuzzOutcome replay_fuzz_recording(const uint8_t* data, std::size_t size);
