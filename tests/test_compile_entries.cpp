// The compile screen's race day through its real widgets: the boats from an
// entry list with the tracks chosen in its dialog, and the day split into races.

#include "compile_screen_test.h"
#include "platform/text_codec.h"
#include "screens/compile_screen.h"
#include "screens/entries_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

class RaceDayTest : public CompileScreenTest {
protected:
    // Answers the entries dialog once it is open.
    void WhenEntriesOpen(std::function<void(EntriesDialog&)> answer)
    {
        QTimer::singleShot(0, form_.get(), [this, answer] {
            auto* dialog = form_->findChild<EntriesDialog*>();
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();  // a failed check must not leave the test waiting
        });
    }
    CompileScreen& Screen() { return *form_->findChild<CompileScreen*>(); }
};

TEST_F(RaceDayTest, EntriesSetTheBoatsFromTheFilesChosenAndCancelChangesNothing)
{
    for (const char* name : {"JPN-45.gpx", "spare.gpx"})
        std::ofstream(ws_ / "gpsdat" / name) << SampleGpx();
    std::ofstream(ws_ / "entries.csv") << "Sail No,Boat Name,Class,TCF\n"
                                          "JPN 45,Bravo,J24,1.01\n"
                                          "JPN 7,Alpha,J24,0.98\n"
                                          ",,J24,1\n"
                                          "GBR 12,Team 1,Laser,\n"
                                          "JPN 99,Charlie,Laser,1.1\n"
                                          "JPN 3,Delta,,\n";
    Start();
    Click("Button2");
    Click("RadioButton10");

    // A list that does not read is named; a cancelled dialog leaves the race as it was.
    dialogs_.paths.push_back((ws_ / "none.csv").string());
    Click("ButtonEntries");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("none.csv"), std::string::npos);
    dialogs_.paths.push_back((ws_ / "entries.csv").string());
    WhenEntriesOpen([](EntriesDialog& dialog) { dialog.reject(); });
    Click("ButtonEntries");
    EXPECT_EQ(state_.race.BoatCount, 0);
    EXPECT_FALSE(Screen().HasUnsavedChanges());

    dialogs_.paths.push_back((ws_ / "entries.csv").string());
    WhenEntriesOpen([](EntriesDialog& dialog) {
        ASSERT_EQ(dialog.Table()->rowCount(), 5) << "the row with no sail and no boat is no entry";
        EXPECT_EQ(dialog.FileBox(0)->currentText(), QStringLiteral("JPN-45.gpx"));
        EXPECT_EQ(dialog.FileBox(1)->currentText(), QStringLiteral("alpha.GPX"));
        EXPECT_EQ(dialog.FileBox(2)->currentText(), QStringLiteral("20240615_TEAM1.gpx"));
        EXPECT_EQ(dialog.FileBox(3)->currentText(), QStringLiteral("(none)"));
        const QString notes = dialog.Notes()->toPlainText();
        for (const char* said : {"Charlie", "spare.gpx", "line 4"})
            EXPECT_TRUE(notes.contains(QLatin1String(said))) << said << " in " << notes.toStdString();
        // A boat Save Data would drop, and two boats on one track, are refused;
        // the dialog stays for another choice.
        dialog.FileBox(4)->setCurrentText(QStringLiteral("spare.gpx"));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        dialog.FileBox(4)->setCurrentIndex(0);
        dialog.FileBox(3)->setCurrentText(QStringLiteral("alpha.GPX"));
        EXPECT_EQ(dialog.Table()->item(3, 5)->text(), QStringLiteral("chosen by hand"));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        dialog.FileBox(1)->setCurrentIndex(0);
        dialog.FileBox(3)->setCurrentText(QStringLiteral("spare.gpx"));
        dialog.accept();
    });
    Click("ButtonEntries");
    ASSERT_EQ(dialogs_.Messages().size(), 3u);
    EXPECT_NE(dialogs_.Messages()[1].find("Delta has no class"), std::string::npos);
    EXPECT_NE(dialogs_.Messages()[2].find("both have alpha.GPX"), std::string::npos);

    const RaceSettings& race = state_.race;
    ASSERT_EQ(race.BoatCount, 3);
    EXPECT_EQ(race.ClassNames, (std::vector<std::string>{"J24", "Laser"}));
    EXPECT_EQ(race.BoatName, (std::vector<std::string>{"Bravo", "Team 1", "Charlie"}));
    EXPECT_EQ(race.BoatGpsFile, (std::vector<std::string>{"JPN-45.gpx", "20240615_TEAM1.gpx", "spare.gpx"}));
    EXPECT_EQ(race.BoatClass, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(race.BoatTcf, (std::vector<double>{1.01, 0, 1.1}));
    EXPECT_EQ(Find<QListWidget>("ListBox2")->count(), 3);
    EXPECT_EQ(Find<QLabel>("Label22")->text(), QStringLiteral("3 boats"));
    EXPECT_TRUE(Screen().HasUnsavedChanges());
    EXPECT_TRUE(fs::is_empty(ws_ / "raceadmin")) << "nothing is written before Save Data";

    Find<QLineEdit>("Edit1")->setText(QStringLiteral("Day"));
    dialogs_.inputs.push_back(std::string("day"));
    dialogs_.answers.push_back(MessageAnswer::No);  // normal mode
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Click("Button9");
    const std::string text = Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "day.txt"));
    EXPECT_NE(text.find("CLSN,J24\r\nBN,JPN-45.gpx,Bravo,1.01\r\nCLSN,Laser\r\nBN,20240615_TEAM1.gpx,Team 1\r\n"
                        "BN,spare.gpx,Charlie,1.1\r\n"),
              std::string::npos)
        << text;
}

TEST_F(RaceDayTest, SplitWritesThePlannedRacesOnlyOnConfirmation)
{
    std::ofstream(ws_ / "raceadmin" / "day.txt", std::ios::binary)
        << "T1,Day\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:29:00\r\nTD,9\r\nBN,alpha.GPX,Alpha\r\n";
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("day"));
    auto* title = Find<QLineEdit>("Edit1");
    title->setText(QStringLiteral("Changed"));
    Click("ButtonSplit");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("Save the race first"), std::string::npos);
    title->setText(QStringLiteral("Day"));

    const auto written = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(ws_ / "raceadmin"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    // A bad time is said and asked again; No at the plan writes nothing.
    for (const char* typed : {"10:05, 10:6", "60", "10:05, 10:15", "60"})
        dialogs_.inputs.push_back(std::string(typed));
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("ButtonSplit");
    EXPECT_NE(dialogs_.Messages().back().find("10:6"), std::string::npos);
    EXPECT_EQ(dialogs_.calls[dialogs_.calls.size() - 3].folder, "10:05, 10:6") << "asked again with what was typed";
    EXPECT_NE(dialogs_.calls.back().text.find("day-R1.txt   10:05:00 - 10:15:00\nday-R2.txt   10:15:00 - 11:15:00"),
              std::string::npos)
        << dialogs_.calls.back().text;
    EXPECT_EQ(written(), std::vector<std::string>{"day.txt"});

    for (const char* typed : {"10:05, 10:15", "30"})
        dialogs_.inputs.push_back(std::string(typed));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("ButtonSplit");
    EXPECT_EQ(written(), (std::vector<std::string>{"day-R1.txt", "day-R2.txt", "day.txt"}));
    const std::string r2 = ReadFile(ws_ / "raceadmin" / "day-R2.txt");
    EXPECT_NE(r2.find("ST,2024/06/15 10:15:00\r\nFT,2024/06/15 10:45:00\r\n"), std::string::npos) << r2;
    EXPECT_NE(Find<QComboBox>("ComboBox1")->findText(QStringLiteral("day-R1.txt")), -1) << "the list is refreshed";

    // A file of a planned name is never replaced: said, and asked again.
    for (const char* typed : {"10:05", "60"})
        dialogs_.inputs.push_back(std::string(typed));
    dialogs_.inputs.push_back(std::nullopt);
    Click("ButtonSplit");
    EXPECT_NE(dialogs_.Messages().back().find("exists"), std::string::npos);
    EXPECT_EQ(written().size(), 3u);

    // Starts the tracks do not give are said, and nothing is proposed or written.
    const std::size_t asked = dialogs_.calls.size();
    Click("ButtonFindStarts");
    EXPECT_NE(dialogs_.Messages().back().find("no start found"), std::string::npos) << dialogs_.Messages().back();
    EXPECT_EQ(dialogs_.calls.size(), asked + 1) << "only the error";
    EXPECT_EQ(written().size(), 3u);
}

} // namespace
} // namespace tackedit
