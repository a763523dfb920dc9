#include "platform/text_codec.h"
#include "screens/compile_screen.h"
#include "screens/captions.h"
#include "shell/tform1.h"
#include "track/formats/track_formats.h"
#include "window_test.h"
#include "base/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// 30 points, one a minute from 01:00 UTC, around 35°25' N 139°45' E.
std::string SampleGpx()
{
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int i = 0; i < 30; ++i) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.5f\" lon=\"%.5f\"><time>2024-06-15T01:%02d:00Z</time></trkpt>\n",
                      35.3400 + i * 0.002, 139.6700 + i * 0.002, i);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

class CompileScreenTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char* folder : {"raceadmin", "winddat", "attachment", "ctrl"})
            fs::create_directories(ws_ / folder);
        std::ofstream(ws_ / "gpsdat" / "20240615_TEAM1.gpx") << SampleGpx();
        std::ofstream(ws_ / "gpsdat" / "alpha.GPX") << SampleGpx();
        std::ofstream(ws_ / "winddat" / "wind.csv") << "x";
        zone_.bias = -540;
    }

    void NewRaceWithBoats(std::initializer_list<std::pair<const char*, const char*>> boats)
    {
        Start();
        Click("Button2");
        Click("RadioButton10");
        for (const auto& [file, name] : boats) {
            dialogs_.inputs.push_back(std::string(name));
            ClickEntry("ListBox1", QString::fromUtf8(file));
        }
    }
};

TEST_F(CompileScreenTest, NewRaceShowsTheDefaults)
{
    zone_.bias = 300;  // UTC-5
    Start();
    Click("Button2");
    Click("RadioButton10");
    EXPECT_EQ(state_.ScreenMode, 3);
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), QStringLiteral("45"));
    EXPECT_EQ(Find<QLineEdit>("Edit6")->text(), QStringLiteral("160"));
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text(), QStringLiteral("4.7"));
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), QStringLiteral("-6.9"));
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), QStringLiteral("-5"));
    EXPECT_EQ(Find<QLineEdit>("Edit12")->text(), QStringLiteral("0"));
    auto* speed = Find<QComboBox>("ComboBox4");
    ASSERT_EQ(speed->count(), 29);
    EXPECT_EQ(speed->itemText(10), QStringLiteral("15"));
    EXPECT_EQ(speed->itemText(28), QStringLiteral("900"));
    EXPECT_EQ(speed->currentText(), QStringLiteral("5"));
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->count(), 10);
    EXPECT_EQ(Find<QLabel>("Label22")->text(), QStringLiteral("0 boats"));
    EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->count(), 1);
    EXPECT_TRUE(Find<QCheckBox>("CheckBox2")->isChecked());

    Click("RadioButton2");  // gpx only
    EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 2) << "the extension matches in any case";
    Click("RadioButton14");  // trb
    EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 0);
}

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

TEST_F(CompileScreenTest, ReplayShowsTheRaceOnTheScreenAndSavesNothing)
{
    NewRaceWithBoats({{"20240615_TEAM1.gpx", "Team One"}});
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("Not Saved Yet"));
    Click("ButtonReplay");
    ASSERT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(shell_.opened[0], ws_.string() + "/ctrl/replay/index.html");
    const std::string script = ReadFile(ws_ / "ctrl/replay/races/race-1.js");
    EXPECT_NE(script.find("\"title1\":\"Not Saved Yet\""), std::string::npos) << "the screen's values";
    EXPECT_NE(script.find("\"fixes\":30"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(ws_ / "raceadmin"));
    EXPECT_FALSE(cursor_.busy);

    shell_.succeed = false;  // no browser: said, and built again over the last one
    Click("ButtonReplay");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("no browser opened it"), std::string::npos);
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
    dialogs_.inputs.push_back(std::string("race3.txt"));
    dialogs_.answers = {MessageAnswer::Cancel};  // no viewer
    const auto started = shell_.started.size();
    Click("Button9");
    EXPECT_TRUE(fs::exists(ws_ / "raceadmin" / "race3.txt"));
    EXPECT_EQ(shell_.started.size(), started);
    EXPECT_EQ(state_.ScreenMode, 1);
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
        const char* folder_caption;
        const char* refused_name;
    };
    const Expected languages[] = {
        {{"DejaVu Sans"}, "Choose a GPS file to add a boat first.",
         "A file of that name exists. Overwrite it?\n(No shows the tracks without saving.)", "Viewer Mode",
         "Show the race in edit mode?\n(No shows it in normal mode.)", "Choose the Picture Folder",
         "The boat name 'R\xC3\xA9' contains '\xC3\xA9', which cannot be stored in the race file"},
        {{"ＭＳ Ｐゴシック"}, "GPS/艇を選択してください",
         "同名のファイルがあります。上書きしますか？\n(「NO」を押すと保存しないで航跡を表示します)", "編集画面の表示選択",
         "編集画面で表示しますか？\n｢いいえ」を押すと通常モードで表示します", "画像フォルダの選択",
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
        EXPECT_EQ(dialogs_.calls[6].text, expected.mode);
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
    Click("Button9");
    EXPECT_FALSE(fs::exists(ws_ / "raceadmin" / "race4.txt"));
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("LOA"), std::string::npos) << dialogs_.Messages()[0];
    EXPECT_EQ(state_.ScreenMode, 3);
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
    EXPECT_EQ(behind_question[0], std::make_pair(3, QSize(673, 541))) << "the race, not the progress panel";
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
    dialogs_.answers.push_back(MessageAnswer::Yes);  // only used if the mode question came
    Click("Button9");
    EXPECT_TRUE(visible_after_close) << "the window stays while the files are converted";
    EXPECT_TRUE(fs::exists(ws_ / "gpsdat" / "alpha.trb"));
    EXPECT_TRUE(fs::exists(ws_ / "ctrl" / "ctrl.log"));
    EXPECT_EQ(dialogs_.answers.size(), 1u) << "no mode question, no viewer";
    EXPECT_TRUE(shell_.started.empty());
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
    ClickEntry("ListBox2", QStringLiteral("Alpha"), Qt::ShiftModifier);
    ASSERT_EQ(state_.race.BoatCount, 0);
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

TEST_F(CompileScreenTest, ALongWindFileNameIsWholeInTheTooltip)
{
    const QString name = QStringLiteral("2024-06-15_enoshima_weather_station.csv");
    std::ofstream(ws_ / "winddat" / name.toStdString()) << "x";
    NewRaceWithBoats({{"alpha", "A"}});
    auto* box = Find<QComboBox>("ComboBox2");
    box->setEditText(name);
    EXPECT_EQ(box->toolTip(), name);
    EXPECT_EQ(box->itemData(box->findText(name), Qt::ToolTipRole).toString(), name);
    box->setEditText(QStringLiteral("wind.csv"));
    EXPECT_TRUE(box->toolTip().isEmpty()) << "a name that fits needs no tooltip";
}

TEST_F(CompileScreenTest, NightRaceSetsTheLighthouse)
{
    NewRaceWithBoats({{"alpha", "A"}});
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(16, 0));
    Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(18, 30));
    dialogs_.inputs.push_back(std::string("night"));
    dialogs_.answers.push_back(MessageAnswer::Cancel);
    Click("Button9");
    EXPECT_NE(ReadFile(ws_ / "raceadmin" / "night.txt").find("LH,1\r\n"), std::string::npos);
}

TEST_F(CompileScreenTest, ShiftClickRemovesTheBoatOfTheRow)
{
    NewRaceWithBoats({{"alpha", "A"}, {"alpha", "AB"}, {"20240615", "C"}});
    ClickEntry("ListBox2", QStringLiteral("AB"), Qt::ShiftModifier);
    EXPECT_EQ(state_.race.BoatName, (std::vector<std::string>{"A", "C"})) << "not A, whose name occurs in AB's entry";
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("A / alpha.GPX"));
    EXPECT_EQ(Find<QLabel>("Label22")->text(), QStringLiteral("2 boats"));
    ClickEntry("ListBox2", QStringLiteral("C"));  // no Shift: nothing removed
    EXPECT_EQ(state_.race.BoatCount, 2);
}

TEST_F(CompileScreenTest, TheEightyFirstBoatIsRefused)
{
    NewRaceWithBoats({{"alpha", "A"}});
    for (int i = 2; i <= RaceSettings::kMaxBoats; ++i)
        state_.race.AddBoat("alpha.GPX", "B" + std::to_string(i));
    ClickEntry("ListBox1", QStringLiteral("alpha"));  // no input box is scripted: none may open
    EXPECT_EQ(state_.race.BoatCount, RaceSettings::kMaxBoats);
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("80"), std::string::npos);
}

TEST_F(CompileScreenTest, OpeningARaceShowsItAndABadOneStaysOnTheChoice)
{
    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary)
        << "T1,Cup\r\nT2,Second\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:01:30\r\nBT,1\r\n"
           "PS,10,1\r\nBN,alpha.gpx,Alpha,0.9\r\nBN,gone.gpx,Ghost\r\nNU,1\r\nTD,8\r\n";
    std::ofstream(ws_ / "raceadmin" / "bad.txt", std::ios::binary) << "T1,x\r\nLG,long\r\n";
    Start();
    Click("Button2");
    Click("RadioButton11");
    EXPECT_FALSE(Find<QGroupBox>("GroupBox3")->isHidden());
    EXPECT_EQ(Find<QListWidget>("ListBox4")->count(), 2);
    ClickEntry("ListBox4", QStringLiteral("bad"));
    EXPECT_EQ(state_.ScreenMode, 31);
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("bad.txt:2"), std::string::npos);

    ClickEntry("ListBox4", QStringLiteral("race1"));
    EXPECT_EQ(state_.ScreenMode, 3);
    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_NE(dialogs_.Messages()[1].find("\nGhost / gone.gpx"), std::string::npos) << "the boat left out is named";
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("Cup"));
    EXPECT_EQ(Find<QLineEdit>("Edit18")->text(), QStringLiteral("Second"));
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("race1.txt"));
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("Alpha / alpha.gpx"));
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), QStringLiteral("8"));
    EXPECT_TRUE(Find<QRadioButton>("RadioButton8")->isChecked());
    EXPECT_EQ(Find<QListWidget>("ListBox3")->count(), 0);
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentText(), QString());
    EXPECT_EQ(Find<QLabel>("Label29")->text(), QStringLiteral("(Est Total Play Time= 1min9sec)"));

    // Saving proposes race1_s.txt.
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    dialogs_.inputs.push_back(std::nullopt);
    Click("Button9");
    EXPECT_EQ(dialogs_.calls.back().folder, "race1_s.txt");
}

TEST_F(CompileScreenTest, OpeningARaceTellsOnceOfTheBoatLinesPastTheLastBoat)
{
    std::ofstream race(ws_ / "raceadmin" / "crowd.txt", std::ios::binary);
    for (int i = 1; i <= 90; ++i)
        race << "BN,alpha.gpx,B" << i << "\r\n";
    race.close();
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("crowd"));
    EXPECT_EQ(state_.race.BoatCount, RaceSettings::kMaxBoats);
    EXPECT_EQ(dialogs_.Messages(),
              std::vector<std::string>{"10 boat lines past the 80th are left out: a race holds at most 80 boats"});
}

TEST_F(CompileScreenTest, DropsAreTakenOnlyOnTheCompileScreen)
{
    const fs::path outside = ws_ / "outside";
    fs::create_directories(outside / "folder");
    for (const char* name : {"d1.gpx", "d2.log", "d3.trb", "ALPHA.gpx"})
        std::ofstream(outside / name) << "x";
    auto drop = [this, &outside] {
        QMimeData data;
        QList<QUrl> urls;
        for (const char* name : {"d1.gpx", "d2.log", "d3.trb", "folder", "ALPHA.gpx"})
            urls << QUrl::fromLocalFile(QString::fromStdString((outside / name).string()));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form_.get(), &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form_.get(), &event);
    };
    Start();
    drop();
    EXPECT_TRUE(shell_.copies.empty()) << "the cover takes no files";
    Click("Button2");
    Click("RadioButton10");
    drop();
    ASSERT_EQ(shell_.copies.size(), 4u) << "the folder is skipped";
    EXPECT_EQ(shell_.copies[2].second, ws_.string() + "/gpsdat/d3.trb");
    EXPECT_EQ(shell_.copies[3].second, ws_.string() + "/gpsdat/alpha.GPX") << "replaces the file of that name";
    EXPECT_EQ(beeper_.beeps, 1);
}

TEST_F(CompileScreenTest, AttachmentChooserAndItsCapacity)
{
    for (int i = 0; i < 11; ++i)
        std::ofstream(ws_ / "attachment" / ("doc" + std::to_string(i) + ".pdf")) << "x";
    Start();
    Click("Button2");
    Click("RadioButton10");
    auto* chooser = Find<QListWidget>("FileListBox1");
    Click("Button7");
    EXPECT_FALSE(chooser->isHidden());
    Click("Button7");
    EXPECT_TRUE(chooser->isHidden()) << "twice: shown and hidden, nothing added";
    EXPECT_TRUE(state_.race.AttachmentNames.empty());
    for (int i = 0; i < 11; ++i) {
        Click("Button7");
        ClickEntry("FileListBox1", QStringLiteral("doc"));
    }
    EXPECT_EQ(state_.race.AttachmentNames.size(), 10u);
    EXPECT_EQ(Find<QListWidget>("ListBox3")->count(), 10);
    EXPECT_EQ(dialogs_.Messages().size(), 1u) << "the eleventh is refused";
    Click("Button8");
    EXPECT_TRUE(state_.race.AttachmentNames.empty());
    EXPECT_EQ(Find<QListWidget>("ListBox3")->count(), 0);
}

TEST_F(CompileScreenTest, ShowRacingHandsTheBareName)
{
    std::ofstream(ws_ / "raceadmin" / "race1.txt") << "T1,x\r\n";
    Start();
    Click("Button4");
    EXPECT_EQ(Find<QListWidget>("ListBox8")->count(), 1);
    ClickEntry("ListBox8", QStringLiteral("race1"));
    EXPECT_EQ(ReadFile(ws_ / "ctrl" / "editfile.edt"), "race1.txt\r\n");
    EXPECT_EQ(shell_.started.size(), 1u);
    EXPECT_EQ(state_.ScreenMode, 1);
    EXPECT_TRUE(dialogs_.Messages().empty());

    shell_.succeed = false;  // the viewer cannot start: the user is told why
    Click("Button4");
    ClickEntry("ListBox8", QStringLiteral("race1"));
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{"Cannot start " + ws_.string() + "/tackvue.exe"});
    EXPECT_EQ(state_.ScreenMode, 1);
}

TEST_F(CompileScreenTest, LongEntriesShowWholeAsTheirToolTip)
{
    const std::string long_name = "20240615_Sagami_Bay_Summer_Regatta_race_1_boat_Hayate.gpx";
    std::ofstream(ws_ / "gpsdat" / long_name) << SampleGpx();
    std::ofstream(ws_ / "raceadmin" / "Sagami_Bay_Summer_Regatta_2024_race_1_final.txt") << "T1,x\r\n";
    NewRaceWithBoats({{"alpha", "A"}, {"20240615_Sagami", "Sagami Bay Summer Regatta boat Hayate"}});
    for (QListWidgetItem* entry : Find<QListWidget>("ListBox1")->findItems(QStringLiteral("*"), Qt::MatchWildcard)) {
        if (entry->text().startsWith(QStringLiteral("alpha"))) {
            EXPECT_EQ(entry->toolTip(), QString());
        } else if (entry->text().startsWith(QString::fromStdString(long_name))) {
            EXPECT_EQ(entry->toolTip(), entry->text());
        }
    }
    auto* boats = Find<QListWidget>("ListBox2");
    EXPECT_EQ(boats->item(0)->toolTip(), QString()) << "a short entry keeps the list's own hint";
    EXPECT_EQ(boats->item(1)->toolTip(), boats->item(1)->text());
    // Cut in the middle inside the list, not scrolled out of it.
    form_->show();
    QCoreApplication::processEvents();
    for (auto* list : {Find<QListWidget>("ListBox1"), boats}) {
        EXPECT_LE(list->visualItemRect(list->item(1)).width(), list->viewport()->width());
        EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle);
    }
    dialogs_.answers = {MessageAnswer::Yes};  // leave the unsaved race
    Click("Button10");
    Click("Button4");
    auto* races = Find<QListWidget>("ListBox8");
    ASSERT_EQ(races->count(), 1);
    EXPECT_EQ(races->item(0)->toolTip(), races->item(0)->text());
}

TEST_F(CompileScreenTest, JapaneseCaptionsFillTheCoastlineTiles)
{
    Start({"ＭＳ Ｐゴシック"});
    Click("Button2");
    Click("RadioButton10");
    dialogs_.inputs.push_back(std::string("A"));
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    // 35°20.4' to 35°23.9' N, 139°40.2' to 139°43.7' E: bands 52/53 and 39.
    EXPECT_EQ(state_.race.MapNames, (std::vector<std::string>{"5239", "5339"}));
    EXPECT_EQ(Find<QListWidget>("ListBox7")->count(), 2);
}

} // namespace
} // namespace tackedit
