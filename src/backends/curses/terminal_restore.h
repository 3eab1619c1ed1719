#pragma once
// Giving the terminal back to the shell on every way the process ends: a
// normal exit, a fatal signal, memory running out.
//
// The play terminal hands over, once curses has taken the terminal, the
// modes the shell had and the bytes that undo the screen (leave the
// alternate screen, show the cursor, plain colours). From then on a fatal
// signal or an allocation failure restores both with async-signal-safe
// calls only, discards the keys typed ahead, and ends the process.
#include <termios.h>

#include <string_view>

// Catches the fatal signals whose disposition is still the default; a
// signal the game was started with ignored (nohup, trap '') stays ignored,
// and one someone else handles is left to them. A caught signal gives the
// terminal back and then ends the process by that same signal.
void install_fatal_signal_handlers();

// Records how to give the terminal back: `input_fd` gets `shell_modes` again
// and loses its typed-ahead keys, `output_fd` receives `reset_bytes` (kept
// up to 255 bytes).
void terminal_taken(int input_fd, const termios& shell_modes, int output_fd, std::string_view reset_bytes);

// Writes all of `bytes` to `fd` (short writes and interruptions retried,
// an error gives up); async-signal-safe.
void write_all(int fd, const char* bytes, size_t length);

// Whether the terminal is taken and not yet given back.
bool terminal_is_taken();

// Drops the keys typed ahead; async-signal-safe.
void discard_typed_ahead();

// Discards typed-ahead keys, restores the shell's modes and writes the reset
// bytes, once; async-signal-safe, and a no-op when nothing is taken.
void give_terminal_back_now();

// Marks the terminal as given back by the normal way out (curses' own end).
void terminal_given_back();

// Every allocation failure ends here: the terminal given back, "out of mem!"
// on standard error, status 1.
[[noreturn]] void exit_out_of_memory();
// Writes "out of mem!" to standard error, with nothing but write(); safe
// anywhere, an exit in progress included.
void say_out_of_memory();

// Routes every failed `new` to exit_out_of_memory, so none throws.
void route_allocation_failures();
