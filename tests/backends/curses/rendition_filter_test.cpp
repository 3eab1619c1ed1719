#include "backends/curses/rendition_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A terminal reduced to what the filter may change: the rendition each
// printed character gets, and the other bytes in their order.
struct Drawn {
    int fg = 39, bg = 49;
    bool bold = false, dim = false, reverse = false;
    char charset = 'B';
    char shift = '\x0f';
    bool operator==(const Drawn&) const = default;
};

std::vector<std::string> play(const std::string& bytes, Drawn now) {
    std::vector<std::string> seen;
    for (size_t i = 0; i < bytes.size();) {
        if (bytes.compare(i, 2, "\x1b[") == 0 && bytes.find('m', i) != std::string::npos &&
            bytes.find_first_not_of("0123456789;", i + 2) == bytes.find('m', i)) {
            size_t end = bytes.find('m', i);
            std::vector<int> codes{0};
            for (size_t j = i + 2; j < end; ++j) {
                if (bytes[j] == ';')
                    codes.push_back(0);
                else
                    codes.back() = codes.back() * 10 + (bytes[j] - '0');
            }
            for (size_t k = 0; k < codes.size(); ++k) {
                int c = codes[k];
                if (c == 0) now = Drawn{39, 49, false, false, false, now.charset, now.shift};
                if (c == 1) now.bold = true;
                if (c == 2) now.dim = true;
                if (c == 7) now.reverse = true;
                if (c == 22) now.bold = now.dim = false;
                if (c == 27) now.reverse = false;
                if ((c >= 30 && c <= 39) || (c >= 90 && c <= 97)) now.fg = c;
                if ((c >= 40 && c <= 49) || (c >= 100 && c <= 107)) now.bg = c;
                if (c == 38 || c == 48) {
                    (c == 38 ? now.fg : now.bg) = 1000 + codes[k + 2];
                    k += 2;
                }
            }
            i = end + 1;
        } else if (bytes.compare(i, 2, "\x1b(") == 0) {
            now.charset = bytes[i + 2];
            i += 3;
        } else if (bytes[i] == '\x0e' || bytes[i] == '\x0f') {
            now.shift = bytes[i++];
        } else if (bytes[i] == 'x' || bytes[i] == 'y') {
            seen.push_back(std::string(1, bytes[i++]) + " fg" + std::to_string(now.fg) + " bg" +
                           std::to_string(now.bg) + (now.bold ? " bold" : "") + (now.dim ? " dim" : "") +
                           (now.reverse ? " reverse" : "") + " set" + now.charset + (now.shift == '\x0e' ? " SO" : ""));
        } else {
            seen.push_back(std::string(1, bytes[i++]));  // cursor moves and such, in order
        }
    }
    return seen;
}

TEST(RenditionFilter, SendsTheBlackBackgroundOnceAndDropsRepeats) {
    EXPECT_EQ(shorten_renditions("\x1b[37m\x1b[40m a\x1b[31m\x1b[40mb\x1b[31m\x1b[40mc\r\x1b[2d\x1b[94m\x1b[40md"),
              "\x1b[37;40m a\x1b[31mbc\r\x1b[2d\x1b[94md");
}

TEST(RenditionFilter, EndsBoldWithoutAResetWhereThatIsShorter) {
    // What curses sends on a terminal of 8 colours: a reset for each change of brightness.
    EXPECT_EQ(shorten_renditions("\x1b[0;1m\x1b[34m\x1b[40m.\x1b[0m\x1b[32m\x1b[40m#\x1b[0;1m\x1b[32m\x1b[40m:"),
              "\x1b[0;1;34;40m.\x1b[22;32m#\x1b[1m:");
    EXPECT_EQ(shorten_renditions("\x1b[0;7m\x1b[37m\x1b[40mx\x1b(B\x1b[m\x0fy"), "\x1b[0;7;37;40mx\x1b(B\x0f\x1b[my");
}

TEST(RenditionFilter, WhatItDoesNotUnderstandPassesAndIsForgotten) {
    EXPECT_EQ(shorten_renditions("\x1b[31;40ma\x1b[38;2;1;2;3mb\x1b[31m\x1b[40mc"),
              "\x1b[31;40ma\x1b[38;2;1;2;3mb\x1b[31;40mc");
    // A cursor restored brings its own rendition back.
    EXPECT_EQ(shorten_renditions("\x1b[31ma\x1b"
                                 "8\x1b[31mb"),
              "\x1b[31ma\x1b"
              "8\x1b[31mb");
}

// Whatever rendition the terminal is in when a refresh starts, every
// character comes out as curses' own bytes would draw it.
TEST(RenditionFilter, EveryCharacterKeepsItsRendition) {
    const std::vector<std::string> pieces = {
        "\x1b[m",         "\x1b(B\x1b[m",  "\x1b[0;1m",  "\x1b[0;2m", "\x1b[0;7m",
        "\x1b[0;10;1m",   "\x1b[31m",      "\x1b[40m",   "\x1b[97m",  "\x1b[39;49m",
        "\x1b[1m",        "\x1b[2m",       "\x1b[7m",    "\x1b[22m",  "\x1b[27m",
        "\x1b[38;5;200m", "\x1b[48;5;17m", "\x1b[m\x0f", "\x0e",      "\x1b(0",
        "\x1b[H",         "\x1b[2d",       "\r",         "x",         "y"};
    const Drawn starts[] = {Drawn{}, Drawn{94, 44, true, false, true, '0', '\x0e'},
                            Drawn{1017, 1003, false, true, false, 'B', '\x0f'}};
    std::mt19937 random(14);
    for (int trial = 0; trial < 2000; ++trial) {
        std::string bytes;
        int length = 1 + static_cast<int>(random() % 30);
        for (int i = 0; i < length; ++i) bytes += pieces[random() % pieces.size()];
        std::string shorter = shorten_renditions(bytes);
        EXPECT_LE(shorter.size(), bytes.size()) << bytes;
        for (const Drawn& start : starts) ASSERT_EQ(play(shorter, start), play(bytes, start)) << bytes;
    }
}

}  // namespace
