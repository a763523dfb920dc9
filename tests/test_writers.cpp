#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "platform/null_platform.h"
#include "track/formats/format_common.h"
#include "track/formats/gpx_reader.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"
#include "write_failures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>
#include <unistd.h>

namespace tackedit {
namespace {

TEST(GeneralNumberFormat, FifteenDigitsAndExponentBelowOneHundredThousandth)
{
    EXPECT_EQ(FormatGeneralNumber(35.5), "35.5");
    EXPECT_EQ(FormatGeneralNumber(-33.25), "-33.25");
    EXPECT_EQ(FormatGeneralNumber(139), "139");
    EXPECT_EQ(FormatGeneralNumber(0), "0");
    EXPECT_EQ(FormatGeneralNumber(5e-6), "5E-6");
    EXPECT_EQ(FormatGeneralNumber(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FormatGeneralNumber(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneralNumber(0.000123), "0.000123");
    EXPECT_EQ(FormatGeneralNumber(35.591328), "35.591328");
    EXPECT_EQ(FormatGeneralNumber(2135.4797 / 60), "35.5913283333333");
    EXPECT_EQ(FormatGeneralNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneralNumber(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatGeneralNumber(1e15), "1E15");
}

TrackStore ThreePoints()
{
    TrackStore s;
    TrackFiller f(s);
    const double day = *TryEncodeDate(2010, 5, 3);
    f.Store(day + *TryEncodeTime(1, 2, 3), 2130, 8355);
    f.Store(day + *TryEncodeTime(12, 34, 56, 700), -1995, -9090);
    f.Store(day + *TryEncodeTime(23, 0, 0), 0.0003, 60);
    f.Finish();
    for (int i = 1; i <= s.TrackCount; ++i)
        s.TrackMark[i] = 0;
    return s;
}

const char kHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\r\n"
    "<gpx xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://www.topografix.com/GPX/1/0\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n\r\n"
    "<trk><trkseg>\n\r\n";

TEST(GpxWriter, WritesTheTemplateByteForByte)
{
    const TrackStore s = ThreePoints();
    EXPECT_EQ(EncodeGpxTrack(s),
              std::string(kHeader) +
                  "<trkpt lat=\"35.5\"  lon=\"139.25\"> <ele>0</ele> <time>2010-05-03T01:02:03Z</time></trkpt>\n\r\n"
                  "<trkpt lat=\"-33.25\"  lon=\"-151.5\"> <ele>0</ele> <time>2010-05-03T12:34:56Z</time></trkpt>\n\r\n"
                  "<trkpt lat=\"5E-6\"  lon=\"1\"> <ele>0</ele> <time>2010-05-03T23:00:00Z</time></trkpt>\n\r\n"
                  "</trkseg></trk></gpx>\r\n");
}

TEST(GpxWriter, LeavesOutMarkedPoints)
{
    TrackStore s = ThreePoints();
    s.TrackMark[2] = 4;
    const std::string one = EncodeGpxTrack(s);
    EXPECT_EQ(one.find("-33.25"), std::string::npos);
    EXPECT_NE(one.find("35.5"), std::string::npos);
    s.TrackMark[1] = 1;
    s.TrackMark[3] = 8;
    EXPECT_EQ(EncodeGpxTrack(s), std::string(kHeader) + "</trkseg></trk></gpx>\r\n");
}

TEST(GpxWriter, ReadsBackThroughTheGpxReader)
{
    const TrackStore s = ThreePoints();
    TrackStore back;
    ParseGpxTrack(EncodeGpxTrack(s), "w.gpx", back);
    ASSERT_EQ(back.TrackCount, 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(back.TrackLat[i], s.TrackLat[i], 1e-9);
        EXPECT_NEAR(back.TrackLon[i], s.TrackLon[i], 1e-9);
        EXPECT_EQ(FormatIsoDateTime(DecodeDateTime(back.TrackTime[i])),
                  FormatIsoDateTime(DecodeDateTime(s.TrackTime[i])));
    }
}

// 10 Hz from 00:00:00.05: TRB rounds its times to 0, 1 and 2 s, GPX cuts them
// to 0 and 1 s; each writes the first fix of each of its seconds, and nothing
// of a 1 Hz track is left out.
TEST(WholeSecondWriters, KeepTheFirstFixOfEachSecondAsTheyWriteIt)
{
    const DateTime day = *TryEncodeDate(2010, 5, 3);
    TrackStore fast, steady;
    TrackFiller f(fast), g(steady);
    for (int i = 0; i < 20; ++i) {
        f.Store(day + (i * 0.1 + 0.05) / 86400, i * 60, 0);  // fix i at i degrees
        g.Store(day + (i - 10) / 86400.0, i, 0);  // across midnight
    }
    f.Finish();
    g.Finish();
    fast.TrackMark[1] = 1;  // the GPX writer skips it: the next fix is its first of second 0

    std::int32_t trb_left = -1, gpx_left = -1;
    const std::string trb = EncodeTrbTrack(fast, "f.trb", &trb_left);
    const std::string gpx = EncodeGpxTrack(fast, &gpx_left);
    EXPECT_EQ(trb_left, 17);
    EXPECT_EQ(gpx_left, 17);
    EXPECT_EQ(SameSecondFixes(fast, WholeSecondFormat::Trb, false), 17);
    EXPECT_EQ(SameSecondFixes(fast, WholeSecondFormat::Trb, true), 16);
    EXPECT_EQ(SameSecondFixes(fast, WholeSecondFormat::Gpx, false), 17);
    NullPendingEvents events;
    TrackStore back;
    ParseTrbTrack(trb, back, events);
    ASSERT_EQ(back.TrackCount, 3);
    EXPECT_EQ(std::vector<double>(&back.TrackLat[1], &back.TrackLat[4]), (std::vector<double>{0, 300, 900}));
    ParseGpxTrack(gpx, "f.gpx", back);
    ASSERT_EQ(back.TrackCount, 2);
    EXPECT_EQ(std::vector<double>(&back.TrackLat[1], &back.TrackLat[3]), (std::vector<double>{60, 600}));

    EncodeTrbTrack(steady, "s.trb", &trb_left);
    EncodeGpxTrack(steady, &gpx_left);
    EXPECT_EQ(trb_left + gpx_left, 0);
}

// Each way a replacing write can fail for real, and the rename through the seam:
// the old file stays byte for byte, no temporary file is left, the error names
// the target.
class AtomicWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("tackedit-atomic-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "old.trb", std::ios::binary) << "old bytes";
        before_ = FolderFiles(dir_);
    }
    void TearDown() override
    {
        SetRenameStepForTesting(nullptr);
        std::filesystem::remove_all(dir_);
    }

    // The write fails with a message naming `path` and containing `reason`.
    template <class Write>
    void ExpectFailure(const std::string& path, const char* reason, Write write)
    {
        try {
            write();
            ADD_FAILURE() << "no error for " << path;
        } catch (const DataError& e) {
            EXPECT_EQ(e.file(), path);
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(FolderFiles(dir_), before_);
    }

    std::filesystem::path dir_;
    std::map<std::string, std::string> before_;
};

TEST_F(AtomicWriteTest, RealFailuresLeaveTheOldFile)
{
    const std::string old = (dir_ / "old.trb").string();
    {
        FileSizeLimit limit(4096);
        ExpectFailure(old, "File too large", [&] { WriteFileAtomically(old, std::string(100000, 'x')); });
    }
    const std::string in_a_file = (dir_ / "old.trb" / "x.trb").string();
    ExpectFailure(in_a_file, "Not a directory", [&] { WriteFileAtomically(in_a_file, "new"); });
    const std::string too_long = (dir_ / (std::string(256, 'n') + ".trb")).string();
    ExpectFailure(too_long, "File name too long", [&] { WriteFileAtomically(too_long, "new"); });
}

TEST_F(AtomicWriteTest, AFailedRenameLeavesTheOldFile)
{
    SetRenameStepForTesting([](const char*, const char*) {
        errno = EIO;
        return -1;
    });
    const std::string old = (dir_ / "old.trb").string();
    ExpectFailure(old, "cannot replace file: Input/output error", [&] { WriteFileAtomically(old, "new"); });
    std::ofstream(dir_ / "source", std::ios::binary) << "source";
    before_ = FolderFiles(dir_);
    ExpectFailure(old, "cannot replace file", [&] { CopyFileAtomically((dir_ / "source").string(), old); });
}

TEST_F(AtomicWriteTest, ANameAtTheLimitStillGetsItsTemporaryFile)
{
    const std::filesystem::path longest = dir_ / (std::string(251, 'n') + ".trb");
    WriteFileAtomically(longest.string(), "new");
    EXPECT_EQ(FolderFiles(dir_).at(longest.filename().string()), "new");
    EXPECT_EQ(FolderFiles(dir_).size(), 2u);
}

} // namespace
} // namespace tackedit
