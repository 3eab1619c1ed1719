#include "text/encoding.h"

#include <mutex>
#include <unordered_map>

const char* sjis(const char* utf8) {
    static std::unordered_map<std::string, std::string> converted;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    auto [it, inserted] = converted.try_emplace(utf8);
    if (inserted) it->second = to_cp932(utf8);
    return it->second.c_str();
}

void append_utf8(std::string& out, char32_t code) {
    auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | code >> 6);
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xE0 | code >> 12);
        byte(0x80 | (code >> 6 & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

std::string cp932_to_utf8(std::string_view cp932) {
    std::string utf8;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        auto next = static_cast<unsigned char>(i + 1 < cp932.size() ? cp932[i + 1] : 0);
        bool pair = starts_cp932_pair(byte, next);
        char32_t code = pair ? cp932_pair_to_unicode(byte, next) : cp932_byte_to_unicode(byte);
        i += pair;
        append_utf8(utf8, code != 0 ? code : U'?');
    }
    return utf8;
}

bool is_cp932_lead_byte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The second byte of a double-byte character is 0x40..0xFC but 0x7F.
bool starts_cp932_pair(unsigned char first, unsigned char second) {
    return is_cp932_lead_byte(first) && second >= 0x40 && second <= 0xFC && second != 0x7F;
}

std::size_t whole_characters_length(const char* text, std::size_t limit) {
    std::size_t length = 0;
    while (length < limit && text[length] != '\0') {
        bool two_bytes = is_cp932_lead_byte(static_cast<unsigned char>(text[length]));
        if (two_bytes && (text[length + 1] == '\0' || length + 2 > limit)) break;  // half a character
        length += two_bytes ? 2 : 1;
    }
    return length;
}
