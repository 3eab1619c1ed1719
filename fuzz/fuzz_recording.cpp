#include "fuzz_recording.h"

#include <string_view>

#include "backends/headless/headless_terminal.h"
#include "game/program.h"
#include "recording/recording.h"
#include "recording/runs.h"
#include "screen/exit_status.h"

namespace {

bool is_problem(RecordingStatus status) {
    return status != RecordingStatus::ok && status != RecordingStatus::finished && status != RecordingStatus::need_more;
}

// The bytes of a line as they would be written: a Windows line end as
// "\n", a last line without one given it.
std::string as_written(std::string_view line) {
    std::string written(line);
    if (!written.empty() && written.back() == '\n') written.pop_back();
    if (!written.empty() && written.back() == '\r') written.pop_back();
    return written + "\n";
}

// Every line read writes back as the bytes it was read from (but for a
// byte-order mark before the header and the line ends the reader forgives).
std::string lines_read_back(std::string_view bytes) {
    RecordingHeader header;
    std::size_t used = 0;
    if (decode_header(bytes, true, header, used) != RecordingStatus::ok) return "";
    std::string_view read = bytes.substr(0, used);
    if (read.substr(0, 3) == "\xEF\xBB\xBF") read.remove_prefix(3);
    std::string unmarked;
    for (std::size_t at = 0; at < read.size();) {
        std::size_t end = read.find('\n', at);
        end = end == std::string_view::npos ? read.size() : end + 1;
        unmarked += as_written(read.substr(at, end - at));
        at = end;
    }
    if (encode_header(header) != unmarked) return "the header reads back differently";
    bytes.remove_prefix(used);
    Record record;
    while (decode_record(bytes, true, record, used) == RecordingStatus::ok) {
        std::string line = record.kind == RecordKind::key ? encode_key_record(record.key, record.check)
                                                          : encode_end_record(record.check);
        if (line != as_written(bytes.substr(0, used))) return "a line reads back differently: " + line;
        bytes.remove_prefix(used);
    }
    return "";
}

}  // namespace

RecordingFuzzOutcome replay_fuzz_recording(const uint8_t* data, std::size_t size) {
    RecordingFuzzOutcome outcome;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    outcome.broken = lines_read_back(bytes);
    if (!outcome.broken.empty()) return outcome;

    RecordingReader reader(memory_source(bytes));
    RecordingHeader header;
    RecordingStatus status = reader.read_header(header);
    if (status != RecordingStatus::ok) {
        if (!is_problem(status) || recording_problem_text(status, header).empty())
            outcome.broken = "a header refused without a problem";
        return outcome;
    }
    outcome.header_read = true;

    HeadlessTerminal& terminal = use_headless_terminal();
    terminal.key_source = [] { return 'z'; };  // the key that ends the replay
    RunResult run = replay_run(terminal, reader, header, std::nullopt, -1);
    outcome.status = run.status;
    outcome.keys = run.keys;
    if (outcome.broken.empty() && outcome.status != 0 && outcome.status != EXIT_RECORDING_PROBLEM &&
        outcome.status != EXIT_CUT_SHORT)
        outcome.broken = "exit status " + std::to_string(outcome.status);
    if (outcome.broken.empty() && (outcome.status == EXIT_RECORDING_PROBLEM) == run.problem.empty())
        outcome.broken = "the status and the problem disagree";
    if (terminal.keys_read > 1) outcome.broken = "the replay read the watcher's keys as the game's";
    reset_to_program_start();
    return outcome;
}
