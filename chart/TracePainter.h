#pragma once
// Draws the chart's strips onto a persistent image: per trace a label line,
// a framed plot area with a dotted grid, an average line and the columns, and
// the scale labels at the right; under the last strip the time axis labels.
// Everything is painted straight from TraceStore's column buffers.

#include "ChartTypes.h"
#include "TraceStore.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <memory>

struct TraceGeometry {
    int m_iBlockHeight = 0;
    int m_iInnerWidth = 0;
    int m_iPlotHeight = 10;
    int m_iPlotWidth = 10;
    int m_iBlockLeft[TraceStore::kTraces] = {};
    int m_iBlockTop[TraceStore::kTraces] = {};
    int m_iPlotLeft[TraceStore::kTraces] = {};
    int m_iPlotTop[TraceStore::kTraces] = {};

    // Strips for N traces on a surface of height H and width Wc; TH is the
    // text height of "0", scaleWidth the text width of "-00.0".
    static TraceGeometry Compute(int H, int Wc, int N, int TH, int scaleWidth);
    // The trace whose plot area holds (X, Y), -1 when none.
    int HitTest(int N, double X, double Y) const;
};

// 0xBBGGRR to and from Qt colours.
QColor ColourToQColor(TrendScopeTypes::Colour c);
TrendScopeTypes::Colour QColorToColour(const QColor& c);

// Unit and left end of the time axis for a span: "Seconds" below 61 s,
// "Minutes" to 3600 s, "Hours" to 86400 s, then "Days".
void TimeAxisUnit(int32_t span, float& m_fAxisStart, QString& m_sAxisUnit);

class TracePainter {
public:
    explicit TracePainter(TraceStore& store);

    // The surface and what it is drawn with.
    QImage& Surface() { return m_surface; }
    void SetSurfaceSize(int width, int height);
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }
    void SetColours(TrendScopeTypes::Colour back, TrendScopeTypes::Colour fore);
    // The surface colour drawn with now (night or day).
    QColor BackColour() const { return m_back; }
    // Night colours instead of the configured ones (which stay as they
    // are): black, dim red text and lines, each trace a red of its own
    // brightness. Takes effect at the next draw.
    void SetNightMode(bool on);
    bool NightMode() const { return m_bNight; }
    TraceGeometry& Geometry() { return m_geometry; }
    const TraceGeometry& Geometry() const { return m_geometry; }

    // Text height of "0" and width of "-00.0" in the current font.
    int TextHeight() const;
    int TextWidth(const QString& text, bool plain = false) const;

    void Clear();
    void Trace_Label(int t);
    void Trace_YAxis(int t);
    void Trace_Plot(int t, int n);
    void Trace_Grid(int t);
    void Trace_Values(int t);
    void DrawDottedLine(double x1, double y1, double x2, double y2);
    // Axis labels of one mode on the row under the last strip.
    void Trace_XAxis_Normal();
    void Trace_XAxis_Zoom();
    // Row of the axis labels and of the zoom buttons.
    int AxisRow() const;

    float m_fAxisStart = -1;
    QString m_sAxisUnit = QStringLiteral("Seconds");
    float m_fAverage[TraceStore::kTraces] = {};
    bool m_bClipHigh[TraceStore::kTraces] = {};
    bool m_bClipLow[TraceStore::kTraces] = {};
    // Width of the values text last printed per trace, so the next one
    // clears all of it.
    int m_iValuesWidth[TraceStore::kTraces] = {};

private:
    // One painter for a draw and everything it calls.
    class Scope {
    public:
        explicit Scope(TracePainter& p);
        ~Scope();
        QPainter& operator*() { return m_p.m_painter; }
        QPainter* operator->() { return &m_p.m_painter; }

    private:
        TracePainter& m_p;
    };

    void FillBox(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour);
    // The colours drawn with now: the configured ones, or the night ones.
    void ResolveColours();
    QColor TraceColour(int t) const;
    QColor TraceBackColour(int t) const;
    void Print(QPainter& p, int x, int y, const QString& text, bool plain);
    void Measure();
    // Direct pixel work for the per-reading draws, clipped to the surface.
    void VerticalRun(int x, int y1, int y2, QRgb colour);
    void FillDirect(int x1, int y1, int x2, int y2, QRgb colour);
    const QImage& RenderedText(const QString& text);
    void BlitText(int x, int y, const QImage& image);
    void Scale(int t, float& top, float& bottom) const;
    // Whether the trace's values wrap around (+-180 or 0-360), and whether
    // two of its values lie on either side of the wrap.
    bool Wraps(int t) const;
    static bool Across(float a, float b) { return std::fabs(static_cast<double>(a) - b) > 180.0; }

    TraceStore& m_store;
    TraceGeometry m_geometry;
    QImage m_surface;
    QPainter m_painter;
    int m_iDepth = 0;
    QFont m_font;
    // The font with bold, italic and underline off, for scales and axis.
    QFont m_plainFont;
    // Measured on the surface; remade with the font or the surface.
    std::unique_ptr<QFontMetrics> m_metrics;
    std::unique_ptr<QFontMetrics> m_plainMetrics;
    int m_iTextHeight = 0;
    int m_iZeroWidth = 0;
    QColor m_back;
    QColor m_fore;
    TrendScopeTypes::Colour m_lBack = 0xFFFFFF;
    TrendScopeTypes::Colour m_lFore = 0;
    bool m_bNight = false;
    // Reused for every full draw so that drawing allocates nothing.
    QVector<QLine> m_lines;
    QVector<QPoint> m_points;
    // Values texts already rendered in the plain font, fore on back colour,
    // at most kTextCacheBytes of them; a larger one is kept alone.
    static constexpr qsizetype kTextCacheBytes = 16 << 20;
    void ClearTextCache();
    QHash<QString, QImage> m_textCache;
    qsizetype m_iTextCacheBytes = 0;
    QImage m_uncachedText;
};
