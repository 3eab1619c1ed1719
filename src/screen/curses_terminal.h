#pragma once
// The play terminal: the screen shown through ncursesw, keys read from it.
// Curses itself stays inside curses_terminal.cpp.
#include "screen/terminal.h"

// Sets the locale, opens the curses screen over the whole terminal in raw
// mode and makes sure every way out of the process gives the terminal back.
// The terminal lives until the process ends.
Terminal* open_curses_terminal();
