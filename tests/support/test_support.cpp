#include "support/test_support.h"

#include <cstdlib>

#include "creatures/monsters.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "screen/console.h"
#include "text/encoding.h"
#include "text/language.h"
#include "world/map.h"

HeadlessTerminal& start_fresh(unsigned seed) {
    reset_to_program_start();
    random_seed(seed);
    set_shown_language(Language::japanese);
    return use_headless_terminal();
}

void GameTest::SetUp() { terminal = &start_fresh(); }

void GameTest::TearDown() { reset_to_program_start(); }

std::string cp(const char* utf8) { return to_cp932(utf8); }

::testing::AssertionResult text_on_screen(int row, int col, const std::string& text, int colour) {
    const ScreenBuffer& s = screen();
    std::string shown = s.text_at(row, col, static_cast<int>(text.size()));
    if (shown != text)
        return ::testing::AssertionFailure() << "row " << row << " col " << col << " shows \"" << shown << "\"";
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
        if (s.cell(row, col + i).colour != colour)
            return ::testing::AssertionFailure() << "row " << row << " col " << col + i << " has colour "
                                                 << s.cell(row, col + i).colour << ", expected " << colour;
    return ::testing::AssertionSuccess();
}

Creature* place_monster(int x, int y, int kind, int colour, unsigned char glyph) {
    Creature* m = new_monster();
    m->kind = kind;
    m->x = x;
    m->y = y;
    m->colour = colour;
    m->glyph = glyph;
    return m;
}

void paint_map_green() {
    for (auto& row : map)
        for (auto& cell : row) cell = MapCell{'.', COLOUR_GREEN};
}
