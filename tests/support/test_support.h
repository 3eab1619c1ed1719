#pragma once
// What every test of the game starts from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/headless/headless_terminal.h"
#include "creatures/creature.h"
#include "screen/colours.h"

// Resets every record of the game to its program-start state, installs a
// fresh headless terminal and returns it. The random generator is seeded
// with a fixed value, its script emptied and its count set to 0.
HeadlessTerminal& start_fresh(unsigned seed = 1);

// A fixture that calls start_fresh before each test and frees the monsters
// after it.
class GameTest : public ::testing::Test {
   protected:
    void SetUp() override;
    void TearDown() override;
    HeadlessTerminal* terminal = nullptr;
};

// The CP932 bytes of a UTF-8 text, for comparing with the screen.
std::string cp(const char* utf8);
// Asserts that `text` (CP932) stands at (row, col), every cell in `colour`.
::testing::AssertionResult text_on_screen(int row, int col, const std::string& text, int colour);

// A living monster put by hand at (x, y), at the head of the list.
Creature* place_monster(int x, int y, int kind = KIND_CHASER, int colour = COLOUR_BROWN, unsigned char glyph = '*');
// Every map cell plain green ground.
void paint_map_green();
