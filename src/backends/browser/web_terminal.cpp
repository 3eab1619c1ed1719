#include "backends/browser/web_terminal.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "screen/console.h"
#include "screen/row_walk.h"

// The bodies are JavaScript, which the C++ formatter would break.
// clang-format off
// The page's side of the terminal (web/bridge.js).
// The numbers the page draws and types with, as JSON, before anything else.
EM_JS(void, page_start, (const char* numbers), { Module.drowselStart(JSON.parse(UTF8ToString(numbers))); });
EM_JS(void, page_show_screen, (const uint32_t* cells, int count), {
    Module.drowselShow(HEAPU32.subarray(cells >> 2, (cells >> 2) + count));
});
// Waits for a key; with it what the key is for, so that the page offers the
// touch controls that act there: "title", "command", "more", "direction",
// "ending", "paused" (a replay's, paused), "end" (a replay's last line) or
// "any", and the player's cell (row, column) in play, else -1.
EM_ASYNC_JS(int, page_next_key, (const char* wait, int row, int col), {
    return await Module.drowselNextKey(UTF8ToString(wait), row, col);
});
// A replay's own keys (the wait "replay"): one within `ms`, or -1; or one
// the watcher has already typed, or -1, without waiting.
EM_ASYNC_JS(int, page_next_key_within, (int ms), { return await Module.drowselNextKeyWithin(ms); });
EM_JS(int, page_typed_key, (), { return Module.drowselTypedKey(); });
// What the replayed game waits for at the key about to be replayed (the
// names and cell of page_next_key), so that the page lays it out as in play.
EM_JS(void, page_game_waits, (const char* wait, int row, int col), {
    Module.drowselGameWaits(UTF8ToString(wait), row, col);
});
EM_JS(void, page_status_line, (const char* text), { Module.drowselStatus(UTF8ToString(text)); });
// clang-format on

namespace {

// The page paints only while the program waits; a run of screens without
// a wait (a replay at full speed) gives the page a moment this often.
constexpr double LONGEST_WITHOUT_PAINT_MS = 50;

const char* wait_name(KeyWait wait) {
    switch (wait) {
        case KeyWait::title: return "title";
        case KeyWait::command: return "command";
        case KeyWait::more: return "more";
        case KeyWait::direction: return "direction";
        case KeyWait::ending: return "ending";
        case KeyWait::replay: return "replay";
        case KeyWait::paused: return "paused";
        case KeyWait::replay_end: return "end";
        case KeyWait::any: break;
    }
    return "any";
}

// The screen's size, the cell code and the key codes of screen/console.h.
std::string page_numbers() {
    char json[512];
    std::snprintf(json, sizeof json,
                  R"({"cols": %d, "rows": %d, "cell": {"unicodeShift": %d, "shapeShift": %d, "single": %u, )"
                  R"("wide": %u, "covered": %u}, "keys": {"escape": %d, "enter": %d, "space": %d, "down": %d, )"
                  R"("up": %d, "left": %d, "right": %d, "controlMask": %d}})",
                  SCREEN_COLS, SCREEN_ROWS, CELL_UNICODE_SHIFT, CELL_SHAPE_SHIFT, CELL_SINGLE, CELL_WIDE, CELL_COVERED,
                  KEY_CODE_ESCAPE, KEY_CODE_ENTER, KEY_CODE_SPACE, KEY_CODE_DOWN, KEY_CODE_UP, KEY_CODE_LEFT,
                  KEY_CODE_RIGHT, KEY_CONTROL_MASK);
    return json;
}

class WebTerminal : public Terminal {
   public:
    WebTerminal() { page_start(page_numbers().c_str()); }
    void present(const ScreenBuffer& screen) override {
        for (int row = 0; row < SCREEN_ROWS; ++row) layout_web_row(screen, row, cells_ + row * SCREEN_COLS);
        page_show_screen(cells_, SCREEN_ROWS * SCREEN_COLS);
        if (emscripten_get_now() - last_wait_ > LONGEST_WITHOUT_PAINT_MS) sleep_ms(0);
    }
    int read_key(const ScreenBuffer&, const KeyHint& hint) override {
        return waited(page_next_key(wait_name(hint.wait), hint.focus_row, hint.focus_col));
    }
    void sleep_ms(int ms) override {
        emscripten_sleep(static_cast<unsigned>(ms));
        waited(0);
    }
    // Only a replay reads keys this way: the watcher's.
    int read_key_within(const ScreenBuffer&, int timeout_ms) override {
        // At its fastest pace a replay asks after every recorded key; the
        // program gives the page a moment to paint only as often as it must.
        if (timeout_ms <= 0 && emscripten_get_now() - last_wait_ < LONGEST_WITHOUT_PAINT_MS) return page_typed_key();
        return waited(page_next_key_within(timeout_ms));
    }
    // The page shows it in its bar below the screen.
    void show_status_line(const char* ascii) override { page_status_line(ascii); }
    void game_waits(const KeyHint& hint) override {
        page_game_waits(wait_name(hint.wait), hint.focus_row, hint.focus_col);
    }

   private:
    int waited(int key) {
        last_wait_ = emscripten_get_now();
        return key;
    }

    uint32_t cells_[SCREEN_ROWS * SCREEN_COLS] = {};
    double last_wait_ = 0;
};

WebTerminal& web_terminal() {
    static WebTerminal terminal;
    return terminal;
}

}  // namespace

// A double-byte character is one glyph over two cells, whatever width a
// terminal would give it.
void layout_web_row(const ScreenBuffer& screen, int row, uint32_t* cells) {
    for (const RowChar& walked : walk_row(screen, row)) {
        if (walked.cells == 2) {
            cells[walked.col] = cell_code(walked.code, CELL_WIDE, walked.colour);
            cells[walked.col + 1] = cell_code(0, CELL_COVERED, walked.colour);
        } else {
            cells[walked.col] = cell_code(walked.code, CELL_SINGLE, walked.colour);
        }
    }
}

Terminal* open_web_terminal() { return &web_terminal(); }
