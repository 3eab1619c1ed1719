#pragma once
// What a real terminal draws for a row of the screen. The screen holds CP932
// bytes, and a text's width in columns is its length in bytes; the terminal
// speaks the locale's encoding, where a character may be unknown or of
// another width. This turns a row into characters to draw so that every
// column stays where the bytes put it:
// - a double-byte character the terminal shows two columns wide is drawn
//   as it is;
// - one the locale counts one column wide (in UTF-8: ― “ ” …) is followed
//   by a space, or, on a terminal that draws such characters two columns
//   wide (set_ambiguous_wide), drawn as it is and taking two columns;
// - one the locale cannot encode becomes "??", a broken byte "?".
#include <iconv.h>

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
    // converted once and remembered.
    TerminalGlyphs();
    ~TerminalGlyphs();
    TerminalGlyphs(const TerminalGlyphs&) = delete;
    TerminalGlyphs& operator=(const TerminalGlyphs&) = delete;

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
    const Glyph& lookup(const unsigned char* bytes, int length);
    Glyph convert(const unsigned char* bytes, int length);

    iconv_t converter_;
    bool ambiguous_wide_ = false;
    std::unordered_map<unsigned, Glyph> cache_;
};
