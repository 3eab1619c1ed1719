// The recording format read back as written, whole or a byte at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/recording.h"

namespace {

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
    std::string_view view(bytes);
    std::size_t at = 0;
    RecordingReader::Source one_at_a_time = [&](char* into, std::size_t) -> long {
        if (at == view.size()) return 0;
        *into = view[at++];
        return 1;
    };
    for (RecordingReader::Source source : {memory_source(bytes), one_at_a_time}) {
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

}  // namespace
