#include "screens/editor_painting.h"

#include "editor/track_passes.h"
#include "screens/map_pens.h"

#include <QPainter>

#include <vector>

namespace tackedit {

namespace {

QImage WhitePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

QImage PaintTrackMap(const TrackStore& store, const TrackEditState& edit, const MapView& view, int width, int height,
                     MapPointIndex* index)
{
    QImage image = WhitePicture(width, height);
    QPainter painter(&image);
    painter.setPen(OnePixelPen(Qt::black));
    {
        PolylinePen pen(painter);
        TraceTrackMapOnAllCores(store, edit, view, pen, index, width, height);
    }
    painter.end();
    return image;
}

QImage PaintTimeline(const TrackStore& store, const TrackEditState& edit, const TimelineView& view,
                     std::int32_t& present_points, int width, int height)
{
    // A column is painted the same however many ticks stand in it.
    const TimelineColumns columns = TraceTimelineColumns(store, edit, view, width);
    const std::vector<char>& used = columns.used;
    present_points = columns.ticks;
    QImage image = WhitePicture(width, height);
    QPainter painter(&image);
    painter.setPen(OnePixelPen(QColor(0, 128, 0)));
    for (int x = 0; x < width; ++x)
        if (used[static_cast<std::size_t>(x)])
            painter.drawLine(x, view.Top, x, view.Bottom);
    painter.end();
    return image;
}

QImage PaintZoomView(const TrackStore& store, const ZoomView& zoom)
{
    QImage image = WhitePicture(zoom.ZoomWidth, zoom.ZoomHeight);
    QPainter painter(&image);
    painter.setPen(OnePixelPen(Qt::blue));
    {
        PolylinePen pen(painter);
        TraceZoomTrack(store, zoom, pen);
    }
    if (const auto centre = ZoomCrossCentre(store, zoom)) {
        painter.setPen(OnePixelPen(Qt::red));
        const int cx = ClampCoordinate(centre->x), cy = ClampCoordinate(centre->y);
        painter.drawLine(cx - ZoomCrossArm, cy, cx + ZoomCrossArm, cy);
        painter.drawLine(cx, cy - ZoomCrossArm, cx, cy + ZoomCrossArm);
    }
    painter.end();
    return image;
}

} // namespace tackedit
