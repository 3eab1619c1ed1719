#pragma once
// How wide the terminal draws the East Asian "ambiguous" characters of the
// game's texts (― “ ” …): one column in most Western setups, two in many
// Japanese ones (Tera Term, mintty, and the ambiguous-wide setting of
// several others). The locale cannot tell; the terminal can.
//
// Asks once, at start-up, with the terminal in raw mode: draws "―" at the
// start of the row, asks where the cursor is (ESC [ 6 n) and for the
// terminal's attributes (ESC [ c), which nearly every terminal answers, so
// the wait ends as soon as the answers are in. A terminal that answers
// neither costs one short timeout, and counts as narrow.
#include <string_view>

// True when the terminal on `input_fd`/`output_fd` drew the probe two
// columns wide. Leaves the character on screen: the caller repaints.
bool ambiguous_characters_wide(int input_fd, int output_fd);

// From the bytes the terminal answered: the column (1-based) of the last
// cursor position report, or 0 when there is none.
int reported_column(std::string_view answer);
