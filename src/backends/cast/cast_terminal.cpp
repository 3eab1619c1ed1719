#include "backends/cast/cast_terminal.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "screen/row_walk.h"
#include "text/encoding.h"

namespace {

// The PC palette's numbers (blue is 1, red 4) as SGR's (red is 1, blue 4).
constexpr int SGR_OF_PC[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Characters every player draws two columns wide (the kana, the CJK
// ideographs and punctuation, the full-width forms). Any other double-byte
// character may be drawn one column wide, and is written so that both
// ways keep the columns.
bool surely_wide(char32_t code) {
    return (code >= 0x3000 && code <= 0x303E) || (code >= 0x3041 && code <= 0x30FF) ||
           (code >= 0x4E00 && code <= 0x9FFF) || (code >= 0xFF01 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6);
}

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Rows or columns moved where that spares rewriting at least this many
// cells: a move costs about as much as writing that many.
constexpr int WORTH_A_SCROLL = 8;
constexpr int WORTH_A_SHIFT = 3;
constexpr int REWRITTEN_BLANKS = 8;

std::string csi(int number, char final) { return "\x1b[" + (number == 1 ? "" : std::to_string(number)) + final; }

// How many cells of `next` a row shows as they are, moved by `shift`
// columns (the cell at c taken from c + shift); a row with double-byte
// characters is never moved sideways.
using Cell = CastTerminal::Cell;

int alike(const Cell* next, const Cell* row, int shift) {
    const Cell blank;
    int same = 0;
    for (int col = 0; col < SCREEN_COLS; ++col) {
        int from = col + shift;
        const Cell& was = from >= 0 && from < SCREEN_COLS ? row[from] : blank;
        if (shift != 0 && was.part != CastTerminal::single) return 0;
        same += next[col] == was;
    }
    return same;
}

int alike_at_best(const Cell* next, const Cell* row) {
    return std::max({alike(next, row, 0), alike(next, row, 1), alike(next, row, -1)});
}

}  // namespace

CastTerminal::CastTerminal(std::function<void(std::string_view)> sink, const std::string& title)
    : sink_(std::move(sink)) {
    sink_("{\"version\": 2, \"width\": " + std::to_string(SCREEN_COLS) +
          ", \"height\": " + std::to_string(SCREEN_ROWS + 1) + ", \"title\": " + json_string(title) + "}\n");
}

void CastTerminal::present(const ScreenBuffer& screen) {
    // The first screen starts from a cleared terminal, the cursor hidden;
    // the row below the game's stays blank.
    std::string out = started_ ? "" : "\x1b[?25l\x1b[H\x1b[2J";
    started_ = true;
    Cell next[SCREEN_ROWS][SCREEN_COLS];
    for (int row = 0; row < SCREEN_ROWS; ++row) {
        for (const RowChar& walked : walk_row(screen, row)) {
            int colour = walked.colour > 0 && walked.colour < 16 ? walked.colour : 0;
            if (walked.cells == 2) {
                next[row][walked.col] = Cell{walked.code, colour, lead};
                next[row][walked.col + 1] = Cell{walked.code, colour, cover};
            } else {
                next[row][walked.col] = Cell{walked.code, walked.code == U' ' ? 0 : colour, single};
            }
        }
    }
    scroll_rows(out, next);
    for (int row = 0; row < SCREEN_ROWS; ++row) {
        shift_row(out, row, next[row]);
        write_row(out, row, next[row]);
    }
    if (out.empty()) return;
    char time[32];
    std::snprintf(time, sizeof time, "[%lld.%03lld, \"o\", ", static_cast<long long>(clock_ms_ / 1000),
                  static_cast<long long>(clock_ms_ % 1000));
    sink_(time + json_string(out) + "]\n");
}

// Where the map scrolled up or down, the rows that moved are moved on the
// player too (a line deleted below them and one inserted above them, or
// the other way round).
void CastTerminal::scroll_rows(std::string& out, const Cell (*next)[SCREEN_COLS]) {
    const Cell blank_row[SCREEN_COLS] = {};
    int stay[SCREEN_ROWS], down[SCREEN_ROWS], up[SCREEN_ROWS], blank[SCREEN_ROWS];
    for (int row = 0; row < SCREEN_ROWS; ++row) {
        stay[row] = alike_at_best(next[row], shown_[row]);
        down[row] = row > 0 ? alike_at_best(next[row], shown_[row - 1]) : 0;
        up[row] = row + 1 < SCREEN_ROWS ? alike_at_best(next[row], shown_[row + 1]) : 0;
        blank[row] = alike(next[row], blank_row, 0);
    }
    int best = WORTH_A_SCROLL, top = 0, bottom = 0, way = 0;
    for (int t = 0; t < SCREEN_ROWS; ++t) {
        int moved_down = blank[t] - stay[t], moved_up = 0;
        for (int b = t + 1; b < SCREEN_ROWS; ++b) {
            moved_down += down[b] - stay[b];
            moved_up += up[b - 1] - stay[b - 1];
            for (auto [gain, direction] : {std::pair{moved_down, 1}, std::pair{moved_up + blank[b] - stay[b], -1}}) {
                if (gain <= best) continue;
                best = gain;
                top = t;
                bottom = b;
                way = direction;
            }
        }
    }
    if (way == 0) return;
    int deleted = way > 0 ? bottom : top, inserted = way > 0 ? top : bottom;
    move_to(out, deleted, 0);
    out += "\x1b[M";
    move_to(out, inserted, 0);
    out += "\x1b[L";
    Cell* first = shown_[0];  // the rows one after the other
    if (way > 0)
        std::rotate(first + top * SCREEN_COLS, first + bottom * SCREEN_COLS, first + (bottom + 1) * SCREEN_COLS);
    else
        std::rotate(first + top * SCREEN_COLS, first + (top + 1) * SCREEN_COLS, first + (bottom + 1) * SCREEN_COLS);
    std::fill_n(shown_[inserted], SCREEN_COLS, Cell{});
}

// Where the map scrolled sideways, a row's cells move by a character
// deleted or inserted at its start.
void CastTerminal::shift_row(std::string& out, int row, const Cell* next) {
    Cell* shown = shown_[row];
    int stay = alike(next, shown, 0), left = alike(next, shown, 1), right = alike(next, shown, -1);
    if (std::max(left, right) < stay + WORTH_A_SHIFT) return;
    move_to(out, row, 0);
    out += left >= right ? "\x1b[P" : "\x1b[@";
    std::rotate(shown, shown + (left >= right ? 1 : SCREEN_COLS - 1), shown + SCREEN_COLS);
    shown[left >= right ? SCREEN_COLS - 1 : 0] = Cell{};
}

// The changed cells of a row, in runs.
void CastTerminal::write_row(std::string& out, int row, const Cell* next) {
    Cell* shown = shown_[row];
    for (int col = 0; col < SCREEN_COLS;) {
        if (next[col] == shown[col]) {
            ++col;
            continue;
        }
        int start = next[col].part == cover ? col - 1 : col;
        int stop = col + 1;
        for (int blanks = stop; stop < SCREEN_COLS;) {
            if (next[stop - 1].part == lead || !(next[stop] == shown[stop])) {
                blanks = ++stop;
                continue;
            }
            // A few blanks between two changes are written again: fewer
            // bytes than a move over them.
            while (blanks < SCREEN_COLS && blanks - stop < REWRITTEN_BLANKS && next[blanks] == shown[blanks] &&
                   next[blanks] == Cell{})
                ++blanks;
            if (blanks == SCREEN_COLS || next[blanks] == shown[blanks]) break;
            stop = blanks;
        }
        write_cells(out, row, next, start, stop);
        col = stop;
    }
    std::copy_n(next, SCREEN_COLS, shown);
}

void CastTerminal::write_cells(std::string& out, int row, const Cell* next, int start, int stop) {
    move_to(out, row, start);
    for (int col = start; col < stop;) {
        const Cell& cell = next[col];
        if (cell.code != U' ' && cell.colour != colour_) {
            colour_ = cell.colour;
            out += colour_ == 0 ? "\x1b[m" : csi((colour_ < 8 ? 30 : 90) + SGR_OF_PC[colour_ & 7], 'm');
        }
        if (cell.part == lead && !surely_wide(cell.code)) {
            // Blank both columns first: a player that draws it one column
            // wide shows a blank after it, as the play terminal does.
            out += "  ";
            col_ = col + 2 < SCREEN_COLS ? col + 2 : -1;
            move_to(out, row, col);
            append_utf8(out, cell.code);
            col += 2;
            col_ = -1;
            if (col < stop) move_to(out, row, col);
            continue;
        }
        append_utf8(out, cell.code);
        col += cell.part == lead ? 2 : 1;
        // Past the last column the next character would start a new row.
        col_ = col < SCREEN_COLS ? col : -1;
    }
}

// There from where the cursor is: along the row, or to the row and column.
void CastTerminal::move_to(std::string& out, int row, int col) {
    if (row == row_ && col == col_) return;
    if (row == row_)
        out += csi(col + 1, 'G');
    else
        out += "\x1b[" + std::to_string(row + 1) + (col == 0 ? "" : ";" + std::to_string(col + 1)) + "H";
    row_ = row;
    col_ = col;
}
