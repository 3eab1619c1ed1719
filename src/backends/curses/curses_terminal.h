#pragma once
// The play terminal: the screen shown through ncursesw, keys read from it.
// Curses itself stays inside this folder, backends/curses/.
#include "screen/colours.h"
#include "screen/terminal.h"

// How the play terminal shows the game: the palette, and whether the cursor
// is shown where the screen puts it (for a screen reader) or hidden.
struct CursesLook {
    Palette palette = Palette::standard;
    bool cursor_shown = false;
};

// Refuses a terminal or system the game cannot serve (curses_startup.h),
// then opens the curses screen over the whole terminal in raw mode and makes
// sure every way out of the process gives the terminal back. The terminal
// lives until the process ends; the look of the first call is kept.
Terminal* open_curses_terminal(const CursesLook& look = {});
