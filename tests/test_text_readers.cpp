#include "base/data_error.h"
#include "base/datetime.h"
#include "track/formats/format_common.h"
#include "track/formats/gpx_reader.h"
#include "track/formats/nmea_reader.h"
#include "track/formats/text_track_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tackedit {
namespace {

using Parser = std::function<void(std::string_view, const std::string&, TrackStore&)>;

std::string TimeOf(const TrackStore& s, int i)
{
    return FormatIsoDateTime(DecodeDateTimeToSecond(s.TrackTime[i]));
}

// The line of the DataError a parse raises, or -1 when it succeeds.
std::int64_t ErrorLine(const Parser& parse, const std::string& text)
{
    TrackStore store;
    try {
        parse(text, "f.txt", store);
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), "f.txt");
        EXPECT_EQ(store.TrackCount, 0) << "points read before a conversion error are not kept";
        return e.line();
    }
    return -1;
}

TEST(GpxReader, ReadsPointsOfAllTracksAndSegmentsInFileOrder)
{
    const std::string gpx =
        "<?xml version=\"1.0\"?>\n<gpx><wpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:00Z</time></wpt>\n"
        "<trk><trkseg><trkpt lat=\"35.5\" lon=\"139.25\"><ele>3</ele><time>2010-05-03T01:02:03Z</time></trkpt>\n"
        "</trkseg><trkseg><TRKPT LON=\"-151.5\" LAT=\"-33.25\"><TIME>2010-05-03T01:02:04.9Z</TIME></trkpt>\n"
        "</trkseg></trk><rte><rtept lat=\"5\" lon=\"6\"><time>2010-01-01T00:00:00Z</time></rtept></rte>\n"
        "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><time>2011-01-01T00:00:00Z</time></trkpt></trkseg></trk></gpx>";
    TrackStore s;
    ParseGpxTrack(gpx, "a.gpx", s);
    ASSERT_EQ(s.TrackCount, 3);
    EXPECT_EQ(s.TrackLat[1], 2130);
    EXPECT_EQ(s.TrackLon[1], 8355);
    EXPECT_EQ(TimeOf(s, 1), "2010-05-03 01:02:03");
    EXPECT_EQ(s.TrackLat[2], -1995);
    EXPECT_EQ(s.TrackLon[2], -9090);
    EXPECT_EQ(TimeOf(s, 2), "2010-05-03 01:02:04") << "fractions of a second are ignored";
    EXPECT_EQ(TimeOf(s, 3), "2011-01-01 00:00:00");
}

TEST(GpxReader, TimesGivenInAZoneAreTakenToUtc)
{
    const std::string gpx =
        "<gpx><trk><trkseg>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-06-15T19:00:00+09:00</time></trkpt>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-06-15T21:00:00-04:00</time></trkpt>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-06-16T00:30:00.25+0115</time></trkpt>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-06-15T10:00:00Z</time></trkpt>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-06-15T10:00:01</time></trkpt>"
        "</trkseg></trk></gpx>";
    TrackStore s;
    ParseGpxTrack(gpx, "a.gpx", s);
    ASSERT_EQ(s.TrackCount, 5);
    EXPECT_EQ(TimeOf(s, 1), "2024-06-15 10:00:00");
    EXPECT_EQ(TimeOf(s, 2), "2024-06-16 01:00:00") << "a zone west of Greenwich, across midnight";
    EXPECT_EQ(TimeOf(s, 3), "2024-06-15 23:15:00") << "a fraction, minutes in the zone, back a day";
    EXPECT_EQ(TimeOf(s, 4), "2024-06-15 10:00:00");
    EXPECT_EQ(TimeOf(s, 5), "2024-06-15 10:00:01") << "no zone is UTC, as before";
}

TEST(GpxReader, SkipsPointsWithoutTimeAndStopsAtTheRoot)
{
    TrackStore s;
    ParseGpxTrack("<trkpt lat=\"1\" lon=\"2\"><ele>5</ele></trkpt>"
                  "<trkpt lat=\"3\" lon=\"4\"><time>2010-01-01T00:00:01Z</time></trkpt></gpx>"
                  "<trkpt lat=\"5\" lon=\"6\"><time>2010-01-01T00:00:02Z</time></trkpt>",
                  "a.gpx", s);
    ASSERT_EQ(s.TrackCount, 1);
    EXPECT_EQ(s.TrackLat[1], 180);

    ParseGpxTrack("<gpx></gpx>", "a.gpx", s);
    EXPECT_EQ(s.TrackCount, 0);
    EXPECT_EQ(s.TrackCapacity, 100);
}

TEST(GpxReader, UpperCaseClosingTagsRunEachPointOnToTheEnd)
{
    TrackStore s;
    ParseGpxTrack("<gpx>\n<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></TRKPT>\n"
                  "<trkpt lat=\"3\" lon=\"4\"><time>2010-01-01T00:00:02Z</time></TRKPT>\n</gpx>",
                  "a.gpx", s);
    ASSERT_EQ(s.TrackCount, 1);
    EXPECT_EQ(s.TrackLat[1], 60);
}

TEST(GpxReader, FiveCharactersAfterEachOpeningBracketAreConsumed)
{
    // "<<trkpt": the second bracket is swallowed by the first one's word.
    TrackStore s;
    ParseGpxTrack("<<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></trkpt>", "a.gpx", s);
    EXPECT_EQ(s.TrackCount, 0);
    // A garmin extension's closing tag contains "/gpx" and ends the point early,
    // after its time has been read.
    ParseGpxTrack("<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time><extensions>"
                  "<gpxtpx:hr>120</gpxtpx:hr></extensions></trkpt>"
                  "<trkpt lat=\"3\" lon=\"4\"><time>2010-01-01T00:00:02Z</time></trkpt>",
                  "a.gpx", s);
    EXPECT_EQ(s.TrackCount, 2);
}

TEST(GpxReader, UnconvertibleValuesStopTheLoadWithTheirLine)
{
    const Parser gpx = ParseGpxTrack;
    const std::string ok = "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></trkpt>\n";
    EXPECT_EQ(ErrorLine(gpx, ok + "<trkpt lat='1' lon='2'><time>2010-01-01T00:00:01Z</time></trkpt>"), 2);
    EXPECT_EQ(ErrorLine(gpx, ok + ok + "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01 00:00:01</time></trkpt>"), 3);
    EXPECT_EQ(ErrorLine(gpx, ok + "<trkpt lat=\"1\" lon=\"2\"><time>2010-13-01T00:00:01Z</time></trkpt>"), 2);
    EXPECT_EQ(ErrorLine(gpx, "<trkpt lat=\"1\" lon=\"2\"><time>T00:00:01Z</time></trkpt>"), 1) << "no date at all";
    EXPECT_EQ(ErrorLine(gpx, "<trkpt lat=\"" + std::string(60, '1') + "\" lon=\"2\"><time>2010-01-01T00:00:01Z</time>"),
              1)
        << "a value longer than the window";
    EXPECT_EQ(ErrorLine(gpx, "<trkpt lat=\"1\" lon=\"2\"><timestamp>x</timestamp></trkpt>"), 1);
}

TEST(NmeaReader, ReadsRmcSentencesWithCenturyTwenty)
{
    TrackStore s;
    ParseNmeaLog("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
                 "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
                 "$GPRMC,000001.00,V,3512.3456,S,13945.6789,W,0.0,0.0,010210,,\r\n"
                 "$gnrmc,000002,A,3512.3456,S,13945.6789,W,0,0,010210\n"
                 "$GPRMC,000003,A,3512.3456,S,13945.6789,W,0,0,000000\n"
                 "$GPRMC,000003,A,3512.3456,S,13945.6789,W,0,0,010200\n",
                 "a.log", s);
    ASSERT_EQ(s.TrackCount, 3);
    EXPECT_EQ(TimeOf(s, 1), "2094-03-23 12:35:19");
    EXPECT_EQ(s.TrackLat[1], 2887.038);
    EXPECT_EQ(s.TrackLon[1], 691);
    EXPECT_EQ(TimeOf(s, 2), "2010-02-01 00:00:01") << "status V is read like any other";
    EXPECT_EQ(s.TrackLat[2], -2112.3456);
    EXPECT_EQ(s.TrackLon[2], -8385.6789);
    EXPECT_EQ(TimeOf(s, 3), "2010-02-01 00:00:02");
}

TEST(NmeaReader, SentencesWithoutAFixAreSkippedButBadFieldsStopTheLoad)
{
    TrackStore s;
    ParseNmeaLog("$GPRMC,235947.000,V,,,,,,,,,N*53\n"
                 "$GPRMC,235948,V,,N,,E,,,010210,,\n"
                 "$GPRMC,000001,A,3512.3456,N,13945.6789,E,0,0,010210\n",
                 "a.log", s);
    EXPECT_EQ(s.TrackCount, 1);

    const Parser nmea = ParseNmeaLog;
    const std::string ok = "$GPRMC,000001,A,3512.3456,N,13945.6789,E,0,0,010210\n";
    EXPECT_EQ(ErrorLine(nmea, ok + "$GPRMC,000001,A,3512,N,13945.6789,E,0,0,010210\n"), 2) << "no decimal point";
    EXPECT_EQ(ErrorLine(nmea, ok + ok + "$GPRMC,,A,3512.3,N,13945.6,E,0,0,010210\n"), 3) << "empty time";
    EXPECT_EQ(ErrorLine(nmea, ok + "$GPRMC,000001,A,3512.3,N,13945.6,E,0,0,\n"), 2) << "empty date";
    EXPECT_EQ(ErrorLine(nmea, ok + "$GPRMC,000001,A,3512.3,N,13945.6,E,0,0,3a0210\n"), 2);
    EXPECT_EQ(ErrorLine(nmea, ok + "$GPRMC,250001,A,3512.3,N,13945.6,E,0,0,010210\n"), 2) << "hour 25";
    EXPECT_EQ(ErrorLine(nmea, ok + "$GPRMC,000001,A,3512.3,N,13945.6,E,0,0,300210\n"), 2) << "30 February";
}

// A sentence with its checksum, as receivers write them.
std::string Sentence(const std::string& body)
{
    unsigned sum = 0;
    for (const char c : body)
        sum ^= static_cast<unsigned char>(c);
    const char* hex = "0123456789ABCDEF";
    return "$" + body + "*" + hex[sum >> 4] + hex[sum & 15] + "\r\n";
}

TEST(NmeaReader, FixesWithoutRmcAreDatedByZdaAcrossMidnight)
{
    TrackStore s;
    ParseNmeaLog(Sentence("GPGGA,235958.00,3516.8011,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,") +
                     Sentence("GPGGA,000000.00,3516.8021,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,") +
                     Sentence("GPZDA,000001.00,01,01,2020,00,00") +
                     Sentence("GNGNS,000001.00,3516.8031,S,13932.9985,W,AN,09,0.9,2.1,39.4,,,V") +
                     Sentence("GLGLL,3516.8041,N,13932.9985,E,000001.00,A,A") +      // the same fix again
                     Sentence("GAGGA,000002.00,3516.8051,N,13932.9985,E,0,00,,,M,,M,,") +  // no fix
                     Sentence("GPGLL,3516.8061,N,13932.9985,E,000002.00,V,N") +
                     Sentence("GNGNS,000002.00,3516.8071,N,13932.9985,E,NN,00,,,,,,V") +
                     Sentence("BDGGA,000002.00,,,,,1,00,,,M,,M,,") +
                     Sentence("GPZDA,235957.00,01,01,2020,00,00") +
                     Sentence("GPGGA,235959.00,3516.8081,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,") +
                     Sentence("GPGGA,000003.00,3516.8091,N,13932.9985,E,2,09,0.9,2.1,M,39.4,M,,") +
                     Sentence("GPZDA,120000.00,05,03,2020,00,00") +
                     Sentence("GPGLL,3516.8101,N,13932.9985,E,120001.00,A"),
                 "a.nmea", s);
    ASSERT_EQ(s.TrackCount, 6);
    EXPECT_EQ(TimeOf(s, 1), "2019-12-31 23:59:58") << "dated back from the first ZDA";
    EXPECT_EQ(s.TrackLat[1], 2116.8011);
    EXPECT_EQ(TimeOf(s, 2), "2020-01-01 00:00:00");
    EXPECT_EQ(TimeOf(s, 3), "2020-01-01 00:00:01");
    EXPECT_EQ(s.TrackLat[3], -2116.8031);
    EXPECT_EQ(s.TrackLon[3], -8372.9985);
    EXPECT_EQ(TimeOf(s, 4), "2020-01-01 23:59:59");
    EXPECT_EQ(TimeOf(s, 5), "2020-01-02 00:00:03") << "midnight between two ZDA sentences";
    EXPECT_EQ(TimeOf(s, 6), "2020-03-05 12:00:01");
    EXPECT_EQ(s.TrackLat[6], 2116.8101);
    EXPECT_TRUE(s.ReadNotes.empty());
}

TEST(NmeaReader, FixesTakeTheDateOfTheLastRmcAndNeedOne)
{
    TrackStore s;
    ParseNmeaLog("$GPRMC,235958.00,V,,,,,,,311219,,,N\n"
                 "$GPGGA,235959.00,3516.8011,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,\n"
                 "$GPRMC,000000.00,V,,,,,,,,,,N\n"
                 "$GPGGA,000000.00,3516.8021,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,\n",
                 "a.log", s);
    ASSERT_EQ(s.TrackCount, 2);
    EXPECT_EQ(TimeOf(s, 1), "2019-12-31 23:59:59");
    EXPECT_EQ(TimeOf(s, 2), "2020-01-01 00:00:00");

    ParseNmeaLog("$GPGGA,235959.00,3516.8011,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,\n", "a.log", s);
    EXPECT_EQ(s.TrackCount, 0);
    ASSERT_EQ(s.ReadNotes.size(), 1u);
    EXPECT_EQ(s.ReadNotes[0], "1 fix was left out: the log holds no date (no ZDA sentence, no RMC sentence with a date)");
}

TEST(NmeaReader, DamagedSentencesAreSkippedAndCountedButMalformedOnesStopTheLoad)
{
    const std::string ok = Sentence("GPRMC,000001,A,3512.3,N,13945.6,E,0,0,010210");
    TrackStore s;
    ParseNmeaLog(ok + "$GPRMC,000002,A,35x2.3,N,13945.6,E,0,0,010210*00\r\n" + ok +
                     "$GPRMC,000004,A,3512.3,N,13945.6,E,0,0,010210*00\r\n"  // reads well: kept
                     "$GPRMC,000005,A,3512.3,N,139",
                 "a.log", s);
    EXPECT_EQ(s.TrackCount, 3);
    ASSERT_EQ(s.ReadNotes.size(), 1u);
    EXPECT_EQ(s.ReadNotes[0], "2 damaged sentences were skipped (checksum does not match or cut off): lines 2, 5");

    const Parser nmea = ParseNmeaLog;
    EXPECT_EQ(ErrorLine(nmea, ok + Sentence("GPRMC,000002,A,35x2.3,N,13945.6,E,0,0,010210") + ok), 2)
        << "its checksum matches";

    // The same among fixes without RMC.
    const std::string date = Sentence("GPZDA,000000.00,01,01,2020,00,00");
    const std::string bad_fix = "GPGGA,000001.00,35x6.8,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,";
    TrackStore f;
    ParseNmeaLog(date + "$" + bad_fix + "*00\n" + Sentence("GPGGA,000002.00,3516.8,N,13932.9,E,1,09,,,M,,M,,") +
                     "$GPZDA,000003.00,01,01,20",
                 "a.log", f);
    EXPECT_EQ(f.TrackCount, 1);
    ASSERT_EQ(f.ReadNotes.size(), 1u);
    EXPECT_EQ(f.ReadNotes[0], "2 damaged sentences were skipped (checksum does not match or cut off): lines 2, 4");
    EXPECT_EQ(ErrorLine(nmea, date + Sentence(bad_fix)), 2);
    EXPECT_EQ(ErrorLine(nmea, "$GPZDA,000000.00,01,13,2020,00,00\n$GPGGA,000002.00,3516.8,N,13932.9,E,1,,,,,,,,\n"), 1)
        << "month 13, no checksums";
    EXPECT_EQ(ErrorLine(nmea, date + Sentence("GPGGA,000002.00,3516.8,X,13932.9,E,1,09,,,M,,M,,")), 2)
        << "not a hemisphere";
}

TEST(ParseCoordinate, ThreeNotationsAndTheHemisphereLetter)
{
    EXPECT_EQ(*ParseCoordinate("N35.5", CoordDegrees), 2130);
    EXPECT_EQ(*ParseCoordinate("S351230.0", CoordDegreesMinutesSeconds), -(35 * 60 + 12 + 0.5));
    EXPECT_EQ(*ParseCoordinate("3512.345", CoordDegreesMinutes), 5 * 60 + 12.345) << "first character dropped";
    EXPECT_EQ(*ParseCoordinate("W13945.6789", CoordDegreesMinutes), -8385.6789);
    EXPECT_EQ(*ParseCoordinate("s3512.5", CoordDegreesMinutes), 2112.5) << "only upper-case S negates";
    EXPECT_EQ(*ParseCoordinate("w3512.5", CoordDegreesMinutes), 2112.5);
    EXPECT_EQ(*ParseCoordinate("N0030.5", CoordDegreesMinutes), 30.5);
    EXPECT_EQ(*ParseCoordinate("N35.5", 4), 0);
    EXPECT_EQ(*ParseCoordinate("N123.4", CoordDegreesMinutes), 60 + 23.4);
    for (const char* bad : {"", "N", "N3512", "N12.5", "Nab12.5"})
        EXPECT_FALSE(ParseCoordinate(bad, CoordDegreesMinutes)) << bad;
    EXPECT_FALSE(ParseCoordinate("N3512", CoordDegreesMinutesSeconds));
    EXPECT_FALSE(ParseCoordinate("N1220.5", CoordDegreesMinutesSeconds)) << "no degree digits";
}

TEST(TextTrackReader, HeaderWordsChooseTheNotationForTheRestOfTheFile)
{
    TrackStore s;
    ParseTextTrack("H Sample track\nT N3512.345 E13945.678 2010/05/03 01:02:03 x\n"
                   "H DMS\nT N351220.7 E1394540.2 2010/05/03 01:02:04 x\n"
                   "H DEG\nT S35.2058 W139.7612 2010/05/03 01:02:05 x\n",
                   "a.trk", s);
    ASSERT_EQ(s.TrackCount, 3);
    EXPECT_DOUBLE_EQ(s.TrackLat[1], 35 * 60 + 12.345);
    EXPECT_DOUBLE_EQ(s.TrackLat[2], 35 * 60 + 12 + 20.7 / 60);
    EXPECT_DOUBLE_EQ(s.TrackLon[2], 139 * 60 + 45 + 40.2 / 60);
    EXPECT_DOUBLE_EQ(s.TrackLat[3], -35.2058 * 60);
    EXPECT_DOUBLE_EQ(s.TrackLon[3], -139.7612 * 60);
    EXPECT_EQ(TimeOf(s, 3), "2010-05-03 01:02:05");
}

TEST(TextTrackReader, FirstDateDecidesTheOrderForTheWholeFile)
{
    TrackStore s;
    ParseTextTrack("T N3512.3 E13945.6 05/03/2010 01:00:00 x\n"
                   "T N3512.3 E13945.6 2010/05/04 01:00:00 x\n"   // year first: does not convert
                   "T N3512.3 E13945.6 05-04-2010 02:00:00 x\n",
                   "a.trk", s);
    ASSERT_EQ(s.TrackCount, 3);
    EXPECT_EQ(TimeOf(s, 1), "2010-05-03 01:00:00");
    EXPECT_EQ(TimeOf(s, 2), "2010-05-03 01:00:00") << "a bad date keeps the previous time";
    EXPECT_EQ(TimeOf(s, 3), "2010-05-04 02:00:00");

    ParseTextTrack("T N3512.3 E13945.6 2010-05-03 01:00:00 x\nT N3512.3 E13945.6 10/05/03 01:00:00 x\n", "a.trk",
                   s);
    ASSERT_EQ(s.TrackCount, 2);
    EXPECT_EQ(TimeOf(s, 2), "2010-05-03 01:00:00");

    // Short parts: year last, two digits.
    ParseTextTrack("T N3512.3 E13945.6 05/03/10 01:00:00 x\n", "a.trk", s);
    EXPECT_EQ(TimeOf(s, 1), "2010-05-03 01:00:00");

    ParseTextTrack("T N3512.3 E13945.6 bad 01:00:00 x\n", "a.trk", s);
    ASSERT_EQ(s.TrackCount, 1);
    EXPECT_EQ(s.TrackTime[1], 0) << "the first point with a bad date gets day 0";
}

TEST(TextTrackReader, OnlySixFieldLinesWithTAreRead)
{
    TrackStore s;
    ParseTextTrack("T N3512.3 E13945.6 2010/05/03 01:00:00\n"             // five fields
                   "T N3512.3 E13945.6 2010/05/03 01:00:00 x y\n"         // seven
                   " T N3512.3 E13945.6 2010/05/03 01:00:00 x\n"          // empty field 0
                   "t N3512.3 E13945.6 2010/05/03 01:00:00 x\n"           // lower-case t
                   "XT   N3512.3   E13945.6 2010/05/03 01:00:00 x   \n", // runs of blanks
                   "a.trk", s);
    EXPECT_EQ(s.TrackCount, 1);

    const Parser text = ParseTextTrack;
    EXPECT_EQ(ErrorLine(text, "T N3512.3 E13945.6 2010/05/03 01:00:00 x\nTITLE is not a header line\n"), 2)
        << "a six-field header with a T is taken as a point";
}

TEST(TextTrackReader, LinesSplitFromTheirFirst64BytesReadAsTheGeneralSplitDoes)
{
    // Lines that end within 64 bytes are split from one block's masks; padded
    // past 64 with blanks (which change no field) they take the general split.
    const std::vector<std::string> lines = {
        "H  LATITUDE    LONGITUDE    DATE       TIME     ALT",
        "T N3512.345 E13945.678 2010/05/03 01:02:03 12",
        " T N3512.3 E13945.6 2010/05/03 01:00:00 x",     // empty field 0
        "T N3512.3 E13945.6 2010/05/03 01:00:01",        // five fields
        "T N3512.3 E13945.6 2010/05/03 01:00:02 x y",    // seven
        "XT   N3512.3   E13945.6 2010/05/03 01:00:03 x",
        "T N3512.3 E13945.6 2010/05/03 01:00:04 x\t1",   // a tab: not a blank
        "H DMS",
        "T N351220.7 E1394540.2 2010/05/04 bad 1",       // keeps the time before
        "U  LAT LON DEG",
        "T S35.2058 W139.7612 05/03/2010 01:02:05 " + std::string(22, '9'),  // 63 bytes
        "T N35x2.3 E13945.6 2010/05/03 01:00:00 x",      // stops the load
    };
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (const std::size_t stop : {lines.size() - 1, lines.size()}) {
        std::string blocks, padded;
        for (std::size_t i = 0; i < stop; ++i) {
            blocks += lines[i] + ends[i % 3];
            padded += lines[i] + std::string(70 - std::min<std::size_t>(lines[i].size(), 60), ' ') + ends[i % 3];
        }
        const std::string tail = std::string(80, 'H') + "\n";  // every line above starts 64 bytes from the end
        TrackStore a, b;
        std::int64_t error_a = -1, error_b = -1;
        try {
            ParseTextTrack(blocks + tail, "a.trk", a);
        } catch (const DataError& e) {
            error_a = e.line();
        }
        try {
            ParseTextTrack(padded + tail, "a.trk", b);
        } catch (const DataError& e) {
            error_b = e.line();
        }
        SCOPED_TRACE(stop == lines.size() ? "with the bad line" : "without it");
        EXPECT_EQ(error_a, stop == lines.size() ? 12 : -1);
        EXPECT_EQ(error_a, error_b);
        ASSERT_EQ(a.TrackCount, stop == lines.size() ? 0 : 5);
        ASSERT_EQ(a.TrackCount, b.TrackCount);
        for (int i = 1; i <= a.TrackCount; ++i) {
            EXPECT_EQ(a.TrackTime[i], b.TrackTime[i]) << i;
            EXPECT_EQ(a.TrackLat[i], b.TrackLat[i]) << i;
            EXPECT_EQ(a.TrackLon[i], b.TrackLon[i]) << i;
        }
    }
}

TEST(TextReaders, GarbageEndsCleanly)
{
    std::string garbage_text;
    for (int i = 0; i < 200000; ++i)
        garbage_text += static_cast<char>((i * 7919) % 256);
    const std::string& garbage = garbage_text;
    const std::string nul(100000, '\0');
    const std::string one_line(5 * 1000 * 1000, 'T');
    for (const Parser& parse : {Parser(ParseGpxTrack), Parser(ParseNmeaLog), Parser(ParseTextTrack)}) {
        for (const std::string* input : {&garbage, &nul, &one_line}) {
            TrackStore s;
            try {
                parse(*input, "g", s);
                EXPECT_GE(s.TrackCount, 0);
                EXPECT_LE(s.TrackCount, s.TrackCapacity - 50);
            } catch (const DataError& e) {
                EXPECT_EQ(s.TrackCount, 0);
                EXPECT_GT(e.line(), 0);
            }
        }
    }
    // Truncated inside a point: the scan ends at the data.
    TrackStore s;
    ParseGpxTrack("<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01", "g", s);
    EXPECT_EQ(s.TrackCount, 1);
    ParseGpxTrack("<trkpt lat=\"1\" lon=\"2\"><ti", "g", s);
    EXPECT_EQ(s.TrackCount, 0);
}

TEST(TextReaders, TimesBefore1900RunForwardFromTheDayStart)
{
    TrackStore s;
    ParseGpxTrack("<trkpt lat=\"1\" lon=\"2\"><time>1899-12-29T06:00:00Z</time></trkpt>", "g", s);
    ASSERT_EQ(s.TrackCount, 1);
    EXPECT_EQ(TimeOf(s, 1), "1899-12-29 06:00:00");
    ParseTextTrack("T N3512.345 E13945.678 1850/05/03 01:02:03 x\n", "t", s);
    ASSERT_EQ(s.TrackCount, 1);
    EXPECT_EQ(TimeOf(s, 1), "1850-05-03 01:02:03");
}

} // namespace
} // namespace tackedit
