#include "recording/recording.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t MAX_HEADER_LINE = 64;
constexpr std::size_t MAX_RECORD_LINE = 24;  // "k 4095 ffffffff" is 16
constexpr std::size_t MAX_GAME_VERSION = 40;
constexpr std::size_t MAX_LANGUAGE_NAME = 8;
constexpr std::size_t READ_CHUNK = 4096;

enum class Line { whole, incomplete, too_long };

// The line that starts `bytes`, without its "\n" (or "\r\n"); `used`
// counts the line end. A line longer than `max` is cut there.
Line first_line(std::string_view bytes, std::size_t max, std::string_view& line, std::size_t& used) {
    std::size_t end = bytes.substr(0, max + 2).find('\n');
    if (end == std::string_view::npos) {
        line = bytes.substr(0, max);
        return bytes.size() > max + 1 || (bytes.size() > max && bytes[max] != '\r') ? Line::too_long : Line::incomplete;
    }
    used = end + 1;
    if (end > 0 && bytes[end - 1] == '\r') --end;
    line = bytes.substr(0, end);
    return end > max ? Line::too_long : Line::whole;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A decimal number without sign or leading zeros, at most `limit`.
bool parse_decimal(std::string_view text, uint64_t limit, uint64_t& value) {
    if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) return false;
    value = 0;
    for (char c : text) {
        if (!is_digit(c)) return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= limit;
}

bool parse_check(std::string_view text, uint32_t& check) {
    if (text.size() != 8) return false;
    check = 0;
    for (char c : text) {
        int digit = is_digit(c) ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        check = check << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// True while `bytes` so far could be the start of `prefix` (or hold it).
bool may_start_with(std::string_view bytes, std::string_view prefix) {
    return prefix.substr(0, bytes.size()) == bytes.substr(0, prefix.size());
}

RecordingStatus parse_record_line(std::string_view line, Record& record) {
    if (starts_with(line, "e ")) {
        record = Record{RecordKind::end, 0, 0};
        return parse_check(line.substr(2), record.check) ? RecordingStatus::ok : RecordingStatus::bad_check_value;
    }
    if (!starts_with(line, "k ")) return RecordingStatus::unknown_record;
    line.remove_prefix(2);
    std::size_t space = line.find(' ');
    uint64_t key = 0;
    if (space == std::string_view::npos || !parse_decimal(line.substr(0, space), RECORDING_MAX_KEY, key))
        return RecordingStatus::impossible_key;
    record = Record{RecordKind::key, static_cast<int>(key), 0};
    return parse_check(line.substr(space + 1), record.check) ? RecordingStatus::ok : RecordingStatus::bad_check_value;
}

// One header line "<name> <value>"; `value` is what follows the name.
RecordingStatus header_line(std::string_view& bytes, bool complete, std::string_view name, std::string_view& value,
                            std::size_t& used) {
    std::string_view line;
    std::size_t taken = 0;
    switch (first_line(bytes, MAX_HEADER_LINE, line, taken)) {
        case Line::too_long: return RecordingStatus::bad_header;
        case Line::incomplete: return complete ? RecordingStatus::truncated_header : RecordingStatus::need_more;
        case Line::whole: break;
    }
    if (!starts_with(line, name) || line.size() <= name.size() || line[name.size()] != ' ')
        return RecordingStatus::bad_header;
    value = line.substr(name.size() + 1);
    bytes.remove_prefix(taken);
    used += taken;
    return RecordingStatus::ok;
}

}  // namespace

std::string encode_header(const RecordingHeader& header) {
    return std::string(RECORDING_FORMAT_NAME) + " " + std::to_string(RECORDING_FORMAT_VERSION) + "\ngame " +
           header.game_version + "\nseed " + std::to_string(header.seed) + "\n" +
           (header.language.empty() ? "" : "lang " + header.language + "\n");
}

std::string encode_key_record(int key, uint32_t check) {
    char line[32];
    std::snprintf(line, sizeof line, "k %d %08x\n", key, static_cast<unsigned>(check));
    return line;
}

std::string encode_end_record(uint32_t check) {
    char line[16];
    std::snprintf(line, sizeof line, "e %08x\n", static_cast<unsigned>(check));
    return line;
}

RecordingStatus decode_header(std::string_view bytes, bool complete, RecordingHeader& header, std::size_t& used) {
    if (bytes.empty()) return complete ? RecordingStatus::empty : RecordingStatus::need_more;
    // A byte-order mark, as some editors save text, is no part of the name.
    std::size_t taken = 0;
    const std::string_view mark = "\xEF\xBB\xBF";
    if (may_start_with(bytes, mark)) {
        if (bytes.size() < mark.size()) return complete ? RecordingStatus::not_a_recording : RecordingStatus::need_more;
        bytes.remove_prefix(mark.size());
        taken = mark.size();
        if (bytes.empty()) return complete ? RecordingStatus::not_a_recording : RecordingStatus::need_more;
    }
    // The name comes first, so that any other file is refused at once.
    if (!may_start_with(bytes, std::string(RECORDING_FORMAT_NAME) + " ")) return RecordingStatus::not_a_recording;

    std::string_view value;
    RecordingStatus status = header_line(bytes, complete, RECORDING_FORMAT_NAME, value, taken);
    if (status != RecordingStatus::ok) return status;
    uint64_t number = 0;
    if (!parse_decimal(value, 999999, number)) return RecordingStatus::bad_header;
    header.format_version = static_cast<int>(number);
    if (header.format_version != RECORDING_FORMAT_VERSION) return RecordingStatus::other_format_version;

    if ((status = header_line(bytes, complete, "game", value, taken)) != RecordingStatus::ok) return status;
    if (value.empty() || value.size() > MAX_GAME_VERSION) return RecordingStatus::bad_header;
    for (char c : value)
        if (c <= ' ' || c > '~') return RecordingStatus::bad_header;
    header.game_version = std::string(value);

    if ((status = header_line(bytes, complete, "seed", value, taken)) != RecordingStatus::ok) return status;
    if (!parse_decimal(value, UINT32_MAX, number)) return RecordingStatus::bad_header;
    header.seed = static_cast<uint32_t>(number);

    // The language line is optional: a line that is not one (the first key,
    // or nothing yet) leaves the header without a language.
    header.language.clear();
    const std::string_view lang = "lang ";
    if (may_start_with(bytes, lang) && !(bytes.empty() && complete)) {
        if (bytes.size() < lang.size() && !complete) return RecordingStatus::need_more;
        if (bytes.size() >= lang.size()) {
            if ((status = header_line(bytes, complete, "lang", value, taken)) != RecordingStatus::ok) return status;
            if (value.empty() || value.size() > MAX_LANGUAGE_NAME) return RecordingStatus::bad_header;
            for (char c : value)
                if (c < 'a' || c > 'z') return RecordingStatus::bad_header;
            header.language = std::string(value);
        }
    }
    used = taken;
    return RecordingStatus::ok;
}

RecordingStatus decode_record(std::string_view bytes, bool complete, Record& record, std::size_t& used) {
    if (bytes.empty()) return complete ? RecordingStatus::finished : RecordingStatus::need_more;
    std::string_view line;
    switch (first_line(bytes, MAX_RECORD_LINE, line, used)) {
        case Line::whole: return parse_record_line(line, record);
        case Line::too_long: {
            // The field that runs on past the longest line is the fault.
            RecordingStatus status = parse_record_line(line, record);
            return status == RecordingStatus::ok ? RecordingStatus::bad_check_value : status;
        }
        case Line::incomplete: {
            if (!complete) return RecordingStatus::need_more;
            // The last line, whole but for its line end, is that line.
            std::string_view whole = line;
            if (whole.back() == '\r') whole.remove_suffix(1);
            if (parse_record_line(whole, record) == RecordingStatus::ok) {
                used = bytes.size();
                return RecordingStatus::ok;
            }
            return line[0] == 'k' || line[0] == 'e' ? RecordingStatus::cut_in_record : RecordingStatus::unknown_record;
        }
    }
    return RecordingStatus::unknown_record;
}

std::string recording_problem_text(RecordingStatus status, const RecordingHeader& header) {
    const std::string damaged = "this recording is damaged";
    switch (status) {
        case RecordingStatus::ok:
        case RecordingStatus::finished:
        case RecordingStatus::need_more: return "no problem";
        case RecordingStatus::empty: return "the file is empty, not a recording";
        case RecordingStatus::not_a_recording: return "this is not a Drowsel recording";
        case RecordingStatus::other_format_version:
            return "this recording is of format version " + std::to_string(header.format_version) +
                   "; this Drowsel plays format version " + std::to_string(RECORDING_FORMAT_VERSION);
        case RecordingStatus::truncated_header: return damaged + " (it ends inside its header)";
        case RecordingStatus::bad_header: return damaged + " (its header is not readable)";
        case RecordingStatus::cut_in_record: return "the recording was cut short in the middle of a key";
        case RecordingStatus::impossible_key: return damaged + " (a key code that no key makes)";
        case RecordingStatus::bad_check_value: return damaged + " (a check value is not readable)";
        case RecordingStatus::unknown_record: return damaged + " (a line that is no key)";
        case RecordingStatus::after_the_end: return damaged + " (keys after the end of the game)";
        case RecordingStatus::check_mismatch: return damaged + " (the replayed game differs from the recorded one)";
        case RecordingStatus::unreadable: return "the recording could not be read";
        case RecordingStatus::writer_gone: return "the player left";
        case RecordingStatus::file_truncated: return "the recording was truncated while it was followed";
        case RecordingStatus::file_replaced: return "the recording was replaced or deleted while it was followed";
    }
    return damaged;
}

template <class Decode>
RecordingStatus RecordingReader::take(Decode decode) {
    for (;;) {
        std::size_t used = 0;
        std::string_view rest = std::string_view(buffer_).substr(start_);
        RecordingStatus status = decode(rest, complete_, used);
        if (status == RecordingStatus::ok) {
            start_ += used;
            last_line_ended_ = buffer_[start_ - 1] == '\n';
        }
        if (status != RecordingStatus::need_more) return status;
        buffer_.erase(0, start_);
        erased_ += start_;
        start_ = 0;
        std::size_t had = buffer_.size();
        buffer_.resize(had + READ_CHUNK);
        long got = source_(buffer_.data() + had, READ_CHUNK);
        buffer_.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got == RECORDING_NOTHING_YET) return RecordingStatus::need_more;
        if (got == RECORDING_WRITER_GONE) return RecordingStatus::writer_gone;
        if (got == RECORDING_FILE_TRUNCATED) return RecordingStatus::file_truncated;
        if (got == RECORDING_FILE_REPLACED) return RecordingStatus::file_replaced;
        if (got < 0) return RecordingStatus::unreadable;
        if (got == 0) complete_ = true;
    }
}

RecordingStatus RecordingReader::read_header(RecordingHeader& header) {
    return take([&header](std::string_view bytes, bool complete, std::size_t& used) {
        return decode_header(bytes, complete, header, used);
    });
}

RecordingStatus RecordingReader::next(Record& record) {
    RecordingStatus status = take([&record](std::string_view bytes, bool complete, std::size_t& used) {
        return decode_record(bytes, complete, record, used);
    });
    // A writer that leaves after its end line has finished its recording.
    if (ended_ && status == RecordingStatus::writer_gone) return RecordingStatus::finished;
    if (ended_ && status != RecordingStatus::finished && status != RecordingStatus::need_more)
        return RecordingStatus::after_the_end;
    if (status == RecordingStatus::ok && record.kind == RecordKind::end) ended_ = true;
    return status;
}

RecordingReader::Source memory_source(std::string_view bytes) {
    return [bytes, at = std::size_t{0}](char* into, std::size_t room) mutable -> long {
        std::size_t n = bytes.size() - at < room ? bytes.size() - at : room;
        std::memcpy(into, bytes.data() + at, n);
        at += n;
        return static_cast<long>(n);
    };
}

long count_recorded_keys(RecordingReader::Source source) {
    RecordingReader reader(std::move(source));
    RecordingHeader header;
    if (reader.read_header(header) != RecordingStatus::ok) return -1;
    long keys = 0;
    Record record;
    RecordingStatus status;
    bool ended = false;
    while ((status = reader.next(record)) == RecordingStatus::ok) {
        if (record.kind == RecordKind::end)
            ended = true;
        else
            ++keys;
    }
    return status == RecordingStatus::finished && ended ? keys : -1;
}
