// The demo's race day as a race officer runs it in the window, in each language:
// the boats from the entry list, the day split at the starts the tracks give,
// each race checked and replayed. Every step must end in a result or a message
// that says what to do; none may leave the officer stuck.

#include "window_test.h"
#include "platform/text_codec.h"
#include "screens/compile_screen.h"
#include "screens/entries_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

class RaceDayWindowTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        fs::copy(TACKEDIT_DEMO_DIR, ws_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        zone_.bias = -540;
        Start({GetParam()});
    }

    bool Japanese() const { return state_.UiLanguage == 0; }
    CompileScreen& Screen() { return *form_->findChild<CompileScreen*>(); }

    void OpenRace(const char* file)
    {
        if (state_.ScreenMode != 1)
            Click("Button10");
        Click("Button2");
        Click("RadioButton11");
        ClickEntry("ListBox4", QString::fromLatin1(file));
        ASSERT_EQ(state_.RaceFileName, file);
    }

    // Messages shown since `from`, for the failure output.
    std::string MessagesSince(std::size_t from) const
    {
        std::string text;
        for (std::size_t i = from; i < dialogs_.calls.size(); ++i)
            text += dialogs_.calls[i].kind + ": " + dialogs_.calls[i].text + "\n";
        return text;
    }
};

TEST_P(RaceDayWindowTest, FromEntryListToCheckedAndReplayedRaces)
{
    EXPECT_EQ(Japanese(), std::string(GetParam()) != "DejaVu Sans");
    OpenRace("race_day.txt");

    // The entry list gives the boats and finds their day-long logs.
    dialogs_.paths.push_back((ws_ / "raceadmin" / "entries_2024-06-16.csv").string());
    QTimer::singleShot(0, form_.get(), [this] {
        auto* dialog = form_->findChild<EntriesDialog*>();
        ASSERT_NE(dialog, nullptr);
        dialog->accept();
    });
    Click("ButtonEntries");
    ASSERT_EQ(state_.race.BoatCount, 8) << MessagesSince(0);
    EXPECT_EQ(state_.race.BoatGpsFile[0], "JPN4512.vkx");

    // Saved as it is (no conversion), in the normal mode.
    Find<QCheckBox>("CheckBox2")->setChecked(false);
    dialogs_.inputs.push_back(std::string("race_day.txt"));
    dialogs_.answers.push_back(MessageAnswer::Yes);  // overwrite
    dialogs_.answers.push_back(MessageAnswer::No);   // normal mode
    Click("Button9");
    EXPECT_EQ(state_.ScreenMode, 1) << MessagesSince(0);
    ASSERT_EQ(shell_.started.size(), 1u) << "the viewer is started";

    // The race timer's start events give the three starts; confirmed, three races.
    OpenRace("race_day.txt");
    const std::size_t before_split = dialogs_.calls.size();
    dialogs_.on_call = [this](const FakeDialogs::Call& call) {
        if (call.kind == "input")
            dialogs_.inputs.push_back(call.folder);  // the proposal as it stands
    };
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("ButtonFindStarts");
    dialogs_.on_call = nullptr;
    const std::string said = MessagesSince(before_split);
    EXPECT_NE(said.find("race_day-R2.txt   11:30:00 - 12:30:00"), std::string::npos) << said;
    for (const char* race : {"race_day-R1.txt", "race_day-R2.txt", "race_day-R3.txt"})
        EXPECT_TRUE(fs::exists(ws_ / "raceadmin" / race)) << race << "\n" << said;

    // Each race opens with its boats, is checked in its own window and
    // replayed; with no browser the message gives the page to open by hand.
    OpenRace("race_day-R2.txt");
    EXPECT_EQ(state_.race.BoatCount, 8);
    Click("ButtonCheckRace");
    EXPECT_NE(form_->findChild<QWidget*>(QStringLiteral("RaceCheckWindow")), nullptr);
    shell_.succeed = false;
    const std::size_t before_replay = dialogs_.calls.size();
    Click("ButtonReplay");
    const std::string replay = MessagesSince(before_replay);
    EXPECT_NE(replay.find((ws_ / "ctrl" / "replay").string()), std::string::npos) << replay;
    EXPECT_TRUE(fs::exists(ws_ / "ctrl" / "replay" / "index.html"));
    EXPECT_TRUE(fs::exists(ws_ / "ctrl" / "replay" / "results.html"));
    // The page stays named on the screen, with its folder a click away.
    EXPECT_FALSE(Find<QLabel>("LabelReplayPath")->isHidden());
    EXPECT_EQ(Find<QLabel>("LabelReplayPath")->toolTip().toStdString(), (ws_ / "ctrl" / "replay" / "index.html").string());
    Click("ButtonOpenReplay");
    EXPECT_EQ(shell_.opened.back(), (ws_ / "ctrl" / "replay").string());
    EXPECT_NE(dialogs_.Messages().back().find((ws_ / "ctrl" / "replay").string()), std::string::npos)
        << "a folder that does not open is said, with its path";
}

INSTANTIATE_TEST_SUITE_P(Languages, RaceDayWindowTest, ::testing::Values("DejaVu Sans", "ＭＳ Ｐゴシック"),
                         [](const auto& info) { return info.index == 0 ? "English" : "Japanese"; });

} // namespace
} // namespace tackedit
