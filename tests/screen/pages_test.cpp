// The pages outside play: the splash, the title and the seven-page ending.
#include "screen/pages.h"

#include <string>
#include <vector>

#include "game/random.h"
#include "screen/console.h"
#include "support/test_support.h"

namespace {

// A headless terminal that keeps a copy of every screen it is asked to show.
class RecordingTerminal : public HeadlessTerminal {
   public:
    void present(const ScreenBuffer& s) override {
        shown.push_back(s);
        HeadlessTerminal::present(s);
    }
    std::vector<ScreenBuffer> shown;
};

struct Line {
    int row;
    int col;
    std::string text;
    int colour;
};

// Every row not listed is blank.
void expect_only_lines(const ScreenBuffer& s, const std::vector<Line>& lines, const std::string& where) {
    for (int r = 0; r < SCREEN_ROWS; ++r) {
        const Line* line = nullptr;
        for (const Line& l : lines)
            if (l.row == r) line = &l;
        if (line == nullptr) {
            EXPECT_EQ(s.row_text(r), "") << where << ", row " << r;
            continue;
        }
        EXPECT_EQ(s.row_text(r), std::string(line->col, ' ') + line->text) << where << ", row " << r;
        for (int i = 0; i < static_cast<int>(line->text.size()); ++i)
            EXPECT_EQ(s.cell(r, line->col + i).colour, line->colour) << where << ", row " << r;
    }
}

using Pages = GameTest;

TEST_F(Pages, SplashSlidesDownSixRowsInRedWithoutReadingKeys) {
    RecordingTerminal recorder;
    struct Restore {
        HeadlessTerminal* previous;
        ~Restore() { install_terminal(previous); }
    } restore{terminal};
    recorder.keys = {'k'};
    install_terminal(&recorder);
    console_start();

    splash_screen();

    ASSERT_EQ(recorder.shown.size(), 6u);
    for (int i = 0; i < 6; ++i)
        expect_only_lines(recorder.shown[i], {{i, 32, "vornik presents", COLOUR_RED}}, "frame " + std::to_string(i));
    EXPECT_EQ(recorder.full_repaints, 6);
    EXPECT_EQ(recorder.slept_ms, 360);
    EXPECT_EQ(recorder.keys_read, 0);
    EXPECT_EQ(recorder.keys, std::deque<int>{'k'});  // left for the title
    EXPECT_EQ(random_draw_count(), 0);

    title_screen();  // ends on the key typed during the splash
    EXPECT_EQ(recorder.keys_read, 1);
}

TEST_F(Pages, TitleShowsFourLinesAndWaitsForAnyKey) {
    for (int key : {KEY_CODE_SPACE, KEY_CODE_LEFT, int{'Q'}}) {
        std::vector<ScreenBuffer> at_wait;
        terminal->on_key_wait = [&](const ScreenBuffer& s) { at_wait.push_back(s); };
        terminal->keys = {key, 'x'};
        set_colour(COLOUR_RED);
        print_centred(5, "vornik presents");  // the splash's last frame goes
        long refreshes = terminal->refresh_count;

        title_screen();

        ASSERT_EQ(at_wait.size(), 1u);
        EXPECT_EQ(terminal->keys, std::deque<int>{'x'});
        EXPECT_EQ(terminal->refresh_count, refreshes + 1);  // shown by the key read alone
        expect_only_lines(at_wait[0],
                          {{6, 32, "vornik presents", COLOUR_WHITE},
                           {8, 36, "Drowsel", COLOUR_LIGHT_RED},
                           {9, 30, "--Skarnwold Gaiden--", COLOUR_WHITE},
                           {20, 28, "Press any key to start.", COLOUR_WHITE}},
                          "title");
    }
}

TEST_F(Pages, EndingGrowsByOneStepPerKeyForSevenKeys) {
    const std::vector<Line> all = {
        {4, 25, "YOU HAVE SLAIN UOREGACHENFELS", COLOUR_YELLOW},
        {6, 28, "*** CONGRATULATIONS ***", COLOUR_YELLOW},
        {8, 33, cp("私は解放された"), COLOUR_YELLOW},
        {9, 14, cp("少なくともこのターン　この場のクローンは　解放された"), COLOUR_YELLOW},
        {10, 36, cp("感謝する"), COLOUR_YELLOW},
        {13, 36, "Drowsel", COLOUR_WHITE},
        {14, 32, "Skarnwold Gaiden", COLOUR_WHITE},
        {15, 35, "by vornik", COLOUR_WHITE},
        {17, 36, "The end", COLOUR_WHITE},
    };
    // Lines shown on pages 1..7.
    const int shown_on_page[] = {2, 3, 4, 5, 6, 8, 9};
    std::vector<ScreenBuffer> at_wait;
    terminal->on_key_wait = [&](const ScreenBuffer& s) { at_wait.push_back(s); };
    terminal->keys = {' ', KEY_CODE_DOWN, 'Q', 27, 'a', '\n', 265, 'y'};
    set_colour(COLOUR_LIGHT_GREEN);
    console_move_add_text(0, 0, "left over from play");
    long clears = screen().clear_count();

    ending_screen();

    ASSERT_EQ(at_wait.size(), 7u);
    EXPECT_EQ(terminal->keys, std::deque<int>{'y'});
    EXPECT_EQ(screen().clear_count(), clears + 1);
    for (int page = 0; page < 7; ++page)
        expect_only_lines(at_wait[page], std::vector<Line>(all.begin(), all.begin() + shown_on_page[page]),
                          "page " + std::to_string(page + 1));
}

}  // namespace
