#include "backends/curses/rendition_filter.h"

#include <curses.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <term.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "backends/curses/terminal_restore.h"

namespace {

constexpr char ESC = '\x1b';
constexpr char SHIFT_OUT = '\x0e';
constexpr char SHIFT_IN = '\x0f';
constexpr int UNKNOWN = -1;

enum Flag { BOLD, DIM, ITALIC, UNDERLINE, BLINK, REVERSE, INVISIBLE, FLAG_COUNT };
constexpr int FLAG_ON[FLAG_COUNT] = {1, 2, 3, 4, 5, 7, 8};
constexpr int FLAG_OFF[FLAG_COUNT] = {22, 22, 23, 24, 25, 27, 28};
constexpr int EXTENDED = 1000;  // a colour of 38;5;n or 48;5;n is EXTENDED + n

// What the terminal draws with; each field UNKNOWN or its value. Colours
// keep the code that chose them (31, 91 and 38;5;1 stay distinct), as the
// terminal may draw them differently.
struct Rendition {
    int fg = UNKNOWN;  // 39 the terminal's own, 30..37, 90..97, EXTENDED + n
    int bg = UNKNOWN;  // 49 the terminal's own, 40..47, 100..107, EXTENDED + n
    int flags[FLAG_COUNT] = {UNKNOWN, UNKNOWN, UNKNOWN, UNKNOWN, UNKNOWN, UNKNOWN, UNKNOWN};
    int font = UNKNOWN;  // 10..19; a reset leaves it alone
    int g0 = UNKNOWN;    // the final byte of the character set designated
    int g1 = UNKNOWN;
    int shift = UNKNOWN;  // SHIFT_IN or SHIFT_OUT

    void reset() {
        fg = 39;
        bg = 49;
        for (int& flag : flags) flag = 0;
    }
    void forget_colours() {
        fg = bg = UNKNOWN;
        for (int& flag : flags) flag = UNKNOWN;
        font = UNKNOWN;
    }
    bool colours_known() const {
        if (fg == UNKNOWN || bg == UNKNOWN) return false;
        for (int flag : flags)
            if (flag == UNKNOWN) return false;
        return true;
    }
};

// Applies one SGR's parameters; false if one of them is not understood.
bool apply_sgr(std::string_view params, Rendition& r) {
    std::vector<int> codes;
    int value = 0;
    for (char c : params) {
        if (c == ';') {
            codes.push_back(value);
            value = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (value > 9999) return false;
        } else {
            return false;  // sub-parameters, private forms
        }
    }
    codes.push_back(value);
    for (size_t i = 0; i < codes.size(); ++i) {
        int code = codes[i];
        if (code == 0) {
            r.reset();
        } else if (code == 22) {
            r.flags[BOLD] = r.flags[DIM] = 0;
        } else if ((code >= 30 && code <= 37) || code == 39 || (code >= 90 && code <= 97)) {
            r.fg = code;
        } else if ((code >= 40 && code <= 47) || code == 49 || (code >= 100 && code <= 107)) {
            r.bg = code;
        } else if ((code == 38 || code == 48) && i + 2 < codes.size() && codes[i + 1] == 5 && codes[i + 2] <= 255) {
            (code == 38 ? r.fg : r.bg) = EXTENDED + codes[i + 2];
            i += 2;
        } else if (code >= 10 && code <= 19) {
            r.font = code;
        } else {
            bool known = false;
            for (int f = 0; f < FLAG_COUNT; ++f) {
                if (code == FLAG_ON[f]) r.flags[f] = 1, known = true;
                if (code == FLAG_OFF[f] && code != 22) r.flags[f] = 0, known = true;
            }
            if (!known) return false;
        }
    }
    return true;
}

void add_colour(std::vector<std::string>& codes, int colour, int base) {
    if (colour >= EXTENDED)
        codes.push_back(std::to_string(base) + ";5;" + std::to_string(colour - EXTENDED));
    else
        codes.push_back(std::to_string(colour));
}

std::string sgr(const std::vector<std::string>& codes) {
    if (codes.empty()) return {};
    if (codes.size() == 1 && codes[0] == "0") return "\x1b[m";
    std::string out = "\x1b[";
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i > 0) out += ';';
        out += codes[i];
    }
    return out + "m";
}

// From `from` to `to` changing only what differs; empty and false when a
// field would have to go from unknown to unknown.
bool step_by_step(const Rendition& from, const Rendition& to, std::string& out) {
    std::vector<std::string> codes;
    bool bold_off = to.flags[BOLD] == 0 && from.flags[BOLD] != 0;
    bool dim_off = to.flags[DIM] == 0 && from.flags[DIM] != 0;
    if (bold_off || dim_off) {
        if (to.flags[BOLD] == UNKNOWN || to.flags[DIM] == UNKNOWN) return false;
        codes.push_back("22");
        if (to.flags[BOLD] == 1) codes.push_back("1");
        if (to.flags[DIM] == 1) codes.push_back("2");
    } else {
        if (to.flags[BOLD] == 1 && from.flags[BOLD] != 1) codes.push_back("1");
        if (to.flags[DIM] == 1 && from.flags[DIM] != 1) codes.push_back("2");
    }
    for (int f = ITALIC; f < FLAG_COUNT; ++f)
        if (to.flags[f] != UNKNOWN && to.flags[f] != from.flags[f])
            codes.push_back(std::to_string(to.flags[f] ? FLAG_ON[f] : FLAG_OFF[f]));
    if (to.fg != UNKNOWN && to.fg != from.fg) add_colour(codes, to.fg, 38);
    if (to.bg != UNKNOWN && to.bg != from.bg) add_colour(codes, to.bg, 48);
    if (to.font != UNKNOWN && to.font != from.font) codes.push_back(std::to_string(to.font));
    out = sgr(codes);
    return true;
}

// A reset, then whatever `to` has that a reset does not give.
bool from_reset(const Rendition& from, const Rendition& to, std::string& out) {
    if (!to.colours_known()) return false;
    std::vector<std::string> codes{"0"};
    for (int f = 0; f < FLAG_COUNT; ++f)
        if (to.flags[f] == 1) codes.push_back(std::to_string(FLAG_ON[f]));
    if (to.fg != 39) add_colour(codes, to.fg, 38);
    if (to.bg != 49) add_colour(codes, to.bg, 48);
    if (to.font != UNKNOWN && to.font != from.font) codes.push_back(std::to_string(to.font));
    out = sgr(codes);
    return true;
}

class Filter {
   public:
    std::string run(std::string_view in) {
        size_t i = 0;
        while (i < in.size()) {
            char c = in[i];
            if (c == SHIFT_IN || c == SHIFT_OUT) {
                begin_group();
                target_.shift = c;
                ++i;
            } else if (c == ESC && i + 1 < in.size() && in[i + 1] == '[') {
                i = csi(in, i);
            } else if (c == ESC && i + 2 < in.size() && (in[i + 1] == '(' || in[i + 1] == ')')) {
                begin_group();
                (in[i + 1] == '(' ? target_.g0 : target_.g1) = static_cast<unsigned char>(in[i + 2]);
                i += 3;
            } else if (c == ESC && i + 1 < in.size()) {
                end_group();
                out_.append(in.substr(i, 2));
                // A cursor restored or a terminal reset brings back a
                // rendition of its own.
                if (in[i + 1] == '8' || in[i + 1] == 'c') now_ = Rendition{};
                i += 2;
            } else {
                end_group();
                out_ += c;
                ++i;
            }
        }
        end_group();
        return std::move(out_);
    }

   private:
    size_t csi(std::string_view in, size_t start) {
        size_t j = start + 2;
        while (j < in.size() && in[j] >= 0x30 && in[j] <= 0x3F) ++j;
        size_t params_end = j;
        while (j < in.size() && in[j] >= 0x20 && in[j] <= 0x2F) ++j;
        if (j >= in.size()) {  // cut short: as it is
            end_group();
            out_.append(in.substr(start));
            return in.size();
        }
        std::string_view params = in.substr(start + 2, params_end - start - 2);
        std::string_view whole = in.substr(start, j + 1 - start);
        if (in[j] == 'm' && params_end == j) {
            begin_group();
            raw_sgr_.append(whole);
            if (!understood_ || !apply_sgr(params, target_)) {
                understood_ = false;
                target_.forget_colours();
            }
        } else {
            end_group();
            out_.append(whole);
            if (restores_rendition(params, in[j])) now_ = Rendition{};
        }
        return j + 1;
    }

    // A saved cursor (with its rendition) restored, a soft reset, or a
    // screen switched with the cursor saved or restored.
    static bool restores_rendition(std::string_view params, char final_byte) {
        if (final_byte == 'u' || final_byte == 'p') return true;
        if ((final_byte == 'h' || final_byte == 'l') && !params.empty() && params[0] == '?')
            return params.find("47") != std::string_view::npos || params.find("1048") != std::string_view::npos ||
                   params.find("1049") != std::string_view::npos;
        return false;
    }

    void begin_group() {
        if (in_group_) return;
        in_group_ = true;
        understood_ = true;
        target_ = now_;
        raw_sgr_.clear();
    }

    void end_group() {
        if (!in_group_) return;
        in_group_ = false;
        if (target_.g0 != UNKNOWN && target_.g0 != now_.g0) (out_ += "\x1b(") += static_cast<char>(target_.g0);
        if (target_.g1 != UNKNOWN && target_.g1 != now_.g1) (out_ += "\x1b)") += static_cast<char>(target_.g1);
        if (target_.shift != UNKNOWN && target_.shift != now_.shift) out_ += static_cast<char>(target_.shift);
        if (!understood_) {
            out_ += raw_sgr_;
        } else {
            std::string stepped, reset;
            bool can_step = step_by_step(now_, target_, stepped);
            bool can_reset = from_reset(now_, target_, reset);
            if (can_step && (!can_reset || stepped.size() <= reset.size()))
                out_ += stepped;
            else if (can_reset)
                out_ += reset;
            else
                out_ += raw_sgr_;
        }
        now_ = target_;
    }

    std::string out_;
    Rendition now_;
    Rendition target_;
    std::string raw_sgr_;
    bool in_group_ = false;
    bool understood_ = true;
};

const char* capability(const char* name) {
    char* value = tigetstr(const_cast<char*>(name));
    return value == nullptr || value == reinterpret_cast<char*>(-1) ? nullptr : value;
}

bool starts_with(const char* text, const char* prefix) {
    return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Colours as ESC [ 3x m and a plain rendition as ESC [ m, ESC [ 0 m or
// ESC [ 39;49 m: the terminal speaks the codes the filter writes.
bool renditions_are_ecma48() {
    const char* sgr0 = capability("sgr0");
    const char* op = capability("op");
    return has_colors() && starts_with(capability("setaf"), "\x1b[") && starts_with(capability("setab"), "\x1b[") &&
           op != nullptr && std::strcmp(op, "\x1b[39;49m") == 0 && sgr0 != nullptr &&
           std::strstr(sgr0, "\x1b[") != nullptr;
}

// Signals that come from outside wait until the refresh has reached the
// terminal, so that no handler writes while standard output is the sink.
sigset_t outside_signals() {
    sigset_t set;
    sigfillset(&set);
    for (int own : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS}) sigdelset(&set, own);
    return set;
}

}  // namespace

std::string shorten_renditions(std::string_view bytes) { return Filter().run(bytes); }

void refresh_with_short_renditions() {
    static const bool ecma48 = renditions_are_ecma48();
    static const int sink = ecma48 ? memfd_create("drowsel-refresh", MFD_CLOEXEC) : -1;
    static const int terminal = sink >= 0 ? fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    if (sink < 0 || terminal < 0) {
        refresh();
        return;
    }
    static const sigset_t held = outside_signals();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &held, &before);
    // A resize that came before the signals were held is taken in now,
    // while curses can still ask the terminal its size; with nothing to
    // update this writes nothing.
    doupdate();
    std::fflush(stdout);
    if (dup2(sink, STDOUT_FILENO) < 0) {
        sigprocmask(SIG_SETMASK, &before, nullptr);
        refresh();
        return;
    }
    refresh();
    std::fflush(stdout);
    dup2(terminal, STDOUT_FILENO);
    off_t size = lseek(sink, 0, SEEK_CUR);
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    ssize_t got = bytes.empty() ? 0 : pread(sink, bytes.data(), bytes.size(), 0);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (ftruncate(sink, 0) != 0) {
        // A sink that cannot shrink is read from its start all the same.
    }
    lseek(sink, 0, SEEK_SET);
    std::string shortened = shorten_renditions(bytes);
    write_all(STDOUT_FILENO, shortened.data(), shortened.size());
    sigprocmask(SIG_SETMASK, &before, nullptr);
}
