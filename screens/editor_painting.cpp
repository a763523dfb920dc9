#include "screens/editor_painting.h"

#include "editor/track_passes.h"

#include <QPainter>
#include <QPen>
#include <QPoint>

#include <vector>

namespace tackedit {

namespace {

// Far beyond any image; keeps QPoint's int coordinates meaningful.
int ClampCoordinate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000));
}

// A one-pixel pen whose line-to stops short of its end point, as the drawing
// model of the map expects (flat caps leave the last pixel to the next segment).
QPen OnePixelPen(const QColor& colour)
{
    QPen pen(colour);
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Move-to/line-to on a painter. Consecutive points in one pixel add nothing to
// the picture, so a run is collected without them and drawn as one polyline:
// a million-point track often falls on a few thousand pixels.
class PolylinePen {
public:
    explicit PolylinePen(QPainter& painter) : painter_(painter) { run_.reserve(4096); }
    ~PolylinePen() { Flush(); }

    void MoveTo(std::int64_t x, std::int64_t y)
    {
        Flush();
        run_.emplace_back(ClampCoordinate(x), ClampCoordinate(y));
    }
    void LineTo(std::int64_t x, std::int64_t y)
    {
        const QPoint p(ClampCoordinate(x), ClampCoordinate(y));
        if (run_.empty() || run_.back() != p)
            run_.push_back(p);
    }

private:
    void Flush()
    {
        if (run_.size() >= 2)
            painter_.drawPolyline(run_.data(), static_cast<int>(run_.size()));
        run_.clear();
    }

    QPainter& painter_;
    std::vector<QPoint> run_;
};

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
