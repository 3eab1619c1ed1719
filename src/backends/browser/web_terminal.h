#pragma once
// The browser terminal: the screen drawn by the page's script as a grid of
// cells, keys from the page's key events. Only in the browser build.
#include <cstdint>

#include "screen/screen_buffer.h"
#include "screen/terminal.h"

// What the page draws in one cell: Unicode << CELL_UNICODE_SHIFT | shape <<
// CELL_SHAPE_SHIFT | colour. The page is handed these numbers, the screen's
// size and the key codes when the terminal is opened; it writes none itself.
constexpr int CELL_UNICODE_SHIFT = 8;
constexpr int CELL_SHAPE_SHIFT = 4;
constexpr uint32_t CELL_SINGLE = 0;   // one column
constexpr uint32_t CELL_WIDE = 1;     // a double-byte character over this and the next cell
constexpr uint32_t CELL_COVERED = 2;  // the right half of the wide character before it
constexpr uint32_t cell_code(unsigned unicode, uint32_t shape, int colour) {
    return unicode << CELL_UNICODE_SHIFT | shape << CELL_SHAPE_SHIFT |
           (static_cast<uint32_t>(colour) & ((1u << CELL_SHAPE_SHIFT) - 1));
}

// The cells of one screen row as the page draws them.
void layout_web_row(const ScreenBuffer& screen, int row, uint32_t* cells);

// The first call hands the page its numbers.
Terminal* open_web_terminal();
