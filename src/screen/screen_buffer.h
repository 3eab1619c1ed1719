#pragma once
// The 80 x 23 screen the game draws on, cell by cell, before a terminal shows
// it. Texts are CP932 bytes: a double-byte character takes two cells, its
// lead byte and its trail byte, so columns always equal bytes.
#include <string>

constexpr int SCREEN_ROWS = 23;
constexpr int SCREEN_COLS = 80;
constexpr int SCREEN_ERR = -1;
constexpr int SCREEN_OK = 0;

struct ScreenCell {
    unsigned char byte;  // ' ' when blank
    int colour;          // 0 for a blank cell
};

class ScreenBuffer {
   public:
    ScreenBuffer();

    // Blanks every cell, puts the cursor at (0, 0) and asks the terminal
    // for a full repaint at the next refresh.
    void clear();
    // Places the cursor; outside the screen returns SCREEN_ERR and changes
    // nothing.
    int move(int row, int col);
    // Writes one byte at the cursor in the current colour and advances,
    // wrapping to the next row; at the bottom-right corner it stops there.
    void add_byte(unsigned char byte);
    void add_text(const char* text);
    void clear_to_eol();
    void set_colour(int colour) { colour_ = colour; }

    const ScreenCell& cell(int row, int col) const { return cells_[row][col]; }
    // `length` bytes of a row from `col` on (clipped to the row).
    std::string text_at(int row, int col, int length) const;
    // The whole row as bytes, trailing blanks dropped.
    std::string row_text(int row) const;
    int cursor_row() const { return row_; }
    int cursor_col() const { return col_; }
    int colour() const { return colour_; }

    long clear_count() const { return clears_; }
    // A clear has happened since the terminal last showed the screen.
    bool repaint_pending() const { return repaint_pending_; }
    // Something was written since the terminal last showed the screen.
    bool dirty() const { return dirty_; }
    void mark_shown() {
        repaint_pending_ = false;
        dirty_ = false;
    }

   private:
    ScreenCell cells_[SCREEN_ROWS][SCREEN_COLS];
    int row_ = 0;
    int col_ = 0;
    int colour_ = 0;
    long clears_ = 0;
    bool repaint_pending_ = true;
    bool dirty_ = false;
};
