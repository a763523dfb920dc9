#include "platform/null_platform.h"
#include "race/compile_core.h"
#include "race/race_file.h"
#include "base/datetime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *TryEncodeDate(y, mo, d) + *TryEncodeTime(h, mi, s);
}

TEST(CompileCore, PlayTimeInBothLanguages)
{
    const DateTime start = At(2024, 6, 15, 10);
    EXPECT_EQ(*PlayTimeText(start, start + 7200.0 / 86400, "5", "10", "5", 2), "(Est Total Play Time= 13min0sec)");
    EXPECT_EQ(*PlayTimeText(start, start + 90.0 / 86400, "1", "10", "1", 2), "(Est Total Play Time= 1min9sec)");
    EXPECT_EQ(*PlayTimeText(start, start + 10 * 3600.0 / 86400, "5", "10", "5", 0),
              "(推定合計プレイ時間= 1時間1分0秒)");
    EXPECT_EQ(*PlayTimeText(start, start, "0", "5", "5", 2), "(Est Total Play Time= 0sec)");
    EXPECT_FALSE(PlayTimeText(start, start, "x", "5", "5", 2));
    EXPECT_FALSE(PlayTimeText(start, start, "5", "", "5", 2));
    EXPECT_FALSE(PlayTimeText(start, start + 1, "5", "0", "0", 2)) << "a zero speed has no play time";
}

TEST(CompileCore, DefaultBoatNamesAndListEntries)
{
    EXPECT_EQ(DefaultBoatName("20100508_TEAM1.gpx"), "TEAM1");
    EXPECT_EQ(DefaultBoatName("boat_a.gpx"), "BOAT_A");
    EXPECT_EQ(DefaultBoatName("alpha.gpx"), "ALPHA");
    EXPECT_EQ(DefaultBoatName("noextension"), "");
    EXPECT_EQ(DefaultBoatName("a_b_c.trb"), "B_C");
    // 100 characters, not bytes: 101 three-byte ones are cut after the hundredth.
    std::string japanese;
    for (int i = 0; i < 101; ++i)
        japanese += "艇";
    EXPECT_EQ(DefaultBoatName("20240615_" + japanese + ".gpx"), japanese.substr(0, 300));
    EXPECT_EQ(EntryFileName("boat1.gpx / 2024/06/15 9:00:00"), "boat1.gpx");
    EXPECT_EQ(EntryFileName("my boat.gpx / 2024/06/15"), "my boat.gpx");
}

TEST(CompileCore, NamesThePromptsRefuse)
{
    EXPECT_FALSE(RaceFileNameProblem("race1.txt"));
    EXPECT_FALSE(RaceFileNameProblem("海風.txt"));
    for (const char* empty : {".txt", "  .txt", ".TXT"})
        EXPECT_EQ(RaceFileNameProblem(empty), "Enter a name for the race file.") << empty;
    EXPECT_NE(RaceFileNameProblem("../x.txt")->find("not a file name"), std::string::npos);
    EXPECT_NE(RaceFileNameProblem("Régate.txt")->find("'é', which cannot be stored in the file that tells the viewer"),
              std::string::npos);
    EXPECT_FALSE(BoatNameProblem("海風 2"));
    EXPECT_NE(BoatNameProblem("A,B")->find("comma"), std::string::npos);
    EXPECT_NE(BoatNameProblem("A//B")->find("\"//\""), std::string::npos);
    EXPECT_NE(BoatNameProblem("Ré")->find("'é', which cannot be stored in the race file"), std::string::npos);
    EXPECT_NE(BoatNameProblem(std::string("A\0B", 3))->find("'A?B' contains 'NUL'"), std::string::npos);
}

TEST(CompileCore, RaceAreaFromTheFifthPointsAndTheMeshTiles)
{
    TrackStore track;
    auto fill = [&track](int points) {
        TrackFiller f(track);
        for (int i = 1; i <= points; ++i)
            f.Store(At(2024, 6, 15, 1) + i / 1440.0, 2120 + 10.0 * i / points, 8380 + 10.0 * i / points);
        f.Finish();
    };
    fill(20);
    EXPECT_FALSE(RaceAreaOf(track, 9, 0)) << "20 points are too few";
    fill(21);
    const auto area = RaceAreaOf(track, 9, 0);
    ASSERT_TRUE(area);
    EXPECT_EQ(FormatRaceDateTime(area->start), "2024/06/15 10:35:00") << "point 5, 30 minutes, 9 hours";
    EXPECT_EQ(FormatRaceDateTime(area->finish), "2024/06/15 10:16:00") << "point 16, 9 hours";
    ASSERT_TRUE(area->map_names);
    EXPECT_EQ(*area->map_names, (std::vector<std::string>{"5239", "5339"}));
    EXPECT_FALSE(RaceAreaOf(track, 9, 2)->map_names) << "English captions leave the tiles alone";

    EXPECT_EQ(CoastlineTiles(2120, 2120 + 61, 8380, 8380), (std::vector<std::string>{"jcoast"}));
    EXPECT_EQ(CoastlineTiles(2120, 2180, 8380, 8380).size(), 3u) << "a diagonal of exactly 60 keeps tiles";
}

TEST(CompileCore, NightRaceRule)
{
    EXPECT_TRUE(IsNightRace(At(2024, 6, 15, 16), At(2024, 6, 15, 18, 30)));
    EXPECT_FALSE(IsNightRace(At(2024, 6, 15, 10), At(2024, 6, 15, 17)));
    EXPECT_FALSE(IsNightRace(At(2024, 6, 15, 6), At(2024, 6, 15, 18))) << "06:00 and 18:00 are day";
    EXPECT_TRUE(IsNightRace(At(2024, 6, 15, 5, 59), At(2024, 6, 15, 8)));
    EXPECT_TRUE(IsNightRace(At(2024, 6, 15, 7), At(2024, 6, 16, 7, 30))) << "longer than 12 hours";
}

TEST(CompileCore, SaveNameRules)
{
    EXPECT_EQ(ProposedRaceFileName("race1.txt", "ignored"), "race1_s.txt");
    EXPECT_EQ(ProposedRaceFileName("race1_s.txt", "ignored"), "race1_s.txt") << "_s once";
    EXPECT_EQ(ProposedRaceFileName("class_s2.txt", "ignored"), "class_s2_s.txt");
    EXPECT_EQ(ProposedRaceFileName("", "typed.txt"), "typed.txt");
    EXPECT_EQ(RaceFileNameFromAnswer("race2"), "race2.txt");
    EXPECT_EQ(RaceFileNameFromAnswer("race2.txt"), "race2.txt");
    EXPECT_EQ(RaceFileNameFromAnswer("RACE2.TXT"), "RACE2.TXT");
    EXPECT_EQ(RaceFileNameFromAnswer("mytxtrace"), "mytxtrace.txt") << "listed with the race files";
    EXPECT_EQ(LocalZoneHours(-540), 9);
    EXPECT_EQ(LocalZoneHours(300), -5);
    EXPECT_EQ(LocalZoneHours(-570), 10) << "9.5 hours: halves to even";
    EXPECT_EQ(LocalZoneHours(-630), 10);
}

TEST(CompileCore, ListsFilesByExtensionNewestFirstOrByName)
{
    const fs::path dir = fs::temp_directory_path() / ("tackedit-list-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub.gpx");
    const char* names[] = {"old.gpx", "new.GPX", "mid.log", ".hidden.gpx", "noext"};
    const time_t stamps[] = {1000000000, 1700000000, 1500000000, 1800000000, 1600000000};
    for (int i = 0; i < 5; ++i) {
        std::ofstream(dir / names[i]) << "x";
        const utimbuf times{stamps[i], stamps[i]};
        ::utime((dir / names[i]).c_str(), &times);
    }
    const auto gpx = ListWorkspaceFiles(dir.string(), "gpx", true, 4999);
    ASSERT_EQ(gpx.size(), 2u);
    EXPECT_EQ(gpx[0].name, "new.GPX");
    EXPECT_EQ(gpx[1].name, "old.gpx");
    const auto all = ListWorkspaceFiles(dir.string(), "*", true, 4999);
    ASSERT_EQ(all.size(), 4u) << "folders and hidden names are skipped";
    EXPECT_EQ(all[0].name, "new.GPX");
    EXPECT_EQ(all[1].name, "noext");
    EXPECT_EQ(all[3].name, "old.gpx");
    const auto by_name = ListWorkspaceFiles(dir.string(), "*", false, 4999);
    ASSERT_EQ(by_name.size(), 4u);
    EXPECT_EQ(by_name[0].name, "mid.log") << "by name without regard to case";
    EXPECT_EQ(by_name[1].name, "new.GPX");
    EXPECT_EQ(by_name[2].name, "noext");
    EXPECT_EQ(by_name[3].name, "old.gpx");
    EXPECT_EQ(ListWorkspaceFiles(dir.string(), "*", false, 2).size(), 2u) << "the capacity is never overrun";
    EXPECT_TRUE(ListWorkspaceFiles((dir / "missing").string(), "*", true, 10).empty());
    fs::remove_all(dir);
}

// `points` fixes a minute apart: tracks of other lengths give other TRB files.
std::string Gpx(int points)
{
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int i = 0; i < points; ++i)
        gpx += "<trkpt lat=\"35.3\" lon=\"139.7\"><time>2024-06-15T01:0" + std::to_string(i) + ":00Z</time></trkpt>\n";
    return gpx + "</trkseg></trk></gpx>\n";
}

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(CompileCore, MinimizingReplacesNoFileButTheBoatsOwnConversion)
{
    const fs::path dir = fs::temp_directory_path() / ("tackedit-minimize-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "gpsdat");
    const fs::path gpsdat = dir / "gpsdat";
    std::ofstream(gpsdat / "umikaze.trb", std::ios::binary) << "another race's boat 海風";
    std::ofstream(gpsdat / "UMIKAZE.gpx") << Gpx(3);
    std::ofstream(gpsdat / "boat.gpx") << Gpx(4);
    fs::copy_file(fs::path(TACKEDIT_TEST_DATA) / "gpsbabel" / "sample.log", gpsdat / "boat.log");
    std::ofstream(gpsdat / "same.gpx") << Gpx(5);
    const std::vector<std::string> sources{"UMIKAZE.gpx", "boat.gpx", "boat.log", "same.gpx", "SAME.GPX"};
    RaceSettings race;
    for (const std::string& file : sources)
        race.AddBoat(file, file);
    TrackStore track;
    TrackEditState edit;
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    MinimizeGpsFiles(race, dir.string() + "/", track, edit, services, {});

    EXPECT_EQ(Bytes(gpsdat / "umikaze.trb"), "another race's boat 海風");
    // One source may serve two boats; two sources never share a file.
    const std::vector<std::string> converted{"umikaze_2.trb", "boat.trb", "boat_2.trb", "same.trb", "same.trb"};
    EXPECT_EQ(race.BoatGpsFile, converted);
    EXPECT_EQ(fs::file_size(gpsdat / "umikaze_2.trb"), 3u * 12);
    EXPECT_EQ(fs::file_size(gpsdat / "boat.trb"), 4u * 12);
    EXPECT_GT(fs::file_size(gpsdat / "boat_2.trb"), 4u * 12) << "the log's own track";

    // Again from the sources: each identical conversion is found, under any case, and nothing is added.
    fs::rename(gpsdat / "boat.trb", gpsdat / "Boat.TRB");
    const std::size_t files = static_cast<std::size_t>(std::distance(fs::directory_iterator(gpsdat), {}));
    race.BoatGpsFile = sources;
    MinimizeGpsFiles(race, dir.string() + "/", track, edit, services, {});
    EXPECT_EQ(race.BoatGpsFile,
              (std::vector<std::string>{"umikaze_2.trb", "Boat.TRB", "boat_2.trb", "same.trb", "same.trb"}));
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(gpsdat), {})), files);
    fs::remove_all(dir);
}

} // namespace
} // namespace tackedit
