#pragma once
// What a real terminal draws for a row of the screen. The screen holds CP932
// bytes, and a text's width in columns is its length in bytes; the terminal
// speaks the locale's encoding, where a character may be unknown or of
// another width. This turns the characters of a row (screen/row_walk.h)
// into characters to draw so that every column stays where the bytes put
// it:
// - a double-byte character the terminal shows two columns wide is drawn
//   as it is;
// - one the locale counts one column wide (in UTF-8: ― “ ” …) is followed
//   by a space, or, on a terminal that draws such characters two columns
//   wide (set_ambiguous_wide), drawn as it is and taking two columns;
// - one the locale cannot encode becomes "??", a broken byte "?".
#include <cwchar>
#include <unordered_map>
#include <vector>

#include "screen/screen_buffer.h"

// One character to draw at `col`, taking `width` columns (1 or 2).
struct DrawnChar {
    int col;
    wchar_t wc;
    int width;
    int colour;  // of the screen cell it comes from
};

class TerminalGlyphs {
   public:
    // Uses the locale in force at each lookup (LC_CTYPE); a character is
    // looked up once and remembered.

    // Whether the terminal draws the characters the locale counts one
    // column wide but that are double-byte in CP932 two columns wide.
    void set_ambiguous_wide(bool wide) { ambiguous_wide_ = wide; }

    // The characters of screen row `row`, left to right, covering all 80
    // columns.
    std::vector<DrawnChar> layout_row(const ScreenBuffer& screen, int row);

   private:
    struct Glyph {
        wchar_t wc = 0;  // 0 when the terminal cannot show it
        int width = 0;
    };
    const Glyph& lookup(char32_t code);

    bool ambiguous_wide_ = false;
    std::unordered_map<char32_t, Glyph> cache_;
};
