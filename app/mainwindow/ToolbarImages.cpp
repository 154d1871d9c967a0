#include "ToolbarImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

constexpr int Size = 64;
const QColor Ink(30, 45, 70);
const QColor Sea(40, 110, 170);
const QColor Warn(200, 50, 40);

QPixmap Canvas()
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPointF Polar(QPointF centre, double radius, double degrees)
{
    const double r = degrees * 3.14159265358979 / 180;
    return {centre.x() + radius * std::sin(r), centre.y() - radius * std::cos(r)};
}

// A power symbol: the link is off.
void PaintOff(QPainter& p)
{
    p.setPen(QPen(Warn, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(12, 12, 40, 40), 120 * 16, -240 * 16);
    p.drawLine(QPointF(32, 8), QPointF(32, 30));
}

// A compass card: reading the instruments.
void PaintSetup(QPainter& p)
{
    const QPointF c(32, 32);
    p.setPen(QPen(Ink, 4));
    p.drawEllipse(c, 24, 24);
    p.setPen(QPen(Ink, 2));
    for (int d = 0; d < 360; d += 45)
        p.drawLine(Polar(c, 18, d), Polar(c, 24, d));
    QPainterPath needle;
    needle.moveTo(Polar(c, 20, 30));
    needle.lineTo(Polar(c, 5, 120));
    needle.lineTo(Polar(c, 5, 300));
    needle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Warn);
    p.drawPath(needle);
    QPainterPath tail;
    tail.moveTo(Polar(c, 20, 210));
    tail.lineTo(Polar(c, 5, 300));
    tail.lineTo(Polar(c, 5, 120));
    tail.closeSubpath();
    p.setBrush(Ink);
    p.drawPath(tail);
}

// A ship's wheel: the heading is set by hand.
void PaintManual(QPainter& p)
{
    const QPointF c(32, 32);
    p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
    for (int d = 0; d < 360; d += 45)
        p.drawLine(Polar(c, 6, d), Polar(c, 28, d));
    p.setPen(QPen(Ink, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 19, 19);
    p.setBrush(Ink);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 6, 6);
    for (int d = 0; d < 360; d += 45)
        p.drawEllipse(Polar(c, 28, d), 3, 3);
}

// A sail with the wind on it: the wind angle is held.
void PaintTrack(QPainter& p)
{
    QPainterPath sail;
    sail.moveTo(34, 6);
    sail.quadTo(54, 30, 50, 50);
    sail.lineTo(34, 50);
    sail.closeSubpath();
    p.setPen(QPen(Ink, 2));
    p.setBrush(QColor(245, 245, 235));
    p.drawPath(sail);
    p.drawLine(QPointF(34, 4), QPointF(34, 52));
    QPainterPath hull;
    hull.moveTo(14, 52);
    hull.lineTo(56, 52);
    hull.lineTo(48, 60);
    hull.lineTo(20, 60);
    hull.closeSubpath();
    p.setBrush(Ink);
    p.drawPath(hull);
    p.setPen(QPen(Sea, 3, Qt::SolidLine, Qt::RoundCap));
    for (int y : {16, 28, 40}) {
        p.drawLine(QPointF(4, y), QPointF(24, y));
        p.drawLine(QPointF(24, y), QPointF(19, y - 4));
        p.drawLine(QPointF(24, y), QPointF(19, y + 4));
    }
}

} // namespace

QIcon ToolbarImage(TrackMode mode)
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (mode) {
    case TrackModeOff:
        PaintOff(p);
        break;
    case TrackModeSetup:
        PaintSetup(p);
        break;
    case TrackModeManual:
        PaintManual(p);
        break;
    case TrackModeTrack:
        PaintTrack(p);
        break;
    }
    return QIcon(pixmap);
}

QIcon ApplicationImage()
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(32, 32);
    p.setPen(QPen(Sea, 5));
    p.drawEllipse(c, 26, 26);
    QPainterPath vane;
    vane.moveTo(Polar(c, 24, 45));
    vane.lineTo(Polar(c, 8, 165));
    vane.lineTo(Polar(c, 16, 225));
    vane.lineTo(Polar(c, 8, 285));
    vane.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Warn);
    p.drawPath(vane);
    return QIcon(pixmap);
}
