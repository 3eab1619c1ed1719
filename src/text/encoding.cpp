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

bool is_cp932_lead_byte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool is_cp932_trail_byte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

bool starts_cp932_pair(unsigned char first, unsigned char second) {
    return is_cp932_lead_byte(first) && is_cp932_trail_byte(second);
}
