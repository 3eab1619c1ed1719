#pragma once
// The message row: one message at a time on row 0, held on "-more-" when a
// second arrives before the player has pressed a key.
#include <cstddef>

constexpr std::size_t LAST_MESSAGE_SIZE = 2048;
constexpr std::size_t MESSAGE_LIMIT = 1024;  // a message is cut to 1023 bytes

extern char last_message[LAST_MESSAGE_SIZE];

void post_message(const char* text, int colour);
int wait_space_or_escape();
