// The browser build's CP932 conversions, which use generated tables instead
// of iconv, against this machine's iconv for every character: the game's
// texts must become the same bytes in the page as in the terminal build
// (the phrase shuffles draw by their length), and every double-byte
// character must show as the same Unicode character.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "text/encoding.h"

namespace {

std::string utf8_of(unsigned code) {
    auto byte = [](unsigned value) { return static_cast<char>(value); };
    if (code < 0x80) return {byte(code)};
    if (code < 0x800) return {byte(0xC0 | code >> 6), byte(0x80 | (code & 0x3F))};
    return {byte(0xE0 | code >> 12), byte(0x80 | (code >> 6 & 0x3F)), byte(0x80 | (code & 0x3F))};
}

// iconv's conversion of `in`, or "" when it has none.
std::string iconv_of(iconv_t converter, std::string in) {
    char out[64];
    char* in_at = in.data();
    char* out_at = out;
    size_t in_left = in.size(), out_left = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1)) return "";
    return std::string(out, out_at);
}

TEST(Cp932Tables, EveryCharacterConvertsAsIconvConvertsIt) {
    iconv_t to_cp932_iconv = iconv_open("CP932", "UTF-8");
    iconv_t from_cp932_iconv = iconv_open("UTF-8", "CP932");
    ASSERT_NE(to_cp932_iconv, reinterpret_cast<iconv_t>(-1));
    int wrong = 0;
    for (unsigned code = 1; code < 0x10000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        std::string expected = iconv_of(to_cp932_iconv, utf8_of(code));
        if (to_cp932(utf8_of(code)) != (expected.empty() ? "?" : expected) && ++wrong < 5)
            ADD_FAILURE() << "U+" << std::hex << code;
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!is_cp932_lead_byte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            std::string expected = iconv_of(from_cp932_iconv, {static_cast<char>(lead), static_cast<char>(trail)});
            unsigned shown = cp932_pair_to_unicode(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            if ((shown == 0 ? "" : utf8_of(shown)) != expected && ++wrong < 5)
                ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(to_cp932("―“”…　目"), iconv_of(to_cp932_iconv, "―“”…　目"));
    iconv_close(to_cp932_iconv);
    iconv_close(from_cp932_iconv);
}

}  // namespace
