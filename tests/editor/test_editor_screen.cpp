// The editor screen through its real widgets, offscreen, with synthetic mouse
// events on the images.

#include "editor/editor_core.h"
#include "screens/editor_screen.h"
#include "shell/tform1.h"
#include "track/formats/track_formats.h"
#include "window_test.h"
#include "write_failures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

struct Fix {
    int seconds;
    double lat, lon;  // minutes of arc from 35 N 139 E: a fix at 0, 0 would be left out
};
constexpr double kLatOrigin = 35 * 60, kLonOrigin = 139 * 60;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

class EditorScreenTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Start();
        form_->show();
    }

    std::string WriteGpx(const std::string& name, const std::vector<Fix>& fixes)
    {
        const fs::path path = workspace_ / "gpsdat" / name;
        std::ofstream out(path);
        out << "<gpx><trk><trkseg>\n";
        for (const Fix& f : fixes) {
            char line[200];
            std::snprintf(line, sizeof line,
                          "<trkpt lat=\"%.12f\" lon=\"%.12f\"><time>2010-05-03T%02d:%02d:%02dZ</time></trkpt>\n",
                          (kLatOrigin + f.lat) / 60, (kLonOrigin + f.lon) / 60, f.seconds / 3600,
                          f.seconds / 60 % 60, f.seconds % 60);
            out << line;
        }
        out << "</trkseg></trk></gpx>\n";
        return path.string();
    }

    void Open(const std::vector<Fix>& fixes, const std::string& name = "boat1.gpx")
    {
        dialogs_.paths.push_back(WriteGpx(name, fixes));
        Click("Button21");
        ASSERT_EQ(state_.ScreenMode, 22);
    }

    QWidget* Map() { return Find<QWidget>("Image3"); }
    QWidget* Timeline() { return Find<QWidget>("Image6"); }
    QImage Picture(const char* name) { return Find<QLabel>(name)->pixmap().toImage(); }
    QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }

    // A move with no button held, as the pointer passes over a widget.
    void Hover(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    void Drag(QWidget* widget, Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(widget, button, {}, from);
        QTest::mouseMove(widget, to);
        QTest::mouseRelease(widget, button, {}, to);
    }

    std::vector<std::int32_t> Marks()
    {
        const TrackStore& s = state_.track;
        return std::vector<std::int32_t>(s.TrackMark.begin() + 1, s.TrackMark.begin() + 1 + s.TrackCount);
    }

    PixelPoint MapPosition(std::int32_t i)
    {
        return ProjectToMap(state_.editor.map, state_.track.TrackLat[i], state_.track.TrackLon[i]);
    }
    std::int64_t Column(std::int32_t i)
    {
        return TimelineColumn(state_.editor.timeline, state_.track.TrackTime[i],
                              state_.track.TrackTime[state_.edit.FirstPresent]);
    }

    fs::path& workspace_ = ws_;
};

// A 3 x 3 grid of points one minute apart, a second apart in time.
std::vector<Fix> Grid()
{
    std::vector<Fix> fixes;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            fixes.push_back({row * 3 + col, 2.0 - row, double(col)});
    return fixes;
}

// Rows of a picture column that hold a pixel of the colour.
std::vector<int> RowsWith(const QImage& image, QRgb colour)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) {
                rows.push_back(y);
                break;
            }
    return rows;
}

std::vector<int> ColumnsWith(const QImage& image, QRgb colour)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == colour) {
                columns.push_back(x);
                break;
            }
    return columns;
}

bool AllWhite(const QImage& image)
{
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    return image.convertToFormat(QImage::Format_RGB32) == white;
}

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
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentText(), QStringLiteral("12"));
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

    // The next save builds on the new name; Cancel changes nothing.
    state_.track.TrackMark[3] = MarkArea;
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button30");
    EXPECT_EQ(state_.track.TrackCount, 850);
    EXPECT_EQ(state_.track.TrackMark[3], MarkArea);
    EXPECT_FALSE(fs::exists(workspace_ / "gpsdat" / "boat1_s_s.gpx"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button30");
    EXPECT_EQ(state_.edit.CurrentTrackFile, (workspace_ / "gpsdat" / "boat1_s_s.gpx").string());
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
