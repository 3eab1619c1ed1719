// Bytes the real game writes to its terminal, through ncursesw, per turn of
// play. Runs the drowsel binary on a pseudo-terminal of 80 x 24, presses the
// keys of a walk and counts what comes out of the terminal after each key;
// once for each terminal type (xterm-256color, xterm-16color, screen, linux)
// or for the one named.
//
//   drowsel_pty_bytes [path/to/drowsel [steps [TERM]]]
//
// Every step key is one action of the player and so two turns: the turn in
// which it is read ends with the monsters' and the archmage's phases, the
// next turn (without the player's energy for a command) redraws, and the
// turn after that redraws again before it reads the next key. Every redraw
// clears the screen, which curses shows as a full repaint; the program counts
// those repaints, so a turn's bytes are the walk's bytes per repaint.
//
// The floor is what no terminal program could go below for the screens the
// walk's repaints leave: a small terminal reads the bytes into its cells,
// and the floor of one repaint is the bytes of its glyphs (blank cells
// free) plus, for each run of glyphs of one rendition in reading order, the
// shortest ECMA-48 select-graphic-rendition that turns the previous run's
// rendition into this one. Cursor moves and clears are not in the floor. A
// blank is free only as the terminal's clear leaves it: on a terminal
// without background colour erase ("screen"), where curses clears to the
// game's black by writing blanks, a black blank costs its byte like any
// glyph, and such a clear (home, then a whole row of blanks) counts as a
// clear.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#ifndef DROWSEL_BINARY
#define DROWSEL_BINARY "drowsel"
#endif

namespace {

int master_fd = -1;

constexpr int ROWS = 24;
constexpr int COLS = 80;
constexpr int EXTENDED = 1000;  // colour 38;5;n or 48;5;n

// Colours keep the code that chose them: 39/49 the terminal's own, 30..37,
// 90..97 (40..47, 100..107), EXTENDED + n.
struct Rendition {
    int fg = 39;
    int bg = 49;
    bool bold = false, dim = false, underline = false, blink = false, reverse = false;
    bool operator==(const Rendition&) const = default;
};

struct Cell {
    std::string glyph = " ";  // UTF-8; empty for the right half of a wide one
    Rendition rendition;
};

std::string sgr(const std::vector<int>& codes) {
    std::string out = "\x1b[";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i > 0) out += ';';
        out += std::to_string(codes[i]);
    }
    return out + "m";
}

void colour_codes(std::vector<int>& codes, int colour, int base) {
    if (colour >= EXTENDED) {
        codes.insert(codes.end(), {base, 5, colour - EXTENDED});
    } else {
        codes.push_back(colour);
    }
}

// The shortest SGR from `from` to `to`: what differs, or a reset and
// everything that is not plain.
std::size_t transition_bytes(const Rendition& from, const Rendition& to) {
    if (from == to) return 0;
    std::vector<int> step;
    if ((from.bold && !to.bold) || (from.dim && !to.dim)) {
        step.push_back(22);
        if (to.bold) step.push_back(1);
        if (to.dim) step.push_back(2);
    } else {
        if (to.bold && !from.bold) step.push_back(1);
        if (to.dim && !from.dim) step.push_back(2);
    }
    if (to.underline != from.underline) step.push_back(to.underline ? 4 : 24);
    if (to.blink != from.blink) step.push_back(to.blink ? 5 : 25);
    if (to.reverse != from.reverse) step.push_back(to.reverse ? 7 : 27);
    if (to.fg != from.fg) colour_codes(step, to.fg, 38);
    if (to.bg != from.bg) colour_codes(step, to.bg, 48);
    std::vector<int> reset{0};
    if (to.bold) reset.push_back(1);
    if (to.dim) reset.push_back(2);
    if (to.underline) reset.push_back(4);
    if (to.blink) reset.push_back(5);
    if (to.reverse) reset.push_back(7);
    if (to.fg != 39) colour_codes(reset, to.fg, 38);
    if (to.bg != 49) colour_codes(reset, to.bg, 48);
    return std::min(sgr(step).size(), sgr(reset).size());
}

// A small terminal: enough of ECMA-48 for what curses sends to the four
// terminal types, with the cells it leaves.
class Terminal {
   public:
    explicit Terminal(bool erases_in_colour) : cells_(ROWS, std::vector<Cell>(COLS)), bce_(erases_in_colour) {}

    // Called at every clear of the whole screen, with the cells as they
    // were before it.
    std::function<void(const Terminal&)> on_clear;

    void feed(const char* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) byte(static_cast<unsigned char>(bytes[i]));
    }

    long clears() const { return clears_; }
    long unknown_sequences() const { return unknown_; }

    // The floor of the screen as it is, drawn after a clear done in
    // `from`.
    std::size_t floor_from(Rendition from) const {
        std::size_t bytes = 0;
        for (const auto& row : cells_) {
            for (const Cell& cell : row) {
                if (cell.glyph.empty()) continue;
                bool blank = cell.glyph == " " && !cell.rendition.reverse && !cell.rendition.underline &&
                             (bce_ || cell.rendition.bg == 49);
                if (blank) continue;
                bytes += cell.glyph.size() + transition_bytes(from, cell.rendition);
                from = cell.rendition;
            }
        }
        return bytes;
    }
    // The floor of the repaint that a clear is ending.
    std::size_t repaint_floor() const { return floor_at_home_ != NOT_HOMED ? floor_at_home_ : floor_from(cleared_in_); }

   private:
    enum class State { text, escape, csi, charset };

    void byte(unsigned char b) {
        switch (state_) {
            case State::escape:
                if (b == '[') {
                    state_ = State::csi;
                    params_.clear();
                } else if (b == '(' || b == ')') {
                    state_ = State::charset;
                } else {
                    state_ = State::text;  // keypad modes and such: no cells
                }
                return;
            case State::charset: state_ = State::text; return;
            case State::csi:
                if (b >= 0x20 && b <= 0x3F) {
                    params_ += static_cast<char>(b);
                } else {
                    state_ = State::text;
                    csi(static_cast<char>(b));
                }
                return;
            case State::text: break;
        }
        if (b == 0x1b) {
            state_ = State::escape;
        } else if (b == '\r') {
            col_ = 0;
        } else if (b == '\n') {
            if (row_ + 1 < ROWS) ++row_;
        } else if (b == '\b') {
            if (col_ > 0) --col_;
        } else if (b == '\t') {
            col_ = std::min(COLS - 1, (col_ / 8 + 1) * 8);
        } else if (b >= 0x20) {
            utf8_ += static_cast<char>(b);
            wchar_t wc = 0;
            std::mbstate_t mb{};
            std::size_t got = std::mbrtowc(&wc, utf8_.data(), utf8_.size(), &mb);
            if (got == static_cast<std::size_t>(-2)) return;  // more bytes to come
            if (got == static_cast<std::size_t>(-1)) wc = L'?';
            put(utf8_, std::max(1, wcwidth(wc)));
            utf8_.clear();
        }
    }

    void put(const std::string& glyph, int width) {
        if (col_ + width > COLS) {
            col_ = 0;
            if (row_ + 1 < ROWS) ++row_;
        }
        if (glyph == " " && row_ == 0 && col_ == home_blanks_ && floor_at_home_ != NOT_HOMED) {
            if (++home_blanks_ == COLS) cleared_by_blanks();
        } else {
            floor_at_home_ = NOT_HOMED;
        }
        cells_[row_][col_] = Cell{glyph, now_};
        if (width == 2 && col_ + 1 < COLS) cells_[row_][col_ + 1] = Cell{"", now_};
        last_ = glyph;
        last_width_ = width;
        col_ += width;
    }

    std::vector<int> numbers() const {
        std::vector<int> out{0};
        for (char c : params_) {
            if (c == ';' || c == ':') {
                out.push_back(0);
            } else if (c >= '0' && c <= '9') {
                out.back() = out.back() * 10 + (c - '0');
            }
        }
        return out;
    }

    // Without colour erase, a clear by blanks: the screen as it was when
    // the cursor went home, which the first row of blanks starts to
    // overwrite.
    void homed() {
        floor_at_home_ = floor_from(cleared_in_);
        home_blanks_ = 0;
    }
    void cleared_by_blanks() {
        ++clears_;
        if (on_clear) on_clear(*this);
        cleared_in_ = now_;
        floor_at_home_ = NOT_HOMED;
    }

    void erase(int row, int from, int to) {
        for (int c = std::max(0, from); c < std::min(COLS, to); ++c) {
            Cell blank;
            if (bce_) blank.rendition.bg = now_.bg;
            cells_[row][c] = blank;
        }
    }

    void csi(char final_byte) {
        if (!params_.empty() && (params_[0] == '?' || params_[0] == '>' || params_[0] == '!')) {
            if (final_byte != 'h' && final_byte != 'l' && final_byte != 'p' && final_byte != 'c') ++unknown_;
            return;
        }
        std::vector<int> p = numbers();
        int n = std::max(1, p[0]);
        switch (final_byte) {
            case 'H':
            case 'f':
                row_ = std::clamp(n - 1, 0, ROWS - 1);
                col_ = std::clamp(std::max(1, p.size() > 1 ? p[1] : 1) - 1, 0, COLS - 1);
                if (row_ == 0 && col_ == 0 && !bce_) homed();
                break;
            case 'd': row_ = std::clamp(n - 1, 0, ROWS - 1); break;
            case 'G':
            case '`': col_ = std::clamp(n - 1, 0, COLS - 1); break;
            case 'A': row_ = std::max(0, row_ - n); break;
            case 'B': row_ = std::min(ROWS - 1, row_ + n); break;
            case 'C': col_ = std::min(COLS - 1, col_ + n); break;
            case 'D': col_ = std::max(0, std::min(col_, COLS - 1) - n); break;
            case 'J':
                if (p[0] == 2 || (p[0] == 0 && row_ == 0 && col_ == 0)) {
                    floor_at_home_ = NOT_HOMED;
                    ++clears_;
                    if (on_clear) on_clear(*this);
                    cleared_in_ = now_;
                    for (int r = 0; r < ROWS; ++r) erase(r, 0, COLS);
                } else if (p[0] == 0) {
                    erase(row_, col_, COLS);
                    for (int r = row_ + 1; r < ROWS; ++r) erase(r, 0, COLS);
                }
                break;
            case 'K':
                if (p[0] == 0) erase(row_, col_, COLS);
                if (p[0] == 1) erase(row_, 0, col_ + 1);
                if (p[0] == 2) erase(row_, 0, COLS);
                break;
            case 'X': erase(row_, col_, col_ + n); break;
            case '@':  // insert blanks: the rest of the row moves right
                for (int c = COLS - 1; c >= col_; --c) {
                    if (c - n >= col_) cells_[row_][c] = cells_[row_][c - n];
                }
                erase(row_, col_, col_ + n);
                break;
            case 'P':  // delete: the rest of the row moves left
                for (int c = col_; c < COLS; ++c) {
                    if (c + n < COLS) cells_[row_][c] = cells_[row_][c + n];
                }
                erase(row_, COLS - n, COLS);
                break;
            case 'b':
                for (int i = 0; i < n && !last_.empty(); ++i) put(last_, last_width_);
                break;
            case 'm': rendition(p); break;
            case 'h':
            case 'l':
            case 'r':
            case 'n':
            case 'c':
            case 't': break;  // modes, margins and questions: no cells
            default: ++unknown_;
        }
    }

    void rendition(const std::vector<int>& p) {
        for (std::size_t i = 0; i < p.size(); ++i) {
            int code = p[i];
            if (code == 0)
                now_ = Rendition{};
            else if (code == 1)
                now_.bold = true;
            else if (code == 2)
                now_.dim = true;
            else if (code == 4)
                now_.underline = true;
            else if (code == 5)
                now_.blink = true;
            else if (code == 7)
                now_.reverse = true;
            else if (code == 22)
                now_.bold = now_.dim = false;
            else if (code == 24)
                now_.underline = false;
            else if (code == 25)
                now_.blink = false;
            else if (code == 27)
                now_.reverse = false;
            else if ((code >= 30 && code <= 37) || code == 39 || (code >= 90 && code <= 97))
                now_.fg = code;
            else if ((code >= 40 && code <= 47) || code == 49 || (code >= 100 && code <= 107))
                now_.bg = code;
            else if ((code == 38 || code == 48) && i + 2 < p.size() && p[i + 1] == 5) {
                (code == 38 ? now_.fg : now_.bg) = EXTENDED + p[i + 2];
                i += 2;
            } else if (code < 10 || code > 19) {
                ++unknown_;
            }
        }
    }

    std::vector<std::vector<Cell>> cells_;
    State state_ = State::text;
    std::string params_;
    std::string utf8_;
    std::string last_;
    int last_width_ = 1;
    int row_ = 0;
    int col_ = 0;
    Rendition now_;
    Rendition cleared_in_;
    long clears_ = 0;
    long unknown_ = 0;
    bool bce_;
    static constexpr std::size_t NOT_HOMED = static_cast<std::size_t>(-1);
    std::size_t floor_at_home_ = NOT_HOMED;
    int home_blanks_ = 0;
};

Terminal* screen = nullptr;

// Reads until the game has said nothing for `quiet_ms`; returns the bytes.
long drain(int quiet_ms) {
    long total = 0;
    char buffer[65536];
    for (;;) {
        pollfd p{master_fd, POLLIN, 0};
        int ready = poll(&p, 1, quiet_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return total;
        ssize_t n = read(master_fd, buffer, sizeof buffer);
        if (n <= 0) return total;  // the game has gone
        screen->feed(buffer, static_cast<std::size_t>(n));
        total += n;
    }
}

void press(int key) {
    char c = static_cast<char>(key);
    if (write(master_fd, &c, 1) != 1) std::perror("write");
}

struct Summary {
    long keys = 0;
    long total = 0;
    long least = 0;
    long most = 0;
};

Summary summarise(const std::vector<long>& bytes) {
    Summary s;
    s.keys = static_cast<long>(bytes.size());
    if (bytes.empty()) return s;
    s.total = std::accumulate(bytes.begin(), bytes.end(), 0L);
    s.least = *std::min_element(bytes.begin(), bytes.end());
    s.most = *std::max_element(bytes.begin(), bytes.end());
    return s;
}

// One run of the game on one terminal type; prints its table.
int measure(const char* binary, int steps, const char* term) {
    constexpr int QUIET_MS = 40;
    // Whether the terminal type erases in the background colour: tput's
    // answer for a flag is its exit status.
    std::string ask = std::string("tput -T '") + term + "' bce";
    int answer = std::system(ask.c_str());
    if (answer == -1 || !WIFEXITED(answer) || WEXITSTATUS(answer) > 1) {
        std::fprintf(stderr, "drowsel_pty_bytes: tput knows no terminal type %s\n", term);
        return 1;
    }
    Terminal terminal(WEXITSTATUS(answer) == 0);
    screen = &terminal;

    winsize size{};
    size.ws_row = ROWS;
    size.ws_col = COLS;
    pid_t child = forkpty(&master_fd, nullptr, nullptr, &size);
    if (child < 0) {
        std::perror("forkpty");
        return 1;
    }
    if (child == 0) {
        setenv("TERM", term, 1);
        setenv("LANG", "C.UTF-8", 1);
        unsetenv("LC_ALL");
        execl(binary, binary, static_cast<char*>(nullptr));
        std::perror("exec");
        _exit(127);
    }

    long start_up = drain(500);  // splash and title
    press('x');
    long intro = drain(QUIET_MS);
    // The intro holds six messages on "-more-".
    for (int i = 0; i < 6; ++i) {
        press(' ');
        intro += drain(QUIET_MS);
    }

    // A walk: long runs in one direction, with turns, so that new ground
    // and new monsters keep coming; a monster in the way is slain. Each
    // clear ends the repaint before it, whose screen adds to the floor.
    bool counting = false;
    std::size_t walk_floor = 0;
    terminal.on_clear = [&](const Terminal& t) {
        if (counting) walk_floor += t.repaint_floor();
        counting = true;
    };
    const char pattern[] = {'6', '6', '6', '6', '6', '6', '3', '2', '2', '1', '4', '4', '4', '4', '7', '8', '8', '9'};
    std::vector<long> per_key;
    long clears_before_walk = terminal.clears();
    for (int i = 0; i < steps; ++i) {
        press(pattern[(i / 4) % sizeof pattern]);
        per_key.push_back(drain(QUIET_MS));
    }
    long walk_clears = terminal.clears() - clears_before_walk;
    if (counting) walk_floor += terminal.repaint_floor();
    terminal.on_clear = nullptr;
    press('Q');
    long at_exit = drain(200);
    int status = 0;
    waitpid(child, &status, 0);
    close(master_fd);

    Summary walk = summarise(per_key);
    if (walk.keys == 0 || walk.total == 0) {
        std::fprintf(stderr, "drowsel_pty_bytes: the game wrote nothing (is %s the game?)\n", binary);
        return 1;
    }
    double per_key_mean = static_cast<double>(walk.total) / walk.keys;
    std::printf("Bytes written to an 80x24 %s pseudo-terminal by %s\n", term, binary);
    std::printf("| what | keys | bytes |\n|---|---:|---:|\n");
    std::printf("| splash and title | 0 | %ld |\n", start_up);
    std::printf("| intro (title key and six \"-more-\") | 7 | %ld |\n", intro);
    std::printf("| walk, all keys | %ld | %ld |\n", walk.keys, walk.total);
    std::printf("| walk, per key: least / mean / most | 1 | %ld / %.0f / %ld |\n", walk.least, per_key_mean, walk.most);
    std::printf("| walk, full repaints (clear screen) per key | 1 | %.2f |\n",
                static_cast<double>(walk_clears) / walk.keys);
    if (walk_clears > 0) {
        double repaints = static_cast<double>(walk_clears);
        std::printf("| walk, per turn (one full repaint) | - | %.0f |\n", static_cast<double>(walk.total) / repaints);
        std::printf("| walk, floor per turn (glyphs and one shortest SGR per run) | - | %.0f |\n",
                    static_cast<double>(walk_floor) / repaints);
        std::printf("| walk, floor per key | 1 | %.0f |\n", static_cast<double>(walk_floor) / walk.keys);
        std::printf("| walk, bytes sent / floor | - | %.2f |\n",
                    static_cast<double>(walk.total) / static_cast<double>(walk_floor));
    }
    std::printf("| quit | 1 | %ld |\n", at_exit);
    if (terminal.unknown_sequences() > 0)
        std::printf("(%ld sequences the floor's terminal does not know)\n", terminal.unknown_sequences());
    std::printf("exit status %d\n\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const char* binary = argc > 1 ? argv[1] : DROWSEL_BINARY;
    int steps = argc > 2 ? std::atoi(argv[2]) : 200;
    if (argc > 3) return measure(binary, steps, argv[3]);
    int failed = 0;
    for (const char* term : {"xterm-256color", "xterm-16color", "screen", "linux"})
        failed |= measure(binary, steps, term);
    return failed;
}
