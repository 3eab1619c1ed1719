#pragma once
// A terminal that turns a run into an asciicast v2 file, the text format of
// recorded terminal sessions: a header line, then one line for every screen
// the game shows that differs from the one before, [time, "o", output], the
// output being what a terminal needs to go from the last screen to this one:
// rows and columns moved where the map scrolled, cursor moves, the changed
// characters (UTF-8) and the shortest colour sequences, every double-byte
// character kept on the game's two columns however wide the player draws
// it. The time is the sum of the sleep_ms asked for. It reads no keys: it
// stands behind an unwatched ReplayTerminal.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "screen/screen_buffer.h"
#include "screen/terminal.h"

class CastTerminal : public Terminal {
   public:
    // Every line of the cast, the header first, goes to `sink`; `title`
    // names the run.
    CastTerminal(std::function<void(std::string_view)> sink, const std::string& title);

    void present(const ScreenBuffer& screen) override;
    // Not called behind an unwatched replay; a replay that asked anyway
    // would see no key.
    int read_key(const ScreenBuffer&, const KeyHint&) override { return -1; }
    void sleep_ms(int ms) override { clock_ms_ += ms; }

    // A cell as the player shows it.
    enum Part : uint8_t { single, lead, cover };  // cover: the right half of a double-byte character
    struct Cell {
        char32_t code = U' ';
        int colour = 0;  // 0 for the terminal's own, and for every blank
        Part part = single;
        bool operator==(const Cell&) const = default;
    };

   private:
    void scroll_rows(std::string& out, const Cell (*next)[SCREEN_COLS]);
    void shift_row(std::string& out, int row, const Cell* next);
    void write_row(std::string& out, int row, const Cell* next);
    void write_cells(std::string& out, int row, const Cell* next, int start, int stop);
    void move_to(std::string& out, int row, int col);

    std::function<void(std::string_view)> sink_;
    Cell shown_[SCREEN_ROWS][SCREEN_COLS];  // what the cast shows so far
    bool started_ = false;
    int row_ = 0;
    int col_ = 0;  // -1 where the player's cursor is not known
    int colour_ = 0;
    int64_t clock_ms_ = 0;
};
