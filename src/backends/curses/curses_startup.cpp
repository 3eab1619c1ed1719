#include "backends/curses/curses_startup.h"

#include <curses.h>
#include <fcntl.h>
#include <term.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backends/curses/terminal_restore.h"
#include "text/encoding.h"

namespace {

const char* terminal_type() {
    const char* term = std::getenv("TERM");
    return term != nullptr ? term : "";
}

int saved_stderr = -1;
bool curses_starting = false;

void curses_exit_is_out_of_memory() {
    if (!curses_starting) return;
    dup2(saved_stderr, STDERR_FILENO);
    say_out_of_memory();
}

// A library that fails for want of memory says something else; the game
// says what it says everywhere else.
void out_of_memory_if_so(int saved_errno) {
    if (saved_errno == ENOMEM) exit_out_of_memory();
    void* probe = std::malloc(1 << 16);
    if (probe == nullptr) exit_out_of_memory();
    std::free(probe);
}

void check_stream(int fd, const char* name) {
    std::string reason = std::string("standard ") + name;
    if (fcntl(fd, F_GETFD) == -1) {
        reason += " is closed";
    } else if (!isatty(fd)) {
        reason += " is not a terminal";
    } else {
        return;
    }
    refuse_to_run(reason.c_str(), EXIT_UNUSABLE_TERMINAL);
}

void check_cp932() {
    std::string missing;
    if (cp932_conversions_ready(missing)) return;
    out_of_memory_if_so(errno);
    std::string reason =
        "this system's iconv has no CP932 converter (" + missing + "), so the game's Japanese texts cannot be shown";
    refuse_to_run(reason.c_str(), EXIT_NO_CP932);
}

bool has_string(const char* name) {
    char* value = tigetstr(const_cast<char*>(name));
    return value != nullptr && value != reinterpret_cast<char*>(-1) && value[0] != '\0';
}

bool has_flag(const char* name) { return tigetflag(const_cast<char*>(name)) > 0; }

// Reads the terminal's description before curses starts, so that each way
// it can be wrong gets its own line.
void check_terminal_type() {
    std::string term = terminal_type();
    if (term.empty()) refuse_to_run("TERM is not set, so the terminal type is unknown", EXIT_UNUSABLE_TERMINAL);
    int result = 0;
    errno = 0;
    int outcome = OK;
    {
        CursesSettingUp quiet;
        outcome = setupterm(nullptr, STDOUT_FILENO, &result);
    }
    if (outcome != OK) {
        out_of_memory_if_so(errno);
        std::string reason =
            result == -1 ? "no terminal description database was found" : "unknown terminal type '" + term + "'";
        refuse_to_run(reason.c_str(), EXIT_UNUSABLE_TERMINAL);
    }
    bool usable = has_string("cup") && !has_flag("gn") && !has_flag("hc");
    del_curterm(cur_term);
    if (!usable) {
        std::string reason = "terminal type '" + term + "' cannot move the cursor";
        refuse_to_run(reason.c_str(), EXIT_UNUSABLE_TERMINAL);
    }
}

void append_capability(std::string& out, const char* name) {
    char* value = tigetstr(const_cast<char*>(name));
    if (value != nullptr && value != reinterpret_cast<char*>(-1)) out += value;
}

// The bytes that undo the screen: plain colours, the cursor shown, the
// keypad back to normal, the alternate screen left (or, without one, the
// cursor on the last row).
std::string reset_sequence() {
    std::string out;
    for (const char* name : {"sgr0", "op", "cnorm", "rmkx"}) append_capability(out, name);
    if (has_string("rmcup")) {
        append_capability(out, "rmcup");
    } else if (has_string("cup")) {
        out += tiparm(tigetstr(const_cast<char*>("cup")), LINES - 1, 0);
    }
    return out;
}

}  // namespace

CursesSettingUp::CursesSettingUp() {
    static bool hooked = std::atexit(curses_exit_is_out_of_memory) == 0;
    (void)hooked;
    saved_stderr = dup(STDERR_FILENO);
    int nowhere = open("/dev/null", O_WRONLY);
    if (saved_stderr >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    if (nowhere >= 0) close(nowhere);
    curses_starting = true;
}

CursesSettingUp::~CursesSettingUp() {
    curses_starting = false;
    if (saved_stderr < 0) return;
    dup2(saved_stderr, STDERR_FILENO);
    close(saved_stderr);
    saved_stderr = -1;
}

void refuse_to_run(const char* reason, int status) {
    give_terminal_back_now();
    std::fprintf(stderr, "drowsel: %s\n", reason);
    std::exit(status);
}

void start_curses() {
    std::setlocale(LC_ALL, "");
    check_stream(STDIN_FILENO, "input");
    check_stream(STDOUT_FILENO, "output");
    check_cp932();
    check_terminal_type();

    termios shell_modes{};
    tcgetattr(STDIN_FILENO, &shell_modes);
    install_fatal_signal_handlers();
    // The terminal is given back through a descriptor of its own: while
    // curses refreshes, standard output is the rendition filter's sink.
    int terminal_output = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (terminal_output < 0) terminal_output = STDOUT_FILENO;
    // Should curses fail half-way through opening the screen, the modes at
    // least come back; the reset bytes follow once it is open.
    terminal_taken(STDIN_FILENO, shell_modes, terminal_output, "");
    use_env(FALSE);
    use_tioctl(TRUE);
    errno = 0;
    SCREEN* screen = nullptr;
    {
        CursesSettingUp quiet;
        screen = newterm(nullptr, stdout, stdin);
    }
    if (screen == nullptr) {
        out_of_memory_if_so(errno);
        std::string reason = "curses could not start on terminal type '" + std::string(terminal_type()) + "'";
        refuse_to_run(reason.c_str(), EXIT_UNUSABLE_TERMINAL);
    }
    terminal_taken(STDIN_FILENO, shell_modes, terminal_output, reset_sequence());
    raw();
    noecho();
    nonl();
    def_prog_mode();
}
