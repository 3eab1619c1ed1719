#pragma once
// A count of what happened in the run, for the one-line summary of a checked
// recording and for saying how a run ended. Counting only: nothing in play
// reads it, so it changes no draw.
struct RunTally {
    long turns = 0;    // run_turn calls
    long dreams = 0;   // dreams begun (reset_world calls)
    long kills = 0;    // monsters slain by the player
    bool won = false;  // the archmage slain: the run ends in victory
    const char* ending() const { return won ? "victory" : "quit"; }
};

extern RunTally run_tally;
