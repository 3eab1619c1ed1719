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

// The game's own look of `colour`, defined as colour pair `pair`.
Style own_style(int colour, short pair) {
    bool sixteen = COLORS >= 16;
    bool bright = (colour & 8) != 0;
    short foreground = curses_base_colour(colour);
    if (!sixteen && colour == 8) return dark_grey(pair);
    attr_t attrs = A_NORMAL;
    if (sixteen && bright) foreground = static_cast<short>(foreground + 8);
    if (!sixteen && bright) attrs = A_BOLD;
    init_pair(pair, foreground, COLOR_BLACK);
    return Style{pair, attrs};
}

// The other palettes on a terminal of 256 colours: xterm's colour numbers
// (the 6 x 6 x 6 cube from 16, the grey ramp from 232), never the first 16,
// which a terminal's theme may make anything, dark blue included.
// High contrast: each colour at least 7:1 against black; the dark colours
// are lighter shades of the bright ones.
const short CONTRAST_256[PALETTE_SIZE] = {0, 111, 77, 44, 203, 207, 178, 253, 247, 153, 120, 123, 210, 219, 227, 231};
// After Okabe and Ito's colours: reds as vermilion and orange, greens as
// bluish green, blues as sky blue; at least 5:1 against black.
const short COLOURBLIND_256[PALETTE_SIZE] = {0, 32, 36, 74, 166, 175, 178, 250, 244, 75, 79, 117, 209, 218, 221, 231};
// With 8 or 16 colours, each colour drawn as one of the game's own:
// high contrast takes the bright half of each pair (dark grey becomes light
// grey); colour blindness moves greens to cyan, dark blue and red to their
// bright forms.
const int CONTRAST_16[PALETTE_SIZE] = {0, 9, 10, 11, 12, 13, 14, 15, 7, 9, 10, 11, 12, 13, 14, 15};
const int COLOURBLIND_16[PALETTE_SIZE] = {0, 9, 3, 3, 12, 5, 6, 7, 8, 9, 11, 11, 12, 13, 14, 15};

}  // namespace

void set_up_palette(Style (&styles)[PALETTE_SIZE], Palette palette) {
    for (Style& style : styles) style = Style{};
    if (!has_colors() || start_color() == ERR) return;  // plain text
    if (COLORS < 8 || COLOR_PAIRS < PALETTE_SIZE) return;

    bool chosen_colours = palette != Palette::standard && COLORS >= 256;
    const short* shades = palette == Palette::contrast ? CONTRAST_256 : COLOURBLIND_256;
    const int* shown_as = palette == Palette::contrast      ? CONTRAST_16
                          : palette == Palette::colourblind ? COLOURBLIND_16
                                                            : nullptr;
    for (int colour = 1; colour < PALETTE_SIZE; ++colour) {
        auto pair = static_cast<short>(colour);
        if (chosen_colours) {
            init_pair(pair, shades[colour], COLOR_BLACK);
            styles[colour] = Style{pair, A_NORMAL};
        } else {
            styles[colour] = own_style(shown_as != nullptr ? shown_as[colour] : colour, pair);
        }
    }
}
