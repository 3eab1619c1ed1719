#pragma once
// The sixteen palette colours as the terminal can draw them: colour pairs
// and attributes on ncursesw.
#include <curses.h>

#include "screen/colours.h"

constexpr int PALETTE_SIZE = 16;

// How one palette colour is drawn: a colour pair and extra attributes.
struct Style {
    short pair = 0;
    attr_t attrs = A_NORMAL;
};

// Defines pair n for palette colour n (1..15) and fills in how each is
// drawn in `palette`; plain text on a terminal without colours.
void set_up_palette(Style (&styles)[PALETTE_SIZE], Palette palette);
