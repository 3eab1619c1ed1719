#pragma once
// CP932 <-> Unicode tables of the browser build, whose C library has no
// CP932. The tables are generated at build time from the build machine's
// iconv (tools/cp932_table.cpp); 0 marks a sequence with no character.
#include <cstdint>

constexpr int CP932_LEAD_COUNT = 60;     // 0x81..0x9F, 0xE0..0xFC
constexpr int CP932_TRAIL_FIRST = 0x40;  // trail bytes 0x40..0xFC
constexpr int CP932_TRAIL_COUNT = 0xFD - 0x40;

// Unicode of each single byte (0 for lead bytes and undefined ones).
extern const uint16_t CP932_SINGLE[256];
// Unicode of each double-byte character, by lead byte index and trail byte.
extern const uint16_t CP932_DOUBLE[CP932_LEAD_COUNT][CP932_TRAIL_COUNT];
// Unicode << 16 | CP932 bytes (one byte below 0x100, else lead << 8 | trail),
// sorted by Unicode: the form iconv gives when it encodes each character.
extern const uint32_t CP932_FROM_UNICODE[];
extern const int CP932_FROM_UNICODE_COUNT;
