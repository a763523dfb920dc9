#include "platform/null_platform.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "track/formats/gdb_reader.h"
#include "track/formats/trl_reader.h"
#include "track/formats/trb_format.h"
#include "track/formats/little_endian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tackedit {
namespace {

void PutInt32(std::string& data, std::size_t at, std::int32_t v)
{
    std::string bytes;
    AppendInt32LE(bytes, v);
    data.replace(at, 4, bytes);
}

void PutFloat(std::string& data, std::size_t at, float v)
{
    std::string bytes;
    AppendFloat32LE(bytes, v);
    data.replace(at, 4, bytes);
}

// Writes a layout A record whose marker lands at position i.
void PutLayoutA(std::string& d, std::size_t i, std::int32_t lat, std::int32_t lon, std::int32_t time)
{
    d[i - 10] = d[i - 9] = 0;
    PutInt32(d, i - 8, lat);
    PutInt32(d, i - 4, lon);
    d[i] = 1;
    for (std::size_t k = i + 1; k <= i + 8; ++k)
        d[k] = 0x55;
    d[i + 9] = 1;
    PutInt32(d, i + 10, time);
    d[i + 14] = d[i + 15] = 0;
}

void PutLayoutB(std::string& d, std::size_t i, std::int32_t lat, std::int32_t lon, std::int32_t time)
{
    d[i - 11] = d[i - 10] = 0;
    PutInt32(d, i - 9, lat);
    PutInt32(d, i - 5, lon);
    d[i - 1] = 0;
    d[i] = 1;
    PutInt32(d, i + 1, time);
    d[i + 5] = d[i + 6] = 0;
}

std::string TimeOf(const TrackStore& s, int i)
{
    return FormatIsoDateTime(DecodeDateTimeToSecond(s.TrackTime[i]));
}

TEST(GdbReader, FindsBothLayoutsAndConvertsSemicircles)
{
    std::string d(200, '\x7f');
    PutLayoutA(d, 40, 424621084, -424621084, 1262304000);
    PutLayoutB(d, 100, 1 << 30, 0, 1262304001);
    PutLayoutB(d, 116, -(1 << 30), 0, 1262304002);  // back to back: 16 bytes later
    NullPendingEvents events;
    TrackStore s;
    ParseGdbTrack(d, s, events);
    ASSERT_EQ(s.TrackCount, 3);
    EXPECT_EQ(TimeOf(s, 1), "2010-01-01 00:00:00");
    EXPECT_NEAR(s.TrackLat[1], 2135.4797, 1e-4);
    EXPECT_EQ(s.TrackLon[1], -s.TrackLat[1]);
    EXPECT_EQ(s.TrackLat[2], 90 * 60);
    EXPECT_EQ(s.TrackLat[3], -90 * 60);
    EXPECT_EQ(TimeOf(s, 3), "2010-01-01 00:00:02");
}

TEST(GdbReader, EdgesSkipsAndDroppedCandidates)
{
    NullPendingEvents events;
    TrackStore s;
    std::string small(59, '\0');
    small[30] = 1;
    ParseGdbTrack(small, s, events);
    EXPECT_EQ(s.TrackCount, 0) << "shorter than 60 bytes";

    // Markers in the first 30 bytes are never tested.
    std::string d(100, '\x7f');
    PutLayoutB(d, 29, 1, 1, 5);
    ParseGdbTrack(d, s, events);
    EXPECT_EQ(s.TrackCount, 0);
    // At the end a record is found as long as it fits: a file that ends with a
    // track point keeps it.
    std::string edge(100, '\x7f');
    PutLayoutB(edge, 30, 1, 1, 5);
    PutLayoutB(edge, 93, 1, 1, 6);
    ParseGdbTrack(edge, s, events);
    EXPECT_EQ(s.TrackCount, 2) << "positions 30 and L - 7 are tested";
    std::string tail_a(100, '\x7f');
    PutLayoutA(tail_a, 84, 1, 1, 5);
    ParseGdbTrack(tail_a, s, events);
    EXPECT_EQ(s.TrackCount, 1) << "a 24-byte record ending at the last byte";
    tail_a.pop_back();
    ParseGdbTrack(tail_a, s, events);
    EXPECT_EQ(s.TrackCount, 0) << "cut short by one byte, it is not read past the data";

    // A zero time drops the candidate without skipping: a record 12 bytes on is found.
    std::string dropped(120, '\x7f');
    PutLayoutB(dropped, 40, 1, 1, 0);
    PutLayoutB(dropped, 52, 0, 2, 7);
    ParseGdbTrack(dropped, s, events);
    ASSERT_EQ(s.TrackCount, 1);

    // After a record the next 12 (layout B) positions are not tested.
    std::string skipped(120, '\x7f');
    PutLayoutB(skipped, 40, 1, 1, 65536);
    PutLayoutB(skipped, 52, 1, 2, 8);
    ParseGdbTrack(skipped, s, events);
    EXPECT_EQ(s.TrackCount, 1);
    std::string resumed(120, '\x7f');
    PutLayoutB(resumed, 40, 1, 1, 7);
    PutLayoutB(resumed, 53, 0, 2, 8);
    ParseGdbTrack(resumed, s, events);
    EXPECT_EQ(s.TrackCount, 2) << "testing resumes at marker + 13";
}

TEST(GdbReader, LargeScanLetsTheWindowRunButNotPerByte)
{
    std::string d(8 * 1000 * 1000, '\1');
    NullPendingEvents events;
    TrackStore s;
    ParseGdbTrack(d, s, events);
    EXPECT_EQ(s.TrackCount, 0);
    EXPECT_LT(events.calls, 1000);
}

std::string TrlRecords(int count, std::size_t length, std::int32_t first_time)
{
    std::string d;
    for (int r = 0; r < count; ++r) {
        std::string rec(length, '\0');
        PutInt32(rec, 0, first_time + r);
        PutFloat(rec, 4, 35.5f + static_cast<float>(r) / 1024);
        PutFloat(rec, 8, -139.25f);
        PutInt32(rec, 12, 0x11223344);
        d += rec;
    }
    return d;
}

TEST(TrlReader, InfersTheRecordLengthFromTheSecondTime)
{
    NullPendingEvents events;
    TrackStore s;
    ParseTrlTrack(TrlRecords(100, 16, 1262304000), s, events);
    ASSERT_EQ(s.TrackCount, 100);
    EXPECT_EQ(TimeOf(s, 100), "2010-01-01 00:01:39");
    EXPECT_EQ(s.TrackLat[1], 2130);
    EXPECT_EQ(s.TrackLon[1], -8355);

    ParseTrlTrack(TrlRecords(10, 20, 1262304000), s, events);
    ASSERT_EQ(s.TrackCount, 10);
    EXPECT_EQ(TimeOf(s, 10), "2010-01-01 00:00:09");
    EXPECT_EQ(s.TrackLat[2], (35.5 + 1.0 / 1024) * 60);

    // A partial record at the end is dropped instead of read past the data.
    std::string partial = TrlRecords(5, 20, 1262304000);
    partial.resize(partial.size() - 5);
    ParseTrlTrack(partial, s, events);
    EXPECT_EQ(s.TrackCount, 4);

    ParseTrlTrack(std::string(23, '\0'), s, events);
    EXPECT_EQ(s.TrackCount, 0) << "too short to tell the record length";
}

TEST(TrbFormat, RecordsAreTwelveBytesAndRoundTrip)
{
    TrackStore s;
    {
        TrackFiller f(s);
        f.Store(*TryEncodeDate(2010, 1, 1) + 0.6 / 86400, 2135.4797, -8355);
        f.Store(*TryEncodeDate(2010, 1, 1) + 2.4 / 86400, -1995, 0);
        f.Store(*TryEncodeDate(2010, 1, 1) + 3.6 / 86400, 0.0001, 10799.99);
        f.Finish();
    }
    const std::string bytes = EncodeTrbTrack(s, "t.trb");
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_EQ(ReadInt32LE(bytes, 0), 1262304001);
    EXPECT_EQ(ReadInt32LE(bytes, 12), 1262304002);
    EXPECT_EQ(ReadInt32LE(bytes, 24), 1262304004);
    EXPECT_EQ(ReadFloat32LE(bytes, 4), static_cast<float>(2135.4797L / 60));
    EXPECT_EQ(ReadFloat32LE(bytes, 8), -139.25f);

    NullPendingEvents events;
    TrackStore back;
    ParseTrbTrack(bytes, back, events);
    ASSERT_EQ(back.TrackCount, 3);
    EXPECT_EQ(TimeOf(back, 1), "2010-01-01 00:00:01");
    EXPECT_NEAR(back.TrackLat[1], 2135.4797, 2135.4797 * 6e-8);
    EXPECT_EQ(back.TrackLon[1], -8355);

    TrackStore empty;
    EXPECT_EQ(EncodeTrbTrack(empty, "e.trb"), "");
    ParseTrbTrack(bytes + "1234567", back, events);
    EXPECT_EQ(back.TrackCount, 3) << "a trailing partial record is dropped";
}

TEST(TrbFormat, TimesOutsideTheFieldAreRefusedNotWrapped)
{
    TrackStore s;
    TrackFiller f(s);
    f.Store(*TryEncodeDate(2010, 1, 1), 0, 0);
    f.Store(0, 0, 0);  // 1899-12-30: a text track's point without a valid date
    f.Finish();
    try {
        EncodeTrbTrack(s, "t.trb");
        FAIL() << "expected an error";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("point 2"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("1899-12-30"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace tackedit
