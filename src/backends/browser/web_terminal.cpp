#include "backends/browser/web_terminal.h"

#include <emscripten.h>

#include "screen/console.h"
#include "screen/row_walk.h"

// The bodies are JavaScript, which the C++ formatter would break.
// clang-format off
// The page's side of the terminal (web/page.js).
EM_JS(void, page_show_screen, (const uint32_t* cells, int count), {
    Module.drowselShow(HEAPU32.subarray(cells >> 2, (cells >> 2) + count));
});
EM_ASYNC_JS(int, page_next_key, (), { return await Module.drowselNextKey(); });
EM_ASYNC_JS(int, page_next_key_within, (int ms), { return await Module.drowselNextKeyWithin(ms); });
// What the key about to be read is for, so that the page offers the touch
// controls that act there: "title", "command", "more", "direction",
// "ending", "replay" (a replay's own keys) or "any"; the player's cell
// (row, column) in play, else -1.
EM_JS(void, page_key_wait, (const char* wait, int row, int col), {
    Module.drowselKeyWait(UTF8ToString(wait), row, col);
});
// A key the watcher has already typed, or -1, without waiting.
EM_JS(int, page_typed_key, (), { return Module.drowselTypedKey(); });
EM_JS(void, page_status_line, (const char* text), { Module.drowselStatus(UTF8ToString(text)); });
// clang-format on

namespace {

// The page paints only while the program waits; a run of screens without
// a wait (a replay at full speed) gives the page a moment this often.
constexpr double LONGEST_WITHOUT_PAINT_MS = 50;

class WebTerminal : public Terminal {
   public:
    void present(const ScreenBuffer& screen) override {
        for (int row = 0; row < SCREEN_ROWS; ++row) layout_web_row(screen, row, cells_ + row * SCREEN_COLS);
        page_show_screen(cells_, SCREEN_ROWS * SCREEN_COLS);
        if (emscripten_get_now() - last_wait_ > LONGEST_WITHOUT_PAINT_MS) sleep_ms(0);
    }
    int read_key(const ScreenBuffer&) override {
        tell_key_wait();
        return waited(page_next_key());
    }
    void sleep_ms(int ms) override {
        emscripten_sleep(static_cast<unsigned>(ms));
        waited(0);
    }
    int read_key_within(const ScreenBuffer&, int timeout_ms) override {
        tell_key_wait();
        // At its fastest pace a replay asks after every recorded key; the
        // program gives the page a moment to paint only as often as it must.
        if (timeout_ms <= 0 && emscripten_get_now() - last_wait_ < LONGEST_WITHOUT_PAINT_MS) return page_typed_key();
        return waited(page_next_key_within(timeout_ms));
    }
    void set_replay(bool replay) { replay_ = replay; }
    // The page shows it in its bar below the screen.
    void show_status_line(const char* ascii) override { page_status_line(ascii); }

   private:
    void tell_key_wait() {
        if (replay_) {
            page_key_wait("replay", -1, -1);
            return;
        }
        const KeyHint& hint = console_key_hint();
        const char* wait = "any";
        switch (hint.wait) {
            case KeyWait::title: wait = "title"; break;
            case KeyWait::command: wait = "command"; break;
            case KeyWait::more: wait = "more"; break;
            case KeyWait::direction: wait = "direction"; break;
            case KeyWait::ending: wait = "ending"; break;
            case KeyWait::any: break;
        }
        page_key_wait(wait, hint.focus_row, hint.focus_col);
    }

    int waited(int key) {
        last_wait_ = emscripten_get_now();
        return key;
    }

    uint32_t cells_[SCREEN_ROWS * SCREEN_COLS] = {};
    double last_wait_ = 0;
    bool replay_ = false;
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

void web_terminal_replaying() { web_terminal().set_replay(true); }
