#include "TracePainter.h"

#include "NumberText.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace {

constexpr float NO_VALUE = TraceStore::NO_VALUE;
constexpr float EMPTY_MIN = TraceStore::EMPTY_MIN;
constexpr double kPi = 3.1415926;

// Night colours: pure reds (green and blue 0), so that whatever is mixed
// of them on the way to the screen stays red.
const QColor kNightBack(0, 0, 0);
const QColor kNightFore(150, 0, 0);
const QColor kNightTraceBack(16, 0, 0);
// Neighbouring traces at least 40 apart in brightness, all above the text.
const int kNightTrace[TraceStore::kTraces] = {255, 215, 175, 235, 195};

int Round(double v)
{
    int32_t r = 0;
    if (!NumberText::ToInt32(v, r))
        r = v < 0 ? INT32_MIN / 2 : INT32_MAX / 2;
    return r;
}

} // namespace

TraceGeometry TraceGeometry::Compute(int H, int Wc, int N, int TH, int scaleWidth)
{
    TraceGeometry g;
    N = std::clamp(N, 1, TraceStore::kTraces);
    g.m_iBlockHeight = Round((H - TH - (N - 1 + 0.5) * 8) / N);
    g.m_iInnerWidth = Round(Wc - 4);
    g.m_iPlotHeight = Round(g.m_iBlockHeight - TH - 2);
    g.m_iPlotWidth = Round(g.m_iInnerWidth - scaleWidth - 6 - 2);
    if (g.m_iPlotHeight < 10 || g.m_iPlotWidth < 10) {
        g.m_iPlotHeight = 10;
        g.m_iPlotWidth = 10;
    }
    for (int t = 0; t < N; ++t) {
        g.m_iBlockLeft[t] = 2;
        g.m_iBlockTop[t] = Round((g.m_iBlockHeight + 7) * t + 4);
        g.m_iPlotLeft[t] = 3;
        g.m_iPlotTop[t] = g.m_iBlockTop[t] + g.m_iBlockHeight - g.m_iPlotHeight - 1;
    }
    return g;
}

int TraceGeometry::HitTest(int N, double X, double Y) const
{
    for (int t = 0; t < std::min(N, TraceStore::kTraces); ++t)
        if (m_iPlotLeft[t] <= X && X <= m_iPlotLeft[t] + m_iPlotWidth - 1 && m_iPlotTop[t] <= Y
            && Y <= m_iPlotTop[t] + m_iPlotHeight - 1)
            return t;
    return -1;
}

QColor ColourToQColor(TrendScopeTypes::Colour c)
{
    const auto u = static_cast<uint32_t>(c);
    return QColor(static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF));
}

TrendScopeTypes::Colour QColorToColour(const QColor& c)
{
    return static_cast<TrendScopeTypes::Colour>(static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8)
                                                | (static_cast<uint32_t>(c.blue()) << 16));
}

void TimeAxisUnit(int32_t span, float& m_fAxisStart, QString& m_sAxisUnit)
{
    const float s = static_cast<float>(span);
    if (span >= 86401) {
        m_sAxisUnit = QStringLiteral("Days");
        m_fAxisStart = -s / 86400.0f;
    } else if (span >= 3601) {
        m_sAxisUnit = QStringLiteral("Hours");
        m_fAxisStart = -s / 3600.0f;
    } else if (span < 61) {
        m_sAxisUnit = QStringLiteral("Seconds");
        m_fAxisStart = -s;
    } else {
        m_sAxisUnit = QStringLiteral("Minutes");
        m_fAxisStart = -s / 60.0f;
    }
}

TracePainter::Scope::Scope(TracePainter& p)
    : m_p(p)
{
    if (m_p.m_iDepth++ == 0) {
        m_p.m_painter.begin(&m_p.m_surface);
        m_p.m_painter.setRenderHint(QPainter::Antialiasing, false);
    }
}

TracePainter::Scope::~Scope()
{
    if (--m_p.m_iDepth == 0)
        m_p.m_painter.end();
}

TracePainter::TracePainter(TraceStore& store)
    : m_store(store)
    , m_surface(1, 1, QImage::Format_RGB32)
{
    SetColours(0xC0C0C0, 0);
    SetFont(QFont());
}

void TracePainter::SetFont(const QFont& font)
{
    m_font = font;
    m_plainFont = font;
    m_plainFont.setBold(false);
    m_plainFont.setItalic(false);
    m_plainFont.setUnderline(false);
    Measure();
}

void TracePainter::ClearTextCache()
{
    m_textCache.clear();
    m_iTextCacheBytes = 0;
}

void TracePainter::Measure()
{
    ClearTextCache();
    m_metrics = std::make_unique<QFontMetrics>(m_font, &m_surface);
    m_plainMetrics = std::make_unique<QFontMetrics>(m_plainFont, &m_surface);
    m_iTextHeight = m_metrics->height();
    m_iZeroWidth = m_metrics->horizontalAdvance(QLatin1Char('0'));
}

void TracePainter::SetSurfaceSize(int width, int height)
{
    if (m_iDepth > 0)
        return;
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (m_surface.width() == width && m_surface.height() == height)
        return;
    // Keep the old picture until the deferred redraw replaces it.
    QImage surface(width, height, QImage::Format_RGB32);
    surface.fill(m_back);
    {
        QPainter p(&surface);
        p.drawImage(0, 0, m_surface);
    }
    m_surface = surface;
    Measure();
}

void TracePainter::SetColours(TrendScopeTypes::Colour back, TrendScopeTypes::Colour fore)
{
    m_lBack = back;
    m_lFore = fore;
    ResolveColours();
}

void TracePainter::SetNightMode(bool on)
{
    m_bNight = on;
    ResolveColours();
}

void TracePainter::ResolveColours()
{
    ClearTextCache();
    m_back = m_bNight ? kNightBack : ColourToQColor(m_lBack);
    m_fore = m_bNight ? kNightFore : ColourToQColor(m_lFore);
}

QColor TracePainter::TraceColour(int t) const
{
    return m_bNight ? QColor(kNightTrace[t], 0, 0) : ColourToQColor(m_store.m_lTraceColor[t]);
}

QColor TracePainter::TraceBackColour(int t) const
{
    return m_bNight ? kNightTraceBack : ColourToQColor(m_store.m_lTraceBackColor[t]);
}

int TracePainter::TextHeight() const
{
    return m_iTextHeight;
}

int TracePainter::TextWidth(const QString& text, bool plain) const
{
    return (plain ? m_plainMetrics : m_metrics)->horizontalAdvance(text);
}

int TracePainter::AxisRow() const
{
    const int last = std::clamp<int>(m_store.m_iNumberOfTraces, 1, TraceStore::kTraces) - 1;
    return m_geometry.m_iPlotTop[last] + m_geometry.m_iPlotHeight + 1;
}

void TracePainter::FillBox(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour)
{
    p.fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))), colour);
}

void TracePainter::Print(QPainter& p, int x, int y, const QString& text, bool plain)
{
    p.setFont(plain ? m_plainFont : m_font);
    p.setPen(m_fore);
    p.drawText(x, y + (plain ? m_plainMetrics : m_metrics)->ascent(), text);
}

void TracePainter::Clear()
{
    m_surface.fill(m_back);
}

void TracePainter::Trace_Label(int t)
{
    Scope p(*this);
    const auto& g = m_geometry;
    const int W = g.m_iPlotWidth;
    FillBox(*p, g.m_iPlotLeft[t], g.m_iBlockTop[t] + 1, g.m_iPlotLeft[t] + W - 2, g.m_iPlotTop[t] - 1, m_back);
    QString text = m_store.TraceValueName(t);
    const QString units = m_store.TraceValueUnits(t);
    if (!units.isEmpty())
        text += QStringLiteral(" (") + units + QLatin1Char(')');
    Print(*p, g.m_iBlockLeft[t] + 3, g.m_iBlockTop[t], text, false);
}

void TracePainter::Scale(int t, float& top, float& bottom) const
{
    if (m_store.m_iTraceScale[t] == static_cast<int16_t>(TrendScopeTypes::TraceScale::Manual)) {
        top = m_store.m_fScaleMax[t];
        bottom = m_store.m_fScaleMin[t];
    } else {
        top = m_store.m_fDataMax[t];
        bottom = m_store.m_fDataMin[t];
    }
}

bool TracePainter::Wraps(int t) const
{
    const auto range = static_cast<TrendScopeTypes::TraceRange>(m_store.m_iTraceRange[t]);
    return range == TrendScopeTypes::TraceRange::Degree180 || range == TrendScopeTypes::TraceRange::Degree360;
}

void TracePainter::Trace_YAxis(int t)
{
    Scope p(*this);
    const auto& g = m_geometry;
    const int W = g.m_iPlotWidth;
    const int Hp = g.m_iPlotHeight;
    const int TH = TextHeight();
    FillBox(*p, g.m_iPlotLeft[t] + W + 1, g.m_iPlotTop[t], g.m_iBlockLeft[t] + g.m_iInnerWidth - 2,
            g.m_iPlotTop[t] + Hp - 1, m_back);
    const bool manual = m_store.m_iTraceScale[t] == static_cast<int16_t>(TrendScopeTypes::TraceScale::Manual);
    float top = 0, bottom = 0;
    Scale(t, top, bottom);
    if (manual && top == 0 && bottom == 0) {
        top = NO_VALUE;
        bottom = EMPTY_MIN;
    }
    const int x = g.m_iPlotLeft[t] + W + 6;
    if (top == NO_VALUE && bottom == EMPTY_MIN) {
        Print(*p, x, Round(g.m_iPlotTop[t] + Hp / 2.0 - TH / 2.0), QStringLiteral("n/a"), true);
        return;
    }
    const QStringView format = top - bottom <= 10 && std::fabs(top) <= 10 ? u"0.0" : u"0";
    QString high = NumberText::Format(top, format);
    m_bClipHigh[t] = manual && top < m_store.m_fDataMax[t];
    if (m_bClipHigh[t])
        high.prepend(QLatin1Char('>'));
    QString low = NumberText::Format(bottom, format);
    m_bClipLow[t] = manual && bottom > m_store.m_fDataMin[t];
    if (m_bClipLow[t])
        low.prepend(QLatin1Char('>'));
    Print(*p, x, g.m_iPlotTop[t], high, true);
    Print(*p, x, g.m_iPlotTop[t] + Hp - TH, low, true);
}

void TracePainter::Trace_Plot(int t, int n)
{
    if (!m_store.HasColumns())
        return;
    const auto& g = m_geometry;
    const int W = m_store.Columns();
    const int Hp = g.m_iPlotHeight;
    const int L = g.m_iPlotLeft[t];
    const int T = g.m_iPlotTop[t];
    n = std::min(n, W - 1);
    float& dataMax = m_store.m_fDataMax[t];
    float& dataMin = m_store.m_fDataMin[t];

    if (n > 0) {
        Scope p(*this);
        FillBox(*p, L, T, L + W - 1, T + Hp - 1, TraceBackColour(t));
        if (dataMax == NO_VALUE && dataMin == EMPTY_MIN) {
            Trace_Grid(t);
            return;
        }
        float colMax = NO_VALUE;
        float colMin = EMPTY_MIN;
        for (int c = 0; c < W; ++c) {
            colMax = std::max(colMax, m_store.ColMax(c, t));
            colMin = std::min(colMin, m_store.ColMin(c, t));
        }
        // The scale shrinks only once the extremes have scrolled out of view
        // by more than 1.
        if (!(colMax + 1 >= dataMax && colMin - 1 <= dataMin)) {
            dataMax = colMax;
            dataMin = colMin;
            Trace_YAxis(t);
            if (colMax == NO_VALUE && colMin == EMPTY_MIN) {
                Trace_Grid(t);
                return;
            }
        }
        Trace_Grid(t);
    }

    float top = 0, bottom = 0;
    Scale(t, top, bottom);
    if (m_store.m_iTraceScale[t] == static_cast<int16_t>(TrendScopeTypes::TraceScale::Manual)
        && !((m_bClipHigh[t] || top <= dataMax) && (m_bClipLow[t] || bottom >= dataMin)))
        Trace_YAxis(t);

    // Rows T + 1 .. T + Hp - 1 lie inside the frame (rows T and T + Hp);
    // equal limits put every value on the middle row.
    const bool flat = top == bottom;
    const double factor = flat ? 0.0 : (Hp - 2) / (static_cast<double>(bottom) - top);
    const auto row = [&](float value) {
        double offset = flat ? (Hp - 2) / 2.0 : (static_cast<double>(value) - top) * factor;
        if (offset < 0)
            offset = 0;
        else if (offset > Hp - 2)
            offset = Hp - 2;
        return Round(T + 1 + offset);
    };
    // A degree trace crossing its wrap within a column runs from each
    // extreme to the nearer plot edge instead of across the whole plot.
    const bool wraps = Wraps(t);
    const bool upward = bottom > top;
    const int edgeHigh = upward ? T + Hp - 1 : T + 1;
    const int edgeLow = upward ? T + 1 : T + Hp - 1;
    const QColor pen = TraceColour(t);

    if (n == 0) {
        // A reading into the newest column: one stroke, set straight into
        // the image; this runs for every reading.
        const int col = m_store.m_iColumn[t] % W;
        if (m_store.ColumnEmpty(col, t))
            return;
        const float vMin = m_store.ColMin(col, t);
        const float vMax = m_store.ColMax(col, t);
        const int yMin = row(vMin);
        const int yMax = row(vMax);
        const int x = L + W - 1;
        const bool dots = m_store.m_iTraceStyle[t] == static_cast<int16_t>(TrendScopeTypes::TraceStyle::Point);
        if (!dots && wraps && Across(vMin, vMax)) {
            if (m_iDepth > 0) {
                m_painter.setPen(QPen(pen, 0));
                m_painter.drawLine(x, yMax, x, edgeHigh);
                m_painter.drawLine(x, yMin, x, edgeLow);
            } else {
                VerticalRun(x, std::min(yMax, edgeHigh), std::max(yMax, edgeHigh), pen.rgb());
                VerticalRun(x, std::min(yMin, edgeLow), std::max(yMin, edgeLow), pen.rgb());
            }
        } else if (m_iDepth > 0) {
            m_painter.setPen(QPen(pen, 0));
            if (dots) {
                m_painter.drawPoint(x, yMin);
                m_painter.drawPoint(x, yMax);
            } else {
                m_painter.drawLine(x, yMax, x, yMin);
            }
        } else if (dots) {
            VerticalRun(x, yMin, yMin, pen.rgb());
            VerticalRun(x, yMax, yMax, pen.rgb());
        } else {
            VerticalRun(x, std::min(yMin, yMax), std::max(yMin, yMax), pen.rgb());
        }
        return;
    }

    Scope p(*this);
    const bool points = m_store.m_iTraceStyle[t] == static_cast<int16_t>(TrendScopeTypes::TraceStyle::Point);
    m_lines.clear();
    m_points.clear();
    bool previous = false;
    int px = 0, pyMin = 0, pyMax = 0;
    float pvMin = 0, pvMax = 0;
    int col = m_store.m_iColumn[t] % W;
    for (int k = 0; k <= n; ++k, col = col + 1 == W ? 0 : col + 1) {
        if (m_store.ColumnEmpty(col, t)) {
            previous = false;
            continue;
        }
        const float vMin = m_store.ColMin(col, t);
        const float vMax = m_store.ColMax(col, t);
        const int yMin = row(vMin);
        const int yMax = row(vMax);
        const int x = L - k + W - 1;
        if (points) {
            m_points.append(QPoint(x, yMin));
            if (yMin != yMax)
                m_points.append(QPoint(x, yMax));
        } else if (wraps && Across(vMin, vMax)) {
            // The column itself crosses the wrap: each extreme to its edge,
            // and no joins, which could not tell which way round they go.
            m_lines.append(QLine(x, yMax, x, edgeHigh));
            m_lines.append(QLine(x, yMin, x, edgeLow));
        } else if (!previous) {
            if (yMin != yMax)
                m_lines.append(QLine(x, yMin, x, yMax));
            else
                m_points.append(QPoint(x, yMin));
        } else {
            // Joins that would cross the wrap are left out: the trace breaks
            // there rather than painting a full-height line.
            const bool joinMin = !(wraps && Across(pvMin, vMin));
            const bool joinMax = !(wraps && Across(pvMax, vMax));
            if (yMin != yMax) {
                if (joinMin)
                    m_lines.append(QLine(px, pyMin, x, yMin));
                m_lines.append(QLine(x, yMin, x, yMax));
                if (joinMax)
                    m_lines.append(QLine(x, yMax, px, pyMax));
            } else if (pyMin == pyMax) {
                if (joinMin)
                    m_lines.append(QLine(px, pyMin, x, yMin));
                else
                    m_points.append(QPoint(x, yMin));
            } else {
                if (joinMin)
                    m_lines.append(QLine(px, pyMin, x, yMin));
                if (joinMax && !(wraps && Across(pvMax, vMin)))
                    m_lines.append(QLine(x, yMin, px, pyMax));
                if (!joinMin)
                    m_points.append(QPoint(x, yMin));
            }
        }
        previous = !(wraps && !points && Across(vMin, vMax));
        px = x;
        pyMin = yMin;
        pyMax = yMax;
        pvMin = vMin;
        pvMax = vMax;
    }
    p->setPen(QPen(pen, 0));
    if (!m_lines.isEmpty())
        p->drawLines(m_lines);
    if (!m_points.isEmpty())
        p->drawPoints(m_points);
}

void TracePainter::VerticalRun(int x, int y1, int y2, QRgb colour)
{
    if (x < 0 || x >= m_surface.width())
        return;
    y1 = std::max(y1, 0);
    y2 = std::min(y2, m_surface.height() - 1);
    for (int y = y1; y <= y2; ++y)
        reinterpret_cast<QRgb*>(m_surface.scanLine(y))[x] = colour;
}

void TracePainter::FillDirect(int x1, int y1, int x2, int y2, QRgb colour)
{
    x1 = std::max(std::min(x1, x2), 0);
    x2 = std::min(std::max(x1, x2), m_surface.width() - 1);
    const int top = std::max(std::min(y1, y2), 0);
    const int bottom = std::min(std::max(y1, y2), m_surface.height() - 1);
    for (int y = top; y <= bottom; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(m_surface.scanLine(y));
        std::fill(line + x1, line + x2 + 1, colour);
    }
}

const QImage& TracePainter::RenderedText(const QString& text)
{
    auto it = m_textCache.constFind(text);
    if (it != m_textCache.constEnd())
        return it.value();
    // No text is drawn beyond the surface, whatever the font size.
    QImage image(std::clamp(m_plainMetrics->horizontalAdvance(text), 1, m_surface.width()),
                 std::clamp(m_iTextHeight, 1, m_surface.height()), QImage::Format_RGB32);
    image.fill(m_back);
    {
        QPainter p(&image);
        p.setFont(m_plainFont);
        p.setPen(m_fore);
        p.drawText(0, m_plainMetrics->ascent(), text);
    }
    // Texts of readings repeat; a cache bounded in count and in bytes keeps
    // the common ones.
    const qsizetype bytes = image.sizeInBytes();
    if (bytes > kTextCacheBytes) {
        m_uncachedText = image;
        return m_uncachedText;
    }
    if (m_textCache.size() >= 512 || m_iTextCacheBytes + bytes > kTextCacheBytes)
        ClearTextCache();
    m_iTextCacheBytes += bytes;
    return m_textCache.insert(text, image).value();
}

void TracePainter::BlitText(int x, int y, const QImage& image)
{
    if (m_iDepth > 0) {
        m_painter.drawImage(x, y, image);
        return;
    }
    const int x1 = std::max(x, 0);
    const int x2 = std::min(x + image.width(), m_surface.width());
    if (x1 >= x2)
        return;
    for (int j = std::max(y, 0); j < std::min(y + image.height(), m_surface.height()); ++j) {
        const QRgb* from = reinterpret_cast<const QRgb*>(image.constScanLine(j - y)) + (x1 - x);
        std::copy(from, from + (x2 - x1), reinterpret_cast<QRgb*>(m_surface.scanLine(j)) + x1);
    }
}

void TracePainter::Trace_Grid(int t)
{
    Scope p(*this);
    const auto& g = m_geometry;
    const int W = g.m_iPlotWidth;
    const int Hp = g.m_iPlotHeight;
    const int L = g.m_iPlotLeft[t];
    const int T = g.m_iPlotTop[t];
    float& dataMax = m_store.m_fDataMax[t];
    float& dataMin = m_store.m_fDataMin[t];

    if (!(dataMax == NO_VALUE && dataMin == EMPTY_MIN) && m_store.HasColumns()) {
        double sum = 0, sumCos = 0, sumSin = 0;
        int count = 0;
        const int columns = m_store.Columns();
        const auto add = [&](float v) {
            sum += v;
            const double r = v * kPi / 180.0;
            sumCos += std::cos(r);
            sumSin += std::sin(r);
            ++count;
        };
        const bool degrees = m_store.TraceValueType(t) == TrendScopeTypes::ValueType::Degrees;
        for (int c = 0; c < columns; ++c) {
            const float mx = m_store.ColMax(c, t);
            const float mn = m_store.ColMin(c, t);
            if (degrees) {
                if (mx != NO_VALUE)
                    add(mx);
                if (mn != EMPTY_MIN)
                    add(mn);
            } else {
                if (mx != NO_VALUE) {
                    sum += mx;
                    ++count;
                }
                if (mn != EMPTY_MIN) {
                    sum += mn;
                    ++count;
                }
            }
        }
        if (count > 0) {
            const auto range = static_cast<TrendScopeTypes::TraceRange>(m_store.m_iTraceRange[t]);
            float average = static_cast<float>(sum / count);
            if (degrees && range != TrendScopeTypes::TraceRange::Normal) {
                average = TraceStore::AngleFromVector(static_cast<float>(sumCos), static_cast<float>(sumSin));
                if (range == TrendScopeTypes::TraceRange::Degree360 && average < 0)
                    average += 360;
            }
            m_fAverage[t] = average;
        }
        const float average = m_fAverage[t];
        if (m_store.m_iTraceScale[t] == static_cast<int16_t>(TrendScopeTypes::TraceScale::Auto)) {
            if (average < dataMin) {
                dataMin = average;
                Trace_YAxis(t);
            } else if (average > dataMax) {
                dataMax = average;
                Trace_YAxis(t);
            }
        }
        Trace_Values(t);

        float top = 0, bottom = 0;
        Scale(t, top, bottom);
        const int offset = top == bottom ? Round(Hp / 2.0)
                                         : Round((static_cast<double>(average) - top) * Hp / (static_cast<double>(bottom) - top));
        if (offset >= 1 && offset < Hp) {
            // Half way between the text colour and the surface, channel by
            // channel: halving the packed colour as one number would carry
            // odd halves into the next channel (black on white gave navy).
            const QColor mid(Round((m_fore.red() + m_back.red()) / 2.0), Round((m_fore.green() + m_back.green()) / 2.0),
                             Round((m_fore.blue() + m_back.blue()) / 2.0));
            p->setPen(QPen(mid, 0));
            p->drawLine(L, T + offset, L + W, T + offset);
        }
    }

    p->setPen(QPen(m_fore, 0));
    const QPoint frame[] = {{L, T}, {L + W, T}, {L + W, T + Hp}, {L, T + Hp}, {L, T}};
    p->drawPolyline(frame, 5);
    for (double f : {0.25, 0.5, 0.75}) {
        DrawDottedLine(L, T + Hp * f, L + W, T + Hp * f);
        DrawDottedLine(L + W * f, T, L + W * f, T + Hp);
    }
}

void TracePainter::DrawDottedLine(double x1, double y1, double x2, double y2)
{
    Scope p(*this);
    m_points.clear();
    if (y1 == y2) {
        const int y = Round(y1);
        for (int x = Round(x1); x <= Round(x2); x += 3)
            m_points.append(QPoint(x, y));
    } else if (x1 == x2) {
        const int x = Round(x1);
        for (int y = Round(y1); y <= Round(y2); y += 3)
            m_points.append(QPoint(x, y));
    }
    p->setPen(QPen(m_fore, 0));
    p->drawPoints(m_points);
}

void TracePainter::Trace_Values(int t)
{
    const auto& g = m_geometry;
    const int x = g.m_iPlotLeft[t] + g.m_iPlotWidth - 3;
    const int y = g.m_iBlockTop[t] + 1;
    const int TH = TextHeight();
    QString text = QStringLiteral("Ave ") + NumberText::Format(m_fAverage[t], u"0.0");
    if (m_store.m_bHasValue[t])
        text += QStringLiteral(",   Cur ") + NumberText::Format(m_store.m_fLastValue[t], u"0.0");
    else
        text += QStringLiteral(", Cur n/a");
    const QImage& image = RenderedText(text);
    // The box covers the room for 15 characters and whatever the previous
    // text took beyond it ("Ave -123.4,   Cur -123.4" is wider).
    const int clear = std::max({15 * m_iZeroWidth, m_iValuesWidth[t], image.width()});
    m_iValuesWidth[t] = image.width();
    // Drawn for every reading, so the box and the text go straight into the
    // image unless a full draw holds the painter.
    if (m_iDepth > 0)
        FillBox(m_painter, x - clear, y, x, y + TH - 1, m_back);
    else
        FillDirect(x - clear, y, x, y + TH - 1, m_back.rgb());
    BlitText(x - image.width(), y, image);
}

void TracePainter::Trace_XAxis_Normal()
{
    Scope p(*this);
    const auto& g = m_geometry;
    const int y = AxisRow();
    const int L0 = g.m_iPlotLeft[0];
    const int W = g.m_iPlotWidth;
    const auto centred = [&](const QString& text, double at) { Print(*p, Round(at - TextWidth(text, true) / 2.0), y, text, true); };
    Print(*p, L0 + 3, y, NumberText::General(m_fAxisStart), true);
    centred(NumberText::General(m_fAxisStart * 0.75f), L0 + W * 0.25);
    centred(m_sAxisUnit, L0 + W * 0.5);
    centred(NumberText::General(m_fAxisStart * 0.25f), L0 + W * 0.75);
    const QString zero = QStringLiteral("0");
    Print(*p, L0 + W - 3 - TextWidth(zero, true), y, zero, true);
}

void TracePainter::Trace_XAxis_Zoom()
{
    Scope p(*this);
    const auto& g = m_geometry;
    const int y = AxisRow();
    const int L0 = g.m_iPlotLeft[0];
    const int W = g.m_iPlotWidth;
    const ChartSeconds middle(Round(m_store.m_lZoomEnd.Count() - m_store.m_lTimeSpan / 2.0));
    const QString centre = ChartTime::ToString(middle).mid(11);
    Print(*p, Round(L0 + W * 0.5 - TextWidth(centre, true) / 2.0), y, centre, true);
    const QString span = QStringLiteral("Span ") + NumberText::Format(-m_fAxisStart, u".0") + QLatin1Char(' ') + m_sAxisUnit;
    Print(*p, L0 + W - 3 - TextWidth(span, true), y, span, true);
}
