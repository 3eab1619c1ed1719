#pragma once
// The full-screen pages outside play: splash, title and ending.

void splash_screen();
void title_screen();
void ending_screen();
