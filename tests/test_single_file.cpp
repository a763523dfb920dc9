// The replay as one HTML file: everything inside, within a tenth of the folder's size.
#include "picture_fixtures.h"
#include "replay/single_file.h"
#include "base/data_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Scratch {
    fs::path root = fs::temp_directory_path() / ("tackedit-one-file-" + std::to_string(::getpid()));
    Scratch() { fs::remove_all(root), fs::create_directories(root); }
    ~Scratch() { fs::remove_all(root); }
};

// A race whose title and boat would end a script or open a comment if inlined
// as they are, with three photographs larger than the replay shows them.
ReplayRaces HostileRace(const fs::path& root, ReplayRace& race)
{
    race.start = 1000;
    race.title1 = "</script><script>alert(1)</script>";
    for (int b = 0; b < 3; ++b) {
        ReplayBoat& boat = race.boats.emplace_back();
        boat.name = b == 0 ? "<!--" : "Boat " + std::to_string(b);
        for (int i = 0; i < 600; ++i) {
            boat.time.push_back(1000 + i);
            boat.lat.push_back(35000000 + b * 1000 + i * 20);
            boat.lon.push_back(139500000);
        }
    }
    for (int i = 0; i < 3; ++i) {
        const std::string source = (root / ("p" + std::to_string(i) + ".jpg")).string();
        fixtures::WriteBytes(source, fixtures::MakeJpeg(1600, 1200, 95, std::nullopt, i + 1));
        race.pictures.push_back({source, "IMG_" + std::to_string(i) + ".JPG", 1000 + i * 60});
    }
    ReplayRaces races;
    races.count = 1;
    races.file = [](std::size_t) { return std::string("r.txt"); };
    races.read = [&race](std::size_t) { return race; };
    return races;
}

TEST(SingleFileReplay, HoldsEverythingWithinATenthOfTheFolder)
{
    Scratch scratch;
    ReplayRace race;
    const ReplayRaces races = HostileRace(scratch.root, race);
    BuildReplay(races, (scratch.root / "folder").string(), ReplayBuildOptions{});
    BuildSingleFileReplay(races, (scratch.root / "one.html").string(), ReplayBuildOptions{});
    std::uintmax_t folder = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch.root / "folder"))
        if (entry.is_regular_file())
            folder += entry.file_size();
    const std::uintmax_t one = fs::file_size(scratch.root / "one.html");
    EXPECT_LE(one, folder * 11 / 10) << "one file " << one << " bytes, folder " << folder;

    // Every address, in the page and in the results inside it, is in the file.
    std::string html = Read(scratch.root / "one.html");
    EXPECT_EQ(html.find("alert(1)</script>"), std::string::npos) << "the title ended a script";
    EXPECT_EQ(html.find("\"<!--"), std::string::npos) << "the boat's name opened a comment";
    EXPECT_NE(html.find("<dialog id=\"results-sheet\">"), std::string::npos);
    html = std::regex_replace(html, std::regex("&quot;"), "\"");
    const std::regex reference(R"re(\b(src|href)\s*=\s*"([^"]{0,40}))re", std::regex::icase);
    int pictures = 0, references = 0;
    for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it, ++references) {
        const std::string target = (*it)[2];
        EXPECT_TRUE(target.starts_with("data:") || target.starts_with("#")) << (*it)[0];
    }
    for (std::size_t at = html.find("\"url\":\"data:image/jpeg;base64,"); at != std::string::npos;
         at = html.find("\"url\":\"data:image/jpeg;base64,", at + 1))
        ++pictures;
    EXPECT_EQ(pictures, 3);
    EXPECT_GE(references, 2) << "the results sheet's links";

    // A distribution's own reduced copies go in as they are.
    fixtures::WriteBytes((scratch.root / "copy.jpg").string(), "copy");
    const std::string page = SingleFileReplay(races, ReplayBuildOptions{}, [&](std::size_t, const std::string&,
                                                                                const ReplayPicture& picture) {
        return picture.name == "IMG_1.JPG" ? (scratch.root / "copy.jpg").string() : std::string();
    });
    EXPECT_NE(page.find(R"("src":"pictures/race-1/IMG_1.JPG","time":1060,"url":"data:image/jpeg;base64,Y29weQ==")"),
              std::string::npos);
    EXPECT_EQ(page.find("IMG_0.JPG"), std::string::npos) << "a picture without a copy is left out";
}

TEST(SingleFileReplay, ReplacesOnlyItsOwnFileAndNamesWhatIsMissing)
{
    Scratch scratch;
    ReplayRace race;
    ReplayRaces races = HostileRace(scratch.root, race);
    race.pictures.clear();
    const std::string out = (scratch.root / "one.html").string();
    ReplayBuildOptions options;
    int trashed = 0;
    options.move_to_trash = [&](const std::string& path) { return ++trashed, fs::remove(path); };
    try {
        BuildSingleFileReplay(races, (scratch.root / "none/one.html").string(), options);
        ADD_FAILURE() << "a folder that is not there";
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), (scratch.root / "none").string()) << e.what();
    }
    std::ofstream(out) << "mine";
    options.replace = true;
    EXPECT_THROW(BuildSingleFileReplay(races, out, options), DataError);
    EXPECT_EQ(Read(out), "mine");
    fs::remove(out);
    options.replace = false;
    BuildSingleFileReplay(races, out, options);
    EXPECT_THROW(BuildSingleFileReplay(races, out, options), DataError) << "no --replace";
    options.replace = true;
    race.title1 = "Second";
    BuildSingleFileReplay(races, out, options);
    EXPECT_EQ(trashed, 1);
    EXPECT_NE(Read(out).find("\"title1\":\"Second\""), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.root), fs::directory_iterator()), 4)
        << "three photographs and the page, no temporary file";
}

} // namespace
} // namespace tackedit
