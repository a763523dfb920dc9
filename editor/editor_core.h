#pragma once

// The track editor without its window: projections, hit tests, deletions,
// restores, automatic editing and the compaction before a save. The screen only
// translates mouse events into these calls and paints what the Trace functions
// hand its pen; the command-line tool and the benchmarks call them directly.
//
// Precision: a value the editor holds in single precision (spans, scales, the
// speed test's hours and distances, the thinning's seconds) is rounded to float
// when it is stored; the arithmetic between stored values runs in double.

#include "editor/editor_state.h"
#include "track/track_loader.h"
#include "track/track_store.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace tackedit {

inline constexpr float MapAspect = 0.81f;  // width of a minute of longitude per minute of latitude

inline constexpr int MapWidth = 513, MapHeight = 513;        // Image3
inline constexpr int TimelineWidth = 513, TimelineHeight = 33;  // Image6
inline constexpr int ZoomWidthPixels = 300, ZoomHeightPixels = 300;  // Image7
inline constexpr std::int32_t HoverLimit = 10000;  // squared pixels: 100 pixels

struct PixelPoint {
    std::int64_t x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Nearest whole number, halves to even. Far-off values are clamped first so a
// deleted point thousands of miles off a tiny view still gives a number.
inline std::int64_t RoundPixel(double value)
{
    if (!(value > -1e15))
        return -1000000000000000LL;
    if (value > 1e15)
        return 1000000000000000LL;
    // Below 2^51, adding and taking away 1.5 * 2^52 leaves the nearest whole
    // number, halves to even (the default rounding): nearbyint without the call.
    constexpr double kShift = 6755399441055744.0;
    return static_cast<std::int64_t>((value + kShift) - kShift);
}

// Toward zero, with the same clamp.
inline std::int64_t TruncPixel(double value)
{
    if (!(value > -1e15))
        return -1000000000000000LL;
    if (value > 1e15)
        return 1000000000000000LL;
    return static_cast<std::int64_t>(value);
}

// ---- Map (Image3) ----

// Recomputes FirstPresent, LastPresent and the view from the present points. False
// when they have no extent in latitude or in longitude: the scales then keep
// their values and the map keeps its picture.
bool UpdateMapView(const TrackStore& store, TrackEditState& edit, MapView& view, int width = MapWidth,
                   int height = MapHeight);

// The view of a box (minutes of arc), fitted into 90 % of the picture with the
// map's aspect; false, with the scales kept, when the box has no extent.
bool FitMapView(double min_lat, double max_lat, double min_lon, double max_lon, MapView& view, int width = MapWidth,
                int height = MapHeight);

inline PixelPoint ProjectToMap(const MapView& view, double lat, double lon)
{
    return {RoundPixel((lon - view.ViewCenterLon) * view.ViewScaleLon + view.ViewCenterX),
            RoundPixel(view.ViewCenterY - (lat - view.ViewCenterLat) * view.ViewScaleLat)};
}

// Seconds between two track times as the map's gap test holds them.
inline float GapSeconds(double from, double to)
{
    return static_cast<float>((to - from) * 24 * 3600);
}
inline constexpr float MapGapSeconds = 1000.0f;

// The map's polyline: one MoveTo at the start and after every gap of more than
// 1000 s between consecutive present points, a LineTo otherwise.
template <class Pen>
void TraceTrackMap(const TrackStore& store, const TrackEditState& edit, const MapView& view, Pen& pen)
{
    std::int32_t previous = 0;
    for (std::int32_t i = edit.FirstPresent; i <= edit.LastPresent; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const PixelPoint p = ProjectToMap(view, store.TrackLat[i], store.TrackLon[i]);
        if (previous == 0 || GapSeconds(store.TrackTime[previous], store.TrackTime[i]) > MapGapSeconds)
            pen.MoveTo(p.x, p.y);
        else
            pen.LineTo(p.x, p.y);
        previous = i;
    }
}

// The present point nearest to (x, y) within 100 pixels; of equally near points
// the lowest index. 0 when there is none.
std::int32_t FindNearestMapPoint(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                                 std::int64_t x, std::int64_t y);

// ---- Time line (Image6) ----

// False with fewer than two present points: the time line keeps its picture.
bool UpdateTimelineView(const TrackStore& store, const TrackEditState& edit, TimelineView& view,
                        int width = TimelineWidth, int height = TimelineHeight);

inline std::int64_t TimelineColumn(const TimelineView& view, double time, double first_time)
{
    return TruncPixel((time - first_time) * view.TimeScale + view.TimeMargin);
}

// Calls tick(x) for every present point of FirstPresent..LastPresent in index
// order; returns how many there were.
template <class Tick>
std::int32_t TraceTimeline(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                           Tick&& tick)
{
    std::int32_t counted = 0;
    for (std::int32_t i = edit.FirstPresent; i <= edit.LastPresent; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        tick(TimelineColumn(view, store.TrackTime[i], store.TrackTime[edit.FirstPresent]));
        ++counted;
    }
    return counted;
}

// Mean interval of the present points in whole seconds, from the span the time
// line holds and the number of ticks it drew.
std::int32_t MeanPresentInterval(const TimelineView& view, std::int32_t present_points);

// "ｲﾝﾀｰﾊﾞﾙ(sec）: 2 ⇒ 20"
// The whole seconds as they are, and an interval under half a second (a 10 Hz
// track) with two significant digits rather than as 0.
std::string IntervalLabelText(double loaded_seconds, double current_seconds, int ui_language = 0);

struct TimelineHit {
    std::int32_t index = 0;           // 0: no present point
    std::int64_t distance = 10000;    // columns from x
};
TimelineHit FindNearestTimelinePoint(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                                     std::int64_t x);

// ---- Close-up (Image7) ----

// The window of ±30 indices around point k (a present point) and its scale.
void UpdateZoomView(const TrackStore& store, ZoomView& zoom, std::int32_t k, int width = ZoomWidthPixels,
                    int height = ZoomHeightPixels);

inline PixelPoint ProjectToZoom(const ZoomView& zoom, double lat, double lon)
{
    return {RoundPixel((lon - zoom.ZoomCenterLon) * zoom.ZoomScaleLon + zoom.ZoomCenterX),
            RoundPixel(zoom.ZoomCenterY - (lat - zoom.ZoomCenterLat) * zoom.ZoomScaleLat)};
}

// The close-up's polyline (no breaks for time gaps).
template <class Pen>
void TraceZoomTrack(const TrackStore& store, const ZoomView& zoom, Pen& pen)
{
    if (zoom.Degenerate)
        return;
    bool first = true;
    for (std::int32_t i = zoom.ZoomFirst; i <= zoom.ZoomLast; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const PixelPoint p = ProjectToZoom(zoom, store.TrackLat[i], store.TrackLon[i]);
        if (first)
            pen.MoveTo(p.x, p.y);
        else
            pen.LineTo(p.x, p.y);
        first = false;
    }
}

// Where the red cross goes: the centre point's close-up position, or nothing when
// that point is no longer present.
std::optional<PixelPoint> ZoomCrossCentre(const TrackStore& store, const ZoomView& zoom);
inline constexpr int ZoomCrossArm = 20;

// ---- Deletions ----

// Area drag from (x0, y0) to (x1, y1), bounds included. delete_inside: right or
// middle button; otherwise the points outside go. A rectangle of zero width or
// height deletes nothing. Returns the number of marks changed.
std::int32_t DeleteByArea(TrackStore& store, const TrackEditState& edit, const MapView& view, std::int64_t x0,
                          std::int64_t y0, std::int64_t x1, std::int64_t y1, bool delete_inside);

// Time-line drag over the columns x0..x1 (either order), bounds included.
std::int32_t DeleteByTimeRange(TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                               std::int64_t x0, std::int64_t x1, bool delete_inside);

// Shift+click: MarkPoint on a point whose mark is 0 to 3. False when nothing changed.
bool DeletePoint(TrackStore& store, std::int32_t index);

// Recounts the five counters from TrackMark.
void CountDeletions(const TrackStore& store, TrackEditState& edit);

// ---- Restores ----

void RestoreMarks(TrackStore& store, std::int32_t bit);
void RestoreAllMarks(TrackStore& store);

// ---- Automatic editing ----

// Each pass works on FirstPresent..LastPresent and on present points only, and
// returns how many points it marked with MarkAuto.
//
// A point recorded at the same time as the last accepted point (a fast logger
// read with whole seconds) counts as a second after it: the fixes of one second
// stay unless one of them lies further than a second's sailing at max_speed.
std::int32_t RunSpeedTest(TrackStore& store, const TrackEditState& edit, float max_speed);
std::int32_t RunIntervalThinning(TrackStore& store, const TrackEditState& edit, float interval);

struct AutoEditSettings {
    std::optional<float> Interval;  // seconds; thinning when set
    std::optional<float> MaxSpeed;  // knots; speed test when set
};

// The speed test first, then the thinning, which sees the speed test's deletions.
std::int32_t RunAutoEdit(TrackStore& store, const TrackEditState& edit, const AutoEditSettings& settings);

// ---- Saving ----

enum class EditedTrackFormat { Trb, Gpx };

// Beside the current file: its name cut at the first "." of the file name, plus
// "_s.trb" or "_s.gpx" ("_s" once: a cleaned track saved again replaces itself).
std::string EditedTrackName(const std::string& current_file, EditedTrackFormat format);

// Drops the deleted points, keeping the order; every mark is 0 afterwards.
// Returns the new TrackCount.
std::int32_t CompactTrack(TrackStore& store);

// Compacts a copy of the track and writes it; only when the write succeeded does
// the copy replace the track, so a failed save loses no deleted point. Raises
// DataError naming the file. Returns how many fixes the file left out (those
// within the second of the fix before, see WholeSecondFormat).
std::int32_t SaveEditedTrack(TrackStore& store, const std::string& path, EditedTrackFormat format);

// How many the save would leave out, for the confirmation.
std::int32_t SaveLeavesOut(const TrackStore& store, EditedTrackFormat format);

} // namespace tackedit
