#pragma once
// The player's surroundings in words, for a player who cannot see the
// screen: what the game waits for, the archmage and each monster on the map
// with its compass direction and distance in steps, fire beside the player,
// a scroll underfoot and the kills. In the shown language: CP932 in
// Japanese, plain ASCII in English; one line of sentences, to be wrapped
// or spoken by whoever shows it.
//
//   "Your move. The archmage: 4 steps north-east, strength 60 of 77.
//    2 monsters: 1 step east, in range; 5 steps south-west. Fire next to
//    you: north. A scroll lies under you. Kills: 77 of 77."
//
// A monster "in range" stands on one of the eight lines within three steps,
// where the ranged attack reaches. On the title and the ending pages only
// the wait is said. It only reads the game's records: it makes no random
// draw and changes nothing, so it may be called at any key wait.
#include <string>

std::string describe_surroundings();
