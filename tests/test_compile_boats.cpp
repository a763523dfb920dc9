// The boat list's editing: a boat's values in its dialog, another track for a
// boat, and removal that asks first.

#include "compile_screen_test.h"
#include "platform/text_codec.h"
#include "screens/boat_dialog.h"
#include "screens/compile_screen.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace tackedit {
namespace {

class BoatListTest : public CompileScreenTest {
protected:
    // Opens a saved race whose first boat has a TCF, an offset and is not entered.
    CompileScreen& OpenRace()
    {
        std::ofstream(ws_ / "raceadmin" / "r.txt", std::ios::binary)
            << "ST,2024/06/15 10:05:00\r\nFT,2024/06/15 10:25:00\r\n"
               "BN,alpha.GPX,Alpha,1.01,120,2\r\nBN,20240615_TEAM1.gpx,Team\r\n";
        Start();
        auto& screen = *form_->findChild<CompileScreen*>();
        EXPECT_TRUE(screen.OpenRace("r.txt"));
        EXPECT_FALSE(screen.HasUnsavedChanges());
        return screen;
    }
    void WhenBoatDialogOpens(std::function<void(BoatDialog&)> answer)
    {
        QTimer::singleShot(0, form_.get(), [this, answer] {
            auto* dialog = form_->findChild<BoatDialog*>();
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }
    template <class T>
    static T* Field(BoatDialog& dialog, const char* name)
    {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }
};

TEST_F(BoatListTest, EditedValuesAreSavedOnTheBoatsLine)
{
    CompileScreen& screen = OpenRace();
    Find<QListWidget>("ListBox2")->setCurrentRow(1);
    WhenBoatDialogOpens([](BoatDialog& dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "BoatName")->text(), QStringLiteral("Team"));
        Field<QLineEdit>(dialog, "BoatTcf")->setText(QStringLiteral("x"));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << "a TCF that is no number keeps the dialog open";
        Field<QLineEdit>(dialog, "BoatTcf")->setText(QStringLiteral("0.95"));
        Field<QSpinBox>(dialog, "BoatStartOffset")->setValue(300);
        Field<QCheckBox>(dialog, "BoatShown")->setChecked(false);
        dialog.accept();
    });
    Click("ButtonBoat");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_TRUE(screen.HasUnsavedChanges());

    Find<QCheckBox>("CheckBox2")->setChecked(false);
    dialogs_.inputs.push_back(std::string("r2"));
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button9");
    const std::string text = Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "r2.txt"));
    EXPECT_NE(text.find("BN,alpha.GPX,Alpha,1.01,120,2\r\nBN,20240615_TEAM1.gpx,Team,0.95,300,1\r\n"),
              std::string::npos)
        << text;
}

TEST_F(BoatListTest, ReplacingATrackKeepsTheBoatAndRemovingAsks)
{
    std::ofstream(ws_ / "gpsdat" / "alpha_s.trb") << "x";
    CompileScreen& screen = OpenRace();
    auto* boats = Find<QListWidget>("ListBox2");
    boats->setCurrentRow(0);
    dialogs_.paths.push_back((ws_ / "raceadmin" / "r.txt").string());
    Click("ButtonReplaceTrack");
    ASSERT_EQ(dialogs_.Messages().size(), 1u) << "a file outside gpsdat is refused";
    EXPECT_EQ(state_.race.BoatGpsFile[0], "alpha.GPX");
    EXPECT_FALSE(screen.HasUnsavedChanges());

    dialogs_.paths.push_back((ws_ / "gpsdat" / "alpha_s.trb").string());
    Click("ButtonReplaceTrack");
    EXPECT_EQ(state_.race.BoatGpsFile, (std::vector<std::string>{"alpha_s.trb", "20240615_TEAM1.gpx"}));
    EXPECT_EQ(state_.race.BoatName[0], "Alpha");
    EXPECT_EQ(state_.race.BoatTcf[0], 1.01);
    EXPECT_EQ(state_.race.BoatStartOffset[0], 120);
    EXPECT_EQ(state_.race.BoatEntered[0], 0);
    EXPECT_EQ(boats->item(0)->text(), QStringLiteral("Alpha / alpha_s.trb"));
    EXPECT_TRUE(screen.HasUnsavedChanges());

    dialogs_.answers = {MessageAnswer::No};
    ClickEntry("ListBox2", QStringLiteral("Alpha"), Qt::ShiftModifier);
    EXPECT_EQ(state_.race.BoatCount, 2) << "No keeps the boat";
    EXPECT_NE(dialogs_.calls.back().text.find("Alpha (alpha_s.trb)"), std::string::npos);
    dialogs_.answers = {MessageAnswer::Yes};
    ClickEntry("ListBox2", QStringLiteral("Alpha"), Qt::ShiftModifier);
    EXPECT_EQ(state_.race.BoatName, (std::vector<std::string>{"Team"}));
}

TEST_F(BoatListTest, EditTrackGoesToTheEditorAndBackAndTheCleanedTrackIsOfferedForTheBoat)
{
    CompileScreen& screen = OpenRace();
    form_->show();
    Find<QListWidget>("ListBox2")->setCurrentRow(0);
    Click("ButtonEditTrack");
    ASSERT_EQ(state_.ScreenMode, 22);
    EXPECT_EQ(std::filesystem::path(state_.edit.CurrentTrackFile).filename(), "alpha.GPX");

    dialogs_.answers = {MessageAnswer::Yes, MessageAnswer::Yes};  // save, and use it
    Click("Button29");
    ASSERT_EQ(dialogs_.calls.size(), 3u);
    EXPECT_EQ(dialogs_.calls[1].text, "Use alpha_s.trb for Alpha in the race?");
    EXPECT_NE(dialogs_.calls[2].text.find("Save Data writes it"), std::string::npos);
    EXPECT_EQ(state_.race.BoatGpsFile, (std::vector<std::string>{"alpha_s.trb", "20240615_TEAM1.gpx"}));
    EXPECT_EQ(state_.race.BoatName[0], "Alpha");
    EXPECT_EQ(state_.race.BoatTcf[0], 1.01);
    EXPECT_EQ(state_.race.BoatStartOffset[0], 120);
    EXPECT_EQ(state_.race.BoatEntered[0], 0);
    dialogs_.answers = {MessageAnswer::Yes};
    Click("Button29");
    EXPECT_EQ(dialogs_.calls.size(), 4u) << "saved again: the race has it already";

    // Closing from the editor leaves the race's change behind too: it asks.
    dialogs_.answers = {MessageAnswer::No};
    form_->close();
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(dialogs_.calls.back().text, "The race has not been saved. Leave without saving?");

    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 3);
    EXPECT_TRUE(screen.HasUnsavedChanges());
    EXPECT_EQ(Find<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("Alpha / alpha_s.trb"));

    // No changes nothing.
    Find<QListWidget>("ListBox2")->setCurrentRow(1);
    Click("ButtonEditTrack");
    dialogs_.answers = {MessageAnswer::Yes, MessageAnswer::No};
    Click("Button30");
    EXPECT_EQ(dialogs_.calls.back().text, "Use 20240615_TEAM1_s.gpx for Team in the race?");
    EXPECT_EQ(state_.race.BoatGpsFile[1], "20240615_TEAM1.gpx");
    EXPECT_TRUE(std::filesystem::exists(ws_ / "gpsdat" / "20240615_TEAM1_s.gpx"));
}

} // namespace
} // namespace tackedit
