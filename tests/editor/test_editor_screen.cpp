// The editor screen through its real widgets, offscreen: a track opened and
// its map, time line and counts drawn, and tracks that leave nothing to draw.
// The pointer is in test_editor_mouse.cpp, the buttons in test_editor_buttons.cpp.

#include "editor_screen_test.h"
#include "base/jump_speed.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

TEST_F(EditorScreenTest, OpeningShowsEveryControlTheCountsAndTheIntervalLabel)
{
    Open({{0, 0, 0}, {2, 1, 1}, {4, 2, 0}, {6, 3, 1}}, "race.one.gpx");
    EXPECT_EQ(Find<QWidget>("pnlEDIT")->size(), QSize(913, 596));
    EXPECT_EQ(Map()->geometry(), QRect(24, 28, 513, 513));
    EXPECT_EQ(Timeline()->geometry(), QRect(24, 552, 513, 33));
    EXPECT_EQ(Find<QWidget>("Image7")->geometry(), QRect(575, 27, 300, 300));
    EXPECT_EQ(Find<QWidget>("Label43")->width(), 449);
    EXPECT_EQ(Find<QWidget>("Memo2")->width(), 164) << "room for a million points";
    for (const char* name : {"Label39", "Label41", "Label42", "CheckBox4", "CheckBox5", "CheckBox6", "ComboBox9",
                             "ComboBox6", "Button27", "Button29", "Button30", "memo1", "Shape1", "Panel3",
                             "Panel4", "Panel5", "Panel6", "GroupBox7"})
        Find<QWidget>(name);
    // Restore buttons top to bottom, each with its count box to the right.
    const char* const rows[][2] = {{"Button26", "Edit11"}, {"Button25", "Edit13"}, {"Button24", "Edit14"},
                                   {"Button31", "Edit7"}, {"Button23", "Edit15"}};
    int last_top = -1;
    for (const auto& row : rows) {
        QWidget* button = Find<QWidget>(row[0]);
        QWidget* box = Find<QWidget>(row[1]);
        EXPECT_GT(button->y(), last_top) << row[0];
        EXPECT_GT(box->x(), button->x() + button->width() - 1) << row[1];
        last_top = button->y();
    }

    EXPECT_EQ(Find<QLabel>("Label40")->text(), QStringLiteral("race.one.gpx"));
    EXPECT_EQ(Text("Memo2"), QStringLiteral("4 / 4"));
    EXPECT_EQ(Text("Edit15"), QStringLiteral("0"));
    // Loaded: 6 s over 4 points is 1.5, that is 2; present: the same span.
    EXPECT_EQ(Find<QLabel>("Label41")->text(), QStringLiteral("Interval (sec): 2 => 2"));
    EXPECT_FALSE(Find<QWidget>("Label43")->isHidden());
    EXPECT_FALSE(Find<QWidget>("Image7")->isHidden()) << "not among the controls hidden at start";
    EXPECT_TRUE(AllWhite(Picture("Image7")));
    EXPECT_TRUE(Find<QWidget>("CheckBox6")->isHidden());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox5")->isChecked());
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->currentText(), QStringLiteral("20"));
    // The shared jump limit, and the field says so.
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentText(), QString::number(kJumpKnots));
    EXPECT_TRUE(Find<QComboBox>("ComboBox6")->toolTip().startsWith(
        QStringLiteral("40 knots, the default, is the jump limit the race check")));
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->count(), 24);
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->itemText(19), QStringLiteral("40"));
    EXPECT_EQ(beeper_.beeps, 1);

    Click("Button22");
    EXPECT_EQ(state_.ScreenMode, 1);
    EXPECT_EQ(state_.track.TrackCount, 4);
}

TEST_F(EditorScreenTest, TallTrackFillsFourHundredSixtyTwoRowsWideOneAboutSeventyThreePercent)
{
    // The track runs from row 25 to row 487; the pen leaves out one end pixel.
    Open({{0, 0, 0}, {10, 5, 1}, {20, 10, 0.5}});
    std::vector<int> rows = RowsWith(Picture("Image3"), kBlack);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), 25);
    EXPECT_EQ(rows.size(), 462u);

    Open({{0, 0, 0}, {10, 1, 5}, {20, 0.5, 10}});
    const std::vector<int> columns = ColumnsWith(Picture("Image3"), kBlack);
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns.front(), 69);
    const double share = double(columns.back() - columns.front() + 1) / 513;
    EXPECT_NEAR(share, 0.73, 0.01);
}

TEST_F(EditorScreenTest, APauseOfMoreThanAThousandSecondsLeavesAGapInTheLine)
{
    // West to east along one parallel, then north at the end.
    const auto row_between = [this](int pause) {
        Open({{0, 0, 0}, {10, 0, 1}, {10 + pause, 0, 2}, {20 + pause, 0, 3}, {30 + pause, 3, 3}});
        const PixelPoint a = MapPosition(2), b = MapPosition(3);
        const QImage map = Picture("Image3");
        int black = 0;
        for (std::int64_t x = a.x + 2; x <= b.x - 2; ++x)
            black += map.pixel(int(x), int(a.y)) == kBlack;
        EXPECT_EQ(map.pixel(int(MapPosition(1).x), int(a.y)), kBlack);
        return std::pair<int, std::int64_t>(black, b.x - a.x - 3);
    };
    const auto gap = row_between(1001);
    EXPECT_EQ(gap.first, 0);
    const auto joined = row_between(1000);
    EXPECT_EQ(joined.first, joined.second);
}

TEST_F(EditorScreenTest, TimelineTicksAreGreenColumnsFromRowEightToTwentyThree)
{
    Open({{0, 0, 0}, {100, 1, 1}, {200, 2, 0}, {1000, 3, 1}});
    const QImage line = Picture("Image6");
    const QRgb green = qRgb(0, 128, 0);
    std::vector<int> columns = ColumnsWith(line, green);
    std::vector<int> expected;
    for (std::int32_t i = 1; i <= 4; ++i)
        expected.push_back(int(Column(i)));
    EXPECT_EQ(columns, expected);
    EXPECT_EQ(expected.front(), 13);
    for (int x : expected) {
        EXPECT_EQ(line.pixel(x, 7), kWhite);
        EXPECT_EQ(line.pixel(x, 8), green);
        EXPECT_EQ(line.pixel(x, 23), green);
        EXPECT_EQ(line.pixel(x, 24), kWhite);
    }
}

TEST_F(EditorScreenTest, TracksThatAreGoneLeaveWhitePictures)
{
    Open(Grid());
    const PixelPoint centre = MapPosition(5);
    Drag(Map(), Qt::LeftButton, QPoint(int(centre.x) - 3, int(centre.y) - 3), QPoint(int(centre.x) + 3, int(centre.y) + 3));
    EXPECT_EQ(Text("Memo2"), QStringLiteral("1 / 9"));
    EXPECT_TRUE(AllWhite(Picture("Image3"))) << "one point left: no track to show";
    EXPECT_TRUE(AllWhite(Picture("Image6")));
    EXPECT_TRUE(dialogs_.Messages().empty());

    // Files that give no point say so, over white pictures.
    Open(Grid());
    for (const char* name : {"notes.txt", "empty.gpx"}) {
        std::ofstream(workspace_ / "gpsdat" / name) << "<gpx><wpt lat=\"35\" lon=\"139\"/></gpx>\n";
        dialogs_.paths.push_back((workspace_ / "gpsdat" / name).string());
        Click("Button21");
        EXPECT_EQ(Text("Memo2"), QStringLiteral("0 / 0")) << name;
        EXPECT_TRUE(AllWhite(Picture("Image3"))) << name;
        EXPECT_TRUE(AllWhite(Picture("Image6"))) << name;
    }
    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_EQ(dialogs_.Messages()[0], (workspace_ / "gpsdat" / "notes.txt").string() +
                                          " is not a track file the editor reads: their names end in gpx, log, "
                                          "nmea, nma, nme, dtr, trk, gdb, trl, trb, fit, vkx, tcx, kml or kmz.");
    EXPECT_EQ(dialogs_.Messages()[1], (workspace_ / "gpsdat" / "empty.gpx").string() +
                                          " holds no track point: the file holds only waypoints.");
}

// Watches, race timers and apps: their files open as any track does, and what
// the reader left out is said.
TEST_F(EditorScreenTest, WatchTimerAndAppFilesOpenLikeAnyTrack)
{
    const fs::path data = TACKEDIT_TEST_DATA;
    for (const char* name : {"gpsbabel/sample.fit", "gpsbabel/sample.tcx", "gpsbabel/sample.kml",
                             "gpsbabel/sample.kmz", "vkx/south_west.vkx"}) {
        const fs::path copy = workspace_ / "gpsdat" / fs::path(name).filename();
        fs::copy_file(data / name, copy, fs::copy_options::overwrite_existing);
        dialogs_.paths.push_back(copy.string());
        Click("Button21");
        const bool vkx = copy.extension() == ".vkx";
        EXPECT_EQ(Text("Memo2"), vkx ? QStringLiteral("12 / 12") : QStringLiteral("8 / 8")) << name;
        EXPECT_FALSE(AllWhite(Picture("Image3"))) << name;
        EXPECT_EQ(dialogs_.Messages().size(), vkx ? 1u : 0u) << name;
    }
    EXPECT_EQ(dialogs_.Messages().back(), (workspace_ / "gpsdat" / "south_west.vkx").string() +
                                              ":\nthe last row (key 0x02 at byte 725) is cut off after 15 of its 45 "
                                              "bytes and is left out");
}

} // namespace
} // namespace tackedit
