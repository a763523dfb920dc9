// The hover's index answers what the linear search answers, through every kind
// of deletion and restore, with and without a redraw in between.

#include "editor/map_index.h"
#include "editor/track_passes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tackedit {
namespace {

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    int Below(int n)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
    }

private:
    std::uint32_t state_;
};

// Points on a coarse lattice, so that many share a pixel or a distance from
// the mouse, now and then one far off the rest.
TrackStore RandomTrack(Random& r, int points)
{
    TrackStore store;
    TrackFiller filler(store);
    for (int i = 0; i < points; ++i) {
        const bool far = r.Below(40) == 0;
        filler.Store(40000.0 + i / 86400.0 * (1 + r.Below(30)), 2100 + r.Below(40) * 0.05 + (far ? 300 : 0),
                     8370 + r.Below(40) * 0.05);
    }
    filler.Finish();
    return store;
}

void ExpectIndexAgrees(Random& r, const TrackStore& store, const TrackEditState& edit, const MapView& view,
                       MapPointIndex& index)
{
    for (int q = 0; q < 200; ++q) {
        std::int64_t x = r.Below(560) - 20, y = r.Below(560) - 20;
        if (q % 4 == 0 && store.TrackCount > 0) {  // right at a point, or just beside it
            const std::int32_t i = 1 + r.Below(store.TrackCount);
            const PixelPoint p = ProjectToMap(view, store.TrackLat[i], store.TrackLon[i]);
            x = p.x + r.Below(3) - 1;
            y = p.y + r.Below(3) - 1;
        }
        ASSERT_EQ(FindNearestMapPoint(store, edit, view, index, x, y), FindNearestMapPoint(store, edit, view, x, y))
            << "mouse at " << x << "," << y;
    }
}

TEST(MapPointIndex, AgreesWithTheLinearSearchThroughDeletionsAndRestores)
{
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        Random r(seed);
        TrackStore store = RandomTrack(r, seed < 3 ? 1 + r.Below(3) : 200 + r.Below(3000));
        TrackEditState edit;
        edit.FirstPresent = 1;
        edit.LastPresent = store.TrackCount;
        MapView view;
        TimelineView timeline;
        UpdateMapView(store, edit, view);
        MapPointIndex index;
        UpdateMapPointIndex(store, edit, view, index);
        for (int step = 0; step < 25; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            switch (r.Below(8)) {
            case 0:
                DeleteByArea(store, edit, view, r.Below(513), r.Below(513), r.Below(513), r.Below(513), r.Below(2));
                break;
            case 1:
                if (UpdateTimelineView(store, edit, timeline))
                    DeleteByTimeRange(store, edit, timeline, r.Below(513), r.Below(513), r.Below(2));
                break;
            case 2:
                for (int k = 0; k < 20 && store.TrackCount > 0; ++k)
                    DeletePoint(store, 1 + r.Below(store.TrackCount));
                break;
            case 3: RunAutoEdit(store, edit, {5.0f + r.Below(30), 1.0f + r.Below(12)}); break;
            case 4: RestoreMarks(store, 1 << r.Below(4)); break;
            case 5: RestoreAllMarks(store); break;
            default: UpdateMapView(store, edit, view); break;  // the redraw after an edit
            }
            ExpectIndexAgrees(r, store, edit, view, index);
        }
    }
}

struct StepPen {
    std::vector<MapTraceStep> steps;
    void MoveTo(std::int64_t x, std::int64_t y) { steps.push_back({x, y, true}); }
    void LineTo(std::int64_t x, std::int64_t y)
    {
        // What the picture shows: a line to where the pen stands draws nothing.
        if (steps.empty() || steps.back().x != x || steps.back().y != y)
            steps.push_back({x, y, false});
    }
};

TEST(MapPointIndex, RedrawPassesOnAllCoresGiveTheOneThreadResults)
{
    // Long enough to be cut among threads, with pauses that break the line.
    Random r(11);
    TrackStore store = RandomTrack(r, 300000);
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        store.TrackTime[i] = 40000 + i / 86400.0 + (i / 997) * 0.02;  // a pause of half an hour every 997 points
    TrackEditState edit;
    edit.FirstPresent = 1;
    edit.LastPresent = store.TrackCount;
    MapView view;
    TimelineView timeline;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(UpdateMapView(store, edit, view));
        StepPen one_thread;
        TraceTrackMap(store, edit, view, one_thread);
        MapPointIndex index;
        EXPECT_TRUE(TraceTrackMapSteps(store, edit, view, &index) == one_thread.steps);
        ExpectIndexAgrees(r, store, edit, view, index);

        ASSERT_TRUE(UpdateTimelineView(store, edit, timeline));
        std::vector<char> used(TimelineWidth, 0);
        const std::int32_t ticks = TraceTimeline(store, edit, timeline, [&used](std::int64_t x) {
            if (x >= 0 && x < TimelineWidth)
                used[static_cast<std::size_t>(x)] = 1;
        });
        const TimelineColumns columns = TraceTimelineColumns(store, edit, timeline, TimelineWidth);
        EXPECT_EQ(columns.ticks, ticks);
        EXPECT_EQ(columns.used, used);

        DeleteByTimeRange(store, edit, timeline, 100 + r.Below(100), 300 + r.Below(100), true);
        RunAutoEdit(store, edit, {20.0f, 6.0f});
    }
}

} // namespace
} // namespace tackedit
