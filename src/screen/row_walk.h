#pragma once
// What a row of the screen shows, character by character, for every
// terminal (the play terminal, the page and the cast): a double-byte CP932
// character is one character over two cells; a byte that is no character,
// or a double-byte sequence CP932 has none for, shows as "?" in each cell;
// a zero byte shows as a blank.
#include <array>

#include "screen/screen_buffer.h"

struct RowChar {
    int col;
    char32_t code;  // Unicode, never 0
    int cells;      // 1, or 2 for a double-byte character
    int colour;     // of the cell it starts in
};

struct RowChars {
    std::array<RowChar, SCREEN_COLS> chars;
    int count = 0;
    const RowChar* begin() const { return chars.data(); }
    const RowChar* end() const { return chars.data() + count; }
};

// The characters of screen row `row`, left to right, covering all 80 cells.
RowChars walk_row(const ScreenBuffer& screen, int row);
