#include "distribution/distribution_core.h"
#include "platform/qt/trash.h"
#include "platform/text_codec.h"
#include "track/data_error.h"
#include "write_failures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

class DistributionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("tackedit-dist-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        ws_ = root_ / "ws";
        for (const char* folder : {"raceadmin", "gpsdat", "winddat", "attachment", "coastline", "help/sub", "vd/sub",
                                   "photos/regatta1"})
            fs::create_directories(ws_ / folder);
        Write("tackvue.exe", "viewer");
        Write("help/index.html", "help");
        Write("help/sub/deep.html", "deep");
        Write("vd/data.bin", "vd");
        Write("vd/sub/deep.bin", "deep");
        Write("raceadmin/Cover.JPG", "cover");
        for (const char* boat : {"a.gpx", "b.trb", "c.gpx"})
            Write(std::string("gpsdat/") + boat, boat);
        Write("winddat/wind.csv", "wind");
        Write("attachment/si.txt", "si");
        Write("coastline/kanto.cst", "kanto");
        Write("coastline/izu.cst", "izu");
        Write("coastline/jlh.lh", "lh");
        Write("raceadmin/race1.txt", "T1,One\r\nST,2010/05/12 10:00:00\r\nFT,2010/05/12 11:00:00\r\n"
                                     "BN,a.gpx,A\r\nBN,B.TRB,B\r\nWF,wind.csv\r\nAT,si.txt\r\nMAP,kanto\r\nLH,1\r\n"
                                     "PIC,old,1\r\nPIC," + (ws_ / "photos/regatta1").string() + ",-35,500");
        Write("raceadmin/race2.txt", "T1,Two\r\nBN,b.trb,B\r\nBN,c.gpx,C\r\nWF,wind.csv\r\nMAP,izu.cst\r\n");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(ws_ / name, std::ios::binary) << text;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::map<std::string, std::string> Tree(const fs::path& folder)
    {
        std::map<std::string, std::string> files;
        for (const auto& f : fs::recursive_directory_iterator(folder))
            files[fs::relative(f.path(), folder).string() + (f.is_directory() ? "/" : "")] =
                f.is_directory() ? "" : Read(f.path());
        return files;
    }
    DistributionOptions Options()
    {
        DistributionOptions options;
        options.app_dir = ws_.string() + "/";
        options.move_to_trash = [this](const std::string& folder) {
            trashed_.push_back(folder);
            return MoveToTrash(folder);
        };
        return options;
    }
    DistributionPlayList List(std::vector<std::string> races, const std::string& name = "cup")
    {
        DistributionPlayList list;
        RaceSettings race;
        for (const std::string& r : races)
            EXPECT_EQ(ChooseDistRaceFile(list, r, ws_.string() + "/", 2, race), AddRaceResult::Added);
        list.DistName = name;
        return list;
    }

    fs::path root_, ws_;
    std::vector<std::string> trashed_;
};

TEST_F(DistributionTest, TheTreeFileByFile)
{
    RaceSettings race;
    const DistributionPlayList list = List({"race1.txt", "race2.txt", "gone.txt"});
    fs::remove(ws_ / "raceadmin/gone.txt");
    EXPECT_EQ(list.DistPictureFlag, 1);
    const std::string dist = BuildDistribution(list, Options(), race);
    EXPECT_EQ(dist, ws_.string() + "/distribution/cup");
    const std::string race1 = Read(ws_ / "raceadmin/race1.txt");
    const std::map<std::string, std::string> expected = {
        {"tackvue.exe", "viewer"},
        {"raceadmin/", ""},
        {"raceadmin/racefile.st", "race1.txt\r\nrace2.txt\r\ngone.txt\r\n"},
        {"raceadmin/cover.jpg", "cover"},
        // No pictures exported: the copies name no picture folder, the
        // absolute one of this computer included.
        {"raceadmin/race1.txt", race1.substr(0, race1.find("PIC,"))},
        {"raceadmin/race2.txt", Read(ws_ / "raceadmin/race2.txt")},
        {"gpsdat/", ""},
        {"gpsdat/a.gpx", "a.gpx"},
        {"gpsdat/B.TRB", "b.trb"},
        {"gpsdat/b.trb", "b.trb"},
        {"gpsdat/c.gpx", "c.gpx"},
        {"winddat/", ""},
        {"winddat/wind.csv", "wind"},
        {"attachment/", ""},
        {"attachment/si.txt", "si"},
        {"coastline/", ""},
        {"coastline/kanto.cst", "kanto"},
        {"coastline/izu.cst", "izu"},
        {"coastline/jlh.lh", "lh"},
        {"help/", ""},
        {"help/index.html", "help"},
        {"vd/", ""},
        {"vd/data.bin", "vd"},
        {"pic/", ""},
    };
    EXPECT_EQ(Tree(dist), expected);
    EXPECT_EQ(race.Title1, "Two") << "the last race read stays";
    EXPECT_EQ(WithoutPicLines("T1,a\r\n pic , x,1 // c\r\n// PIC,y\r\nPICTURE,1\r\nPIC,z,0"),
              "T1,a\r\n// PIC,y\r\nPICTURE,1\r\n");
}

TEST_F(DistributionTest, ReplaceTrashesTheOldFolderAndHelpMayBeLeftOut)
{
    fs::create_directories(ws_ / "distribution/Cup");
    Write("distribution/Cup/old.txt", "old");
    const fs::path data = root_ / "data";
    fs::create_directories(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    DistributionOptions options = Options();
    options.attach_help = false;
    RaceSettings race;
    const std::string dist = BuildDistribution(List({"race2.txt"}), options, race);
    ASSERT_EQ(trashed_.size(), 1u);
    EXPECT_FALSE(fs::exists(ws_ / "distribution/Cup"));
    EXPECT_EQ(Read(data / "Trash/files/Cup/old.txt"), "old") << "recoverable from the trash";
    EXPECT_TRUE(fs::is_directory(dist + "/help"));
    EXPECT_TRUE(fs::is_empty(dist + "/help"));

    // A trash that refuses stops the build before anything is written.
    options.move_to_trash = [](const std::string&) { return false; };
    Write("distribution/cup/keep.txt", "keep");
    const auto before = Tree(dist);
    EXPECT_THROW(BuildDistribution(List({"race1.txt"}), options, race), DataError);
    EXPECT_EQ(Tree(dist), before);
}

TEST_F(DistributionTest, FailuresNameThePathAndStopTheBuild)
{
    Write("distribution", "a file where the folder should be");
    RaceSettings race;
    try {
        BuildDistribution(List({"race2.txt"}), Options(), race);
        ADD_FAILURE() << "built";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find(ws_.string() + "/distribution"), std::string::npos) << e.what();
    }
    // A race file name Shift-JIS cannot hold.
    fs::remove(ws_ / "distribution");
    Write("raceadmin/race\xF0\x9F\x98\x80.txt", "T1,x\r\n");
    EXPECT_THROW(BuildDistribution(List({"race\xF0\x9F\x98\x80.txt"}), Options(), race), DataError);
}

TEST_F(DistributionTest, RealWriteFailuresNameTheFileAndLeaveNoHalfBuiltFolder)
{
    // A full disk half-way: first through the largest copy (race1.txt with its
    // PIC line), then through the play list, which long race names make the
    // largest file.
    const std::string first = "the-first-race-of-the-day.txt", second = "the-second-race-of-the-day.txt";
    Write("raceadmin/" + first, "T1,x\r\n");
    Write("raceadmin/" + second, "T1,y\r\n");
    const std::string cup = ws_.string() + "/distribution/cup";
    const std::pair<std::vector<std::string>, std::string> cases[] = {{{"race1.txt"}, cup + "/raceadmin/race1.txt"},
                                                                      {{first, second}, cup + "/raceadmin/racefile.st"}};
    for (const auto& [races, failing] : cases) {
        const DistributionPlayList list = List(races);
        RaceSettings race;
        try {
            const FileSizeLimit limit(40);
            BuildDistribution(list, Options(), race);
            ADD_FAILURE() << "built with " << failing << " cut short";
        } catch (const DataError& e) {
            EXPECT_EQ(e.file(), failing) << e.what();
        }
        EXPECT_TRUE(fs::is_empty(ws_ / "distribution")) << "nothing half-built, no temporary file";
        EXPECT_EQ(Read(ws_ / "raceadmin/race1.txt").substr(0, 7), "T1,One\r");
    }
}

TEST_F(DistributionTest, PlayListAndNames)
{
    DistributionPlayList list;
    RaceSettings race;
    const std::string app = ws_.string() + "/";
    EXPECT_EQ(ChooseDistRaceFile(list, "race2.txt", app, 2, race), AddRaceResult::Added);
    EXPECT_EQ(list.DistPictureFlag, 0) << "no pic/ folder in this workspace";
    EXPECT_EQ(ChooseDistRaceFile(list, "race2.txt", app, 2, race), AddRaceResult::Duplicate);
    for (int i = 0; i < 99; ++i)
        EXPECT_EQ(ChooseDistRaceFile(list, "r" + std::to_string(i) + ".txt", app, 2, race), AddRaceResult::Added);
    EXPECT_EQ(ChooseDistRaceFile(list, "r100.txt", app, 2, race), AddRaceResult::Full);
    EXPECT_EQ(list.DistRaceFiles.size(), 100u);

    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a:b", "a*", "a?", "a\"b", "<a", "a>", "a|b", "a.",
                            "con", "Lpt1.txt", "a\tb"})
        EXPECT_TRUE(DistributionNameProblem(bad)) << bad;
    for (const char* good : {"Cup 2024", "regatta.1", "consul", "配布"})
        EXPECT_FALSE(DistributionNameProblem(good)) << good;
}

} // namespace
} // namespace tackedit
