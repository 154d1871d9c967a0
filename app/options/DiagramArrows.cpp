#include "DiagramArrows.h"

#include <QPainter>
#include <QWidget>

void DrawArrowLine(QPainter& painter, const QWidget& surface, const ArrowLine& arrow)
{
    painter.drawLine(arrow.line);
    const double x = 60.0 * surface.logicalDpiX() / 1440;
    const double y = 45.0 * surface.logicalDpiY() / 1440;
    if (arrow.tag == ArrowTag::Top) {
        const QPointF tip = arrow.line.p1();
        painter.drawLine(tip + QPointF(x, y), tip);
        painter.drawLine(tip + QPointF(-x, y), tip);
    } else if (arrow.tag == ArrowTag::Right) {
        const QPointF tip = arrow.line.p2();
        painter.drawLine(tip + QPointF(-x, y), tip);
        painter.drawLine(tip + QPointF(-x, -y), tip);
    }
}
