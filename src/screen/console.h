#pragma once
// The screen operations the game draws and reads keys with. Nothing outside
// screen/ knows which terminal is behind them.
#include "screen/colours.h"
#include "screen/screen_buffer.h"

class Terminal;

// Key codes the game tests, besides the characters on the keys: every
// backend hands its keys over as these, and recordings store them.
constexpr int KEY_CODE_ESCAPE = 27;
constexpr int KEY_CODE_SPACE = 32;
constexpr int KEY_CODE_DOWN = 258;
constexpr int KEY_CODE_UP = 259;
constexpr int KEY_CODE_LEFT = 260;
constexpr int KEY_CODE_RIGHT = 261;
constexpr int control_key(char letter) { return letter & 0x1f; }

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
// What the game waits for when it reads a key. Only a hint for terminals
// that offer other ways to type than a keyboard (the page's touch controls);
// the key read is the same whatever the hint says.
enum class KeyWait { any, title, command, more, direction, ending };
struct KeyHint {
    KeyWait wait = KeyWait::any;
    int focus_row = -1;  // the player's screen cell in play, else -1
    int focus_col = -1;
};
// Shows what was drawn since the last refresh, then waits for one key; the
// hint is what console_key_hint() gives the terminal while it waits.
int console_read_key(KeyHint hint = {});
const KeyHint& console_key_hint();
void console_sleep_ms(int ms);

// Writes a text on `row` centred by its byte length: column (80 - L) / 2.
void print_centred(int row, const char* cp932_text);
