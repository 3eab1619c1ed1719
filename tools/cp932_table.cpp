// Writes, as C++ source into the file named by its argument, the CP932 <-> Unicode tables of
// the browser build, taken from this machine's iconv (glibc's CP932), so the
// page shows and encodes every character exactly as the terminal build does.
// Built and run on the build machine while the page is compiled.
#include "text/table/cp932_table.h"

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The Unicode character of a CP932 sequence, 0 when it is not one.
unsigned decode(iconv_t to_unicode, const unsigned char* bytes, size_t length) {
    char in_bytes[2] = {static_cast<char>(bytes[0]), static_cast<char>(bytes[length - 1])};
    char* in = in_bytes;
    size_t in_left = length;
    unsigned char out_bytes[8] = {};
    char* out = reinterpret_cast<char*>(out_bytes);
    size_t out_left = sizeof out_bytes;
    iconv(to_unicode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(to_unicode, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0 ||
        sizeof out_bytes - out_left != 2)
        return 0;  // not a character, or not a single one of the BMP
    return static_cast<unsigned>(out_bytes[0]) << 8 | out_bytes[1];
}

// The CP932 bytes of a Unicode character (one byte below 0x100, else lead
// byte << 8 | trail byte), 0 when CP932 has none.
unsigned encode(iconv_t from_unicode, unsigned code) {
    char in_bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    char* in = in_bytes;
    size_t in_left = 2;
    unsigned char out_bytes[4] = {};
    char* out = reinterpret_cast<char*>(out_bytes);
    size_t out_left = sizeof out_bytes;
    iconv(from_unicode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(from_unicode, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1)) return 0;
    size_t length = sizeof out_bytes - out_left;
    if (length == 1) return out_bytes[0];
    if (length == 2) return static_cast<unsigned>(out_bytes[0]) << 8 | out_bytes[1];
    return 0;
}

bool is_lead(unsigned byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp932_table OUTPUT.cpp\n");
        return 2;
    }
    iconv_t to_unicode = iconv_open("UTF-16BE", "CP932");
    iconv_t from_unicode = iconv_open("CP932", "UTF-16BE");
    if (to_unicode == reinterpret_cast<iconv_t>(-1) || from_unicode == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "cp932_table: this machine's iconv has no CP932\n");
        return 1;
    }

    FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Generated at build time from the build machine's iconv (CP932).\n");
    std::fprintf(out, "#include \"text/table/cp932_table.h\"\n\n");

    std::fprintf(out, "const uint16_t CP932_SINGLE[256] = {");
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned char b = static_cast<unsigned char>(byte);
        unsigned code = is_lead(byte) ? 0 : decode(to_unicode, &b, 1);
        std::fprintf(out, "%s0x%04X,", byte % 12 == 0 ? "\n    " : " ", code);
    }
    std::fprintf(out, "\n};\n\n");

    std::fprintf(out, "const uint16_t CP932_DOUBLE[CP932_LEAD_COUNT][CP932_TRAIL_COUNT] = {");
    unsigned found = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!is_lead(lead)) continue;
        std::fprintf(out, "\n    {");
        for (unsigned trail = CP932_TRAIL_FIRST; trail < CP932_TRAIL_FIRST + CP932_TRAIL_COUNT; ++trail) {
            unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            unsigned code = decode(to_unicode, bytes, 2);
            found += code != 0;
            std::fprintf(out, "%s0x%04X,", (trail - CP932_TRAIL_FIRST) % 12 == 0 ? "\n     " : " ", code);
        }
        std::fprintf(out, "},");
    }
    std::fprintf(out, "\n};\n\n");

    std::vector<unsigned> pairs;  // Unicode << 16 | CP932, in Unicode order
    for (unsigned code = 1; code < 0x10000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        unsigned bytes = encode(from_unicode, code);
        if (bytes != 0) pairs.push_back(code << 16 | bytes);
    }
    std::fprintf(out, "const uint32_t CP932_FROM_UNICODE[] = {");
    for (size_t i = 0; i < pairs.size(); ++i) std::fprintf(out, "%s0x%08X,", i % 8 == 0 ? "\n    " : " ", pairs[i]);
    std::fprintf(out, "\n};\nconst int CP932_FROM_UNICODE_COUNT = %zu;\n", pairs.size());

    iconv_close(to_unicode);
    iconv_close(from_unicode);
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    if (found < 7000 || pairs.size() < 7000) {
        std::fprintf(stderr, "cp932_table: iconv gave only %u characters\n", found);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
