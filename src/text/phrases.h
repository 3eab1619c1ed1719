#pragma once
// Random phrases and shuffled magic words built from the text tables. Every
// operation writes into a buffer of the caller's and never past its size.
#include <cstddef>

#include "text/tables.h"

// Copies one entry of `table`, chosen uniformly, into dest (one draw per
// entry). An empty list draws nothing and leaves dest as it was.
void pick_random_line(char* dest, std::size_t size, TextList table);
// The same reservoir choice, giving the index chosen (-1 for an empty list).
int pick_random_index(TextList table);
// Replaces every `token` in text by `replacement`, in place; returns 1 if it
// replaced any, else 0. The text is cut short rather than grow past `size`.
int replace_token(char* text, std::size_t size, const char* token, const char* replacement);
// A random phrase for a scroll or a kill (79 draws), in the shown language.
void make_scroll_phrase(char* dest, std::size_t size);
// Shuffles the two-byte units of text in place (one draw per unit, at most
// 100 units). An odd-length text is refused with a line on standard error.
void kanji_syaffuru(char* text);
// The archmage's shout: its name and a shuffled magic word in brackets (in
// English, the romaji of the shuffled word in quotes).
void make_archmage_shout(char* dest, std::size_t size);
