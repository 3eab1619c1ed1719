#include "game/tally.h"

RunTally run_tally;
