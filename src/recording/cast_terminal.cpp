#include "recording/cast_terminal.h"

#include <iconv.h>

#include "screen/screen_buffer.h"
#include "text/encoding.h"

namespace {

const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

// The PC palette's numbers (blue is 1, red 4) as SGR's (red is 1, blue 4).
constexpr int SGR_OF_PC[8] = {0, 4, 2, 6, 1, 5, 3, 7};

std::string sgr_for(int colour) {
    if (colour <= 0 || colour > 15) return "\x1b[0m";
    int base = colour < 8 ? 30 : 90;
    return "\x1b[0;" + std::to_string(base + SGR_OF_PC[colour & 7]) + "m";
}

// The UTF-8 form of one character's CP932 bytes, "?" when it has none.
std::string utf8_of(iconv_t converter, const unsigned char* bytes, std::size_t length) {
    if (converter == NO_CONVERTER) return "?";
    char in[2] = {static_cast<char>(bytes[0]), length > 1 ? static_cast<char>(bytes[1]) : '\0'};
    char* from = in;
    std::size_t left = length;
    char out[8];
    char* to = out;
    std::size_t room = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &left, &to, &room) == static_cast<std::size_t>(-1) || to == out) return "?";
    return std::string(out, to);
}

}  // namespace

std::string screen_as_terminal_output(const ScreenBuffer& screen, void* converter_handle) {
    iconv_t converter = static_cast<iconv_t>(converter_handle);
    std::string out = "\x1b[?25l";
    for (int row = 0; row < SCREEN_ROWS; ++row) {
        out += "\x1b[" + std::to_string(row + 1) + ";1H";
        int colour = -1;
        for (int col = 0; col < SCREEN_COLS;) {
            const ScreenCell& cell = screen.cell(row, col);
            if (cell.colour != colour) {
                colour = cell.colour;
                out += sgr_for(colour);
            }
            unsigned char bytes[2] = {
                cell.byte, col + 1 < SCREEN_COLS ? screen.cell(row, col + 1).byte : static_cast<unsigned char>(' ')};
            if (col + 1 < SCREEN_COLS && starts_cp932_pair(bytes[0], bytes[1])) {
                out += utf8_of(converter, bytes, 2);
                col += 2;
                // Where the game's next column is, however wide the
                // character was drawn.
                if (col < SCREEN_COLS) out += "\x1b[" + std::to_string(col + 1) + "G";
                continue;
            }
            if (bytes[0] >= 0x20 && bytes[0] < 0x7f)
                out += static_cast<char>(bytes[0]);
            else if (bytes[0] >= 0xa1 && bytes[0] <= 0xdf)
                out += utf8_of(converter, bytes, 1);  // a half-width kana
            else
                out += '?';
            ++col;
        }
    }
    // The row below the game's, blank.
    out += "\x1b[0m\x1b[" + std::to_string(SCREEN_ROWS + 1) + ";1H\x1b[K";
    return out;
}

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

CastTerminal::CastTerminal(std::FILE* out, const std::string& title)
    : out_(out), converter_(iconv_open("UTF-8", "CP932")) {
    std::fprintf(out_, "{\"version\": 2, \"width\": %d, \"height\": %d, \"title\": %s}\n", SCREEN_COLS, SCREEN_ROWS + 1,
                 json_string(title).c_str());
}

CastTerminal::~CastTerminal() {
    if (static_cast<iconv_t>(converter_) != NO_CONVERTER) iconv_close(static_cast<iconv_t>(converter_));
}

void CastTerminal::present(const ScreenBuffer& screen) {
    std::string output = screen_as_terminal_output(screen, converter_);
    std::fprintf(out_, "[%lld.%03lld, \"o\", %s]\n", static_cast<long long>(clock_ms_ / 1000),
                 static_cast<long long>(clock_ms_ % 1000), json_string(output).c_str());
    ++events_;
}

int CastTerminal::read_key(const ScreenBuffer&, const KeyHint&) { return -1; }
