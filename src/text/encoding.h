#pragma once
// The game's texts are written in UTF-8 in the source and held as CP932
// (Shift-JIS) bytes, where a Japanese character is two bytes and two columns.
#include <string>
#include <string_view>

// Converts UTF-8 to CP932. A character CP932 lacks becomes "?" (one per
// source character). Each build brings its own: iconv in the terminal build
// (text/iconv/), generated tables in the browser's.
std::string to_cp932(std::string_view utf8);
// The CP932 form of a UTF-8 text, converted once and kept for the whole run.
const char* sjis(const char* utf8);
// True for a byte that starts a double-byte CP932 character.
bool is_cp932_lead_byte(unsigned char byte);
// True for a byte that can end a double-byte CP932 character.
bool is_cp932_trail_byte(unsigned char byte);
// The walk every terminal makes along a row of CP932 bytes: true when
// `first` and `second` together are one double-byte character (two cells),
// false when `first` stands alone in its cell.
bool starts_cp932_pair(unsigned char first, unsigned char second);
