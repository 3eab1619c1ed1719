// The message row: pending and acknowledged messages and the "-more-" pause.
#include <cstring>
#include <string>
#include <vector>

#include "game/commands.h"
#include "game/state.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "screen/messages.h"
#include "support/test_support.h"
#include "text/language.h"

namespace {

class MessageLine : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        terminal->on_key_wait = [this](const ScreenBuffer& s) { rows_at_wait.push_back(row_zero(s)); };
    }
    struct Row {
        std::string text;
        std::vector<int> colours;
    };
    static Row row_zero(const ScreenBuffer& s) {
        Row row{s.row_text(0), {}};
        for (int c = 0; c < static_cast<int>(row.text.size()); ++c) row.colours.push_back(s.cell(0, c).colour);
        return row;
    }
    std::vector<Row> rows_at_wait;
};

TEST_F(MessageLine, AFirstMessageShowsAtOnceAndStaysPending) {
    long refreshes = terminal->refresh_count;
    post_message("abc", COLOUR_LIGHT_MAGENTA);

    EXPECT_EQ(terminal->keys_read, 0);
    EXPECT_EQ(terminal->refresh_count, refreshes + 1);
    EXPECT_EQ(screen().cell(0, 0).byte, ' ');
    EXPECT_TRUE(text_on_screen(0, 1, "abc", COLOUR_LIGHT_MAGENTA));
    EXPECT_EQ(screen().row_text(0), " abc");
    EXPECT_EQ(game.message_colour, COLOUR_LIGHT_MAGENTA);
    EXPECT_STREQ(last_message, "abc");

    draw_screen();  // still pending: its own colour
    EXPECT_TRUE(text_on_screen(0, 1, "abc", COLOUR_LIGHT_MAGENTA));

    terminal->keys = {'q'};  // any key read as a command acknowledges it
    game.energy = 100;
    player_command();
    EXPECT_EQ(game.message_colour, 0);
    draw_screen();
    EXPECT_TRUE(text_on_screen(0, 1, "abc", COLOUR_DARK_GREY));

    post_message("next", COLOUR_YELLOW);  // nothing pending: no pause
    EXPECT_EQ(terminal->keys_read, 1);
    EXPECT_EQ(screen().row_text(0), " next");
}

TEST_F(MessageLine, MoreFollowsThePreviousMessageInCyanAndOnlySpaceOrEscapeAnswerIt) {
    for (int answer : {KEY_CODE_SPACE, KEY_CODE_ESCAPE}) {
        game.message_colour = 0;
        rows_at_wait.clear();
        post_message("first", COLOUR_LIGHT_CYAN);
        terminal->keys = {'x', 'Q', '5', '\n', 13, KEY_CODE_UP, KEY_CODE_RIGHT, 265, answer, 'z'};
        post_message("second", COLOUR_YELLOW);

        ASSERT_EQ(rows_at_wait.size(), 9u);
        for (const Row& row : rows_at_wait) {
            EXPECT_EQ(row.text, " first-more-");
            EXPECT_EQ(row.colours, (std::vector<int>{0, 11, 11, 11, 11, 11, 3, 3, 3, 3, 3, 3}));
        }
        EXPECT_EQ(terminal->keys, std::deque<int>{'z'});  // the answer was the last key taken
        EXPECT_EQ(game.run_state, RUN_PLAYING);           // "Q" at the pause does not quit
        EXPECT_EQ(screen().row_text(0), " second");
        EXPECT_TRUE(text_on_screen(0, 1, "second", COLOUR_YELLOW));
        EXPECT_EQ(game.message_colour, COLOUR_YELLOW);
    }
}

TEST_F(MessageLine, ThreeMessagesNeedTwoAnswersAndLeaveTheLastPending) {
    terminal->keys = {KEY_CODE_SPACE, KEY_CODE_ESCAPE};
    post_message("one", COLOUR_WHITE);
    post_message("two", COLOUR_MAGENTA);
    post_message("three", COLOUR_LIGHT_RED);

    ASSERT_EQ(rows_at_wait.size(), 2u);
    EXPECT_EQ(rows_at_wait[0].text, " one-more-");
    EXPECT_EQ(rows_at_wait[0].colours[1], COLOUR_WHITE);
    EXPECT_EQ(rows_at_wait[1].text, " two-more-");
    EXPECT_EQ(rows_at_wait[1].colours[1], COLOUR_MAGENTA);
    EXPECT_TRUE(terminal->keys.empty());
    EXPECT_TRUE(text_on_screen(0, 1, "three", COLOUR_LIGHT_RED));
    EXPECT_EQ(game.message_colour, COLOUR_LIGHT_RED);

    set_shown_language(Language::english);  // a space after the last word, none after no word
    terminal->keys = {KEY_CODE_SPACE, KEY_CODE_SPACE};
    post_message("", COLOUR_WHITE);
    post_message("four", COLOUR_WHITE);
    set_shown_language(Language::japanese);
    EXPECT_EQ(rows_at_wait.back().text + rows_at_wait[2].text, " -more- three -more-");
}

TEST_F(MessageLine, AShorterMessageLeavesNoTraceOfALongerOne) {
    post_message(cp("大魔法使いの嘲る声が聞える――").c_str(), COLOUR_LIGHT_MAGENTA);
    game.message_colour = 0;
    post_message("short", COLOUR_WHITE);
    EXPECT_EQ(screen().row_text(0), " short");
    EXPECT_TRUE(text_on_screen(0, 6, std::string(74, ' '), 0));
}

TEST_F(MessageLine, AnEmptyMessageBlanksTheRowAndIsStillPending) {
    post_message("words", COLOUR_WHITE);
    game.message_colour = 0;
    post_message("", COLOUR_YELLOW);
    EXPECT_EQ(screen().row_text(0), "");
    EXPECT_EQ(game.message_colour, COLOUR_YELLOW);

    terminal->keys = {KEY_CODE_SPACE};
    post_message("after", COLOUR_WHITE);
    ASSERT_EQ(rows_at_wait.size(), 1u);
    EXPECT_EQ(rows_at_wait[0].text, " -more-");
    EXPECT_EQ(rows_at_wait[0].colours[1], COLOUR_CYAN);
}

TEST_F(MessageLine, OverLongMessagesAreCutTo1023Bytes) {
    std::string long_text(1500, 'm');
    post_message(long_text.c_str(), COLOUR_WHITE);
    EXPECT_EQ(std::strlen(last_message), 1023u);
    EXPECT_EQ(std::string(last_message), long_text.substr(0, 1023));

    game.message_colour = 0;
    std::string long_argument(3000, 'f');
    post_message(long_argument.c_str(), COLOUR_WHITE);
    EXPECT_EQ(std::string(last_message), long_argument.substr(0, 1023));

    terminal->keys = {KEY_CODE_SPACE};  // the cut message comes back before "-more-"
    post_message("end", COLOUR_WHITE);
    ASSERT_EQ(rows_at_wait.size(), 1u);
    EXPECT_EQ(rows_at_wait[0].text, " " + std::string(79, 'f'));
    EXPECT_STREQ(last_message, "end");
}

}  // namespace
