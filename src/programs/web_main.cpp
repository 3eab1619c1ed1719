// The browser program: the game on the page's terminal, always recorded in
// memory so that the page can offer the run's recording; or, when the page
// was opened with a recording (from a file or a link), that recording
// replayed with the same replay as the terminal build's.
// The page reads its address: it may fix the seed and the language of the
// texts (a replay is otherwise shown in the language its recording names).
// When the game is over the page is told whether the archmage was slain.
#include <emscripten.h>

#include <ctime>
#include <optional>
#include <string>

#include "backends/browser/web_terminal.h"
#include "game/version.h"
#include "recording/recording.h"
#include "recording/runs.h"
#include "screen/exit_status.h"
#include "text/language.h"

// The bodies are JavaScript, which the C++ formatter would break.
// clang-format off
// The seed the page was given (0..4294967295), or -1 for none.
EM_JS(double, page_seed, (), { return Module.drowselGivenSeed(); });
// The seed of the world being played, for the page to show.
EM_JS(void, page_show_seed, (double seed), { Module.drowselSeed(seed); });
// The name of the language the page was given ("ja" or "en"), or "" for none.
EM_JS(void, page_language_name, (char* into, int size), {
    stringToUTF8(Module.drowselGivenLanguage() || '', into, size);
});
EM_JS(void, page_shown_language, (const char* name), { Module.drowselLanguage(UTF8ToString(name)); });
// The length of the recording the page was opened with, -1 without one;
// waits while the page fetches it.
EM_ASYNC_JS(int, page_replay_length, (), {
    Module.drowselReplayBytes = await Module.drowselReplayText;
    return typeof Module.drowselReplayBytes === 'string' ? Module.drowselReplayBytes.length : -1;
});
EM_JS(void, page_replay_copy, (char* into), {
    const text = Module.drowselReplayBytes;
    for (let i = 0; i < text.length; i++) HEAPU8[into + i] = text.charCodeAt(i) & 0xff;
});
EM_JS(void, page_record, (const char* bytes, int length), {
    Module.drowselRecord(String.fromCharCode.apply(null, HEAPU8.subarray(bytes, bytes + length)));
});
EM_JS(void, page_game_over, (int won), { Module.drowselOver(won != 0); });
EM_JS(void, page_replay_over, (const char* problem), { Module.drowselReplayOver(UTF8ToString(problem)); });
// Never resolves: the program stays where it is, its screen on the page.
EM_ASYNC_JS(void, page_stay, (), { await new Promise(() => {}); });
// clang-format on

namespace {

// The language the page was given, if any.
bool page_language(Language& language) {
    char name[8];
    page_language_name(name, sizeof name);
    return parse_language_name(name, language);
}

void play(Terminal& terminal) {
    double seed = page_seed();
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           seed >= 0 ? static_cast<uint32_t>(seed) : static_cast<uint32_t>(std::time(nullptr))};
    Language given = Language::japanese;
    if (page_language(given) && given == Language::english) header.language = language_name(Language::english);
    page_shown_language(language_name(recorded_language(header.language)));
    page_show_seed(header.seed);
    auto record = [](const std::string& bytes) { page_record(bytes.data(), static_cast<int>(bytes.size())); };
    record(encode_header(header));
    RunResult run = record_run(terminal, header, record);
    page_game_over(run.tally.won);
}

void replay(Terminal& page_terminal, const std::string& bytes) {
    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    RecordingStatus status = reader.read_header(header);
    if (status != RecordingStatus::ok) {
        page_replay_over(recording_problem_text(status, header).c_str());
        return;
    }
    std::optional<Language> language;
    Language given = Language::japanese;
    if (page_language(given)) language = given;
    page_shown_language(language_name(language ? *language : recorded_language(header.language)));
    RunResult run = replay_run(page_terminal, reader, header, language, count_recorded_keys(memory_source(bytes)));
    page_replay_over(run.problem.c_str());
    page_stay();
}

}  // namespace

int main() {
    Terminal& terminal = *open_web_terminal();  // the page has its numbers first
    int length = page_replay_length();
    if (length < 0) {
        play(terminal);
        return EXIT_DONE;
    }
    std::string bytes(static_cast<size_t>(length), '\0');
    page_replay_copy(bytes.data());
    replay(terminal, bytes);
    return EXIT_DONE;
}
