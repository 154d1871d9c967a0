#pragma once
// Drawing of the polar plot, heads-up: 0 degrees (wind from dead ahead) at
// the top, starboard to the right, boat speed as the distance from the
// centre. Coordinates are pixels of the window's client area, y down. The
// plot fills the largest square in the top-left corner; the legends at the
// right use the full width.

#include "PolarSettings.h"
#include "PolarTable.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QFont>
#include <QSize>

class QFontMetrics;
class QPainter;

// Colours as the profile stores them: red + green * 256 + blue * 65536.
QColor ColorFromLong(int32_t value);
int32_t LongFromColor(const QColor& color);

namespace PolarColor {
const QColor Grid(128, 128, 128);
const QColor Reference(0, 0, 255);
const QColor LightCyan(128, 255, 255);
const QColor LightMagenta(255, 128, 255);
const QColor LightGreen(128, 255, 128);
const QColor LightRed(255, 128, 128);
const QColor LightBlue(128, 128, 255);
} // namespace PolarColor

class PolarPlot {
public:
    PolarPlot(const PolarTable& table, const PolarSettings& settings, const PolarLive& live);

    // Centre and scale for a client area; done at every full redraw.
    void SetGeometry(QSize client);
    QSize Client() const { return m_client; }
    QPointF Centre() const { return {m_cx, m_cy}; }
    // Pixels per knot: the rim is the speed range.
    double Scale() const { return m_k; }
    // The plot point at a wind angle (degrees, positive to starboard) and a
    // speed (knots).
    QPointF Point(double angle, double speed) const;

    // Speed rings every 2 knots, spokes every 30 degrees and the speed
    // labels along the horizontal diameter.
    void PolarDrawGrid(QPainter& painter, const QColor& color) const;
    // One curve per wind speed, starboard and port; Label prints the wind
    // speed at the start of each. Curves, like every line of the plot, end
    // at the rim and keep off the legends.
    void PolarDrawCurve(QPainter& painter, int Polar, bool Label, const QColor& color,
                        Qt::PenStyle style = Qt::SolidLine) const;
    // A table point as drawn: with apparent wind shown, Angle is the
    // apparent wind angle of that point; WindSpeed and Speed stay true.
    void PolarGetPoint(int Polar, int Row, int Col, float& Angle, float& WindSpeed, float& Speed) const;
    // The drawn point of a polar nearest to (X, Y) whose squared pixel
    // distance is below Best; points beyond the rim are not drawn. Best
    // and the outputs change only when one is found; Angle is negative on
    // the port side.
    void PolarNearestPoint(int Polar, double X, double Y, double& Best, float& Angle, float& WindSpeed,
                           float& Speed, double& PX, double& PY) const;
    // The live read-outs, the wind line and the speed arrowheads. Here and
    // in the legends the colours pass through the night mode.
    void PolarDrawCurrent(QPainter& painter, float polarSpeed, float targetSpeed) const;
    // The swatches and labels of the legends; background fills the swatches
    // of entries without a colour of their own.
    void PolarDrawLegend(QPainter& painter, const QColor& background) const;

    // A line between two plot points, optionally with a 10-pixel arrowhead
    // at the second when that lies within the rim.
    void PlotArrow(QPainter& painter, bool Arrow, int Width, double Angle1, double Radius1, double Angle2,
                   double Radius2, const QColor& color) const;
    // Two strokes of length Size from (X2, Y2), 30 degrees either side of
    // the line's backward direction, in the painter's pen width.
    static void PlotArrowHead(QPainter& painter, double X1, double Y1, double X2, double Y2, double Size,
                              const QColor& color);

    // Top of legend row n: from the top for n >= 0, from the bottom for n < 0.
    int RowTop(QPainter& painter, int n) const;
    // A read-out in the value column of a legend row: right (the live
    // values) or left (the course values). A text wider than the column
    // shows as "###", so that it never runs into its label.
    void LegendValue(QPainter& painter, bool right, int row, const QString& text) const;

    // Where the legends lie. Each block is swatches, labels, a gap and a
    // value column wide enough for the widest value it normally shows.
    struct LegendColumns {
        int rightLabels = 0; // the right block's swatches
        int rightValues = 0; // its values, up to 2 pixels from the edge
        int leftValues = 0;  // the course values
        int leftEdge = 0;    // ... and their right edge
    };
    // Measured once per font, device resolution and width: measuring a text shapes it, which
    // costs more than drawing the live values themselves.
    LegendColumns Columns(const QPainter& painter) const;

private:
    void Legend(QPainter& painter, int x, int row, const QString& text, const QColor& swatch,
                const QColor& background) const;
    // The plot's lines keep off the legends: the client area without them.
    void ClipToPlotArea(QPainter& painter) const;
    // The part of a segment within the rim; false when none of it is.
    bool ClipToRim(QPointF& a, QPointF& b) const;
    bool WithinRim(QPointF p) const;
    // A polyline cut to the rim, drawn in pieces.
    void DrawClipped(QPainter& painter, const QPolygonF& points) const;

    const PolarTable& m_table;
    const PolarSettings& m_settings;
    const PolarLive& m_live;
    QSize m_client;
    mutable QFont m_columnsFont;
    mutable int m_columnsWidth = -1;
    mutable int m_columnsDpi = 0;
    mutable LegendColumns m_columns;
    double m_cx = 0;
    double m_cy = 0;
    double m_r = 0; // the rim, pixels from the centre
    double m_k = 1;
};
