#include "backends/curses/terminal_glyphs.h"

#include <climits>

#include "screen/row_walk.h"

// A wchar_t holds the Unicode character itself (as in glibc).
#ifndef __STDC_ISO_10646__
#error "the play terminal needs wchar_t to be Unicode"
#endif

std::vector<DrawnChar> TerminalGlyphs::layout_row(const ScreenBuffer& screen, int row) {
    std::vector<DrawnChar> out;
    for (const RowChar& walked : walk_row(screen, row)) {
        int col = walked.col;
        auto wc = static_cast<wchar_t>(walked.code);
        if (walked.cells == 2) {
            const Glyph& glyph = lookup(walked.code);
            if (glyph.width == 2 || (glyph.width == 1 && ambiguous_wide_)) {
                out.push_back({col, glyph.wc, 2, walked.colour});
            } else if (glyph.width == 1) {
                out.push_back({col, glyph.wc, 1, walked.colour});
                out.push_back({col + 1, L' ', 1, walked.colour});
            } else {
                out.push_back({col, L'?', 1, walked.colour});
                out.push_back({col + 1, L'?', 1, walked.colour});
            }
        } else {
            if (walked.code >= 0x80) wc = lookup(walked.code).width == 1 ? lookup(walked.code).wc : L'?';
            out.push_back({col, wc, 1, walked.colour});
        }
    }
    return out;
}

// Can the locale encode it, and how wide does the terminal draw it?
const TerminalGlyphs::Glyph& TerminalGlyphs::lookup(char32_t code) {
    auto [it, inserted] = cache_.try_emplace(code);
    if (!inserted) return it->second;
    auto wc = static_cast<wchar_t>(code);
    char encoded[MB_LEN_MAX];
    std::mbstate_t state{};
    int width = std::wcrtomb(encoded, wc, &state) == static_cast<size_t>(-1) ? 0 : wcwidth(wc);
    if (width >= 1 && width <= 2) it->second = Glyph{wc, width};
    return it->second;
}
