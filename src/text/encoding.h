#pragma once
// The game's texts are written in UTF-8 in the source and held as CP932
// (Shift-JIS) bytes, where a Japanese character is two bytes and two columns.
// The conversions both ways are this folder's: each build brings its own
// (iconv in the terminal build, text/iconv/; tables generated from the build
// machine's iconv in the browser's, text/table/), with one contract.
#include <cstddef>
#include <string>
#include <string_view>

// Converts UTF-8 to CP932. A character CP932 lacks becomes "?" (one per
// source character).
std::string to_cp932(std::string_view utf8);
// Converts CP932 to UTF-8, as the terminal shows it: a byte or pair that
// stands for no character becomes "?".
std::string cp932_to_utf8(std::string_view cp932);
// The CP932 form of a UTF-8 text, converted once and kept for the whole run.
const char* sjis(const char* utf8);
// The Unicode character of a single CP932 byte, or of a double-byte
// character; 0 when it is none.
char32_t cp932_byte_to_unicode(unsigned char byte);
char32_t cp932_pair_to_unicode(unsigned char lead, unsigned char trail);
// Whether this build can convert both ways. When it cannot, `missing` names
// the conversion it lacks ("UTF-8 to CP932") and errno says why.
bool cp932_conversions_ready(std::string& missing);

// Appends the UTF-8 form of a Unicode character of the BMP (every
// character CP932 has).
void append_utf8(std::string& out, char32_t code);
// True for a byte that starts a double-byte CP932 character.
bool is_cp932_lead_byte(unsigned char byte);
// The walk every terminal makes along a row of CP932 bytes: true when
// `first` and `second` together are one double-byte character (two cells),
// false when `first` stands alone in its cell.
bool starts_cp932_pair(unsigned char first, unsigned char second);
// The length of `text` cut to at most `limit` bytes on a whole character:
// never ending on the first byte of a double-byte character.
std::size_t whole_characters_length(const char* text, std::size_t limit);
