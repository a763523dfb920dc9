// The editor's pointer, with synthetic mouse events on its images: hovering,
// deleting a point, an area or a time range, and drags that leave their image.

#include "editor_screen_test.h"
#include "shell/tform1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

TEST_F(EditorScreenTest, AreaDragsInBothDirectionsAndAClickThatMovesNothing)
{
    Open(Grid());
    const PixelPoint centre = MapPosition(5);
    const QPoint top_left(int(centre.x) - 10, int(centre.y) - 10), bottom_right(int(centre.x) + 10, int(centre.y) + 10);

    // Left drag from the bottom right: only the centre point stays.
    QTest::mousePress(Map(), Qt::LeftButton, {}, bottom_right);
    QTest::mouseMove(Map(), top_left);
    auto* top = Find<QWidget>("Panel3");
    EXPECT_FALSE(top->isHidden());
    EXPECT_EQ(top->geometry(), QRect(24 + top_left.x(), 28 + top_left.y(), 20, 1));
    EXPECT_EQ(Find<QWidget>("Panel6")->geometry(), QRect(24 + bottom_right.x(), 28 + top_left.y(), 1, 20));
    QTest::mouseRelease(Map(), Qt::LeftButton, {}, top_left);
    EXPECT_EQ(Marks(), (std::vector<std::int32_t>{1, 1, 1, 1, 0, 1, 1, 1, 1}));
    EXPECT_EQ(Text("Edit11"), QStringLiteral("8"));
    EXPECT_EQ(Text("Memo2"), QStringLiteral("1 / 9"));
    EXPECT_FALSE(top->isHidden());  // until the next move

    // A single present point: the map keeps its picture but the counts change.
    const QImage before = Picture("Image3");
    Click("Button26");
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));

    // Right drag from the top left deletes the inside.
    Drag(Map(), Qt::RightButton, top_left, bottom_right);
    EXPECT_EQ(Marks(), (std::vector<std::int32_t>{0, 0, 0, 0, 1, 0, 0, 0, 0}));
    Drag(Map(), Qt::MiddleButton, QPoint(1, 1), QPoint(int(MapPosition(1).x), 500));
    EXPECT_EQ(Marks(), (std::vector<std::int32_t>{1, 0, 0, 1, 1, 0, 1, 0, 0}));

    // Press and release at one place: no mark changes, but the views redraw.
    const int beeps = beeper_.beeps;
    QTest::mouseClick(Map(), Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(Marks(), (std::vector<std::int32_t>{1, 0, 0, 1, 1, 0, 1, 0, 0}));
    EXPECT_EQ(beeper_.beeps, beeps + 1);
    (void)before;
}

TEST_F(EditorScreenTest, DragsEndWithoutEffectWhenThePointerLeavesTheirImage)
{
    Open(Grid());
    auto* panel = Find<QWidget>("pnlEDIT");
    // Onto the background and back: the release deletes nothing.
    QTest::mousePress(Map(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(panel, QPoint(560, 100));
    QTest::mouseRelease(Map(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));
    EXPECT_TRUE(Find<QWidget>("Panel3")->isHidden());

    // A move on the time line cancels a map drag, and one on the map a time-line drag.
    QTest::mousePress(Map(), Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseMove(Timeline(), QPoint(100, 10));
    QTest::mouseRelease(Map(), Qt::RightButton, {}, QPoint(400, 400));
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));
    QTest::mousePress(Timeline(), Qt::RightButton, {}, QPoint(100, 10));
    QTest::mouseMove(Map(), QPoint(100, 100));
    QTest::mouseRelease(Timeline(), Qt::RightButton, {}, QPoint(400, 10));
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));

    // The map keeps the mouse while a button is held: a move reported outside it
    // lands on what lies there.
    QTest::mousePress(Map(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(Map(), QPoint(530, 100));  // the background right of the map
    QTest::mouseRelease(Map(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));

    // A drag that starts at x = 0 never counts.
    Drag(Map(), Qt::RightButton, QPoint(0, 5), QPoint(512, 512));
    EXPECT_EQ(Marks(), std::vector<std::int32_t>(9, 0));

    // A release over the close-up ends the drag as well: the next Shift+click's
    // release deletes one point, not an area from the old start.
    const QPoint over_close_up = Map()->mapFrom(panel, QPoint(700, 150));
    QTest::mousePress(Map(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(Map(), over_close_up);
    QTest::mouseRelease(Map(), Qt::LeftButton, {}, over_close_up);
    EXPECT_EQ(state_.editor.MapDragX, -1);
    const PixelPoint five = MapPosition(5);
    Hover(Map(), QPoint(int(five.x), int(five.y)));
    QTest::mouseClick(Map(), Qt::LeftButton, Qt::ShiftModifier, QPoint(int(five.x), int(five.y)));
    std::vector<std::int32_t> expected(9, 0);
    expected[4] = MarkPoint;
    EXPECT_EQ(Marks(), expected);
}

TEST_F(EditorScreenTest, TimelineClicksAndDragsSelectColumns)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 20; ++i)
        fixes.push_back({i * 50, double(i % 3), double(i)});
    Open(fixes);
    const int column = int(Column(8));
    // A left click keeps only that column's points.
    QTest::mouseClick(Timeline(), Qt::LeftButton, {}, QPoint(column, 16));
    std::vector<std::int32_t> expected(20, 2);
    expected[7] = 0;
    EXPECT_EQ(Marks(), expected);
    EXPECT_EQ(Text("Edit13"), QStringLiteral("19"));
    Click("Button25");

    // A right click deletes only that column, with a beep before the redraw's.
    const int beeps = beeper_.beeps;
    QTest::mouseClick(Timeline(), Qt::RightButton, {}, QPoint(column, 16));
    expected.assign(20, 0);
    expected[7] = 2;
    EXPECT_EQ(Marks(), expected);
    EXPECT_EQ(beeper_.beeps, beeps + 2);
    Click("Button25");

    // Right to left and left to right select the same band.
    const int from = int(Column(5)), to = int(Column(9));
    Drag(Timeline(), Qt::RightButton, QPoint(to, 16), QPoint(from, 16));
    const std::vector<std::int32_t> right_to_left = Marks();
    Click("Button25");
    Drag(Timeline(), Qt::RightButton, QPoint(from, 16), QPoint(to, 16));
    EXPECT_EQ(Marks(), right_to_left);
    EXPECT_EQ(std::count(right_to_left.begin(), right_to_left.end(), 2), 5);
}

TEST_F(EditorScreenTest, HoverShowsTheCloseUpAndShiftClickDeletesTheLastHighlightedPoint)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 100; ++i)
        fixes.push_back({i * 2, i * 0.01, (i % 7) * 0.02});
    Open(fixes);
    const PixelPoint p = MapPosition(40);
    Hover(Map(), QPoint(int(p.x) + 1, int(p.y)));
    EXPECT_EQ(state_.editor.HoverIndex, 40);
    auto* zoom = Find<QLabel>("Image7");
    EXPECT_FALSE(zoom->isHidden());
    EXPECT_EQ(state_.editor.zoom.ZoomFirst, 10);
    EXPECT_EQ(state_.editor.zoom.ZoomLast, 70);
    const auto cross = ZoomCrossCentre(state_.track, state_.editor.zoom);
    ASSERT_TRUE(cross);
    const QImage close_up = zoom->pixmap().toImage();
    EXPECT_EQ(close_up.pixel(int(cross->x) - 15, int(cross->y)), qRgb(255, 0, 0));
    EXPECT_EQ(close_up.pixel(int(cross->x), int(cross->y) + 15), qRgb(255, 0, 0));
    auto* when = Find<QLabel>("Label42");
    EXPECT_FALSE(when->isHidden());
    EXPECT_EQ(when->text(), QStringLiteral("2010-05-03 00:01:18 UTC")) << "no settings file: no time difference";
    EXPECT_EQ(when->pos(), QPoint(int(p.x) + 1, 28 + int(p.y) + 30));
    EXPECT_FALSE(Find<QWidget>("Label43")->isHidden());

    // The time line deletes the highlighted point; Shift+click still acts on it.
    const int column = int(Column(40));
    QTest::mouseClick(Timeline(), Qt::RightButton, {}, QPoint(column, 16));
    ASSERT_EQ(state_.track.TrackMark[40], MarkTime);
    QTest::mouseClick(Map(), Qt::LeftButton, Qt::ShiftModifier, QPoint(int(p.x), int(p.y)));
    EXPECT_EQ(state_.track.TrackMark[40], MarkTime + MarkPoint);
    EXPECT_EQ(Text("Edit14"), QStringLiteral("1"));
    EXPECT_EQ(Text("Edit15"), QStringLiteral("1"));
    // Already carrying MarkPoint: nothing happens, nothing is redrawn.
    const int beeps = beeper_.beeps;
    QTest::mouseClick(Map(), Qt::RightButton, Qt::ShiftModifier, QPoint(int(p.x), int(p.y)));
    EXPECT_EQ(state_.track.TrackMark[40], MarkTime + MarkPoint);
    EXPECT_EQ(beeper_.beeps, beeps);

    // An automatic deletion is not touched by Shift+click.
    Hover(Map(), QPoint(int(MapPosition(41).x), int(MapPosition(41).y)));
    ASSERT_EQ(state_.editor.HoverIndex, 41);
    state_.track.TrackMark[41] = MarkAuto;
    QTest::mouseClick(Map(), Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 1));
    EXPECT_EQ(state_.track.TrackMark[41], MarkAuto);
    state_.track.TrackMark[41] = 0;

    // Nothing within 100 pixels: the close-up and the labels go.
    Hover(Map(), QPoint(505, 5));
    EXPECT_EQ(state_.editor.HoverIndex, 0);
    EXPECT_TRUE(zoom->isHidden());
    EXPECT_TRUE(when->isHidden());
}

TEST_F(EditorScreenTest, TimelineHoverShowsTheTimeAndCirclesThePointOnTheMap)
{
    // The settings' time difference gives the local time beside the track's UTC.
    fs::create_directories(workspace_ / "ctrl");
    std::ofstream(workspace_ / "ctrl" / "ctrl.log") << "TD,-5\r\n";
    form_->ReadSettings();
    Open({{0, 0, 0}, {100, 1, 1}, {200, 2, 0}, {1000, 3, 1}});
    const int column = int(Column(2));
    Hover(Timeline(), QPoint(column + 1, 5));
    auto* memo = Find<QLineEdit>("memo1");
    EXPECT_FALSE(memo->isHidden());
    EXPECT_EQ(memo->text(), QStringLiteral("2010-05-03 00:01:40 UTC / 2010-05-02 19:01:40 UTC-5"));
    EXPECT_GE(memo->width(), memo->fontMetrics().horizontalAdvance(memo->text())) << "the whole text shows";
    std::ofstream(workspace_ / "ctrl" / "ctrl.log") << "TD,9\r\n";
    form_->ReadSettings();
    Hover(Timeline(), QPoint(column + 1, 5));
    EXPECT_EQ(memo->text(), QStringLiteral("2010-05-03 00:01:40 UTC / 09:01:40 UTC+9")) << "the same day";
    EXPECT_EQ(memo->pos(), QPoint(column + 1, 552 - 40));
    auto* circle = Find<QWidget>("Shape1");
    EXPECT_FALSE(circle->isHidden());
    const PixelPoint p = MapPosition(2);
    EXPECT_EQ(circle->geometry(), QRect(int(p.x) + 24 - 5, int(p.y) + 28 - 5, 11, 11));
    Hover(Find<QWidget>("pnlEDIT"), QPoint(560, 560));
    EXPECT_TRUE(memo->isHidden());
    EXPECT_TRUE(circle->isHidden());
}

} // namespace
} // namespace tackedit
