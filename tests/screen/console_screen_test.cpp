// The console screen: cursor placement, wrapping, clearing and centred lines.
#include <string>
#include <utility>

#include "screen/console.h"
#include "support/test_support.h"

namespace {

using ConsoleScreen = GameTest;

TEST_F(ConsoleScreen, MoveOutsideTheScreenFailsAndChangesNothing) {
    ASSERT_EQ(console_move(5, 7), SCREEN_OK);
    const int outside[][2] = {{-1, 0}, {0, -1}, {23, 0}, {0, 80}, {-5, -5}, {23, 80}};
    for (const auto& cell : outside) {
        EXPECT_EQ(console_move(cell[0], cell[1]), SCREEN_ERR) << cell[0] << "," << cell[1];
        EXPECT_EQ(screen().cursor_row(), 5);
        EXPECT_EQ(screen().cursor_col(), 7);
        EXPECT_EQ(console_move_add_byte(cell[0], cell[1], 'x'), SCREEN_ERR);
        EXPECT_EQ(console_move_add_text(cell[0], cell[1], "text"), SCREEN_ERR);
    }
    for (int r = 0; r < SCREEN_ROWS; ++r) EXPECT_EQ(screen().row_text(r), "") << "row " << r;
    EXPECT_EQ(console_move(22, 79), SCREEN_OK);
    EXPECT_EQ(console_move(0, 0), SCREEN_OK);
}

TEST_F(ConsoleScreen, TextWrapsToTheNextRowInTheSelectedColour) {
    set_colour(COLOUR_BROWN);
    console_move_add_text(3, 78, "abcd");
    EXPECT_TRUE(text_on_screen(3, 78, "ab", COLOUR_BROWN));
    EXPECT_TRUE(text_on_screen(4, 0, "cd", COLOUR_BROWN));
    EXPECT_EQ(screen().cursor_row(), 4);
    EXPECT_EQ(screen().cursor_col(), 2);
}

TEST_F(ConsoleScreen, ClearBlanksEveryCellAndAsksForAFullRepaint) {
    set_colour(COLOUR_WHITE);
    console_move_add_text(10, 10, "hello");
    console_refresh();
    long clears = screen().clear_count();
    long repaints = terminal->full_repaints;

    console_clear();
    console_refresh();
    EXPECT_EQ(screen().clear_count(), clears + 1);
    EXPECT_EQ(terminal->full_repaints, repaints + 1);
    EXPECT_EQ(screen().row_text(10), "");
    EXPECT_EQ(screen().cell(10, 10).colour, 0);
    EXPECT_EQ(std::make_pair(screen().cursor_row(), screen().cursor_col()), std::make_pair(0, 0));

    console_move_add_text(1, 1, "x");
    console_refresh();  // a change without a clear: no full repaint
    EXPECT_EQ(terminal->full_repaints, repaints + 1);
}

struct CentredCase {
    int length;
    int column;  // -1: nothing is written
};

TEST_F(ConsoleScreen, CentredLinesStartAtHalfTheFreeWidthTruncated) {
    const CentredCase cases[] = {{0, 40}, {1, 39}, {14, 33}, {15, 32}, {79, 0}, {80, 0}, {81, 0}, {82, -1}};
    for (const CentredCase& c : cases) {
        console_clear();
        set_colour(COLOUR_YELLOW);
        std::string text(c.length, 'x');
        print_centred(7, text.c_str());
        if (c.column < 0) {
            for (int r = 0; r < SCREEN_ROWS; ++r) EXPECT_EQ(screen().row_text(r), "") << "82 bytes, row " << r;
            continue;
        }
        EXPECT_EQ(screen().cursor_col(), (c.column + c.length) % SCREEN_COLS) << c.length << " bytes";
        if (c.length == 0) continue;
        int on_row = c.length > SCREEN_COLS ? SCREEN_COLS : c.length;
        EXPECT_TRUE(text_on_screen(7, c.column, std::string(on_row, 'x'), COLOUR_YELLOW)) << c.length;
        if (c.column > 0) {
            EXPECT_EQ(screen().cell(7, c.column - 1).byte, ' ') << c.length;
        }
        if (c.length == 81) {
            EXPECT_TRUE(text_on_screen(8, 0, "x", COLOUR_YELLOW));  // the last byte wraps
        }
    }
}

TEST_F(ConsoleScreen, CentredJapaneseUsesTheByteLength) {
    std::string text = cp("私は解放された");
    ASSERT_EQ(text.size(), 14u);
    set_colour(COLOUR_YELLOW);
    print_centred(8, text.c_str());
    EXPECT_TRUE(text_on_screen(8, 33, text, COLOUR_YELLOW));
    EXPECT_EQ(screen().cell(8, 32).byte, ' ');
    EXPECT_EQ(screen().cell(8, 47).byte, ' ');  // the last character ends at column 46
}

TEST_F(ConsoleScreen, CentredTextIsWrittenPlainlyNotAsAFormat) {
    set_colour(COLOUR_WHITE);
    print_centred(2, "100% %s %d %n");
    EXPECT_TRUE(text_on_screen(2, 33, "100% %s %d %n", COLOUR_WHITE));
}

}  // namespace
