#include "backends/curses/curses_palette.h"

#include <term.h>

namespace {

// Curses numbers red 1 and blue 4; the palette has them the other way round.
short curses_base_colour(int colour) {
    static const short base[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                  COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    return base[colour & 7];
}

// Whether the terminal can draw dim text in colour.
bool dim_with_colour() {
    if ((termattrs() & A_DIM) == 0) return false;
    int no_colour_video = tigetnum(const_cast<char*>("ncv"));
    constexpr int NCV_DIM = 16;
    return no_colour_video < 0 || (no_colour_video & NCV_DIM) == 0;
}

// Dark grey on a terminal of 8 colours, where bold is the bright half:
// - dim white where the terminal can dim coloured text (xterm, screen);
// - otherwise bold black. Terminal types that cannot dim in colour (the
//   Linux and BSD consoles, ansi, rxvt) draw bold as the bright colour, so
//   bold black is the dark grey, as bold blue is light blue; the BSD
//   console's own "dim" is that very bold black.
// Either way it differs from black, from light grey (plain white) and from
// light blue (bold blue).
Style dark_grey(short pair) {
    if (dim_with_colour()) {
        init_pair(pair, COLOR_WHITE, COLOR_BLACK);
        return Style{pair, A_DIM};
    }
    init_pair(pair, COLOR_BLACK, COLOR_BLACK);
    return Style{pair, A_BOLD};
}

}  // namespace

void set_up_palette(Style (&styles)[PALETTE_SIZE]) {
    for (Style& style : styles) style = Style{};
    if (!has_colors() || start_color() == ERR) return;  // plain text
    if (COLORS < 8 || COLOR_PAIRS < PALETTE_SIZE) return;

    bool sixteen = COLORS >= 16;
    for (int colour = 1; colour < PALETTE_SIZE; ++colour) {
        auto pair = static_cast<short>(colour);
        bool bright = (colour & 8) != 0;
        short foreground = curses_base_colour(colour);
        if (!sixteen && colour == 8) {
            styles[colour] = dark_grey(pair);
            continue;
        }
        attr_t attrs = A_NORMAL;
        if (sixteen && bright) foreground = static_cast<short>(foreground + 8);
        if (!sixteen && bright) attrs = A_BOLD;
        init_pair(pair, foreground, COLOR_BLACK);
        styles[colour] = Style{pair, attrs};
    }
}
