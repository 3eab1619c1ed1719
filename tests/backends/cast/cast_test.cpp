// The cast as a player of casts shows it: an interpreter of just the
// sequences the cast writes, drawing each character as wide as a player
// would (by this machine's wcwidth, or every non-ASCII character but the
// half-width kana two columns wide). Its screen must be the play
// terminal's for every byte and every double-byte character of the game's
// texts, and the game's screen after every event of a whole game.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backends/cast/cast_terminal.h"
#include "backends/curses/terminal_glyphs.h"
#include "game/program.h"
#include "game/random.h"
#include "screen/console.h"
#include "screen/row_walk.h"
#include "soak/soak_player.h"
#include "support/test_support.h"
#include "text/encoding.h"
#include "text/game_texts.h"
#include "text/tables.h"

namespace {

struct Shown {
    char32_t code = U' ';
    int colour = 0;
    bool covered = false;  // the right half of the character before it
    bool operator==(const Shown& other) const {
        return code == other.code && covered == other.covered && (code == U' ' || colour == other.colour);
    }
};
using Row = std::vector<Shown>;
void PrintTo(const Shown& cell, std::ostream* out) {
    *out << "U+" << std::hex << static_cast<unsigned>(cell.code) << std::dec << "/" << cell.colour
         << (cell.covered ? "/covered" : "");
}

constexpr int PC_OF_SGR[8] = {0, 4, 2, 6, 1, 5, 3, 7};

struct Player {
    explicit Player(bool wide) : ambiguous_wide(wide) {}
    bool ambiguous_wide;
    Shown cells[SCREEN_ROWS + 1][SCREEN_COLS];
    int row = 0, col = 0, colour = 0;

    int width(char32_t code) const {
        bool half_width_kana = code >= 0xFF61 && code <= 0xFF9F;
        return code >= 0x80 && ambiguous_wide && !half_width_kana ? 2 : wcwidth(static_cast<wchar_t>(code));
    }
    void put(char32_t code) {
        int w = width(code);
        ASSERT_TRUE(w == 1 || w == 2) << std::hex << static_cast<unsigned>(code);
        ASSERT_LE(col + w, SCREEN_COLS) << "a character past the last column wraps";
        Shown* line = cells[row];
        if (line[col].covered) line[col - 1] = Shown{};
        if (col + w < SCREEN_COLS && line[col + w].covered) line[col + w] = Shown{};
        line[col] = Shown{code, colour, false};
        if (w == 2) line[col + 1] = Shown{code, colour, true};
        col += w;
    }
    // One event's output, still in its JSON string.
    void feed(const std::string& event) {
        std::string out;
        for (std::size_t i = event.find("\"o\", \"") + 6; event[i] != '"'; ++i) {
            if (event[i] != '\\') {
                out += event[i];
            } else if (event[++i] == 'u') {
                out += static_cast<char>(std::stoi(event.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else {
                out += event[i] == 'r' ? '\r' : event[i] == 'n' ? '\n' : event[i];
            }
        }
        for (std::size_t i = 0; i < out.size();) {
            auto byte = static_cast<unsigned char>(out[i++]);
            if (byte == '\x1b') {
                ASSERT_EQ(out[i++], '[');
                if (out[i] == '?') i += 3;  // the cursor hidden
                std::vector<int> numbers{0};
                for (; std::isdigit(out[i]) || out[i] == ';'; ++i)
                    out[i] == ';' ? numbers.push_back(0) : void(numbers.back() = numbers.back() * 10 + out[i] - '0');
                int first = std::max(numbers[0], 1);
                switch (out[i++]) {
                    case 'H': row = first - 1, col = numbers.size() > 1 ? numbers[1] - 1 : 0; break;
                    case 'G': col = first - 1; break;
                    case 'C': col += first; break;
                    case 'K':
                        for (int c = col; c < SCREEN_COLS; ++c) cells[row][c] = Shown{};
                        break;
                    case 'J':
                        for (auto& line : cells)
                            for (Shown& cell : line) cell = Shown{};
                        break;
                    case 'm':
                        colour = numbers[0] == 0 ? 0 : PC_OF_SGR[numbers[0] % 10] + (numbers[0] >= 90 ? 8 : 0);
                        break;
                    case 'L':  // a row inserted, the last one lost; a row deleted, a blank one last
                        std::copy_backward(cells[row], cells[SCREEN_ROWS], cells[SCREEN_ROWS + 1]);
                        std::fill_n(cells[row], SCREEN_COLS, Shown{});
                        col = 0;
                        break;
                    case 'M':
                        std::copy(cells[row + 1], cells[SCREEN_ROWS + 1], cells[row]);
                        std::fill_n(cells[SCREEN_ROWS], SCREEN_COLS, Shown{});
                        col = 0;
                        break;
                    case 'P':  // a cell deleted, or inserted
                        std::copy(cells[row] + col + 1, cells[row] + SCREEN_COLS, cells[row] + col);
                        cells[row][SCREEN_COLS - 1] = Shown{};
                        break;
                    case '@':
                        std::copy_backward(cells[row] + col, cells[row] + SCREEN_COLS - 1, cells[row] + SCREEN_COLS);
                        cells[row][col] = Shown{};
                        break;
                    case 'l': break;
                    default: FAIL() << "unexpected sequence in " << out;
                }
            } else if (byte == '\r' || byte == '\n') {
                byte == '\r' ? col = 0 : ++row;
            } else {
                int length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
                char32_t code = length == 1 ? byte : byte & (0x7F >> length);
                for (int k = 1; k < length; ++k) code = code << 6 | (out[i++] & 0x3F);
                put(code);
            }
        }
    }
    Row row_of(int r) const { return Row(cells[r], cells[r] + SCREEN_COLS); }
    // Screen row `r` as this player would show the game drawing it.
    Row expected(const ScreenBuffer& screen, int r) const {
        Row out(SCREEN_COLS);
        for (const RowChar& c : walk_row(screen, r)) {
            out[c.col] = Shown{c.code, c.colour, false};
            if (c.cells == 2) out[c.col + 1] = width(c.code) == 2 ? Shown{c.code, c.colour, true} : Shown{};
        }
        return out;
    }
};

std::vector<std::string> events(const std::string& cast) {
    std::vector<std::string> lines;
    for (std::size_t at = cast.find('\n') + 1, end; (end = cast.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(cast.substr(at, end - at));
    return lines;
}

TEST(Cast, ShowsEveryByteAndEveryCharacterOfTheTextsAsThePlayTerminalDoes) {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    std::vector<std::string> shown;
    for (int byte = 0; byte < 256; ++byte) shown.push_back(std::string(1, static_cast<char>(byte)));
    std::set<std::string> pairs;
    auto take = [&pairs](const char* text) {
        for (std::size_t i = 0; text[i] != '\0'; ++i)
            if (starts_cp932_pair(text[i], text[i + 1])) pairs.insert(std::string(text + i++, 2));
    };
    for (TextList list : {KILL_STORY, CREATURE_NAMES, DESCRIPTORS, PHRASE_TEMPLATES, MAGIC_WORDS})
        for (int i = 0; list[i] != nullptr; ++i) take(list[i]);
    for (int k = 0; k < GAME_TEXT_COUNT; ++k) take(japanese_text(static_cast<GameText>(k)));
    ASSERT_GT(pairs.size(), 300u);
    shown.insert(shown.end(), pairs.begin(), pairs.end());

    for (bool wide : {false, true}) {
        std::string cast;
        CastTerminal terminal([&cast](std::string_view text) { cast += text; }, "");
        TerminalGlyphs glyphs;
        glyphs.set_ambiguous_wide(wide);
        Player player(wide);
        ScreenBuffer screen;
        std::size_t seen = 0;
        for (const std::string& bytes : shown) {
            screen.clear();
            screen.set_colour(11);
            for (char byte : bytes) screen.add_byte(static_cast<unsigned char>(byte));
            terminal.present(screen);
            std::vector<std::string> lines = events(cast);
            for (std::size_t e = seen; e < lines.size(); ++e) player.feed(lines[e]);
            seen = lines.size();
            Row curses(SCREEN_COLS);
            for (const DrawnChar& d : glyphs.layout_row(screen, 0)) {
                curses[d.col] = Shown{static_cast<char32_t>(d.wc), d.colour, false};
                if (d.width == 2) curses[d.col + 1] = Shown{static_cast<char32_t>(d.wc), d.colour, true};
            }
            ASSERT_EQ(player.row_of(0), curses) << "bytes " << std::hex << int(bytes[0] & 0xFF) << " wide " << wide;
        }
    }
    std::setlocale(LC_ALL, "C");
}

// Every screen the game presents while the soak's player wins seed 8,
// through the cast, as the two kinds of player show it. A screen like the
// one before writes no event.
TEST(Cast, AfterEveryEventThePlayerShowsTheGameScreen) {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    start_fresh();
    random_fix_seed(8);
    soak::SoakPlayer soak_player(8, 0);
    HeadlessTerminal headless;
    headless.on_key_wait = [&](const ScreenBuffer& s) { soak_player.watch(s); };
    headless.key_source = [&] { return headless.keys_read > 20000 ? 'Q' : soak_player.next_key(); };
    std::string cast;
    CastTerminal terminal([&cast](std::string_view text) { cast += text; }, "");
    Player players[2] = {Player(false), Player(true)};
    std::size_t seen = 0, presents = 0, unchanged = 0;
    struct Both : TerminalInFront {
        using TerminalInFront::TerminalInFront;
        std::function<void(const ScreenBuffer&)> also;
        void present(const ScreenBuffer& screen) override {
            also(screen);
            inner_.present(screen);
        }
    } both(headless);
    ScreenBuffer before;
    both.also = [&](const ScreenBuffer& screen) {
        terminal.present(screen);
        std::vector<std::string> lines = events(cast);
        bool same = presents++ > 0;
        for (int r = 0; r < SCREEN_ROWS; ++r)
            same = same && players[0].expected(screen, r) == players[0].expected(before, r);
        unchanged += same;
        EXPECT_EQ(lines.size(), seen + !same) << "one event for each changed screen";
        for (Player& player : players) {
            for (std::size_t e = seen; e < lines.size(); ++e) player.feed(lines[e]);
            for (int r = 0; r < SCREEN_ROWS; ++r)
                ASSERT_EQ(player.row_of(r), player.expected(screen, r)) << "row " << r << " after " << lines.size();
        }
        seen = lines.size();
        before = screen;
    };
    install_terminal(&both);
    program_entry();
    EXPECT_NE(cast.find("\\u001b[?25l"), std::string::npos);
    EXPECT_GT(unchanged, 0u);
    EXPECT_GT(seen, 200u);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
