#pragma once
// The recording format: a run written as text, a short header and then one
// line for every key the game read. Bytes only: no files and no terminal
// here, so any front end can write and read recordings from wherever it
// keeps them (a file, a browser's memory).
//
//   drowsel-recording 1        format name and format version
//   game 1.0.0                 the version of the game that played it
//   seed 1765000000            the seed of the run's generator
//   lang en                    (optional) the language it was played in
//   k 32 8a1f03c2              a key: its code (0..4095), then a check
//   k 259 0b77e410
//   ...
//   e 5d2c90aa                 the game is over: the final check
//
// Every line ends with "\n". A copy with "\r\n" line ends or a UTF-8
// byte-order mark reads as the same recording, and so does a last key or
// end line whole but for its "\n" (its check has exactly eight digits); a
// header line must end with its "\n". The check of a key line is
// state_check() (in hexadecimal, 8 lower-case digits) taken when the game showed its first
// screen after the previous key, or when it asked for this key if it showed
// none in between: the state the previous key led to. The key line of the
// first key checks the state at the first screen of the program. The end
// line checks the state when the game is over. A run that was killed has
// no end line, and may end in the middle of a line.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr char RECORDING_FORMAT_NAME[] = "drowsel-recording";
constexpr int RECORDING_FORMAT_VERSION = 1;
// Key codes a recording may hold: every code a keyboard gives the game.
constexpr int RECORDING_MAX_KEY = 4095;

struct RecordingHeader {
    int format_version = RECORDING_FORMAT_VERSION;
    std::string game_version;
    uint32_t seed = 0;
    // The language named by the "lang" line: a short lower-case name, "en"
    // for a run played in English; empty when the header has no such line
    // (a run played in Japanese, or recorded before there was a choice).
    std::string language{};
};

enum class RecordKind { key, end };

struct Record {
    RecordKind kind = RecordKind::key;
    int key = 0;  // for a key record
    uint32_t check = 0;
};

// What reading a recording found. Everything from `empty` on is a problem
// with the bytes; recording_problem_text says it in words.
enum class RecordingStatus {
    ok,         // a header or a record was read
    finished,   // no bytes left after the last whole line
    need_more,  // the bytes so far are incomplete (only when more may come)
    empty,      // no bytes at all
    not_a_recording,
    other_format_version,  // header.format_version says which
    truncated_header,
    bad_header,
    cut_in_record,  // the bytes end in the middle of a line: a run cut short
    impossible_key,
    bad_check_value,
    unknown_record,
    after_the_end,   // lines after the end line
    check_mismatch,  // found by a replay: the game is not the recorded one
    unreadable,      // the bytes could not be read
    // Following a recording as it is written (see RECORDING_WRITER_GONE):
    writer_gone,     // its writer went away before the end line
    file_truncated,  // bytes already read are no longer there
    file_replaced,   // another file, or none, has the recording's name
};

std::string encode_header(const RecordingHeader& header);
std::string encode_key_record(int key, uint32_t check);
std::string encode_end_record(uint32_t check);

// Decode the header, or one line after it, from the start of `bytes`.
// `complete` says that no bytes will follow those given. On `ok`, `used`
// is the number of bytes taken. Without `complete`, an incomplete line gives
// `need_more`; with it, `truncated_header` or `cut_in_record` (and
// `finished` when no bytes are left after the last record, `empty` when the
// header finds none at all).
RecordingStatus decode_header(std::string_view bytes, bool complete, RecordingHeader& header, std::size_t& used);
RecordingStatus decode_record(std::string_view bytes, bool complete, Record& record, std::size_t& used);

// A sentence for a problem, such as "this recording is damaged (a key code
// no key makes)"; for the other format version, the version found.
std::string recording_problem_text(RecordingStatus status, const RecordingHeader& header);

// Reads a recording from a source of bytes as it goes, keeping at most a
// few kilobytes in memory. `source` fills `into` with up to `room` bytes
// and returns how many (0 at the end, a negative number when reading
// failed, RECORDING_NOTHING_YET when the bytes so far are all there is but
// more may come: the reader then says `need_more` and asks again next time).
// Call read_header once, then next until it stops giving `ok`. After `end`
// the reader checks that nothing follows.
constexpr long RECORDING_NOTHING_YET = -2;
// A source that follows a recording as it is written says why no more
// bytes will come: the writer is gone (its game ended without the end
// line), the bytes read so far were cut away, or the file was replaced or
// deleted. The reader says writer_gone, file_truncated or file_replaced.
constexpr long RECORDING_WRITER_GONE = -3;
constexpr long RECORDING_FILE_TRUNCATED = -4;
constexpr long RECORDING_FILE_REPLACED = -5;

class RecordingReader {
   public:
    using Source = std::function<long(char* into, std::size_t room)>;
    explicit RecordingReader(Source source) : source_(std::move(source)) {}

    RecordingStatus read_header(RecordingHeader& header);
    RecordingStatus next(Record& record);

    // The bytes of the header and the lines read so far: where a run goes
    // on being written when its last line was cut short (that part line is
    // dropped). False when the last line read had no "\n" of its own.
    std::size_t bytes_taken() const { return erased_ + start_; }
    bool last_line_ended() const { return last_line_ended_; }

   private:
    template <class Decode>
    RecordingStatus take(Decode decode);

    Source source_;
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t erased_ = 0;  // bytes taken and dropped from the buffer
    bool complete_ = false;
    bool ended_ = false;
    bool last_line_ended_ = true;
};

// A source over bytes in memory (which must outlive the reader).
RecordingReader::Source memory_source(std::string_view bytes);

// The keys of a complete recording (a sound header, the key lines, the end
// line and nothing after it), read through a reader of `source`; -1 for a
// recording that is not complete (cut short, damaged, unreadable, or still
// being written).
long count_recorded_keys(RecordingReader::Source source);
