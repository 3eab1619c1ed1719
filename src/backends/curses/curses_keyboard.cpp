#include "backends/curses/curses_keyboard.h"

#include <curses.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include "backends/curses/key_decoder.h"
#include "screen/console.h"

namespace {

// Long enough for a key's escape sequence, short enough that a lone Escape
// answers at once.
constexpr int ESCAPE_DELAY_MS = 25;
// Reads failing this many times in a row mean the keyboard is gone.
constexpr int MAX_READ_FAILURES = 100;

volatile sig_atomic_t continued = 0;

extern "C" void note_continued(int) { continued = 1; }

// A curses key as the game's code: the arrows, and the keypad's own codes
// and the keys it sends with NumLock off as the digits at their places. Any
// other key goes on as curses gives it (a key the game's commands ignore);
// curses numbers no other key like one of the arrows.
static_assert(KEY_DOWN == KEY_CODE_DOWN && KEY_UP == KEY_CODE_UP && KEY_LEFT == KEY_CODE_LEFT &&
              KEY_RIGHT == KEY_CODE_RIGHT);
// Return comes as the carriage return the terminal sends: the keyboard is
// raw and without newline translation (curses_startup.cpp: raw, nonl).
static_assert(KEY_CODE_ENTER == '\r');
int game_key(int key) {
    // A key table: the keys of one meaning share a line.
    // clang-format off
    switch (key) {
        case KEY_DOWN: return KEY_CODE_DOWN;
        case KEY_UP: return KEY_CODE_UP;
        case KEY_LEFT: return KEY_CODE_LEFT;
        case KEY_RIGHT: return KEY_CODE_RIGHT;
        case KEY_A1: case KEY_HOME: return '7';
        case KEY_A3: case KEY_PPAGE: return '9';
        case KEY_B2: case KEY_BEG: return '5';
        case KEY_C1: case KEY_END: return '1';
        case KEY_C3: case KEY_NPAGE: return '3';
        default: return key;
    }
    // clang-format on
}

// The bytes that follow an Escape, as curses gives them.
class CursesKeySource : public KeySource {
   public:
    int next(int wait_ms) override {
        wtimeout(stdscr, wait_ms);
        int key = wgetch(stdscr);
        return key == ERR ? NOTHING_CAME : key;
    }
    void put_back(int key) override { ungetch(key); }
};

// A curses key, without waiting; ERR when none is there.
int key_if_any() {
    wtimeout(stdscr, 0);
    return wgetch(stdscr);
}

enum class Wait { readable, interrupted, timed_out, failed };

// Blocks until the keyboard has something or a signal comes. Unlike a read,
// a wait in poll is never resumed after a signal, so a stop and continue is
// noticed before the next key.
Wait wait_for_input(int timeout_ms) {
    pollfd keyboard{STDIN_FILENO, POLLIN, 0};
    int result = poll(&keyboard, 1, timeout_ms);
    if (result > 0) return Wait::readable;
    if (result == 0) return Wait::timed_out;
    return result < 0 && errno == EINTR ? Wait::interrupted : Wait::failed;
}

// Curses notices a resize only in a read it is blocked in; the wait here is
// outside it, so the size is checked before every wait.
bool size_changed() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return false;
    if (size.ws_row == LINES && size.ws_col == COLS) return false;
    resizeterm(size.ws_row, size.ws_col);
    return true;
}

// Milliseconds left until `deadline`; -1 (no limit) without one.
int time_left(bool limited, std::chrono::steady_clock::time_point deadline) {
    if (!limited) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

void set_up_keyboard() {
    keypad(stdscr, TRUE);
    set_escdelay(ESCAPE_DELAY_MS);
    // The application keypad's sequences (ESC O p .. ESC O y) are read as
    // the digits on the keys, whatever name the terminal description gives
    // them (vt100 calls some of them function keys, and its corner keys sit
    // elsewhere than a PC keypad's).
    for (char final = 'p'; final <= 'y'; ++final) {
        const char sequence[] = {'\x1b', 'O', final, '\0'};
        int code = key_defined(sequence);
        if (code > 0) keyok(code, FALSE);
    }
    struct sigaction action {};
    action.sa_handler = note_continued;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCONT, &action, nullptr);
}

KeyRead read_keyboard(int timeout_ms) {
    bool limited = timeout_ms >= 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int failures = 0;
    bool readable = false;
    for (;;) {
        if (continued != 0) {
            continued = 0;
            // Curses gave the terminal back for the stop; take it again with
            // the keypad sending its codes, before any key is read.
            reset_prog_mode();
            keypad(stdscr, TRUE);
            return {KeyEvent::resumed, 0};
        }
        int key = key_if_any();
        if (key == ERR) {
            // Nothing there, or a keyboard that said it had something and
            // keeps failing: gone for good.
            if (readable && ++failures >= MAX_READ_FAILURES) return {KeyEvent::gone, 0};
            // The size is looked at before every wait, not only when a
            // signal cuts one short: a resize whose signal came while the
            // screen was being drawn interrupts no wait.
            if (size_changed()) return {KeyEvent::resized, 0};
            Wait wait = wait_for_input(time_left(limited, deadline));
            if (wait == Wait::failed) return {KeyEvent::gone, 0};
            if (wait == Wait::timed_out) return {KeyEvent::timeout, 0};
            readable = wait == Wait::readable;
            continue;
        }
        failures = 0;
        if (key == KEY_RESIZE) return {KeyEvent::resized, 0};
        if (key == KEY_CODE_ESCAPE) {
            CursesKeySource source;
            key = decode_escape(source);
            if (key == UNBOUND_KEY) continue;
            return {KeyEvent::key, key};
        }
        return {KeyEvent::key, game_key(key)};
    }
}
