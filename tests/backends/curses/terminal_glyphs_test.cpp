// What the play terminal draws for a row of CP932 bytes, in a UTF-8 locale
// and in the plain C locale: every column stays where the bytes put it.
#include "backends/curses/terminal_glyphs.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <tuple>
#include <vector>

#include "text/encoding.h"

namespace {

class TerminalGlyphsTest : public ::testing::Test {
   protected:
    void use_locale(const char* name) {
        ASSERT_NE(std::setlocale(LC_ALL, name), nullptr) << "locale " << name << " is missing";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    // Row 0 of a fresh screen with `cp932` written from column `col`.
    std::vector<DrawnChar> layout(const std::string& cp932, int col = 0) {
        screen.move(0, col);
        screen.set_colour(11);
        for (char byte : cp932) screen.add_byte(static_cast<unsigned char>(byte));
        return glyphs.layout_row(screen, 0);
    }

    ScreenBuffer screen;
    TerminalGlyphs glyphs;
};

// The drawn characters, as (column, character, width), up to `col_limit`.
std::vector<std::tuple<int, wchar_t, int>> drawn(const std::vector<DrawnChar>& row, int col_limit) {
    std::vector<std::tuple<int, wchar_t, int>> out;
    for (const DrawnChar& d : row)
        if (d.col < col_limit) out.emplace_back(d.col, d.wc, d.width);
    return out;
}

TEST_F(TerminalGlyphsTest, EveryColumnIsCoveredOnceFromLeftToRight) {
    use_locale("C.UTF-8");
    auto row = layout(to_cp932("あa―い"), 3);
    int next = 0;
    for (const DrawnChar& d : row) {
        EXPECT_EQ(d.col, next);
        next = d.col + d.width;
    }
    EXPECT_EQ(next, SCREEN_COLS);
}

TEST_F(TerminalGlyphsTest, WideCharactersTakeTheirTwoColumnsInUtf8) {
    use_locale("C.UTF-8");
    auto row = layout(to_cp932("あ　？"), 1);
    std::vector<std::tuple<int, wchar_t, int>> want = {
        {0, L' ', 1}, {1, L'あ', 2}, {3, L'\u3000', 2}, {5, L'？', 2}, {7, L' ', 1}};
    EXPECT_EQ(drawn(row, 8), want);
}

TEST_F(TerminalGlyphsTest, NarrowDoubleByteCharactersArePaddedWithASpace) {
    use_locale("C.UTF-8");
    // ― “ ” … are one column wide in UTF-8 but two bytes in CP932.
    auto row = layout(to_cp932("―“”…x"));
    std::vector<std::tuple<int, wchar_t, int>> want = {{0, L'\u2015', 1}, {1, L' ', 1},      {2, L'\u201C', 1},
                                                       {3, L' ', 1},      {4, L'\u201D', 1}, {5, L' ', 1},
                                                       {6, L'\u2026', 1}, {7, L' ', 1},      {8, L'x', 1}};
    EXPECT_EQ(drawn(row, 9), want);

    // A terminal that draws them two columns wide gets them unpadded.
    glyphs.set_ambiguous_wide(true);
    row = layout(to_cp932("―“”…x"));
    want = {{0, L'\u2015', 2}, {2, L'\u201C', 2}, {4, L'\u201D', 2}, {6, L'\u2026', 2}, {8, L'x', 1}};
    EXPECT_EQ(drawn(row, 9), want);
}

TEST_F(TerminalGlyphsTest, CodePage932NotShiftJisDecidesTheCharacters) {
    use_locale("C.UTF-8");
    // 0x815C is the horizontal bar in CP932; backslash and tilde stay ASCII.
    auto row = layout("\x81\x5C\\~");
    std::vector<std::tuple<int, wchar_t, int>> want = {{0, L'\u2015', 1}, {1, L' ', 1}, {2, L'\\', 1}, {3, L'~', 1}};
    EXPECT_EQ(drawn(row, 4), want);
}

TEST_F(TerminalGlyphsTest, TheCLocaleGetsSameWidthStandIns) {
    use_locale("C");
    auto row = layout(to_cp932("あ―b"));
    std::vector<std::tuple<int, wchar_t, int>> want = {
        {0, L'?', 1}, {1, L'?', 1}, {2, L'?', 1}, {3, L'?', 1}, {4, L'b', 1}};
    EXPECT_EQ(drawn(row, 5), want);
}

TEST_F(TerminalGlyphsTest, BrokenBytesBecomeOneQuestionMarkEach) {
    use_locale("C.UTF-8");
    // A lead byte followed by a byte that cannot trail, a control byte, and
    // a lead byte in the last column with nothing after it.
    auto row = layout("\x82 \x01");
    std::vector<std::tuple<int, wchar_t, int>> want = {{0, L'?', 1}, {1, L' ', 1}, {2, L'?', 1}};
    EXPECT_EQ(drawn(row, 3), want);
    screen.move(0, SCREEN_COLS - 1);
    screen.add_byte(0x82);
    auto last = glyphs.layout_row(screen, 0).back();
    EXPECT_EQ(last.col, SCREEN_COLS - 1);
    EXPECT_EQ(last.wc, L'?');
}

TEST_F(TerminalGlyphsTest, ACharacterTakesTheColourOfItsLeadByte) {
    use_locale("C.UTF-8");
    screen.move(0, 0);
    screen.set_colour(13);
    screen.add_text(to_cp932("あ").c_str());
    screen.set_colour(5);
    screen.add_byte('z');
    auto row = glyphs.layout_row(screen, 0);
    ASSERT_GE(row.size(), 2u);
    EXPECT_EQ(row[0].colour, 13);
    EXPECT_EQ(row[1].wc, L'z');
    EXPECT_EQ(row[1].colour, 5);
}

TEST_F(TerminalGlyphsTest, HalfWidthKatakanaIsOneColumn) {
    use_locale("C.UTF-8");
    auto row = layout("\xB1");  // ｱ
    std::vector<std::tuple<int, wchar_t, int>> want = {{0, L'\uFF71', 1}};
    EXPECT_EQ(drawn(row, 1), want);
}

}  // namespace
