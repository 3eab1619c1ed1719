#include "screen/console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "screen/terminal.h"

namespace {
ScreenBuffer buffer;
Terminal* active = nullptr;
KeyHint key_hint;
}  // namespace

void install_terminal(Terminal* terminal) {
    active = terminal;
    buffer = ScreenBuffer();
}

void console_shutdown() {
    if (active != nullptr) active->shutdown();
}

const ScreenBuffer& screen() { return buffer; }

void console_start() {
    console_clear();
    set_colour(COLOUR_RED);
}

void console_clear() { buffer.clear(); }

int console_move(int row, int col) { return buffer.move(row, col); }

void console_add_byte(unsigned char byte) { buffer.add_byte(byte); }

void console_add_text(const char* cp932_text) { buffer.add_text(cp932_text); }

int console_move_add_byte(int row, int col, unsigned char byte) {
    if (buffer.move(row, col) == SCREEN_ERR) return SCREEN_ERR;
    buffer.add_byte(byte);
    return SCREEN_OK;
}

int console_move_add_text(int row, int col, const char* cp932_text) {
    if (buffer.move(row, col) == SCREEN_ERR) return SCREEN_ERR;
    buffer.add_text(cp932_text);
    return SCREEN_OK;
}

void console_clear_to_eol() { buffer.clear_to_eol(); }

void set_colour(int colour) { buffer.set_colour(colour); }

void console_refresh() {
    if (active != nullptr) active->present(buffer);
    buffer.mark_shown();
}

const KeyHint& console_key_hint() { return key_hint; }

int console_read_key(KeyHint hint) {
    if (buffer.dirty() || buffer.repaint_pending()) console_refresh();
    if (active == nullptr) {
        // No game reads a key before a terminal is there to give it.
        std::fputs("drowsel: a key was read before any terminal was installed\n", stderr);
        std::abort();
    }
    key_hint = hint;
    return active->read_key(buffer, hint);
}

void console_sleep_ms(int ms) {
    if (active != nullptr) active->sleep_ms(ms);
}

void print_centred(int row, const char* cp932_text) {
    int length = static_cast<int>(std::strlen(cp932_text));
    console_move_add_text(row, (SCREEN_COLS - length) / 2, cp932_text);
}
