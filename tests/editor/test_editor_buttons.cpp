// The editor's buttons: restores, automatic editing, saving the edited track
// (and its failures), and leaving while an edit is not saved.

#include "editor_screen_test.h"
#include "track/formats/track_formats.h"
#include "write_failures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

TEST_F(EditorScreenTest, RestoresBringBackOnlyPointsNoOtherKindHolds)
{
    Open(Grid());
    const PixelPoint centre = MapPosition(5);
    const QPoint a(int(centre.x) - 10, int(centre.y) - 10), b(int(centre.x) + 10, int(centre.y) + 10);
    // Area, then Shift+click on a point the area took: 5.
    Hover(Map(), QPoint(int(MapPosition(1).x), int(MapPosition(1).y)));
    ASSERT_EQ(state_.editor.HoverIndex, 1);
    Drag(Map(), Qt::LeftButton, a, b);
    QTest::mouseClick(Map(), Qt::LeftButton, Qt::ShiftModifier, QPoint(int(centre.x), int(centre.y)));
    EXPECT_EQ(state_.track.TrackMark[1], 5);
    EXPECT_EQ(Text("Edit11"), QStringLiteral("8"));
    EXPECT_EQ(Text("Edit14"), QStringLiteral("1"));
    EXPECT_EQ(Text("Edit15"), QStringLiteral("8"));
    Click("Button26");
    EXPECT_EQ(Marks(), (std::vector<std::int32_t>{4, 0, 0, 0, 0, 0, 0, 0, 0}));
    Click("Button24");
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));

    // Automatic, then area: 9; the automatic restore leaves 1.
    state_.track.TrackMark[9] = MarkAuto;
    Drag(Map(), Qt::LeftButton, a, b);
    EXPECT_EQ(state_.track.TrackMark[9], 9);
    const int beeps = beeper_.beeps;
    Click("Button31");
    EXPECT_EQ(state_.track.TrackMark[9], 1);
    EXPECT_EQ(Text("Edit7"), QStringLiteral("0"));
    Click("Button23");
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));
    EXPECT_EQ(Text("Memo2"), QStringLiteral("9 / 9"));
    Click("Button23");  // nothing to restore: still a redraw
    // The automatic restore left one present point: no picture, so no beep.
    EXPECT_EQ(beeper_.beeps, beeps + 2);
}

TEST_F(EditorScreenTest, LeavingAsksFirstWhilePointsAreDeletedAndNotSaved)
{
    const auto delete_centre = [this] {
        const PixelPoint centre = MapPosition(5);
        Drag(Map(), Qt::RightButton, QPoint(int(centre.x) - 10, int(centre.y) - 10),
             QPoint(int(centre.x) + 10, int(centre.y) + 10));
        ASSERT_EQ(Text("Edit15"), QStringLiteral("1"));
    };
    Open(Grid());
    delete_centre();
    dialogs_.answers = {MessageAnswer::No, MessageAnswer::No};
    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 22) << "No stays with the track";
    form_->close();
    EXPECT_TRUE(form_->isVisible());
    ASSERT_EQ(dialogs_.calls.size(), 3u);  // the file, then the two questions
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(dialogs_.calls[i].kind, "yesno");
        EXPECT_EQ(dialogs_.calls[i].text, "The edited track has not been saved. Leave without saving?");
    }

    Click("Button23");  // every point back: nothing to lose
    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 1);

    Open(Grid());
    delete_centre();
    dialogs_.answers = {MessageAnswer::Yes};
    Click("Button29");  // saved
    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 1);
    EXPECT_EQ(dialogs_.calls.back().text.rfind("Save the track under this file name:", 0), 0u)
        << "no question after the save";

    Open(Grid());
    delete_centre();
    dialogs_.answers = {MessageAnswer::Yes};
    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 1) << "Yes leaves";
}

TEST_F(EditorScreenTest, AutomaticEditingRemovesTheJumpAndThinsToTheInterval)
{
    // Every 2 seconds at 6 knots northward; point 21 is 5 miles off.
    std::vector<Fix> fixes;
    for (int i = 0; i < 101; ++i)
        fixes.push_back({2 * i, i * 2 * 6.0 / 3600, 0.5 * (i % 2) / 1000});
    fixes[20].lat += 5;
    Open(fixes);
    Click("Button27");  // the speed test alone, at 12 knots
    std::vector<std::int32_t> expected(101, 0);
    expected[20] = MarkAuto;
    EXPECT_EQ(Marks(), expected);
    EXPECT_EQ(Text("Edit7"), QStringLiteral("1"));

    Click("Button31");
    Find<QCheckBox>("CheckBox4")->setChecked(true);
    Click("Button27");  // speed test, then thinning at 20 s
    std::int32_t present = 0;
    for (std::int32_t i = 1; i <= 101; ++i)
        present += state_.track.TrackMark[i] == 0;
    EXPECT_EQ(state_.track.TrackMark[21], MarkAuto);
    EXPECT_EQ(present, 11);  // 0, 20, ... 200 s
    EXPECT_EQ(Find<QLabel>("Label41")->text(), QStringLiteral("Interval (sec): 2 => 18"));

    // A text that is not a number stops before anything is marked.
    Click("Button31");
    Find<QComboBox>("ComboBox6")->setEditText(QStringLiteral("fast"));
    Click("Button27");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Messages()[0], "'fast' is not a valid floating point value");
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(101, 0));
}

TEST_F(EditorScreenTest, SavingDropsTheDeletedPointsAndContinuesWithTheNewFile)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 1000; ++i)
        fixes.push_back({i, i * 0.001, (i % 10) * 0.001});
    Open(fixes);
    for (int i = 1; i <= 150; ++i)
        state_.track.TrackMark[i * 6] = MarkPoint;
    const std::string saved = (workspace_ / "gpsdat" / "boat1_s.trb").string();
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button29");
    ASSERT_EQ(dialogs_.calls.back().kind, "yesno");
    EXPECT_EQ(dialogs_.calls.back().text, "Save the track under this file name:\r\n" + saved);
    EXPECT_EQ(state_.track.TrackCount, 850);
    EXPECT_EQ(Text("Memo2"), QStringLiteral("850 / 850"));
    for (const char* box : {"Edit11", "Edit13", "Edit14", "Edit7", "Edit15"})
        EXPECT_EQ(Text(box), QStringLiteral("0")) << box;
    EXPECT_EQ(state_.edit.CurrentTrackFile, saved);
    EXPECT_EQ(Find<QLabel>("Label40")->text(), QStringLiteral("boat1_s.trb"));
    EXPECT_EQ(fs::file_size(saved), 850u * 12);

    // The next save keeps the new name ("_s" once); Cancel changes nothing.
    state_.track.TrackMark[3] = MarkArea;
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button30");
    EXPECT_EQ(state_.track.TrackCount, 850);
    EXPECT_EQ(state_.track.TrackMark[3], MarkArea);
    EXPECT_FALSE(fs::exists(workspace_ / "gpsdat" / "boat1_s.gpx"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button30");
    EXPECT_EQ(state_.edit.CurrentTrackFile, (workspace_ / "gpsdat" / "boat1_s.gpx").string());
    TrackStore reread;
    ReadGpxTrack(state_.edit.CurrentTrackFile, reread);
    EXPECT_EQ(reread.TrackCount, 849);

    // Saving the original again would replace the first save: the question says so.
    dialogs_.paths.push_back((workspace_ / "gpsdat" / "boat1.gpx").string());
    Click("Button21");
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button29");
    EXPECT_EQ(dialogs_.calls.back().text,
              "Save the track under this file name:\r\n" + saved + "\r\n(It replaces an existing file of 850 points.)");
}

TEST_F(EditorScreenTest, ASaveSaysWhichFixesTheWholeSecondFileLeavesOutAndKeepsThemInMemory)
{
    const int seconds[] = {0, 0, 0, 1, 1, 2, 3, 3, 3, 3};
    std::vector<Fix> fixes;
    for (int i = 0; i < 10; ++i)
        fixes.push_back({seconds[i], i * 0.01, i * 0.01});
    Open(fixes);
    state_.track.TrackMark[1] = MarkPoint;  // a deleted fix is not counted: the next one is first of its second
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button29");
    const std::string saved = (workspace_ / "gpsdat" / "boat1_s.trb").string();
    EXPECT_EQ(dialogs_.calls.back().text,
              "Save the track under this file name:\r\n" + saved +
                  "\r\n(Left out: 5 points logged within the same second as the point before; the file holds whole "
                  "seconds.)");
    EXPECT_EQ(state_.track.TrackCount, 9);
    TrackStore reread;
    NullPendingEvents events;
    ParseTrbTrack(ReadFile(saved), reread, events);
    ASSERT_EQ(reread.TrackCount, 4);
    EXPECT_NEAR(reread.TrackLat[1], 2100.01, 1e-3);
    EXPECT_NEAR(reread.TrackLat[2], 2100.03, 1e-3);
}

TEST_F(EditorScreenTest, SavingWithEveryPointDeletedWritesAnEmptyTrackAndClearsThePicture)
{
    Open(Grid());
    for (std::int32_t i = 1; i <= 9; ++i)
        state_.track.TrackMark[i] = MarkArea;
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button30");
    EXPECT_EQ(state_.track.TrackCount, 0);
    EXPECT_EQ(Text("Memo2"), QStringLiteral("0 / 0"));
    EXPECT_TRUE(AllWhite(Picture("Image3")));
    TrackStore reread;
    ReadGpxTrack((workspace_ / "gpsdat" / "boat1_s.gpx").string(), reread);
    EXPECT_EQ(reread.TrackCount, 0);
}

TEST_F(EditorScreenTest, AFailedSaveShowsTheErrorAndChangesNothing)
{
    Open(Grid());
    fs::create_directories(workspace_ / "gpsdat" / "boat1_s.trb" / "in-the-way");
    state_.track.TrackMark[2] = MarkPoint;
    Click("Button26");  // a redraw that recounts
    const QImage map = Picture("Image3");
    const int beeps = beeper_.beeps;
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button29");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("boat1_s.trb"), std::string::npos) << dialogs_.Messages()[0];
    EXPECT_EQ(state_.track.TrackCount, 9);
    EXPECT_EQ(state_.track.TrackMark[2], MarkPoint);
    EXPECT_EQ(Text("Memo2"), QStringLiteral("8 / 9"));
    EXPECT_EQ(Text("Edit14"), QStringLiteral("1"));
    EXPECT_EQ(state_.edit.CurrentTrackFile, (workspace_ / "gpsdat" / "boat1.gpx").string());
    EXPECT_EQ(beeper_.beeps, beeps);
    EXPECT_EQ(Picture("Image3"), map);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(workspace_ / "gpsdat"))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);  // the loaded track only, no partial file
}

TEST_F(EditorScreenTest, RealWriteFailuresKeepTheOldFileAndNameTheNewOne)
{
    Open(Grid());
    std::ofstream(workspace_ / "gpsdat" / "boat1_s.trb", std::ios::binary) << "old";
    const auto before = FolderFiles(workspace_ / "gpsdat");
    {
        FileSizeLimit full_disk(50);  // nine points take 108 bytes
        dialogs_.answers.push_back(MessageAnswer::Yes);
        Click("Button29");
    }
    // 251 characters before ".gpx": the save's "_s" takes the name past 255.
    const std::string stem(251, 'b');
    Open(Grid(), stem + ".gpx");
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button30");

    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_NE(dialogs_.Messages()[0].find("boat1_s.trb: cannot write file: File too large"), std::string::npos)
        << dialogs_.Messages()[0];
    EXPECT_NE(dialogs_.Messages()[1].find(stem + "_s.gpx: cannot create file: File name too long"),
              std::string::npos);
    auto after = FolderFiles(workspace_ / "gpsdat");
    after.erase(stem + ".gpx");
    EXPECT_EQ(after, before);
    EXPECT_EQ(state_.edit.CurrentTrackFile, (workspace_ / "gpsdat" / (stem + ".gpx")).string());
}

} // namespace
} // namespace tackedit
