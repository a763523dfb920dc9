#pragma once

// The pens the map pictures draw with: the editor's track map and the compile
// screen's race map paint in one style.

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPoint>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tackedit {

// Far beyond any image; keeps QPoint's int coordinates meaningful.
inline int ClampCoordinate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000));
}

// A one-pixel pen whose line-to stops short of its end point, as the drawing
// model of the map expects (flat caps leave the last pixel to the next segment).
inline QPen OnePixelPen(const QColor& colour)
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
    PolylinePen(const PolylinePen&) = delete;
    PolylinePen& operator=(const PolylinePen&) = delete;

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
    void Flush()
    {
        if (run_.size() >= 2)
            painter_.drawPolyline(run_.data(), static_cast<int>(run_.size()));
        run_.clear();
    }

private:
    QPainter& painter_;
    std::vector<QPoint> run_;
};

} // namespace tackedit
