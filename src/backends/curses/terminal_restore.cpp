#include "backends/curses/terminal_restore.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>

#include "screen/exit_status.h"

namespace {

// Signals that end the process by default and may come while the screen is
// up. Job control (TSTP, CONT) and resizes are curses' own business.
constexpr int FATAL_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT,  SIGQUIT, SIGPIPE, SIGABRT, SIGSEGV, SIGBUS,
                                 SIGFPE,  SIGILL, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGXFSZ};

// Everything the handler reads is written before the terminal is marked as
// taken, and never changes afterwards.
volatile sig_atomic_t taken = 0;
int input_fd = -1;
int output_fd = -1;
termios shell_modes{};
char reset_bytes[256];
size_t reset_length = 0;

extern "C" void give_back_and_die(int signal_number) {
    int saved_errno = errno;
    give_terminal_back_now();
    // The default action now, with the signal unblocked, so the shell sees
    // the process end by this very signal.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal_number, &fallback, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal_number);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signal_number);
    errno = saved_errno;
}

void on_allocation_failure() { exit_out_of_memory(); }

}  // namespace

void write_all(int fd, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
}

void install_fatal_signal_handlers() {
    for (int signal_number : FATAL_SIGNALS) {
        struct sigaction current {};
        if (sigaction(signal_number, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = give_back_and_die;
        sigfillset(&action.sa_mask);  // nothing else runs while the terminal is restored
        sigaction(signal_number, &action, nullptr);
    }
}

void terminal_taken(int input, const termios& modes, int output, std::string_view reset) {
    taken = 0;
    input_fd = input;
    output_fd = output;
    shell_modes = modes;
    reset_length = reset.size() < sizeof reset_bytes ? reset.size() : sizeof reset_bytes - 1;
    std::memcpy(reset_bytes, reset.data(), reset_length);
    taken = 1;
}

bool terminal_is_taken() { return taken != 0; }

void discard_typed_ahead() {
    if (input_fd >= 0) tcflush(input_fd, TCIFLUSH);
}

void give_terminal_back_now() {
    if (taken == 0) return;
    taken = 0;
    discard_typed_ahead();
    write_all(output_fd, reset_bytes, reset_length);
    tcsetattr(input_fd, TCSADRAIN, &shell_modes);
}

void terminal_given_back() { taken = 0; }

void say_out_of_memory() {
    static const char message[] = "out of mem!";
    write_all(STDERR_FILENO, message, sizeof message - 1);
}

void exit_out_of_memory() {
    give_terminal_back_now();
    say_out_of_memory();
    std::exit(EXIT_OUT_OF_MEMORY);
}

void route_allocation_failures() { std::set_new_handler(on_allocation_failure); }
