#include "PolarPlot.h"

#include "MathLib.h"
#include "NightMode.h"
#include "NumberText.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <initializer_list>

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
    m_r = d / 2;
    m_k = m_r / m_settings.m_fSpeedRange;
}

bool PolarPlot::WithinRim(QPointF p) const
{
    const double x = p.x() - m_cx;
    const double y = p.y() - m_cy;
    // Half a pixel of slack for the rounding of points on the rim itself.
    return x * x + y * y <= (m_r + 0.5) * (m_r + 0.5);
}

bool PolarPlot::ClipToRim(QPointF& a, QPointF& b) const
{
    // Points a + t (b - a), 0 <= t <= 1, within the circle: a quadratic in t.
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double fx = a.x() - m_cx;
    const double fy = a.y() - m_cy;
    const double A = dx * dx + dy * dy;
    const double C = fx * fx + fy * fy - m_r * m_r;
    if (!(A > 0))
        return C <= 0;
    const double B = 2 * (fx * dx + fy * dy);
    const double D = B * B - 4 * A * C;
    if (!(D >= 0))
        return false;
    const double root = std::sqrt(D);
    const double t0 = std::max(0.0, (-B - root) / (2 * A));
    const double t1 = std::min(1.0, (-B + root) / (2 * A));
    if (!(t0 <= t1))
        return false;
    const QPointF from = a;
    if (t0 > 0)
        a = from + t0 * QPointF(dx, dy);
    if (t1 < 1)
        b = from + t1 * QPointF(dx, dy);
    // Far beyond the screen (a tiny range) the arithmetic loses the pixels:
    // better nothing than a wild line.
    return WithinRim(a) && WithinRim(b);
}

void PolarPlot::DrawClipped(QPainter& painter, const QPolygonF& points) const
{
    QPolygonF run;
    auto flush = [&] {
        if (run.size() > 1)
            painter.drawPolyline(run);
        run.clear();
    };
    for (qsizetype i = 1; i < points.size(); ++i) {
        QPointF a = points[i - 1];
        QPointF b = points[i];
        if (!ClipToRim(a, b)) {
            flush();
            continue;
        }
        if (run.isEmpty() || run.last() != a) {
            flush();
            run << a;
        }
        run << b;
    }
    flush();
}

PolarPlot::LegendColumns PolarPlot::Columns(const QPainter& painter) const
{
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 0;
    if (m_columnsWidth == m_client.width() && m_columnsDpi == dpi && m_columnsFont == painter.font())
        return m_columns;
    const QFontMetrics metrics = painter.fontMetrics();
    auto widest = [&](std::initializer_list<const char*> texts) {
        int w = 0;
        for (const char* text : texts)
            w = std::max(w, metrics.horizontalAdvance(QLatin1String(text)));
        return w;
    };
    // The swatch, half as wide as a line is high, and the gap to its label.
    const int swatch = metrics.height() / 2 + 3;
    const int gap = 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    LegendColumns c;
    c.rightValues = m_client.width() - 2 - widest({"100.0", "-180", "9999%"});
    c.rightLabels = c.rightValues - gap - swatch
                    - widest({"Polar (Kts)", "Motor (Kts)", "Boat (Kts)", "Target", "TWS (Kts)", "AWS (Kts)",
                              "TWA (R)", "AWA (R)"});
    c.leftValues = 2 + swatch
                   + widest({"Heading (M)", "Stb (M)", "Prt (M)", "Target (M)", "Target (Kts)", "Wpt (M)",
                             "Wpt (Rng)", "Wpt (Kts)", "Wpt (h:m)"})
                   + gap;
    c.leftEdge = c.leftValues + widest({"000 (100%)", "000 (00:00)", "00000.0"});
    m_columnsFont = painter.font();
    m_columnsWidth = m_client.width();
    m_columnsDpi = dpi;
    m_columns = c;
    return c;
}

void PolarPlot::ClipToPlotArea(QPainter& painter) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const LegendColumns c = Columns(painter);
    const int h = metrics.height();
    const int w = m_client.width();
    const int bottom = m_client.height();
    QRegion area(0, 0, w, bottom);
    const int top = m_settings.m_iBoatType == 1 ? 4 : 3;
    area -= QRegion(c.rightLabels, 0, w - c.rightLabels, top * h);
    area -= QRegion(c.rightLabels, bottom - 2 * h, w - c.rightLabels, 2 * h);
    if (m_settings.m_bCourseWaypoint) {
        area -= QRegion(0, 0, c.leftEdge, 3 * h);
        const int index = m_settings.m_iCourseWaypointIndex;
        const int rows = index == 2 ? 4 : index == 0 || index == 1 ? 2 : 0;
        area -= QRegion(0, bottom - rows * h, c.leftEdge, rows * h);
    }
    painter.setClipRegion(area);
}

void PolarPlot::LegendValue(QPainter& painter, bool right, int row, const QString& text) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const LegendColumns c = Columns(painter);
    const int left = right ? c.rightValues : c.leftValues;
    const int edge = right ? m_client.width() - 2 : c.leftEdge;
    const QString shown = metrics.horizontalAdvance(text) <= edge - left ? text : QStringLiteral("###");
    painter.drawText(QRect(left, RowTop(painter, row), edge - left, metrics.height()), Qt::AlignRight | Qt::AlignTop,
                     shown);
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
    // The range is bounded where it is typed or read; the rings and labels
    // never count past the widest one whatever reaches here.
    const double R = std::min(double(m_settings.m_fSpeedRange), double(PolarTable::MaxSpeed));
    painter.save();
    ClipToPlotArea(painter);
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
    painter.restore();
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
    painter.save();
    ClipToPlotArea(painter);
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
        if (Label && m > 0 && WithinRim(starboard[0])) {
            const QString text = NumberText::General(m_table.m_fPolar[Polar][0][c]);
            const QPointF at = starboard[0];
            painter.drawText(QPoint(Pixel(at.x()) - metrics.horizontalAdvance(text),
                                    Pixel(at.y()) - metrics.height() + metrics.ascent()),
                             text);
        }
        DrawClipped(painter, starboard);
        DrawClipped(painter, port);
    }
    painter.restore();
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
                if (!WithinRim(at))
                    continue;
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
    auto line = [&](int n, const QString& text) { LegendValue(painter, true, n, text); };

    const QColor ink = NightMode::Ink(Qt::black);
    painter.setPen(Pen(ink, 1));
    line(0, NumberText::Format(reference, u"0.0"));
    line(1, NumberText::Format(m_live.m_fBoatSpeed, u"0.0"));
    if (motor) {
        line(2, NumberText::Format(targetSpeed, u"0.0"));
        if (m_settings.m_fBoatMotorSpeed != 0)
            line(3, NumberText::Format(double(targetSpeed) * 100 / m_settings.m_fBoatMotorSpeed, u"0")
                        + QLatin1Char('%'));
    } else if (polarSpeed > 0 && m_live.m_fBoatSpeed >= 0) {
        line(2, NumberText::Format(double(m_live.m_fBoatSpeed) * 100 / polarSpeed, u"0") + QLatin1Char('%'));
    }
    const bool apparent = m_settings.m_iPlotType == 1;
    const float windSpeed = apparent ? m_live.m_fWindSpeedApparent : m_live.m_fWindSpeedTrue;
    const float windAngle = apparent ? m_live.m_fWindAngleApparent : m_live.m_fWindAngleTrue;
    line(-2, NumberText::Format(windSpeed, u"0.0"));
    line(-1, NumberText::Format(windAngle, u"0"));

    painter.save();
    ClipToPlotArea(painter);
    painter.setPen(Pen(ink, 4));
    painter.drawLine(Centre(), Point(windAngle, m_settings.m_fSpeedRange));
    painter.setPen(Pen(ink, 3));
    // Outward on the wind line, so only for a speed ahead; beyond the rim
    // there is nothing to point at.
    const QPointF polarAt = Point(windAngle, reference);
    if (reference > 0 && WithinRim(polarAt))
        PlotArrowHead(painter, m_cx, m_cy, polarAt.x(), polarAt.y(), 20, NightMode::Ink(PolarColor::LightCyan));
    const QPointF boatAt = Point(windAngle, m_live.m_fBoatSpeed);
    if (m_live.m_fBoatSpeed > 0 && WithinRim(boatAt))
        PlotArrowHead(painter, m_cx, m_cy, boatAt.x(), boatAt.y(), 20, NightMode::Ink(PolarColor::LightMagenta));
    painter.restore();
    painter.setPen(Pen(ink, 1));
}

void PolarPlot::Legend(QPainter& painter, int x, int row, const QString& text, const QColor& swatch,
                       const QColor& background) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    const int top = RowTop(painter, row);
    // Half as wide as high, so that label and value fit the measured width.
    const int w = h / 2;
    // Drawn again at each change of the tracking mode: on a clean ground,
    // and the swatch on whole pixels, so that no half-covered edge darkens
    // outside the ground.
    painter.fillRect(QRect(x, top, w + 3 + metrics.horizontalAdvance(text) + 1, h), background);
    painter.setPen(Pen(NightMode::Ink(Qt::black), 1));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(swatch);
    painter.drawRect(QRect(x, top + 1, w, h - 3));
    painter.restore();
    painter.drawText(QPoint(x + w + 3, top + metrics.ascent()), text);
}

void PolarPlot::PolarDrawLegend(QPainter& painter, const QColor& background) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const bool motor = m_settings.m_iBoatType == 1;
    const int x = Columns(painter).rightLabels;
    Legend(painter, x, 0, motor ? QStringLiteral("Motor (Kts)") : QStringLiteral("Polar (Kts)"),
           NightMode::Ink(PolarColor::LightCyan), background);
    Legend(painter, x, 1, QStringLiteral("Boat (Kts)"), NightMode::Ink(PolarColor::LightMagenta), background);
    Legend(painter, x, 2, QStringLiteral("Target"), background, background);
    if (motor)
        Legend(painter, x, 3, QStringLiteral("Target"), background, background);
    const bool apparent = m_settings.m_iPlotType == 1;
    Legend(painter, x, -2, (apparent ? QStringLiteral("AWS") : QStringLiteral("TWS")) + QStringLiteral(" (Kts)"),
           background, background);
    Legend(painter, x, -1, (apparent ? QStringLiteral("AWA") : QStringLiteral("TWA")) + QStringLiteral(" (R)"),
           background, background);

    if (!m_settings.m_bCourseWaypoint)
        return;
    Legend(painter, 2, 0, QStringLiteral("Heading (M)"), background, background);
    Legend(painter, 2, 1, QStringLiteral("Stb (M)"), NightMode::Ink(PolarColor::LightGreen), background);
    Legend(painter, 2, 2, QStringLiteral("Prt (M)"), NightMode::Ink(PolarColor::LightRed), background);
    switch (m_settings.m_iCourseWaypointIndex) {
    case 0:
        Legend(painter, 2, -2, QStringLiteral("Target (M)"), background, background);
        Legend(painter, 2, -1, QStringLiteral("Target (Kts)"), NightMode::Ink(PolarColor::LightBlue), background);
        break;
    case 1:
        Legend(painter, 2, -2, QStringLiteral("Wpt (M)"), background, background);
        Legend(painter, 2, -1, QStringLiteral("Wpt (Kts)"), NightMode::Ink(PolarColor::LightBlue), background);
        break;
    case 2:
        Legend(painter, 2, -4, QStringLiteral("Wpt (M)"), background, background);
        Legend(painter, 2, -3, QStringLiteral("Wpt (Rng)"), NightMode::Ink(PolarColor::LightBlue), background);
        Legend(painter, 2, -2, QStringLiteral("Wpt (Kts)"), background, background);
        Legend(painter, 2, -1, QStringLiteral("Wpt (h:m)"), background, background);
        break;
    default:
        break;
    }
}

void PolarPlot::PlotArrow(QPainter& painter, bool Arrow, int Width, double Angle1, double Radius1, double Angle2,
                          double Radius2, const QColor& color) const
{
    const QPointF start = Point(Angle1, Radius1);
    const QPointF tip = Point(Angle2, Radius2);
    QPointF from = start;
    QPointF to = tip;
    painter.save();
    ClipToPlotArea(painter);
    painter.setPen(Pen(color, Width));
    if (ClipToRim(from, to)) {
        painter.drawLine(from, to);
        if (Arrow && WithinRim(tip))
            PlotArrowHead(painter, start.x(), start.y(), tip.x(), tip.y(), 10, color);
    }
    painter.restore();
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
