#pragma once
// The keyboard of the play terminal: one key press at a time as the game
// knows it, whatever the terminal type and keypad mode.
// - Keys the terminal sends as escape sequences are read whole
//   (key_decoder.h): an unknown one never becomes Escape and loose letters.
// - The numeric keypad walks as its digits: the corner and centre keys
//   (Home, PgUp, End, PgDn, and the keypad's own codes) give 7 9 1 3 5, and
//   the application-mode sequences the digit printed on the key.
// - After a stop (kill -TSTP, then fg) the keypad mode is back before the
//   first key is read.

// Keypad translation, the short Escape delay, and the watch for the process
// being continued after a stop. Curses must be started.
void set_up_keyboard();

enum class KeyEvent {
    key,      // `key` holds the code for the game
    resized,  // the terminal changed size: repaint
    resumed,  // the process was continued after a stop: repaint
    timeout,  // no key came in the time given
    gone,     // the keyboard is gone for good
};

struct KeyRead {
    KeyEvent event;
    int key;
};

// Waits for the next key press or event, at most `timeout_ms` when that is
// not negative.
KeyRead read_keyboard(int timeout_ms = -1);
