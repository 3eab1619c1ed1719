#include "screen/describe.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/state.h"
#include "screen/console.h"
#include "text/encoding.h"
#include "text/language.h"
#include "world/map.h"

namespace {

constexpr int RANGED_REACH = 3;

// The words of one language, in UTF-8. "{1}" and "{2}" stand for what is
// filled in, in the order the language puts them.
struct Words {
    const char* waits[6];    // by KeyWait
    const char* compass[8];  // by direction 0..7: north-west, north, ...
    const char* one_step;    // {1} the direction
    const char* steps;       // {1} the number, {2} the direction
    const char* in_range;
    const char* no_monsters;
    const char* one_monster;
    const char* monsters;  // {1} how many
    const char* next_monster;
    const char* full_stop;
    const char* archmage;  // {1} where, {2} its strength
    const char* archmage_unseen;
    const char* fire;  // {1} the directions
    const char* next_direction;
    const char* scroll;
    const char* kills;           // {1} the kills
    const char* sentence_break;  // between two sentences
};

const Words ENGLISH = {
    {"Press a key.", "The title page: any key starts the game.", "Your move.",
     "-more-: Space or Escape shows the next message.", "Attack in which direction? A direction key, or 5 for none.",
     "The ending: any key turns the page."},
    {"north-west", "north", "north-east", "east", "south-east", "south", "south-west", "west"},
    "1 step {1}",
    "{1} steps {2}",
    ", in range",
    "No monsters in sight.",
    "1 monster: ",
    "{1} monsters: ",
    "; ",
    ".",
    "The archmage: {1}, strength {2} of 77.",
    "The archmage is out of sight, strength {2} of 77.",
    "Fire next to you: {1}.",
    ", ",
    "A scroll lies under you.",
    "Kills: {1} of 77.",
    " ",
};

const Words JAPANESE = {
    {"キー入力待ち。", "タイトル画面：何かキーを押すと始まる。", "あなたの番。",
     "-more-：スペースかEscで次のメッセージ。", "攻撃の方向は？　方向キーを押す（5で方向なし）。",
     "エンディング：何かキーで次のページ。"},
    {"北西", "北", "北東", "東", "南東", "南", "南西", "西"},
    "{1}に1歩",
    "{2}に{1}歩",
    "（射程内）",
    "見える怪物はいない。",
    "怪物1体：",
    "怪物{1}体：",
    "、",
    "。",
    "大魔法使い：{1}、体力{2}／77。",
    "大魔法使いは見えない、体力{2}／77。",
    "隣に炎：{1}。",
    "、",
    "足元に巻物がある。",
    "撃破数{1}／77。",
    "",
};

std::string filled(const char* pattern, const std::string& first, const std::string& second = "") {
    std::string text = pattern;
    for (auto [token, value] : {std::pair{"{1}", &first}, std::pair{"{2}", &second}}) {
        std::size_t at = text.find(token);
        if (at != std::string::npos) text.replace(at, 3, *value);
    }
    return text;
}

// The compass point nearest to the way from the player to (dx, dy), a
// direction 0..7 of DIR_DX and DIR_DY: straight when the cross offset is
// under tan 22.5 degrees of the main one, else diagonal.
int compass_point(int dx, int dy) {
    int across = std::abs(dx);
    int down = std::abs(dy);
    int step_x = across * 985 < down * 408 ? 0 : (dx > 0) - (dx < 0);
    int step_y = down * 985 < across * 408 ? 0 : (dy > 0) - (dy < 0);
    for (int d = 0; d < DIRECTION_NONE; ++d)
        if (DIR_DX[d] == step_x && DIR_DY[d] == step_y) return d;
    return DIRECTION_NONE;
}

struct Seen {
    int distance;  // in steps: the larger of the two offsets
    int dx;
    int dy;
};

Seen seen_from_player(const Creature* c) {
    int dx = c->x - game.player_x;
    int dy = c->y - game.player_y;
    return Seen{std::max(std::abs(dx), std::abs(dy)), dx, dy};
}

std::string where(const Words& words, const Seen& seen) {
    int d = compass_point(seen.dx, seen.dy);
    if (d == DIRECTION_NONE) return "";
    std::string text = seen.distance == 1 ? filled(words.one_step, words.compass[d])
                                          : filled(words.steps, std::to_string(seen.distance), words.compass[d]);
    bool on_a_line = seen.dx == 0 || seen.dy == 0 || std::abs(seen.dx) == std::abs(seen.dy);
    if (on_a_line && seen.distance <= RANGED_REACH) text += words.in_range;
    return text;
}

// The creature drawn at its cell: on the map, and not hidden by another.
bool in_sight(Creature* c) { return in_bounds(c->x, c->y) && find_creature_at(c->x, c->y) == c; }

std::string archmage_sentence(const Words& words) {
    Creature* boss = game.archmage;
    if (game.boss_mode == 0 || boss->kind == KIND_DEAD) return "";
    std::string strength = std::to_string(archmage_hp);
    if (!in_sight(boss)) return filled(words.archmage_unseen, "", strength);
    return filled(words.archmage, where(words, seen_from_player(boss)), strength);
}

std::string monsters_sentence(const Words& words) {
    std::vector<Seen> seen;
    for (Creature* m = game.monsters; m != nullptr; m = m->next)
        if (m->kind != KIND_DEAD && in_sight(m)) seen.push_back(seen_from_player(m));
    if (seen.empty()) return words.no_monsters;
    std::stable_sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.distance < b.distance; });
    std::string text = seen.size() == 1 ? words.one_monster : filled(words.monsters, std::to_string(seen.size()));
    for (std::size_t i = 0; i < seen.size(); ++i) text += (i > 0 ? words.next_monster : "") + where(words, seen[i]);
    return text + words.full_stop;
}

std::string fire_sentence(const Words& words) {
    std::string directions;
    for (int d = 0; d < DIRECTION_NONE; ++d) {
        int x = game.player_x + DIR_DX[d];
        int y = game.player_y + DIR_DY[d];
        if (!in_bounds(x, y) || map[y][x].glyph != GLYPH_FIRE) continue;
        directions += (directions.empty() ? "" : words.next_direction) + std::string(words.compass[d]);
    }
    return directions.empty() ? "" : filled(words.fire, directions);
}

}  // namespace

std::string describe_surroundings() {
    bool english = shown_language() == Language::english;
    const Words& words = english ? ENGLISH : JAPANESE;
    KeyWait wait = console_key_hint().wait;
    std::vector<std::string> sentences = {words.waits[static_cast<int>(wait)]};
    if (wait != KeyWait::title && wait != KeyWait::ending) {
        sentences.push_back(archmage_sentence(words));
        sentences.push_back(monsters_sentence(words));
        sentences.push_back(fire_sentence(words));
        if (in_bounds(game.player_x, game.player_y) && map[game.player_y][game.player_x].glyph == GLYPH_SCROLL)
            sentences.push_back(words.scroll);
        sentences.push_back(filled(words.kills, std::to_string(game.kill_count)));
    }
    std::string text;
    for (const std::string& sentence : sentences)
        if (!sentence.empty()) text += (text.empty() ? "" : words.sentence_break) + sentence;
    return english ? text : to_cp932(text);
}
