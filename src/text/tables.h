#pragma once
// The story and the vocabulary of the random phrases, as CP932 texts.
// Each list ends with a null entry; no count is stored.

using TextList = const char* const*;

extern const TextList KILL_STORY;        // 77 lines, one per kill
extern const TextList CREATURE_NAMES;    // 27 names for "[MON]"
extern const TextList DESCRIPTORS;       // 19 descriptors for "[DESC]"
extern const TextList PHRASE_TEMPLATES;  // 33 phrases
extern const TextList MAGIC_WORDS;       // 10 words, hiragana only

// Entries before the null entry.
int text_list_length(TextList list);
