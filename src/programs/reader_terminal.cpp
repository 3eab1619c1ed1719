#include "programs/reader_terminal.h"

#include "screen/colours.h"
#include "screen/describe.h"
#include "text/encoding.h"

namespace {

// The description starts where messages do, at column 1, and keeps the
// last row of the screen as it was.
constexpr int TEXT_COL = 1;
constexpr int TEXT_ROWS = SCREEN_ROWS - 1;

bool row_blank(const ScreenBuffer& screen, int row) { return screen.row_text(row).empty(); }

}  // namespace

void place_reader_cursor(ScreenBuffer& screen) {
    int row = 0;
    if (row_blank(screen, 0)) {
        row = SCREEN_ROWS - 1;
        while (row > 0 && row_blank(screen, row)) --row;
    }
    int end = static_cast<int>(screen.row_text(row).size());
    screen.move(row, end < SCREEN_COLS ? end : SCREEN_COLS - 1);
}

std::vector<std::string> wrap_cp932(const std::string& text, int width) {
    std::vector<std::string> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        // Whole characters up to the width; the last space among them.
        std::size_t end = start;
        std::size_t space = std::string::npos;
        while (end < text.size()) {
            bool pair = end + 1 < text.size() && starts_cp932_pair(static_cast<unsigned char>(text[end]),
                                                                   static_cast<unsigned char>(text[end + 1]));
            if (text[end] == ' ') space = end;  // a space just past the width will do too
            std::size_t next = end + (pair ? 2 : 1);
            if (next - start > static_cast<std::size_t>(width)) break;
            end = next;
        }
        if (end < text.size() && space != std::string::npos && space > start) {
            rows.push_back(text.substr(start, space - start));
            start = space + 1;
        } else {
            rows.push_back(text.substr(start, end - start));
            start = end;
        }
    }
    return rows;
}

const ScreenBuffer& ReaderTerminal::with_cursor(const ScreenBuffer& screen) {
    shown_ = screen;
    place_reader_cursor(shown_);
    return shown_;
}

void ReaderTerminal::present(const ScreenBuffer& screen) {
    describing_ = false;  // a new screen takes the place of a description
    inner_.present(with_cursor(screen));
    shown_.mark_shown();
}

int ReaderTerminal::read_key(const ScreenBuffer& screen, const KeyHint& hint) {
    with_cursor(screen);
    for (;;) {
        int key = inner_.read_key(describing_ ? described_ : shown_, hint);
        if (key == DESCRIBE_KEY) {
            describe();
            continue;
        }
        end_description();
        return key;
    }
}

int ReaderTerminal::read_key_within(const ScreenBuffer& screen, int timeout_ms) {
    with_cursor(screen);
    int key = inner_.read_key_within(describing_ ? described_ : shown_, timeout_ms);
    if (key == DESCRIBE_KEY) {
        describe();
        return -1;
    }
    if (key >= 0) end_description();
    return key;
}

void ReaderTerminal::describe() {
    described_ = shown_;
    std::vector<std::string> rows = wrap_cp932(describe_surroundings(), SCREEN_COLS - TEXT_COL);
    if (rows.empty()) return;
    if (rows.size() > static_cast<std::size_t>(TEXT_ROWS)) rows.resize(TEXT_ROWS);
    described_.set_colour(COLOUR_WHITE);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        described_.move(row, 0);
        described_.clear_to_eol();
        described_.move(row, TEXT_COL);
        described_.add_text(rows[row].c_str());
    }
    int last = static_cast<int>(rows.size()) - 1;
    int end = TEXT_COL + static_cast<int>(rows[last].size());
    described_.move(last, end < SCREEN_COLS ? end : SCREEN_COLS - 1);
    describing_ = true;
    inner_.present(described_);
    described_.mark_shown();
}

void ReaderTerminal::end_description() {
    if (!describing_) return;
    describing_ = false;
    inner_.present(shown_);
}
