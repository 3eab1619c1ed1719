#pragma once
// A terminal that turns a run into an asciicast v2 file, the text format of
// recorded terminal sessions: a header line, then one line for every screen
// the game shows, [time, "o", output], the output being the whole screen
// as a terminal would get it (UTF-8, colours as SGR sequences, every cell
// placed, so that a player that draws a character narrower than the game
// does still keeps the columns). The time is what a watcher of the replay
// would see: the game's own pauses and every sleep_ms the replay asks for.
// It reads no keys: it stands behind an unwatched ReplayTerminal.
#include <cstdint>
#include <cstdio>
#include <string>

#include "screen/terminal.h"

class CastTerminal : public Terminal {
   public:
    // Writes to `out` (which stays the caller's); `title` names the run.
    CastTerminal(std::FILE* out, const std::string& title);
    ~CastTerminal() override;
    CastTerminal(const CastTerminal&) = delete;
    CastTerminal& operator=(const CastTerminal&) = delete;

    void present(const ScreenBuffer& screen) override;
    // Not called behind an unwatched replay; a replay that asked anyway
    // would see no key.
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override;
    void sleep_ms(int ms) override { clock_ms_ += ms; }

    long events() const { return events_; }

   private:
    std::FILE* out_;
    void* converter_;  // an iconv_t, CP932 to UTF-8
    int64_t clock_ms_ = 0;
    long events_ = 0;
};

// The screen as the output of one event: the cursor home, then every row.
// `converter` converts CP932 to UTF-8 (an iconv_t).
std::string screen_as_terminal_output(const ScreenBuffer& screen, void* converter);
// `text` as a JSON string, quotes included.
std::string json_string(const std::string& text);
