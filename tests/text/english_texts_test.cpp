// The English edition against the Japanese one: every table entry for entry,
// every message, the romaji of the shuffled words, and the same draws.
#include <cstring>
#include <string>
#include <vector>

#include "game/random.h"
#include "support/test_support.h"
#include "text/game_texts.h"
#include "text/language.h"
#include "text/phrases.h"
#include "text/romaji.h"
#include "text/tables.h"

namespace {

// What fits on the message row from column 1 with "-more-" after it.
constexpr std::size_t MESSAGE_ROOM = 72;

int occurrences(const std::string& text, const std::string& token) {
    int count = 0;
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + 1)) ++count;
    return count;
}

::testing::AssertionResult shown_ascii_within(const std::string& text, std::size_t room) {
    for (char c : text)
        if (c < ' ' || c > '~') return ::testing::AssertionFailure() << "not plain ASCII: \"" << text << "\"";
    if (text.empty() || text.size() > room)
        return ::testing::AssertionFailure() << text.size() << " columns: \"" << text << "\"";
    return ::testing::AssertionSuccess();
}

std::string replaced(std::string text, const std::string& token, const std::string& by) {
    std::size_t at = text.find(token);
    return at == std::string::npos ? text : text.replace(at, token.size(), by);
}

using EnglishTexts = GameTest;

TEST_F(EnglishTexts, EveryTableMatchesItsJapaneseEntryForEntryAndFitsTheMessageRow) {
    const TextList lists[] = {KILL_STORY, CREATURE_NAMES, DESCRIPTORS, PHRASE_TEMPLATES, MAGIC_WORDS};
    for (TextList japanese : lists) {
        TextList english = english_list(japanese);
        ASSERT_NE(english, nullptr);
        ASSERT_EQ(text_list_length(english), text_list_length(japanese));
        for (int i = 0; japanese[i] != nullptr; ++i) {
            EXPECT_TRUE(shown_ascii_within(english[i], MESSAGE_ROOM)) << i;
            for (const char* token : {"[MON]", "[DESC]"})
                EXPECT_EQ(occurrences(english[i], token), occurrences(japanese[i], token)) << english[i];
        }
    }
    EXPECT_EQ(english_list(KILL_STORY_ENGLISH), nullptr);

    // Every phrase with every name and descriptor it can get.
    for (int t = 0; PHRASE_TEMPLATES_ENGLISH[t] != nullptr; ++t)
        for (TextList fillers : {CREATURE_NAMES_ENGLISH, DESCRIPTORS_ENGLISH})
            for (int f = 0; fillers[f] != nullptr; ++f) {
                std::string phrase = replaced(PHRASE_TEMPLATES_ENGLISH[t], "[MON]", fillers[f]);
                phrase = replaced(phrase, "[DESC]", fillers[f]);
                EXPECT_TRUE(shown_ascii_within(phrase, MESSAGE_ROOM));
            }

    // The English magic words are the romaji the shouts are made of.
    for (int i = 0; MAGIC_WORDS[i] != nullptr; ++i) EXPECT_EQ(romaji_of(MAGIC_WORDS[i]), MAGIC_WORDS_ENGLISH[i]);
    EXPECT_EQ(romaji_of(intro_word()), "junretsutoshi");

    for (int k = 0; k < GAME_TEXT_COUNT; ++k) {
        auto text = static_cast<GameText>(k);
        EXPECT_TRUE(shown_ascii_within(english_text(text), MESSAGE_ROOM)) << k;
        EXPECT_NE(std::strcmp(japanese_text(text), english_text(text)), 0) << k;
        EXPECT_EQ(std::strchr(japanese_text(text), '?'), nullptr) << k;  // every character in CP932
    }
    set_shown_language(Language::english);
    EXPECT_STREQ(shown_text(GameText::victory), "Victory!");
    EXPECT_EQ(shown_list(DESCRIPTORS), DESCRIPTORS_ENGLISH);
    set_shown_language(Language::japanese);
    EXPECT_EQ(shown_text(GameText::victory), japanese_text(GameText::victory));
    EXPECT_EQ(shown_list(DESCRIPTORS), DESCRIPTORS);
}

TEST_F(EnglishTexts, ShuffledKanaReadAsPronounceableRomaji) {
    EXPECT_EQ(romaji_of(cp("ゅじんれつとし").c_str()), "yujinretsutoshi");
    EXPECT_EQ(romaji_of(cp("しゅっぱつ").c_str()), "shuppatsu");
    EXPECT_EQ(romaji_of(cp("きゃっち").c_str()), "kyatchi");
    EXPECT_EQ(romaji_of(cp("しっ").c_str()), "shitsu");
    EXPECT_EQ(romaji_of(cp("ぎぃっゅふっきょっしゃ").c_str()), "giitsuyufukkyossha");  // never "yy"
    EXPECT_EQ(romaji_of(cp("っや").c_str()), "tsuya");
    EXPECT_EQ(romaji_of(cp("っん").c_str()), "tsun");
    EXPECT_EQ(romaji_of(cp("ふぃうぉしぇ").c_str()), "fiwoshe");
    EXPECT_EQ(romaji_of(cp("ぃふゃ").c_str()), "ifuya");
    EXPECT_EQ(romaji_of(cp("んや").c_str()), "n'ya");
    EXPECT_EQ(romaji_of(cp("んう").c_str()), "n'u");
    EXPECT_EQ(romaji_of(cp("かア").c_str()), "ka?");
    EXPECT_EQ(romaji_of("\x82\xa0\x82"), "a?");  // half a unit at the end
}

TEST_F(EnglishTexts, PhrasesAndShoutsMakeTheSameDrawsAndShowTheSameChoice) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        random_reset_controls();
        random_seed(seed);
        int t = pick_random_index(PHRASE_TEMPLATES);
        int n = pick_random_index(CREATURE_NAMES);
        int d = pick_random_index(DESCRIPTORS);
        std::string expected = replaced(PHRASE_TEMPLATES_ENGLISH[t], "[MON]", CREATURE_NAMES_ENGLISH[n]);
        expected = replaced(expected, "[DESC]", DESCRIPTORS_ENGLISH[d]);

        char japanese[1024];
        char english[1024];
        random_seed(seed);
        make_scroll_phrase(japanese, sizeof japanese);
        long draws = random_draw_count();
        set_shown_language(Language::english);
        random_seed(seed);
        make_scroll_phrase(english, sizeof english);
        EXPECT_EQ(random_draw_count() - draws, draws / 2);  // 79 each time
        EXPECT_EQ(english, expected);

        // The shout shuffles the Japanese word and reads the shuffle out.
        char word[200];
        random_seed(seed);
        pick_random_line(word, sizeof word, MAGIC_WORDS);
        kanji_syaffuru(word);
        std::string spoken = romaji_of(word);
        spoken[0] = static_cast<char>(spoken[0] - 'a' + 'A');
        random_seed(seed);
        long before = random_draw_count();
        make_archmage_shout(english, sizeof english);
        long english_draws = random_draw_count() - before;
        set_shown_language(Language::japanese);
        random_seed(seed);
        before = random_draw_count();
        make_archmage_shout(japanese, sizeof japanese);
        EXPECT_EQ(random_draw_count() - before, english_draws);
        EXPECT_EQ(english, "The archmage: \"" + spoken + "!\"");
        EXPECT_TRUE(shown_ascii_within(english, MESSAGE_ROOM));
        EXPECT_EQ(spoken.find('?'), std::string::npos) << english;
    }
}

}  // namespace
