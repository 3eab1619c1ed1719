// The play terminal on ncursesw.
//
// The game draws into an 80 x 23 ScreenBuffer of CP932 bytes and PC palette
// colours; this terminal copies that buffer to the curses screen:
// - each colour maps onto what the terminal offers (curses_palette.h);
// - each CP932 character is converted to the locale's encoding and always
//   takes as many columns as it has bytes, so the game's columns stay put,
//   whether the terminal draws ― “ ” … one column wide or two;
// - a terminal smaller than 80 x 23 shows what fits and says so on its
//   last row;
// - a resize, or a continue after a stop, repaints and is never handed to
//   the game as a key;
// - every exit of the process gives the terminal back (terminal_restore.h).
#include "backends/curses/curses_terminal.h"

#include <curses.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "backends/curses/curses_keyboard.h"
#include "backends/curses/curses_palette.h"
#include "backends/curses/curses_startup.h"
#include "backends/curses/curses_wide_overlay.h"
#include "backends/curses/rendition_filter.h"
#include "backends/curses/terminal_glyphs.h"
#include "backends/curses/terminal_restore.h"
#include "backends/curses/width_probe.h"
#include "screen/screen_buffer.h"

namespace {

// The normal way out: curses' own end, with the keys typed ahead dropped so
// that none reaches the shell.
void give_back_normally() {
    if (!terminal_is_taken()) return;
    discard_typed_ahead();
    endwin();
    terminal_given_back();
}

class CursesTerminal : public Terminal {
   public:
    explicit CursesTerminal(const CursesLook& look) {
        start_curses();
        std::atexit(give_back_normally);
        {
            CursesSettingUp quiet;
            set_up_keyboard();
            set_up_palette(styles_, look.palette);
            if (look.cursor_shown)
                curs_set(1);
            else
                cursor_hidden_ = curs_set(0) != ERR;
            clear();
            refresh();
        }
        glyphs_.set_ambiguous_wide(ambiguous_characters_wide(STDIN_FILENO, STDOUT_FILENO));
        clearok(curscr, TRUE);  // the probe left a character on screen
    }

    void present(const ScreenBuffer& screen) override { draw(screen, screen.repaint_pending()); }

    int read_key(const ScreenBuffer& screen, const KeyHint&) override {
        for (;;) {
            int key = read_key_within(screen, -1);
            if (key >= 0) return key;
        }
    }

    void sleep_ms(int ms) override { napms(ms); }

    // A negative `timeout_ms` waits for as long as it takes. A resize or a
    // continue after a stop repaints and ends the wait early.
    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override {
        shown_ = &screen;
        KeyRead read = read_keyboard(timeout_ms);
        switch (read.event) {
            case KeyEvent::key: return read.key;
            case KeyEvent::resized:
            case KeyEvent::resumed: draw(screen, true); return -1;
            case KeyEvent::timeout: return -1;
            case KeyEvent::gone: break;
        }
        refuse_to_run("the keyboard is gone (standard input was closed)", EXIT_UNUSABLE_TERMINAL);
    }

    void show_status_line(const char* ascii) override {
        status_line_ = ascii;
        if (!terminal_is_taken()) return;
        if (status_line_.empty() && rows_ > SCREEN_ROWS) {
            move(SCREEN_ROWS, 0);
            clrtoeol();
        }
        if (shown_ != nullptr) draw(*shown_, false);
    }

    void shutdown() override { give_back_normally(); }

   private:
    void draw(const ScreenBuffer& screen, bool full_repaint) {
        shown_ = &screen;
        if (!terminal_is_taken()) return;
        if (full_repaint) clear();
        getmaxyx(stdscr, rows_, cols_);
        overlay_.clear();
        for (int row = 0; row < SCREEN_ROWS && row < rows_; ++row) draw_row(screen, row);
        if (rows_ < SCREEN_ROWS || cols_ < SCREEN_COLS) show_size_notice();
        if (!status_line_.empty()) show_status_row();
        if (!cursor_hidden_ && screen.cursor_row() < rows_ && screen.cursor_col() < cols_)
            move(screen.cursor_row(), screen.cursor_col());
        refresh_with_short_renditions();
        overlay_.write_after_refresh();
    }

    void draw_row(const ScreenBuffer& screen, int row) {
        for (const DrawnChar& drawn : glyphs_.layout_row(screen, row)) {
            const Style& style = style_of(drawn.colour);
            if (drawn.width == 2 && drawn.col + 1 >= cols_) {
                put(row, drawn.col, L'?', style);  // half of it would not fit
            } else if (drawn.width == 2 && wcwidth(drawn.wc) == 1) {
                // Two columns on the terminal, one for curses.
                put(row, drawn.col, L' ', style);
                put(row, drawn.col + 1, L' ', style);
                if (row < rows_) overlay_.add(row, drawn.col, drawn.wc, style);
            } else {
                put(row, drawn.col, drawn.wc, style);
            }
        }
    }

    void put(int row, int col, wchar_t wc, const Style& style) {
        if (row >= rows_ || col >= cols_) return;
        wchar_t text[2] = {wc, L'\0'};
        cchar_t cell;
        setcchar(&cell, text, style.attrs, style.pair, nullptr);
        mvadd_wch(row, col, &cell);
    }

    const Style& style_of(int colour) const {
        static const Style plain{};
        if (colour <= 0 || colour >= PALETTE_SIZE) return plain;
        return styles_[colour];
    }

    // One line on the terminal's last row telling the player that part of
    // the game's screen is cut off.
    void show_size_notice() {
        if (rows_ < 1) return;
        char notice[96];
        int length = std::snprintf(notice, sizeof notice, "Terminal is %dx%d; Drowsel needs %dx%d", cols_, rows_,
                                   SCREEN_COLS, SCREEN_ROWS);
        put_banner(rows_ - 1, notice, length);
    }

    // The status line of a replay, in reverse white, below the game's rows
    // or over the last row.
    void show_status_row() {
        int row = rows_ > SCREEN_ROWS ? SCREEN_ROWS : rows_ - 1;
        if (row < 0) return;
        put_banner(row, status_line_.data(), static_cast<int>(status_line_.size()));
    }

    // ASCII text in reverse white across the whole of `row`: the text, then
    // blanks.
    void put_banner(int row, const char* text, int length) {
        Style style = style_of(15);
        style.attrs |= A_REVERSE;
        for (int col = 0; col < cols_; ++col) {
            if (col < length)
                put(row, col, static_cast<wchar_t>(text[col]), style);
            else
                put(row, col, L' ', Style{});
        }
    }

    Style styles_[PALETTE_SIZE];
    TerminalGlyphs glyphs_;
    WideOverlay overlay_;
    bool cursor_hidden_ = false;
    const ScreenBuffer* shown_ = nullptr;  // the screen last drawn
    std::string status_line_;
    int rows_ = 0;
    int cols_ = 0;
};

}  // namespace

Terminal* open_curses_terminal(const CursesLook& look) {
    static CursesTerminal* terminal = new CursesTerminal(look);
    return terminal;
}
