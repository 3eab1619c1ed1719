#pragma once
// The sixteen foreground colours, numbered as the PC text palette: bit 0
// blue, bit 1 green, bit 2 red, bit 3 bright. All are drawn on black.
#include <string_view>
#include <utility>

enum Colour : int {
    COLOUR_BLACK = 0,
    COLOUR_BLUE = 1,
    COLOUR_GREEN = 2,
    COLOUR_CYAN = 3,
    COLOUR_RED = 4,
    COLOUR_MAGENTA = 5,
    COLOUR_BROWN = 6,
    COLOUR_LIGHT_GREY = 7,
    COLOUR_DARK_GREY = 8,
    COLOUR_LIGHT_BLUE = 9,
    COLOUR_LIGHT_GREEN = 10,
    COLOUR_LIGHT_CYAN = 11,
    COLOUR_LIGHT_RED = 12,
    COLOUR_LIGHT_MAGENTA = 13,
    COLOUR_YELLOW = 14,
    COLOUR_WHITE = 15,
};

// How a terminal shows the sixteen colours: the game's own, one of high
// contrast (every colour bright on black, dark grey readable), or one for
// red-green colour blindness (reds and greens apart by blue and yellow and
// by lightness, no dark blue). The colour numbers drawn stay the same.
enum class Palette { standard, contrast, colourblind };

// "default", "contrast", "colourblind", as the command line names them;
// false for any other name (`palette` is then left as it was).
inline bool parse_palette_name(std::string_view name, Palette& palette) {
    constexpr std::pair<std::string_view, Palette> NAMES[] = {
        {"default", Palette::standard}, {"contrast", Palette::contrast}, {"colourblind", Palette::colourblind}};
    for (const auto& [known, value] : NAMES)
        if (name == known) {
            palette = value;
            return true;
        }
    return false;
}
