// Files written by gpsbabel from the hand-made GPX files in data/source (the
// commands are in data/gpsbabel/README.md), read the way the editor reads them.

#include "platform/null_platform.h"
#include "base/datetime.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"
#include "track/track_loader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace tackedit;

const std::string kData = TACKEDIT_TEST_DATA;

struct LoadedTrack {
    TrackStore store;
    TrackEditState edit;
};

LoadedTrack Load(const std::string& path)
{
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    LoadedTrack track;
    LoadTrackFile(path, track.store, track.edit, services);
    return track;
}

std::string TimeText(DateTime time) { return FormatIsoDateTime(DecodeDateTimeToSecond(time)); }

// The text of `tackedit-cli dump`.
std::string Dump(const LoadedTrack& track)
{
    const TrackStore& s = track.store;
    std::string out = "count " + std::to_string(s.TrackCount) + "\ninterval " +
                      std::to_string(track.edit.LoadedInterval) + "\n";
    for (std::int32_t i = 1; i <= s.TrackCount; ++i) {
        char lat[32], lon[32];
        out += std::to_string(i) + '\t' + TimeText(s.TrackTime[i]) + '\t' +
               std::string(lat, std::to_chars(lat, lat + sizeof lat, s.TrackLat[i]).ptr) + '\t' +
               std::string(lon, std::to_chars(lon, lon + sizeof lon, s.TrackLon[i]).ptr) + '\n';
    }
    return out;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Resolution of each format in minutes of arc: gpsbabel writes NMEA minutes with
// three decimals and gdb and FIT positions in semicircles (180 / 2^31 degree),
// rounding both to the nearest.
constexpr double kNmeaTolerance = 0.0005 + 1e-9;
constexpr double kGdbTolerance = 180.0 * 60 / 2147483648.0 / 2 + 1e-9;

struct Fixture {
    const char* file;    // in data/gpsbabel; its expected dump is file + ".dump"
    const char* source;  // in data/source
    double tolerance;
    // Points at the end of the source that the reader does not find.
    int lost_at_end;
};

const Fixture kFixtures[] = {
    {"sample.log", "sample.gpx", kNmeaTolerance, 0},
    {"south_west.log", "south_west.gpx", kNmeaTolerance, 0},
    {"sample_fixes.log", "sample.gpx", kNmeaTolerance, 0},
    {"south_west_fixes.log", "south_west.gpx", kNmeaTolerance, 0},
    {"sample_v1.gdb", "sample.gpx", kGdbTolerance, 0},
    {"sample_v2.gdb", "sample.gpx", kGdbTolerance, 0},
    {"sample_v3.gdb", "sample.gpx", kGdbTolerance, 0},
    {"south_west_v1.gdb", "south_west.gpx", kGdbTolerance, 0},
    {"south_west_v2.gdb", "south_west.gpx", kGdbTolerance, 0},
    {"south_west_v3.gdb", "south_west.gpx", kGdbTolerance, 0},
    {"sample_gpsbabel.gpx", "sample.gpx", 0, 0},
    {"sample.tcx", "sample.gpx", 0, 0},
    {"south_west.tcx", "south_west.gpx", 0, 0},
    {"sample.kml", "sample.gpx", 0, 0},
    {"south_west.kml", "south_west.gpx", 0, 0},
    {"sample.kmz", "sample.gpx", 0, 0},
    {"sample.fit", "sample.gpx", kGdbTolerance, 0},
    {"south_west.fit", "south_west.gpx", kGdbTolerance, 0},
};

// Same times to the second and same positions within `tolerance` minutes.
void ExpectSameTrack(const TrackStore& got, const TrackStore& want, std::int32_t count, double tolerance)
{
    ASSERT_GT(count, 0);
    ASSERT_EQ(got.TrackCount, count);
    for (std::int32_t i = 1; i <= count; ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        EXPECT_EQ(TimeText(got.TrackTime[i]), TimeText(want.TrackTime[i]));
        EXPECT_NEAR(got.TrackLat[i], want.TrackLat[i], tolerance);
        EXPECT_NEAR(got.TrackLon[i], want.TrackLon[i], tolerance);
    }
}

TEST(GpsbabelFixture, DumpMatchesExpected)
{
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.file);
        const std::string path = kData + "/gpsbabel/" + f.file;
        EXPECT_EQ(Dump(Load(path)), ReadText(path + ".dump"));
    }
}

TEST(GpsbabelFixture, PointsMatchSourceWithinFormatResolution)
{
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.file);
        const LoadedTrack source = Load(kData + "/source/" + f.source);
        ASSERT_GT(source.store.TrackCount, f.lost_at_end);
        const LoadedTrack fixture = Load(kData + "/gpsbabel/" + f.file);
        ExpectSameTrack(fixture.store, source.store, source.store.TrackCount - f.lost_at_end, f.tolerance);
    }
}

// gpsbabel's GPX through TRB (single-precision degrees, whole seconds) and back.
TEST(GpsbabelFixture, GpxTrbGpxRoundTripKeepsPoints)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "tackedit_fixture_round_trip";
    std::filesystem::create_directories(dir);
    const std::string trb = (dir / "sample.trb").string();
    const std::string gpx = (dir / "sample.gpx").string();

    WriteTrbTrack(trb, Load(kData + "/gpsbabel/sample_gpsbabel.gpx").store);
    WriteGpxTrack(gpx, Load(trb).store);
    const LoadedTrack back = Load(gpx);
    const LoadedTrack source = Load(kData + "/source/sample.gpx");
    std::filesystem::remove_all(dir);

    ExpectSameTrack(back.store, source.store, source.store.TrackCount, 1e-5 * 60);
}

} // namespace
