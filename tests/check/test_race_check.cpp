#include "check/photo_time.h"
#include "check/race_check.h"
#include "check/track_shift.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "track/formats/trb_format.h"
#include "tests/vkx_encoder.h"

#include <libexif/exif-data.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// The race of every test: 10:00 to 11:00 local on 2024-06-15, TD 9, so the
// tracks' window is 01:00 to 02:00 UTC.
const DateTime kDay = *TryEncodeDate(2024, 6, 15);
const DateTime kWindowStart = kDay + 1.0 / 24;

struct Fix {
    double seconds;  // from 01:00 UTC
    double lat = 35 * 60, lon = 139.5 * 60;
};

// Every 10 s from 00:50 to 02:10 UTC, sailing north at 6 knots.
std::vector<Fix> Sailing(double from = -600, double to = 4200)
{
    std::vector<Fix> fixes;
    for (double s = from; s <= to; s += 10)
        fixes.push_back({s, 35 * 60 + s * 6 / 3600});
    return fixes;
}

class RaceCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws_ = fs::temp_directory_path() / ("tackedit-check-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(ws_);
        for (const char* folder : {"gpsdat", "raceadmin", "winddat", "attachment", "coastline"})
            fs::create_directories(ws_ / folder);
        std::ofstream(ws_ / "tackvue.exe") << "viewer";
        dir_ = ws_.string() + "/";
        race_.StartTime = kDay + 10.0 / 24;
        race_.FinishTime = kDay + 11.0 / 24;
        race_.TimeDiff = 9;
    }
    void TearDown() override { fs::remove_all(ws_); }

    void Track(const std::string& name, const std::vector<Fix>& fixes, double shift_seconds = 0)
    {
        TrackStore store;
        store.SetTrackCapacity(static_cast<std::int32_t>(fixes.size()) + 1);
        for (const Fix& f : fixes) {
            ++store.TrackCount;
            store.TrackTime[store.TrackCount] = kWindowStart + (f.seconds + shift_seconds) / SecondsPerDay;
            store.TrackLat[store.TrackCount] = f.lat;
            store.TrackLon[store.TrackCount] = f.lon;
        }
        WriteTrbTrack((ws_ / "gpsdat" / name).string(), store);
    }

    void Boat(const std::string& file, const std::string& name) { race_.AddBoat(file, name); }

    RaceCheckResult Check()
    {
        RaceCheckInput input;
        input.app_dir = dir_;
        input.race_file_name = "race.txt";
        return CheckRace(race_, input);
    }

    static std::vector<std::string> Messages(const RaceCheckResult& result, const std::string& subject,
                                             Severity severity)
    {
        std::vector<std::string> out;
        for (const Finding& f : result.findings)
            if (f.subject == subject && f.severity == severity)
                out.push_back(f.message);
        return out;
    }

    fs::path ws_;
    std::string dir_;
    RaceSettings race_;
};

TEST(TrackWindow, CoverageAndGapsCountOnlyTheWindow)
{
    const std::vector<double> times{-100, 0, 90, 400};
    // [0, 30] and [60, 120] of [0, 200].
    EXPECT_DOUBLE_EQ(CoverageOf(times, 0, 200), 0.45);
    const Gap gap = LargestGapOf(times, 0, 200);
    EXPECT_DOUBLE_EQ(gap.from, 90);
    EXPECT_DOUBLE_EQ(gap.to, 200);
    EXPECT_DOUBLE_EQ(LargestGapOf({}, 0, 200).Length(), 200);
    EXPECT_EQ(CoverageOf(times, 50, 50), 0) << "a window without length";
}

TEST_F(RaceCheckTest, ACleanRaceGivesOnlyNotes)
{
    Track("a.trb", Sailing());
    Track("b.trb", Sailing());
    Boat("a.trb", "Alpha");
    Boat("B.TRB", "Bravo");  // found without regard to case
    const RaceCheckResult result = Check();
    EXPECT_EQ(result.Count(Severity::Error), 0);
    EXPECT_EQ(result.Count(Severity::Warning), 0);
    ASSERT_EQ(result.boats.size(), 2u);
    const BoatCheck& b = result.boats[1];
    EXPECT_EQ(b.points, 481);
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(*b.first)), "2024-06-15 00:50:00");
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(*b.last)), "2024-06-15 02:10:00");
    EXPECT_DOUBLE_EQ(b.coverage, 1);
    EXPECT_NEAR(b.largest_gap, 10, 1e-3);
    EXPECT_FALSE(b.shift_seconds);
}

TEST_F(RaceCheckTest, GapsJumpsZeroFixesAndBackwardTimesAreWarnings)
{
    std::vector<Fix> gappy = Sailing();
    std::erase_if(gappy, [](const Fix& f) { return f.seconds > 1200 && f.seconds < 1810; });
    Track("gap.trb", gappy);
    std::vector<Fix> jumpy = Sailing();
    jumpy[100].lat += 5;  // 5 nautical miles off in 10 s
    jumpy[200].lat = jumpy[200].lon = 0;
    Track("jump.trb", jumpy);
    std::vector<Fix> backward = Sailing();
    backward[300].seconds -= 15;
    Track("back.trb", backward);
    // A 10 Hz logger in a file with whole seconds: ten fixes a second, one time
    // each, and one real jump among them.
    std::ofstream gpx(ws_ / "gpsdat" / "fast.gpx");
    gpx << "<gpx><trk><trkseg>\n";
    for (int i = 0; i <= 48000; ++i) {
        const int second = 3000 + i / 10;  // from 00:50 UTC
        char line[160];
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.7f\" lon=\"%.7f\"><time>2024-06-15T%02d:%02d:%02dZ</time></trkpt>\n",
                      35 + (i / 10.0 - 600) * 6 / 3600 / 60, i == 30005 ? 139.6 : 139.5, second / 3600,
                      second / 60 % 60, second % 60);
        gpx << line;
    }
    gpx << "</trkseg></trk></gpx>\n";
    gpx.close();
    Boat("gap.trb", "Gap");
    Boat("jump.trb", "Jump");
    Boat("back.trb", "Back");
    Boat("fast.gpx", "Fast");
    const RaceCheckResult result = Check();
    EXPECT_EQ(result.Count(Severity::Error), 0);

    EXPECT_NEAR(result.boats[0].largest_gap, 610, 1e-3);
    EXPECT_NEAR(result.boats[0].coverage, (3600 - 550) / 3600.0, 1e-9);
    EXPECT_EQ(Messages(result, "Gap", Severity::Warning),
              (std::vector<std::string>{"Covers only 84.7% of the race: the track runs from 2024/06/15 9:50:00 to "
                                        "2024/06/15 11:10:00 race time",
                                        "No fix for 10 min 10 s, from 10:20:00 to 10:30:10"}));

    EXPECT_EQ(result.boats[1].jumps, 1);
    EXPECT_EQ(result.boats[1].zero_points, 1);
    EXPECT_EQ(result.boats[1].points, 480) << "the fix at 0, 0 is left out";
    const std::vector<std::string> jump = Messages(result, "Jump", Severity::Warning);
    ASSERT_EQ(jump.size(), 2u) << "said once, not again as the reader's note";
    EXPECT_EQ(jump[1], "1 point at latitude 0, longitude 0 (fixes without a position) left out of the track; the "
                       "file still holds them");

    EXPECT_EQ(result.boats[2].backward, 1);
    EXPECT_EQ(result.boats[2].jumps, 0);
    EXPECT_EQ(Messages(result, "Back", Severity::Warning),
              std::vector<std::string>{"The time goes backwards 1 time"});

    EXPECT_EQ(result.boats[3].jumps, 1) << "the fixes of one second are no jumps; the real one is";
    EXPECT_EQ(Messages(result, "Fast", Severity::Warning),
              std::vector<std::string>{"1 point jump faster than 40 knots, the jump limit the editor's automatic "
                                       "editing and the race analysis use too; the editor's speed test would delete "
                                       "them"});

    // A file of nothing but such fixes gives no point, and the count says why.
    Track("lost.trb", {{0, 0, 0}, {10, 0, 0}});
    Boat("lost.trb", "Lost");
    const RaceCheckResult lost = Check();
    EXPECT_EQ(Messages(lost, "Lost", Severity::Error),
              std::vector<std::string>{"The file lost.trb holds no track points"});
    ASSERT_EQ(Messages(lost, "Lost", Severity::Warning).size(), 1u);
    EXPECT_EQ(Messages(lost, "Lost", Severity::Warning)[0].rfind("2 points at latitude 0, longitude 0", 0), 0u);
}

TEST_F(RaceCheckTest, ShiftedClocksAreNamedAndATrackThatStopsEarlyIsNot)
{
    Track("local.trb", Sailing(), 9 * 3600);            // a phone writing local time as UTC
    Track("west.trb", Sailing(), -5 * 3600);
    Track("rollover.trb", Sailing(), -kGpsWeekRollover);  // an old logger's week number
    Track("stops.trb", Sailing(-600, 1500));              // the battery died at 01:25
    Boat("local.trb", "Local");
    Boat("west.trb", "West");
    Boat("rollover.trb", "Rollover");
    Boat("stops.trb", "Stops");
    const RaceCheckResult result = Check();

    EXPECT_EQ(result.boats[0].shift_seconds, -9 * 3600);
    EXPECT_EQ(result.boats[1].shift_seconds, 5 * 3600);
    EXPECT_EQ(result.boats[2].shift_seconds, kGpsWeekRollover);
    EXPECT_FALSE(result.boats[3].shift_seconds);
    EXPECT_EQ(Messages(result, "Local", Severity::Error),
              std::vector<std::string>{"No fix between the start and the finish: the track runs from 2024/06/15 "
                                       "18:50:00 to 2024/06/15 20:10:00 race time; times look 9 hours late: a "
                                       "time-zone error? Moved by that, the track covers 100.0% of the race"});
    EXPECT_NE(Messages(result, "West", Severity::Error).at(0).find("times look 5 hours early: a time-zone error?"),
              std::string::npos);
    EXPECT_NE(Messages(result, "Rollover", Severity::Error)
                  .at(0)
                  .find("times look 1024 weeks early: the GPS week rollover?"),
              std::string::npos);
    EXPECT_TRUE(Messages(result, "Stops", Severity::Error).empty());
    EXPECT_EQ(Messages(result, "Stops", Severity::Warning).at(0).find("Covers only 42.5% of the race"), 0u);
}

TEST_F(RaceCheckTest, ClocksOffByYearsDaysOrRolloversWithHoursAreMended)
{
    // 2014-06-15 08:50 for 2024-06-15 00:50: ten years (three leap days) early, eight hours late.
    constexpr std::int64_t kDecade = 3653LL * 86400 - 8 * 3600;
    Track("decade.trb", Sailing(), -kDecade);
    Track("rolled.trb", Sailing(), -kGpsWeekRollover + 9 * 3600);
    Track("yesterday.trb", Sailing(), -86400 - 2 * 3600);
    Boat("decade.trb", "Decade");
    Boat("rolled.trb", "Rolled");
    Boat("yesterday.trb", "Yesterday");
    const RaceCheckResult result = Check();

    EXPECT_EQ(result.boats[0].shift_seconds, 315590400);
    EXPECT_EQ(result.boats[1].shift_seconds, kGpsWeekRollover - 9 * 3600);
    EXPECT_EQ(result.boats[2].shift_seconds, 26 * 3600);
    const std::vector<std::string> decade = Messages(result, "Decade", Severity::Error);
    ASSERT_EQ(decade.size(), 1u);
    EXPECT_NE(decade[0].find("times look 10 years early and 8 hours late: a clock set to the wrong date? Moved by "
                             "that, the track covers 100.0% of the race"),
              std::string::npos)
        << decade[0];
    const auto carried = std::find_if(result.findings.begin(), result.findings.end(),
                                      [](const Finding& f) { return f.subject == "Decade"; });
    EXPECT_EQ(carried->shift_seconds, 315590400) << "the finding carries its fix";
    EXPECT_NE(Messages(result, "Rolled", Severity::Error)
                  .at(0)
                  .find("times look 1024 weeks early and 9 hours late: the GPS week rollover?"),
              std::string::npos);
    EXPECT_NE(Messages(result, "Yesterday", Severity::Error).at(0).find("times look 1 day and 2 hours early"),
              std::string::npos);
    EXPECT_TRUE(Messages(result, "race", Severity::Warning).empty()) << "days off are no time difference";

    // Mended by the shift, the track is in the race.
    fs::rename(ws_ / "gpsdat" / "decade.trb", ws_ / "gpsdat" / "old.trb");
    WriteShiftedCopy((ws_ / "gpsdat" / "old.trb").string(), (ws_ / "gpsdat" / "decade.trb").string(), 315590400);
    const RaceCheckResult mended = Check();
    EXPECT_DOUBLE_EQ(mended.boats[0].coverage, 1);
    EXPECT_TRUE(Messages(mended, "Decade", Severity::Error).empty());
}

TEST_F(RaceCheckTest, ATrackFarFromTheCourseIsAWarningNamingTheDistance)
{
    race_.MarkList.push_back({35.0, 139.5});
    race_.LineList.push_back({35.2, 139.49, 35.2, 139.51});
    Track("near.trb", Sailing());
    std::vector<Fix> far = Sailing();
    for (Fix& f : far)
        f.lat = 35 * 60 - 19200.0 / 1852 - f.seconds * 6 / 3600;  // sailing south from 19.2 km off the mark
    far.push_back({4300, 35 * 60 - 1, 139.5 * 60});  // near, but after the finish
    Track("far.trb", far);
    Boat("near.trb", "Near");
    Boat("far.trb", "Far");
    const RaceCheckResult result = Check();
    EXPECT_TRUE(Messages(result, "Near", Severity::Warning).empty());
    EXPECT_EQ(Messages(result, "Far", Severity::Warning),
              std::vector<std::string>{"Its nearest fix during the race is 19.2 km from the course"});
    EXPECT_NEAR(*result.boats[1].course_distance, 19200, 1);
}

TEST_F(RaceCheckTest, ACleanedTrackBesideTheBoatsFileIsOfferedUnlessAnyBoatUsesIt)
{
    for (const char* name : {"Kazekiri.trb", "KAZEKIRI_s.trb", "b.trb", "b_s.trb", "c_s.trb"})
        Track(name, Sailing());
    std::ofstream(ws_ / "gpsdat" / "gone_s.gpx") << "<gpx/>";
    Boat("kazekiri.trb", "Kazekiri");
    Boat("b.trb", "Bravo");
    Boat("B_S.TRB", "Bravo cleaned");
    Boat("c_s.trb", "Charlie");
    Boat("gone.log", "Gone");
    const RaceCheckResult result = Check();
    std::vector<std::string> offers;
    for (const Finding& f : result.findings)
        if (f.use_file)
            offers.push_back(f.subject + ": " + *f.use_file + " | " + f.message);
    EXPECT_EQ(offers, (std::vector<std::string>{
                          "Kazekiri: KAZEKIRI_s.trb | KAZEKIRI_s.trb in gpsdat/ is this boat's track cleaned in the "
                          "editor, but the race still uses kazekiri.trb",
                          "Gone: gone_s.gpx | gone_s.gpx in gpsdat/ is this boat's track cleaned in the editor, but "
                          "the race still uses gone.log"}));
    EXPECT_EQ(result.boats[0].cleaned_file, "KAZEKIRI_s.trb");
    EXPECT_EQ(Messages(result, "Gone", Severity::Error), std::vector<std::string>{"The GPS file gone.log is not in gpsdat/"});
}

TEST_F(RaceCheckTest, EveryBoatOffByTheSameHoursPointsAtTheTimeDifference)
{
    Track("a.trb", Sailing());
    Track("b.trb", Sailing());
    Boat("a.trb", "Alpha");
    Boat("b.trb", "Bravo");
    race_.TimeDiff = 0;  // the race's times are JST, the tracks' UTC
    EXPECT_EQ(Messages(Check(), "race", Severity::Warning),
              std::vector<std::string>{"Every boat's times look 9 hours early: is the time difference of 0 h "
                                       "right? 9 h would fit every track"});
}

TEST_F(RaceCheckTest, TheShiftedCopyCoversTheRace)
{
    Track("local.trb", Sailing(), 9 * 3600);
    const std::string copy = (ws_ / "gpsdat" / ShiftedFileName("local.trb")).string();
    EXPECT_EQ(ShiftedFileName("20240615.TEAM1.gpx"), "20240615_shifted.trb");
    EXPECT_EQ(WriteShiftedCopy((ws_ / "gpsdat" / "local.trb").string(), copy, -9 * 3600).points, 481);
    Boat("local_shifted.trb", "Local");
    const RaceCheckResult result = Check();
    EXPECT_EQ(result.Count(Severity::Error) + result.Count(Severity::Warning), 0);

    // 1024 weeks on from 2024 is past what a TRB time can hold: refused, nothing written.
    const std::string far = (ws_ / "gpsdat" / "far.trb").string();
    EXPECT_THROW(WriteShiftedCopy(copy, far, static_cast<double>(kGpsWeekRollover)), DataError);
    EXPECT_FALSE(fs::exists(far));
}

TEST_F(RaceCheckTest, ABoatInAFormatTheViewerCannotReadIsAnErrorUnlessTheSaveMakesItsTrbCopy)
{
    Track("a.trb", Sailing());
    std::ofstream(ws_ / "gpsdat" / "watch.fit") << "not loaded here";
    std::ofstream(ws_ / "gpsdat" / "timer.VKX") << "nor here";
    std::ofstream(ws_ / "gpsdat" / "log.nmea") << "";
    Boat("a.trb", "Alpha");
    Boat("watch.fit", "Watch");
    Boat("timer.VKX", "Timer");
    Boat("log.nmea", "Logger");
    const auto viewer_errors = [this](const RaceCheckResult& result) {
        std::vector<std::string> out;
        for (const Finding& f : result.findings)
            if (f.severity == Severity::Error && f.message.rfind("The viewer does not read", 0) == 0)
                out.push_back(f.subject + ": " + f.message);
        return out;
    };
    EXPECT_EQ(viewer_errors(Check()),
              (std::vector<std::string>{"Watch: The viewer does not read the GPS file watch.fit: save the race with "
                                        "\"Minimize GPS file size\" checked, which gives the viewer a TRB copy",
                                        "Timer: The viewer does not read the GPS file timer.VKX: save the race with "
                                        "\"Minimize GPS file size\" checked, which gives the viewer a TRB copy"}));
    RaceCheckInput input;
    input.app_dir = dir_;
    input.minimize_on_save = true;
    EXPECT_EQ(viewer_errors(CheckRace(race_, input)), std::vector<std::string>{});
}

TEST_F(RaceCheckTest, ARaceTimersStartAndLineEndsAreTold)
{
    constexpr std::uint64_t kWindowMs = 1718413200000;  // 01:00 UTC, the race's 10:00
    const auto write = [&](const std::string& name, const testing::VkxEncoder& vkx) {
        std::ofstream(ws_ / "gpsdat" / name, std::ios::binary) << vkx.Bytes();
    };
    testing::VkxEncoder late;
    late.LinePosition(kWindowMs - 300000, 0, 35.25f, 139.5f);
    late.LinePosition(kWindowMs - 240000, 1, 35.25f, 139.5078125f);
    late.LinePosition(kWindowMs - 180000, 0, 35.2421875f, 139.5f);  // pinged again: this one counts
    late.LinePosition(kWindowMs + 600000, 0, 36.0f, 140.0f);       // after the start
    for (const Fix& f : Sailing())
        late.Position(static_cast<std::uint64_t>(static_cast<std::int64_t>(kWindowMs) + std::llround(f.seconds * 1000)),
                      f.lat / 60, f.lon / 60);  // fixes before the window too
    late.TimerEvent(kWindowMs + 45400, 3, 0);
    write("late.vkx", late);
    testing::VkxEncoder twice;
    twice.TimerEvent(kWindowMs + 4000, 3, 0);
    twice.TimerEvent(kWindowMs + 7200000, 3, 0);  // the next race of the day
    twice.Position(kWindowMs, 35, 139.5);
    write("twice.VKX", twice);
    Boat("late.vkx", "Late");
    Boat("twice.VKX", "Twice");
    std::ofstream(ws_ / "gpsdat" / "cut.vkx", std::ios::binary) << twice.Bytes().substr(0, twice.Bytes().size() - 6);
    Boat("cut.vkx", "Cut");
    const RaceCheckResult result = Check();
    const auto cut = Messages(result, "Cut", Severity::Warning);
    EXPECT_TRUE(std::any_of(cut.begin(), cut.end(), [](const std::string& m) {
        return m.rfind("Reading cut.vkx: the last row (key ", 0) == 0;
    })) << "what the reader left out is said";

    EXPECT_EQ(result.boats[0].points, 481);
    EXPECT_EQ(Messages(result, "Late", Severity::Warning),
              std::vector<std::string>{"The race timer started the race at 2024/06/15 10:00:45 race time, 45 s "
                                       "after the race's start: more than 30 s off. Is the race's start "
                                       "2024/06/15 10:00:00 right?"});
    const auto late_notes = Messages(result, "Late", Severity::Info);
    EXPECT_EQ(std::vector<std::string>(late_notes.end() - 2, late_notes.end()),
              (std::vector<std::string>{
                  "Start line from the race timer: the pin end at 35.242188, 139.500000, pinged at 9:57:00",
                  "Start line from the race timer: the boat end at 35.250000, 139.507812, pinged at 9:56:00"}));
    EXPECT_EQ(Messages(result, "Twice", Severity::Info).back(),
              "The race timer started the race at 2024/06/15 10:00:04 race time, 4 s after the race's start (the "
              "nearest of the 2 race starts it logged)");
}

TEST_F(RaceCheckTest, FilesTheRaceNamesMustBeInTheWorkspace)
{
    Track("a.trb", Sailing());
    std::ofstream(ws_ / "attachment" / "si.txt") << "x";
    std::ofstream(ws_ / "coastline" / "kanto.cst") << "x";
    std::ofstream(ws_ / "gpsdat" / "bad.gpx") << "<gpx><trk><trkseg>\n<trkpt lat=\"35.1\" lon=\"1x9\"><time>"
                                                 "2024-06-15T01:00:00Z</time></trkpt>\n</trkseg></trk></gpx>\n";
    std::ofstream(ws_ / "raceadmin" / "race.txt")
        << "ST,2024/06/15 10:00:00\r\nFT,2024/06/16 16:00:00\r\nTD,9\r\n"
           "BN,a.trb,Alpha\r\nBN,lost.gpx,Ghost\r\nBN,A.TRB,Alpha\r\nBN,bad.gpx,Bad\r\n"
           "WF,none.csv\r\nAT,si.txt,gone.txt\r\nMAP,kanto,nowhere\r\nLH,1\r\nPIC,shots,0\r\n";
    fs::remove(ws_ / "tackvue.exe");
    const RaceCheckResult result = CheckRaceFile(dir_, "RACE.TXT", {});

    ASSERT_EQ(result.boats.size(), 4u);
    EXPECT_EQ(result.boats[1].name, "Ghost") << "a boat the reader left out keeps its place";
    EXPECT_FALSE(result.boats[1].in_race);
    EXPECT_EQ(Messages(result, "Ghost", Severity::Error),
              std::vector<std::string>{"Line 5 of the race file is left out: the GPS file lost.gpx is not in gpsdat/"});
    const auto bad = Messages(result, "Bad", Severity::Error);
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_NE(bad[0].find("bad.gpx:2: '1x9' is not a valid"), std::string::npos) << bad[0];

    const std::vector<std::string> race_errors{
        "The wind data file 'none.csv' is not in winddat/",
        "The attachment 'gone.txt' is not in attachment/, so the race leaves it out",
        "The coastline map 'nowhere' is not in coastline/ (as nowhere or nowhere.cst)",
        "The race shows lighthouses, but coastline/jlh.lh is missing",
        "The viewer tackvue.exe is not in the workspace"};
    EXPECT_EQ(Messages(result, "race", Severity::Error), race_errors);
    EXPECT_EQ(Messages(result, "race", Severity::Warning),
              (std::vector<std::string>{"The race lasts 30 h 0 min, longer than 24 hours",
                                        "Boats 1 and 3 use the same GPS file a.trb",
                                        "Boats 1 and 3 have the same name 'Alpha'",
                                        "The picture folder " + dir_ + "pic/shots does not exist"}));
}

TEST_F(RaceCheckTest, LinesPastTheLastBoatAreCountedOnceAndTheCourseNamesWhatTheRaceHolds)
{
    Track("a.trb", Sailing());
    std::string text = "ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nTD,9\r\n";
    for (int i = 1; i <= 200; ++i)
        text += "BN,a.trb,B" + std::to_string(i) + "\r\n";
    std::ofstream(ws_ / "raceadmin" / "race.txt") << text << "MK,35,139.5\r\nMK,35,139.5\r\nMK,35,139.5\r\n"
                                                  << "CRS,S,1,7,f,X,3\r\n";
    const RaceCheckResult result = CheckRaceFile(dir_, "race.txt", {});

    EXPECT_EQ(result.boats.size(), 80u);
    EXPECT_EQ(Messages(result, "race", Severity::Error),
              (std::vector<std::string>{
                  "The course's entry 1, 'S', names a line, but the race has no LN line",
                  "The course's entry 3, '7', names no mark: the race has 3 MK lines",
                  "The course's entry 4, 'f', names a line, but the race has no LN line",
                  "The course's entry 5, 'X', is no mark number, S or F"}));
    // The replay and the analysis take them all: only the viewer and the window leave them out.
    const auto warnings = Messages(result, "race", Severity::Warning);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "The race file has 120 boat lines past the 80th boat: the viewer and the window leave "
                           "them out (the replay, the analysis and the results take them all)");
    EXPECT_TRUE(warnings[1].ends_with(", 79 and 80 use the same GPS file a.trb")) << warnings[1];
    for (const Finding& f : result.findings)
        EXPECT_TRUE(f.subject == "race" || std::stoi(f.subject.substr(1)) <= 80) << f.subject << ": " << f.message;
}

TEST_F(RaceCheckTest, ARecordTheRaceFileCannotHoldIsRefused)
{
    race_.Title1 = "Cup \xF0\x9F\x98\x80";  // an emoji
    race_.FinishTime = race_.StartTime;
    RaceCheckInput input;
    input.app_dir = dir_;
    input.race_file_name = "caf\xC3\xA9.txt";  // é has no Shift-JIS code
    race_.AddBoat("a.trb", "A,B");
    race_.TimeDiff = 30;  // as typed on the compile screen
    const RaceCheckResult result = CheckRace(race_, input);
    EXPECT_EQ(Messages(result, "race", Severity::Error),
              (std::vector<std::string>{
                  "The race finishes at 2024/06/15 10:00:00, not after its start 2024/06/15 10:00:00",
                  "The race file name 'caf\xC3\xA9.txt' contains '\xC3\xA9', which cannot be stored in the file that "
                  "tells the viewer which race to show",
                  "Race Title 1 'Cup \xF0\x9F\x98\x80' contains '\xF0\x9F\x98\x80', which cannot be stored in the "
                  "race file",
                  "The name of boat 1 'A,B' contains a comma, which the race file cannot hold",
                  "The time difference 30 h is not from -14 to +14 hours: the race file cannot hold it"}));
    race_.ClearBoats();
    EXPECT_EQ(Messages(CheckRace(race_, input), "race", Severity::Error).back(), "The race has no boats");
}

TEST_F(RaceCheckTest, PicturesAreCountedByTheirCorrectedTime)
{
    fs::create_directories(ws_ / "pic" / "day1");
    for (const char* name : {"in.jpg", "late.JPG", "none.jpg", "notes.txt"})
        std::ofstream(ws_ / "pic" / "day1" / name) << "x";
    race_.PicFolder = "day1";
    race_.PicTimeCorr = 120;
    RaceCheckInput input;
    input.app_dir = dir_;
    input.capture_time = [](const std::string& path) -> std::optional<DateTime> {
        const std::string name = fs::path(path).filename().string();
        if (name == "in.jpg")
            return kDay + 10.5 / 24;
        if (name == "late.JPG")  // 10:59 by the camera, 11:01 corrected
            return kDay + (11 * 60 - 1) / 1440.0;
        return std::nullopt;
    };
    const RaceCheckResult result = CheckRace(race_, input);
    EXPECT_EQ(Messages(result, "race", Severity::Info).back(),
              "1 of 3 pictures in " + dir_ + "pic/day1 were taken between the start and the finish; 0 are kept "
              "for the replay (as the compile screen counts them)");
    // The files hold no JPEG: the compile screen's reader cannot read them.
    EXPECT_EQ(Messages(result, "race", Severity::Warning).back(),
              "3 of the .jpg files in " + dir_ + "pic/day1 could not be read as pictures and are left out");
}

TEST(PhotoTime, TheCameraTimeOfAJpegIsRead)
{
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    ExifEntry* entry = exif_entry_new();
    exif_content_add_entry(exif->ifd[EXIF_IFD_EXIF], entry);
    exif_entry_initialize(entry, EXIF_TAG_DATE_TIME_ORIGINAL);
    std::memcpy(entry->data, "2010:05:12 10:20:30", 20);
    unsigned char* block = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &block, &size);
    exif_entry_unref(entry);
    exif_data_unref(exif);

    const fs::path path = fs::temp_directory_path() / ("tackedit-photo-" + std::to_string(::getpid()) + ".jpg");
    {
        std::ofstream out(path, std::ios::binary);
        const unsigned length = size + 2;
        out << "\xFF\xD8\xFF\xE1" << static_cast<char>(length >> 8) << static_cast<char>(length & 0xFF);
        out.write(reinterpret_cast<const char*>(block), size);
        out << "\xFF\xD9";
    }
    std::free(block);
    const auto taken = ReadCaptureTime(path.string());
    ASSERT_TRUE(taken);
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(*taken)), "2010-05-12 10:20:30");
    std::ofstream(path) << "not a picture";
    EXPECT_FALSE(ReadCaptureTime(path.string()));
    fs::remove(path);
}

} // namespace
} // namespace tackedit
