// Bytes the real game writes to its terminal, through ncursesw, per turn of
// play. Runs the drowsel binary on a pseudo-terminal of 80 x 24, presses the
// keys of a walk and counts what comes out of the terminal after each key.
//
//   drowsel_pty_bytes [path/to/drowsel [steps]]
//
// Every step key is one action of the player and so two turns: the turn in
// which it is read ends with the monsters' and the archmage's phases, the
// next turn (without the player's energy for a command) redraws, and the
// turn after that redraws again before it reads the next key. Every redraw
// clears the screen, which curses shows as a full repaint; the program counts
// those repaints, so a turn's bytes are the walk's bytes per repaint.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#ifndef DROWSEL_BINARY
#define DROWSEL_BINARY "drowsel"
#endif

namespace {

int master_fd = -1;
// Full repaints seen: the terminal's clear-screen sequence, which curses
// sends when the game has cleared the screen since the last refresh.
long clears_seen = 0;
std::string tail;  // the last bytes read, for a sequence split across reads

void count_clears(const char* bytes, ssize_t n) {
    static const std::string clear_screen = "\x1b[2J";
    std::string window = tail + std::string(bytes, static_cast<std::size_t>(n));
    for (std::size_t at = window.find(clear_screen); at != std::string::npos;
         at = window.find(clear_screen, at + 1))
        if (at + clear_screen.size() > tail.size()) ++clears_seen;
    std::size_t keep = clear_screen.size() - 1;
    tail = window.size() > keep ? window.substr(window.size() - keep) : window;
}

// Reads until the game has said nothing for `quiet_ms`; returns the bytes.
long drain(int quiet_ms) {
    long total = 0;
    char buffer[65536];
    for (;;) {
        pollfd p{master_fd, POLLIN, 0};
        int ready = poll(&p, 1, quiet_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return total;
        ssize_t n = read(master_fd, buffer, sizeof buffer);
        if (n <= 0) return total;  // the game has gone
        count_clears(buffer, n);
        total += n;
    }
}

void press(int key) {
    char c = static_cast<char>(key);
    if (write(master_fd, &c, 1) != 1) std::perror("write");
}

struct Summary {
    long keys = 0;
    long total = 0;
    long least = 0;
    long most = 0;
};

Summary summarise(const std::vector<long>& bytes) {
    Summary s;
    s.keys = static_cast<long>(bytes.size());
    if (bytes.empty()) return s;
    s.total = std::accumulate(bytes.begin(), bytes.end(), 0L);
    s.least = *std::min_element(bytes.begin(), bytes.end());
    s.most = *std::max_element(bytes.begin(), bytes.end());
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const char* binary = argc > 1 ? argv[1] : DROWSEL_BINARY;
    int steps = argc > 2 ? std::atoi(argv[2]) : 200;
    constexpr int QUIET_MS = 40;

    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    pid_t child = forkpty(&master_fd, nullptr, nullptr, &size);
    if (child < 0) {
        std::perror("forkpty");
        return 1;
    }
    if (child == 0) {
        setenv("TERM", "xterm-256color", 1);
        setenv("LANG", "C.UTF-8", 1);
        unsetenv("LC_ALL");
        execl(binary, binary, static_cast<char*>(nullptr));
        std::perror("exec");
        _exit(127);
    }

    long start_up = drain(500);  // splash and title
    press('x');
    long intro = drain(QUIET_MS);
    // The intro holds six messages on "-more-".
    for (int i = 0; i < 6; ++i) {
        press(' ');
        intro += drain(QUIET_MS);
    }

    // A walk: long runs in one direction, with turns, so that new ground
    // and new monsters keep coming; a monster in the way is slain.
    const char pattern[] = {'6', '6', '6', '6', '6', '6', '3', '2', '2', '1', '4', '4', '4', '4', '7', '8', '8', '9'};
    std::vector<long> per_key;
    long clears_before_walk = clears_seen;
    for (int i = 0; i < steps; ++i) {
        press(pattern[(i / 4) % sizeof pattern]);
        per_key.push_back(drain(QUIET_MS));
    }
    long walk_clears = clears_seen - clears_before_walk;
    press('Q');
    long at_exit = drain(200);
    int status = 0;
    waitpid(child, &status, 0);

    Summary walk = summarise(per_key);
    if (walk.keys == 0 || walk.total == 0) {
        std::fprintf(stderr, "drowsel_pty_bytes: the game wrote nothing (is %s the game?)\n", binary);
        return 1;
    }
    double per_key_mean = static_cast<double>(walk.total) / walk.keys;
    std::printf("Bytes written to an 80x24 xterm-256color pseudo-terminal by %s\n", binary);
    std::printf("| what | keys | bytes |\n|---|---:|---:|\n");
    std::printf("| splash and title | 0 | %ld |\n", start_up);
    std::printf("| intro (title key and six \"-more-\") | 7 | %ld |\n", intro);
    std::printf("| walk, all keys | %ld | %ld |\n", walk.keys, walk.total);
    std::printf("| walk, per key: least / mean / most | 1 | %ld / %.0f / %ld |\n", walk.least, per_key_mean,
                walk.most);
    std::printf("| walk, full repaints (clear screen) per key | 1 | %.2f |\n",
                static_cast<double>(walk_clears) / walk.keys);
    if (walk_clears > 0)
        std::printf("| walk, per turn (one full repaint) | - | %.0f |\n",
                    static_cast<double>(walk.total) / static_cast<double>(walk_clears));
    std::printf("| quit | 1 | %ld |\n", at_exit);
    std::printf("exit status %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
