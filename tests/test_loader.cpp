#include "fit_encoder.h"
#include "platform/null_platform.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/datetime.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"
#include "track/formats/little_endian.h"
#include "track/track_loader.h"
#include "vkx_encoder.h"
#include "zip_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tackedit-loader-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    void Load(const std::string& path) { LoadTrackFile(path, store_, edit_, services_); }

    fs::path dir_;
    TrackStore store_;
    TrackEditState edit_;
    NullPendingEvents events_;
    CountingBeeper beeper_;
    NullCursor cursor_;
    int shown_ = 0;
    LoadServices services_{events_, beeper_, cursor_, [this] { ++shown_; }};
};

const char kGpxPoint[] = "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:00Z</time></trkpt>";

TEST_F(LoaderTest, PicksTheReaderByTheLastThreeCharacters)
{
    EXPECT_EQ(TrackFileKindOf("boat1.GPX"), TrackFileKind::Gpx);
    EXPECT_EQ(TrackFileKindOf("boat1gpx"), TrackFileKind::Gpx);
    EXPECT_EQ(TrackFileKindOf("boat1.gpx.bak"), TrackFileKind::None);
    EXPECT_EQ(TrackFileKindOf("a.trk"), TrackFileKind::Text);
    EXPECT_EQ(TrackFileKindOf("a.DTR"), TrackFileKind::Text);
    EXPECT_EQ(TrackFileKindOf("a.log"), TrackFileKind::Nmea);
    EXPECT_EQ(TrackFileKindOf("a.gdb"), TrackFileKind::Gdb);
    EXPECT_EQ(TrackFileKindOf("a.trl"), TrackFileKind::Trl);
    EXPECT_EQ(TrackFileKindOf("a.Trb"), TrackFileKind::Trb);
    EXPECT_EQ(TrackFileKindOf("x"), TrackFileKind::None);
    EXPECT_EQ(TrackFileKindOf("plotter.NMEA"), TrackFileKind::Nmea);
    EXPECT_EQ(TrackFileKindOf("a.nma"), TrackFileKind::Nmea);
    EXPECT_EQ(TrackFileKindOf("a.nme"), TrackFileKind::Nmea);
    EXPECT_EQ(TrackFileKindOf("a.mea"), TrackFileKind::None) << "only an nmea ending";

    Load(Write("boat1.GPX", kGpxPoint));
    EXPECT_EQ(store_.TrackCount, 1);
    Load(Write("boat1.gpx.bak", kGpxPoint));
    EXPECT_EQ(store_.TrackCount, 0) << "an unknown ending loads nothing";
    EXPECT_EQ(beeper_.beeps, 0);
}

TEST_F(LoaderTest, MissingFileChangesNothing)
{
    Load(Write("a.gpx", std::string(kGpxPoint) + kGpxPoint));
    edit_.DeletedCount = 3;
    store_.TrackMark[1] = 4;
    Load((dir_ / "missing.gpx").string());
    Load(dir_.string() + "/");  // a folder is not a file
    EXPECT_EQ(store_.TrackCount, 2);
    EXPECT_EQ(edit_.DeletedCount, 3);
    EXPECT_EQ(store_.TrackMark[1], 4);
    EXPECT_EQ(shown_, 1);
}

TEST_F(LoaderTest, ResetsMarksCountersAndRange)
{
    Load(Write("a.gpx", std::string(kGpxPoint) + kGpxPoint + kGpxPoint));
    for (int i = 1; i <= 3; ++i)
        store_.TrackMark[i] = 1 + i;
    edit_.DeletedCount = edit_.AreaDeletedCount = edit_.TimeDeletedCount = 1;
    edit_.PointDeletedCount = edit_.AutoDeletedCount = 1;
    edit_.FirstPresent = 2;
    Load(Write("b.gpx", std::string(kGpxPoint) + kGpxPoint));
    EXPECT_EQ(store_.TrackMark[1], 0);
    EXPECT_EQ(store_.TrackMark[2], 0);
    EXPECT_EQ(store_.TrackMark[3], 4) << "only points of the new track are cleared";
    EXPECT_EQ(edit_.DeletedCount + edit_.AreaDeletedCount + edit_.TimeDeletedCount + edit_.PointDeletedCount +
                  edit_.AutoDeletedCount,
              0);
    EXPECT_EQ(edit_.FirstPresent, 1);
    EXPECT_EQ(edit_.LastPresent, 2);
    EXPECT_EQ(shown_, 2);
    EXPECT_FALSE(cursor_.busy);
}

std::string GpxSeconds(int points, int step)
{
    std::string gpx;
    for (int i = 0; i < points; ++i) {
        const int s = i * step;
        char line[160];
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T%02d:%02d:%02dZ</time></trkpt>\n", s / 3600,
                      s / 60 % 60, s % 60);
        gpx += line;
    }
    return gpx;
}

TEST_F(LoaderTest, MeanIntervalDividesBySinglePrecisionSpanOverPointCount)
{
    Load(Write("a.gpx", GpxSeconds(11, 1)));
    EXPECT_EQ(edit_.LoadedInterval, 1);  // 10 / 11
    Load(Write("b.gpx", GpxSeconds(3, 10)));
    EXPECT_EQ(edit_.LoadedInterval, 7);  // 20 / 3
    Load(Write("c.gpx", GpxSeconds(4, 2)));
    EXPECT_EQ(edit_.LoadedInterval, 2);  // 6 / 4
    Load(Write("e.gpx", GpxSeconds(1, 1)));
    EXPECT_EQ(edit_.LoadedInterval, 0);
    Load(Write("f.gpx", "<gpx></gpx>"));
    EXPECT_EQ(store_.TrackCount, 0);
    EXPECT_EQ(edit_.LoadedInterval, 0);
    EXPECT_EQ(edit_.FirstPresent, 1);
    EXPECT_EQ(edit_.LastPresent, 0);
}

TEST_F(LoaderTest, ConversionErrorPropagatesAndRestoresTheCursor)
{
    Load(Write("good.gpx", std::string(kGpxPoint) + kGpxPoint));
    edit_.LastPresent = 99;
    const std::string bad = Write("bad.log", "$GPRMC,000001,A,3512.3,N,13945.6,E,0,0,010210\n"
                                             "$GPRMC,000002,A,35x2.3,N,13945.6,E,0,0,010210\n");
    try {
        Load(bad);
        FAIL() << "expected a conversion error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), bad);
        EXPECT_EQ(e.line(), 2);
        EXPECT_NE(std::string(e.what()).find("N35x2.3"), std::string::npos) << e.what();
    }
    EXPECT_EQ(store_.TrackCount, 0);
    EXPECT_EQ(edit_.LastPresent, 99) << "the steps after the reader do not run";
    EXPECT_FALSE(cursor_.busy);
}

TEST_F(LoaderTest, BinaryFormatsBeepOncePerFile)
{
    TrackStore three;
    TrackFiller f(three);
    for (int i = 0; i < 3; ++i)
        f.Store(TrackEpoch + 14610 + i / 86400.0, 60, 120);
    f.Finish();
    const std::string trb = (dir_ / "t.trb").string();
    WriteTrbTrack(trb, three);
    Load(trb);
    EXPECT_EQ(store_.TrackCount, 3);
    EXPECT_EQ(beeper_.beeps, 1);
    Load(Write("empty.gdb", ""));
    EXPECT_EQ(store_.TrackCount, 0);
    EXPECT_EQ(beeper_.beeps, 2) << "also when the file yields no point";
    Load(Write("short.trl", "abc"));
    EXPECT_EQ(beeper_.beeps, 3);
    Load(Write("a.gpx", kGpxPoint));
    EXPECT_EQ(beeper_.beeps, 3);
}

TEST_F(LoaderTest, WritersReplaceFilesWholeAndLeaveNoTemporaryFiles)
{
    Load(Write("a.gpx", std::string(kGpxPoint) +
                            "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></trkpt>"));
    const std::string out = Write("out.trb", "old content");
    WriteTrbTrack(out, store_);
    EXPECT_EQ(fs::file_size(out), 24u);
    WriteGpxTrack((dir_ / "out.gpx").string(), store_);
    EXPECT_THROW(WriteTrbTrack((dir_ / "no-such-folder" / "x.trb").string(), store_), DataError);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 3);  // a.gpx, out.trb, out.gpx
}

// A fix in degrees, seconds after 2024-06-15 10:00:00 UTC.
struct Fix {
    double lat, lon;
    int seconds;
};
using Fixes = std::vector<Fix>;
constexpr std::int64_t kBaseEpochSeconds = 1718445600;
constexpr std::int64_t kFitEpoch = 631065600;  // 1989-12-31, in seconds since 1970

std::string IsoTime(const Fix& f)
{
    char text[32];
    std::snprintf(text, sizeof text, "2024-06-15T10:00:%02dZ", f.seconds);
    return text;
}

// "N3530.000" in degrees and minutes, as NMEA and the text tracks write it.
std::string DegreesMinutes(double degrees, int degree_digits, char positive, char negative)
{
    const double a = std::fabs(degrees);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%06.3f", degree_digits, static_cast<int>(a), (a - std::floor(a)) * 60);
    return (degrees < 0 ? negative : positive) + std::string(text);
}

std::int32_t Semicircles(double degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees * 2147483648.0 / 180));
}

std::string Gpx(const Fixes& fixes)
{
    std::string text = "<gpx><trk><trkseg>";
    for (const Fix& f : fixes)
        text += "<trkpt lat=\"" + std::to_string(f.lat) + "\" lon=\"" + std::to_string(f.lon) + "\"><time>" +
                IsoTime(f) + "</time></trkpt>";
    return text + "</trkseg></trk></gpx>";
}

std::string Nmea(const Fixes& fixes)
{
    std::string text;
    for (const Fix& f : fixes) {
        const std::string lat = DegreesMinutes(f.lat, 2, 'N', 'S'), lon = DegreesMinutes(f.lon, 3, 'E', 'W');
        text += "$GPRMC,1000" + std::string(f.seconds < 10 ? "0" : "") + std::to_string(f.seconds) + ",A," +
                lat.substr(1) + "," + lat[0] + "," + lon.substr(1) + "," + lon[0] + ",0.0,0.0,150624,,\r\n";
    }
    return text;
}

std::string TextTrack(const Fixes& fixes)
{
    std::string text = "H Sample track\n";
    for (const Fix& f : fixes)
        text += "T " + DegreesMinutes(f.lat, 2, 'N', 'S') + " " + DegreesMinutes(f.lon, 3, 'E', 'W') +
                " 2024/06/15 " + IsoTime(f).substr(11, 8) + " x\n";
    return text;
}

// Layout B records, 16 bytes apart, between bytes that hold no marker.
std::string Gdb(const Fixes& fixes)
{
    std::string d(48 + 16 * fixes.size() + 32, '\x7f');
    for (std::size_t k = 0; k < fixes.size(); ++k) {
        const std::size_t i = 48 + 16 * k;
        std::string record;
        AppendInt32LE(record, Semicircles(fixes[k].lat));
        AppendInt32LE(record, Semicircles(fixes[k].lon));
        record += std::string("\0\1", 2);
        AppendInt32LE(record, static_cast<std::int32_t>(kBaseEpochSeconds + fixes[k].seconds));
        d.replace(i - 11, 2, std::string(2, '\0'));
        d.replace(i - 9, record.size(), record);
        d.replace(i + 5, 2, std::string(2, '\0'));
    }
    return d;
}

// Fixed records of time and single-precision degrees; trl pads them to 16 bytes.
std::string Records(const Fixes& fixes, std::size_t length)
{
    std::string d;
    for (const Fix& f : fixes) {
        AppendInt32LE(d, static_cast<std::int32_t>(kBaseEpochSeconds + f.seconds));
        AppendFloat32LE(d, static_cast<float>(f.lat));
        AppendFloat32LE(d, static_cast<float>(f.lon));
        d.append(length - 12, '\0');
    }
    return d;
}

std::string Fit(const Fixes& fixes)
{
    fixtures::FitEncoder fit;
    fit.Define(0, 20, fixtures::kFitRecordFields);
    for (const Fix& f : fixes)
        fit.Data(0, {static_cast<std::uint64_t>(kBaseEpochSeconds - kFitEpoch + f.seconds),
                     static_cast<std::uint32_t>(Semicircles(f.lat)), static_cast<std::uint32_t>(Semicircles(f.lon))});
    return fit.File();
}

std::string Vkx(const Fixes& fixes)
{
    testing::VkxEncoder vkx;
    for (const Fix& f : fixes)
        vkx.Position(static_cast<std::uint64_t>(kBaseEpochSeconds + f.seconds) * 1000, f.lat, f.lon);
    return vkx.Bytes();
}

std::string Tcx(const Fixes& fixes)
{
    std::string text = "<TrainingCenterDatabase><Activities><Activity><Lap><Track>";
    for (const Fix& f : fixes)
        text += "<Trackpoint><Time>" + IsoTime(f) + "</Time><Position><LatitudeDegrees>" + std::to_string(f.lat) +
                "</LatitudeDegrees><LongitudeDegrees>" + std::to_string(f.lon) +
                "</LongitudeDegrees></Position></Trackpoint>";
    return text + "</Track></Lap></Activity></Activities></TrainingCenterDatabase>";
}

std::string Kml(const Fixes& fixes)
{
    std::string text = "<kml><Placemark><gx:Track>";
    for (const Fix& f : fixes)
        text += "<when>" + IsoTime(f) + "</when><gx:coord>" + std::to_string(f.lon) + " " + std::to_string(f.lat) +
                " 0</gx:coord>";
    return text + "</gx:Track></Placemark></kml>";
}

TEST_F(LoaderTest, EveryReaderLeavesOutFixesAtZeroWithANote)
{
    const struct {
        const char* ending;
        std::string (*write)(const Fixes&);
    } kinds[] = {{"gpx", Gpx},
                 {"log", Nmea},
                 {"trk", TextTrack},
                 {"gdb", Gdb},
                 {"trl", [](const Fixes& f) { return Records(f, 16); }},
                 {"trb", [](const Fixes& f) { return Records(f, 12); }},
                 {"fit", Fit},
                 {"vkx", Vkx},
                 {"tcx", Tcx},
                 {"kml", Kml},
                 {"kmz", [](const Fixes& f) { return fixtures::Zip({{"doc.kml", Kml(f)}}); }}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.ending);
        const std::string ending = kind.ending;
        Load(Write("zero." + ending, kind.write({{35.5, 139.25, 1}, {0, 0, 2}, {-35.5, -139.25, 4}})));
        ASSERT_EQ(store_.TrackCount, 2);
        EXPECT_NEAR(store_.TrackLat[1], 35.5 * 60, 1e-3);
        EXPECT_NEAR(store_.TrackLon[2], -139.25 * 60, 1e-3);
        EXPECT_NEAR((store_.TrackTime[2] - store_.TrackTime[1]) * 86400, 3, 1e-3) << "times stay with their fixes";
        EXPECT_EQ(edit_.LastPresent, 2);
        EXPECT_EQ(store_.ZeroFixesLeftOut, 1);
        EXPECT_EQ(store_.ReadNotes,
                  std::vector<std::string>{"1 fix at latitude 0, longitude 0 (a fix without a position) was left out"});

        // Nothing but such fixes: the note says why the file gives no point.
        Load(Write("only." + ending, kind.write({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}})));
        EXPECT_EQ(store_.TrackCount, 0);
        EXPECT_EQ(edit_.LastPresent, 0);
        ASSERT_FALSE(store_.ReadNotes.empty());
        EXPECT_EQ(store_.ReadNotes.front(),
                  "3 fixes at latitude 0, longitude 0 (fixes without a position) were left out");

        // On the equator or the prime meridian a fix is kept; the count is the last load's.
        Load(Write("axes." + ending, kind.write({{0, 1, 1}, {-1, 0, 2}})));
        EXPECT_EQ(store_.TrackCount, 2);
        EXPECT_EQ(store_.ZeroFixesLeftOut, 0);
        EXPECT_TRUE(store_.ReadNotes.empty());
    }

    // A FIT record at the format's epoch with no position is no fix either.
    Load(Write("epoch.fit", Fit({{0, 0, static_cast<int>(kFitEpoch - kBaseEpochSeconds)}, {35.5, 139.25, 0}})));
    EXPECT_EQ(store_.TrackCount, 1);
    EXPECT_EQ(store_.ZeroFixesLeftOut, 1);
}

} // namespace
} // namespace tackedit

namespace tackedit {
namespace {

// Another program cutting a file short while we read it: the mapped bytes past
// its new end would raise SIGBUS. The hook cuts the file right after it is
// opened, as a download tool rewriting it in place does.
std::string g_cut_path;
void CutToTenBytes(const std::string& path)
{
    if (path == g_cut_path)
        fs::resize_file(path, 10);
}

TEST_F(LoaderTest, FileCutShortWhileReadIsAnErrorNotACrash)
{
    std::string gpx = "<gpx><trk><trkseg>";
    for (int i = 0; i < 20000; ++i)
        gpx += kGpxPoint;
    std::string trb(12 * 20000, '\1');
    SetOpenedFileHookForTesting(CutToTenBytes);
    for (const std::string& path : {Write("big.gpx", gpx + "</trkseg></trk></gpx>"), Write("big.trb", trb)}) {
        g_cut_path = path;
        try {
            Load(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const DataError& e) {
            EXPECT_EQ(e.file(), path);
            EXPECT_NE(e.message().find("changed while it was read"), std::string::npos) << e.what();
        }
    }

    // A copy of a file cut short fails and leaves the old target as it was.
    const std::string source = Write("source.gpx", gpx);
    const std::string target = Write("target.gpx", "old");
    g_cut_path = source;
    EXPECT_THROW(CopyFileAtomically(source, target), DataError);
    SetOpenedFileHookForTesting(nullptr);
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4) << "no temporary file left";

    // The mapping itself: what is gone reads as zeros, and only a changed file says so.
    const std::string page_file = Write("pages.bin", std::string(5 * 4096, 'x'));
    const FileBytes bytes = ReadWholeFile(page_file);
    EXPECT_FALSE(bytes.Changed());
    fs::resize_file(page_file, 100);
    std::size_t zeros = 0;
    for (const char c : bytes.view())
        zeros += c == 0;
    EXPECT_GE(zeros, 4u * 4096);
    EXPECT_TRUE(bytes.Changed());
    EXPECT_THROW(bytes.ThrowIfChanged(), DataError);
}

TEST(EventThrottle, RunsTheEventPumpAtMostEveryInterval)
{
    NullPendingEvents events;
    EventThrottle throttle(events, std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(220))
        for (int i = 0; i < 100000; ++i)
            throttle.Tick();
    EXPECT_GE(events.calls, 2) << "a long scan still lets the window repaint";
    EXPECT_LE(events.calls, 5);
}

} // namespace
} // namespace tackedit
