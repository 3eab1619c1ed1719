#pragma once
// For a player with a screen reader (--reader): in front of the play
// terminal, between it and the recorder. Every screen is shown as the game
// drew it, but with the cursor right after the newest text, where a screen
// reader follows it: the end of the message row (its "-more-" included), or
// on the title and ending pages the end of their lowest line. The describe
// key, which the game never sees and so no recording holds, shows the
// player's surroundings in words (describe_surroundings) over the top rows
// until the next key, which then goes to the game as usual.
#include <string>
#include <vector>

#include "screen/screen_buffer.h"
#include "screen/terminal.h"

// "x", for "examine": no command, prompt or replay binds it.
constexpr int DESCRIBE_KEY = 'x';

class ReaderTerminal : public TerminalInFront {
   public:
    explicit ReaderTerminal(Terminal& inner) : TerminalInFront(inner) {}

    void present(const ScreenBuffer& screen) override;
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override;
    // A replay's own keys: the describe key is answered here too (and the
    // wait ends as if no key had come).
    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override;

   private:
    // The game's screen as shown: a copy with the cursor moved.
    const ScreenBuffer& with_cursor(const ScreenBuffer& screen);
    // Shows the description over the shown screen.
    void describe();
    // The game's screen back after the description.
    void end_description();

    ScreenBuffer shown_;
    ScreenBuffer described_;
    bool describing_ = false;
};

// Where the cursor goes on `screen`: after the last character of row 0 when
// it holds any, else after the last character of the lowest row that does,
// else the top-left corner. Never beyond the last column.
void place_reader_cursor(ScreenBuffer& screen);
// `text` (CP932) cut into rows of at most `width` columns: at a space where
// there is one in the row (the space dropped), else between two characters.
std::vector<std::string> wrap_cp932(const std::string& text, int width);
