#include "check/race_check_window.h"
#include "window_test.h"

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

constexpr int kFixColumn = 11;

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
        Start();
        Click("Button2");
        Click("RadioButton10");
        for (const char* name : {"Team", "Phone"}) {
            dialogs_.inputs.push_back(std::string(name));
            ClickEntry("ListBox1", QString::fromLatin1(name[0] == 'T' ? "team1" : "phone"));
        }
        Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2024, 6, 15));
        Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(10, 0));
        Find<QDateEdit>("DateTimePicker3")->setDate(QDate(2024, 6, 15));
        Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(10, 30));
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
    EXPECT_EQ(boats->item(0, 5)->text(), QStringLiteral("100.0%"));
    EXPECT_EQ(boats->cellWidget(0, kFixColumn), nullptr);
    EXPECT_EQ(boats->cellWidget(1, kFixColumn)->objectName(), QStringLiteral("FixButton2"));

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
    std::ofstream(ws_ / "gpsdat" / "PHONE_shifted.trb") << "older copy";
    RaceCheckWindow* window = CheckRace();
    ASSERT_NE(window, nullptr);

    dialogs_.answers.push_back(MessageAnswer::No);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("FixButton2")), Qt::LeftButton);
    EXPECT_EQ(dialogs_.calls.back().text, "phone_shifted.trb already exists in gpsdat/. Replace it?");
    EXPECT_EQ(ReadFile(ws_ / "gpsdat" / "PHONE_shifted.trb"), "older copy");
    EXPECT_EQ(state_.race.BoatGpsFile[1], "phone.track.gpx");

    dialogs_.answers.push_back(MessageAnswer::Yes);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("FixButton2")), Qt::LeftButton);
    EXPECT_EQ(fs::file_size(ws_ / "gpsdat" / "PHONE_shifted.trb"), 241u * 12);
    EXPECT_FALSE(fs::exists(ws_ / "gpsdat" / "phone_shifted.trb")) << "the existing name is replaced";
    EXPECT_EQ(state_.race.BoatGpsFile[1], "PHONE_shifted.trb");
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(1)->text(), QStringLiteral("Phone / PHONE_shifted.trb"));
    EXPECT_EQ(ReadFile(ws_ / "gpsdat" / "phone.track.gpx"), Gpx(9)) << "the original stays";

    // The check ran again on the mended race.
    EXPECT_EQ(window->Result().Count(Severity::Error), 0);
    EXPECT_FALSE(window->Result().boats[1].shift_seconds);
    EXPECT_EQ(Find<QTableWidget>("BoatsTable")->cellWidget(1, kFixColumn), nullptr);
    EXPECT_EQ(Find<QLabel>("SummaryLabel")->text(), QStringLiteral("No errors or warnings."));
}

} // namespace
} // namespace tackedit
