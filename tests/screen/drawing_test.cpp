// The play screen, redrawn whole: message row, map, kill bar and boss bar.
#include "screen/drawing.h"

#include <cstring>
#include <string>
#include <vector>

#include "creatures/archmage.h"
#include "creatures/monsters.h"
#include "game/random.h"
#include "game/state.h"
#include "game/state_check.h"
#include "screen/console.h"
#include "screen/describe.h"
#include "screen/messages.h"
#include "support/test_support.h"
#include "text/language.h"
#include "world/map.h"

namespace {

class PlayScreen : public GameTest {
   protected:
    void SetUp() override {
        GameTest::SetUp();
        paint_map_green();
    }
};

TEST_F(PlayScreen, LayoutOfMessageMapAndKillBar) {
    std::strcpy(last_message, "a message");
    game.message_colour = COLOUR_LIGHT_MAGENTA;
    map[0][0] = MapCell{'#', COLOUR_BROWN};
    map[19][78] = MapCell{';', COLOUR_LIGHT_BLUE};
    map[9][38] = MapCell{'s', COLOUR_CYAN};
    long clears = screen().clear_count();

    draw_screen();

    EXPECT_EQ(screen().clear_count(), clears + 1);
    EXPECT_EQ(screen().cell(0, 0).byte, ' ');
    EXPECT_TRUE(text_on_screen(0, 1, "a message", COLOUR_LIGHT_MAGENTA));
    EXPECT_TRUE(text_on_screen(1, 0, "#", COLOUR_BROWN));
    EXPECT_TRUE(text_on_screen(1, 1, ".", COLOUR_GREEN));
    EXPECT_TRUE(text_on_screen(20, 78, ";", COLOUR_LIGHT_BLUE));
    EXPECT_TRUE(text_on_screen(10, 38, "s", COLOUR_CYAN));
    EXPECT_TRUE(text_on_screen(10, 39, "@", COLOUR_LIGHT_GREEN));
    for (int row = 1; row <= 20; ++row) EXPECT_EQ(screen().cell(row, 79).byte, ' ') << "row " << row;
    EXPECT_TRUE(text_on_screen(21, 0, std::string(77, '-'), COLOUR_DARK_GREY));
    EXPECT_EQ(screen().row_text(21).size(), 77u);
    EXPECT_EQ(screen().row_text(22), "");  // no boss bar outside boss mode
    EXPECT_EQ(random_draw_count(), 0);     // no fire, no draw
}

TEST_F(PlayScreen, MessageRowIsBlankBeforeAnyMessageAndDarkGreyOnceRead) {
    draw_screen();
    EXPECT_EQ(screen().row_text(0), "");
    std::strcpy(last_message, "read already");
    draw_screen();
    EXPECT_TRUE(text_on_screen(0, 1, "read already", COLOUR_DARK_GREY));
}

TEST_F(PlayScreen, KillBarCountsStarsFromTheLeft) {
    for (int kills : {0, 1, 76, 77}) {
        game.kill_count = kills;
        draw_screen();
        EXPECT_TRUE(text_on_screen(21, 0, std::string(kills, '*'), COLOUR_LIGHT_CYAN)) << kills;
        EXPECT_TRUE(text_on_screen(21, kills, std::string(77 - kills, '-'), COLOUR_DARK_GREY)) << kills;
        EXPECT_EQ(screen().cell(21, 77).byte, ' ') << kills;
    }
}

struct BossBarRow {
    int hp;
    int stars;
    int star_colour;
};

TEST_F(PlayScreen, BossBarFollowsTheArchmagesHealth) {
    const BossBarRow rows[] = {
        {77, 10, COLOUR_LIGHT_GREEN}, {76, 10, COLOUR_RED}, {70, 10, COLOUR_RED}, {69, 9, COLOUR_RED},
        {62, 9, COLOUR_RED},          {61, 8, COLOUR_RED},  {54, 8, COLOUR_RED},  {53, 7, COLOUR_RED},
        {47, 7, COLOUR_RED},          {46, 6, COLOUR_RED},  {39, 6, COLOUR_RED},  {38, 5, COLOUR_RED},
        {31, 5, COLOUR_RED},          {30, 4, COLOUR_RED},  {24, 4, COLOUR_RED},  {23, 3, COLOUR_RED},
        {16, 3, COLOUR_RED},          {15, 2, COLOUR_RED},  {8, 2, COLOUR_RED},   {7, 1, COLOUR_RED},
        {1, 1, COLOUR_RED},           {0, 1, COLOUR_RED},
    };
    game.boss_mode = 1;
    for (const BossBarRow& row : rows) {
        archmage_hp = row.hp;
        draw_screen();
        EXPECT_TRUE(text_on_screen(22, 0, "BOSS[", COLOUR_WHITE)) << row.hp;
        EXPECT_TRUE(text_on_screen(22, 5, std::string(row.stars, '*'), row.star_colour)) << row.hp;
        EXPECT_TRUE(text_on_screen(22, 5 + row.stars, std::string(10 - row.stars, '-'), COLOUR_DARK_GREY)) << row.hp;
        EXPECT_TRUE(text_on_screen(22, 15, "]", COLOUR_WHITE)) << row.hp;
        EXPECT_EQ(screen().row_text(22).size(), 16u) << row.hp;
    }
}

TEST_F(PlayScreen, FireFlickersOnceForEveryFireCellDrawnAsGround) {
    // Fire in reading order: (5, 0), (2, 3), (70, 3); more fire hidden under
    // the player, a monster and the archmage.
    map[0][5] = MapCell{'!', COLOUR_BLUE};
    map[3][2] = MapCell{'!', COLOUR_BLUE};
    map[3][70] = MapCell{'!', COLOUR_BLUE};
    map[9][39] = MapCell{'!', COLOUR_BLUE};
    map[12][20] = MapCell{'!', COLOUR_BLUE};
    map[15][60] = MapCell{'!', COLOUR_BLUE};
    place_monster(20, 12, KIND_CHASER, COLOUR_BROWN, '%');
    game.boss_mode = 1;
    archmage_hp = 77;
    archmage = Creature{KIND_ARCHMAGE, 60, 15, COLOUR_LIGHT_MAGENTA, 0, '@', nullptr, nullptr};
    random_script({1, 0, 3});
    random_start_log();

    draw_screen();

    EXPECT_EQ(random_log(), (std::vector<int>{2, 2, 2}));
    EXPECT_TRUE(text_on_screen(1, 5, "!", COLOUR_YELLOW));
    EXPECT_TRUE(text_on_screen(4, 2, "!", COLOUR_LIGHT_RED));
    EXPECT_TRUE(text_on_screen(4, 70, "!", COLOUR_YELLOW));
    EXPECT_TRUE(text_on_screen(10, 39, "@", COLOUR_LIGHT_GREEN));
    EXPECT_TRUE(text_on_screen(13, 20, "%", COLOUR_BROWN));
    EXPECT_TRUE(text_on_screen(16, 60, "@", COLOUR_LIGHT_MAGENTA));
    EXPECT_EQ(map[0][5].colour, COLOUR_BLUE);  // the stored colour is left alone
}

// What the screen shows, said in words at a key wait: read only, no draw.
TEST_F(PlayScreen, DescribeSaysWhatSurroundsThePlayerInTheShownLanguage) {
    place_monster(40, 9);                                    // 1 east
    place_monster(36, 12);                                   // 3 south-west, on the line
    place_monster(44, 7);                                    // 5 east, off the lines
    place_monster(39, 0);                                    // 9 north
    place_monster(-2, 5);                                    // off the map: not said
    place_monster(39, 0);                                    // hidden by the one above
    game.monsters->kind = KIND_DEAD;                         // and dead: not said
    map[8][38] = MapCell{'!', COLOUR_YELLOW};                // north-west
    map[10][39] = MapCell{'!', COLOUR_YELLOW};               // south
    map[game.player_y][game.player_x].glyph = GLYPH_SCROLL;  // underfoot
    game.kill_count = 12;
    std::vector<std::string> said;
    terminal->on_key_wait = [&](const ScreenBuffer&) {
        uint32_t check = state_check();
        said.push_back(describe_surroundings());
        EXPECT_EQ(state_check(), check);
    };
    auto describe_at = [&](KeyWait wait, Language language) {
        set_shown_language(language);
        terminal->keys = {'q'};
        console_read_key({wait});
        set_shown_language(Language::japanese);
    };

    describe_at(KeyWait::command, Language::english);
    describe_at(KeyWait::command, Language::japanese);
    game.boss_mode = 1;
    archmage_hp = 60;
    archmage = Creature{KIND_ARCHMAGE, 43, 5, COLOUR_LIGHT_MAGENTA, 0, '@', nullptr, nullptr};
    describe_at(KeyWait::direction, Language::english);
    describe_at(KeyWait::title, Language::english);

    ASSERT_EQ(said.size(), 4u);
    EXPECT_EQ(said[0],
              "Your move. 4 monsters: 1 step east, in range; 3 steps south-west, in range; 5 steps east; 9 steps "
              "north. Fire next to you: north-west, south. A scroll lies under you. Kills: 12 of 77.");
    EXPECT_EQ(said[1], cp("あなたの番。怪物4体：東に1歩（射程内）、南西に3歩（射程内）、東に5歩、北に9歩。"
                          "隣に炎：北西、南。足元に巻物がある。撃破数12／77。"));
    EXPECT_EQ(said[2].substr(0, 114),
              "Attack in which direction? A direction key, or 5 for none. The archmage: 4 steps north-east, strength "
              "60 of 77. 4 ");
    EXPECT_EQ(said[3], "The title page: any key starts the game.");
    EXPECT_EQ(random_draw_count(), 0);
}

}  // namespace
