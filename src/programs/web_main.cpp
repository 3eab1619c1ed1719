// The browser program: the game on the page's terminal, always recorded in
// memory so that the page can offer the run's recording and keep it; or,
// when the page was opened with a recording (from a file or a link), that
// recording replayed with the same replay as the terminal build's; or a run
// the page kept, taken up again where its keys run out.
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
#include "screen/describe.h"
#include "screen/exit_status.h"
#include "text/encoding.h"
#include "text/language.h"

// The bodies are JavaScript, which the C++ formatter would break.
// clang-format off
// The seed the page was given (0..4294967295), or -1 for none.
EM_JS(double, page_seed, (), { return Module.drowselGivenSeed(); });
// The seed of the world being played, for the page to show.
EM_JS(void, page_show_seed, (double seed), { Module.drowselSeed(seed); });
// The name of the language the page was given ("ja" or "en"), or "" for none.
EM_JS(void, page_language_name, (char* into, int size), {
    stringToUTF8(Module.drowselGivenLanguage(), into, size);
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
// Whether the recording is a kept run to resume rather than one to watch.
EM_JS(int, page_resuming, (), { return Module.drowselResuming() ? 1 : 0; });
// A resumed run goes on recording after the kept run's first `whole_bytes`
// bytes (its whole lines), the last given its line end if it had none.
EM_JS(void, page_resume_at, (double whole_bytes, int line_ended), {
    Module.drowselResumeAt(whole_bytes, line_ended != 0);
});
EM_JS(void, page_resume_refused, (const char* problem, const char* outcome), {
    Module.drowselResumeRefused(UTF8ToString(problem), UTF8ToString(outcome));
});
EM_JS(void, page_game_over, (int won), { Module.drowselOver(won != 0); });
// The replay is over: why it stopped ("" when it did not stop on a
// problem) and how it ended in a few words.
EM_JS(void, page_replay_over, (const char* problem, const char* outcome), {
    Module.drowselReplayOver(UTF8ToString(problem), UTF8ToString(outcome));
});
// What surrounds the player in words, for the page to say.
EM_JS(void, page_described, (const char* utf8), { Module.drowselDescribed(UTF8ToString(utf8)); });
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

void record_to_page(const std::string& bytes) { page_record(bytes.data(), static_cast<int>(bytes.size())); }

void play(Terminal& terminal) {
    double seed = page_seed();
    RecordingHeader header{RECORDING_FORMAT_VERSION, GAME_VERSION,
                           seed >= 0 ? static_cast<uint32_t>(seed) : static_cast<uint32_t>(std::time(nullptr))};
    Language language = Language::japanese;
    if (page_language(language) && language == Language::english) header.language = language_name(language);
    page_shown_language(language_name(recorded_language(header.language)));
    page_show_seed(header.seed);
    record_to_page(encode_header(header));
    RunResult run = record_run(terminal, header, record_to_page);
    page_game_over(run.tally.won);
}

// The header of the recording the page was opened with, read, or its
// problem handed to `refused`; the page is shown the run's seed and the
// language it is shown in.
bool read_page_header(RecordingReader& reader, RecordingHeader& header, std::optional<Language> language,
                      void (*refused)(const char* problem, const char* outcome)) {
    RecordingStatus status = reader.read_header(header);
    if (status != RecordingStatus::ok) {
        refused(recording_problem_text(status, header).c_str(), "");
        return false;
    }
    page_shown_language(language_name(language ? *language : recorded_language(header.language)));
    page_show_seed(header.seed);
    return true;
}

void replay(Terminal& terminal, const std::string& bytes) {
    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    std::optional<Language> language;
    if (Language given; page_language(given)) language = given;
    if (!read_page_header(reader, header, language, page_replay_over)) return;
    RunResult run = replay_run(terminal, reader, header, language, count_recorded_keys(memory_source(bytes)));
    page_replay_over(run.problem.c_str(), run.outcome.c_str());
    page_stay();
}

// The kept run's keys replayed unseen, then the game goes on from the
// screen the player left, recording on into the same kept run.
void resume(Terminal& terminal, const std::string& bytes) {
    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    if (!read_page_header(reader, header, std::nullopt, page_resume_refused)) return;
    RunResult run = resume_run(reader, header, [&](const ResumePoint& point, RunGoingOn& going_on, std::string&) {
        page_resume_at(static_cast<double>(point.whole_bytes), point.last_line_ended);
        going_on.terminal = &terminal;
        going_on.sink = record_to_page;
        return true;
    });
    if (run.status == EXIT_RECORDING_PROBLEM) {
        page_resume_refused(run.problem.c_str(), run.outcome.c_str());
        page_stay();
    }
    page_game_over(run.tally.won);
}

}  // namespace

// The page's "Describe": called by the page while the program waits, never
// through the terminal, so neither the game nor the recorder sees it. It
// only reads the game's records.
extern "C" EMSCRIPTEN_KEEPALIVE void drowsel_describe() {
    page_described(cp932_to_utf8(describe_surroundings()).c_str());
}

int main() {
    Terminal& terminal = *open_web_terminal();  // the page has its numbers first
    int length = page_replay_length();
    if (length < 0) {
        play(terminal);
        return EXIT_DONE;
    }
    std::string bytes(static_cast<size_t>(length), '\0');
    page_replay_copy(bytes.data());
    if (page_resuming())
        resume(terminal, bytes);
    else
        replay(terminal, bytes);
    return EXIT_DONE;
}
