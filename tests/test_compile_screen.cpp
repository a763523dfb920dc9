// The compile screen through its real widgets: a new race and its defaults,
// boats added and removed, races opened, the lists and their tooltips, drops,
// attachments, maps and the replay. Save Data is in test_compile_save.cpp.

#include "compile_screen_test.h"
#include "screens/compile_screen.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

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

TEST_F(CompileScreenTest, SaveAsOneFileWritesTheScreensReplayWhereTheDialogSays)
{
    NewRaceWithBoats({{"20240615_TEAM1.gpx", "Team One"}});
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("One File"));
    auto* save = Find<QAction>("ActionReplayOneFile");
    ASSERT_NE(save, nullptr);
    fs::create_directories(ws_ / "out");
    dialogs_.paths = {std::nullopt, (ws_ / "out/race").string(), (ws_ / "raceadmin/race.html").string()};
    save->trigger();  // cancelled
    EXPECT_TRUE(fs::is_empty(ws_ / "out"));
    save->trigger();
    const std::string page = ReadFile(ws_ / "out/race.html");
    EXPECT_NE(page.find("\"title1\":\"One File\""), std::string::npos) << "the screen's values, .html added";
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("out/race.html"), std::string::npos);
    save->trigger();  // among the race files: refused and said
    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_NE(dialogs_.Messages()[1].find("raceadmin"), std::string::npos) << dialogs_.Messages()[1];
    EXPECT_TRUE(fs::is_empty(ws_ / "raceadmin"));
    EXPECT_FALSE(cursor_.busy);
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

TEST_F(CompileScreenTest, ShiftClickRemovesTheBoatOfTheRow)
{
    NewRaceWithBoats({{"alpha", "A"}, {"alpha", "AB"}, {"20240615", "C"}});
    dialogs_.answers = {MessageAnswer::Yes};
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
        // Every file's tooltip: its whole name and its first fix.
        if (entry->text().startsWith(QString::fromStdString(long_name))) {
            EXPECT_TRUE(entry->toolTip().startsWith(QString::fromStdString(long_name) + QStringLiteral("\n")));
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
