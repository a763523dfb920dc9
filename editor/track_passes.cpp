#include "editor/track_passes.h"

#include "editor/map_index.h"
#include "track/parallel_parse.h"

#include <mutex>

namespace tackedit {

namespace {

// One thread's stretch of the map's polyline. Its first step is a move or a
// line depending on the last point drawn before the stretch, which only the
// stretches before it know: it is decided when the stretches are joined.
struct MapStretch {
    std::vector<MapTraceStep> steps;
    std::int32_t first = 0, last = 0;  // present points drawn first and last; 0: none
    std::vector<std::int32_t> own_grid;  // the hover index's cells, for a stretch after the first
};

// The cells of the hover's index: for each pixel, the lowest present index.
struct GridView {
    std::int32_t* cells = nullptr;
    std::int64_t width = 0, height = 0;

    void Note(const PixelPoint& p, std::int32_t i) const
    {
        const std::int64_t gx = p.x + MapPointMargin, gy = p.y + MapPointMargin;
        if (cells && gx >= 0 && gy >= 0 && gx < width && gy < height) {
            std::int32_t& cell = cells[gy * width + gx];
            if (cell == 0)
                cell = i;
        }
    }
};

void TraceStretch(const TrackStore& store, const MapView& view, std::int32_t from, std::int32_t to, MapStretch& out,
                  const GridView& grid)
{
    // Local copies of the array pointers: stores through the steps or the grid
    // would otherwise make every iteration load them again.
    const std::int32_t* mark = store.TrackMark.data();
    const double* lat = store.TrackLat.data();
    const double* lon = store.TrackLon.data();
    const double* time = store.TrackTime.data();
    std::int32_t previous = 0;
    std::int64_t last_x = 0, last_y = 0;
    for (std::int32_t i = from; i <= to; ++i) {
        if (mark[i] != 0)
            continue;
        const PixelPoint p = ProjectToMap(view, lat[i], lon[i]);
        // A point on the pixel of the point before adds nothing, to the picture
        // or to the index (which holds a lower index there already).
        const bool same_pixel = previous != 0 && last_x == p.x && last_y == p.y;
        if (!same_pixel)
            grid.Note(p, i);
        if (previous == 0) {
            out.first = i;
            out.steps.push_back({p.x, p.y, true});
        } else if (GapSeconds(time[previous], time[i]) > MapGapSeconds) {
            out.steps.push_back({p.x, p.y, true});
        } else if (!same_pixel) {
            out.steps.push_back({p.x, p.y, false});
        }
        last_x = p.x;
        last_y = p.y;
        previous = i;
    }
    out.last = previous;
}

} // namespace

std::vector<MapTraceStep> TraceTrackMapSteps(const TrackStore& store, const TrackEditState& edit,
                                             const MapView& view, MapPointIndex* index, int width, int height)
{
    if (index)
        ResetMapPointIndex(store, edit, view, *index, width, height);
    const std::int32_t first = std::max(edit.FirstPresent, 1), last = std::min(edit.LastPresent, store.TrackCount);
    std::vector<MapTraceStep> steps;
    if (first <= last) {
        const auto n = static_cast<std::size_t>(last - first + 1);
        std::vector<MapStretch> stretches(static_cast<std::size_t>(LoadThreads()));
        SplitWork(n, [&](std::size_t part, std::size_t from, std::size_t to) {
            GridView grid;
            if (index) {
                grid.width = width + 2 * MapPointMargin;
                grid.height = height + 2 * MapPointMargin;
                if (part == 0) {
                    grid.cells = index->grid.data();
                } else {
                    stretches[part].own_grid.assign(index->grid.size(), 0);
                    grid.cells = stretches[part].own_grid.data();
                }
            }
            TraceStretch(store, view, first + static_cast<std::int32_t>(from),
                         first + static_cast<std::int32_t>(to) - 1, stretches[part], grid);
        });
        steps = std::move(stretches[0].steps);
        std::int32_t previous = stretches[0].last;
        for (std::size_t s = 1; s < stretches.size(); ++s) {
            MapStretch& stretch = stretches[s];
            // Later stretches hold higher indices: they only fill empty cells.
            for (std::size_t c = 0; c < stretch.own_grid.size(); ++c)
                if (index->grid[c] == 0)
                    index->grid[c] = stretch.own_grid[c];
            if (stretch.first == 0)
                continue;
            stretch.steps[0].move = previous == 0 || GapSeconds(store.TrackTime[previous],
                                                                store.TrackTime[stretch.first]) > MapGapSeconds;
            steps.insert(steps.end(), stretch.steps.begin(), stretch.steps.end());
            previous = stretch.last;
        }
    }
    if (index)
        index->built = true;
    return steps;
}

TimelineColumns TraceTimelineColumns(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                                     int width)
{
    TimelineColumns out;
    out.used.assign(static_cast<std::size_t>(std::max(width, 0)), 0);
    const std::int32_t first = std::max(edit.FirstPresent, 1), last = std::min(edit.LastPresent, store.TrackCount);
    if (first > last)
        return out;
    const double first_time = store.TrackTime[edit.FirstPresent];
    std::mutex mutex;
    SplitWork(static_cast<std::size_t>(last - first + 1), [&](std::size_t, std::size_t from, std::size_t to) {
        std::vector<char> used(out.used.size(), 0);
        char* column = used.data();
        const std::int32_t* mark = store.TrackMark.data();
        const double* time = store.TrackTime.data();
        std::int32_t ticks = 0;
        for (auto i = first + static_cast<std::int32_t>(from); i < first + static_cast<std::int32_t>(to); ++i) {
            if (mark[i] != 0)
                continue;
            const std::int64_t x = TimelineColumn(view, time[i], first_time);
            if (x >= 0 && x < width)
                column[x] = 1;
            ++ticks;
        }
        std::lock_guard lock(mutex);
        for (std::size_t x = 0; x < used.size(); ++x)
            out.used[x] |= used[x];
        out.ticks += ticks;
    });
    return out;
}

} // namespace tackedit
