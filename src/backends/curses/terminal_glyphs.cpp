#include "backends/curses/terminal_glyphs.h"

#include <climits>

#include "text/encoding.h"

namespace {

const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

bool is_half_width_kana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

}  // namespace

TerminalGlyphs::TerminalGlyphs() : converter_(iconv_open("WCHAR_T", "CP932")) {}

TerminalGlyphs::~TerminalGlyphs() {
    if (converter_ != NO_CONVERTER) iconv_close(converter_);
}

std::vector<DrawnChar> TerminalGlyphs::layout_row(const ScreenBuffer& screen, int row) {
    std::vector<DrawnChar> out;
    int col = 0;
    while (col < SCREEN_COLS) {
        const ScreenCell& cell = screen.cell(row, col);
        unsigned char bytes[2] = {cell.byte, 0};
        if (col + 1 < SCREEN_COLS) bytes[1] = screen.cell(row, col + 1).byte;

        if (starts_cp932_pair(bytes[0], bytes[1])) {
            const Glyph& glyph = lookup(bytes, 2);
            if (glyph.width == 2) {
                out.push_back({col, glyph.wc, 2, cell.colour});
            } else if (glyph.width == 1 && ambiguous_wide_) {
                out.push_back({col, glyph.wc, 2, cell.colour});
            } else if (glyph.width == 1) {
                out.push_back({col, glyph.wc, 1, cell.colour});
                out.push_back({col + 1, L' ', 1, cell.colour});
            } else {
                out.push_back({col, L'?', 1, cell.colour});
                out.push_back({col + 1, L'?', 1, cell.colour});
            }
            col += 2;
            continue;
        }

        wchar_t wc = L'?';
        if (bytes[0] == 0) {
            wc = L' ';
        } else if (bytes[0] >= 0x20 && bytes[0] <= 0x7E) {
            wc = static_cast<wchar_t>(bytes[0]);
        } else if (is_half_width_kana(bytes[0])) {
            const Glyph& glyph = lookup(bytes, 1);
            if (glyph.width == 1) wc = glyph.wc;
        }
        out.push_back({col, wc, 1, cell.colour});
        ++col;
    }
    return out;
}

const TerminalGlyphs::Glyph& TerminalGlyphs::lookup(const unsigned char* bytes, int length) {
    unsigned key = length == 2 ? (static_cast<unsigned>(bytes[0]) << 8 | bytes[1]) : bytes[0];
    auto [it, inserted] = cache_.try_emplace(key);
    if (inserted) it->second = convert(bytes, length);
    return it->second;
}

TerminalGlyphs::Glyph TerminalGlyphs::convert(const unsigned char* bytes, int length) {
    Glyph glyph;
    if (converter_ == NO_CONVERTER) return glyph;
    char in_bytes[2] = {static_cast<char>(bytes[0]), static_cast<char>(bytes[length - 1])};
    char* in = in_bytes;
    size_t in_left = static_cast<size_t>(length);
    wchar_t out_chars[2] = {};
    char* out = reinterpret_cast<char*>(out_chars);
    size_t out_left = sizeof out_chars;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    size_t result = iconv(converter_, &in, &in_left, &out, &out_left);
    if (result == static_cast<size_t>(-1) || in_left != 0 || out_left != sizeof out_chars - sizeof(wchar_t))
        return glyph;  // not a character of CP932, or more than one
    wchar_t wc = out_chars[0];

    // Can the locale encode it, and how wide does the terminal draw it?
    char encoded[MB_LEN_MAX];
    std::mbstate_t state{};
    if (std::wcrtomb(encoded, wc, &state) == static_cast<size_t>(-1)) return glyph;
    int width = wcwidth(wc);
    if (width < 1 || width > 2) return glyph;
    glyph.wc = wc;
    glyph.width = width;
    return glyph;
}
