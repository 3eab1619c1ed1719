#include "screen/pages.h"

#include "screen/colours.h"
#include "screen/console.h"
#include "text/game_texts.h"

namespace {
constexpr int SPLASH_FRAMES = 6;
constexpr int SPLASH_FRAME_MS = 60;
constexpr int ENDING_PAGES = 7;
}  // namespace

// "vornik presents" slides down from row 0 to row 5, in the colour left by
// the screen's start-up.
void splash_screen() {
    for (int i = 0; i < SPLASH_FRAMES; ++i) {
        console_clear();
        print_centred(i, "vornik presents");
        console_refresh();
        console_sleep_ms(SPLASH_FRAME_MS);
    }
}

void title_screen() {
    console_clear();
    set_colour(COLOUR_WHITE);
    print_centred(6, "vornik presents");
    set_colour(COLOUR_LIGHT_RED);
    print_centred(8, "Drowsel");
    set_colour(COLOUR_WHITE);
    print_centred(9, "--Skarnwold Gaiden--");
    print_centred(20, "Press any key to start.");
    console_read_key({KeyWait::title});
}

// Seven pages, each a step longer than the one before; one key per page.
void ending_screen() {
    console_clear();
    for (int page = 0; page < ENDING_PAGES; ++page) {
        set_colour(COLOUR_YELLOW);
        print_centred(4, "YOU HAVE SLAIN UOREGACHENFELS");
        set_colour(COLOUR_YELLOW);
        print_centred(6, "*** CONGRATULATIONS ***");
        set_colour(COLOUR_YELLOW);
        if (page >= 1) print_centred(8, shown_text(GameText::ending_set_free));
        if (page >= 2) print_centred(9, shown_text(GameText::ending_this_turn));
        if (page >= 3) print_centred(10, shown_text(GameText::ending_thanks));
        if (page >= 4) {
            set_colour(COLOUR_WHITE);
            print_centred(13, "Drowsel");
        }
        if (page >= 5) {
            set_colour(COLOUR_WHITE);
            print_centred(14, "Skarnwold Gaiden");
            print_centred(15, "by vornik");
        }
        if (page >= 6) print_centred(17, "The end");
        console_refresh();
        console_read_key({KeyWait::ending});
    }
}
