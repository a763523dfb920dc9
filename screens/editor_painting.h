#pragma once

// Off-screen pictures of the editor's three images, painted with pens from the
// pure Trace functions. The screen copies them onto its image controls in one
// step; the benchmark times them without a window.

#include "editor/editor_core.h"

#include <QImage>

namespace tackedit {

// Black polyline on white. Call after UpdateMapView returned true. With an
// index, the same pass builds the hover's index for this picture.
QImage PaintTrackMap(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                     int width = MapWidth, int height = MapHeight, MapPointIndex* index = nullptr);

// Green ticks on white; present_points receives the number of ticks. Call after
// UpdateTimelineView returned true.
QImage PaintTimeline(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                     std::int32_t& present_points, int width = TimelineWidth, int height = TimelineHeight);

// Blue polyline and the red cross on white.
QImage PaintZoomView(const TrackStore& store, const ZoomView& zoom);

} // namespace tackedit
