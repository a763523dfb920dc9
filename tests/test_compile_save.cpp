// The compile screen's Save Data through its real widgets: the race file and
// the viewer's hand-off, the questions and the names refused, the number
// boxes, the minimized tracks, and leaving a race that is not saved.

#include "compile_screen_test.h"
#include "platform/text_codec.h"
#include "screens/compile_screen.h"
#include "base/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

TEST_F(CompileScreenTest, AddingBoatsPresetsTheRaceAndSavingHandsItToTheViewer)
{
    NewRaceWithBoats({{"20240615_TEAM1.gpx", "Team One"}, {"alpha.GPX", "Alpha"}});
    ASSERT_EQ(dialogs_.calls.size(), 2u);
    EXPECT_EQ(dialogs_.calls[0].caption, "Boat Name");
    EXPECT_EQ(dialogs_.calls[0].text, "Boat Name ?");
    EXPECT_EQ(dialogs_.calls[0].folder, "TEAM1") << "the proposed name";
    EXPECT_EQ(dialogs_.calls[1].folder, "ALPHA");
    EXPECT_EQ(Find<QLabel>("Label22")->text(), QStringLiteral("2 boats"));
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(1)->text(), QStringLiteral("Alpha  / alpha.GPX"));
    // The first boat's fifth point (01:04 UTC) + 30 min + 9 h; the 25th (01:24) + 9 h.
    EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), QDate(2024, 6, 15));
    EXPECT_EQ(Find<QTimeEdit>("DateTimePicker2")->time(), QTime(10, 34, 0));
    EXPECT_EQ(Find<QTimeEdit>("DateTimePicker4")->time(), QTime(10, 24, 0));

    Find<QLineEdit>("Edit1")->setText(QStringLiteral("Spring Cup"));
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Find<QComboBox>("ComboBox2")->setEditText(QStringLiteral("wind.csv"));
    dialogs_.inputs.push_back(std::string("race2"));
    dialogs_.answers.push_back(MessageAnswer::No);  // normal mode
    Click("Button9");
    EXPECT_EQ(state_.ScreenMode, 1);
    const std::string text = Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "race2.txt"));
    EXPECT_EQ(text.substr(0, 16), "T1,Spring Cup\r\nT");
    EXPECT_NE(text.find("BN,20240615_TEAM1.gpx,Team One\r\nBN,alpha.GPX,Alpha\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WF,wind.csv\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(ws_ / "ctrl" / "editfile.edt"), "race2.txt_b\r\n");
    ASSERT_EQ(shell_.started.size(), 1u);
    EXPECT_EQ(shell_.started[0], ws_.string() + "/tackvue.exe");
    EXPECT_TRUE(fs::exists(ws_ / "ctrl" / "ctrl.log"));
    EXPECT_EQ(state_.RaceFileName, "race2.txt");
}

TEST_F(CompileScreenTest, SaveCancelPaths)
{
    Start();
    Click("Button2");
    Click("RadioButton10");
    Click("Button9");
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{"Choose a GPS file to add a boat first."})
        << "no boats: no input box";

    dialogs_.inputs.push_back(std::string("B"));
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    dialogs_.inputs.push_back(std::nullopt);
    Click("Button9");
    EXPECT_EQ(state_.ScreenMode, 3) << "cancelled name: nothing changes";

    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary) << "T1,old\r\n";
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("Unsaved Cup"));
    dialogs_.inputs.push_back(std::string("RACE1.TXT"));
    dialogs_.answers = {MessageAnswer::Cancel, MessageAnswer::No};
    Click("Button9");
    EXPECT_EQ(ReadFile(ws_ / "raceadmin" / "race1.txt"), "T1,old\r\n") << "declined: not written";
    EXPECT_FALSE(fs::exists(ws_ / "ctrl" / "editfile.edt")) << "a new race declined: nothing to show";
    EXPECT_TRUE(shell_.started.empty());
    EXPECT_EQ(state_.ScreenMode, 3) << "the race stays on screen";
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("Unsaved Cup"));
    EXPECT_EQ(state_.race.BoatCount, 1);
    EXPECT_NE(dialogs_.Messages().back().find("Nothing was saved"), std::string::npos);
    dialogs_.answers = {MessageAnswer::Yes};  // leave the unsaved race
    Click("Button10");

    Click("Button2");
    Click("RadioButton10");
    dialogs_.inputs.push_back(std::string("B"));
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Find<QCheckBox>("CheckBox2")->setChecked(true);
    dialogs_.inputs.push_back(std::string("race3.txt"));
    dialogs_.answers = {MessageAnswer::Cancel};  // the mode question
    const auto started = shell_.started.size();
    Click("Button9");
    EXPECT_FALSE(fs::exists(ws_ / "raceadmin" / "race3.txt")) << "Cancel saves nothing";
    EXPECT_FALSE(fs::exists(ws_ / "gpsdat" / "alpha.trb")) << "nor converts";
    EXPECT_FALSE(fs::exists(ws_ / "ctrl" / "ctrl.log"));
    EXPECT_EQ(shell_.started.size(), started);
    EXPECT_EQ(state_.ScreenMode, 3) << "the race stays on screen";
    EXPECT_TRUE(state_.RaceFileName.empty());
}

// The questions given in Japanese only: word for word with Japanese captions,
// in English with English ones.
TEST_F(CompileScreenTest, SaveDataAsksInTheUsersLanguage)
{
    struct Expected {
        std::vector<std::string> fonts;
        const char* no_boats;
        const char* overwrite;
        const char* mode_caption;
        const char* mode;
        const char* modes_explained;
        const char* folder_caption;
        const char* refused_name;
    };
    const Expected languages[] = {
        {{"DejaVu Sans"}, "Choose a GPS file to add a boat first.",
         "A file of that name exists. Overwrite it?\n(No shows the tracks without saving.)", "Viewer Mode",
         "Show the race in edit mode?\n(No shows it in normal mode.)\n\nEdit mode: ", "\nNormal mode: ",
         "Choose the Picture Folder",
         "The boat name 'R\xC3\xA9' contains '\xC3\xA9', which cannot be stored in the race file"},
        {{"ＭＳ Ｐゴシック"}, "GPS/艇を選択してください",
         "同名のファイルがあります。上書きしますか？\n(「NO」を押すと保存しないで航跡を表示します)", "編集画面の表示選択",
         "編集画面で表示しますか？\n｢いいえ」を押すと通常モードで表示します\n\n編集モード: ", "\n通常モード: ",
         "画像フォルダの選択",
         "艇名「R\xC3\xA9」の「\xC3\xA9」はレースファイルに保存できない文字です"},
    };
    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary) << "T1,old\r\n";
    for (const Expected& expected : languages) {
        SCOPED_TRACE(expected.fonts[0]);
        dialogs_.calls.clear();
        Start(expected.fonts);
        Click("Button2");
        Click("RadioButton10");
        Click("Button9");
        ASSERT_EQ(dialogs_.calls.size(), 1u);
        EXPECT_EQ(dialogs_.calls[0].text, expected.no_boats);
        dialogs_.paths.push_back(std::nullopt);
        Click("Button17");
        EXPECT_EQ(dialogs_.calls.back().caption, expected.folder_caption);
        dialogs_.calls.clear();
        dialogs_.inputs = {std::string("R\xC3\xA9"), std::string("B"), std::string("race1.txt")};
        ClickEntry("ListBox1", QStringLiteral("alpha"));
        Find<QCheckBox>("CheckBox2")->setChecked(false);
        dialogs_.answers = {MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Cancel};
        Click("Button9");
        ASSERT_EQ(dialogs_.calls.size(), 7u);
        EXPECT_EQ(dialogs_.calls[1].text, expected.refused_name);
        EXPECT_EQ(dialogs_.calls[5].text, expected.overwrite);
        EXPECT_EQ(dialogs_.calls[6].caption, expected.mode_caption);
        EXPECT_EQ(dialogs_.calls[6].text.rfind(expected.mode, 0), 0u) << dialogs_.calls[6].text;
        EXPECT_NE(dialogs_.calls[6].text.find(expected.modes_explained), std::string::npos);
        form_.reset();
    }
}

TEST_F(CompileScreenTest, PromptsRefuseWhatTheRaceFileOrTheViewerCannotTakeAndAskAgain)
{
    Start();
    Click("Button2");
    Click("RadioButton10");
    dialogs_.inputs = {std::string("A, the first"), std::string("A // B"), std::string("Alpha")};
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    EXPECT_EQ(state_.race.BoatName, std::vector<std::string>{"Alpha"});
    ASSERT_EQ(dialogs_.calls.size(), 5u);
    EXPECT_NE(dialogs_.calls[1].text.find("comma"), std::string::npos) << dialogs_.calls[1].text;
    EXPECT_EQ(dialogs_.calls[2].folder, "A, the first") << "asked again with the text kept";
    EXPECT_NE(dialogs_.calls[3].text.find("\"//\""), std::string::npos) << dialogs_.calls[3].text;

    dialogs_.calls.clear();
    dialogs_.inputs = {std::string("  "), std::string("Régate"), std::string("Heat 1: final"),
                       std::string("a|b"), std::string("CON"), std::nullopt};
    Click("Button9");
    ASSERT_EQ(dialogs_.Messages().size(), 5u);
    EXPECT_EQ(dialogs_.Messages()[0], "Enter a name for the race file.");
    EXPECT_NE(dialogs_.Messages()[1].find("Régate.txt"), std::string::npos) << dialogs_.Messages()[1];
    // Refused with the distribution's words, as a distribution could not copy them.
    EXPECT_EQ(dialogs_.Messages()[2], "'Heat 1: final.txt' contains ':', which a file name cannot hold.");
    EXPECT_EQ(dialogs_.Messages()[3], "'a|b.txt' contains '|', which a file name cannot hold.");
    EXPECT_EQ(dialogs_.Messages()[4], "'CON.txt' is a device name on Windows.");
    EXPECT_EQ(dialogs_.calls.back().folder, "CON");
    EXPECT_TRUE(fs::is_empty(ws_ / "raceadmin")) << "nothing written";
    EXPECT_EQ(state_.ScreenMode, 3);
}

TEST_F(CompileScreenTest, AFailureAfterTheProgressPanelReturnsToTheRace)
{
    NewRaceWithBoats({{"alpha", "A"}});
    fs::create_directories(ws_ / "ctrl" / "ctrl.log");  // the settings file cannot be written
    dialogs_.inputs.push_back(std::string("race5"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button9");
    EXPECT_EQ(state_.ScreenMode, 3) << "not stuck on the progress panel";
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("ctrl.log"), std::string::npos) << dialogs_.Messages()[0];
}

TEST_F(CompileScreenTest, NumberBoxThatIsNotANumberStopsTheSave)
{
    NewRaceWithBoats({{"alpha", "A"}});
    Find<QLineEdit>("Edit8")->setText(QStringLiteral("4,7"));
    dialogs_.inputs.push_back(std::string("race4"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button9");
    EXPECT_FALSE(fs::exists(ws_ / "raceadmin" / "race4.txt"));
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("LOA"), std::string::npos) << dialogs_.Messages()[0];
    EXPECT_EQ(state_.ScreenMode, 3);
}

TEST_F(CompileScreenTest, NightRaceSetsTheLighthouse)
{
    NewRaceWithBoats({{"alpha", "A"}});
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(16, 0));
    Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(18, 30));
    dialogs_.inputs.push_back(std::string("night"));
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button9");
    EXPECT_NE(ReadFile(ws_ / "raceadmin" / "night.txt").find("LH,1\r\n"), std::string::npos);
}

TEST_F(CompileScreenTest, MinimizingConvertsEachBoatAndSkipsAMissingFile)
{
    NewRaceWithBoats({{"20240615_TEAM1", "T"}, {"alpha", "A"}});
    state_.race.AddBoat("gone.gpx", "Ghost");  // its file was removed after it was added
    dialogs_.inputs.push_back(std::string("small"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    std::vector<std::pair<int, QSize>> behind_question;
    dialogs_.on_call = [&](const FakeDialogs::Call& call) {
        if (call.kind == "yesnocancel")
            behind_question.emplace_back(state_.ScreenMode, form_->size());
    };
    Click("Button9");
    ASSERT_EQ(behind_question.size(), 1u);
    EXPECT_EQ(behind_question[0], std::make_pair(3, QSize(1121, 541))) << "the race, not the progress panel";
    EXPECT_TRUE(fs::exists(ws_ / "gpsdat" / "20240615_team1.trb"));
    EXPECT_TRUE(fs::exists(ws_ / "gpsdat" / "alpha.trb"));
    EXPECT_FALSE(fs::exists(ws_ / "gpsdat" / "gone.trb")) << "no other boat's track under its name";
    EXPECT_EQ(fs::file_size(ws_ / "gpsdat" / "alpha.trb"), 30u * 12);
    EXPECT_EQ(state_.race.BoatGpsFile,
              (std::vector<std::string>{"20240615_team1.trb", "alpha.trb", "gone.gpx"}));
    EXPECT_EQ(ReadFile(ws_ / "ctrl" / "editfile.edt"), "small.txt\r\n");
    EXPECT_EQ(state_.ScreenMode, 1);
    const std::string text = ReadFile(ws_ / "raceadmin" / "small.txt");
    // Without classes too the viewer is handed the copies made, and a boat without one keeps its file.
    EXPECT_NE(text.find("BN,20240615_team1.trb,T\r\nBN,alpha.trb,A\r\nBN,gone.gpx,Ghost\r\n"), std::string::npos)
        << text;
}

TEST_F(CompileScreenTest, MinimizingSaysWhatTheWholeSecondFileLeftOut)
{
    // A fast logger: two fixes a second.
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int i = 0; i < 10; ++i)
        gpx += "<trkpt lat=\"35.34\" lon=\"139.67\"><time>2024-06-15T01:00:0" + std::to_string(i / 2) +
               (i % 2 ? ".5" : ".0") + "Z</time></trkpt>\n";
    std::ofstream(ws_ / "gpsdat" / "kazekiri.gpx") << gpx + "</trkseg></trk></gpx>\n";
    NewRaceWithBoats({{"kazekiri", "Kazekiri"}, {"alpha", "A"}});
    dialogs_.inputs.push_back(std::string("fast"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button9");
    EXPECT_EQ(fs::file_size(ws_ / "gpsdat" / "kazekiri.trb"), 5u * 12);
    EXPECT_EQ(dialogs_.Messages(),
              std::vector<std::string>{"Kazekiri: 5 of 10 fixes within the second of the fix before were left out: "
                                       "the TRB format keeps whole seconds."})
        << "the boat that lost fixes, and only that one";
    EXPECT_EQ(shell_.started.size(), 1u);
}

TEST_F(CompileScreenTest, MinimizingKeepsAnotherRacesTrackAndTheRaceFileNamesTheNewOne)
{
    std::ofstream(ws_ / "gpsdat" / "umikaze.trb", std::ios::binary) << "the demo's boat";
    std::ofstream(ws_ / "gpsdat" / "UMIKAZE.gpx") << SampleGpx();
    std::ofstream(ws_ / "raceadmin" / "cup.txt", std::ios::binary)
        << "CLSSEP,1\r\nCLSN,Open\r\nBN,UMIKAZE.gpx,Umikaze\r\nBN,alpha.GPX,A\r\n";
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("cup"));
    ASSERT_EQ(state_.race.BoatCount, 2);
    dialogs_.inputs.push_back(std::string("cup2"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button9");
    EXPECT_EQ(ReadFile(ws_ / "gpsdat" / "umikaze.trb"), "the demo's boat");
    EXPECT_EQ(fs::file_size(ws_ / "gpsdat" / "umikaze_2.trb"), 30u * 12);
    EXPECT_EQ(state_.race.BoatGpsFile, (std::vector<std::string>{"umikaze_2.trb", "alpha.trb"}));
    const std::string text = ReadFile(ws_ / "raceadmin" / "cup2.txt");
    EXPECT_NE(text.find("BN,umikaze_2.trb,Umikaze\r\nBN,alpha.trb,A\r\n"), std::string::npos) << text;
}

TEST_F(CompileScreenTest, AWindowClosedDuringTheConversionClosesWhenTheSaveIsDone)
{
    NewRaceWithBoats({{"alpha", "A"}});
    form_->show();
    bool visible_after_close = false;
    dialogs_.on_call = [&](const FakeDialogs::Call& call) {
        // The conversion lets events through: the close arrives during it.
        if (call.kind == "input")
            QTimer::singleShot(0, form_.get(), [&] {
                form_->close();
                visible_after_close = form_->isVisible();
            });
    };
    dialogs_.inputs.push_back(std::string("race6"));
    dialogs_.answers.push_back(MessageAnswer::Yes);  // the mode, asked before the conversion
    Click("Button9");
    EXPECT_TRUE(visible_after_close) << "the window stays while the files are converted";
    EXPECT_TRUE(fs::exists(ws_ / "gpsdat" / "alpha.trb"));
    EXPECT_TRUE(fs::exists(ws_ / "ctrl" / "ctrl.log"));
    EXPECT_TRUE(shell_.started.empty()) << "no viewer";
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{Say(texts::kCloseAfterLongWork, 2)});
    EXPECT_FALSE(form_->isVisible()) << "closed once the save is done";
}

TEST_F(CompileScreenTest, LeavingAnUnsavedRaceAsksFirstAndAnUntouchedOneDoesNot)
{
    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary) << "T1,Cup\r\nBN,alpha.GPX,Alpha\r\n";
    Start();
    form_->show();
    Click("Button2");
    Click("RadioButton10");
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("typed"));
    Find<QLineEdit>("Edit1")->clear();  // and taken back
    Click("Button10");
    EXPECT_EQ(state_.ScreenMode, 1) << "a new race as it started";
    const auto open_race1 = [this] {
        Click("Button2");
        Click("RadioButton11");
        ClickEntry("ListBox4", QStringLiteral("race1"));
        ASSERT_EQ(state_.ScreenMode, 3);
    };
    open_race1();
    form_->close();
    EXPECT_FALSE(form_->isVisible()) << "a race just opened";
    EXPECT_TRUE(dialogs_.calls.empty());

    form_->show();
    open_race1();
    dialogs_.answers = {MessageAnswer::Yes};
    ClickEntry("ListBox2", QStringLiteral("Alpha"), Qt::ShiftModifier);
    ASSERT_EQ(state_.race.BoatCount, 0);
    dialogs_.calls.clear();  // the removal's question
    dialogs_.answers = {MessageAnswer::No, MessageAnswer::No};
    Click("Button10");
    EXPECT_EQ(state_.ScreenMode, 3) << "No stays with the race";
    form_->close();
    EXPECT_TRUE(form_->isVisible());
    ASSERT_EQ(dialogs_.calls.size(), 2u);
    for (const FakeDialogs::Call& call : dialogs_.calls) {
        EXPECT_EQ(call.kind, "yesno");
        EXPECT_EQ(call.caption, "tackvue");
        EXPECT_EQ(call.text, "The race has not been saved. Leave without saving?");
    }
    dialogs_.answers = {MessageAnswer::Yes};
    form_->close();
    EXPECT_FALSE(form_->isVisible());

    form_.reset();
    dialogs_.calls.clear();
    Start({"ＭＳ Ｐゴシック"});
    Click("Button2");
    Click("RadioButton10");
    Find<QComboBox>("ComboBox4")->setEditText(QStringLiteral("10"));
    dialogs_.answers = {MessageAnswer::Yes};
    Click("Button10");
    EXPECT_EQ(state_.ScreenMode, 1);
    ASSERT_EQ(dialogs_.calls.size(), 1u);
    EXPECT_EQ(dialogs_.calls[0].text, "レースデータは保存されていません。保存しないで閉じますか？");
}

} // namespace
} // namespace tackedit
