// The describe key's text over the screen: cut into rows at spaces, or
// between whole characters, never through one.
#include "programs/reader_terminal.h"

#include "support/test_support.h"

namespace {

TEST(ReaderTerminal, DescriptionsWrapAtSpacesOrBetweenWholeCharacters) {
    using Rows = std::vector<std::string>;
    EXPECT_EQ(wrap_cp932("ab cd ef", 5), (Rows{"ab cd", "ef"}));
    EXPECT_EQ(wrap_cp932("abcdefg", 3), (Rows{"abc", "def", "g"}));
    EXPECT_EQ(wrap_cp932(cp("a東に1歩"), 4), (Rows{cp("a東"), cp("に1"), cp("歩")}));
}

}  // namespace
