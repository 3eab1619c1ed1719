#pragma once
// A small check value of the whole state of play, for recordings: two
// games that have made the same random draws and hold the same map,
// palette, game record, monsters and archmage give the same value, on
// every platform (a fixed hash over the values, never over addresses).
#include <cstdint>

uint32_t state_check();
