#include "text/phrases.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/random.h"
#include "text/encoding.h"
#include "text/game_texts.h"
#include "text/language.h"

namespace {

// A text cut short by a buffer may end in the first byte of a two-byte
// character; drop that byte so the text ends on a whole character.
void drop_split_character(char* text) { text[whole_characters_length(text, SIZE_MAX)] = '\0'; }

// Appends src to the text in dest (a buffer of `size` bytes holding
// `length` bytes and a terminator), as much as fits; returns the new length.
std::size_t append_bounded(char* dest, std::size_t size, std::size_t length, const char* src) {
    std::size_t room = size - 1 - length;
    std::size_t count = std::strlen(src);
    if (count > room) count = room;
    std::memcpy(dest + length, src, count);
    dest[length + count] = '\0';
    return length + count;
}

// Copies src into dest, cut short to fit `size` bytes with its terminator.
void copy_bounded(char* dest, std::size_t size, const char* src) {
    if (size == 0) return;
    dest[0] = '\0';
    append_bounded(dest, size, 0, src);
    drop_split_character(dest);
}

// The size of the buffer that holds the rest of a text after a token.
constexpr std::size_t TAIL_SIZE = 1024;
// Units shuffled at most by kanji_syaffuru, and the size of its result.
constexpr int MAX_UNITS = 100;
constexpr std::size_t SHUFFLE_RESULT_SIZE = 1024;
// The buffers make_scroll_phrase and make_archmage_shout pick into.
constexpr std::size_t FILLER_SIZE = 1024;
constexpr std::size_t WORD_SIZE = 200;

}  // namespace

int pick_random_index(TextList table) {
    // Reservoir choice: entry i replaces the choice so far with chance
    // 1 / (i + 1), which leaves every entry equally likely. Each entry costs
    // one draw, the first one included.
    int chosen = -1;
    for (int i = 0; table[i] != nullptr; ++i) {
        if (random_below(i + 1) == 0) chosen = i;
    }
    return chosen;
}

void pick_random_line(char* dest, std::size_t size, TextList table) {
    int chosen = pick_random_index(table);
    if (chosen >= 0) copy_bounded(dest, size, table[chosen]);
}

int replace_token(char* text, std::size_t size, const char* token, const char* replacement) {
    if (size == 0) return 0;
    std::size_t token_length = std::strlen(token);
    if (token_length == 0) return 0;  // an empty token would match forever
    std::size_t replacement_length = std::strlen(replacement);

    char* found = std::strstr(text, token);
    if (found == nullptr) return 0;
    char tail[TAIL_SIZE];
    while (found != nullptr) {
        copy_bounded(tail, sizeof tail, found + token_length);
        *found = '\0';
        std::size_t length = static_cast<std::size_t>(found - text);
        length = append_bounded(text, size, length, replacement);
        append_bounded(text, size, length, tail);
        drop_split_character(text);
        // Search on behind the inserted text, so a replacement holding the
        // token is not expanded again. A text cut short may end before that.
        std::size_t end = std::strlen(text);
        std::size_t resume = static_cast<std::size_t>(found - text) + replacement_length;
        if (resume > end) resume = end;
        found = std::strstr(text + resume, token);
    }
    return 1;
}

void make_scroll_phrase(char* dest, std::size_t size) {
    // The name and the descriptor are drawn whatever the phrase is, so every
    // phrase costs the same 79 draws. The choices are made over the Japanese
    // lists and shown from the lists of the shown language, entry for entry.
    char name[FILLER_SIZE] = "";
    char descriptor[FILLER_SIZE] = "";
    int phrase = pick_random_index(PHRASE_TEMPLATES);
    int creature = pick_random_index(CREATURE_NAMES);
    int looks = pick_random_index(DESCRIPTORS);
    if (phrase >= 0) copy_bounded(dest, size, shown_list(PHRASE_TEMPLATES)[phrase]);
    if (creature >= 0) copy_bounded(name, sizeof name, shown_list(CREATURE_NAMES)[creature]);
    if (looks >= 0) copy_bounded(descriptor, sizeof descriptor, shown_list(DESCRIPTORS)[looks]);
    replace_token(dest, size, "[MON]", name);
    replace_token(dest, size, "[DESC]", descriptor);
}

void kanji_syaffuru(char* text) {
    std::size_t length = std::strlen(text);
    if (length % 2 != 0) {
        std::fputs("err. in kanji_syaffuru().\n", stderr);
        return;
    }
    int units = static_cast<int>(length / 2 < MAX_UNITS ? length / 2 : MAX_UNITS);
    if (units == 0) return;

    int perm[MAX_UNITS];
    for (int k = 0; k < units; ++k) perm[k] = k;
    // Every swap draws over all the units, not just those not yet placed.
    for (int p = 0; p < units; ++p) {
        int r = random_below(units);
        int held = perm[p];
        perm[p] = perm[r];
        perm[r] = held;
    }

    char result[SHUFFLE_RESULT_SIZE];
    for (int p = 0; p < units; ++p) std::memcpy(result + 2 * p, text + 2 * perm[p], 2);
    result[2 * units] = '\0';
    std::memcpy(text, result, 2 * static_cast<std::size_t>(units) + 1);
}

void make_archmage_shout(char* dest, std::size_t size) {
    static const std::string format = "%s" + to_cp932("「") + "%s" + to_cp932("」");
    char word[WORD_SIZE] = "";
    pick_random_line(word, sizeof word, MAGIC_WORDS);
    kanji_syaffuru(word);
    if (size == 0) return;
    if (shown_language() == Language::english) {
        // The same shuffle, read out in romaji.
        char spoken[WORD_SIZE];
        show_shuffled_word(spoken, sizeof spoken, word);
        std::snprintf(dest, size, "The archmage: \"%s!\"", spoken);
        return;
    }
    std::snprintf(dest, size, format.c_str(), sjis("大魔法使い"), word);
    drop_split_character(dest);
}
