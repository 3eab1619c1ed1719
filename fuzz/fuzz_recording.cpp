#include "fuzz_recording.h"

#include <string_view>

#include "backends/headless/headless_terminal.h"
#include "creatures/monsters.h"
#include "game/program.h"
#include "game/random.h"
#include "game/state.h"
#include "recording/recording.h"
#include "recording/replay_terminal.h"
#include "screen/console.h"

namespace {

struct Left {
    int status;
};

bool is_problem(RecordingStatus status) {
    return status != RecordingStatus::ok && status != RecordingStatus::finished && status != RecordingStatus::need_more;
}

// Every line read writes back as the bytes it was read from.
std::string lines_read_back(std::string_view bytes) {
    RecordingHeader header;
    std::size_t used = 0;
    if (decode_header(bytes, true, header, used) != RecordingStatus::ok) return "";
    if (encode_header(header) != bytes.substr(0, used)) return "the header reads back differently";
    bytes.remove_prefix(used);
    Record record;
    while (decode_record(bytes, true, record, used) == RecordingStatus::ok) {
        std::string line = record.kind == RecordKind::key ? encode_key_record(record.key, record.check)
                                                          : encode_end_record(record.check);
        if (line != bytes.substr(0, used)) return "a line reads back differently: " + line;
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

    reset_to_program_start();
    random_fix_seed(header.seed);
    HeadlessTerminal& terminal = use_headless_terminal();
    terminal.key_source = [] { return 'z'; };  // the key that ends the replay
    ReplayTerminal replayer(terminal, reader, header, [](int status) { throw Left{status}; });
    install_terminal(&replayer);
    try {
        program_entry();
        outcome.broken = "the replay went on past its end";
    } catch (const Left& left) {
        outcome.status = left.status;
    }
    outcome.keys = replayer.keys_replayed();
    if (outcome.broken.empty() && outcome.status != 0 && outcome.status != EXIT_RECORDING_PROBLEM &&
        outcome.status != EXIT_CUT_SHORT)
        outcome.broken = "exit status " + std::to_string(outcome.status);
    if (outcome.broken.empty() && (outcome.status == EXIT_RECORDING_PROBLEM) == replayer.problem().empty())
        outcome.broken = "the status and the problem disagree";
    if (terminal.keys_read > 1) outcome.broken = "the replay read the watcher's keys as the game's";
    reset_to_program_start();
    return outcome;
}
