// The libFuzzer entry for recordings: each input is read as a recording
// and replayed headless. A broken promise is a crash the fuzzer keeps.
#include <cstdio>
#include <cstdlib>

#include "fuzz_recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    RecordingFuzzOutcome outcome = replay_fuzz_recording(data, size);
    if (!outcome.broken.empty()) {
        std::fprintf(stderr, "drowsel_fuzz_recording: %s\n", outcome.broken.c_str());
        std::abort();
    }
    return 0;
}
