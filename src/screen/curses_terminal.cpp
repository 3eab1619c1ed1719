// The play terminal on ncursesw. This is the only file of the game that
// talks to curses.
//
// The game draws into an 80 x 23 ScreenBuffer of CP932 bytes and PC palette
// colours; this terminal copies that buffer to the curses screen:
// - each colour maps onto what the terminal offers (16 colours directly, or
//   8 colours with bold for the bright half and a visible dark grey);
// - each CP932 character is converted to the locale's encoding and always
//   takes as many columns as it has bytes, so the game's columns stay put;
// - a terminal smaller than 80 x 23 shows what fits and says so on its
//   last row;
// - a resize repaints and is never handed to the game as a key;
// - every exit of the process, signals included, gives the terminal back.
#include "screen/curses_terminal.h"

#include <curses.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "screen/screen_buffer.h"
#include "screen/terminal_glyphs.h"

namespace {

constexpr int PALETTE_SIZE = 16;
// getch failing this many times in a row means the keyboard is gone.
constexpr int MAX_READ_FAILURES = 100;
constexpr int ESCAPE_DELAY_MS = 25;

// ---- Giving the terminal back --------------------------------------------

bool screen_open = false;

void restore_terminal() {
    if (!screen_open) return;
    screen_open = false;
    endwin();
}

void restore_at_exit() { restore_terminal(); }

extern "C" void restore_on_signal(int sig) {
    restore_terminal();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void install_restore_handlers() {
    std::atexit(restore_at_exit);
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
        struct sigaction action {};
        action.sa_handler = restore_on_signal;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
}

// ---- Colours ---------------------------------------------------------------

// How one palette colour is drawn: a colour pair and extra attributes.
struct Style {
    short pair = 0;
    attr_t attrs = A_NORMAL;
};

// Curses numbers red 1 and blue 4; the palette has them the other way round.
short curses_base_colour(int colour) {
    static const short base[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                  COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    return base[colour & 7];
}

// Whether the terminal can draw dim text in colour, for the dark grey of an
// 8-colour terminal.
bool dim_with_colour() {
    if ((termattrs() & A_DIM) == 0) return false;
    char ncv_name[] = "ncv";
    int no_colour_video = tigetnum(ncv_name);
    constexpr int NCV_DIM = 16;
    return no_colour_video < 0 || (no_colour_video & NCV_DIM) == 0;
}

// Defines pair n for palette colour n (1..15) and fills in how each is drawn.
void set_up_palette(Style (&styles)[PALETTE_SIZE]) {
    for (Style& style : styles) style = Style{};
    if (!has_colors() || start_color() == ERR) return;  // plain text
    if (COLORS < 8 || COLOR_PAIRS < PALETTE_SIZE) return;

    bool sixteen = COLORS >= 16;
    bool dim_grey = !sixteen && dim_with_colour();
    for (int colour = 1; colour < PALETTE_SIZE; ++colour) {
        bool bright = (colour & 8) != 0;
        short foreground = curses_base_colour(colour);
        attr_t attrs = A_NORMAL;
        if (sixteen) {
            if (bright) foreground = static_cast<short>(foreground + 8);
        } else if (colour == 8) {
            // Bold black is black on many terminals: dark grey becomes dim
            // white, or bright blue where dim is not to be had.
            foreground = dim_grey ? COLOR_WHITE : COLOR_BLUE;
            attrs = dim_grey ? A_DIM : A_BOLD;
        } else if (bright) {
            attrs = A_BOLD;
        }
        init_pair(static_cast<short>(colour), foreground, COLOR_BLACK);
        styles[colour] = Style{static_cast<short>(colour), attrs};
    }
}

// ---- The terminal ----------------------------------------------------------

class CursesTerminal : public Terminal {
   public:
    CursesTerminal() {
        std::setlocale(LC_ALL, "");
        initscr();
        screen_open = true;
        install_restore_handlers();
        raw();
        noecho();
        nonl();
        keypad(stdscr, TRUE);
        set_escdelay(ESCAPE_DELAY_MS);
        set_up_palette(styles_);
        cursor_hidden_ = curs_set(0) != ERR;
        clear();
    }

    void present(const ScreenBuffer& screen) override { draw(screen, screen.repaint_pending()); }

    int read_key(const ScreenBuffer& screen) override {
        shown_ = &screen;
        int failures = 0;
        for (;;) {
            int key = getch();
            if (key == KEY_RESIZE) {
                draw(screen, true);
                continue;
            }
            if (key == ERR) {
                // A signal may cut one read short; a keyboard that keeps
                // failing is gone for good.
                if (++failures < MAX_READ_FAILURES) continue;
                restore_terminal();
                std::exit(1);
            }
            return key;
        }
    }

    void sleep_ms(int ms) override { napms(ms); }

    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override {
        shown_ = &screen;
        timeout(timeout_ms < 0 ? 0 : timeout_ms);
        int key = getch();
        timeout(-1);
        if (key == KEY_RESIZE) draw(screen, true);  // and the wait ends early
        return key == ERR || key == KEY_RESIZE ? -1 : key;
    }

    void show_status_line(const char* ascii) override {
        status_line_ = ascii;
        if (!screen_open) return;
        if (status_line_.empty() && rows_ > SCREEN_ROWS) {
            move(SCREEN_ROWS, 0);
            clrtoeol();
        }
        if (shown_ != nullptr) draw(*shown_, false);
    }

    void shutdown() override { restore_terminal(); }

   private:
    void draw(const ScreenBuffer& screen, bool full_repaint) {
        shown_ = &screen;
        if (!screen_open) return;
        if (full_repaint) clear();
        getmaxyx(stdscr, rows_, cols_);
        for (int row = 0; row < SCREEN_ROWS && row < rows_; ++row) draw_row(screen, row);
        if (rows_ < SCREEN_ROWS || cols_ < SCREEN_COLS) show_size_notice();
        if (!status_line_.empty()) show_status_row();
        if (!cursor_hidden_ && screen.cursor_row() < rows_ && screen.cursor_col() < cols_)
            move(screen.cursor_row(), screen.cursor_col());
        refresh();
    }

    void draw_row(const ScreenBuffer& screen, int row) {
        for (const DrawnChar& drawn : glyphs_.layout_row(screen, row)) {
            const Style& style = style_of(drawn.colour);
            if (drawn.width == 2 && drawn.col + 1 >= cols_)
                put(row, drawn.col, L'?', style);  // half of it would not fit
            else
                put(row, drawn.col, drawn.wc, style);
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
        int length = std::snprintf(notice, sizeof notice, "Terminal is %dx%d; Drowsel needs %dx%d",
                                   cols_, rows_, SCREEN_COLS, SCREEN_ROWS);
        Style style = style_of(15);
        style.attrs |= A_REVERSE;
        for (int col = 0; col < cols_; ++col) {
            if (col < length)
                put(rows_ - 1, col, static_cast<wchar_t>(notice[col]), style);
            else
                put(rows_ - 1, col, L' ', Style{});
        }
    }

    // The status line of a replay, in reverse white, below the game's rows
    // or over the last row.
    void show_status_row() {
        int row = rows_ > SCREEN_ROWS ? SCREEN_ROWS : rows_ - 1;
        if (row < 0) return;
        Style style = style_of(15);
        style.attrs |= A_REVERSE;
        for (int col = 0; col < cols_; ++col) {
            if (col < static_cast<int>(status_line_.size()))
                put(row, col, static_cast<wchar_t>(status_line_[col]), style);
            else
                put(row, col, L' ', Style{});
        }
    }

    Style styles_[PALETTE_SIZE];
    TerminalGlyphs glyphs_;
    bool cursor_hidden_ = false;
    const ScreenBuffer* shown_ = nullptr;  // the screen last drawn
    std::string status_line_;
    int rows_ = 0;
    int cols_ = 0;
};

}  // namespace

Terminal* open_curses_terminal() {
    static CursesTerminal* terminal = new CursesTerminal();
    return terminal;
}
