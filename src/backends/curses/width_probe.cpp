#include "backends/curses/width_probe.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t PROBE = L'\u2015';  // ―
constexpr int ANSWER_WAIT_MS = 200;

bool attributes_answered(std::string_view answer) {
    size_t start = answer.rfind("\x1b[?");
    return start != std::string_view::npos && answer.find('c', start) != std::string_view::npos;
}

}  // namespace

int reported_column(std::string_view answer) {
    // ESC [ row ; column R
    size_t end = answer.rfind('R');
    if (end == std::string_view::npos) return 0;
    size_t start = answer.rfind("\x1b[", end);
    if (start == std::string_view::npos) return 0;
    std::string_view report = answer.substr(start + 2, end - start - 2);
    size_t separator = report.find(';');
    if (separator == std::string_view::npos || separator == 0) return 0;
    int column = 0;
    for (char digit : report.substr(separator + 1)) {
        if (digit < '0' || digit > '9' || column > 100000) return 0;
        column = column * 10 + (digit - '0');
    }
    return column;
}

bool ambiguous_characters_wide(int input_fd, int output_fd) {
    char encoded[MB_LEN_MAX];
    std::mbstate_t state{};
    size_t length = std::wcrtomb(encoded, PROBE, &state);
    if (length == static_cast<size_t>(-1) || wcwidth(PROBE) != 1) return false;

    // The probe is rubbed out after the questions and the cursor put back
    // at the start of the row, where curses believes it is.
    std::string request = "\r" + std::string(encoded, length) + "\x1b[6n\x1b[c\r  \r";
    if (write(output_fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return false;

    std::string answer;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ANSWER_WAIT_MS);
    while (!attributes_answered(answer)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd terminal{input_fd, POLLIN, 0};
        if (poll(&terminal, 1, static_cast<int>(left.count())) <= 0) continue;
        char bytes[64];
        ssize_t got = read(input_fd, bytes, sizeof bytes);
        if (got <= 0) break;
        answer.append(bytes, static_cast<size_t>(got));
    }
    return reported_column(answer) == 3;  // started in column 1, moved two
}
