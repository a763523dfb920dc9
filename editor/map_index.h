#pragma once

// The hover's nearest point without a pass over the whole track. A grid over
// the map and a margin of 100 pixels holds, for every pixel, the lowest index of
// the present points drawn there; the hover then looks at the pixels around the
// mouse from the nearest outwards. Among equally near pixels the lowest index
// wins and nothing 100 pixels off counts, so the answer is the linear search's.

#include "editor/editor_core.h"

#include <cstdint>

namespace tackedit {


inline constexpr int MapPointMargin = 100;

// The index was built for this track, its marks, its range and this view.
bool MapPointIndexMatches(const MapPointIndex& index, const TrackStore& store, const TrackEditState& edit,
                          const MapView& view, int width, int height);

// An empty grid for the track and the view as they are now, to be filled.
void ResetMapPointIndex(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                        MapPointIndex& index, int width, int height);

// Builds the index for the track, its marks and the view as they are now,
// unless it already matches them. The redraw calls it so the first hover after
// an edit costs no more than the next.
void UpdateMapPointIndex(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                         MapPointIndex& index, int width = MapWidth, int height = MapHeight);

// FindNearestMapPoint's answer through the index, brought up to date first. A
// mouse outside the map takes the linear search.
std::int32_t FindNearestMapPoint(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                                 MapPointIndex& index, std::int64_t x, std::int64_t y);

} // namespace tackedit
