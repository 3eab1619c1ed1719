#pragma once
// Fewer bytes for the same cells. Curses sends a colour pair as a
// foreground and a background each time the pair changes, and turns an
// attribute off by a reset followed by everything that stays on. Every cell
// of the game has the same black background, so most of those bytes repeat
// what the terminal already has. The filter reads the bytes curses wrote for
// one refresh, follows the rendition the terminal is in (colours,
// attributes, character sets) and writes each run of rendition sequences as
// the shortest ECMA-48 select-graphic-rendition that reaches the very same
// rendition. Every other byte passes unchanged and in order, so the terminal
// ends up with the same cells as from curses' own bytes.
#include <string>
#include <string_view>

// The rendition is unknown where `bytes` begin, so whatever the first
// sequences set is sent. A sequence the filter does not understand passes as
// it is, and what it may have changed counts as unknown again.
std::string shorten_renditions(std::string_view bytes);

// A refresh of the curses screen whose bytes pass through
// shorten_renditions() on their way to the terminal, on a terminal whose
// colours are ECMA-48 sequences; elsewhere, or when the bytes cannot be
// caught, a plain refresh.
void refresh_with_short_renditions();
