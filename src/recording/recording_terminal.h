#pragma once
// A terminal that records the run played on another: every key the game
// reads (the title's, "-more-"'s and the ending's too) goes to a sink as a
// key line of the recording format the moment it is read, and the end line
// when the game is over. Where the lines go is the sink's business: a file,
// or memory.
#include <cstdint>
#include <functional>
#include <string>

#include "screen/terminal.h"

class RecordingTerminal : public TerminalInFront {
   public:
    // Receives each line of the recording, in order; the header is the
    // caller's to write first.
    using Sink = std::function<void(const std::string& bytes)>;
    RecordingTerminal(Terminal& inner, Sink sink) : TerminalInFront(inner), sink_(std::move(sink)) {}

    void present(const ScreenBuffer& screen) override;
    // A key code outside 0..RECORDING_MAX_KEY (no keyboard gives one) is
    // handed to the game, and recorded, as RECORDING_MAX_KEY, which no
    // command binds either.
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override;
    // Writes the end line once the game is over, then gives the terminal
    // back.
    void shutdown() override;

    // A run resumed after its recorded keys were replayed: the key lines
    // go on from `keys`, the next one checked with `next_check` (the state
    // the last recorded key led to), as if the run had never stopped.
    void continue_run(long keys, uint32_t next_check);
    // The keys recorded (with those of a resumed run's recording).
    long keys() const { return keys_; }

   private:
    Sink sink_;
    long keys_ = 0;
    bool check_due_ = true;  // no screen shown since the last key
    uint32_t check_ = 0;
    bool ended_ = false;
};
