#include "text/tables.h"

#include <cstddef>
#include <string>

#include "text/encoding.h"
#include "text/language.h"

namespace {

// The texts are written here as UTF-8 and turned into CP932 once, when the
// program starts. Spaces inside them are full-width (U+3000).

// The story told by the ghost clone, one line per kill: line k is posted at
// the (k + 1)-th kill of a dream, and line 76 summons the archmage.
const char* const kill_story_utf8[] = {
    "罠があった",
    "閉じ込められた",
    "墓石が上から落ちてきて",
    "それがカバーのように私にかぶさった　硬すぎるカバーだ",
    "墓石？",
    "まあその中で死ねば本当に墓石になるだろう",
    "まさか罠があるとは",
    "いや罠があるのも当然か",
    "その封印それ自体は大したものではなかった",
    "リモコンのボタンを押せば",
    "つまり外から解除の魔法を使えば",
    "簡単に開く",
    "簡単だ",
    "だが不可能だ",
    "リモコンが無いんだからな！",
    "外に出ることはできた",
    "ただし幽体だけが出ることができたのにとどまった",
    "穴が開いていたから　幽体は出られた",
    "腕と幽体は通るが　体は無理だった",
    "解除の魔法なんてのは家においてきてしまった",
    "それは何年前のことだったかと端末の時計をチェックした",
    "ほんの12年前だそうだ",
    "端末といっても　どこにも接続されていないが……",
    "ネットの接続さえあれば！",
    "いや　リモコンさえあれば！",
    "「リモコン」と叫んだのはかなりの回数に及んだ",
    "それまで食ったパンの枚数よりも多いだろう",
    "自動巻き端末でのNetHackは34回昇天したのだった（少ない）",
    "そろそろ洞窟内の栄養物が切れてきて餓死しそうだと思った",
    "地震がだんだん増えてきたとはいえ",
    "運動エネルギー微生物は減ってきていて",
    "その時点ではあと3ヶ月しか生きられない見通しだった",
    "そこで幽体を飛ばすことにした",
    "魔法は使わない",
    "実践的な魔術は　いつの日か以来　まったく訓練していない",
    "そう　訓練をサボっていたせいで魔法は使えなかった",
    "これは魔法ではない　「幽体」とはいっても魔法とは違う",
    "幽体は　幽体クローン生成デバイスで　作られる",
    "肉体から切り離されたように動く物質でできている",
    "そんな幽体クローンがどんなものかといえば",
    "この私が幽体クローンだ　そのはずだ",
    "幽体だけに　はかない存在だ",
    "電磁ショックをくらったら終わりだ",
    "暖かく燃やされても終わりだろう",
    "私はそうして墓から出てきた　私の本体は墓の中だが",
    "クローンを作りたくはなかったが",
    "やってしまった　そして私は　私から切り離された幽体になった",
    "さて　ここはどこだろうか？　さっきから何が聞えているのか？",
    "悪夢のようではないか？",
    "簡単に「悪夢のようなもの」とだけ言って説明を終わりたい",
    "私は――この　私の幽体クローン体は",
    "まるごと何かに取り込まれてしまった",
    "悪夢のようなもの　ルール90のようなものだ",
    "ルール90が何なのかは知らないけど",
    "何かの実験で",
    "幽体クローンを計算機上に吸い込んで何かをやらせる",
    "多分そんなところだろうと思う",
    "私のクローンである私",
    "その私はまたクローンされてしまったのか？",
    "永遠にネットをさまようことになるのか？",
    "とにかく脱出しなくては　と思う",
    "そうプログラムされているから　そう思うのか",
    "それとも脱出しなければ　私の本体の脱出も無いのか？",
    "とにかく閉じ込められているという気分は間違いない",
    "最悪の気分だ",
    "脱出を！",
    "とにかく出たい！　出たい！",
    "それには何かをブッ転ばさなくては！",
    "なぜそう思うのかはわからない",
    "そうプログラムされているからか？",
    "何かをブッ転ばすのが全てのように",
    "あの洞窟の中では　そう　魔法の蝋燭の火が",
    "全てをブッ転ばした",
    "ただあの洞窟では　自分の魔法の力は　全く使っていなかった",
    "ただ棒で殴ったり団子を投げただけだ",
    "しかし今！",
    "“ヤツ”をブッ転ばす魔法を使わなくては！",
};

// Creature names that fill "[MON]" in a phrase.
const char* const creature_names_utf8[] = {
    "ネズミ",     "ウサギ",         "オオサンショウウオ",
    "棘皮生物",   "ミミズ",         "イモムシ",
    "シラミ",     "インド象",       "カラス",
    "山猫",       "目玉",           "氷の魔獣",
    "ガホァピン", "げっ歯類",       "鬱金魚",
    "妖精",       "木の枝",         "消しゴム",
    "イカ",       "軟体生物",       "豚",
    "アグー豚",   "大ヘビ",         "白ヘビ",
    "オオトカゲ", "混沌の奇形怪物", "沼男",
};

// Descriptors that fill "[DESC]" in a phrase.
const char* const descriptors_utf8[] = {
    "終わりなき怒りの",
    "目玉の飛び出た",
    "焼けた田の",
    "腐ったような",
    "最後から最後までの",
    "名の無い",
    "空虚の",
    "三つの目の",
    "馬鹿の",
    "狂ったような",
    "赤い",
    "灰色の",
    "逃げ場の無い",
    "断頭台の鈍い光の",
    "血の海の",
    "岩の下の",
    "ぬめぬめした",
    "臭い",
    "鈍く光る",
};

// The nonsense phrases of scrolls and of kills once the story is over. A
// phrase holds at most one token, "[MON]" or "[DESC]".
const char* const phrase_templates_utf8[] = {
    "襲い来る背後！背後からの背後！",
    "ヴェルモント・Ｋ・Ｒ・ダスキンフォード",
    "出て行け！",
    "お前はシラミ",
    "お前は[MON]",
    "寝る、寝る、寝ると",
    "滑らかな指、押す指、引く指、斬れた指、斬る指",
    "あの世で最後に見るのはスコアリストだってのか？",
    "言ったのか？",
    "厄がきを厄は降りしきる[MON]",
    "生で　焼きを入れるのは　生で",
    "苦闘、最後まで苦闘、最期に見るのは？",
    "てふてふてふ　てふてふてふ　てふてふがてふてふと",
    "来ないのか？",
    "いーんいーん　いーん",
    "迷子のご案内",
    "眼球の無い死体",
    "始まりの合図だ",
    "死神がドアを叩いてんだよ",
    "おまえの　うしろは　ほんものか？",
    "うしろの　うしろは　ほんものか？",
    "まえげり　貧弱なる　まえげり　[DESC]のような",
    "まける理由がないし",
    "うぐふぐうふぐう",
    "霧雨　コート　メガネ",
    "口で言っても無駄　駄目　駄目",
    "出た！[MON]出たな！",
    "かすかれーせつな",
    "これがペン　それはペン",
    "ら・ら・蓑",
    "[DESC]グリッチが出た",
    "[MON]が現れた　しかし消えた",
    "'a'または'z'で攻撃ができるぞ！",
};

// The words the archmage shouts, shuffled. Hiragana only, so every word is
// an even number of bytes, whole two-byte characters.
const char* const magic_words_utf8[] = {
    "むてきかんばんむすめ",
    "うぐふがなぐるふたぐん",
    "じゅんれつとし",
    "ぱんでもにうむ",
    "しねしねしね",
    "おおのちからをおもいしれ",
    "すかるんうぉるどもよろしく",
    "ぽいんとぶらんく",
    "きえされごみむしめ",
    "ぎゃんぶるふぃっしゅ",
};

// One list in CP932: the converted texts, kept for the whole run, and the
// entries that point at them followed by the null entry. The entries are all
// null until the constructor has run, so a list read that early looks empty.
template <std::size_t N>
struct Cp932List {
    std::string texts[N];
    const char* entries[N + 1] = {};

    explicit Cp932List(const char* const (&utf8)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            texts[i] = to_cp932(utf8[i]);
            entries[i] = texts[i].c_str();
        }
        entries[N] = nullptr;
    }
};

Cp932List kill_story(kill_story_utf8);
Cp932List creature_names(creature_names_utf8);
Cp932List descriptors(descriptors_utf8);
Cp932List phrase_templates(phrase_templates_utf8);
Cp932List magic_words(magic_words_utf8);

}  // namespace

const TextList KILL_STORY = kill_story.entries;
const TextList CREATURE_NAMES = creature_names.entries;
const TextList DESCRIPTORS = descriptors.entries;
const TextList PHRASE_TEMPLATES = phrase_templates.entries;
const TextList MAGIC_WORDS = magic_words.entries;

int text_list_length(TextList list) {
    int count = 0;
    if (list == nullptr) return 0;
    while (list[count] != nullptr) ++count;
    return count;
}

TextList english_list(TextList japanese) {
    if (japanese == KILL_STORY) return KILL_STORY_ENGLISH;
    if (japanese == CREATURE_NAMES) return CREATURE_NAMES_ENGLISH;
    if (japanese == DESCRIPTORS) return DESCRIPTORS_ENGLISH;
    if (japanese == PHRASE_TEMPLATES) return PHRASE_TEMPLATES_ENGLISH;
    if (japanese == MAGIC_WORDS) return MAGIC_WORDS_ENGLISH;
    return nullptr;
}

TextList shown_list(TextList japanese) {
    if (shown_language() != Language::english) return japanese;
    TextList english = english_list(japanese);
    return english != nullptr ? english : japanese;
}
