#pragma once

// The redraw's passes over every point of a long track, on all cores. Each
// gives what its one-thread form in editor_core.h gives.

#include "editor/editor_core.h"

#include <cstdint>
#include <vector>

namespace tackedit {

// The map's polyline as TraceTrackMap draws it, less the line-tos to the pixel
// the pen already stands on, which add nothing to the picture. With an index,
// the same pass builds the hover's index for a map of width x height (the
// points it projects are the ones the index holds).
struct MapTraceStep {
    std::int64_t x, y;
    bool move;
    bool operator==(const MapTraceStep&) const = default;
};
std::vector<MapTraceStep> TraceTrackMapSteps(const TrackStore& store, const TrackEditState& edit,
                                             const MapView& view, MapPointIndex* index = nullptr,
                                             int width = MapWidth, int height = MapHeight);

template <class Pen>
void TraceTrackMapOnAllCores(const TrackStore& store, const TrackEditState& edit, const MapView& view, Pen& pen,
                             MapPointIndex* index = nullptr, int width = MapWidth, int height = MapHeight)
{
    for (const MapTraceStep& step : TraceTrackMapSteps(store, edit, view, index, width, height))
        step.move ? pen.MoveTo(step.x, step.y) : pen.LineTo(step.x, step.y);
}

// Which columns of a time line `width` pixels wide hold a tick, as TraceTimeline
// would mark them, and how many ticks there are.
struct TimelineColumns {
    std::vector<char> used;
    std::int32_t ticks = 0;
};
TimelineColumns TraceTimelineColumns(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                                     int width);

} // namespace tackedit
