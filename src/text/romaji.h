#pragma once
// Hiragana in romaji, so that a shuffled magic word stays pronounceable in
// the English texts.
#include <string>

// The romaji of a CP932 text of hiragana, read unit by unit as the shuffle
// left it: a small ya, yu or yo joins the i-kana before it (kya, sha), a
// small vowel the kana before it (fi, wo, she), a small tsu doubles the next
// consonant, and "n'" parts a syllabic n from a vowel or y after it. A small
// kana with nothing to join is read on its own; a unit that is no hiragana
// becomes "?".
std::string romaji_of(const char* cp932);
