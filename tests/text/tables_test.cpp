#include "text/tables.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/encoding.h"

namespace {

struct NamedList {
    const char* name;
    TextList list;
};

std::vector<NamedList> all_lists() {
    return {{"KILL_STORY", KILL_STORY},
            {"CREATURE_NAMES", CREATURE_NAMES},
            {"DESCRIPTORS", DESCRIPTORS},
            {"PHRASE_TEMPLATES", PHRASE_TEMPLATES},
            {"MAGIC_WORDS", MAGIC_WORDS}};
}

std::vector<int> odd_length_entries(TextList list) {
    std::vector<int> odd;
    for (int i = 0; list[i] != nullptr; ++i)
        if (std::strlen(list[i]) % 2 != 0) odd.push_back(i);
    return odd;
}

std::size_t longest(TextList list) {
    std::size_t most = 0;
    for (int i = 0; list[i] != nullptr; ++i) most = std::max(most, std::strlen(list[i]));
    return most;
}

int single_byte_characters(const char* text) {
    int count = 0;
    for (std::size_t i = 0; text[i] != '\0';) {
        if (is_cp932_lead_byte(static_cast<unsigned char>(text[i]))) {
            i += 2;
        } else {
            ++count;
            ++i;
        }
    }
    return count;
}

std::vector<int> entries_containing(TextList list, const char* token) {
    std::vector<int> found;
    for (int i = 0; list[i] != nullptr; ++i)
        if (std::strstr(list[i], token) != nullptr) found.push_back(i);
    return found;
}

using TextTables = GameTest;

TEST_F(TextTables, EachListHasItsNumberOfEntriesBeforeTheNullEntry) {
    EXPECT_EQ(text_list_length(KILL_STORY), 77);
    EXPECT_EQ(text_list_length(CREATURE_NAMES), 27);
    EXPECT_EQ(text_list_length(DESCRIPTORS), 19);
    EXPECT_EQ(text_list_length(PHRASE_TEMPLATES), 33);
    EXPECT_EQ(text_list_length(MAGIC_WORDS), 10);
}

TEST_F(TextTables, TextsAreHeldAsCp932Bytes) {
    EXPECT_EQ(std::strlen(KILL_STORY[21]), 20u);
    EXPECT_EQ(std::strlen(PHRASE_TEMPLATES[4]), 11u);

    EXPECT_EQ(KILL_STORY[0], cp("罠があった"));
    EXPECT_EQ(KILL_STORY[21], cp("ほんの12年前だそうだ"));
    EXPECT_EQ(KILL_STORY[27], cp("自動巻き端末でのNetHackは34回昇天したのだった（少ない）"));
    EXPECT_EQ(KILL_STORY[76], cp("“ヤツ”をブッ転ばす魔法を使わなくては！"));
    EXPECT_EQ(CREATURE_NAMES[12], cp("ガホァピン"));
    EXPECT_EQ(DESCRIPTORS[13], cp("断頭台の鈍い光の"));
    EXPECT_EQ(PHRASE_TEMPLATES[1], cp("ヴェルモント・Ｋ・Ｒ・ダスキンフォード"));
    EXPECT_EQ(PHRASE_TEMPLATES[32], cp("'a'または'z'で攻撃ができるぞ！"));
    EXPECT_EQ(MAGIC_WORDS[2], cp("じゅんれつとし"));

    // The bar of line 50 is U+2015, whose CP932 form is 81 5C; the spaces are
    // full-width, 81 40.
    EXPECT_EQ(KILL_STORY[50], cp("私は――この　私の幽体クローン体は"));
    EXPECT_NE(std::string(KILL_STORY[50]).find("\x81\x5c\x81\x5c"), std::string::npos);
    EXPECT_EQ(KILL_STORY[22], cp("端末といっても　どこにも接続されていないが……"));
    EXPECT_NE(std::string(KILL_STORY[22]).find("\x81\x40"), std::string::npos);
}

TEST_F(TextTables, EveryCharacterHasACp932Form) {
    // A character without a CP932 form would come out as '?', a byte that
    // never occurs inside a two-byte character. No text contains a half-width
    // space either: the spaces are full-width.
    for (const NamedList& named : all_lists())
        for (int i = 0; named.list[i] != nullptr; ++i) {
            EXPECT_EQ(std::strchr(named.list[i], '?'), nullptr) << named.name << " " << i;
            EXPECT_EQ(std::strchr(named.list[i], ' '), nullptr) << named.name << " " << i;
        }
}

TEST_F(TextTables, SingleByteCharactersOnlyWhereTheTextsHaveDigitsLettersOrTokens) {
    const std::vector<int> story_with_ascii = {21, 27, 31, 52, 53};
    const std::vector<int> templates_with_ascii = {4, 9, 21, 26, 30, 31, 32};
    auto listed = [](const std::vector<int>& indexes, int i) {
        return std::find(indexes.begin(), indexes.end(), i) != indexes.end();
    };
    for (int i = 0; KILL_STORY[i] != nullptr; ++i)
        EXPECT_EQ(single_byte_characters(KILL_STORY[i]) > 0, listed(story_with_ascii, i)) << i;
    for (int i = 0; PHRASE_TEMPLATES[i] != nullptr; ++i)
        EXPECT_EQ(single_byte_characters(PHRASE_TEMPLATES[i]) > 0, listed(templates_with_ascii, i)) << i;
    for (TextList list : {CREATURE_NAMES, DESCRIPTORS, MAGIC_WORDS})
        for (int i = 0; list[i] != nullptr; ++i) EXPECT_EQ(single_byte_characters(list[i]), 0);
}

TEST_F(TextTables, OddLengthsAndLongestEntries) {
    EXPECT_EQ(odd_length_entries(KILL_STORY), (std::vector<int>{27, 31}));
    EXPECT_EQ(odd_length_entries(PHRASE_TEMPLATES), (std::vector<int>{4, 9, 26, 31}));
    EXPECT_TRUE(odd_length_entries(CREATURE_NAMES).empty());
    EXPECT_TRUE(odd_length_entries(DESCRIPTORS).empty());

    EXPECT_EQ(longest(KILL_STORY), 58u);
    EXPECT_EQ(longest(CREATURE_NAMES), 18u);
    EXPECT_EQ(longest(DESCRIPTORS), 18u);
    EXPECT_EQ(longest(PHRASE_TEMPLATES), 48u);
    EXPECT_EQ(longest(MAGIC_WORDS), 26u);
}

TEST_F(TextTables, MagicWordsAreWholeTwoByteCharactersOfTheirListedLengths) {
    const std::size_t lengths[] = {20, 22, 14, 14, 12, 24, 26, 16, 18, 20};
    ASSERT_EQ(text_list_length(MAGIC_WORDS), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::strlen(MAGIC_WORDS[i]), lengths[i]) << i;
        EXPECT_EQ(std::strlen(MAGIC_WORDS[i]) % 2, 0u) << i;
    }
}

TEST_F(TextTables, TokensStandOnlyInTheirTemplates) {
    EXPECT_EQ(entries_containing(PHRASE_TEMPLATES, "[MON]"), (std::vector<int>{4, 9, 26, 31}));
    EXPECT_EQ(entries_containing(PHRASE_TEMPLATES, "[DESC]"), (std::vector<int>{21, 30}));
    for (TextList list : {KILL_STORY, CREATURE_NAMES, DESCRIPTORS, MAGIC_WORDS}) {
        EXPECT_TRUE(entries_containing(list, "[MON]").empty());
        EXPECT_TRUE(entries_containing(list, "[DESC]").empty());
    }
}

}  // namespace
