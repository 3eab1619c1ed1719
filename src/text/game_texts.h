#pragma once
// The fixed messages of play and the ending's story lines, each in Japanese
// (CP932) and in English (plain ASCII). The game posts the one of the shown
// language; which message comes, and when, never depends on the language.
#include <cstddef>

enum class GameText {
    intro_waking,
    intro_dream_goes_on,
    intro_asleep_in_a_dream,
    intro_mic_test,
    intro_started_already,
    intro_bad_dream,
    attack_prompt,
    attack_missed,
    caught_in_fire,
    mocking_voice,
    archmage_fled,
    fire_spell,
    short_laugh,
    long_laugh,
    archmage_strike,
    melee_blow,
    good_shot,
    ranged_blow,
    defeat_burned,
    defeat_groan,
    defeat_slain,
    victory,
    ending_set_free,
    ending_this_turn,
    ending_thanks,
    count
};

constexpr int GAME_TEXT_COUNT = static_cast<int>(GameText::count);

const char* japanese_text(GameText text);  // CP932
const char* english_text(GameText text);   // ASCII
// The text in the shown language.
const char* shown_text(GameText text);

// The word the intro shuffles, in CP932: its units are shuffled as they are
// in Japanese, whatever the language.
const char* intro_word();
// A shuffled hiragana word as it is shown: the word itself in Japanese, its
// romaji in English (first letter capitalised), cut to `size` bytes.
void show_shuffled_word(char* dest, std::size_t size, const char* shuffled_cp932);
