// The terminal build's CP932 conversions, by the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "text/encoding.h"

namespace {

const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

// The Unicode character of one CP932 sequence, 0 when it is not one.
char32_t decode(iconv_t converter, const unsigned char* bytes, size_t length) {
    char in_bytes[2] = {static_cast<char>(bytes[0]), static_cast<char>(bytes[length - 1])};
    char* in = in_bytes;
    unsigned char out_bytes[8] = {};
    char* out = reinterpret_cast<char*>(out_bytes);
    size_t out_left = sizeof out_bytes;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &length, &out, &out_left) == static_cast<size_t>(-1) || length != 0 ||
        sizeof out_bytes - out_left != 4)
        return 0;  // not a character, or more than one
    return static_cast<char32_t>(out_bytes[0]) << 24 | out_bytes[1] << 16 | out_bytes[2] << 8 | out_bytes[3];
}

// Every CP932 character's Unicode, looked up once for the whole run.
struct DecodeTables {
    char16_t single[256] = {};
    char16_t pairs[256][256] = {};  // CP932 has no character beyond the BMP
};

const DecodeTables& decode_tables() {
    static DecodeTables tables;
    static std::once_flag filled;
    std::call_once(filled, [] {
        iconv_t converter = iconv_open("UTF-32BE", "CP932");
        if (converter == NO_CONVERTER) return;
        for (unsigned first = 0; first < 256; ++first) {
            unsigned char bytes[2] = {static_cast<unsigned char>(first), 0};
            if (!is_cp932_lead_byte(bytes[0])) {
                tables.single[first] = static_cast<char16_t>(decode(converter, bytes, 1));
                continue;
            }
            for (unsigned second = 0; second < 256; ++second) {
                bytes[1] = static_cast<unsigned char>(second);
                if (is_cp932_trail_byte(bytes[1]))
                    tables.pairs[first][second] = static_cast<char16_t>(decode(converter, bytes, 2));
            }
        }
        iconv_close(converter);
    });
    return tables;
}

}  // namespace

std::string to_cp932(std::string_view utf8) {
    static iconv_t converter = iconv_open("CP932", "UTF-8");
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);

    std::string out;
    if (converter == NO_CONVERTER) {
        out.assign(utf8);
        return out;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char buffer[256];
    while (in_left > 0) {
        char* o = buffer;
        size_t o_left = sizeof buffer;
        size_t r = iconv(converter, &in, &in_left, &o, &o_left);
        out.append(buffer, o - buffer);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // A character CP932 has no form for, or broken UTF-8: skip one
            // whole UTF-8 sequence and put a stand-in there.
            out.push_back('?');
            size_t skip = 1;
            while (skip < in_left && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
            in += skip;
            in_left -= skip;
        }
    }
    return out;
}

char32_t cp932_byte_to_unicode(unsigned char byte) { return decode_tables().single[byte]; }

char32_t cp932_pair_to_unicode(unsigned char lead, unsigned char trail) { return decode_tables().pairs[lead][trail]; }

bool cp932_conversions_ready(std::string& missing) {
    for (auto [to, from] : {std::pair{"CP932", "UTF-8"}, std::pair{"UTF-32BE", "CP932"}}) {
        iconv_t converter = iconv_open(to, from);
        if (converter == NO_CONVERTER) {
            int error = errno;
            missing = std::string(from) + " to " + to;
            errno = error;
            return false;
        }
        iconv_close(converter);
    }
    return true;
}
