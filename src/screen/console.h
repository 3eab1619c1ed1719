#pragma once
// The screen operations the game draws and reads keys with. Nothing outside
// screen/ knows which terminal is behind them.
#include "screen/colours.h"
#include "screen/screen_buffer.h"
#include "screen/terminal.h"

// Key codes the game tests, besides the characters on the keys: every
// backend hands its keys over as these, and recordings store them.
constexpr int KEY_CODE_ESCAPE = 27;
// Return (and the keypad's Enter): the carriage return a terminal's Return
// key sends, which the terminal build reads as it comes (no newline
// translation); the page hands Enter over as the same code, so that a run
// records the same bytes in both. No command binds it.
constexpr int KEY_CODE_ENTER = 13;
constexpr int KEY_CODE_SPACE = 32;
constexpr int KEY_CODE_DOWN = 258;
constexpr int KEY_CODE_UP = 259;
constexpr int KEY_CODE_LEFT = 260;
constexpr int KEY_CODE_RIGHT = 261;
// A control key is its letter's code with the bits of this mask only.
constexpr int KEY_CONTROL_MASK = 0x1f;
constexpr int control_key(char letter) { return letter & KEY_CONTROL_MASK; }

// The terminal that shows the screen and gives the keys; the screen is
// blanked and the colour reset when one is installed.
void install_terminal(Terminal* terminal);
// Gives the terminal back (end of the curses screen); safe at any time.
void console_shutdown();
// The screen as drawn so far.
const ScreenBuffer& screen();

// The start-up of the screen: blank, and the splash colour (red) selected.
void console_start();

void console_clear();
int console_move(int row, int col);
void console_add_byte(unsigned char byte);
void console_add_text(const char* cp932_text);
// Moves, and writes only if the move succeeded.
int console_move_add_byte(int row, int col, unsigned char byte);
int console_move_add_text(int row, int col, const char* cp932_text);
void console_clear_to_eol();
void set_colour(int colour);
void console_refresh();
// Shows what was drawn since the last refresh, then waits for one key; the
// hint (what the game waits for) goes to the terminal with the read.
int console_read_key(KeyHint hint = {});
// The hint of the game's latest read, for what describes the game's state
// (a replay's own waits are not the game's).
const KeyHint& console_key_hint();
void console_sleep_ms(int ms);

// Writes a text on `row` centred by its byte length: column (80 - L) / 2.
void print_centred(int row, const char* cp932_text);
