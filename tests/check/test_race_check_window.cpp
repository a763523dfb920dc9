#include "screens/race_check_window.h"
#include "check/track_shift.h"
#include "window_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

constexpr int kFixColumn = 2;
constexpr int kCoverageColumn = 7;

// Every 10 s from 00:55 to 01:35 UTC, `hours` later when the logger's clock was off.
std::string Gpx(int hours)
{
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int s = 0; s <= 2400; s += 10) {
        char line[200];
        const int t = 55 * 60 + s;
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.6f\" lon=\"139.5\"><time>2024-06-15T%02d:%02d:%02dZ</time></trkpt>\n",
                      35.3 + s * 0.00003, t / 3600 + hours, t / 60 % 60, t % 60);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

class RaceCheckWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        std::ofstream(ws_ / "gpsdat" / "team1.gpx") << Gpx(0);
        std::ofstream(ws_ / "gpsdat" / "phone.track.gpx") << Gpx(9);  // local time written as UTC
        std::ofstream(ws_ / "tackvue.exe") << "viewer";
        zone_.bias = -540;
        Start(Fonts());
        NewRace({"Team", "Phone"});
        Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2024, 6, 15));
        Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(10, 0));
        Find<QDateEdit>("DateTimePicker3")->setDate(QDate(2024, 6, 15));
        Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(10, 30));
    }
    virtual std::vector<std::string> Fonts() const { return {"DejaVu Sans"}; }

    // From the cover: the first boat presets the start, the finish and the maps.
    void NewRace(std::initializer_list<const char*> boats)
    {
        Click("Button2");
        Click("RadioButton10");
        for (const char* name : boats) {
            dialogs_.inputs.push_back(std::string(name));
            ClickEntry("ListBox1", QString::fromLatin1(name[0] == 'T' ? "team1" : "phone"));
        }
    }

    // The message of the first finding about `subject` that holds `text`, or "".
    std::string FindingWith(const char* subject, const char* text)
    {
        const auto* findings = Find<QTableWidget>("FindingsTable");
        for (int row = 0; findings && row < findings->rowCount(); ++row)
            if (findings->item(row, 1)->text() == QString::fromUtf8(subject) &&
                findings->item(row, 2)->text().contains(QString::fromUtf8(text)))
                return findings->item(row, 2)->text().toStdString();
        return "";
    }

    RaceCheckWindow* CheckRace()
    {
        Click("ButtonCheckRace");
        return Find<RaceCheckWindow>("RaceCheckWindow");
    }
};

TEST_F(RaceCheckWindowTest, FindingsOfTheScreenValuesWithoutTouchingTheRace)
{
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("Spring Cup"));
    const std::string title_before = state_.race.Title1;
    RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(state_.race.Title1, title_before) << "the check reads the screen into a copy";
    EXPECT_FALSE(fs::exists(ws_ / "raceadmin")) << "and writes nothing";
    EXPECT_FALSE(cursor_.busy);

    auto* findings = Find<QTableWidget>("FindingsTable");
    int error_rows = 0;
    for (int row = 0; row < findings->rowCount(); ++row)
        if (findings->item(row, 0)->text() == QStringLiteral("error")) {
            ++error_rows;
            EXPECT_EQ(findings->item(row, 1)->text(), QStringLiteral("Phone"));
            EXPECT_TRUE(findings->item(row, 2)->text().contains(QStringLiteral("times look 9 hours late")));
            EXPECT_EQ(findings->item(row, 2)->background().color(), QColor(255, 205, 205));
            EXPECT_FALSE(findings->item(row, 0)->icon().isNull());
        }
    EXPECT_EQ(error_rows, 1);
    auto* boats = Find<QTableWidget>("BoatsTable");
    ASSERT_EQ(boats->rowCount(), 2);
    EXPECT_EQ(boats->item(0, kCoverageColumn)->text(), QStringLiteral("100.0%"));
    EXPECT_EQ(boats->cellWidget(0, kFixColumn), nullptr);
    EXPECT_EQ(boats->cellWidget(1, kFixColumn)->objectName(), QStringLiteral("FixButton2"));

    // At the window's first size the shift and its Fix show without scrolling.
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(960, 600));
    const QRect visible = boats->viewport()->rect();
    EXPECT_TRUE(visible.contains(boats->cellWidget(1, kFixColumn)->geometry()))
        << boats->cellWidget(1, kFixColumn)->geometry().x() << " of " << visible.width();
    EXPECT_TRUE(visible.contains(boats->visualItemRect(boats->item(1, 1))));
    EXPECT_TRUE(boats->item(1, 1)->text().startsWith(QStringLiteral("-9 h")));

    Find<QLineEdit>("Edit8")->setText(QStringLiteral("4,7"));
    Click("ButtonCheckRace");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("LOA"), std::string::npos) << dialogs_.Messages()[0];
    EXPECT_FALSE(cursor_.busy);

    dialogs_.answers = {MessageAnswer::Yes};  // leave the unsaved race
    Click("Button10");  // back to the cover: the findings go with the screen
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RaceCheckWindowTest, FixWritesTheShiftedCopyAndPointsTheBoatAtIt)
{
    // Not this track's copy, and the file of another boat (identical, as the
    // mended clock makes it Team's track): neither is replaced nor shared.
    std::ofstream(ws_ / "gpsdat" / "PHONE_shifted.trb") << "older copy";
    const fs::path team = ws_ / "gpsdat" / "phone_shifted_2.trb";
    WriteShiftedCopy((ws_ / "gpsdat" / "team1.gpx").string(), team.string(), 0);
    const std::string team_track = ReadFile(team);
    state_.race.BoatGpsFile[0] = "phone_shifted_2.trb";
    RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);
    const auto asked = dialogs_.calls.size();

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("FixButton2")), Qt::LeftButton);
    EXPECT_EQ(dialogs_.calls.size(), asked) << "nothing to ask: no file is replaced";
    EXPECT_EQ(ReadFile(ws_ / "gpsdat" / "PHONE_shifted.trb"), "older copy");
    EXPECT_EQ(ReadFile(team), team_track);
    EXPECT_EQ(fs::file_size(ws_ / "gpsdat" / "phone_shifted_3.trb"), 241u * 12);
    EXPECT_EQ(state_.race.BoatGpsFile[1], "phone_shifted_3.trb");
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(1)->text(), QStringLiteral("Phone / phone_shifted_3.trb"));
    EXPECT_EQ(ReadFile(ws_ / "gpsdat" / "phone.track.gpx"), Gpx(9)) << "the original stays";

    // Mended again from the original, the identical copy is used.
    state_.race.BoatGpsFile[1] = "phone.track.gpx";
    window->RunCheck();
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("FixButton2")), Qt::LeftButton);
    EXPECT_EQ(state_.race.BoatGpsFile[1], "phone_shifted_3.trb");
    EXPECT_FALSE(fs::exists(ws_ / "gpsdat" / "phone_shifted_4.trb"));

    // The check ran again on the mended race.
    EXPECT_EQ(window->Result().Count(Severity::Error), 0);
    EXPECT_FALSE(window->Result().boats[1].shift_seconds);
    EXPECT_EQ(Find<QTableWidget>("BoatsTable")->cellWidget(1, kFixColumn), nullptr);
    EXPECT_EQ(Find<QLabel>("SummaryLabel")->text(), QStringLiteral("No errors or warnings."));
}

TEST_F(RaceCheckWindowTest, ClocksYearsOrRolloversOffAreFixedInTheWindow)
{
    // Ten years (three leap days) early and eight hours late; 1024 weeks early.
    std::string decade = Gpx(8), rolled = Gpx(0);
    for (std::size_t at; (at = decade.find("2024-06-15")) != std::string::npos;)
        decade.replace(at, 10, "2014-06-15");
    for (std::size_t at; (at = rolled.find("2024-06-15")) != std::string::npos;)
        rolled.replace(at, 10, "2004-10-30");
    std::ofstream(ws_ / "gpsdat" / "phone.track.gpx") << decade;
    std::ofstream(ws_ / "gpsdat" / "team1.gpx") << rolled;
    RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);
    auto* boats = Find<QTableWidget>("BoatsTable");
    EXPECT_EQ(boats->item(0, 1)->text(), QStringLiteral("+1024 weeks (1024 weeks early)"));
    EXPECT_EQ(boats->item(1, 1)->text(), QStringLiteral("+315590400 s (10 years early and 8 hours late)"));
    EXPECT_NE(FindingWith("Phone", "10 years early and 8 hours late"), "");

    for (const char* fix : {"FixButton1", "FixButton2"})
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(fix)), Qt::LeftButton);
    EXPECT_EQ(state_.race.BoatGpsFile[0], "team1_shifted.trb");
    EXPECT_EQ(state_.race.BoatGpsFile[1], "phone_shifted.trb");
    EXPECT_EQ(window->Result().Count(Severity::Error), 0);
}

TEST_F(RaceCheckWindowTest, BoatsTheReaderLeftOutAreErrorsUntilPutBack)
{
    fs::create_directories(ws_ / "raceadmin");
    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary)
        << "T1,Cup\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:30:00\r\nTD,9\r\n"
           "BN,gone.gpx,Ghost\r\nBN,team1.gpx,Team\r\n";
    dialogs_.answers = {MessageAnswer::Yes};  // leave the race of the set-up
    Click("Button10");
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("race1"));
    ASSERT_EQ(state_.race.BoatCount, 1);

    RaceCheckWindow* window = CheckRace();
    EXPECT_EQ(Find<QLabel>("SummaryLabel")->text(), QStringLiteral("1 error(s), 0 warning(s)."));
    EXPECT_EQ(FindingWith("Ghost", "Line 5"),
              std::string("Line 5 of the race file is left out: the GPS file gone.gpx is not in gpsdat/"));
    ASSERT_EQ(window->Result().boats.size(), 2u);
    EXPECT_EQ(window->Result().boats[0].name, "Ghost") << "in its place in the file";

    // The file copied in and the boat added again: it is a boat of the race now.
    std::ofstream(ws_ / "gpsdat" / "gone.gpx") << Gpx(0);
    Click("RadioButton13");  // lists gpsdat/ again
    dialogs_.inputs.push_back(std::string("Ghost"));
    ClickEntry("ListBox1", QStringLiteral("gone"));
    Click("ButtonCheckRace");
    EXPECT_EQ(window->Result().Count(Severity::Error), 0);
    EXPECT_EQ(window->Result().boats.size(), 2u);
}

// Behind a boat the reader left out, so the check's boat 2 is the race's boat 1.
TEST_F(RaceCheckWindowTest, ACleanedTrackIsUsedAndAFindingsTrackOpensInTheEditor)
{
    fs::create_directories(ws_ / "raceadmin");
    std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary)
        << "ST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:30:00\r\nTD,9\r\n"
           "BN,gone.gpx,Ghost\r\nBN,team1.gpx,Team,0.9,60,1\r\n";
    dialogs_.answers = {MessageAnswer::Yes};  // leave the race of the set-up
    Click("Button10");
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("race1"));
    std::ofstream(ws_ / "gpsdat" / "team1_s.gpx") << Gpx(0);

    RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(FindingWith("Team", "team1_s.gpx in gpsdat/ is this boat's track cleaned"), "");
    auto* use = window->findChild<QPushButton*>(QStringLiteral("UseFileButton2"));
    ASSERT_NE(use, nullptr);
    QTest::mouseClick(use, Qt::LeftButton);
    EXPECT_EQ(state_.race.BoatGpsFile[0], "team1_s.gpx");
    EXPECT_EQ(state_.race.BoatTcf[0], 0.9);
    EXPECT_EQ(state_.race.BoatStartOffset[0], 60);
    EXPECT_EQ(Find<QTableWidget>("BoatsTable")->cellWidget(1, kFixColumn), nullptr) << "checked again";

    auto* edit = window->findChild<QPushButton*>(QStringLiteral("EditTrackButton"));
    auto* findings = Find<QTableWidget>("FindingsTable");
    findings->selectRow(0);  // the race's own finding: no track
    EXPECT_FALSE(edit->isEnabled());
    for (int row = 0; row < findings->rowCount(); ++row)
        if (findings->item(row, 1)->text() == QStringLiteral("Team"))
            findings->selectRow(row);
    ASSERT_TRUE(edit->isEnabled());
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(state_.ScreenMode, 22);
    EXPECT_EQ(fs::path(state_.edit.CurrentTrackFile).filename(), "team1_s.gpx");
    EXPECT_FALSE(window->isVisible());
    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 3) << "Back returns to the race";
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("Team / team1_s.gpx"));
}

TEST_F(RaceCheckWindowTest, AFirstBoatWithAWrongClockIsNamedWhileItsTimesStand)
{
    dialogs_.answers = {MessageAnswer::Yes};  // leave the race of the set-up
    Click("Button10");
    NewRace({"Phone", "Team"});  // the phone, 9 hours late, presets the race
    CheckRace();
    EXPECT_EQ(FindingWith("race", "preset"), std::string("The start and finish were preset from the track of Phone (phone.track.gpx), "
                                      "and the other boat's times look 9 hours early: are Phone's times 9 hours "
                                      "late? Then set the start and finish 9 hours earlier and check again"));

    // Set by hand, the times are no longer the preset's: the phone is the odd one.
    Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(10, 0));
    Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(10, 30));
    Click("ButtonCheckRace");
    EXPECT_EQ(FindingWith("race", "preset"), "");
    EXPECT_NE(FindingWith("Phone", "9 hours late"), "");
}

class JapaneseRaceCheckWindowTest : public RaceCheckWindowTest {
protected:
    std::vector<std::string> Fonts() const override { return {"ＭＳ Ｐゴシック"}; }
};

TEST_F(JapaneseRaceCheckWindowTest, MissingPresetMapsSayWhereTheyCameFromAndGoByShiftClick)
{
    ASSERT_EQ(state_.race.MapNames, (std::vector<std::string>{"5239", "5339"}));
    const RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("レースチェック"));
    EXPECT_EQ(FindingWith("レース", "「5239」"),
              std::string("海岸線地図「5239」が coastline/ にありません（5239 または 5239.cst として）。"
                          "先頭艇の航跡（team1.gpx）の範囲から設定された地図です。Map Name のリストで Shift+クリックすると"
                          "外せます。または地図を coastline/ にコピーしてください"));
    EXPECT_EQ(Find<QTableWidget>("FindingsTable")->item(0, 0)->text(), QString::fromUtf8("情報"));

    ClickEntry("ListBox7", QStringLiteral("5239"), Qt::ShiftModifier);
    EXPECT_EQ(state_.race.MapNames, std::vector<std::string>{"5339"});
    EXPECT_EQ(Find<QListWidget>("ListBox7")->count(), 1);
    Click("ButtonCheckRace");
    EXPECT_EQ(FindingWith("レース", "「5239」"), "");
    EXPECT_NE(FindingWith("レース", "「5339」"), "");
}

TEST_F(JapaneseRaceCheckWindowTest, AWatchFileIsAnErrorOnlyWhileTheSaveWouldNotMakeItsTrbCopy)
{
    std::ofstream(ws_ / "gpsdat" / "watch.fit") << "read or not, the viewer cannot";
    state_.race.AddBoat("watch.fit", "Watch");
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    CheckRace();
    EXPECT_EQ(FindingWith("Watch", "ビューア"),
              std::string("ビューアはGPSファイル watch.fit を読めません。「Minimize GPS file size」をチェックして"
                          "保存すると、TRBに変換したファイルをビューアに渡します"));
    Find<QCheckBox>("CheckBox2")->setChecked(true);
    Click("ButtonCheckRace");
    EXPECT_EQ(FindingWith("Watch", "ビューア"), "");
}

} // namespace
} // namespace tackedit
