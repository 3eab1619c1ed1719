// The terminal build's CP932 conversion, by the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "text/encoding.h"

std::string to_cp932(std::string_view utf8) {
    static iconv_t converter = iconv_open("CP932", "UTF-8");
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);

    std::string out;
    if (converter == reinterpret_cast<iconv_t>(-1)) {
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
