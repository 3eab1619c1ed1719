#include "backends/headless/headless_terminal.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "screen/console.h"

void HeadlessTerminal::present(const ScreenBuffer& screen) {
    ++refresh_count;
    if (screen.repaint_pending()) ++full_repaints;
}

int HeadlessTerminal::read_key(const ScreenBuffer& screen, const KeyHint& wait) {
    hint = wait;
    if (on_key_wait) on_key_wait(screen);
    ++keys_read;
    if (!keys.empty()) {
        int key = keys.front();
        keys.pop_front();
        return key;
    }
    if (key_source) return key_source();
    std::fprintf(stderr, "headless terminal: the game waits for a key but the script has run out\n");
    std::abort();
}

int HeadlessTerminal::read_key_within(const ScreenBuffer& screen, int timeout_ms) {
    if (on_timed_wait) on_timed_wait(screen);
    int key = -1;
    if (!timed_keys.empty()) {
        key = timed_keys.front();
        timed_keys.pop_front();
    }
    if (key == -1) slept_ms += timeout_ms;
    return key;
}

HeadlessTerminal& use_headless_terminal() {
    static std::unique_ptr<HeadlessTerminal> terminal;
    terminal = std::make_unique<HeadlessTerminal>();
    install_terminal(terminal.get());
    return *terminal;
}
