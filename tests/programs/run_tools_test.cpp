// The play program on recordings, run as a user runs it, without a terminal:
// --verify's line and status, --export-cast's file, and the refusals that
// leave nothing behind and never hang.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/version.h"
#include "recording/recording.h"
#include "recording/runs.h"
#include "screen/exit_status.h"
#include "soak/soak_player.h"
#include "support/test_support.h"

namespace {

std::string temporary(const std::string& name) {
    return ::testing::TempDir() + "drowsel-runs-" + name + "-" + std::to_string(getpid());
}

// A run of the soak's player (Q after `key_limit` keys), recorded to `path`.
std::string recorded(uint32_t seed, long key_limit, const std::string& path) {
    soak::SoakPlayer player(seed, 0);
    HeadlessTerminal terminal;
    terminal.on_key_wait = [&](const ScreenBuffer& s) { player.watch(s, terminal.hint.wait); };
    terminal.key_source = [&] {
        return terminal.keys_read > key_limit ? (terminal.keys_read % 2 ? 'Q' : ' ') : player.next_key();
    };
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION, seed};
    std::string bytes = encode_header(header);
    record_run(terminal, header, [&](const std::string& line) { bytes += line; });
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

struct Ran {
    int status;
    std::string out;  // standard output
};

// `command` in a shell, standard output to a pipe, no terminal anywhere.
Ran run(const std::string& command) {
    std::FILE* pipe = popen((command + " </dev/null 2>/dev/null").c_str(), "r");
    Ran result{-1, ""};
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) result.out.append(chunk, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

const std::string DROWSEL = DROWSEL_BINARY;
const std::string DROWSEL_SOURCE_DIR = DROWSEL_SOURCE;

class RunTools : public GameTest {};

TEST_F(RunTools, VerifySaysHowEachRunEndedInOneLine) {
    std::string won = recorded(8, 20000, temporary("won.rec"));
    std::string quit = recorded(3, 60, temporary("quit.rec"));
    std::ifstream in(quit, std::ios::binary);
    std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string cut = temporary("cut.rec"), damaged = temporary("damaged.rec");
    std::ofstream(cut) << whole.substr(0, whole.find("\nk ", 500) + 4);
    std::string bad = whole;
    std::size_t line = bad.find("\nk ", 300);
    char& digit = bad[bad.find('\n', line + 1) - 1];  // one check value off
    digit = digit == '0' ? '1' : '0';
    std::ofstream(damaged) << bad;
    // The same run without its last "\n", and as Windows saves text: read
    // as the very same run.
    std::string unended = temporary("unended.rec"), windows = temporary("windows.rec");
    std::ofstream(unended) << whole.substr(0, whole.size() - 1);
    std::string crlf = "\xEF\xBB\xBF";
    for (char c : whole) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ofstream(windows) << crlf;

    const struct {
        std::string file;
        int status;
        const char* line;
    } cases[] = {
        {won, 0, "^seed 8, [0-9]+ keys, [0-9]+ turns, [0-9]+ dreams?, [0-9]+ kills?: victory\n$"},
        {quit, 0, "^seed 3, 61 keys, [0-9]+ turns, 1 dream, [0-9]+ kills?: quit\n$"},
        {unended, 0, "^seed 3, 61 keys, [0-9]+ turns, 1 dream, [0-9]+ kills?: quit\n$"},
        {windows, 0, "^seed 3, 61 keys, [0-9]+ turns, 1 dream, [0-9]+ kills?: quit\n$"},
        {cut, EXIT_CUT_SHORT, "^seed 3, [0-9]+ keys, .*: cut short at key [0-9]+\n$"},
        {damaged, EXIT_RECORDING_PROBLEM, "^seed 3, .*: stopped at key [0-9]+: .*differs from the recorded one\\)\n$"},
    };
    for (const auto& each : cases) {
        Ran verified = run(DROWSEL + " --verify " + each.file);
        EXPECT_EQ(verified.status, each.status) << each.file;
        EXPECT_TRUE(::testing::internal::RE::FullMatch(verified.out, each.line)) << verified.out;
    }
    // A last line without its "\n" is judged alike by the cast: a whole run,
    // here to standard output.
    Ran cast = run(DROWSEL + " --export-cast - " + unended);
    EXPECT_EQ(cast.status, 0);
    EXPECT_EQ(cast.out.rfind("{\"version\": 2", 0), 0u) << cast.out.substr(0, 80);
    for (const std::string& file : {won, quit, cut, damaged, unended, windows}) std::filesystem::remove(file);
}

// Every line parses as JSON: the header first, then "o" events in time
// order, the last one the seventh ending page; an existing file is never
// written over.
TEST_F(RunTools, ExportCastWritesAnAsciicastOfTheWholeRun) {
    if (run("python3 -c pass").status != 0) GTEST_SKIP() << "python3 is missing: apt-get install python3";
    std::string won = recorded(8, 20000, temporary("cast-won.rec"));
    std::string cast = temporary("won.cast");
    std::filesystem::remove(cast);
    ASSERT_EQ(run(DROWSEL + " --export-cast " + cast + " " + won).status, 0);
    const char* check =
        "import json, sys\n"
        "lines = open(sys.argv[1], encoding='utf-8').read().split('\\n')\n"
        "assert lines.pop() == ''\n"
        "header = json.loads(lines[0])\n"
        "assert header['version'] == 2 and header['width'] == 80 and header['height'] == 24, header\n"
        "assert 'seed 8' in header['title'], header\n"
        "time, seen = 0, ''\n"
        "for line in lines[1:]:\n"
        "    at, kind, data = json.loads(line)\n"
        "    assert kind == 'o' and at >= time, line[:80]\n"
        "    time, seen = at, seen + data\n"
        "assert 'The end' in data and 'YOU HAVE SLAIN UOREGACHENFELS' in seen and '\\u79c1' in seen\n"
        "print(len(lines) - 1, time)\n";
    std::ofstream(cast + ".py") << check;
    Ran checked = run("python3 " + cast + ".py " + cast);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_GT(std::stod(checked.out.substr(checked.out.find(' ') + 1)), 10.0) << checked.out;

    // The corpus's 214-key victory, to standard output, small enough to share.
    Ran shared = run(DROWSEL + " --export-cast - " + DROWSEL_SOURCE_DIR + "/fuzz/recording-corpus/victory-11");
    EXPECT_EQ(shared.status, 0);
    EXPECT_LE(shared.out.size(), 400u * 1024);
    EXPECT_NE(shared.out.find("The end"), std::string::npos);

    auto size = std::filesystem::file_size(cast);
    EXPECT_EQ(run(DROWSEL + " --export-cast " + cast + " " + won).status, EXIT_RECORDING_PROBLEM);
    EXPECT_EQ(std::filesystem::file_size(cast), size);
    for (const std::string& file : {won, cast, cast + ".py"}) std::filesystem::remove(file);
}

// A game that never starts leaves no recording, in the state folder either;
// what is not a regular file is refused at once (a FIFO without a writer
// would hold open() for ever); a run that cannot be resumed is refused
// without a screen.
TEST_F(RunTools, RefusalsLeaveNothingBehindAndNeverWait) {
    std::string path = temporary("never.rec");
    EXPECT_EQ(run("TERM=dumb " + DROWSEL + " --record " + path).status, EXIT_UNUSABLE_TERMINAL);
    EXPECT_FALSE(std::filesystem::exists(path));
    // Nor in the state folder, where a game with no option keeps its run.
    std::string state = temporary("state");
    EXPECT_EQ(run("TERM=dumb XDG_STATE_HOME=" + state + " " + DROWSEL).status, EXIT_UNUSABLE_TERMINAL);
    EXPECT_TRUE(std::filesystem::is_empty(state + "/drowsel"));
    std::filesystem::remove_all(state);

    std::string fifo = temporary("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& file : {fifo, std::string("/dev/zero")}) {
        EXPECT_EQ(run(DROWSEL + " --replay " + file).status, EXIT_RECORDING_PROBLEM) << file;
        EXPECT_EQ(run(DROWSEL + " --verify " + file).status, EXIT_RECORDING_PROBLEM) << file;
        EXPECT_EQ(run(DROWSEL + " --resume " + file).status, EXIT_RECORDING_PROBLEM) << file;
    }
    std::filesystem::remove(fifo);

    // A run that is over, or damaged (its part line not cut off then), is
    // refused before any terminal and left as it was; so is --resume alone
    // with no unfinished run kept.
    std::string over = recorded(3, 60, temporary("over.rec")), damaged = temporary("damaged.rec");
    std::ofstream(damaged) << std::ifstream(over).rdbuf() << "hello\nk 3";
    for (const std::string& file : {over, damaged}) {
        auto size = std::filesystem::file_size(file);
        EXPECT_EQ(run("TERM=dumb " + DROWSEL + " --resume " + file).status, EXIT_RECORDING_PROBLEM) << file;
        EXPECT_EQ(std::filesystem::file_size(file), size);
    }
    std::string folder = temporary("state");
    std::filesystem::create_directories(folder + "/drowsel");
    std::filesystem::copy_file(over, folder + "/drowsel/over.rec");
    EXPECT_EQ(run("XDG_STATE_HOME=" + folder + " " + DROWSEL + " --resume").status, EXIT_RECORDING_PROBLEM);
    std::filesystem::remove_all(folder);
    for (const std::string& file : {over, damaged}) std::filesystem::remove(file);
}

}  // namespace
