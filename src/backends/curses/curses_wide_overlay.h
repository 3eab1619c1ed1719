#pragma once
// Characters that curses counts one column wide but the terminal draws two
// (― “ ” … on an ambiguous-wide terminal). Curses would lose its place
// after each, so it gets two blank cells there instead, and the characters
// are written straight to the terminal after each refresh, each at its own
// position, with the cursor put back where curses left it.
#include <string>
#include <vector>

#include "backends/curses/curses_palette.h"

class WideOverlay {
   public:
    void clear() { chars_.clear(); }
    void add(int row, int col, wchar_t wc, const Style& style) { chars_.push_back({row, col, wc, style}); }
    // Writes the characters; call right after a refresh.
    void write_after_refresh() const;

   private:
    struct Placed {
        int row;
        int col;
        wchar_t wc;
        Style style;
    };
    std::vector<Placed> chars_;
};
