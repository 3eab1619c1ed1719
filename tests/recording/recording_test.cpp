// The recording format read back as written, whole or a byte at a time.
#include "recording/recording.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Hands the reader one byte a call, as a slow pipe would.
RecordingReader::Source byte_at_a_time_source(const std::string& bytes) {
    auto at = std::make_shared<std::size_t>(0);
    return [&bytes, at](char* into, std::size_t) -> long {
        if (*at == bytes.size()) return 0;
        into[0] = bytes[(*at)++];
        return 1;
    };
}

std::vector<Record> read_all(RecordingReader& reader, RecordingStatus& last) {
    std::vector<Record> records;
    Record record;
    while ((last = reader.next(record)) == RecordingStatus::ok) records.push_back(record);
    return records;
}

TEST(RecordingFormat, ReadsBackWhatWasWrittenWholeOrAByteAtATime) {
    RecordingHeader written{RECORDING_FORMAT_VERSION, "1.2.3-rc1", 4294967295u};
    std::string bytes = encode_header(written) + encode_key_record(0, 0) + encode_key_record(4095, 0xffffffffu) +
                        encode_key_record(259, 0x0012abcdu) + encode_end_record(0x80000000u);
    EXPECT_EQ(bytes.rfind("drowsel-recording 1\ngame 1.2.3-rc1\nseed 4294967295\nk 0 00000000\n", 0), 0u);
    for (RecordingReader::Source source : {memory_source(bytes), byte_at_a_time_source(bytes)}) {
        RecordingReader reader(source);
        RecordingHeader header;
        ASSERT_EQ(reader.read_header(header), RecordingStatus::ok);
        EXPECT_EQ(header.game_version, "1.2.3-rc1");
        EXPECT_EQ(header.seed, 4294967295u);
        RecordingStatus last;
        std::vector<Record> records = read_all(reader, last);
        EXPECT_EQ(last, RecordingStatus::finished);
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[1].key, 4095);
        EXPECT_EQ(records[1].check, 0xffffffffu);
        EXPECT_EQ(records[2].key, 259);
        EXPECT_EQ(records[2].check, 0x0012abcdu);
        EXPECT_EQ(records[3].kind, RecordKind::end);
        EXPECT_EQ(records[3].check, 0x80000000u);
    }
}

TEST(RecordingFormat, TheHeaderMayNameTheLanguageAndOlderHeadersStillRead) {
    RecordingHeader english{RECORDING_FORMAT_VERSION, "1.0.0", 7, "en"};
    const std::string tail = encode_key_record(32, 1) + encode_end_record(2);
    const std::string named = encode_header(english) + tail;
    EXPECT_EQ(named.rfind("drowsel-recording 1\ngame 1.0.0\nseed 7\nlang en\nk 32 00000001\n", 0), 0u);
    const std::string unnamed = encode_header({RECORDING_FORMAT_VERSION, "1.0.0", 7}) + tail;
    EXPECT_EQ(unnamed.find("lang"), std::string::npos);
    for (const std::string& bytes : {named, unnamed, encode_header(english), encode_header({1, "1.0.0", 7})}) {
        for (RecordingReader::Source source : {memory_source(bytes), byte_at_a_time_source(bytes)}) {
            RecordingReader reader(source);
            RecordingHeader header;
            ASSERT_EQ(reader.read_header(header), RecordingStatus::ok) << bytes;
            EXPECT_EQ(header.language, bytes.find("lang en") != std::string::npos ? "en" : "") << bytes;
            EXPECT_EQ(header.seed, 7u);
            RecordingStatus last;
            std::vector<Record> records = read_all(reader, last);
            EXPECT_EQ(last, RecordingStatus::finished);
            EXPECT_EQ(records.size(), bytes.size() > 60 ? 2u : 0u) << bytes;
        }
    }
    const std::string start = "drowsel-recording 1\ngame 1.0.0\nseed 7\n";
    for (const char* bad : {"lang \n", "lang EN\n", "lang en-gb\n", "lang abcdefghi\n"}) {
        RecordingHeader header;
        std::size_t used = 0;
        EXPECT_EQ(decode_header(start + bad, true, header, used), RecordingStatus::bad_header) << bad;
    }
    RecordingHeader header;
    std::size_t used = 0;
    EXPECT_EQ(decode_header(start + "la", false, header, used), RecordingStatus::need_more);
    EXPECT_EQ(decode_header(start + "lang e", true, header, used), RecordingStatus::truncated_header);
}

// A copy with Windows line ends, a byte-order mark, or without its last
// line end reads as the same run; the keys are counted through the reader,
// whatever the header holds.
TEST(RecordingFormat, ForgivenCopiesReadAsTheSameRunAndTheirKeysCount) {
    for (const std::string language : {"", "en"}) {
        const std::string run = encode_header({RECORDING_FORMAT_VERSION, "1.0.0", 7, language}) +
                                encode_key_record(32, 1) + encode_key_record(259, 2) + encode_end_record(3);
        std::string windows = "\xEF\xBB\xBF";
        for (char c : run) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
        const std::string copies[] = {run, windows, run.substr(0, run.size() - 1),
                                      windows.substr(0, windows.size() - 1)};
        for (const std::string& bytes : copies) {
            EXPECT_EQ(count_recorded_keys(memory_source(bytes)), 2) << bytes;
            for (RecordingReader::Source source : {memory_source(bytes), byte_at_a_time_source(bytes)}) {
                RecordingReader reader(source);
                RecordingHeader header;
                ASSERT_EQ(reader.read_header(header), RecordingStatus::ok) << bytes;
                EXPECT_EQ(header.language, language);
                RecordingStatus last;
                std::vector<Record> records = read_all(reader, last);
                EXPECT_EQ(last, RecordingStatus::finished);
                ASSERT_EQ(records.size(), 3u) << bytes;
                EXPECT_TRUE(records[1].key == 259 && records[1].check == 2 && records[2].check == 3);
                EXPECT_EQ(reader.bytes_taken(), bytes.size());
                EXPECT_EQ(reader.last_line_ended(), bytes.back() == '\n');
            }
        }
    }
}

}  // namespace
