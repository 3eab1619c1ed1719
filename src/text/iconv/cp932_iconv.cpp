// The terminal build's CP932 conversions, by the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "text/encoding.h"

namespace {

const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

// Converts `in` from its start; false at the first sequence it cannot
// convert, which `in` then starts with.
bool convert(iconv_t converter, std::string_view& in, std::string& out) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* from = const_cast<char*>(in.data());
    size_t left = in.size();
    for (;;) {
        char buffer[256];
        char* to = buffer;
        size_t room = sizeof buffer;
        size_t result = iconv(converter, &from, &left, &to, &room);
        out.append(buffer, to - buffer);
        in = std::string_view(from, left);
        if (result != static_cast<size_t>(-1)) return true;
        if (errno != E2BIG) return false;
    }
}

// The Unicode character of one CP932 sequence, 0 when it is not one.
char32_t decode(std::string_view cp932) {
    static iconv_t converter = iconv_open("UTF-32BE", "CP932");
    std::string out;
    if (converter == NO_CONVERTER || !convert(converter, cp932, out) || out.size() != 4) return 0;
    char32_t code = 0;
    for (char byte : out) code = code << 8 | static_cast<unsigned char>(byte);
    return code;
}

}  // namespace

std::string to_cp932(std::string_view utf8) {
    static iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == NO_CONVERTER) return std::string(utf8);
    std::string out;
    while (!convert(converter, utf8, out)) {
        // A character CP932 has no form for, or broken UTF-8: skip one
        // whole UTF-8 sequence and put a stand-in there.
        out.push_back('?');
        size_t skip = 1;
        while (skip < utf8.size() && (static_cast<unsigned char>(utf8[skip]) & 0xC0) == 0x80) ++skip;
        utf8.remove_prefix(skip);
    }
    return out;
}

char32_t cp932_byte_to_unicode(unsigned char byte) {
    char in = static_cast<char>(byte);
    return decode(std::string_view(&in, 1));
}

char32_t cp932_pair_to_unicode(unsigned char lead, unsigned char trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    return decode(std::string_view(in, 2));
}

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
