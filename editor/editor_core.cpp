#include "editor/editor_core.h"

#include "base/messages.h"

#include "base/numbers.h"
#include "base/workspace_files.h"
#include "track/parallel_parse.h"
#include "track/formats/format_common.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tackedit {

namespace {

// Past every index a track can have: the first present point found replaces it.
// 1000000 is the value the view starts from; a longer track needs more.
std::int32_t FirstPresentStart(const TrackStore& store)
{
    return std::max<std::int32_t>(1000000, store.TrackCount + 1);
}

} // namespace

bool UpdateMapView(const TrackStore& store, TrackEditState& edit, MapView& view, int width, int height)
{
    // The box and the range of the present points, a stretch of indices per
    // thread; minima and maxima come out the same whichever way they are taken.
    struct Box {
        double max_lat = -5400, min_lat = 5400, max_lon = -10800, min_lon = 10800;
        std::int32_t first = INT32_MAX, last = 0;
    };
    std::vector<Box> boxes(static_cast<std::size_t>(LoadThreads()));
    SplitWork(static_cast<std::size_t>(std::max(store.TrackCount, 0)),
              [&store, &boxes](std::size_t part, std::size_t from, std::size_t to) {
                  Box b;
                  const std::int32_t* mark = store.TrackMark.data();
                  const double* lats = store.TrackLat.data();
                  const double* lons = store.TrackLon.data();
                  for (auto i = static_cast<std::int32_t>(from) + 1; i <= static_cast<std::int32_t>(to); ++i) {
                      if (mark[i] != 0)
                          continue;
                      const double lat = lats[i], lon = lons[i];
                      b.max_lat = std::max(b.max_lat, lat);
                      b.min_lat = std::min(b.min_lat, lat);
                      b.max_lon = std::max(b.max_lon, lon);
                      b.min_lon = std::min(b.min_lon, lon);
                      b.first = std::min(b.first, i);
                      b.last = i;
                  }
                  boxes[part] = b;
              });
    double max_lat = -5400, min_lat = 5400, max_lon = -10800, min_lon = 10800;
    std::int32_t first = FirstPresentStart(store), last = 0;
    for (const Box& b : boxes) {
        max_lat = std::max(max_lat, b.max_lat);
        min_lat = std::min(min_lat, b.min_lat);
        max_lon = std::max(max_lon, b.max_lon);
        min_lon = std::min(min_lon, b.min_lon);
        first = std::min(first, b.first);
        last = std::max(last, b.last);
    }
    edit.FirstPresent = first;
    edit.LastPresent = last;
    return FitMapView(min_lat, max_lat, min_lon, max_lon, view, width, height);
}

bool FitMapView(double min_lat, double max_lat, double min_lon, double max_lon, MapView& view, int width, int height)
{
    view.ViewMaxLat = max_lat;
    view.ViewMinLat = min_lat;
    view.ViewMaxLon = max_lon;
    view.ViewMinLon = min_lon;
    view.ViewCenterLat = (max_lat + min_lat) / 2;
    view.ViewCenterLon = (max_lon + min_lon) / 2;

    const float lat_span = static_cast<float>(max_lat - min_lat);
    const float lon_span = static_cast<float>(max_lon - min_lon);
    const std::int64_t w = RoundHalfEven(width * 0.9L);
    const std::int64_t h = RoundHalfEven(height * 0.9L);
    view.ViewCenterX = static_cast<std::int32_t>(RoundHalfEven(width / 2.0L));
    view.ViewCenterY = static_cast<std::int32_t>(RoundHalfEven(height / 2.0L));
    if (!(lat_span > 0) || !(lon_span > 0))
        return false;
    if (static_cast<double>(lon_span) * MapAspect > lat_span) {
        view.ViewScaleLon = static_cast<float>(static_cast<double>(w) / lon_span * MapAspect);
        view.ViewScaleLat = static_cast<float>(static_cast<double>(view.ViewScaleLon) / MapAspect);
    } else {
        view.ViewScaleLat = static_cast<float>(static_cast<double>(h) / lat_span);
        view.ViewScaleLon = static_cast<float>(static_cast<double>(view.ViewScaleLat) * MapAspect);
    }
    return true;
}

std::int32_t FindNearestMapPoint(const TrackStore& store, const TrackEditState& edit, const MapView& view,
                                 std::int64_t x, std::int64_t y)
{
    std::int64_t best = HoverLimit;
    std::int32_t nearest = 0;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    for (std::int32_t i = edit.FirstPresent; i <= last; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const PixelPoint p = ProjectToMap(view, store.TrackLat[i], store.TrackLon[i]);
        const std::int64_t dx = p.x - x;
        // Anything 100 pixels off in one direction cannot beat the limit.
        if (dx >= 100 || dx <= -100)
            continue;
        const std::int64_t dy = p.y - y;
        if (dy >= 100 || dy <= -100)
            continue;
        const std::int64_t d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

bool UpdateTimelineView(const TrackStore& store, const TrackEditState& edit, TimelineView& view, int width,
                        int height)
{
    if (edit.LastPresent <= edit.FirstPresent)
        return false;
    view.TimeSpan = static_cast<float>(store.TrackTime[edit.LastPresent] - store.TrackTime[edit.FirstPresent]);
    view.Top = height / 4;
    view.Bottom = static_cast<std::int32_t>(height * 0.75);
    const std::int32_t usable = static_cast<std::int32_t>(width * 0.95);
    view.TimeMargin = (width - usable) / 2;
    // Every present point at one time: they all stand at the margin.
    view.TimeScale = view.TimeSpan != 0 ? static_cast<float>(usable / static_cast<double>(view.TimeSpan)) : 0.0f;
    return true;
}

std::int32_t MeanPresentInterval(const TimelineView& view, std::int32_t present_points)
{
    if (present_points <= 0)
        return 0;
    return RoundHalfEvenToInt32(static_cast<long double>(view.TimeSpan) * 24 * 3600 / present_points);
}

namespace {

std::string IntervalFigure(double seconds)
{
    const std::int32_t whole = RoundHalfEvenToInt32(static_cast<long double>(seconds));
    if (whole != 0 || !(seconds > 0))
        return std::to_string(whole);
    char text[32];
    std::snprintf(text, sizeof text, "%.2g", seconds);
    return text;
}

} // namespace

std::string IntervalLabelText(double loaded_seconds, double current_seconds, int ui_language)
{
    return Say(texts::kIntervalLabel, ui_language, {IntervalFigure(loaded_seconds), IntervalFigure(current_seconds)});
}

TimelineHit FindNearestTimelinePoint(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                                     std::int64_t x)
{
    TimelineHit hit;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    for (std::int32_t i = edit.FirstPresent; i <= last; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const std::int64_t d =
            std::llabs(TimelineColumn(view, store.TrackTime[i], store.TrackTime[edit.FirstPresent]) - x);
        if (d < hit.distance) {
            hit.distance = d;
            hit.index = i;
        }
    }
    return hit;
}

void UpdateZoomView(const TrackStore& store, ZoomView& zoom, std::int32_t k, int width, int height)
{
    zoom.ZoomCenterIndex = k;
    zoom.ZoomFirst = std::max(k - 30, 1);
    zoom.ZoomLast = std::min(k + 30, store.TrackCount);
    float max_lat = -5400, min_lat = 5400, max_lon = -10800, min_lon = 10800;
    for (std::int32_t i = zoom.ZoomFirst; i <= zoom.ZoomLast; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const float lat = static_cast<float>(store.TrackLat[i]);
        const float lon = static_cast<float>(store.TrackLon[i]);
        max_lat = std::max(max_lat, lat);
        min_lat = std::min(min_lat, lat);
        max_lon = std::max(max_lon, lon);
        min_lon = std::min(min_lon, lon);
    }
    const float lat_span = max_lat - min_lat;
    const float lon_span = max_lon - min_lon;
    zoom.ZoomCenterLat = static_cast<float>((static_cast<double>(max_lat) + min_lat) / 2);
    zoom.ZoomCenterLon = static_cast<float>((static_cast<double>(max_lon) + min_lon) / 2);
    zoom.ZoomWidth = width;
    zoom.ZoomHeight = height;
    zoom.ZoomCenterX = width / 2;
    zoom.ZoomCenterY = height / 2;
    zoom.Degenerate = false;
    if (static_cast<double>(lon_span) * MapAspect >= lat_span) {
        if (!(lon_span > 0)) {
            zoom.Degenerate = true;
            zoom.ZoomScaleLon = zoom.ZoomScaleLat = 0;
            return;
        }
        zoom.ZoomScaleLon = static_cast<float>(width * 0.9 / lon_span);
        zoom.ZoomScaleLat = static_cast<float>(static_cast<double>(zoom.ZoomScaleLon) / MapAspect);
    } else {
        zoom.ZoomScaleLat = static_cast<float>(height * 0.9 / lat_span);
        zoom.ZoomScaleLon = static_cast<float>(static_cast<double>(zoom.ZoomScaleLat) * MapAspect);
    }
}

std::optional<PixelPoint> ZoomCrossCentre(const TrackStore& store, const ZoomView& zoom)
{
    const std::int32_t k = zoom.ZoomCenterIndex;
    if (k < 1 || k > store.TrackCount || store.TrackMark[k] != 0)
        return std::nullopt;
    if (zoom.Degenerate)
        return PixelPoint{zoom.ZoomCenterX, zoom.ZoomCenterY};
    return ProjectToZoom(zoom, store.TrackLat[k], store.TrackLon[k]);
}

std::int32_t DeleteByArea(TrackStore& store, const TrackEditState& edit, const MapView& view, std::int64_t x0,
                          std::int64_t y0, std::int64_t x1, std::int64_t y1, bool delete_inside)
{
    ++store.Changes;
    if (x0 == x1 || y0 == y1)
        return 0;
    const std::int64_t left = std::min(x0, x1), right = std::max(x0, x1);
    const std::int64_t top = std::min(y0, y1), bottom = std::max(y0, y1);
    std::int32_t changed = 0;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    for (std::int32_t i = edit.FirstPresent; i <= last; ++i) {
        const PixelPoint p = ProjectToMap(view, store.TrackLat[i], store.TrackLon[i]);
        const bool inside = p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
        if (inside == delete_inside && (store.TrackMark[i] & MarkArea) == 0) {
            store.TrackMark[i] += MarkArea;
            ++changed;
        }
    }
    return changed;
}

std::int32_t DeleteByTimeRange(TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                               std::int64_t x0, std::int64_t x1, bool delete_inside)
{
    ++store.Changes;
    const std::int64_t from = std::min(x0, x1), to = std::max(x0, x1);
    std::int32_t changed = 0;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    for (std::int32_t i = edit.FirstPresent; i <= last; ++i) {
        const std::int64_t column = TimelineColumn(view, store.TrackTime[i], store.TrackTime[edit.FirstPresent]);
        const bool inside = column >= from && column <= to;
        const std::int32_t mark = store.TrackMark[i];
        if (inside == delete_inside && (mark == 0 || mark == 1 || mark == 4 || mark == 5)) {
            store.TrackMark[i] += MarkTime;
            ++changed;
        }
    }
    return changed;
}

bool DeletePoint(TrackStore& store, std::int32_t index)
{
    if (index < 1 || index > store.TrackCount)
        return false;
    const std::int32_t mark = store.TrackMark[index];
    if (mark < 0 || mark > 3)
        return false;
    store.TrackMark[index] += MarkPoint;
    ++store.Changes;
    return true;
}

void CountDeletions(const TrackStore& store, TrackEditState& edit)
{
    edit.DeletedCount = edit.AreaDeletedCount = edit.TimeDeletedCount = 0;
    edit.PointDeletedCount = edit.AutoDeletedCount = 0;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        const std::int32_t mark = store.TrackMark[i];
        if (mark <= 0)
            continue;
        ++edit.DeletedCount;
        edit.AreaDeletedCount += (mark & MarkArea) != 0;
        edit.TimeDeletedCount += (mark & MarkTime) != 0;
        edit.PointDeletedCount += (mark & MarkPoint) != 0;
        edit.AutoDeletedCount += (mark & MarkAuto) != 0;
    }
}

void RestoreMarks(TrackStore& store, std::int32_t bit)
{
    ++store.Changes;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        if (store.TrackMark[i] & bit)
            store.TrackMark[i] -= bit;
}

void RestoreAllMarks(TrackStore& store)
{
    ++store.Changes;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        store.TrackMark[i] = 0;
}

std::int32_t RunSpeedTest(TrackStore& store, const TrackEditState& edit, float max_speed)
{
    ++store.Changes;
    std::int32_t deleted = 0;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    if (edit.FirstPresent > last)
        return 0;
    std::int32_t ref = edit.FirstPresent;
    for (std::int32_t i = edit.FirstPresent + 1; i <= last; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        float hours = static_cast<float>((store.TrackTime[i] - store.TrackTime[ref]) * 24);
        // Readers that keep whole seconds give a fast logger's fixes of one
        // second one time; they lie up to a second apart, so they are measured
        // as a second apart, never as an infinite speed.
        if (hours == 0)
            hours = 1.0f / 3600;
        const float dlat = static_cast<float>(store.TrackLat[i] - store.TrackLat[ref]);
        const float dlon = static_cast<float>(store.TrackLon[i] - store.TrackLon[ref]);
        const float dist = static_cast<float>(
            std::sqrt(static_cast<double>(dlat) * dlat + static_cast<double>(dlon) * dlon * MapAspect * MapAspect));
        const float speed = static_cast<float>(static_cast<double>(dist) / hours);
        if (speed > max_speed) {
            store.TrackMark[i] += MarkAuto;
            ++deleted;
        } else {
            ref = i;
        }
    }
    return deleted;
}

std::int32_t RunIntervalThinning(TrackStore& store, const TrackEditState& edit, float interval)
{
    ++store.Changes;
    std::int32_t deleted = 0;
    const std::int32_t last = std::min(edit.LastPresent, store.TrackCount);
    float next = 0;
    for (std::int32_t i = edit.FirstPresent; i <= last - 1; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const float seconds =
            static_cast<float>((store.TrackTime[i] - store.TrackTime[edit.FirstPresent]) * 24 * 3600);
        if (seconds < next) {
            store.TrackMark[i] += MarkAuto;
            ++deleted;
        } else {
            next = static_cast<float>(static_cast<double>(next) + interval);
        }
    }
    return deleted;
}

std::int32_t RunAutoEdit(TrackStore& store, const TrackEditState& edit, const AutoEditSettings& settings)
{
    std::int32_t deleted = 0;
    if (settings.MaxSpeed)
        deleted += RunSpeedTest(store, edit, *settings.MaxSpeed);
    if (settings.Interval)
        deleted += RunIntervalThinning(store, edit, *settings.Interval);
    return deleted;
}

std::string EditedTrackName(const std::string& current_file, EditedTrackFormat format)
{
    const std::size_t slash = current_file.find_last_of('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = current_file.find('.', name_start);
    const std::string base = dot == std::string::npos ? current_file : current_file.substr(0, dot);
    return SavedCopyStem(base) + (format == EditedTrackFormat::Trb ? ".trb" : ".gpx");
}

std::int32_t CompactTrack(TrackStore& store)
{
    ++store.Changes;
    std::int32_t kept = 0;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        ++kept;
        store.TrackTime[kept] = store.TrackTime[i];
        store.TrackLat[kept] = store.TrackLat[i];
        store.TrackLon[kept] = store.TrackLon[i];
    }
    store.TrackCount = kept;
    for (std::int32_t i = 1; i <= kept; ++i)
        store.TrackMark[i] = 0;
    return kept;
}

std::int32_t SaveEditedTrack(TrackStore& store, const std::string& path, EditedTrackFormat format)
{
    TrackStore compacted = store;
    CompactTrack(compacted);
    const std::int32_t left_out =
        format == EditedTrackFormat::Trb ? WriteTrbTrack(path, compacted) : WriteGpxTrack(path, compacted);
    // Fixes the file cannot tell apart stay in memory: the next save or check still has them.
    store = std::move(compacted);
    return left_out;
}

std::int32_t SaveLeavesOut(const TrackStore& store, EditedTrackFormat format)
{
    return SameSecondFixes(store, format == EditedTrackFormat::Trb ? WholeSecondFormat::Trb : WholeSecondFormat::Gpx,
                           true);
}

} // namespace tackedit
