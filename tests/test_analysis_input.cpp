// The race analysis's input as read from a workspace race file.
#include "replay/analysis_input.h"
#include "replay/replay_data.h"
#include "replay/track_cache.h"
#include "race/race_settings.h"
#include "track/track_store.h"
#include "base/datetime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// A race at 10:00 local, nine hours ahead of UTC, its mark and lines in
// minutes of arc, one boat whose GPX track runs from 01:00 UTC.
TEST(AnalysisInput, GunInUtcMarksInMinutesPlacedWindTurnedTrue)
{
    const fs::path root = fs::path(::testing::TempDir()) / "analysis_input";
    fs::remove_all(root);
    fs::create_directories(root / "raceadmin");
    fs::create_directories(root / "gpsdat");
    std::ofstream(root / "raceadmin/tiny.txt")
        << "T1,Tiny\r\nLG,6\r\nMG,-7\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nTD,9\r\n"
           "BN,a.gpx,Alpha,1.02,30\r\nWD, 200\r\n"
           "MK,2101.2,8370\r\nLN,2100,8369.4,2100,8370.6\r\nLN,2100.6,8369.4,2100.6,8370.6\r\nCRS,s,01,f\r\n";
    std::ofstream gpx(root / "gpsdat/a.gpx");  // one fix a second from 01:00 UTC
    gpx.precision(10);
    gpx << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\"><trk><trkseg>\n";
    for (int i = 0; i < 120; ++i) {
        char t[32];
        std::snprintf(t, sizeof t, "01:%02d:%02d", i / 60, i % 60);
        gpx << "<trkpt lat=\"" << 35.0 + i * 1e-5 << "\" lon=\"139.5\"><time>2024-06-15T" << t
            << "Z</time></trkpt>\n";
    }
    gpx << "</trkseg></trk></gpx>\n";
    gpx.close();

    const AnalysisInput in = ReadAnalysisInput(root.string() + "/", "tiny.txt");
    const analysis::AnalysisRace& race = in.race;
    const double gun = 1718413200;  // 2024-06-15T01:00:00Z
    EXPECT_EQ(race.gun, gun);
    ASSERT_EQ(race.marks.size(), 1u);
    ASSERT_TRUE(race.marks[0]);
    EXPECT_NEAR(race.marks[0]->first, 35.02, 1e-9);
    EXPECT_NEAR(race.marks[0]->second, 139.5, 1e-9);
    ASSERT_EQ(race.lines.size(), 2u);
    EXPECT_NEAR(race.lines[1].lat1, 35.01, 1e-9);
    EXPECT_EQ(race.course, (std::vector<std::string>{"S", "1", "F"})) << "read as the check and the results read it";
    ASSERT_TRUE(race.wind_from_deg);
    EXPECT_EQ(*race.wind_from_deg, 193);  // WD is magnetic
    EXPECT_EQ(race.boat_length_m, 6);
    ASSERT_EQ(race.boats.size(), 1u);
    const analysis::AnalysisBoat& a = race.boats[0];
    EXPECT_EQ(a.name, "Alpha");
    EXPECT_EQ(a.tcf, 1.02);
    EXPECT_EQ(a.start_offset_s, 30);
    ASSERT_EQ(a.fixes.size(), 120u);
    EXPECT_NEAR(a.fixes.front().t, gun, 1e-3);
    EXPECT_NEAR(a.fixes.back().lat, 35.00119, 1e-9);
    EXPECT_EQ(in.finish - in.start, 3600);

    // Races sharing a cache read the track once and get the same fixes.
    TrackCache tracks;
    for (int k = 0; k < 2; ++k) {
        const AnalysisInput again = ReadAnalysisInput(root.string() + "/", "tiny.txt", &tracks);
        ASSERT_EQ(again.race.boats.size(), 1u);
        ASSERT_EQ(again.race.boats[0].fixes.size(), 120u);
        EXPECT_EQ(again.race.boats[0].fixes.back().lat, a.fixes.back().lat);
    }
    EXPECT_EQ(tracks.Reads(), 1u);
    fs::remove_all(root);
}

// A reader that keeps fractions of a second: they reach the analysis, and
// ten fixes of one second stay ten.
TEST(AnalysisInput, FractionsOfASecondAreKept)
{
    TrackStore track;
    track.SetTrackCapacity(11);
    track.TrackCapacity = 11;
    for (int i = 1; i <= 10; ++i) {
        track.TrackTime[i] = TrackEpoch + (1718413200 + i * 0.1) / SecondsPerDay;
        track.TrackLat[i] = 35 * 60;
        track.TrackLon[i] = 139.5 * 60;
    }
    track.TrackCount = 10;
    ReplayBoat boat;
    TakeFixes(track, 9, boat, true);
    EXPECT_EQ(boat.time.size(), 2u);  // the page keeps whole seconds
    ASSERT_EQ(boat.utc_fixes.size(), 10u);
    EXPECT_NEAR(boat.utc_fixes[2].t, 1718413200.3, 1e-4);
    EXPECT_NEAR(boat.utc_fixes[9].t, 1718413201.0, 1e-4);
}

// A finish line near no track must not leave the start line standing in for
// it: no line at all, and a note, rather than finishes on the wrong line.
TEST(AnalysisInput, AStartOrFinishLineLeftOutLeavesTheRaceUnscored)
{
    ReplayRace replay;
    replay.line_count = 2;
    replay.lines = {{35.0, 139.49, 35.0, 139.51, 1}};
    const AnalysisInput in = MakeAnalysisInput(RaceSettings{}, replay);
    EXPECT_TRUE(in.race.lines.empty());
    ASSERT_EQ(in.notes.size(), 1u);
    EXPECT_NE(in.notes[0].find("not scored"), std::string::npos) << in.notes[0];
}

// The next race on an all-day log is not this race: fixes from ten minutes
// before the gun to half an hour past the finish time are kept.
TEST(AnalysisInput, OnlyTheRacesOwnStretchOfAnAllDayLog)
{
    ReplayRace replay;
    replay.start = 36000;
    replay.finish = 39600;
    replay.boats.resize(1);
    for (const double t : {35000.0, 35400.0, 39600.0, 41400.0, 41401.0, 50000.0})
        replay.boats[0].utc_fixes.push_back({t, 35, 139.5});
    const AnalysisInput in = MakeAnalysisInput(RaceSettings{}, replay);
    std::vector<double> kept;
    for (const auto& f : in.race.boats[0].fixes)
        kept.push_back(f.t);
    EXPECT_EQ(kept, (std::vector<double>{35400, 39600, 41400}));
}

} // namespace
} // namespace tackedit
