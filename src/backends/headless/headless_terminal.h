#pragma once
// A terminal with no terminal behind it: keys come from a script and the
// screen stays in memory, so whole games run in tests.
#include <deque>
#include <functional>
#include <string>

#include "screen/screen_buffer.h"
#include "screen/terminal.h"

class HeadlessTerminal : public Terminal {
   public:
    void present(const ScreenBuffer& screen) override;
    // Keeps the hint in `hint`, then calls on_key_wait.
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override;
    void sleep_ms(int ms) override { slept_ms += ms; }
    // Takes the next of `timed_keys` (-1 there: no key in time), counting
    // the wait as slept when no key comes.
    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override;
    void show_status_line(const char* ascii) override { status_line = ascii; }
    void shutdown() override { ++shutdowns; }

    std::deque<int> keys;                                    // read first
    std::function<int()> key_source;                         // then asked for more
    std::function<void(const ScreenBuffer&)> on_key_wait;    // sees each wait
    std::function<void(const ScreenBuffer&)> on_timed_wait;  // sees each wait with a time limit
    std::deque<int> timed_keys;                              // for read_key_within
    std::string status_line;
    KeyHint hint;  // what the game waits for at the last key read
    long refresh_count = 0;
    long full_repaints = 0;
    long keys_read = 0;
    long slept_ms = 0;
    long shutdowns = 0;
};

// Installs a fresh headless terminal (blank screen) and returns it.
HeadlessTerminal& use_headless_terminal();
