// Save Data and Show Racing when a write fails for real: the file-size limit of a
// full disk, a folder that is a file, a name too long. The old file stays byte
// for byte, no temporary file is left, the message names the file, and the
// viewer is not started.

#include "window_test.h"
#include "write_failures.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

std::string Track(int points)
{
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int i = 0; i < points; ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "<trkpt lat=\"35.%04d\" lon=\"139.5\"><time>2024-06-15T01:%02d:%02dZ</time></trkpt>\n",
                      i, i / 60 % 60, i % 60);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

class WriteFailureTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char* folder : {"raceadmin", "ctrl"})
            fs::create_directories(ws_ / folder);
        std::ofstream(ws_ / "gpsdat" / "alpha.GPX") << Track(1000);
        std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary) << "T1,old\r\n";
    }

    // A new race with one boat, saved as `name` (overwriting when asked), in
    // edit mode; with minimising when `minimize`.
    void SaveData(const std::string& name, bool minimize = false)
    {
        Click("Button2");
        Click("RadioButton10");
        dialogs_.inputs.push_back(std::string("A"));
        ClickEntry("ListBox1", QStringLiteral("alpha"));
        Find<QCheckBox>("CheckBox2")->setChecked(minimize);
        dialogs_.inputs.push_back(name);
        dialogs_.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
        Click("Button9");
    }

    // One message, naming `file` and saying `why`; the viewer was not started.
    void ExpectReported(const std::string& file, const char* why)
    {
        ASSERT_EQ(dialogs_.Messages().size(), 1u);
        const std::string message = dialogs_.Messages()[0];
        EXPECT_NE(message.find(file + ": "), std::string::npos) << message;
        EXPECT_NE(message.find(why), std::string::npos) << message;
        EXPECT_TRUE(shell_.started.empty());
    }

    // Replaces a workspace folder by a file of that name.
    void MakeFile(const char* folder)
    {
        fs::remove_all(ws_ / folder);
        std::ofstream(ws_ / folder) << "a file";
    }
};

TEST_F(WriteFailureTest, RaceFile)
{
    Start();
    const auto before = FolderFiles(ws_ / "raceadmin");
    {
        FileSizeLimit full_disk(300);
        SaveData("race1.txt");
    }
    ExpectReported((ws_ / "raceadmin" / "race1.txt").string(), "File too large");
    EXPECT_EQ(FolderFiles(ws_ / "raceadmin"), before);
    EXPECT_FALSE(fs::exists(ws_ / "ctrl" / "editfile.edt"));
    EXPECT_EQ(state_.ScreenMode, 3);

    dialogs_.calls.clear();
    const std::string long_name(300, 'r');
    SaveData(long_name);
    ExpectReported((ws_ / "raceadmin").string() + "/" + long_name + ".txt", "File name too long");
    EXPECT_EQ(FolderFiles(ws_ / "raceadmin"), before);

    dialogs_.calls.clear();
    MakeFile("raceadmin");
    SaveData("race2");
    ExpectReported((ws_ / "raceadmin" / "race2.txt").string(), "Not a directory");
    EXPECT_EQ(ReadFile(ws_ / "raceadmin"), "a file");
}

TEST_F(WriteFailureTest, SettingsFile)
{
    // Ten long tool paths make the settings file larger than the race file.
    std::string settings;
    for (int i = 0; i < 10; ++i)
        settings += "SOFT,/opt/" + std::string(200, 'a' + i) + "/fetch.exe\r\n";
    std::ofstream(ws_ / "ctrl" / "ctrl.log", std::ios::binary) << settings;
    Start();
    const auto before = FolderFiles(ws_ / "ctrl");
    {
        FileSizeLimit full_disk(1500);
        SaveData("race2");
    }
    ExpectReported((ws_ / "ctrl" / "ctrl.log").string(), "File too large");
    EXPECT_EQ(FolderFiles(ws_ / "ctrl"), before);
    EXPECT_TRUE(fs::exists(ws_ / "raceadmin" / "race2.txt")) << "written before";

    dialogs_.calls.clear();
    MakeFile("ctrl");
    SaveData("race3");
    ExpectReported((ws_ / "ctrl" / "ctrl.log").string(), "Not a directory");
    EXPECT_EQ(ReadFile(ws_ / "ctrl"), "a file");
}

TEST_F(WriteFailureTest, HandoffFile)
{
    Start();
    std::ofstream(ws_ / "ctrl" / "editfile.edt", std::ios::binary) << "old.txt\r\n";
    const auto before = FolderFiles(ws_ / "ctrl");
    Click("Button4");
    {
        FileSizeLimit full_disk(4);
        ClickEntry("ListBox8", QStringLiteral("race1"));
    }
    ExpectReported((ws_ / "ctrl" / "editfile.edt").string(), "File too large");
    EXPECT_EQ(FolderFiles(ws_ / "ctrl"), before);
    EXPECT_EQ(state_.ScreenMode, 5);

    dialogs_.calls.clear();
    MakeFile("ctrl");
    ClickEntry("ListBox8", QStringLiteral("race1"));
    ExpectReported((ws_ / "ctrl" / "editfile.edt").string(), "Not a directory");
}

TEST_F(WriteFailureTest, TrbConversionOfSaveData)
{
    std::ofstream(ws_ / "gpsdat" / "alpha.trb", std::ios::binary) << "old track";
    Start();
    const auto before = FolderFiles(ws_ / "gpsdat");
    {
        FileSizeLimit full_disk(6000);  // the race file fits, 12,000 bytes of TRB do not
        SaveData("race2", true);
    }
    ExpectReported((ws_ / "gpsdat" / "alpha_2.trb").string(), "File too large");  // alpha.trb is another track
    EXPECT_EQ(FolderFiles(ws_ / "gpsdat"), before);
    EXPECT_EQ(state_.race.BoatGpsFile, std::vector<std::string>{"alpha.GPX"});
    EXPECT_EQ(state_.ScreenMode, 3);
}

} // namespace
} // namespace tackedit
