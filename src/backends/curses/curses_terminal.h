#pragma once
// The play terminal: the screen shown through ncursesw, keys read from it.
// Curses itself stays inside this folder, backends/curses/.
#include "screen/terminal.h"

// Refuses a terminal or system the game cannot serve (curses_startup.h),
// then opens the curses screen over the whole terminal in raw mode and makes
// sure every way out of the process gives the terminal back. The terminal
// lives until the process ends.
Terminal* open_curses_terminal();
