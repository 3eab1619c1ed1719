#include "text/phrases.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "game/random.h"
#include "support/test_support.h"
#include "text/tables.h"

namespace {

// Raw generator values that make pick_random_line choose `entry` from a list
// of `count` entries: a 0 draw at the entry, and 1 (never 0 modulo a bound of
// 2 or more) everywhere else.
std::vector<int> choose(int count, int entry) {
    std::vector<int> values(count, 1);
    values[entry] = 0;
    return values;
}

std::vector<int> concat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<int> bounds_one_to(int n) {
    std::vector<int> bounds;
    for (int i = 1; i <= n; ++i) bounds.push_back(i);
    return bounds;
}

// The two-byte units of a text, sorted, to compare texts up to order.
std::vector<std::string> sorted_units(const std::string& text) {
    std::vector<std::string> units;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) units.push_back(text.substr(i, 2));
    std::sort(units.begin(), units.end());
    return units;
}

// A buffer filled with a marker byte, to see that nothing is written past
// the size an operation is given.
struct GuardedBuffer {
    char bytes[2048];
    GuardedBuffer() { std::memset(bytes, '#', sizeof bytes); }
    void hold(const std::string& text) { std::memcpy(bytes, text.c_str(), text.size() + 1); }
    bool untouched_from(std::size_t offset) const {
        for (std::size_t i = offset; i < sizeof bytes; ++i)
            if (bytes[i] != '#') return false;
        return true;
    }
};

using PickRandomLine = GameTest;

TEST_F(PickRandomLine, DrawsOncePerEntryWithGrowingBounds) {
    char dest[1024] = "";
    random_start_log();
    pick_random_line(dest, sizeof dest, PHRASE_TEMPLATES);
    EXPECT_EQ(random_log(), bounds_one_to(33));
    EXPECT_EQ(random_draw_count(), 33);
}

TEST_F(PickRandomLine, TheLastEntryToDrawZeroIsChosen) {
    const char* const list[] = {"A", "B", "C", "D", nullptr};
    char dest[16] = "";

    random_script({0, 0, 5, 3});  // draws 0, 0, 2, 3
    pick_random_line(dest, sizeof dest, list);
    EXPECT_STREQ(dest, "B");

    random_script({7, 1, 3, 8});  // draws 0, 1, 0, 0
    pick_random_line(dest, sizeof dest, list);
    EXPECT_STREQ(dest, "D");

    random_script({9, 9, 9, 9});  // draws 0, 1, 0, 1
    pick_random_line(dest, sizeof dest, list);
    EXPECT_STREQ(dest, "C");
    EXPECT_EQ(random_draw_count(), 12);
}

TEST_F(PickRandomLine, OneEntryAndEmptyLists) {
    const char* const one[] = {"only", nullptr};
    const char* const empty[] = {nullptr};
    char dest[16] = "before";

    pick_random_line(dest, sizeof dest, empty);
    EXPECT_STREQ(dest, "before");
    EXPECT_EQ(random_draw_count(), 0);

    random_script({12345});
    pick_random_line(dest, sizeof dest, one);
    EXPECT_STREQ(dest, "only");
    EXPECT_EQ(random_draw_count(), 1);
}

TEST_F(PickRandomLine, AnEntryTooLongIsCutToWholeCharactersInTheBuffer) {
    const std::string name = cp("ネズミ");
    const char* const list[] = {name.c_str(), nullptr};
    GuardedBuffer buffer;
    // Six bytes hold five bytes of text: the third character would be split,
    // so only the first two are kept.
    pick_random_line(buffer.bytes, 6, list);
    EXPECT_EQ(std::string(buffer.bytes), cp("ネズ"));
    EXPECT_TRUE(buffer.untouched_from(6));
}

using ReplaceToken = GameTest;

TEST_F(ReplaceToken, ATextWithoutTheTokenIsLeftAlone) {
    char text[64];
    std::strcpy(text, cp("お前はシラミ").c_str());
    EXPECT_EQ(replace_token(text, sizeof text, "[MON]", cp("ネズミ").c_str()), 0);
    EXPECT_EQ(std::string(text), cp("お前はシラミ"));
}

TEST_F(ReplaceToken, ReplacesEveryOccurrence) {
    char text[64];
    std::strcpy(text, cp("お前は[MON]").c_str());
    EXPECT_EQ(replace_token(text, sizeof text, "[MON]", cp("ネズミ").c_str()), 1);
    EXPECT_EQ(std::string(text), cp("お前はネズミ"));

    std::strcpy(text, "[DESC]x[DESC]y");
    EXPECT_EQ(replace_token(text, sizeof text, "[DESC]", "long words"), 1);
    EXPECT_STREQ(text, "long wordsxlong wordsy");

    // A replacement shorter than the token: the search goes on right behind
    // it and still finds the next token.
    std::strcpy(text, "[MON][MON]x[MON]");
    EXPECT_EQ(replace_token(text, sizeof text, "[MON]", ""), 1);
    EXPECT_STREQ(text, "x");
}

TEST_F(ReplaceToken, AReplacementHoldingTheTokenIsNotExpandedAgain) {
    char text[64] = "[MON][MON]";
    EXPECT_EQ(replace_token(text, sizeof text, "[MON]", "X[MON]"), 1);
    EXPECT_STREQ(text, "X[MON]X[MON]");
}

TEST_F(ReplaceToken, AGrownTextIsCutShortAtTheBufferSize) {
    GuardedBuffer buffer;
    buffer.hold(cp("お前は[MON]"));
    // Eleven bytes of text fit in twelve; ミ would be split there.
    EXPECT_EQ(replace_token(buffer.bytes, 12, "[MON]", cp("ネズミ").c_str()), 1);
    EXPECT_EQ(std::string(buffer.bytes), cp("お前はネズ"));
    EXPECT_TRUE(buffer.untouched_from(12));

    GuardedBuffer repeated;
    repeated.hold("[MON][MON][MON]");
    EXPECT_EQ(replace_token(repeated.bytes, 16, "[MON]", "ABCDEFGH"), 1);
    EXPECT_STREQ(repeated.bytes, "ABCDEFGHABCDEFG");
    EXPECT_TRUE(repeated.untouched_from(16));
}

using MakeScrollPhrase = GameTest;

TEST_F(MakeScrollPhrase, DrawsTemplateNameAndDescriptorEveryTime) {
    char dest[1024];
    random_start_log();
    make_scroll_phrase(dest, sizeof dest);
    EXPECT_EQ(random_draw_count(), 79);
    EXPECT_EQ(random_log(), concat({bounds_one_to(33), bounds_one_to(27), bounds_one_to(19)}));
}

TEST_F(MakeScrollPhrase, FillsTheTokenOfTheChosenTemplate) {
    char dest[1024];

    random_script(concat({choose(33, 26), choose(27, 20), choose(19, 0)}));
    make_scroll_phrase(dest, sizeof dest);
    EXPECT_EQ(std::string(dest), cp("出た！豚出たな！"));

    // The longest phrase: the descriptor template with an 18-byte descriptor.
    random_script(concat({choose(33, 21), choose(27, 3), choose(19, 4)}));
    make_scroll_phrase(dest, sizeof dest);
    EXPECT_EQ(std::string(dest), cp("まえげり　貧弱なる　まえげり　最後から最後までののような"));
    EXPECT_EQ(std::strlen(dest), 56u);

    random_script(concat({choose(33, 2), choose(27, 5), choose(19, 6)}));
    make_scroll_phrase(dest, sizeof dest);
    EXPECT_EQ(std::string(dest), PHRASE_TEMPLATES[2]);

    EXPECT_EQ(random_draw_count(), 3 * 79);
    EXPECT_EQ(random_script_left(), 0);
}

TEST_F(MakeScrollPhrase, StaysInsideASmallBuffer) {
    GuardedBuffer buffer;
    random_script(concat({choose(33, 31), choose(27, 25), choose(19, 0)}));
    make_scroll_phrase(buffer.bytes, 10);
    EXPECT_EQ(std::string(buffer.bytes), cp("混沌の奇"));
    EXPECT_TRUE(buffer.untouched_from(10));
    EXPECT_EQ(random_draw_count(), 79);
}

using KanjiSyaffuru = GameTest;

TEST_F(KanjiSyaffuru, SwapsEachPositionWithADrawOverAllUnits) {
    // perm goes 0 1 2, then 2 1 0, then 1 2 0, then 1 0 2.
    char text[16];
    std::strcpy(text, cp("あいう").c_str());
    random_start_log();
    random_script({2, 0, 1});
    kanji_syaffuru(text);
    EXPECT_EQ(std::string(text), cp("いあう"));
    EXPECT_EQ(random_log(), (std::vector<int>{3, 3, 3}));
}

TEST_F(KanjiSyaffuru, ShortTextsDrawOncePerUnit) {
    char text[16];
    std::strcpy(text, cp("豚").c_str());
    random_script({5});
    kanji_syaffuru(text);
    EXPECT_EQ(std::string(text), cp("豚"));
    EXPECT_EQ(random_draw_count(), 1);

    text[0] = '\0';
    kanji_syaffuru(text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(random_draw_count(), 1);
}

TEST_F(KanjiSyaffuru, RefusesAnOddLengthTextWithoutDrawing) {
    char text[16];
    std::strcpy(text, cp("お前は[MON]").c_str());
    const std::string before = text;
    testing::internal::CaptureStderr();
    kanji_syaffuru(text);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "err. in kanji_syaffuru().\n");
    EXPECT_EQ(std::string(text), before);
    EXPECT_EQ(random_draw_count(), 0);
}

TEST_F(KanjiSyaffuru, ShufflesOnlyTheFirstHundredUnitsOfALongText) {
    std::string first_hundred;
    for (int i = 0; i < 20; ++i) first_hundred += cp("あいうえお");
    const std::string text_in = first_hundred + cp("かきくけこ");
    ASSERT_EQ(text_in.size(), 210u);

    // Each position swapped with itself leaves the units in order.
    std::vector<int> in_place;
    for (int p = 0; p < 100; ++p) in_place.push_back(p);
    char text[256];
    std::strcpy(text, text_in.c_str());
    random_start_log();
    random_script(in_place);
    kanji_syaffuru(text);
    EXPECT_EQ(std::string(text), first_hundred);
    EXPECT_EQ(random_log(), std::vector<int>(100, 100));

    // With generator draws the result is still a rearrangement of those units.
    std::strcpy(text, text_in.c_str());
    kanji_syaffuru(text);
    EXPECT_EQ(sorted_units(text), sorted_units(first_hundred));
    EXPECT_EQ(random_draw_count(), 200);
}

using MakeArchmageShout = GameTest;

TEST_F(MakeArchmageShout, ShuffledWordInBracketsAfterTheArchmagesName) {
    char dest[300];
    // じゅんれつとし with perm ending 2 5 4 6 1 0 3.
    random_script(concat({choose(10, 2), {3, 10, 0, 6, 2, 1, 4}}));
    make_archmage_shout(dest, sizeof dest);
    EXPECT_EQ(std::string(dest), cp("大魔法使い「んとつしゅじれ」"));
    EXPECT_EQ(random_draw_count(), 17);
}

TEST_F(MakeArchmageShout, DrawsTenForTheWordAndOnePerCharacter) {
    char dest[300];
    random_start_log();
    random_script(choose(10, 4));
    make_archmage_shout(dest, sizeof dest);
    EXPECT_EQ(random_draw_count(), 16);
    EXPECT_EQ(random_log(), concat({bounds_one_to(10), std::vector<int>(6, 6)}));
}

TEST_F(MakeArchmageShout, EveryWordComesOutWholeAndRearranged) {
    const std::string name_open = cp("大魔法使い「");
    const std::string close = cp("」");
    for (int entry = 0; entry < 10; ++entry) {
        char dest[300];
        random_script(choose(10, entry));
        make_archmage_shout(dest, sizeof dest);
        const std::string shout = dest;
        const std::string word = MAGIC_WORDS[entry];
        ASSERT_EQ(shout.size(), word.size() + 14) << entry;
        EXPECT_EQ(shout.substr(0, name_open.size()), name_open) << entry;
        EXPECT_EQ(shout.substr(shout.size() - close.size()), close) << entry;
        EXPECT_EQ(sorted_units(shout.substr(name_open.size(), word.size())), sorted_units(word)) << entry;
    }
}

TEST_F(MakeArchmageShout, IsCutToWholeCharactersInASmallBuffer) {
    GuardedBuffer buffer;
    make_archmage_shout(buffer.bytes, 10);
    EXPECT_EQ(std::string(buffer.bytes), cp("大魔法使"));
    EXPECT_TRUE(buffer.untouched_from(10));
    EXPECT_GE(random_draw_count(), 16);
}

}  // namespace
