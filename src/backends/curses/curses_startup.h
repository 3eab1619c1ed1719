#pragma once
// Start-up of the play terminal: refuses, with one line on standard error
// and its own exit status, a terminal or system the game cannot serve, then
// takes the terminal with curses so that every way out gives it back.

#include "screen/exit_status.h"

// Ends the process with "drowsel: <reason>" on standard error, after giving
// the terminal back if it was taken.
[[noreturn]] void refuse_to_run(const char* reason, int status);

// Held while curses sets up: curses ends the process itself, with a
// message of its own, when memory runs out as it reads the terminal
// description, opens the screen or starts the colours. Meanwhile its
// messages go nowhere, and such an exit says "out of mem!", as the game does
// everywhere else (the status is 1 either way).
class CursesSettingUp {
   public:
    CursesSettingUp();
    ~CursesSettingUp();
    CursesSettingUp(const CursesSettingUp&) = delete;
    CursesSettingUp& operator=(const CursesSettingUp&) = delete;
};

// Checks the standard streams, the text converter and the terminal type,
// then opens curses on the terminal (raw, no echo, the terminal's real
// size, never the environment's LINES and COLUMNS).
void start_curses();
