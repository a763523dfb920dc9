#include "shell/cover_picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

namespace tackedit {

namespace {

constexpr int kWidth = 261;
constexpr int kHeight = 206;
constexpr double kHorizon = 118;

void DrawSkyAndSea(QPainter& painter)
{
    QLinearGradient sky(0, 0, 0, kHorizon);
    sky.setColorAt(0.0, QColor(38, 110, 186));
    sky.setColorAt(1.0, QColor(186, 222, 246));
    painter.fillRect(QRectF(0, 0, kWidth, kHorizon), sky);

    QLinearGradient sea(0, kHorizon, 0, kHeight);
    sea.setColorAt(0.0, QColor(40, 128, 176));
    sea.setColorAt(1.0, QColor(10, 52, 102));
    painter.fillRect(QRectF(0, kHorizon, kWidth, kHeight - kHorizon), sea);

    // Short wave strokes, spaced on a fixed lattice so the picture never changes.
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int row = 0; row < 5; ++row) {
        const double y = kHorizon + 10 + row * 17;
        const double length = 10 + row * 3;
        for (double x = (row % 2) * 22 + 6; x < kWidth; x += 46 + row * 4) {
            QPainterPath wave(QPointF(x, y));
            wave.quadTo(x + length / 2, y - 3, x + length, y);
            painter.drawPath(wave);
        }
    }
}

void DrawTrack(QPainter& painter)
{
    QPainterPath track(QPointF(14, 194));
    track.cubicTo(60, 150, 40, 196, 98, 170);
    track.cubicTo(130, 156, 118, 150, 146, 148);

    QPen dashes(QColor(255, 196, 40), 2.2, Qt::DashLine, Qt::RoundCap);
    dashes.setDashPattern({3.0, 2.5});
    painter.setPen(dashes);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(track);

    painter.setPen(QPen(QColor(120, 60, 0), 1.0));
    painter.setBrush(QColor(255, 226, 120));
    for (double t : {0.08, 0.3, 0.52, 0.74, 0.92})
        painter.drawEllipse(track.pointAtPercent(t), 3.2, 3.2);
}

void DrawBoat(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawEllipse(QPointF(178, 163), 44, 4);  // wake under the hull
    painter.setBrush(QColor(196, 36, 44));
    painter.drawPolygon(QPolygonF({QPointF(140, 150), QPointF(214, 150), QPointF(204, 162),
                                   QPointF(150, 162)}));

    painter.setPen(QPen(QColor(60, 60, 60), 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(172, 148), QPointF(172, 52));   // mast
    painter.drawLine(QPointF(172, 140), QPointF(144, 142));  // boom

    QLinearGradient cloth(140, 0, 210, 0);
    cloth.setColorAt(0.0, QColor(255, 255, 255));
    cloth.setColorAt(1.0, QColor(222, 230, 238));
    painter.setPen(QPen(QColor(150, 160, 172), 1.0));
    painter.setBrush(cloth);

    QPainterPath mainsail(QPointF(170, 56));
    mainsail.quadTo(150, 98, 145, 139);
    mainsail.lineTo(170, 138);
    mainsail.closeSubpath();
    painter.drawPath(mainsail);
    QPainterPath jib(QPointF(175, 58));
    jib.quadTo(196, 100, 210, 148);
    jib.lineTo(176, 146);
    jib.closeSubpath();
    painter.drawPath(jib);
}

void DrawTitle(QPainter& painter)
{
    QFont font;  // the platform's default family, so nothing has to be installed
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(25);
    font.setBold(true);
    painter.setFont(font);
    const QRectF area(0, 10, kWidth, 34);
    const QString title = QStringLiteral("tackvue EDITOR");
    painter.setPen(QColor(0, 30, 70, 110));
    painter.drawText(area.translated(1.5, 1.5), Qt::AlignCenter, title);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignCenter, title);
}

}  // namespace

QImage MakeCoverPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawSkyAndSea(painter);
    DrawTrack(painter);
    DrawBoat(painter);
    DrawTitle(painter);
    painter.end();
    return image;
}

}  // namespace tackedit
