// The cast as a player of casts shows it: an interpreter of just the
// sequences the cast writes, drawing each character as wide as wcwidth says
// or, as a player may, every non-ASCII one but the half-width kana two
// columns wide. After every event it must show what the play terminal
// shows (of one kind or the other) for the game's screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "backends/cast/cast_terminal.h"
#include "backends/curses/terminal_glyphs.h"
#include "game/program.h"
#include "game/random.h"
#include "screen/console.h"
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
};

// A row to compare: each character and its colour as a letter (none for a
// blank), "<" for a covered cell.
std::string text(const Shown* row) {
    std::string out;
    for (int col = 0; col < SCREEN_COLS; ++col) {
        if (!row[col].covered) append_utf8(out, row[col].code);
        if (row[col].covered || row[col].code != U' ')
            out += static_cast<char>(row[col].covered ? '<' : 'a' + row[col].colour);
    }
    return out;
}

constexpr int PC_OF_SGR[8] = {0, 4, 2, 6, 1, 5, 3, 7};

struct Player {
    bool all_wide;
    Shown cells[SCREEN_ROWS + 1][SCREEN_COLS] = {};
    int row = 0, col = 0, colour = 0;
    std::size_t events = 0, read = 0;

    void put(char32_t code) {
        bool kana = code >= 0xFF61 && code <= 0xFF9F;
        int w = all_wide && code >= 0x80 && !kana ? 2 : wcwidth(static_cast<wchar_t>(code));
        ASSERT_TRUE((w == 1 || w == 2) && col + w <= SCREEN_COLS) << "no wrap, no unknown width";
        Shown* line = cells[row];
        if (line[col].covered) line[col - 1] = Shown{};
        if (col + w < SCREEN_COLS && line[col + w].covered) line[col + w] = Shown{};
        line[col] = Shown{code, colour, false};
        if (w == 2) line[col + 1] = Shown{code, colour, true};
        col += w;
    }
    void sequence(char final, int first, int second) {
        Shown *line = cells[row], *end = cells[0] + (SCREEN_ROWS + 1) * SCREEN_COLS;
        switch (final) {
            case 'H': row = std::max(first, 1) - 1, col = std::max(second, 1) - 1; break;
            case 'G': col = std::max(first, 1) - 1; break;
            case 'J': std::fill(cells[0], end, Shown{}); break;
            case 'm': colour = first == 0 ? 0 : PC_OF_SGR[first % 10] + (first >= 90 ? 8 : 0); break;
            case 'L': std::rotate(line, end - SCREEN_COLS, end), std::fill_n(line, SCREEN_COLS, Shown{}); break;
            case 'M': std::rotate(line, line + SCREEN_COLS, end), std::fill(end - SCREEN_COLS, end, Shown{}); break;
            case 'P': std::rotate(line + col, line + col + 1, line + SCREEN_COLS), line[SCREEN_COLS - 1] = {}; break;
            case '@': std::rotate(line + col, line + SCREEN_COLS - 1, line + SCREEN_COLS), line[col] = {}; break;
            case 'l': break;  // the cursor hidden
            default: FAIL() << "unexpected sequence " << final;
        }
    }
    // The events of the cast not seen yet, each [time, "o", "output"].
    void feed(const std::string& cast) {
        read = std::max(read, cast.find('\n') + 1);
        for (std::size_t end; (end = cast.find('\n', read)) != std::string::npos; read = end + 1, ++events) {
            std::string out;  // the JSON string's own bytes
            for (std::size_t i = cast.find("\"o\", \"", read) + 6; cast[i] != '"'; ++i) {
                bool code = cast[i] == '\\' && cast[++i] == 'u';
                out += code ? static_cast<char>(std::stoi(cast.substr(i + 1, 4), nullptr, 16)) : cast[i];
                i += code ? 4 : 0;
            }
            for (std::size_t i = 0; i < out.size();) {
                auto byte = static_cast<unsigned char>(out[i++]);
                if (byte == '\x1b') {
                    int numbers[2] = {0, 0}, n = 0;
                    for (i += out[i + 1] == '?' ? 2 : 1; std::isdigit(out[i]) || out[i] == ';'; ++i)
                        out[i] == ';' ? void(++n) : void(numbers[n] = numbers[n] * 10 + out[i] - '0');
                    sequence(out[i++], numbers[0], numbers[1]);
                    continue;
                }
                int length = byte < 0x80 ? 1 : byte >= 0xE0 ? 3 : 2;
                char32_t code = length == 1 ? byte : byte & (0x7F >> length);
                for (int k = 1; k < length; ++k) code = code << 6 | (out[i++] & 0x3F);
                put(code);
            }
        }
    }
};

// The cast of the screens presented, seen by both kinds of player and
// compared with the play terminal of the same kind, in a UTF-8 locale.
struct Watched : TerminalInFront {
    explicit Watched(Terminal& inner) : TerminalInFront(inner) {
        EXPECT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
        glyphs[1].set_ambiguous_wide(true);
    }
    ~Watched() override { std::setlocale(LC_ALL, "C"); }
    std::string cast;
    CastTerminal terminal{[this](std::string_view text) { cast += text; }, ""};
    Player players[2] = {{false}, {true}};
    TerminalGlyphs glyphs[2];
    std::vector<std::string> before;
    long unchanged = 0;

    std::string curses(int kind, const ScreenBuffer& screen, int r) {
        Shown line[SCREEN_COLS];
        for (const DrawnChar& d : glyphs[kind].layout_row(screen, r)) {
            line[d.col] = Shown{static_cast<char32_t>(d.wc), d.colour, false};
            if (d.width == 2) line[d.col + 1] = Shown{static_cast<char32_t>(d.wc), d.colour, true};
        }
        return text(line);
    }
    void present(const ScreenBuffer& screen) override {
        std::size_t events = players[0].events;
        terminal.present(screen);
        std::vector<std::string> rows[2];
        for (int kind : {0, 1}) {
            players[kind].feed(cast);
            for (int r = 0; r < SCREEN_ROWS; ++r) {
                rows[kind].push_back(curses(kind, screen, r));
                ASSERT_EQ(text(players[kind].cells[r]), rows[kind][r]) << "row " << r << ", kind " << kind;
            }
        }
        unchanged += rows[0] == before;
        ASSERT_EQ(players[0].events, events + (rows[0] != before)) << "one event for each screen that changed";
        before = rows[0];
        inner_.present(screen);
    }
};

using Cast = GameTest;

TEST_F(Cast, ShowsEveryByteAndEveryCharacterOfTheTextsAsThePlayTerminalDoes) {
    std::set<std::string> shown;
    for (int byte = 0; byte < 256; ++byte) shown.insert(std::string(1, static_cast<char>(byte)));
    auto take = [&shown](const char* text) {
        for (std::size_t i = 0; text[i] != '\0'; ++i)
            if (starts_cp932_pair(text[i], text[i + 1])) shown.insert(std::string(text + i++, 2));
    };
    for (TextList list : {KILL_STORY, CREATURE_NAMES, DESCRIPTORS, PHRASE_TEMPLATES, MAGIC_WORDS})
        for (int i = 0; list[i] != nullptr; ++i) take(list[i]);
    for (int k = 0; k < GAME_TEXT_COUNT; ++k) take(japanese_text(static_cast<GameText>(k)));
    ASSERT_GT(shown.size(), 256u + 300u);
    Watched watched(*terminal);
    ScreenBuffer screen;
    for (const std::string& bytes : shown) {
        screen.clear();
        screen.add_text("xxxx");  // what the character is written over
        watched.present(screen);
        screen.clear();
        screen.set_colour(11);
        for (char byte : bytes) screen.add_byte(static_cast<unsigned char>(byte));
        watched.present(screen);
        ASSERT_FALSE(HasFatalFailure()) << "bytes " << std::hex << (bytes[0] & 0xFF);
    }
}

// Every screen the game presents while the soak's player wins seed 8. A
// screen like the one before writes no event.
TEST_F(Cast, AfterEveryEventThePlayerShowsTheGameScreen) {
    random_fix_seed(8);
    soak::SoakPlayer player(8, 0);
    terminal->on_key_wait = [&](const ScreenBuffer& s) { player.watch(s, terminal->hint.wait); };
    terminal->key_source = [&] { return terminal->keys_read > 20000 ? 'Q' : player.next_key(); };
    Watched watched(*terminal);
    install_terminal(&watched);
    program_entry();
    EXPECT_GT(watched.unchanged, 0);
    EXPECT_GT(watched.players[0].events, 200u);
}

}  // namespace
