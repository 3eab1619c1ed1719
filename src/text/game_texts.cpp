#include "text/game_texts.h"

#include <cstdio>
#include <string>

#include "text/encoding.h"
#include "text/language.h"
#include "text/romaji.h"

namespace {

struct Texts {
    const char* japanese_utf8;
    const char* english;
};

// In the order of GameText. The Japanese gaps are full-width spaces; the
// two HORIZONTAL BARs that end the mocking voice and the flight are "--".
const Texts TEXTS[GAME_TEXT_COUNT] = {
    {"目をさますと　何かに囚われているような気がした", "When I woke, I felt as if something had caught hold of me."},
    {"まだ夢が続いている　という感覚", "A feeling that the dream is still going on."},
    {"悪い夢の中の　さらにその中で　眠っていたのか", "Was I asleep inside a dream, inside a bad dream?"},
    {"マイクテステス。", "Mic check. Testing, testing."},
    {"え、もう始まってるの？", "Huh? We're live already?"},
    {"つまり　これは悪い夢の一種だと思う", "In short, I think this is some kind of bad dream."},
    {"どの方向に攻撃？", "Attack in which direction?"},
    {"攻撃は空を切った", "The attack cut through empty air."},
    {"死の炎に巻き込まれた！", "Caught in the flames of death!"},
    {"大魔法使いの嘲る声が聞える――", "You hear the archmage's mocking voice--"},
    {"逃走した――", "It fled--"},
    {"大魔法使いが火柱の幻出を使った！", "The archmage casts Conjure Fire Pillars!"},
    {"大魔法使い「フハハハハ！！」", "The archmage: \"Mwahahaha!!\""},
    {"大魔法使い「フハハハハハハ！！」", "The archmage: \"Mwahahahahahaha!!\""},
    {"大魔法使いの攻撃が直撃した！", "The archmage's attack hits you square on!"},
    {"大魔法使いをブッ叩いた！", "You wallop the archmage!"},
    {"＊グッド・ショット＊", "*Good shot*"},
    {"魔力を込めて大魔法使いをひっぱたいた！", "You slap the archmage with a charge of magic!"},
    {"純粋なる魔力の波動が大魔法使いを焼いた！", "A wave of pure magic burns the archmage!"},
    {"大魔法使い「グホッ！」", "The archmage: \"Gwaagh!\""},
    {"大魔法使いを倒した！", "You have slain the archmage!"},
    {"勝利した！", "Victory!"},
    {"私は解放された", "I have been set free."},
    {"少なくともこのターン　この場のクローンは　解放された",
     "At least for this turn, the clone in this place has been set free."},
    {"感謝する", "You have my thanks."},
};

}  // namespace

const char* japanese_text(GameText text) { return sjis(TEXTS[static_cast<int>(text)].japanese_utf8); }

const char* english_text(GameText text) { return TEXTS[static_cast<int>(text)].english; }

const char* shown_text(GameText text) {
    return shown_language() == Language::english ? english_text(text) : japanese_text(text);
}

const char* intro_word() { return sjis("じゅんれつとし"); }

void show_shuffled_word(char* dest, std::size_t size, const char* shuffled_cp932) {
    if (size == 0) return;
    if (shown_language() != Language::english) {
        std::snprintf(dest, size, "%s", shuffled_cp932);
        return;
    }
    std::string word = romaji_of(shuffled_cp932);
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
    std::snprintf(dest, size, "%s", word.c_str());
}
