#include "text/romaji.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/encoding.h"

namespace {

// Marks the place of a small tsu until the unit after it is known.
const std::string DOUBLING = "\x01";

const char* const KANA[][2] = {
    {"あ", "a"},  {"い", "i"},  {"う", "u"},   {"え", "e"},   {"お", "o"},   {"か", "ka"},  {"き", "ki"},
    {"く", "ku"}, {"け", "ke"}, {"こ", "ko"},  {"さ", "sa"},  {"し", "shi"}, {"す", "su"},  {"せ", "se"},
    {"そ", "so"}, {"た", "ta"}, {"ち", "chi"}, {"つ", "tsu"}, {"て", "te"},  {"と", "to"},  {"な", "na"},
    {"に", "ni"}, {"ぬ", "nu"}, {"ね", "ne"},  {"の", "no"},  {"は", "ha"},  {"ひ", "hi"},  {"ふ", "fu"},
    {"へ", "he"}, {"ほ", "ho"}, {"ま", "ma"},  {"み", "mi"},  {"む", "mu"},  {"め", "me"},  {"も", "mo"},
    {"や", "ya"}, {"ゆ", "yu"}, {"よ", "yo"},  {"ら", "ra"},  {"り", "ri"},  {"る", "ru"},  {"れ", "re"},
    {"ろ", "ro"}, {"わ", "wa"}, {"ゐ", "i"},   {"ゑ", "e"},   {"を", "wo"},  {"ん", "n"},   {"が", "ga"},
    {"ぎ", "gi"}, {"ぐ", "gu"}, {"げ", "ge"},  {"ご", "go"},  {"ざ", "za"},  {"じ", "ji"},  {"ず", "zu"},
    {"ぜ", "ze"}, {"ぞ", "zo"}, {"だ", "da"},  {"ぢ", "ji"},  {"づ", "zu"},  {"で", "de"},  {"ど", "do"},
    {"ば", "ba"}, {"び", "bi"}, {"ぶ", "bu"},  {"べ", "be"},  {"ぼ", "bo"},  {"ぱ", "pa"},  {"ぴ", "pi"},
    {"ぷ", "pu"}, {"ぺ", "pe"}, {"ぽ", "po"},  {"ゔ", "vu"},  {"ぁ", "~a"},  {"ぃ", "~i"},  {"ぅ", "~u"},
    {"ぇ", "~e"}, {"ぉ", "~o"}, {"ゃ", "~ya"}, {"ゅ", "~yu"}, {"ょ", "~yo"}, {"ゎ", "~wa"}, {"っ", "~tsu"},
};

const std::unordered_map<std::string, std::string>& kana_table() {
    static const std::unordered_map<std::string, std::string> table = [] {
        std::unordered_map<std::string, std::string> t;
        for (const auto& entry : KANA) t.emplace(to_cp932(entry[0]), entry[1]);
        return t;
    }();
    return table;
}

bool is_vowel(char c) { return std::strchr("aeiou", c) != nullptr; }

bool ends_with(const std::string& text, char c) { return !text.empty() && text.back() == c; }

// A small ya, yu or yo after an i-kana: kya, sha, ju.
bool join_y_sound(std::string& before, const std::string& small) {
    if (before.size() < 2 || !ends_with(before, 'i') || is_vowel(before[before.size() - 2])) return false;
    before.pop_back();
    bool palatal = before == "sh" || before == "ch" || before == "j";
    before += palatal ? small.substr(1) : small;
    return true;
}

// A small vowel after the kana it bends: fi, tsa, wo, she, ti.
bool join_vowel(std::string& before, const std::string& small) {
    if (before == "u") {
        before = "w" + small;
        return true;
    }
    if (before.size() < 2) return false;
    char last = before.back();
    bool bends = (last == 'u' && before != "ku" && before != "gu") || before == "shi" || before == "chi" ||
                 before == "ji" || before == "te" || before == "de";
    if (!bends) return false;
    before.pop_back();
    before += small;
    return true;
}

}  // namespace

std::string romaji_of(const char* cp932) {
    std::vector<std::string> pieces;
    const auto& table = kana_table();
    for (std::size_t i = 0; cp932[i] != '\0'; i += 2) {
        if (cp932[i + 1] == '\0') {  // half a unit at the end
            pieces.push_back("?");
            break;
        }
        auto found = table.find(std::string(cp932 + i, 2));
        if (found == table.end()) {
            pieces.push_back("?");
            continue;
        }
        const std::string& romaji = found->second;
        if (romaji[0] != '~') {
            pieces.push_back(romaji);
            continue;
        }
        std::string small = romaji.substr(1);
        if (small == "tsu") {
            pieces.push_back(DOUBLING);
            continue;
        }
        bool joined = false;
        if (!pieces.empty()) {
            if (small[0] == 'y')
                joined = join_y_sound(pieces.back(), small);
            else if (is_vowel(small[0]))
                joined = join_vowel(pieces.back(), small);
        }
        if (!joined) pieces.push_back(small);
    }
    std::string out;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const std::string* next = k + 1 < pieces.size() ? &pieces[k + 1] : nullptr;
        bool next_is_syllable = next != nullptr && *next != DOUBLING && *next != "?";
        if (pieces[k] == DOUBLING) {
            // The small tsu doubles the consonant after it (kk, ss, tch);
            // before a vowel, "n" or a bare ya, yu, yo there is none to
            // double, and it is read out.
            char first = next_is_syllable ? (*next)[0] : '\0';
            if (first != '\0' && !is_vowel(first) && first != 'y' && *next != "n")
                out += first == 'c' ? 't' : first;
            else
                out += "tsu";
        } else {
            out += pieces[k];
            if (pieces[k] == "n" && next_is_syllable && (is_vowel((*next)[0]) || (*next)[0] == 'y')) out += '\'';
        }
    }
    return out;
}
