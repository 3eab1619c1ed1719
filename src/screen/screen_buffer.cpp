#include "screen/screen_buffer.h"

ScreenBuffer::ScreenBuffer() {
    for (auto& row : cells_)
        for (auto& cell : row) cell = ScreenCell{' ', 0};
}

void ScreenBuffer::clear() {
    for (auto& row : cells_)
        for (auto& cell : row) cell = ScreenCell{' ', 0};
    row_ = 0;
    col_ = 0;
    ++clears_;
    repaint_pending_ = true;
    dirty_ = true;
}

int ScreenBuffer::move(int row, int col) {
    if (row < 0 || row >= SCREEN_ROWS || col < 0 || col >= SCREEN_COLS) return SCREEN_ERR;
    row_ = row;
    col_ = col;
    return SCREEN_OK;
}

void ScreenBuffer::add_byte(unsigned char byte) {
    cells_[row_][col_] = ScreenCell{byte, colour_};
    dirty_ = true;
    if (col_ + 1 < SCREEN_COLS) {
        ++col_;
    } else if (row_ + 1 < SCREEN_ROWS) {
        ++row_;
        col_ = 0;
    }
}

void ScreenBuffer::add_text(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        bool at_corner = row_ == SCREEN_ROWS - 1 && col_ == SCREEN_COLS - 1;
        add_byte(static_cast<unsigned char>(*p));
        if (at_corner) break;  // nothing scrolls: the rest is not shown
    }
}

void ScreenBuffer::clear_to_eol() {
    for (int c = col_; c < SCREEN_COLS; ++c) cells_[row_][c] = ScreenCell{' ', 0};
    dirty_ = true;
}

std::string ScreenBuffer::text_at(int row, int col, int length) const {
    std::string out;
    if (row < 0 || row >= SCREEN_ROWS) return out;
    for (int c = col; c < col + length && c < SCREEN_COLS; ++c)
        if (c >= 0) out.push_back(static_cast<char>(cells_[row][c].byte));
    return out;
}

std::string ScreenBuffer::row_text(int row) const {
    std::string out = text_at(row, 0, SCREEN_COLS);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}
