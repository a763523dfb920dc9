#include "track/datetime.h"
#include "track/track_formats.h"

#include <gtest/gtest.h>

#include <string>

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

} // namespace
} // namespace tackedit
