// The day's starts found in a workspace's tracks: race timers' events, else
// the fleet leaving the start line together.

#include "replay/day_starts.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "tests/vkx_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// Races at 10:00, 11:00 and 12:00 local, nine hours ahead of UTC.
constexpr double kGun1 = 1718413200;  // 2024-06-15T01:00:00Z
const double kGuns[] = {kGun1, kGun1 + 3600, kGun1 + 7200};
constexpr double kLat0 = 35, kLon0 = 139.5;

struct Point {
    double t, x, y;  // seconds, metres east and north of the start line's middle
};

fs::path Workspace(const std::string& name, const std::string& boats, const std::string& lines)
{
    const fs::path root = fs::path(::testing::TempDir()) / name;
    fs::remove_all(root);
    fs::create_directories(root / "raceadmin");
    fs::create_directories(root / "gpsdat");
    // The line runs east-west through (kLat0, kLon0), 180 m long; mark 1 lies 1.1 km north.
    std::ofstream(root / "raceadmin/day.txt") << "T1,Day\r\nMG,0\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 "
                                                 "11:00:00\r\nTD,9\r\n"
                                              << boats << "WD, 0\r\nMK,35.01,139.5\r\n" << lines;
    return root;
}

const std::string kLine = "LN,35,139.499,35,139.501\r\nCRS,S,1,F\r\n";

// One fix a second along straight legs between the points.
void WriteGpx(const fs::path& file, const std::vector<Point>& path)
{
    std::ofstream gpx(file);
    gpx.precision(10);
    gpx << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\"><trk><trkseg>\n";
    const double metres_per_lon = 111120 * std::cos(kLat0 * 3.14159265358979 / 180);
    std::size_t leg = 0;
    for (double t = path.front().t; t <= path.back().t; ++t) {
        while (leg + 2 < path.size() && path[leg + 1].t <= t)
            ++leg;
        const Point &a = path[leg], &b = path[leg + 1];
        const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
        const auto seconds = static_cast<long long>(t);
        char when[32];
        std::snprintf(when, sizeof when, "2024-06-15T%02lld:%02lld:%02lldZ", seconds / 3600 % 24, seconds / 60 % 60,
                      seconds % 60);
        gpx << "<trkpt lat=\"" << kLat0 + (a.y + (b.y - a.y) * f) / 111120 << "\" lon=\""
            << kLon0 + (a.x + (b.x - a.x) * f) / metres_per_lon << "\"><time>" << when << "</time></trkpt>\n";
    }
    gpx << "</trkseg></trk></gpx>\n";
}

// Seven minutes to and fro south of the line, until `until`.
void Linger(std::vector<Point>& path, double x0, double until)
{
    path.push_back({until - 420, x0, -120});
    for (int n = 1; n <= 12; ++n)
        path.push_back({until - 420 + 30 * n, n % 2 ? x0 + 30 : x0 - 30, n % 2 ? -100.0 : -120.0});
    path.push_back({until, x0, -120});
}

// Over the line northwards at `crossed`, up towards the mark, and back south
// below the line long before the next race.
void Race(std::vector<Point>& path, double x0, double crossed, double gun)
{
    path.push_back({crossed, x0, 0});
    path.push_back({crossed + 300, x0, 900});
    path.push_back({gun + 1500, x0, 900});
    path.push_back({gun + 1840, x0, -120});
}

// Reads the workspace's day.txt and finds its starts, as local "HH:MM:SS".
std::vector<std::string> Found(const fs::path& root, std::vector<std::string>& how, std::vector<std::string>& notes)
{
    const SplitSource source = ReadSplitSource(root.string() + "/", "day.txt");
    std::vector<std::string> starts;
    for (const FoundStart& s : DetectStarts(source, notes)) {
        starts.push_back(FormatRaceDateTime(s.start).substr(11));
        how.push_back(s.how);
    }
    return starts;
}

TEST(DayStarts, TimersLoggingOneGunAreOneStartAndARecallLeavesTheRestart)
{
    const fs::path root = Workspace("starts_vkx", "BN,a.vkx,Alpha,1\r\nBN,b.vkx,Bravo,1\r\nBN,c.gpx,Charlie,1\r\n",
                                    kLine);
    const double timer[][4] = {
        // Alpha's timer: races 1 and 3, and the recalled start of race 2 four minutes early.
        {kGuns[0] + 0.25, kGuns[1] - 240, kGuns[1], kGuns[2]},
        // Bravo's timer ran a second late and missed race 3.
        {kGuns[0] + 1, kGuns[1] + 1, NAN, NAN},
    };
    for (int b = 0; b < 2; ++b) {
        testing::VkxEncoder vkx;
        for (double t = kGuns[0] - 600; t < kGuns[2] + 1800; t += 10)
            vkx.Position(static_cast<std::uint64_t>(t * 1000), kLat0 - 0.001, kLon0 + b * 0.0005);
        for (const double t : timer[b])
            if (!std::isnan(t)) {
                vkx.TimerEvent(static_cast<std::uint64_t>((t - 300) * 1000), 1, 300);
                vkx.TimerEvent(static_cast<std::uint64_t>(t * 1000), 3, 0);
            }
        std::ofstream(root / "gpsdat" / (b ? "b.vkx" : "a.vkx"), std::ios::binary) << vkx.Bytes();
    }
    WriteGpx(root / "gpsdat/c.gpx", {{kGuns[0] - 600, 0, -200}, {kGuns[2] + 1800, 0, -200}});

    std::vector<std::string> how, notes;
    EXPECT_EQ(Found(root, how, notes), (std::vector<std::string>{"10:00:01", "11:00:01", "12:00:00"}))
        << "each gun the median of its timers, to the second";
    ASSERT_EQ(how.size(), 3u);
    EXPECT_EQ(how[0], "race timer start in 2 boats' VKX logs");
    EXPECT_EQ(how[2], "race timer start in one boat's VKX log");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("the start at 10:56:00 is followed by another within 5 minutes"), std::string::npos)
        << notes[0];
    fs::remove_all(root);
}

TEST(DayStarts, WithoutTimersTheFleetLeavingTheLineTogetherGivesTheMinuteOfTheGun)
{
    std::string boats;
    for (int k = 0; k < 5; ++k)
        boats += "BN,boat" + std::to_string(k) + ".gpx,Boat " + std::to_string(k) + ",1\r\n";
    const fs::path root = Workspace("starts_fleet", boats, kLine);
    for (int k = 0; k < 5; ++k) {
        const double x0 = -60 + 30 * k;
        std::vector<Point> path{{kGuns[0] - 900, x0, -120}};
        for (const double gun : kGuns) {
            const double crossed = gun + 5 + 7 * k;
            if (k == 4 && gun == kGuns[1]) {
                // Over early, back below the line, then off with the fleet.
                Linger(path, x0, gun - 55);
                path.push_back({gun - 15, x0, 0});
                path.push_back({gun + 5, x0, 60});
                path.push_back({gun + 15, x0, 60});
                path.push_back({gun + 55, x0, -60});
                path.push_back({gun + 65, x0, -60});
                Race(path, x0, gun + 85, gun);
                continue;
            }
            Linger(path, x0, crossed - 40);
            Race(path, x0, crossed, gun);
        }
        WriteGpx(root / "gpsdat" / ("boat" + std::to_string(k) + ".gpx"), path);
    }

    std::vector<std::string> how, notes;
    EXPECT_EQ(Found(root, how, notes), (std::vector<std::string>{"10:00:00", "11:00:00", "12:00:00"}));
    ASSERT_EQ(how.size(), 3u);
    EXPECT_EQ(how[1], "estimated, the whole minute before the first crossing: 5 of 5 boats crossed the start line "
                      "from 11:00:05 to 11:01:25 after sailing near it");

    // The same day without a start line in the course, and with one the
    // fleet never lingers by: nothing to find, and the error says why.
    const auto error = [&](const std::string& lines) {
        std::ofstream(root / "raceadmin/day.txt", std::ios::trunc)
            << "T1,Day\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nTD,9\r\n" << boats
            << "WD, 0\r\nMK,35.01,139.5\r\n" << lines;
        try {
            Found(root, how, notes);
        } catch (const DataError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(error("LN,35,139.499,35,139.501\r\nCRS,1,F\r\n").find("the race has no start line"), std::string::npos);
    EXPECT_NE(error("LN,35.005,139.499,35.005,139.501\r\nCRS,S,1,F\r\n")
                  .find("no start found: no race timer start event in the boats' VKX logs, and no fleet crossing"),
              std::string::npos);
    fs::remove_all(root);
}

} // namespace
} // namespace tackedit
