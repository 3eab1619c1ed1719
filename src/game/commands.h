#pragma once
// The player's commands, one key each.

void player_command();
// Posts the prompt and waits for a direction key; returns 0..8.
int ask_direction(const char* prompt);
void ranged_attack();
void pick_up_scroll();
