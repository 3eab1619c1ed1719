// The screen reader's aid: the cursor after the newest text, and the
// describe key answered in front of the game.
#include "programs/reader_terminal.h"

#include <string>
#include <utility>
#include <vector>

#include "screen/console.h"
#include "screen/messages.h"
#include "screen/pages.h"
#include "support/test_support.h"
#include "text/language.h"

namespace {

TEST(ReaderTerminal, TheCursorFollowsTheNewestTextAndDescribeNeverReachesTheGame) {
    HeadlessTerminal& headless = start_fresh();
    ReaderTerminal reader(headless);
    install_terminal(&reader);
    std::vector<std::pair<int, int>> cursors;
    std::vector<std::string> tops;
    headless.on_key_wait = [&](const ScreenBuffer& s) {
        cursors.emplace_back(s.cursor_row(), s.cursor_col());
        tops.push_back(s.row_text(0));
    };
    headless.keys = {DESCRIBE_KEY, 'l', DESCRIBE_KEY, DESCRIBE_KEY, ' ', 'q'};
    set_shown_language(Language::english);

    title_screen();  // the describe key is answered; "l" ends the title
    post_message("abc", COLOUR_WHITE);
    post_message("def", COLOUR_WHITE);  // described twice, then answered
    EXPECT_EQ(console_read_key({KeyWait::command}), 'q');

    // The title's last line ends at column 51; a description takes the top
    // rows, the one at "-more-" two of them.
    using Cursors = std::vector<std::pair<int, int>>;
    EXPECT_EQ(cursors, (Cursors{{20, 51}, {0, 41}, {0, 11}, {1, 7}, {1, 7}, {0, 4}}));
    EXPECT_EQ(tops[1], " The title page: any key starts the game.");
    EXPECT_EQ(tops[2], " abc -more-");
    EXPECT_EQ(tops[3], " -more-: Space or Escape shows the next message. No monsters in sight. Kills: 0");
    EXPECT_EQ(tops[5], " def");
    EXPECT_EQ(headless.keys_read, 6);
    EXPECT_EQ(screen().row_text(0), " def");  // the game's own screen is untouched
    install_terminal(&headless);
    set_shown_language(Language::japanese);
}

TEST(ReaderTerminal, DescriptionsWrapAtSpacesOrBetweenWholeCharacters) {
    using Rows = std::vector<std::string>;
    EXPECT_EQ(wrap_cp932("ab cd ef", 5), (Rows{"ab cd", "ef"}));
    EXPECT_EQ(wrap_cp932("abcdefg", 3), (Rows{"abc", "def", "g"}));
    EXPECT_EQ(wrap_cp932(cp("あいうえお"), 5), (Rows{cp("あい"), cp("うえ"), cp("お")}));
    EXPECT_EQ(wrap_cp932(cp("a東に1歩"), 4), (Rows{cp("a東"), cp("に1"), cp("歩")}));
}

}  // namespace
