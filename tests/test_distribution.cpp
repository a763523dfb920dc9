#include "distribution/distribution_core.h"
#include "pictures/picture_index.h"
#include "platform/trash.h"
#include "platform/text_codec.h"
#include "base/data_error.h"
#include "base/workspace_files.h"
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
        options.replace = true;
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
    // Beside it, the browser replay of the races that are there.
    auto tree = Tree(dist);
    ASSERT_TRUE(tree.count("replay/races/race-2.js")) << "race1 and race2 only";
    EXPECT_FALSE(tree.count("replay/races/race-3.js"));
    std::erase_if(tree, [](const auto& entry) { return entry.first.starts_with("replay/"); });
    EXPECT_EQ(tree, expected);
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

TEST_F(DistributionTest, AReplayFileGoesBesideTheReplayFolderAndChangesNothingElse)
{
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    RaceSettings race;
    DistributionOptions options = Options();
    auto without = Tree(BuildDistribution(List({"race1.txt", "race2.txt"}), options, race));
    options.replay_file = true;
    auto with = Tree(BuildDistribution(List({"race1.txt", "race2.txt"}), options, race));
    ASSERT_TRUE(with.count("replay.html"));
    EXPECT_NE(with["replay.html"].find("\"file\":\"race2.txt\""), std::string::npos);
    EXPECT_EQ(with["replay.html"].find("src=\"races/"), std::string::npos);
    with.erase("replay.html");
    EXPECT_EQ(with, without);
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

TEST_F(DistributionTest, ASecondBuildOfOneNameNeverTouchesTheFirst)
{
    RaceSettings race;
    const std::string cup = ws_.string() + "/distribution/cup";
    // A second build fails while the first's finished folder stands.
    BuildDistribution(List({"race2.txt"}), Options(), race);
    const auto first = Tree(cup);
    {
        const FileSizeLimit limit(40);
        EXPECT_THROW(BuildDistribution(List({"race1.txt"}), Options(), race), DataError);
    }
    EXPECT_EQ(Tree(cup), first);
    EXPECT_TRUE(trashed_.empty()) << "the old folder goes only once the new one is complete";

    // Another build finishes while this one adds its pictures, which then fail.
    fs::remove_all(cup);
    DistributionOptions options = Options();
    options.finish = [&](const std::string& building) {
        EXPECT_NE(building, cup);
        EXPECT_TRUE(fs::exists(building + "/raceadmin/racefile.st"));
        BuildDistribution(List({"race2.txt"}), Options(), race);
        throw DataError(building + "/pic/race1/s_a.jpg", 0, "", "cannot write");
    };
    try {
        BuildDistribution(List({"race1.txt"}), options, race);
        ADD_FAILURE() << "built";
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), cup + "/pic/race1/s_a.jpg") << "named as in the finished folder";
    }
    EXPECT_EQ(Tree(cup), first);
    EXPECT_EQ(std::distance(fs::directory_iterator(ws_ / "distribution"), {}), 1) << "no temporary folder left";

    // Without leave to replace, a folder that appeared meanwhile stays.
    options = Options();
    options.replace = false;
    EXPECT_THROW(BuildDistribution(List({"race1.txt"}), options, race), DataError);
    EXPECT_EQ(Tree(cup), first);
}

// HOME and XDG_DATA_HOME for one test.
class ScopedTrashHome {
public:
    ScopedTrashHome(const fs::path& home, const char* data_home)
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME"})
            if (const char* v = std::getenv(name))
                saved_[name] = v;
        ::setenv("HOME", home.c_str(), 1);
        if (data_home)
            ::setenv("XDG_DATA_HOME", data_home, 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    ~ScopedTrashHome()
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME"})
            if (saved_.count(name))
                ::setenv(name, saved_[name].c_str(), 1);
            else
                ::unsetenv(name);
    }

private:
    std::map<std::string, std::string> saved_;
};

TEST_F(DistributionTest, TheTrashIsMadeWhenMissingAndAFolderItCannotTakeStays)
{
    // A fresh account: no ~/.local/share yet.
    const fs::path home = root_ / "home";
    fs::create_directories(home);
    fs::create_directories(root_ / "old folder/sub");
    Write("../old folder/sub/f.txt", "f");
    {
        const ScopedTrashHome env(home, nullptr);
        ASSERT_TRUE(MoveToTrash((root_ / "old folder").string()));
    }
    const fs::path trash = home / ".local/share/Trash";
    EXPECT_FALSE(fs::exists(root_ / "old folder"));
    EXPECT_EQ(Read(trash / "files/old folder/sub/f.txt"), "f");
    const std::string info = Read(trash / "info/old folder.trashinfo");
    EXPECT_EQ(info.substr(0, 13 + 5), "[Trash Info]\nPath=");
    EXPECT_NE(info.find("Path=" + root_.string() + "/old%20folder\n"), std::string::npos) << info;
    EXPECT_EQ(fs::status(trash).permissions() & fs::perms::all, fs::perms::owner_all);

    // No trash can be made under a file: the old distribution stays, the build stops.
    fs::create_directories(ws_ / "distribution/cup");
    Write("distribution/cup/old.txt", "old");
    Write("../a-file", "x");
    const ScopedTrashHome env(home, (root_ / "a-file/data").c_str());
    RaceSettings race;
    try {
        BuildDistribution(List({"race2.txt"}), Options(), race);
        ADD_FAILURE() << "built";
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), ws_.string() + "/distribution/cup") << e.what();
        EXPECT_NE(std::string(e.what()).find("kept"), std::string::npos) << e.what();
    }
    EXPECT_EQ(FolderFiles(ws_ / "distribution/cup"), (std::map<std::string, std::string>{{"old.txt", "old"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(ws_ / "distribution"), {}), 1);
}

TEST_F(DistributionTest, ADistributionFolderLinkedIntoTheWorkspaceReplacesNothing)
{
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    fs::create_directory_symlink(".", ws_ / "distribution");
    const auto before = Tree(ws_ / "gpsdat");
    RaceSettings race;
    EXPECT_THROW(BuildDistribution(List({"race2.txt"}, "gpsdat"), Options(), race), DataError);
    EXPECT_TRUE(trashed_.empty());
    EXPECT_EQ(Tree(ws_ / "gpsdat"), before);
}

TEST_F(DistributionTest, LinksOutOfTheWorkspaceAreNotPacked)
{
    Write("../secret", "secret");
    const fs::path secret = root_ / "secret";
    for (const char* link : {"gpsdat/a.gpx", "winddat/wind.csv", "attachment/si.txt", "coastline/kanto.cst",
                             "help/index.html", "vd/data.bin", "tackvue.exe", "photos/regatta1/out.jpg"}) {
        fs::remove(ws_ / link);
        fs::create_symlink(secret, ws_ / link);
    }
    // Links that stay inside are taken.
    fs::create_symlink("izu.cst", ws_ / "coastline/kanto2.cst");
    fs::create_symlink("../coastline/izu.cst", ws_ / "vd/izu.cst");
    fs::copy_file(ws_ / "coastline/izu.cst", ws_ / "photos/regatta1/in.jpg");
    fs::create_symlink("in.jpg", ws_ / "photos/regatta1/in2.jpg");
    fs::create_symlink(ws_ / "vd", ws_ / "attachment/folder");
    Write("raceadmin/race3.txt", "BN,a.gpx,A\r\nWF,wind.csv\r\nAT,si.txt\r\nAT,folder\r\nMAP,kanto\r\nMAP,kanto2\r\n");

    RaceSettings race;
    const std::string dist = BuildDistribution(List({"race3.txt"}), Options(), race);
    for (const auto& [name, text] : Tree(dist))
        EXPECT_NE(text, "secret") << name;
    EXPECT_FALSE(fs::exists(dist + "/tackvue.exe"));
    EXPECT_FALSE(fs::exists(dist + "/attachment/folder"));
    EXPECT_EQ(Read(dist + "/coastline/kanto2.cst"), "izu");
    EXPECT_EQ(Read(dist + "/vd/izu.cst"), "izu");
    EXPECT_FALSE(FindWorkspaceFile(ws_.string() + "/gpsdat", "A.GPX"));

    std::vector<std::string> pictures;
    for (const PictureFile& f : ListPictureFiles((ws_ / "photos/regatta1").string()))
        pictures.push_back(f.name);
    EXPECT_EQ(pictures, (std::vector<std::string>{"in.jpg", "in2.jpg"}));
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
