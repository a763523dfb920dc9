// The demo's race day as a race officer runs it in the window, in each language:
// the boats from the entry list, the day split at the starts the tracks give,
// each race checked and replayed. Every step must end in a result or a message
// that says what to do; none may leave the officer stuck.

#include "window_test.h"
#include "platform/text_codec.h"
#include "screens/compile_screen.h"
#include "screens/entries_dialog.h"
#include "screens/race_map.h"
#include "screens/video_dialog.h"

#include <QAction>
#include <QListWidget>
#include <QTableWidget>

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

    // Each race opens with its boats on the map, is checked in its own window
    // and scored; with no browser the replay's message gives the page to open.
    OpenRace("race_day-R2.txt");
    EXPECT_EQ(state_.race.BoatCount, 8);
    auto* map = form_->findChild<RaceMapView*>(QStringLiteral("RaceMap"));
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([map] { return !map->Busy(); }, 60000));
    int hayate = 0;
    for (int y = 0; y < map->Picture().height(); ++y)
        for (int x = 0; x < map->Picture().width(); ++x)
            hayate += map->Picture().pixelColor(x, y) == RaceMapView::BoatColour(0);
    EXPECT_GT(hayate, 100) << "the first boat's track is drawn";
    Click("ButtonResults");
    auto* results = form_->findChild<QTableWidget*>(QStringLiteral("ResultsTable"));
    ASSERT_NE(results, nullptr);
    ASSERT_EQ(results->rowCount(), 8);
    EXPECT_FALSE(results->findItems(QStringLiteral("DNF"), Qt::MatchContains).isEmpty()) << "Nagisa retired";
    form_->findChild<QWidget*>(QStringLiteral("ResultsView"))->close();
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

    // The first boat's track cleaned in the editor goes back into the race
    // with its settings; a video waits for the race to be saved.
    Find<QListWidget>("ListBox2")->setCurrentRow(0);
    Click("ButtonEditTrack");
    ASSERT_EQ(state_.ScreenMode, 22);
    dialogs_.answers = {MessageAnswer::Yes, MessageAnswer::Yes};  // save, and use it
    Click("Button29");
    Click("Button22");
    EXPECT_EQ(state_.race.BoatGpsFile[0], "JPN4512_s.trb");
    EXPECT_EQ(state_.race.BoatName[0], "Hayate");
    const std::size_t before_video = dialogs_.calls.size();
    Find<QAction>("ActionMakeVideo")->trigger();
    EXPECT_EQ(dialogs_.calls.size(), before_video + 1) << "only the message";
    dialogs_.inputs.push_back(std::string("race_day-R2.txt"));
    dialogs_.answers = {MessageAnswer::Yes, MessageAnswer::No};  // overwrite, normal mode
    Click("Button9");
    EXPECT_NE(ReadFile(ws_ / "raceadmin" / "race_day-R2.txt").find("BN,JPN4512_s.trb,Hayate"), std::string::npos);
    OpenRace("race_day-R2.txt");
    bool video_asked = false;
    QTimer::singleShot(0, form_.get(), [this, &video_asked] {
        if (auto* dialog = form_->findChild<VideoDialog*>()) {
            video_asked = true;
            dialog->reject();
        }
    });
    Find<QAction>("ActionMakeVideo")->trigger();
    EXPECT_TRUE(video_asked) << MessagesSince(before_video);
}

INSTANTIATE_TEST_SUITE_P(Languages, RaceDayWindowTest, ::testing::Values("DejaVu Sans", "ＭＳ Ｐゴシック"),
                         [](const auto& info) { return info.index == 0 ? "English" : "Japanese"; });

} // namespace
} // namespace tackedit
