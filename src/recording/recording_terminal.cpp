#include "recording/recording_terminal.h"

#include "game/state.h"
#include "game/state_check.h"
#include "recording/recording.h"

void RecordingTerminal::present(const ScreenBuffer& screen) {
    // The first screen after a key shows the state that key led to.
    if (check_due_) {
        check_ = state_check();
        check_due_ = false;
    }
    inner_.present(screen);
}

int RecordingTerminal::read_key(const ScreenBuffer& screen, const KeyHint& hint) {
    if (check_due_) check_ = state_check();
    int key = inner_.read_key(screen, hint);
    if (key < 0 || key > RECORDING_MAX_KEY) key = RECORDING_MAX_KEY;
    sink_(encode_key_record(key, check_));
    check_due_ = true;
    ++keys_;
    return key;
}

void RecordingTerminal::shutdown() {
    if (!ended_ && game.run_state == RUN_OVER) {
        ended_ = true;
        sink_(encode_end_record(state_check()));
    }
    inner_.shutdown();
}

void RecordingTerminal::continue_run(long keys, uint32_t next_check) {
    keys_ = keys;
    check_ = next_check;
    check_due_ = false;
}
