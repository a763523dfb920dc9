#include "editor/map_index.h"

#include "editor/track_passes.h"

#include <algorithm>

namespace tackedit {

namespace {

// Every pixel offset nearer than 100 pixels, nearest first.
struct Offset {
    std::int32_t d;
    std::int16_t dx, dy;
};

const std::vector<Offset>& OffsetsByDistance()
{
    static const std::vector<Offset> offsets = [] {
        std::vector<Offset> all;
        for (int dy = -99; dy <= 99; ++dy)
            for (int dx = -99; dx <= 99; ++dx)
                if (dx * dx + dy * dy < HoverLimit)
                    all.push_back({dx * dx + dy * dy, static_cast<std::int16_t>(dx), static_cast<std::int16_t>(dy)});
        std::sort(all.begin(), all.end(), [](const Offset& a, const Offset& b) { return a.d < b.d; });
        return all;
    }();
    return offsets;
}

} // namespace

bool MapPointIndexMatches(const MapPointIndex& index, const TrackStore& store, const TrackEditState& edit,
                          const MapView& view, int width, int height)
{
    return index.built && index.lat == store.TrackLat.data() && index.changes == store.Changes &&
           index.first == edit.FirstPresent && index.last == std::min(edit.LastPresent, store.TrackCount) &&
           index.view == view && index.width == width && index.height == height;
}

void ResetMapPointIndex(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                        MapPointIndex& index, int width, int height)
{
    index.grid.assign(static_cast<std::size_t>(width + 2 * MapPointMargin) *
                          static_cast<std::size_t>(height + 2 * MapPointMargin),
                      0);
    index.lat = store.TrackLat.data();
    index.changes = store.Changes;
    index.first = edit.FirstPresent;
    index.last = std::min(edit.LastPresent, store.TrackCount);
    index.view = view;
    index.width = width;
    index.height = height;
    index.built = false;
}

void UpdateMapPointIndex(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                         MapPointIndex& index, int width, int height)
{
    if (!MapPointIndexMatches(index, store, edit, view, width, height))
        TraceTrackMapSteps(store, edit, view, &index, width, height);
}

std::int32_t FindNearestMapPoint(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                                 MapPointIndex& index, std::int64_t x, std::int64_t y)
{
    const int width = index.built ? index.width : MapWidth, height = index.built ? index.height : MapHeight;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return FindNearestMapPoint(store, edit, view, x, y);
    UpdateMapPointIndex(store, edit, view, index, width, height);
    const int grid_width = width + 2 * MapPointMargin;
    const std::int32_t* centre = index.grid.data() + (y + MapPointMargin) * grid_width + (x + MapPointMargin);
    const std::vector<Offset>& offsets = OffsetsByDistance();
    std::int32_t best = 0;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        const std::int32_t cell = centre[offsets[k].dy * grid_width + offsets[k].dx];
        if (cell != 0 && (best == 0 || cell < best))
            best = cell;
        // The last offset at this distance: the nearest points, if any, are in.
        if (best != 0 && (k + 1 == offsets.size() || offsets[k + 1].d != offsets[k].d))
            return best;
    }
    return 0;
}

} // namespace tackedit
