#pragma once
// A step of the player: the world slides one cell the other way.

// dx, dy: the player's step, each -1, 0 or 1, never both 0.
void scroll_world(int dx, int dy);
