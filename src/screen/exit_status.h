#pragma once
// How the game ends, as the shell sees it: the statuses the README and the
// manual page list, shared by the game, its backends, its recordings and
// its programs.
constexpr int EXIT_DONE = 0;               // quit with Q, the archmage slain, or --help or --version shown
constexpr int EXIT_OUT_OF_MEMORY = 1;      // "out of mem!"
constexpr int EXIT_BAD_COMMAND_LINE = 2;   // a wrong option or argument
constexpr int EXIT_UNUSABLE_TERMINAL = 3;  // no terminal, or one the game cannot draw on
constexpr int EXIT_RECORDING_PROBLEM = 4;  // a recording that cannot be written or replayed
constexpr int EXIT_NO_CP932 = 5;           // iconv cannot convert the game's texts
constexpr int EXIT_CUT_SHORT = 6;          // a replayed or checked recording that was cut short
// A fatal signal ends the game by that same signal, after the terminal is
// given back: the shell shows EXIT_BY_SIGNAL + the signal's number.
constexpr int EXIT_BY_SIGNAL = 128;
