// The browser build's CP932 conversions: the same contract as the iconv ones
// of the terminal build, over tables generated from the build machine's
// iconv, since the browser's C library has no CP932.
#include <algorithm>
#include <string>

#include "text/encoding.h"
#include "text/table/cp932_table.h"

namespace {

// Decodes one UTF-8 sequence at `text[i]`; returns its length, and 0 in
// `code` when the sequence is broken.
size_t next_code_point(std::string_view text, size_t i, unsigned& code) {
    unsigned char first = static_cast<unsigned char>(text[i]);
    size_t length = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
    if (length == 0) {
        code = 0;
        return 1;
    }
    code = length == 1 ? first : first & (0x7F >> length);
    size_t read = 1;
    for (; read < length && i + read < text.size(); ++read) {
        unsigned char next = static_cast<unsigned char>(text[i + read]);
        if ((next & 0xC0) != 0x80) break;
        code = code << 6 | (next & 0x3F);
    }
    if (read < length) code = 0;
    return read;
}

// CP932 bytes of a character, 0 when CP932 has none.
unsigned encode(unsigned code) {
    if (code == 0 || code > 0xFFFF) return 0;
    const uint32_t* end = CP932_FROM_UNICODE + CP932_FROM_UNICODE_COUNT;
    const uint32_t* it = std::lower_bound(CP932_FROM_UNICODE, end, code << 16);
    if (it == end || (*it >> 16) != code) return 0;
    return *it & 0xFFFF;
}

}  // namespace

std::string to_cp932(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned code = 0;
        i += next_code_point(utf8, i, code);
        unsigned bytes = encode(code);
        if (bytes == 0) {
            out.push_back('?');
        } else if (bytes < 0x100) {
            out.push_back(static_cast<char>(bytes));
        } else {
            out.push_back(static_cast<char>(bytes >> 8));
            out.push_back(static_cast<char>(bytes & 0xFF));
        }
    }
    return out;
}

char32_t cp932_byte_to_unicode(unsigned char byte) { return CP932_SINGLE[byte]; }

char32_t cp932_pair_to_unicode(unsigned char lead, unsigned char trail) {
    if (!is_cp932_lead_byte(lead) || trail < CP932_TRAIL_FIRST || trail >= CP932_TRAIL_FIRST + CP932_TRAIL_COUNT)
        return 0;
    int index = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1);
    return CP932_DOUBLE[index][trail - CP932_TRAIL_FIRST];
}

// The tables are part of the program: nothing can be missing.
bool cp932_conversions_ready(std::string&) { return true; }
