// The browser replay's builder and the results it shares with the page.
#include "picture_fixtures.h"
#include "race/race_settings.h"
#include "replay/race_results.h"
#include "replay/replay_analysis.h"
#include "replay/replay_builder.h"
#include "replay/shoreline.h"
#include "base/atomic_write.h"
#include "base/data_error.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <fcntl.h>
#include <unistd.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// A boat sailing north along longitude 139.5 from `lat` at one fix a second.
ReplayBoat Northward(const std::string& name, std::int64_t t0, double lat, int fixes, double step = 2e-5)
{
    ReplayBoat b;
    b.name = name;
    for (int i = 0; i < fixes; ++i) {
        b.time.push_back(t0 + i);
        b.lat.push_back(static_cast<std::int32_t>(std::llround((lat + i * step) * 1e6)));
        b.lon.push_back(139500000);
    }
    return b;
}

// Start line at 35.000, finish line at 35.010 (about 1.1 km north), a mark beyond it.
ReplayRace Course()
{
    ReplayRace race;
    race.start = 1000;
    race.course = {"S", "F"};
    race.marks = {{"1", 35.02, 139.5}};
    race.mark_count = 1;
    race.lines = {{35.0, 139.49, 35.0, 139.51, 1}, {35.01, 139.49, 35.01, 139.51, 2}};
    race.line_count = 2;
    return race;
}

TEST(ReplayResults, FinishesOcsDnfAndShareRanks)
{
    ReplayRace race = Course();
    race.boats.push_back(Northward("Slow", 990, 34.999, 800));                   // crosses 35.010 at about 1540
    race.boats.push_back(Northward("Handicapped", 990, 34.999, 800));
    race.boats.back().tcf = 0.5;
    race.boats.push_back(Northward("Twin", 990, 34.999, 800));
    race.boats.back().tcf = 1;                                                  // 0 and 1 are alike
    race.boats.push_back(Northward("Early", 990, 35.0005, 800));               // over the line at the gun, never back
    race.boats.push_back(Northward("Short", 990, 34.999, 300));                // never reaches the finish
    race.boats.push_back(Northward("Spectator", 990, 34.999, 800));
    race.boats.back().entered = false;
    const auto results = ComputeResults(race);
    ASSERT_TRUE(results);
    ASSERT_EQ(results->size(), 5u);
    EXPECT_EQ((*results)[0].name, "Handicapped");
    EXPECT_EQ((*results)[0].rank, 1);
    EXPECT_EQ((*results)[1].rank, 2);
    EXPECT_EQ((*results)[2].rank, 2) << "equal corrected times share a rank";
    EXPECT_NEAR(*(*results)[1].elapsed, 540, 1.5);  // (35.010 - 34.999) / 2e-5, less the 10 s before the start
    EXPECT_EQ(FormatLocalSeconds(*(*results)[1].finish).substr(0, 17), "1970-01-01 00:25:");
    EXPECT_EQ((*results)[3].status, "OCS");
    EXPECT_EQ((*results)[4].status, "DNF");
    EXPECT_FALSE((*results)[4].finish);

    // The course must take the boats round the mark first: none of them did.
    race.course = {"S", "1", "F"};
    const auto skipped = ComputeResults(race);
    ASSERT_TRUE(skipped);
    EXPECT_EQ((*skipped)[0].status, "OCS");
    for (std::size_t i = 1; i < skipped->size(); ++i)
        EXPECT_TRUE((*skipped)[i].status == "NSC" || (*skipped)[i].status == "DNF") << (*skipped)[i].name;

    race.course = {"S", "1"};
    std::string why;
    EXPECT_FALSE(ComputeResults(race, &why)) << "no results without F at the end";
    EXPECT_EQ(why, "the course does not end with F at a line (CRS and LN lines)");
}

TEST(ReplayResults, ACourseEntryNamingNothingLeavesTheRaceUnscored)
{
    ReplayRace race = Course();
    race.boats.push_back(Northward("Early", 990, 35.0005, 800));
    race.mark_count = 3;
    race.course = {"S", "7", "F"};
    EXPECT_FALSE(ComputeResults(race));
    EXPECT_EQ(WhyNoResults(race), "the course's entry 2, '7', names no mark: the race has 3 MK lines");
    race.course = {"S", "1", "G", "F"};
    EXPECT_EQ(WhyNoResults(race), "the course's entry 3, 'G', is no mark number, S or F");
}

TEST(ReplayAnalysis, AJumpIsLeftOutOfTheDrawingAndTheScriptCarriesTheAnalysis)
{
    ReplayRace race = Course();
    race.time_diff = 9;
    race.boats.push_back(Northward("Steady", 990, 34.999, 800));
    race.boats.push_back(Northward("Jumpy", 990, 34.999, 800));
    race.boats.back().lat[300] += 50000;  // 5.5 km away for one second
    for (ReplayBoat& b : race.boats)
        for (std::size_t i = 0; i < b.time.size(); ++i)
            b.utc_fixes.push_back({b.time[i] - 9 * 3600.0, b.lat[i] / 1e6, b.lon[i] / 1e6});
    AddAnalysis(RaceSettings{}, race);
    ASSERT_TRUE(race.analysis);
    EXPECT_EQ(race.boats[0].time.size(), 800u);
    ASSERT_EQ(race.boats[1].time.size(), 799u);
    EXPECT_EQ(race.boats[1].time[300], 1291) << "the second of the jump is gone, its neighbours kept";
    EXPECT_EQ(race.analysis->result.boats[1].motion.fixes_rejected, 1);

    const std::string script = RaceScript(race, {});
    const auto data = nlohmann::json::parse(script.substr(script.find('{'), script.rfind(')') - script.find('{')));
    const auto& analysis = data["analysis"];
    EXPECT_EQ(analysis["step"], kFleetSampleStep);
    EXPECT_EQ(analysis["samples"].size(), 2u);
    EXPECT_EQ(analysis["report"]["boats"][1]["status"], "finished");
    EXPECT_EQ(analysis["report"]["boats"][1]["fixes_rejected"], 1);
    ASSERT_EQ(data["results"].size(), 2u);
    EXPECT_EQ(data["results"][0]["rank"], 1);
    EXPECT_EQ(data["results"][1]["rank"], 1) << "the jump costs Jumpy nothing";
    EXPECT_EQ(data["results"][0]["finishTime"].get<std::int64_t>() - 1540, 0) << "local seconds, as the page counts";
}

TEST(ReplayData, MarksInMinutesOfArcAndStrayOnesAreNoted)
{
    ReplayRace race;
    race.boats.push_back(Northward("A", 0, 35.25, 10));
    PlaceMarksAndLines({{35.26, 139.5}, {35.26 * 60, 139.5 * 60}, {10, 10}}, {{35.25 * 60, 139.49 * 60, 35.25 * 60, 139.51 * 60}},
                       race);
    ASSERT_EQ(race.marks.size(), 2u);
    EXPECT_DOUBLE_EQ(race.marks[1].lat, 35.26);
    EXPECT_EQ(race.marks[1].label, "2");
    ASSERT_EQ(race.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(race.lines[0].lon2, 139.51);
    EXPECT_EQ(race.notes, std::vector<std::string>{"MK 3 left out: it lies near no track"});
}

TEST(ReplayData, EveryBoatHasItsOwnColourThatShowsOnWaterAndLand)
{
    const auto luminance = [](const std::string& hex) {
        const unsigned long rgb = std::stoul(hex.substr(1), nullptr, 16);
        double l = 0;
        for (const auto& [shift, weight] : {std::pair{16, 0.2126}, {8, 0.7152}, {0, 0.0722}}) {
            const double v = (rgb >> shift & 255) / 255.0;
            l += weight * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const auto colors = BoatColors(200);
    ASSERT_EQ(colors.size(), 200u);
    EXPECT_EQ(std::set<std::string>(colors.begin(), colors.end()).size(), 200u);
    for (const std::string& c : colors) {
        ASSERT_EQ(c.size(), 7u) << c;
        // Water #9fc3dc and land #d8d0b8 of the page, whose luminance is 0.516 and 0.632.
        EXPECT_GE((0.516 + 0.05) / (luminance(c) + 0.05), 2.0) << c;
    }
    EXPECT_EQ(BoatColors(80), std::vector<std::string>(colors.begin(), colors.begin() + 80)) << "a boat keeps its colour";
}

TEST(ReplayData, TheViewFitsTheCourseAndTheFleetNotAJumpOrTheWayHome)
{
    ReplayRace race = Course();
    race.replay_from = -60;
    race.replay_to = 600;
    for (int k = 0; k < 4; ++k) {
        ReplayBoat b = Northward(std::string(1, static_cast<char>('A' + k)), 900, 35.0, 600, 2e-6);
        b.lat[300] += 50000;  // a jump 5.5 km north and back
        race.boats.push_back(b);
    }
    race.boats.push_back(Northward("Home", 1700, 34.5, 100));  // after the window
    const auto box = ViewBox(race);
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ((*box)[0], 35.0);
    EXPECT_DOUBLE_EQ((*box)[2], 35.02) << "the mark beyond the finish, not the jump";
    EXPECT_DOUBLE_EQ((*box)[1], 139.49);
    EXPECT_DOUBLE_EQ((*box)[3], 139.51);
    EXPECT_NE(RaceScript(race, {}).find(R"("view":[35.0,139.49,35.02,139.51])"), std::string::npos);
}

TEST(ReplayBuilder, EncodesCompactlyAndBuildsOnlyWholeFolders)
{
    ReplayBoat b;
    b.time = {100, 101, 103};
    b.lat = {-1, 63, 0};
    b.lon = {64, 64, 64};
    // Zigzag 200, 1, 128 as LEB128: C8 01 | 01 | 80 01; then 1, 128, 0: 01 | 80 01 | 00; then 2, 125, 0.
    EXPECT_EQ(EncodeFixes(b), "yAEBgAEBgAEAAn0A");

    const fs::path root = fs::temp_directory_path() / ("tackedit-replay-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "ws/raceadmin");
    fs::create_directories(root / "ws/gpsdat");
    std::ofstream(root / "ws/raceadmin/bad.txt") << "T1,x\r\nST,not a date\r\n";
    ReplayBuildOptions options;
    options.app_dir = (root / "ws/").string();
    try {
        BuildReplay({"bad.txt"}, (root / "out").string(), options);
        ADD_FAILURE() << "a race file that does not read";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.txt:2"), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1) << "nothing left behind";

    std::ofstream(root / "ws/raceadmin/good.txt") << "T1,x\r\nST,2024/06/15 10:00:00\r\n";
    BuildReplay({"good.txt"}, (root / "out").string(), options);
    EXPECT_TRUE(fs::exists(root / "out/races/race-1.js"));
    EXPECT_THROW(BuildReplay({"good.txt"}, (root / "out").string(), options), DataError) << "no --replace";
    options.replace = true;
    options.move_to_trash = [&](const std::string& path) { return fs::remove_all(path) > 0; };
    BuildReplay({"good.txt"}, (root / "out").string(), options);
    EXPECT_TRUE(fs::exists(root / "out/races/race-1.js"));
    fs::remove_all(root);
}

TEST(ReplayBuilder, PicturesWhoseNamesBecomeAlikeKeepACopyEach)
{
    const fs::path root = fs::temp_directory_path() / ("tackedit-replay-pics-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    ReplayRace race;
    const char* names[] = {"a'b.jpg", "a\"b.jpg", "a b.jpg", "A?b.JPG"};
    for (int i = 0; i < 4; ++i) {
        const std::string source = (root / ("p" + std::to_string(i) + ".jpg")).string();
        fixtures::WriteBytes(source, fixtures::MakeJpeg(100 + i, 50, 90, std::nullopt));
        race.pictures.push_back({source, names[i], 0});
    }
    ReplayRaces races;
    races.count = 1;
    races.file = [](std::size_t) { return std::string("r.txt"); };
    races.read = [&](std::size_t) { return race; };
    BuildReplay(races, (root / "out").string(), ReplayBuildOptions{});

    std::ifstream in(root / "out/races/race-1.js");
    const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char* copies[] = {"a_b.jpg", "a_b-2.jpg", "a_b-3.jpg", "A_b-4.JPG"};  // apart on a case-blind disk too
    for (int i = 0; i < 4; ++i) {
        const std::string src = std::string("pictures/race-1/") + copies[i];
        EXPECT_NE(script.find("\"" + src + "\""), std::string::npos) << src;
        std::ifstream copy(root / "out" / src, std::ios::binary);
        const auto frame = fixtures::ReadFrame(
            std::string((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>()));
        ASSERT_TRUE(frame) << src;
        EXPECT_EQ(frame->width, 100 + i) << src << " is the copy of " << names[i];
    }
    fs::remove_all(root);
}

// Two builds into one new folder: the one that finishes second fails, and the
// first one's folder stays as it was, whether it appears while the race is read
// or at the very moment of the rename.
TEST(ReplayBuilder, NeverTrashesAFolderThatAppearsWhileItBuilds)
{
    const fs::path root = fs::temp_directory_path() / ("tackedit-replay-race-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "ws/raceadmin");
    std::ofstream(root / "ws/raceadmin/good.txt") << "T1,x\r\nST,2024/06/15 10:00:00\r\n";
    static fs::path out;
    out = root / "out";
    static const auto other_build = [] {
        fs::create_directories(out);
        std::ofstream(out / "theirs") << "the other build's";
    };
    ReplayBuildOptions options;
    options.app_dir = (root / "ws/").string();
    bool trashed = false;
    options.move_to_trash = [&](const std::string&) { return trashed = true; };
    const auto expect_kept = [&](const char* when) {
        try {
            BuildReplay({"good.txt"}, out.string(), options);
            ADD_FAILURE() << when << ": built over the other folder";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find("appeared while"), std::string::npos) << when << ": " << e.what();
        }
        EXPECT_FALSE(trashed) << when;
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1) << when;
        EXPECT_TRUE(fs::exists(out / "theirs")) << when;
        EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2) << when << ": left behind";
        fs::remove_all(out);
    };
    options.progress = [](const std::string&) { other_build(); };
    expect_kept("while reading");
    options.progress = nullptr;
    SetRenameStepForTesting([](const char* from, const char* to) {
        other_build();
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    });
    expect_kept("at the rename");
    SetRenameStepForTesting(nullptr);
    fs::remove_all(root);
}

// The window's replay replaces its own folder at each build, and only that.
TEST(ReplayBuilder, TheWindowsReplayRemovesOnlyAReplayItBuilt)
{
    const fs::path root = fs::temp_directory_path() / ("tackedit-replay-ctrl-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "raceadmin");
    std::ofstream(root / "raceadmin/good.txt") << "T1,x\r\nST,2024/06/15 10:00:00\r\n";
    const std::string app_dir = (root / "").string();
    ReplayBuildOptions read;
    read.app_dir = app_dir;
    BuildControlReplay(RaceFiles({"good.txt"}, read), app_dir);
    EXPECT_NO_THROW(BuildControlReplay(RaceFiles({"good.txt"}, read), app_dir)) << "its own replay";
    fs::remove_all(root / "ctrl/replay");
    fs::create_directories(root / "ctrl/replay");
    std::ofstream(root / "ctrl/replay/notes.txt") << "mine";
    EXPECT_THROW(BuildControlReplay(RaceFiles({"good.txt"}, read), app_dir), DataError);
    EXPECT_TRUE(fs::exists(root / "ctrl/replay/notes.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "ctrl"), fs::directory_iterator()), 1) << "left behind";
    fs::remove_all(root);
}

} // namespace
} // namespace tackedit

namespace tackedit {
namespace {

TEST(ReplayLand, ShorePiecesAreClosedAlongTheBoxWithLandOnTheirLeft)
{
    const GeoBox box{0, 0, 10, 10};
    // A coast from the west edge to the east edge, land to the north; an island.
    const auto land = CloseShoreline({{0, 5, 5, 6, 10, 5}, {2, 2, 3, 2, 3, 3, 2, 2}, {4, 4, 5, 5}}, box);
    ASSERT_EQ(land.size(), 2u) << "the piece that ends inside the box is left out";
    EXPECT_EQ(land[0], (std::vector<double>{2, 2, 3, 2, 3, 3, 2, 2}));
    EXPECT_EQ(land[1], (std::vector<double>{0, 5, 5, 6, 10, 5, 10, 10, 0, 10}));
    // Two coasts of one strait, each closed with the corners on its own side.
    const auto strait = CloseShoreline({{10, 2, 0, 3}, {0, 7, 10, 8}}, box);
    ASSERT_EQ(strait.size(), 2u);
    EXPECT_EQ(strait[0], (std::vector<double>{10, 2, 0, 3, 0, 0, 10, 0}));
    EXPECT_EQ(strait[1], (std::vector<double>{0, 7, 10, 8, 10, 10, 0, 10}));
    EXPECT_EQ(ParseShorelineDump("> Shore Bin # 1, Level 1\n> x\n1\t2\n3 4\n> y\n5 6\n").size(), 2u);
}

} // namespace
} // namespace tackedit
