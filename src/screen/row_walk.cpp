#include "screen/row_walk.h"

#include "text/encoding.h"

namespace {

bool is_half_width_kana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

}  // namespace

RowChars walk_row(const ScreenBuffer& screen, int row) {
    RowChars out;
    auto add = [&out](int col, char32_t code, int cells, int colour) {
        out.chars[out.count++] = RowChar{col, code, cells, colour};
    };
    for (int col = 0; col < SCREEN_COLS;) {
        const ScreenCell& cell = screen.cell(row, col);
        unsigned char next = col + 1 < SCREEN_COLS ? screen.cell(row, col + 1).byte : 0;
        if (starts_cp932_pair(cell.byte, next)) {
            char32_t code = cp932_pair_to_unicode(cell.byte, next);
            if (code != 0) {
                add(col, code, 2, cell.colour);
            } else {
                add(col, U'?', 1, cell.colour);
                add(col + 1, U'?', 1, cell.colour);
            }
            col += 2;
            continue;
        }
        char32_t code = U'?';
        if (cell.byte == 0) {
            code = U' ';
        } else if (cell.byte >= 0x20 && cell.byte <= 0x7E) {
            code = cell.byte;
        } else if (is_half_width_kana(cell.byte) && cp932_byte_to_unicode(cell.byte) != 0) {
            code = cp932_byte_to_unicode(cell.byte);
        }
        add(col, code, 1, cell.colour);
        ++col;
    }
    return out;
}
