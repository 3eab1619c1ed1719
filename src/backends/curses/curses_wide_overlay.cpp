#include "backends/curses/curses_wide_overlay.h"

#include <term.h>
#include <unistd.h>

#include <climits>
#include <cwchar>

namespace {

const char* capability(const char* name) {
    char* value = tigetstr(const_cast<char*>(name));
    return value == nullptr || value == reinterpret_cast<char*>(-1) ? nullptr : value;
}

void append(std::string& out, const char* bytes) {
    if (bytes != nullptr) out += bytes;
}

void append_move(std::string& out, int row, int col) {
    if (const char* cup = capability("cup")) out += tiparm(cup, row, col);
}

}  // namespace

void WideOverlay::write_after_refresh() const {
    if (chars_.empty()) return;
    std::string out;
    for (const Placed& placed : chars_) {
        char encoded[MB_LEN_MAX];
        std::mbstate_t state{};
        size_t length = std::wcrtomb(encoded, placed.wc, &state);
        if (length == static_cast<size_t>(-1)) continue;
        append_move(out, placed.row, placed.col);
        short foreground = 0;
        short background = 0;
        if (placed.style.pair > 0 && pair_content(placed.style.pair, &foreground, &background) == OK) {
            if (const char* setaf = capability("setaf")) out += tiparm(setaf, foreground);
            if (const char* setab = capability("setab")) out += tiparm(setab, background);
        }
        if (placed.style.attrs & A_BOLD) append(out, capability("bold"));
        if (placed.style.attrs & A_DIM) append(out, capability("dim"));
        out.append(encoded, length);
        // Curses leaves the terminal in plain colours after a refresh.
        append(out, capability("sgr0"));
        append(out, capability("op"));
    }
    append_move(out, getcury(curscr), getcurx(curscr));
    const char* bytes = out.data();
    size_t left = out.size();
    while (left > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, left);
        if (written <= 0) return;
        bytes += written;
        left -= static_cast<size_t>(written);
    }
}
