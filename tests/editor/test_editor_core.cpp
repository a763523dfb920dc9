#include "editor/editor_core.h"
#include "base/data_error.h"
#include "track/formats/gpx_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

constexpr double kDay0 = 40000.0;  // 2009-07-06

struct Fix {
    double seconds, lat, lon;
};

TrackStore MakeTrack(const std::vector<Fix>& fixes)
{
    TrackStore store;
    TrackFiller filler(store);
    for (const Fix& f : fixes)
        filler.Store(kDay0 + f.seconds / 86400.0, f.lat, f.lon);
    filler.Finish();
    for (std::int32_t i = 0; i < store.TrackCapacity; ++i)
        store.TrackMark[i] = 0;
    return store;
}

TrackEditState FreshEdit(const TrackStore& store)
{
    TrackEditState edit;
    edit.FirstPresent = 1;
    edit.LastPresent = store.TrackCount;
    return edit;
}

std::vector<std::int32_t> Marks(const TrackStore& store)
{
    return std::vector<std::int32_t>(store.TrackMark.begin() + 1, store.TrackMark.begin() + 1 + store.TrackCount);
}

struct RecordingPen {
    struct Step {
        bool move;
        std::int64_t x, y;
    };
    std::vector<Step> steps;
    void MoveTo(std::int64_t x, std::int64_t y) { steps.push_back({true, x, y}); }
    void LineTo(std::int64_t x, std::int64_t y) { steps.push_back({false, x, y}); }
};

// ---- Map projection and drawing ----

TEST(MapView, WideTrackSpansEightyOnePercentOfNinetyPercentOfTheWidth)
{
    // 10 minutes east-west, 1 minute north-south: wider than tall.
    TrackStore store = MakeTrack({{0, 0, 0}, {10, 1, 5}, {20, 0.5, 10}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    EXPECT_EQ(view.ViewCenterX, 256);  // 256.5 goes to even
    EXPECT_EQ(view.ViewCenterY, 256);
    EXPECT_FLOAT_EQ(view.ViewScaleLon, 462 / 10.0f * 0.81f);
    EXPECT_FLOAT_EQ(view.ViewScaleLat, view.ViewScaleLon / 0.81f);
    const PixelPoint west = ProjectToMap(view, 0, 0), east = ProjectToMap(view, 0.5, 10);
    EXPECT_EQ(west.x, 69);   // Round(256 - 5 * 37.422) = Round(68.89)
    EXPECT_EQ(east.x, 443);  // Round(256 + 187.11)
    EXPECT_NEAR(double(east.x - west.x) / MapWidth, 0.73, 0.005);
}

TEST(MapView, TallTrackSpansNinetyPercentOfTheHeight)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {10, 5, 1}, {20, 10, 0.5}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    EXPECT_FLOAT_EQ(view.ViewScaleLat, 46.2f);
    EXPECT_EQ(ProjectToMap(view, 10, 0.5).y, 25);
    EXPECT_EQ(ProjectToMap(view, 0, 0).y, 487);  // 462 pixels from top to bottom
}

TEST(MapView, PresentRangeAndNoExtentKeepThePreviousScale)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 3, 4}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    store.TrackMark[1] = MarkArea;
    store.TrackMark[5] = MarkAuto + MarkArea;
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    EXPECT_EQ(edit.FirstPresent, 2);
    EXPECT_EQ(edit.LastPresent, 4);
    EXPECT_DOUBLE_EQ(view.ViewMaxLat, 3);
    EXPECT_DOUBLE_EQ(view.ViewMinLon, 1);
    const float scale = view.ViewScaleLat;

    // Two present points on one parallel: no extent in latitude.
    store.TrackMark[2] = MarkPoint;
    store.TrackMark[3] = MarkTime;
    store.TrackMark[5] = 0;
    EXPECT_FALSE(UpdateMapView(store, edit, view));
    EXPECT_EQ(edit.FirstPresent, 4);
    EXPECT_EQ(edit.LastPresent, 5);
    EXPECT_EQ(view.ViewScaleLat, scale);

    // Nothing present: the empty range.
    store.TrackMark[4] = store.TrackMark[5] = MarkArea;
    EXPECT_FALSE(UpdateMapView(store, edit, view));
    EXPECT_EQ(edit.FirstPresent, 1000000);
    EXPECT_EQ(edit.LastPresent, 0);
}

TEST(MapView, PolylineBreaksOnlyAfterMoreThanAThousandSeconds)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {1000, 1, 1}, {2001, 2, 2}, {2002, 3, 3}, {2003, 4, 4}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    store.TrackMark[4] = MarkPoint;  // deleted points are skipped, not drawn
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    RecordingPen pen;
    TraceTrackMap(store, edit, view, pen);
    ASSERT_EQ(pen.steps.size(), 4u);
    EXPECT_TRUE(pen.steps[0].move);
    EXPECT_FALSE(pen.steps[1].move);  // exactly 1000 s
    EXPECT_TRUE(pen.steps[2].move);   // 1001 s
    EXPECT_FALSE(pen.steps[3].move);
    EXPECT_EQ(pen.steps[3].x, ProjectToMap(view, 4, 4).x);
}

TEST(MapView, HoverTakesTheNearestWithinAHundredPixelsLowestIndexOnTies)
{
    // Points 1 and 2 on the centre row, 3 and 4 at the top and bottom edges.
    TrackStore store = MakeTrack({{0, 0, 0}, {1, 0, 1}, {2, 1, 0.5}, {3, -1, 0.5}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    const PixelPoint a = ProjectToMap(view, 0, 0), b = ProjectToMap(view, 0, 1);
    ASSERT_EQ(a.y, b.y);
    const std::int64_t middle = (a.x + b.x) / 2;
    ASSERT_EQ((a.x + b.x) % 2, 0) << "the test needs a pixel halfway between";
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, middle, a.y), 1);  // tie: lower index
    store.TrackMark[1] = MarkTime;
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, middle, a.y), 2);
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, b.x + 99, b.y), 2);
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, b.x + 100, b.y), 0);  // d = 10000 is too far
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, b.x + 60, b.y + 80), 0);
    EXPECT_EQ(FindNearestMapPoint(store, edit, view, b.x + 60, b.y + 79), 2);
}

// ---- Time line ----

TEST(Timeline, ColumnsMarginAndCurrentInterval)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {10, 1, 1}, {20, 2, 2}, {1000, 3, 3}});
    TrackEditState edit = FreshEdit(store);
    TimelineView view;
    ASSERT_TRUE(UpdateTimelineView(store, edit, view));
    EXPECT_EQ(view.Top, 8);
    EXPECT_EQ(view.Bottom, 24);
    EXPECT_EQ(view.TimeMargin, 13);
    std::vector<std::int64_t> columns;
    const std::int32_t counted = TraceTimeline(store, edit, view, [&](std::int64_t x) { columns.push_back(x); });
    EXPECT_EQ(counted, 4);
    // Trunc(10 / 1000 * 487 + 13) = 17; the last tick lands at 13 + 487 or one short.
    EXPECT_EQ(columns[0], 13);
    EXPECT_EQ(columns[1], 17);
    EXPECT_EQ(columns[2], 22);
    EXPECT_GE(columns[3], 499);
    EXPECT_LE(columns[3], 500);
    EXPECT_EQ(MeanPresentInterval(view, counted), 250);
    EXPECT_EQ(IntervalLabelText(2, 20), "ｲﾝﾀｰﾊﾞﾙ(sec）: 2 ⇒ 20");
    EXPECT_EQ(IntervalLabelText(2.5, 0.6), "ｲﾝﾀｰﾊﾞﾙ(sec）: 2 ⇒ 1") << "whole seconds rounded as before";
    EXPECT_EQ(IntervalLabelText(0.1, 0.049), "ｲﾝﾀｰﾊﾞﾙ(sec）: 0.1 ⇒ 0.049") << "a 10 Hz track is not 0";
    EXPECT_EQ(IntervalLabelText(0, 0), "ｲﾝﾀｰﾊﾞﾙ(sec）: 0 ⇒ 0");

    const TimelineHit hit = FindNearestTimelinePoint(store, edit, view, 20);
    EXPECT_EQ(hit.index, 3);  // 22 is nearer than 17
    EXPECT_EQ(hit.distance, 2);
    EXPECT_EQ(FindNearestTimelinePoint(store, edit, view, 15).index, 1);  // 13 and 17 tie: lower index
}

TEST(Timeline, NeedsTwoPresentPointsAndSurvivesASingleInstant)
{
    TrackStore store = MakeTrack({{5, 0, 0}, {5, 1, 1}, {5, 2, 2}});
    TrackEditState edit = FreshEdit(store);
    TimelineView view;
    ASSERT_TRUE(UpdateTimelineView(store, edit, view));
    std::vector<std::int64_t> columns;
    TraceTimeline(store, edit, view, [&](std::int64_t x) { columns.push_back(x); });
    EXPECT_EQ(columns, (std::vector<std::int64_t>{13, 13, 13}));
    EXPECT_EQ(MeanPresentInterval(view, 3), 0);
    edit.FirstPresent = edit.LastPresent = 2;
    EXPECT_FALSE(UpdateTimelineView(store, edit, view));
}

// ---- Close-up ----

TEST(ZoomView, WindowClampsAtBothEndsAndScalesTheWideCaseOnEqualSides)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 100; ++i)
        fixes.push_back({double(i), i * 0.01, i * 0.02});
    TrackStore store = MakeTrack(fixes);
    ZoomView zoom;
    UpdateZoomView(store, zoom, 10, 300, 300);
    EXPECT_EQ(zoom.ZoomFirst, 1);
    EXPECT_EQ(zoom.ZoomLast, 40);
    EXPECT_EQ(zoom.ZoomCenterX, 150);
    UpdateZoomView(store, zoom, 90, 300, 300);
    EXPECT_EQ(zoom.ZoomFirst, 60);
    EXPECT_EQ(zoom.ZoomLast, 100);
    UpdateZoomView(store, zoom, 50, 300, 300);
    EXPECT_EQ(zoom.ZoomFirst, 20);
    EXPECT_EQ(zoom.ZoomLast, 80);
    // Longitude 0.38..1.58 spans 1.2 minutes, times 0.81 wider than the 0.6 of latitude.
    EXPECT_NEAR(zoom.ZoomScaleLon, 270 / 1.2, 0.01);
    const auto cross = ZoomCrossCentre(store, zoom);
    ASSERT_TRUE(cross);
    EXPECT_EQ(cross->x, 150);
    EXPECT_EQ(cross->y, 150);
    RecordingPen pen;
    TraceZoomTrack(store, zoom, pen);
    ASSERT_EQ(pen.steps.size(), 61u);
    EXPECT_EQ(pen.steps.front().x, 15);   // 90 % of 300 across, centred
    EXPECT_EQ(pen.steps.back().x, 285);

    // Sides exactly equal after the 0.81 factor still take the wide case.
    TrackStore square = MakeTrack({{0, 0, 0}, {1, 0.81f, 1}});
    UpdateZoomView(square, zoom, 1, 300, 300);
    EXPECT_FLOAT_EQ(zoom.ZoomScaleLon, 270.0f);

    // One position only: just the cross, at the centre; none once the point is deleted.
    TrackStore still = MakeTrack({{0, 1, 1}, {1, 1, 1}});
    UpdateZoomView(still, zoom, 2, 300, 300);
    RecordingPen none;
    TraceZoomTrack(still, zoom, none);
    EXPECT_TRUE(none.steps.empty());
    EXPECT_EQ(ZoomCrossCentre(still, zoom), (PixelPoint{150, 150}));
    still.TrackMark[2] = MarkPoint;
    EXPECT_FALSE(ZoomCrossCentre(still, zoom));
}

// ---- Deletions ----

// A 3 x 3 grid of points over the whole map, every one at a known pixel.
struct Grid {
    TrackStore store = MakeTrack({{0, 2, 0}, {1, 2, 1}, {2, 2, 2}, {3, 1, 0}, {4, 1, 1},
                                  {5, 1, 2}, {6, 0, 0}, {7, 0, 1}, {8, 0, 2}});
    TrackEditState edit = FreshEdit(store);
    MapView view;
    Grid() { UpdateMapView(store, edit, view); }
    PixelPoint At(int i) const { return ProjectToMap(view, store.TrackLat[i], store.TrackLon[i]); }
};

TEST(AreaDeletion, LeftKeepsTheInsideRightDeletesItInEitherDirection)
{
    Grid g;
    const PixelPoint centre = g.At(5);
    g.store.TrackMark[1] = MarkAuto;
    g.store.TrackMark[2] = MarkArea;
    g.store.TrackMark[3] = MarkTime + MarkPoint;
    // A box around the centre point only, dragged from bottom right to top left.
    EXPECT_EQ(DeleteByArea(g.store, g.edit, g.view, centre.x + 5, centre.y + 5, centre.x - 5, centre.y - 5, false), 7);
    EXPECT_EQ(Marks(g.store), (std::vector<std::int32_t>{9, 1, 7, 1, 0, 1, 1, 1, 1}));

    Grid h;
    EXPECT_EQ(DeleteByArea(h.store, h.edit, h.view, centre.x - 5, centre.y - 5, centre.x + 5, centre.y + 5, true), 1);
    EXPECT_EQ(Marks(h.store), (std::vector<std::int32_t>{0, 0, 0, 0, 1, 0, 0, 0, 0}));
    // Bounds are included: a box whose edge runs through a point takes it.
    Grid k;
    EXPECT_EQ(DeleteByArea(k.store, k.edit, k.view, centre.x, centre.y, centre.x + 300, centre.y + 300, true), 4);
}

TEST(AreaDeletion, ZeroWidthOrHeightDeletesNothing)
{
    Grid g;
    const PixelPoint centre = g.At(5);
    EXPECT_EQ(DeleteByArea(g.store, g.edit, g.view, centre.x, 0, centre.x, 500, false), 0);
    EXPECT_EQ(DeleteByArea(g.store, g.edit, g.view, 0, centre.y, 500, centre.y, true), 0);
    EXPECT_EQ(Marks(g.store), std::vector<std::int32_t>(9, 0));
}

TEST(TimeRangeDeletion, ColumnRangeAndTheMarksItMayJoin)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {100, 1, 1}, {200, 2, 2}, {300, 3, 3}, {400, 4, 4},
                                  {500, 5, 5}, {600, 6, 6}, {700, 7, 7}, {800, 8, 8}});
    TrackEditState edit = FreshEdit(store);
    TimelineView view;
    ASSERT_TRUE(UpdateTimelineView(store, edit, view));
    const std::int64_t col4 = TimelineColumn(view, store.TrackTime[4], store.TrackTime[1]);
    // A click without movement on column 4's tick: only that column stays.
    const std::int32_t before[] = {0, 1, 4, 0, 5, 8, 2, 3, 0};
    for (int i = 0; i < 9; ++i)
        store.TrackMark[i + 1] = before[i];
    EXPECT_EQ(DeleteByTimeRange(store, edit, view, col4, col4, false), 5);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{2, 3, 6, 0, 7, 8, 2, 3, 2}));

    TrackStore fresh = MakeTrack({{0, 0, 0}, {100, 1, 1}, {200, 2, 2}, {300, 3, 3}});
    TrackEditState fresh_edit = FreshEdit(fresh);
    TimelineView fresh_view;
    ASSERT_TRUE(UpdateTimelineView(fresh, fresh_edit, fresh_view));
    const std::int64_t c2 = TimelineColumn(fresh_view, fresh.TrackTime[2], fresh.TrackTime[1]);
    const std::int64_t c3 = TimelineColumn(fresh_view, fresh.TrackTime[3], fresh.TrackTime[1]);
    // Right to left, inside deleted.
    EXPECT_EQ(DeleteByTimeRange(fresh, fresh_edit, fresh_view, c3, c2, true), 2);
    EXPECT_EQ(Marks(fresh), (std::vector<std::int32_t>{0, 2, 2, 0}));
}

TEST(PointDeletion, OnlyMarksZeroToThreeTakeMarkPoint)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {6, 0, 0}});
    const std::int32_t before[] = {0, 1, 2, 3, 4, 8, 9};
    for (int i = 0; i < 7; ++i)
        store.TrackMark[i + 1] = before[i];
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(DeletePoint(store, i), before[i - 1] <= 3) << i;
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{4, 5, 6, 7, 4, 8, 9}));
    EXPECT_FALSE(DeletePoint(store, 0));
    EXPECT_FALSE(DeletePoint(store, 8));  // beyond TrackCount
}

TEST(DeletionCounts, APointWithTwoKindsCountsInBothAndOnceInAll)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}});
    store.TrackMark[1] = MarkArea + MarkPoint;
    store.TrackMark[2] = MarkAuto + MarkArea;
    store.TrackMark[3] = MarkTime;
    TrackEditState edit;
    CountDeletions(store, edit);
    EXPECT_EQ(edit.DeletedCount, 3);
    EXPECT_EQ(edit.AreaDeletedCount, 2);
    EXPECT_EQ(edit.TimeDeletedCount, 1);
    EXPECT_EQ(edit.PointDeletedCount, 1);
    EXPECT_EQ(edit.AutoDeletedCount, 1);
}

TEST(Restores, EachKindClearsOnlyItsBit)
{
    TrackStore store = MakeTrack({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    store.TrackMark[1] = MarkArea + MarkPoint;
    store.TrackMark[2] = MarkAuto + MarkArea;
    store.TrackMark[3] = MarkTime + MarkArea;
    RestoreMarks(store, MarkArea);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{4, 8, 2}));
    RestoreMarks(store, MarkPoint);
    RestoreMarks(store, MarkTime);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 8, 0}));
    store.TrackMark[2] = MarkAuto + MarkArea;
    RestoreMarks(store, MarkAuto);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 1, 0}));
    store.TrackMark[1] = 7;
    RestoreAllMarks(store);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 0, 0}));
    TrackStore empty;
    RestoreMarks(empty, MarkArea);  // nothing to do, nothing to break
    RestoreAllMarks(empty);
}

// ---- Automatic editing ----

TEST(SpeedTest, AWildPositionGoesAndTheNextIsMeasuredFromTheLastGoodOne)
{
    // 6 knots north: 0.1 minute of latitude per minute, sampled every 2 seconds.
    std::vector<Fix> fixes;
    for (int i = 0; i < 10; ++i)
        fixes.push_back({2.0 * i, 6.0 * (2.0 * i) / 3600, 0});
    fixes[4].lat += 5;  // 5 nautical miles off
    TrackStore store = MakeTrack(fixes);
    TrackEditState edit = FreshEdit(store);
    EXPECT_EQ(RunSpeedTest(store, edit, 12), 1);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 0, 0, 0, 8, 0, 0, 0, 0, 0}));

    // A burst: every point within the burst is compared with the last good one.
    std::vector<Fix> burst = fixes;
    burst[4].lat -= 5;
    for (int i = 3; i <= 5; ++i)
        burst[i].lon += 3;
    TrackStore b = MakeTrack(burst);
    EXPECT_EQ(RunSpeedTest(b, FreshEdit(b), 12), 3);
    EXPECT_EQ(Marks(b), (std::vector<std::int32_t>{0, 0, 0, 8, 8, 8, 0, 0, 0, 0}));
}

TEST(SpeedTest, ExactlyTheLimitPassesTheFirstStaysTheLastMayGo)
{
    // 6 minutes of latitude in half an hour: exactly 12 knots; then a jump at the end.
    TrackStore store = MakeTrack({{0, 0, 0}, {1800, 6, 0}, {3600, 12, 0}, {3601, 20, 0}});
    EXPECT_EQ(RunSpeedTest(store, FreshEdit(store), 12), 1);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 0, 0, 8}));
    // Longitude counts 0.81: 10 minutes east in an hour is 8.1 knots.
    TrackStore east = MakeTrack({{0, 0, 0}, {3600, 0, 10}});
    EXPECT_EQ(RunSpeedTest(east, FreshEdit(east), 8.2f), 0);
    EXPECT_EQ(RunSpeedTest(east, FreshEdit(east), 8.0f), 1);
    // The first present point is the reference even when it is the wild one.
    TrackStore first = MakeTrack({{0, 50, 0}, {2, 0, 0}, {4, 0.001, 0}});
    EXPECT_EQ(RunSpeedTest(first, FreshEdit(first), 12), 2);
    EXPECT_EQ(first.TrackMark[1], 0);
}

TEST(SpeedTest, AFastLoggerReadWithWholeSecondsKeepsItsFixes)
{
    // 10 Hz at 6 knots, each second's ten fixes stamped with that second.
    std::vector<Fix> fixes;
    for (int i = 0; i < 200; ++i)
        fixes.push_back({static_cast<double>(i / 10), 6.0 * (i / 10.0) / 3600, 0});
    TrackStore store = MakeTrack(fixes);
    EXPECT_EQ(RunSpeedTest(store, FreshEdit(store), 12), 0);

    // A real jump within one second still goes, and so does its burst; the
    // rest of that second stays.
    fixes[55].lat += 5;
    fixes[56].lon += 3;
    TrackStore jumpy = MakeTrack(fixes);
    EXPECT_EQ(RunSpeedTest(jumpy, FreshEdit(jumpy), 12), 2);
    EXPECT_EQ(jumpy.TrackMark[56], MarkAuto);
    EXPECT_EQ(jumpy.TrackMark[57], MarkAuto);
    // A second's sailing at the limit is 12 / 3600 nautical miles: 0.003 passes, 0.004 does not.
    TrackStore near = MakeTrack({{0, 0, 0}, {0, 0.003, 0}, {0, 0.007, 0}, {10, 0.004, 0}});
    EXPECT_EQ(RunSpeedTest(near, FreshEdit(near), 12), 1);
    EXPECT_EQ(Marks(near), (std::vector<std::int32_t>{0, 0, 8, 0}));
}

TEST(SpeedTest, SkipsDeletedPointsAndWorksInThePresentRange)
{
    TrackStore store = MakeTrack({{0, 90, 0}, {2, 0, 0}, {4, 50, 0}, {6, 0.001, 0}, {8, 70, 0}});
    store.TrackMark[3] = MarkArea;  // the jump is already gone
    TrackEditState edit = FreshEdit(store);
    edit.FirstPresent = 2;
    edit.LastPresent = 4;
    EXPECT_EQ(RunSpeedTest(store, edit, 12), 0);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 0, 1, 0, 0}));
}

TEST(IntervalThinning, NextGrowsByTheIntervalForEveryPointThatStays)
{
    std::vector<Fix> fixes;
    for (int s : {0, 1, 2, 3, 4, 5})
        fixes.push_back({double(s), 0, 0});
    for (int s = 100; s <= 140; ++s)
        fixes.push_back({double(s), 0, 0});
    TrackStore store = MakeTrack(fixes);
    TrackEditState edit = FreshEdit(store);
    RunIntervalThinning(store, edit, 10);
    std::vector<int> kept;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        if (store.TrackMark[i] == 0)
            kept.push_back(int(fixes[i - 1].seconds));
    std::vector<int> expected{0};
    for (int s = 100; s <= 110; ++s)
        expected.push_back(s);
    expected.insert(expected.end(), {120, 130, 140});
    EXPECT_EQ(kept, expected);
    // A second run with the same interval finds nothing more.
    EXPECT_EQ(RunIntervalThinning(store, edit, 10), 0);
}

TEST(IntervalThinning, TwentySecondsOnTwoSecondDataKeepsEveryTenthAndTheLast)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 95; ++i)
        fixes.push_back({2.0 * i, 0, 0});
    TrackStore store = MakeTrack(fixes);
    TrackEditState edit = FreshEdit(store);
    RunIntervalThinning(store, edit, 20);
    for (std::int32_t i = 1; i <= 95; ++i)
        EXPECT_EQ(store.TrackMark[i] == 0, (i - 1) % 10 == 0 || i == 95) << i;
    MapView map;
    TimelineView view;
    UpdateMapView(store, edit, map);
    ASSERT_TRUE(UpdateTimelineView(store, edit, view));
    const std::int32_t counted = TraceTimeline(store, edit, view, [](std::int64_t) {});
    EXPECT_EQ(counted, 11);
    EXPECT_EQ(MeanPresentInterval(view, counted), 17);  // 188 s over 11 points
}

TEST(AutoEdit, TheThinningSeesTheSpeedTestsDeletions)
{
    // Point 2 is a jump; without it the thinning at 10 s keeps 0 and 11.
    TrackStore store = MakeTrack({{0, 0, 0}, {10, 30, 0}, {11, 0, 0}, {15, 0, 0}, {30, 0, 0}});
    TrackEditState edit = FreshEdit(store);
    AutoEditSettings settings;
    settings.MaxSpeed = 12;
    settings.Interval = 10;
    EXPECT_EQ(RunAutoEdit(store, edit, settings), 2);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 8, 0, 8, 0}));
    EXPECT_EQ(RunAutoEdit(store, edit, AutoEditSettings{}), 0);
}

// ---- Saving ----

TEST(Saving, NameIsCutAtTheFirstDotOfTheFileName)
{
    EXPECT_EQ(EditedTrackName("/race/gpsdat/boat1.gpx", EditedTrackFormat::Trb), "/race/gpsdat/boat1_s.trb");
    EXPECT_EQ(EditedTrackName("/race/gpsdat/KAZEKIRI_S.trb", EditedTrackFormat::Gpx), "/race/gpsdat/KAZEKIRI_S.gpx")
        << "_s once";
    EXPECT_EQ(EditedTrackName("/race/gpsdat/boat1.2010.log", EditedTrackFormat::Gpx), "/race/gpsdat/boat1_s.gpx");
    // A dot in a folder name does not move the file out of its folder.
    EXPECT_EQ(EditedTrackName("/home/me/races.2010/gpsdat/boat1.gpx", EditedTrackFormat::Gpx),
              "/home/me/races.2010/gpsdat/boat1_s.gpx");
    EXPECT_EQ(EditedTrackName("/race/gpsdat/boat1", EditedTrackFormat::Trb), "/race/gpsdat/boat1_s.trb");
}

TEST(Saving, CompactionKeepsOrderAndClearsMarks)
{
    TrackStore store = MakeTrack({{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {4, 5, 5}});
    store.TrackMark[1] = MarkArea;
    store.TrackMark[3] = MarkAuto + MarkArea;
    EXPECT_EQ(CompactTrack(store), 3);
    EXPECT_EQ(store.TrackCount, 3);
    EXPECT_EQ(store.TrackLat[1], 2);
    EXPECT_EQ(store.TrackLat[2], 4);
    EXPECT_EQ(store.TrackLat[3], 5);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 0, 0}));
}

class SavingFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tackedit-editor-core-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(SavingFiles, WritesOnlyThePresentPointsAndAdoptsTheCompactedTrack)
{
    std::vector<Fix> fixes;
    for (int i = 0; i < 1000; ++i)
        fixes.push_back({double(i), i * 0.001, 0});
    TrackStore store = MakeTrack(fixes);
    for (int i = 1; i <= 150; ++i)
        store.TrackMark[i * 6] = MarkTime;
    const std::string path = (dir_ / "boat_s.trb").string();
    SaveEditedTrack(store, path, EditedTrackFormat::Trb);
    EXPECT_EQ(store.TrackCount, 850);
    EXPECT_EQ(fs::file_size(path), 850u * 12);

    TrackStore gone = MakeTrack({{0, 1, 1}, {1, 2, 2}});
    gone.TrackMark[1] = gone.TrackMark[2] = MarkArea;
    const std::string gpx = (dir_ / "empty_s.gpx").string();
    SaveEditedTrack(gone, gpx, EditedTrackFormat::Gpx);
    EXPECT_EQ(gone.TrackCount, 0);
    TrackStore reread;
    ReadGpxTrack(gpx, reread);
    EXPECT_EQ(reread.TrackCount, 0);
}

TEST_F(SavingFiles, AFailedWriteKeepsEveryDeletedPointAndLeavesNoFile)
{
    TrackStore store = MakeTrack({{0, 1, 1}, {1, 2, 2}, {2, 3, 3}});
    store.TrackMark[2] = MarkPoint;
    const fs::path blocked = dir_ / "boat_s.trb";
    fs::create_directories(blocked / "inside");  // a folder where the file should go
    EXPECT_THROW(SaveEditedTrack(store, blocked.string(), EditedTrackFormat::Trb), DataError);
    EXPECT_EQ(store.TrackCount, 3);
    EXPECT_EQ(Marks(store), (std::vector<std::int32_t>{0, 4, 0}));
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(dir_))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"boat_s.trb"});
    EXPECT_TRUE(fs::is_directory(blocked));
}

TEST(LongTracks, TheFirstPresentPointBeyondAMillionIsFound)
{
    TrackStore store;
    TrackFiller filler(store);
    filler.ExpectPoints(1000010);
    for (int i = 1; i <= 1000005; ++i)
        filler.Store(kDay0 + i / 86400.0, i * 1e-5, i * 2e-5);
    filler.Finish();
    for (std::int32_t i = 1; i <= 1000002; ++i)
        store.TrackMark[i] = MarkArea;
    for (std::int32_t i = 1000003; i <= 1000005; ++i)
        store.TrackMark[i] = 0;
    TrackEditState edit = FreshEdit(store);
    MapView view;
    ASSERT_TRUE(UpdateMapView(store, edit, view));
    EXPECT_EQ(edit.FirstPresent, 1000003);
    EXPECT_EQ(edit.LastPresent, 1000005);
}

} // namespace
} // namespace tackedit
