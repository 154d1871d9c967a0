#include "PolarPlot.h"

#include "MathLib.h"
#include "NightMode.h"
#include "NumberText.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace {

constexpr double Radians = MathLib::Pi / 180;

// Text goes on whole pixels, so that it looks the same wherever it lands.
int Pixel(double value)
{
    return NumberText::ToInt32Saturated(NumberText::RoundHalfEven(value));
}

QPen Pen(const QColor& color, int width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color, width, style);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

} // namespace

QColor ColorFromLong(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int32_t LongFromColor(const QColor& color)
{
    return color.red() + color.green() * 256 + color.blue() * 65536;
}

PolarPlot::PolarPlot(const PolarTable& table, const PolarSettings& settings, const PolarLive& live)
    : m_table(table), m_settings(settings), m_live(live)
{
}

void PolarPlot::SetGeometry(QSize client)
{
    m_client = client;
    const double d = std::min(client.width(), client.height());
    m_cx = d / 2;
    m_cy = d / 2;
    m_k = (d / 2) / m_settings.m_fSpeedRange;
}

QPointF PolarPlot::Point(double angle, double speed) const
{
    return {m_cx + speed * m_k * std::sin(angle * Radians), m_cy - speed * m_k * std::cos(angle * Radians)};
}

int PolarPlot::RowTop(QPainter& painter, int n) const
{
    const int h = painter.fontMetrics().height();
    return n >= 0 ? n * h : m_client.height() + n * h;
}

void PolarPlot::PolarDrawGrid(QPainter& painter, const QColor& color) const
{
    const double R = m_settings.m_fSpeedRange;
    painter.setPen(Pen(color, 1));
    painter.setBrush(Qt::NoBrush);
    for (int r = 2; r <= R; r += 2) {
        QPolygonF ring;
        for (int a = 0; a <= 360; a += 10)
            ring << Point(a, r);
        painter.drawPolyline(ring);
    }
    for (int a = 0; a <= 360; a += 30)
        painter.drawLine(Point(0, 0), Point(a, R));

    const QFontMetrics metrics = painter.fontMetrics();
    for (int i = 0; -R + 2.0 * i <= R; ++i) {
        const double s = -R + 2.0 * i;
        if (s == 0)
            continue;
        // Printed as a positive number is: with a blank for the sign.
        const QString text = NumberText::Field(double(static_cast<float>(std::fabs(s))));
        painter.drawText(QPoint(Pixel(m_cx + s * m_k), Pixel(m_cy) + metrics.ascent()), text);
    }
}

void PolarPlot::PolarGetPoint(int Polar, int Row, int Col, float& Angle, float& WindSpeed, float& Speed) const
{
    const auto& p = m_table.m_fPolar[Polar];
    Angle = p[Row][0];
    WindSpeed = p[0][Col];
    Speed = p[Row][Col];
    if (m_settings.m_iPlotType == 1) {
        const double a = double(Angle) * Radians;
        Angle = static_cast<float>(MathLib::Atan2(Speed + WindSpeed * std::cos(a), WindSpeed * std::sin(a)) * 180
                                   / MathLib::Pi);
    }
}

void PolarPlot::PolarDrawCurve(QPainter& painter, int Polar, bool Label, const QColor& color,
                               Qt::PenStyle style) const
{
    const int m = m_table.m_iPolarRows[Polar];
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(Pen(color, 1, style));
    painter.setBrush(Qt::NoBrush);
    QPolygonF starboard(m);
    QPolygonF port(m);
    for (int c = 1; c <= m_table.m_iPolarCols[Polar]; ++c) {
        for (int r = 1; r <= m; ++r) {
            float angle = 0;
            float windSpeed = 0;
            float speed = 0;
            PolarGetPoint(Polar, r, c, angle, windSpeed, speed);
            starboard[r - 1] = Point(angle, speed);
            port[r - 1] = Point(-angle, speed);
        }
        if (Label && m > 0) {
            const QString text = NumberText::General(m_table.m_fPolar[Polar][0][c]);
            const QPointF at = starboard[0];
            painter.drawText(QPoint(Pixel(at.x()) - metrics.horizontalAdvance(text),
                                    Pixel(at.y()) - metrics.height() + metrics.ascent()),
                             text);
        }
        painter.drawPolyline(starboard);
        painter.drawPolyline(port);
    }
}

void PolarPlot::PolarNearestPoint(int Polar, double X, double Y, double& Best, float& Angle, float& WindSpeed,
                                  float& Speed, double& PX, double& PY) const
{
    for (int r = 1; r <= m_table.m_iPolarRows[Polar]; ++r) {
        for (int c = 1; c <= m_table.m_iPolarCols[Polar]; ++c) {
            float angle = 0;
            float windSpeed = 0;
            float speed = 0;
            PolarGetPoint(Polar, r, c, angle, windSpeed, speed);
            for (const float side : {angle, -angle}) {
                const QPointF at = Point(side, speed);
                const double d = (at.x() - X) * (at.x() - X) + (at.y() - Y) * (at.y() - Y);
                if (d < Best) {
                    Best = d;
                    Angle = side;
                    WindSpeed = windSpeed;
                    Speed = speed;
                    PX = at.x();
                    PY = at.y();
                }
            }
        }
    }
}

void PolarPlot::PolarDrawCurrent(QPainter& painter, float polarSpeed, float targetSpeed) const
{
    const bool motor = m_settings.m_iBoatType == 1;
    const float reference = motor ? m_settings.m_fBoatMotorSpeed : polarSpeed;
    const int h = painter.fontMetrics().height();
    const int right = m_client.width() - 2;
    auto line = [&](int n, const QString& text) {
        painter.drawText(QRect(0, RowTop(painter, n), right, h), Qt::AlignRight | Qt::AlignTop, text);
    };

    const QColor ink = NightMode::Ink(Qt::black);
    painter.setPen(Pen(ink, 1));
    line(0, NumberText::Format(reference, u"0.0"));
    line(1, NumberText::Format(m_live.m_fBoatSpeed, u"0.0"));
    if (motor) {
        line(2, NumberText::Format(targetSpeed, u"0.0"));
        if (m_settings.m_fBoatMotorSpeed != 0)
            line(3, NumberText::Format(double(targetSpeed) * 100 / m_settings.m_fBoatMotorSpeed, u"0")
                        + QLatin1Char('%'));
    } else if (polarSpeed != 0) {
        line(2, NumberText::Format(double(m_live.m_fBoatSpeed) * 100 / polarSpeed, u"0") + QLatin1Char('%'));
    }
    const bool apparent = m_settings.m_iPlotType == 1;
    const float windSpeed = apparent ? m_live.m_fWindSpeedApparent : m_live.m_fWindSpeedTrue;
    const float windAngle = apparent ? m_live.m_fWindAngleApparent : m_live.m_fWindAngleTrue;
    line(-2, NumberText::Format(windSpeed, u"0.0"));
    line(-1, NumberText::Format(windAngle, u"0"));

    painter.setPen(Pen(ink, 4));
    painter.drawLine(Centre(), Point(windAngle, m_settings.m_fSpeedRange));
    painter.setPen(Pen(ink, 3));
    if (reference != 0) {
        const QPointF at = Point(windAngle, reference);
        PlotArrowHead(painter, m_cx, m_cy, at.x(), at.y(), 20, NightMode::Ink(PolarColor::LightCyan));
    }
    if (m_live.m_fBoatSpeed != 0) {
        const QPointF at = Point(windAngle, m_live.m_fBoatSpeed);
        PlotArrowHead(painter, m_cx, m_cy, at.x(), at.y(), 20, NightMode::Ink(PolarColor::LightMagenta));
    }
    painter.setPen(Pen(ink, 1));
}

void PolarPlot::Legend(QPainter& painter, int x, int row, const QString& text, const QColor& swatch) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    const int top = RowTop(painter, row);
    // Half as wide as high, so that label and value fit the measured width.
    const int w = h / 2;
    painter.setPen(Pen(NightMode::Ink(Qt::black), 1));
    painter.setBrush(swatch);
    painter.drawRect(QRect(x, top + 1, w, h - 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawText(QPoint(x + w + 3, top + metrics.ascent()), text);
}

void PolarPlot::PolarDrawLegend(QPainter& painter, const QColor& background) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const bool motor = m_settings.m_iBoatType == 1;
    const int x = m_client.width() - metrics.horizontalAdvance(QStringLiteral("Polar (kts)    00.0"));
    Legend(painter, x, 0, motor ? QStringLiteral("Motor (Kts)") : QStringLiteral("Polar (Kts)"),
           NightMode::Ink(PolarColor::LightCyan));
    Legend(painter, x, 1, QStringLiteral("Boat (Kts)"), NightMode::Ink(PolarColor::LightMagenta));
    Legend(painter, x, 2, QStringLiteral("Target"), background);
    if (motor)
        Legend(painter, x, 3, QStringLiteral("Target"), background);
    const bool apparent = m_settings.m_iPlotType == 1;
    Legend(painter, x, -2, (apparent ? QStringLiteral("AWS") : QStringLiteral("TWS")) + QStringLiteral(" (Kts)"),
           background);
    Legend(painter, x, -1, (apparent ? QStringLiteral("AWA") : QStringLiteral("TWA")) + QStringLiteral(" (R)"),
           background);

    if (!m_settings.m_bCourseWaypoint)
        return;
    Legend(painter, 2, 0, QStringLiteral("Heading (M)"), background);
    Legend(painter, 2, 1, QStringLiteral("Stb (M)"), NightMode::Ink(PolarColor::LightGreen));
    Legend(painter, 2, 2, QStringLiteral("Prt (M)"), NightMode::Ink(PolarColor::LightRed));
    switch (m_settings.m_iCourseWaypointIndex) {
    case 0:
        Legend(painter, 2, -2, QStringLiteral("Target (M)"), background);
        Legend(painter, 2, -1, QStringLiteral("Target (Kts)"), NightMode::Ink(PolarColor::LightBlue));
        break;
    case 1:
        Legend(painter, 2, -2, QStringLiteral("Wpt (M)"), background);
        Legend(painter, 2, -1, QStringLiteral("Wpt (Kts)"), NightMode::Ink(PolarColor::LightBlue));
        break;
    case 2:
        Legend(painter, 2, -4, QStringLiteral("Wpt (M)"), background);
        Legend(painter, 2, -3, QStringLiteral("Wpt (Rng)"), NightMode::Ink(PolarColor::LightBlue));
        Legend(painter, 2, -2, QStringLiteral("Wpt (Kts)"), background);
        Legend(painter, 2, -1, QStringLiteral("Wpt (h:m)"), background);
        break;
    default:
        break;
    }
}

void PolarPlot::PlotArrow(QPainter& painter, bool Arrow, int Width, double Angle1, double Radius1, double Angle2,
                          double Radius2, const QColor& color) const
{
    const QPointF from = Point(Angle1, Radius1);
    const QPointF to = Point(Angle2, Radius2);
    painter.setPen(Pen(color, Width));
    painter.drawLine(from, to);
    if (Arrow)
        PlotArrowHead(painter, from.x(), from.y(), to.x(), to.y(), 10, color);
    painter.setPen(Pen(color, 1));
}

void PolarPlot::PlotArrowHead(QPainter& painter, double X1, double Y1, double X2, double Y2, double Size,
                              const QColor& color)
{
    QPen pen = painter.pen();
    pen.setColor(color);
    painter.setPen(pen);
    const double back = std::atan2(Y1 - Y2, X1 - X2);
    for (const double side : {-30.0, 30.0}) {
        const double a = back + side * Radians;
        painter.drawLine(QPointF(X2, Y2), QPointF(X2 + Size * std::cos(a), Y2 + Size * std::sin(a)));
    }
}
