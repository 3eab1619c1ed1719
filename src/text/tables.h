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

// The same lists in English, entry for entry, in plain ASCII. The English
// magic words are the romaji of the Japanese ones.
extern const TextList KILL_STORY_ENGLISH;
extern const TextList CREATURE_NAMES_ENGLISH;
extern const TextList DESCRIPTORS_ENGLISH;
extern const TextList PHRASE_TEMPLATES_ENGLISH;
extern const TextList MAGIC_WORDS_ENGLISH;

// The English list of a Japanese one (null for any other list).
TextList english_list(TextList japanese);
// The list of the shown language that stands for a Japanese one.
TextList shown_list(TextList japanese);
