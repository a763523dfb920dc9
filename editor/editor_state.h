#pragma once

// The track editor's view and selection state, held once by the application.
// Plain values (and the hover's index worked out from them): the projections are recomputed by every redraw and every
// mouse handler reads them as the last redraw left them.

#include <cstdint>
#include <optional>
#include <vector>

namespace tackedit {

// TrackMark bits. They are added, never or-ed: each deletion checks that its own
// bit (and the bits it must not join) is absent first, so the sum stays 0..9.
inline constexpr std::int32_t MarkArea = 1;
inline constexpr std::int32_t MarkTime = 2;
inline constexpr std::int32_t MarkPoint = 4;
inline constexpr std::int32_t MarkAuto = 8;

// The projection of the map Image3.
struct MapView {
    double ViewMaxLat = 0, ViewMinLat = 0;
    double ViewMaxLon = 0, ViewMinLon = 0;
    double ViewCenterLat = 0, ViewCenterLon = 0;
    std::int32_t ViewCenterX = 0, ViewCenterY = 0;
    float ViewScaleLat = 0;  // pixels per minute
    float ViewScaleLon = 0;
    bool operator==(const MapView&) const = default;
};

// The time line Image6.
struct TimelineView {
    float TimeSpan = 0;   // days from the first to the last present point
    float TimeScale = 0;  // pixels per day
    std::int32_t TimeMargin = 0;
    std::int32_t Top = 0, Bottom = 0;  // rows of a tick
};

// The close-up Image7.
struct ZoomView {
    std::int32_t ZoomCenterIndex = 0;
    std::int32_t ZoomFirst = 0, ZoomLast = -1;
    std::int32_t ZoomWidth = 0, ZoomHeight = 0;
    std::int32_t ZoomCenterX = 0, ZoomCenterY = 0;
    float ZoomScaleLat = 0, ZoomScaleLon = 0;
    float ZoomCenterLat = 0, ZoomCenterLon = 0;
    // Every present point of the window at one position: nothing to scale, so
    // only the cross is drawn, at the centre.
    bool Degenerate = false;
};

// The hover's index over the map (map_index.h): for every pixel of the map and
// a margin of 100 pixels, the lowest index of the present points drawn there.
struct MapPointIndex {
    // What the grid was built from; a query finding anything changed builds it
    // anew.
    const double* lat = nullptr;
    std::uint64_t changes = 0;
    std::int32_t first = 0, last = -1;
    MapView view;
    int width = 0, height = 0;
    bool built = false;
    std::vector<std::int32_t> grid;  // (width + 200) x (height + 200); 0: no present point
};

struct EditorState {
    MapView map;
    TimelineView timeline;
    ZoomView zoom;
    std::int32_t CurrentInterval = 0;  // seconds, mean interval of the present points
    std::int32_t MapDragX = -1, MapDragY = -1;    // a map drag is active while MapDragX > 0
    std::int32_t TimeDragX = -1, TimeDragY = -1;  // a time-line drag is active while TimeDragX > 0
    std::int32_t HoverIndex = 0;                  // present point under the mouse on the map; 0 none
    MapPointIndex map_points;                     // rebuilt by the map's redraw
    // Local time minus UTC in hours as the settings file holds it (the last race
    // saved); nullopt until a file gave one. The hover adds the local time with it.
    std::optional<int> TimeDiffHours;
};

} // namespace tackedit
