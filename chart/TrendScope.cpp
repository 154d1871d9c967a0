#include "TrendScope.h"

#include "ChartAttachment.h"
#include "ChartProfile.h"
#include "NumberText.h"
#include "TracePainter.h"
#include "TraceStore.h"

#include <QApplication>
#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>
#include <array>
#include <cmath>

const char* TrendScopeVersion()
{
    return TrendScope::Version;
}

namespace {

constexpr TrendScopeTypes::Colour kDefaultBackColor = 0xC0C0C0;
constexpr TrendScopeTypes::Colour kDefaultForeColor = 0;
const char* const kDefaultFontName = "MS Sans Serif";
constexpr float kDefaultFontSize = 8;
// Font sizes taken, in points: up to two inches, to be read across a
// cockpit; larger ones (a stored 999) only make texts that no picture holds.
constexpr float kMinFontSize = 1;
constexpr float kMaxFontSize = 144;

bool FontSizeTaken(double points)
{
    return points >= kMinFontSize && points <= kMaxFontSize;
}

// The picture is never larger than this many device pixels in either
// direction, nor than the desktop when that is larger (4K UHD), whatever
// size the control is given: a control made wider than every screen (a
// stored window size, a scroll area) costs what a full-screen one does.
QSize PictureLimit()
{
    QRect desktop;
    double dpr = 1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        desktop |= screen->geometry();
        dpr = std::max(dpr, screen->devicePixelRatio());
    }
    return QSize(3840, 2160).expandedTo(QSize(NumberText::ToInt32Saturated(desktop.width() * dpr),
                                              NumberText::ToInt32Saturated(desktop.height() * dpr)));
}

int16_t ButtonCode(Qt::MouseButtons buttons)
{
    int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int16_t ShiftCode(Qt::KeyboardModifiers modifiers)
{
    int16_t code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

// Night colours of the parts drawn by the widgets: pure reds, as in the
// picture.
const QColor kNightFace(150, 0, 0);
const QColor kNightOutline(60, 0, 0);
// What the selection band inverts: red alone at night.
const QColor kNightBand(255, 0, 0);

QPalette NightButtons()
{
    const struct {
        QPalette::ColorRole role;
        int red;
    } roles[] = {{QPalette::Window, 0},  {QPalette::Button, 24},     {QPalette::ButtonText, 150},
                 {QPalette::WindowText, 150}, {QPalette::Light, 48}, {QPalette::Midlight, 36},
                 {QPalette::Mid, 28},    {QPalette::Dark, 18},       {QPalette::Shadow, 0},
                 {QPalette::Highlight, 90}, {QPalette::Base, 0},     {QPalette::Text, 150}};
    QPalette p;
    for (const auto& r : roles)
        p.setColor(r.role, QColor(r.red, 0, 0));
    return p;
}

// A thin cross with an open centre, so the point under it stays visible.
QCursor CrossHairCursor(bool night)
{
    QPixmap image(32, 32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(night ? kNightOutline : QColor(Qt::white), 3));
    p.drawLine(15, 2, 15, 12);
    p.drawLine(15, 18, 15, 28);
    p.drawLine(2, 15, 12, 15);
    p.drawLine(18, 15, 28, 15);
    p.setPen(QPen(night ? kNightFace : QColor(Qt::black), 1));
    p.drawLine(15, 2, 15, 12);
    p.drawLine(15, 18, 15, 28);
    p.drawLine(2, 15, 12, 15);
    p.drawLine(18, 15, 28, 15);
    p.drawPoint(15, 15);
    p.end();
    return QCursor(image, 15, 15);
}

// Small faces for the zoom buttons: 0 cancel, 1 left, 2 right, 3 in, 4 out.
QIcon ButtonFace(int kind, const QColor& ink)
{
    QPixmap image(11, 9);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(ink, 1));
    p.setBrush(ink);
    switch (kind) {
    case 0:
        p.drawLine(1, 0, 9, 8);
        p.drawLine(9, 0, 1, 8);
        p.drawLine(2, 0, 10, 8);
        p.drawLine(10, 0, 2, 8);
        break;
    case 1: {
        const QPoint tri[] = {{7, 0}, {7, 8}, {3, 4}};
        p.drawPolygon(tri, 3);
        break;
    }
    case 2: {
        const QPoint tri[] = {{3, 0}, {3, 8}, {7, 4}};
        p.drawPolygon(tri, 3);
        break;
    }
    case 3:
        p.fillRect(1, 3, 9, 2, ink);
        p.fillRect(4, 0, 2, 8, ink);
        break;
    default:
        p.fillRect(1, 3, 9, 2, ink);
        break;
    }
    p.end();
    return QIcon(image);
}

} // namespace

// The drawing surface: shows the persistent image and the selection band,
// and hands the mouse to the control.
class ChartSurface : public QWidget {
public:
    ChartSurface(TrendScopePrivate& d, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TrendScopePrivate& d;
    bool m_bDoubleClick = false;
};

class TrendScopePrivate : public TraceDrawSink {
public:
    TrendScopePrivate(TrendScope* owner, ChartClock& clock);

    void Trace_Label(int t) override;
    void Trace_YAxis(int t) override;
    void Trace_Plot(int t, int n) override;
    void Trace_Values(int t) override;

    bool Showing() const { return store.m_bInitialized && store.m_bUpdate; }
    void TraceLayout();
    void TraceRedraw();
    void Trace_XAxis();
    void PlaceButtons();
    void ApplyFont();
    void ApplyColours();
    // Button faces, their palette and the cursor for the day or the night.
    void ApplyNightMode();
    int HitTest(double X, double Y) const;
    int TraceIndex(int iTrace) const { return iTrace >= 1 && iTrace <= TraceStore::kTraces ? iTrace - 1 : -1; }

    void SelectStart(int16_t Button, int16_t Shift, float X, float Y);
    void SelectMove(int16_t Button, int16_t Shift, float X, float Y);
    void SelectEnd(int16_t Button, int16_t Shift, float X, float Y);
    void TraceToolTip(float X, float Y);
    void SetCrossHair(bool on);

    void cmdZoomCancel_Click();
    void cmdZoomIn_Click();
    void cmdZoomOut_Click();
    void cmdZoomLeft_Click();
    void cmdZoomRight_Click();
    void Beep();
    // Emits the change signals for what differs from the last report.
    void Report();
    // Device pixels per logical pixel; the picture and all geometry are in
    // device pixels, mouse positions come in logical ones.
    bool TakePixelRatio();
    double Device(double logical) const { return logical * m_dDpr; }
    // The picture in device pixels: the control's size within PictureLimit.
    QSize PictureSize() const;

    TrendScope* q;
    ChartClock& m_clock;
    TraceStore store;
    TracePainter painter;
    ChartSurface* surface = nullptr;
    std::array<QToolButton*, 5> buttons = {};
    // The buttons' style at night: one that draws its bevels from the
    // palette alone (others mix in white).
    std::unique_ptr<QStyle> nightButtonStyle;
    std::unique_ptr<ChartTimer> tmrTimer;
    std::unique_ptr<ChartTimer> tmrResize;
    QCursor crossHair;
    bool m_bCrossHair = false;
    std::function<void()> beep;
    TrendScope::ColorDialog colorDialog;
    TrendScope::FontDialog fontDialog;
    double m_dDpr = 1;
    TrendScopeTypes::DisplayMode m_eReportedMode = TrendScopeTypes::DisplayMode::Normal;
    int32_t m_lReportedSpan = 60;
    int m_iReportedTraces = 1;
    ChartSeconds m_lReportedStart;
    ChartSeconds m_lReportedEnd;

    bool m_bLayoutChanged = true;
    bool m_bMenuHidePanel = false;
    bool m_bNightMode = false;
    // Whether the press of the running selection froze a live display.
    bool m_bFrozeOnPress = false;
    TrendScopeTypes::Colour m_lBackColor = kDefaultBackColor;
    TrendScopeTypes::Colour m_lForeColor = kDefaultForeColor;
    QString m_sFontName = QString::fromLatin1(kDefaultFontName);
    float m_fFontSize = kDefaultFontSize;
    bool m_bFontBold = false;
    bool m_bFontItalic = false;
    bool m_bFontUnderline = false;
    // Zoom band: anchor x0, y0 and current x1, y1; x0 = y0 = -1 when none.
    int m_iSelect[4] = {-1, -1, -1, -1};
};

ChartSurface::ChartSurface(TrendScopePrivate& priv, QWidget* parent)
    : QWidget(parent)
    , d(priv)
{
    setObjectName(QStringLiteral("PictureArea"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartSurface::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // The picture is in device pixels: each logical rectangle takes its
    // device rectangle unscaled.
    const double dpr = d.m_dDpr;
    const QRect r = event->rect();
    // A control larger than the largest picture shows the rest empty.
    const QImage& picture = d.painter.Surface();
    if (r.right() + 1 > picture.width() / dpr || r.bottom() + 1 > picture.height() / dpr)
        p.fillRect(r, d.painter.BackColour());
    p.drawImage(QRectF(r), picture, QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
    if (d.m_iSelect[0] < 0 && d.m_iSelect[1] < 0)
        return;
    // The band inverts what lies under it, like an XOR pen, so it never
    // touches the image itself.
    p.scale(1 / dpr, 1 / dpr);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto& g = d.painter.Geometry();
    const int x0 = std::min(d.m_iSelect[0], d.m_iSelect[2]);
    const int x1 = std::max(d.m_iSelect[0], d.m_iSelect[2]);
    for (int t = 0; t < d.store.m_iNumberOfTraces; ++t)
        p.fillRect(QRect(QPoint(x0, g.m_iPlotTop[t] + 1), QPoint(x1, g.m_iPlotTop[t] + g.m_iPlotHeight - 1)),
                   d.m_bNightMode ? kNightBand : QColor(Qt::white));
}

void ChartSurface::mousePressEvent(QMouseEvent* event)
{
    m_bDoubleClick = false;
    const QPointF at = event->position();
    d.SelectStart(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(at.x()), float(at.y()));
}

void ChartSurface::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    d.SelectMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()), float(at.x()), float(at.y()));
    d.TraceToolTip(float(at.x()), float(at.y()));
}

void ChartSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    d.SelectEnd(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(at.x()), float(at.y()));
    if (!m_bDoubleClick && rect().contains(event->position().toPoint()))
        emit d.q->Click();
    m_bDoubleClick = false;
}

void ChartSurface::mouseDoubleClickEvent(QMouseEvent*)
{
    // The second press of a double click is no new press.
    m_bDoubleClick = true;
    emit d.q->DblClick();
}

TrendScopePrivate::TrendScopePrivate(TrendScope* owner, ChartClock& clock)
    : q(owner)
    , m_clock(clock)
    , store(clock)
    , painter(store)
    , tmrTimer(clock.CreateTimer())
    , tmrResize(clock.CreateTimer())
    , crossHair(CrossHairCursor(false))
{
    store.SetDrawSink(this);
    tmrTimer->Timeout = [this] { store.TraceSample(); };
    tmrResize->Timeout = [this] { TraceRedraw(); };
}

void TrendScopePrivate::Trace_Label(int t)
{
    if (!Showing() || m_bLayoutChanged)
        return;
    painter.Trace_Label(t);
    surface->update();
}

void TrendScopePrivate::Trace_YAxis(int t)
{
    if (!Showing() || m_bLayoutChanged)
        return;
    painter.Trace_YAxis(t);
    surface->update();
}

void TrendScopePrivate::Trace_Plot(int t, int n)
{
    if (!Showing() || m_bLayoutChanged)
        return;
    painter.Trace_Plot(t, n);
    surface->update();
}

void TrendScopePrivate::Trace_Values(int t)
{
    if (!Showing() || m_bLayoutChanged)
        return;
    painter.Trace_Values(t);
    surface->update();
}

bool TrendScopePrivate::TakePixelRatio()
{
    const double dpr = std::max(q->devicePixelRatioF(), 1.0);
    if (dpr == m_dDpr)
        return false;
    m_dDpr = dpr;
    ApplyFont();
    return true;
}

QSize TrendScopePrivate::PictureSize() const
{
    return QSize(NumberText::ToInt32Saturated(Device(q->width())), NumberText::ToInt32Saturated(Device(q->height())))
        .boundedTo(PictureLimit());
}

void TrendScopePrivate::TraceLayout()
{
    if (!Showing())
        return;
    TakePixelRatio();
    const QSize size = PictureSize();
    painter.SetSurfaceSize(size.width(), size.height());
    painter.Geometry() = TraceGeometry::Compute(size.height(), size.width(), store.m_iNumberOfTraces,
                                                painter.TextHeight(), painter.TextWidth(QStringLiteral("-00.0")));
    tmrResize->Stop();
    tmrResize->Start(250);
    m_bLayoutChanged = true;
}

void TrendScopePrivate::TraceRedraw()
{
    tmrResize->Stop();
    if (!Showing())
        return;
    if (m_bLayoutChanged || !store.HasColumns())
        store.TraceRebuild(painter.Geometry().m_iPlotWidth);
    painter.Clear();
    for (int t = 0; t < store.m_iNumberOfTraces; ++t) {
        painter.Trace_Label(t);
        painter.Trace_YAxis(t);
        painter.Trace_Plot(t, store.Columns() - 1);
    }
    Trace_XAxis();
    m_bLayoutChanged = false;
    surface->update();
    Report();
}

void TrendScopePrivate::Trace_XAxis()
{
    TimeAxisUnit(store.m_lTimeSpan, painter.m_fAxisStart, painter.m_sAxisUnit);
    if (store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Normal) {
        painter.Trace_XAxis_Normal();
        for (auto* b : buttons)
            b->hide();
    } else {
        PlaceButtons();
        painter.Trace_XAxis_Zoom();
        for (auto* b : buttons)
            b->show();
    }
}

void TrendScopePrivate::PlaceButtons()
{
    // 252 x 204 twips each.
    const int w = NumberText::ToInt32Saturated(252.0 * q->logicalDpiX() / 1440.0);
    const int h = NumberText::ToInt32Saturated(204.0 * q->logicalDpiY() / 1440.0);
    const int y = NumberText::ToInt32Saturated(painter.AxisRow() / m_dDpr);
    int x = NumberText::ToInt32Saturated(painter.Geometry().m_iPlotLeft[0] / m_dDpr);
    // Cancel, then pan left and right, then zoom in and out, in groups.
    const int gapBefore[] = {0, 8, 4, 8, 4};
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i > 0)
            x += w + gapBefore[i];
        buttons[i]->setGeometry(x, y, w, h);
    }
}

void TrendScopePrivate::ApplyFont()
{
    QFont font(m_sFontName);
    font.setStyleHint(QFont::SansSerif);
    // Text is drawn into the device-pixel picture, so at the device's size.
    font.setPointSizeF((m_fFontSize > 0 ? m_fFontSize : kDefaultFontSize) * m_dDpr);
    font.setBold(m_bFontBold);
    font.setItalic(m_bFontItalic);
    font.setUnderline(m_bFontUnderline);
    painter.SetFont(font);
}

void TrendScopePrivate::ApplyColours()
{
    painter.SetColours(m_lBackColor, m_lForeColor);
}

void TrendScopePrivate::ApplyNightMode()
{
    painter.SetNightMode(m_bNightMode);
    if (m_bNightMode && !nightButtonStyle)
        nightButtonStyle.reset(QStyleFactory::create(QStringLiteral("Windows")));
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setIcon(ButtonFace(static_cast<int>(i), m_bNightMode ? kNightFace : QColor(Qt::black)));
        // By day they follow the host's style and palette again.
        buttons[i]->setStyle(m_bNightMode ? nightButtonStyle.get() : nullptr);
        buttons[i]->setPalette(m_bNightMode ? NightButtons() : QPalette());
    }
    crossHair = CrossHairCursor(m_bNightMode);
    if (m_bCrossHair)
        surface->setCursor(crossHair);
}

int TrendScopePrivate::HitTest(double X, double Y) const
{
    if (!Showing())
        return -1;
    return painter.Geometry().HitTest(store.m_iNumberOfTraces, Device(X), Device(Y));
}

void TrendScopePrivate::SetCrossHair(bool on)
{
    if (on == m_bCrossHair)
        return;
    m_bCrossHair = on;
    if (on)
        surface->setCursor(crossHair);
    else
        surface->unsetCursor();
}

void TrendScopePrivate::SelectStart(int16_t Button, int16_t Shift, float X, float Y)
{
    if (Button != 1)
        return;
    if (HitTest(X, Y) < 0) {
        std::fill(std::begin(m_iSelect), std::end(m_iSelect), -1);
        emit q->MouseDown(Button, Shift, X, Y);
        return;
    }
    m_bFrozeOnPress = store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Normal;
    if (m_bFrozeOnPress) {
        store.m_lZoomEnd = store.Now();
        store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
        store.m_lTimeSpanSaved = store.m_lTimeSpan;
        store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Zoom;
    }
    m_iSelect[0] = m_iSelect[2] = NumberText::ToInt16Saturated(Device(X));
    m_iSelect[1] = m_iSelect[3] = NumberText::ToInt16Saturated(Device(Y));
    Report();
}

void TrendScopePrivate::SelectMove(int16_t Button, int16_t Shift, float X, float Y)
{
    if (X == 0 && Y == 0)
        return;
    if (HitTest(X, Y) < 0) {
        SetCrossHair(false);
        if (Button == 1)
            emit q->MouseMove(Button, Shift, X, Y);
        return;
    }
    const bool active = !(m_iSelect[0] == -1 && m_iSelect[1] == -1);
    if (Button == 1 && !active)
        return;
    SetCrossHair(true);
    if (Button != 1)
        return;
    m_iSelect[2] = NumberText::ToInt16Saturated(Device(X));
    m_iSelect[3] = NumberText::ToInt16Saturated(Device(Y));
    surface->update();
}

void TrendScopePrivate::SelectEnd(int16_t Button, int16_t Shift, float X, float Y)
{
    const bool active = !(m_iSelect[0] == -1 && m_iSelect[1] == -1);
    if (Button == 1 && active) {
        const int x0 = m_iSelect[0];
        const int x1 = m_iSelect[2];
        const bool moved = x0 != x1 || m_iSelect[1] != m_iSelect[3];
        std::fill(std::begin(m_iSelect), std::end(m_iSelect), -1);
        surface->update();
        if (moved) {
            const double L0 = painter.Geometry().m_iPlotLeft[0];
            const double W = painter.Geometry().m_iPlotWidth;
            const double span = store.m_lTimeSpan;
            int32_t t0 = NumberText::ToInt32Saturated(((x0 - L0) / (W - 1) - 1) * span);
            const int32_t t1 = NumberText::ToInt32Saturated(((x1 - L0) / (W - 1) - 1) * span);
            if (t0 == t1)
                t0 = t1 - 1;
            const ChartSeconds end = store.m_lZoomEnd;
            store.m_lZoomStart = end + std::min(t0, t1);
            store.m_lZoomEnd = end + std::max(t0, t1);
            store.m_lTimeSpan = static_cast<int32_t>(store.m_lZoomEnd - store.m_lZoomStart);
            TraceLayout();
            TraceRedraw();
        } else if (m_bFrozeOnPress) {
            // The press froze a live display and nothing was selected: live
            // again, nothing else changed.
            store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Normal;
            Report();
        } else {
            // A click on a zoomed display returns fully to the live one:
            // span, buttons and columns, not just the mode.
            cmdZoomCancel_Click();
        }
    } else if (Button == 1) {
        emit q->MouseUp(Button, Shift, X, Y);
    } else if (Button == 2) {
        q->Trace_PopUp(Button, Shift, X, Y);
    }
}

void TrendScopePrivate::TraceToolTip(float X, float Y)
{
    const int t = HitTest(X, Y);
    if (t < 0) {
        surface->setToolTip(QString());
        return;
    }
    const auto& g = painter.Geometry();
    X = static_cast<float>(Device(X));
    Y = static_cast<float>(Device(Y));
    const double f = (X - g.m_iPlotLeft[t]) / (g.m_iPlotWidth - 1.0);
    QString when;
    if (store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Normal)
        when = NumberText::Format(-((f - 1) * painter.m_fAxisStart), u".0");
    else
        when = ChartTime::ToString(
                   ChartSeconds(NumberText::ToInt32Saturated(store.m_lZoomEnd.Count() + (f - 1) * store.m_lTimeSpan)))
                   .mid(11);
    float top = store.m_fDataMax[t];
    float bottom = store.m_fDataMin[t];
    if (store.m_iTraceScale[t] == static_cast<int16_t>(TrendScopeTypes::TraceScale::Manual)) {
        top = store.m_fScaleMax[t];
        bottom = store.m_fScaleMin[t];
        if (top == 0 && bottom == 0) {
            top = TraceStore::NO_VALUE;
            bottom = TraceStore::EMPTY_MIN;
        }
    }
    if (top == TraceStore::NO_VALUE && bottom == TraceStore::EMPTY_MIN) {
        surface->setToolTip(when);
        return;
    }
    // Rows as the trace is drawn: T + 1 .. T + Hp - 1 from top to bottom.
    const double row = std::clamp(Y - g.m_iPlotTop[t] - 1.0, 0.0, g.m_iPlotHeight - 2.0);
    const double value = top + row * (static_cast<double>(bottom) - top) / std::max(g.m_iPlotHeight - 2.0, 1.0);
    surface->setToolTip(NumberText::Format(value, u".0") + QStringLiteral(" @ ") + when);
}

void TrendScopePrivate::cmdZoomCancel_Click()
{
    store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Normal;
    store.m_lTimeSpan = store.m_lTimeSpanSaved;
    TraceLayout();
    TraceRedraw();
    Report();
}

void TrendScopePrivate::cmdZoomIn_Click()
{
    if (store.m_lTimeSpan < 61) {
        Beep();
        return;
    }
    const double half = store.m_lTimeSpan / 2.0;
    const int32_t centre = NumberText::ToInt32Saturated(store.m_lZoomEnd.Count() - half);
    store.m_lTimeSpan = NumberText::ToInt32Saturated(half);
    store.m_lZoomEnd = ChartSeconds(NumberText::ToInt32Saturated(store.m_lTimeSpan / 2.0 + centre));
    store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
    TraceLayout();
    TraceRedraw();
    Report();
}

void TrendScopePrivate::cmdZoomOut_Click()
{
    if (store.m_lTimeSpan >= 86400) {
        Beep();
        return;
    }
    const int32_t centre = NumberText::ToInt32Saturated(store.m_lZoomEnd.Count() - store.m_lTimeSpan / 2.0);
    store.m_lTimeSpan *= 2;
    store.m_lZoomEnd = ChartSeconds(NumberText::ToInt32Saturated(store.m_lTimeSpan / 2.0 + centre));
    store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
    TraceLayout();
    TraceRedraw();
    Report();
}

void TrendScopePrivate::cmdZoomLeft_Click()
{
    const int32_t shift = NumberText::ToInt32Saturated(store.m_lTimeSpan / 4.0);
    store.m_lZoomStart -= shift;
    store.m_lZoomEnd -= shift;
    TraceLayout();
    TraceRedraw();
    Report();
}

void TrendScopePrivate::cmdZoomRight_Click()
{
    const int32_t shift = NumberText::ToInt32Saturated(store.m_lTimeSpan / 4.0);
    store.m_lZoomStart += shift;
    store.m_lZoomEnd += shift;
    TraceLayout();
    TraceRedraw();
    Report();
}

void TrendScopePrivate::Beep()
{
    if (beep)
        beep();
    else
        QApplication::beep();
}

void TrendScopePrivate::Report()
{
    if (store.m_eDisplayMode != m_eReportedMode) {
        m_eReportedMode = store.m_eDisplayMode;
        emit q->displayModeChanged(m_eReportedMode);
    }
    if (store.m_lTimeSpan != m_lReportedSpan) {
        m_lReportedSpan = store.m_lTimeSpan;
        emit q->timeSpanChanged(m_lReportedSpan);
    }
    if (store.m_iNumberOfTraces != m_iReportedTraces) {
        m_iReportedTraces = store.m_iNumberOfTraces;
        emit q->numberOfTracesChanged(m_iReportedTraces);
    }
    if (store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Zoom
        && (store.m_lZoomStart != m_lReportedStart || store.m_lZoomEnd != m_lReportedEnd)) {
        m_lReportedStart = store.m_lZoomStart;
        m_lReportedEnd = store.m_lZoomEnd;
        emit q->zoomWindowChanged(ChartTime::ToDateTime(m_lReportedStart), ChartTime::ToDateTime(m_lReportedEnd));
    }
}

namespace {

// Set once, as the library loads (ChartAttachment.h); held in a function so
// that it exists whichever file's statics come first.
std::function<void(TrendScope&)>& EveryChart()
{
    static std::function<void(TrendScope&)> attach;
    return attach;
}

} // namespace

void AttachToEveryChart(std::function<void(TrendScope&)> attach)
{
    EveryChart() = std::move(attach);
}

TrendScope::TrendScope(QWidget* parent, ChartClock* clock)
    : QWidget(parent)
    , d(std::make_unique<TrendScopePrivate>(this, clock ? *clock : ChartClock::System()))
{
    d->surface = new ChartSurface(*d, this);
    const char* names[] = {"cmdZoomCancel", "cmdZoomLeft", "cmdZoomRight", "cmdZoomIn", "cmdZoomOut"};
    const char* texts[] = {"Cancel Zoom", "Pan Left", "Pan Right", "Zoom In", "Zoom Out"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QToolButton(d->surface);
        b->setObjectName(QLatin1String(names[i]));
        b->setText(QLatin1String(texts[i]));
        b->setToolTip(QLatin1String(texts[i]));
        b->setIcon(ButtonFace(i, Qt::black));
        b->setIconSize(QSize(11, 9));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        d->buttons[static_cast<size_t>(i)] = b;
    }
    connect(d->buttons[0], &QToolButton::clicked, this, [this] { d->cmdZoomCancel_Click(); });
    connect(d->buttons[1], &QToolButton::clicked, this, [this] { d->cmdZoomLeft_Click(); });
    connect(d->buttons[2], &QToolButton::clicked, this, [this] { d->cmdZoomRight_Click(); });
    connect(d->buttons[3], &QToolButton::clicked, this, [this] { d->cmdZoomIn_Click(); });
    connect(d->buttons[4], &QToolButton::clicked, this, [this] { d->cmdZoomOut_Click(); });
    ReadProperties({});
    if (EveryChart())
        EveryChart()(*this);
}

TrendScope::~TrendScope() = default;

void TrendScope::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->surface->setGeometry(0, 0, width(), height());
    d->TakePixelRatio();
    const QSize size = d->PictureSize();
    d->painter.SetSurfaceSize(size.width(), size.height());
    d->TraceLayout();
}

void TrendScope::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (d->TakePixelRatio())
        d->TraceLayout();
    d->TraceRedraw();
}

void TrendScope::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Moved to a screen of another scale: lay out and draw at the new one.
    if (event->type() == QEvent::ScreenChangeInternal && d->TakePixelRatio()) {
        d->TraceLayout();
        d->TraceRedraw();
    }
}

void TrendScope::Trace_XAxis_Normal()
{
    if (!d->Showing())
        return;
    TimeAxisUnit(d->store.m_lTimeSpan, d->painter.m_fAxisStart, d->painter.m_sAxisUnit);
    d->painter.Trace_XAxis_Normal();
    d->surface->update();
}

void TrendScope::Trace_XAxis_Zoom()
{
    if (!d->Showing())
        return;
    TimeAxisUnit(d->store.m_lTimeSpan, d->painter.m_fAxisStart, d->painter.m_sAxisUnit);
    d->PlaceButtons();
    d->painter.Trace_XAxis_Zoom();
    d->surface->update();
}

void TrendScope::Trace_PopUp(const QVariant&, const QVariant&, const QVariant&, const QVariant&)
{
    popUpMenu();
}

void TrendScope::popUpMenu()
{
    if (!d->Showing())
        return;
    emit menuRequested(QCursor::pos());
}

TrendScope::Colour TrendScope::BackColor() const { return d->m_lBackColor; }
TrendScope::Colour TrendScope::ForeColor() const { return d->m_lForeColor; }
bool TrendScope::FontBold() const { return d->m_bFontBold; }
bool TrendScope::FontItalic() const { return d->m_bFontItalic; }
QString TrendScope::FontName() const { return d->m_sFontName; }
float TrendScope::FontSize() const { return d->m_fFontSize; }
bool TrendScope::FontUnderline() const { return d->m_bFontUnderline; }

void TrendScope::SetBackColor(Colour colour)
{
    d->m_lBackColor = colour;
    d->ApplyColours();
    d->TraceRedraw();
}

void TrendScope::SetForeColor(Colour colour)
{
    d->m_lForeColor = colour;
    d->ApplyColours();
    d->TraceRedraw();
}

void TrendScope::SetFontBold(bool state)
{
    d->m_bFontBold = state;
    d->ApplyFont();
}

void TrendScope::SetFontItalic(bool state)
{
    d->m_bFontItalic = state;
    d->ApplyFont();
}

void TrendScope::SetFontName(const QString& name)
{
    d->m_sFontName = name;
    d->ApplyFont();
}

void TrendScope::SetFontSize(float points)
{
    // Sizes the font system cannot show keep the previous one.
    if (!FontSizeTaken(points))
        return;
    d->m_fFontSize = points;
    d->ApplyFont();
}

void TrendScope::SetFontUnderline(bool state)
{
    d->m_bFontUnderline = state;
    d->ApplyFont();
    d->TraceLayout();
    d->TraceRedraw();
}

void TrendScope::ReadProperties(const QVariantMap& bag)
{
    const auto read = [&bag](const char* key, const QVariant& fallback) {
        const auto it = bag.constFind(QLatin1String(key));
        return it == bag.constEnd() ? fallback : it.value();
    };
    d->m_lBackColor = read("BackColor", kDefaultBackColor).toInt();
    d->m_lForeColor = read("ForeColor", kDefaultForeColor).toInt();
    d->m_bFontBold = read("FontBold", false).toBool();
    d->m_bFontItalic = read("FontItalic", false).toBool();
    d->m_sFontName = read("FontName", QString::fromLatin1(kDefaultFontName)).toString();
    const float size = read("FontSize", kDefaultFontSize).toFloat();
    d->m_fFontSize = FontSizeTaken(size) ? size : kDefaultFontSize;
    d->m_bFontUnderline = read("FontUnderline", false).toBool();
    d->ApplyColours();
    d->ApplyFont();
}

QVariantMap TrendScope::WriteProperties() const
{
    QVariantMap bag;
    if (d->m_lBackColor != kDefaultBackColor)
        bag.insert(QStringLiteral("BackColor"), d->m_lBackColor);
    if (d->m_lForeColor != kDefaultForeColor)
        bag.insert(QStringLiteral("ForeColor"), d->m_lForeColor);
    if (d->m_bFontBold)
        bag.insert(QStringLiteral("FontBold"), true);
    if (d->m_bFontItalic)
        bag.insert(QStringLiteral("FontItalic"), true);
    if (d->m_sFontName != QLatin1String(kDefaultFontName))
        bag.insert(QStringLiteral("FontName"), d->m_sFontName);
    if (d->m_fFontSize != kDefaultFontSize)
        bag.insert(QStringLiteral("FontSize"), d->m_fFontSize);
    if (d->m_bFontUnderline)
        bag.insert(QStringLiteral("FontUnderline"), true);
    return bag;
}

void TrendScope::SetNumberOfValues(int16_t NumberOfValues)
{
    d->store.SetNumberOfValues(NumberOfValues);
}

void TrendScope::SetValueOptions(int16_t iIndex, const QString& sName, int16_t iType, const QString& sUnits)
{
    d->store.SetValueOptions(iIndex, sName, iType, sUnits);
}

void TrendScope::GetValueOptions(int16_t iIndex, QString& sName, int16_t& iType, QString& sUnits) const
{
    d->store.GetValueOptions(iIndex, sName, iType, sUnits);
}

bool TrendScope::Initialize(int32_t MemorySize, int32_t MemoryInterval)
{
    if (d->store.m_bInitialized)
        return true;
    if (!d->store.Initialize(MemorySize, MemoryInterval))
        return false;
    d->m_lBackColor = 0xFFFFFF;
    d->ApplyColours();
    for (auto& colour : d->store.m_lTraceColor)
        colour = d->m_lForeColor;
    emit initialized();
    d->tmrTimer->Start(1000);
    d->Report();
    return true;
}

void TrendScope::SetValue(const QString& Name, const QString& Value)
{
    d->store.SetValue(Name, Value);
}

bool TrendScope::SetValue(const QString& Name, double Value)
{
    return d->store.SetValue(Name, Value);
}

bool TrendScope::SetValue(const QString& Name, double Value, ChartSeconds Stamp)
{
    return d->store.SetValueAt(Name, Value, Stamp);
}

bool TrendScope::SetValue(const QString& Name, double Value, const QDateTime& Stamp)
{
    ChartSeconds t;
    return ChartTime::FromDateTime(Stamp, t) && d->store.SetValueAt(Name, Value, t);
}

void TrendScope::SetTraceTimer(int32_t iSeconds)
{
    d->store.SetTraceTimer(iSeconds);
}

int32_t TrendScope::GetTraceTimer() const
{
    return d->store.m_iTraceTimer;
}

void TrendScope::SetTimeSpan(int32_t TimeSpan)
{
    setTimeSpan(TimeSpan);
}

void TrendScope::setTimeSpan(int seconds)
{
    if (seconds < 60 || seconds > 86400)
        return;
    d->store.m_lTimeSpan = seconds;
    d->TraceLayout();
    d->TraceRedraw();
    d->Report();
}

int32_t TrendScope::GetTimeSpan() const
{
    return d->store.m_lTimeSpan;
}

int TrendScope::liveTimeSpan() const
{
    const auto& store = d->store;
    return store.m_eDisplayMode == DisplayMode::Zoom ? store.m_lTimeSpanSaved : store.m_lTimeSpan;
}

void TrendScope::setLiveTimeSpan(int seconds)
{
    if (seconds < 60 || seconds > 86400)
        return;
    auto& store = d->store;
    store.m_lTimeSpan = seconds;
    store.m_lTimeSpanSaved = seconds;
    store.m_lZoomStart = store.m_lZoomEnd - seconds;
    redraw();
}

void TrendScope::redraw()
{
    d->TraceLayout();
    d->TraceRedraw();
    d->Report();
}

void TrendScope::SetNumberOfTraces(int16_t NumberOfTraces)
{
    setNumberOfTraces(NumberOfTraces);
}

void TrendScope::setNumberOfTraces(int count)
{
    if (count < 1 || count > TraceStore::kTraces)
        return;
    d->store.m_iNumberOfTraces = static_cast<int16_t>(count);
    d->TraceLayout();
    d->TraceRedraw();
    d->Report();
}

int16_t TrendScope::GetNumberOfTraces() const
{
    return static_cast<int16_t>(numberOfTraces());
}

int TrendScope::numberOfTraces() const
{
    return d->store.m_iNumberOfTraces;
}

void TrendScope::SetTraceName(int16_t iTrace, const QString& sName)
{
    setTraceName(iTrace, sName);
}

void TrendScope::setTraceName(int iTrace, const QString& name)
{
    // An undeclared name finds index -1, which no trace takes.
    setTraceValue(iTrace, d->store.FindValue(name) + 1);
}

void TrendScope::setTraceValue(int iTrace, int iValue)
{
    const int t = d->TraceIndex(iTrace);
    if (t < 0 || iValue < 1 || iValue > d->store.m_iNumberOfValues)
        return;
    const int i = iValue - 1;
    d->store.m_iTraceValue[t] = static_cast<int16_t>(i);
    const auto range = static_cast<TraceRange>(d->store.m_iTraceRange[t]);
    if (d->store.ValueTypeOf(i) == ValueType::Degrees && range != TraceRange::Degree180 && range != TraceRange::Degree360)
        d->store.m_iTraceRange[t] = static_cast<int16_t>(TraceRange::Degree360);
    d->TraceLayout();
    d->TraceRedraw();
}

int TrendScope::traceValue(int iTrace) const
{
    return d->store.m_iTraceValue[std::max(d->TraceIndex(iTrace), 0)] + 1;
}

int TrendScope::numberOfValues() const
{
    return d->store.m_iNumberOfValues;
}

QString TrendScope::GetTraceName(int16_t iTrace) const
{
    const int t = std::max(d->TraceIndex(iTrace), 0);
    return d->store.TraceValueName(t);
}

void TrendScope::SetTraceColor(int16_t iTrace, Colour cColor)
{
    const int t = d->TraceIndex(iTrace);
    if (t >= 0)
        d->store.m_lTraceColor[t] = cColor;
}

TrendScope::Colour TrendScope::GetTraceColor(int16_t iTrace) const
{
    return d->store.m_lTraceColor[std::max(d->TraceIndex(iTrace), 0)];
}

void TrendScope::SetTraceBackColor(int16_t iTrace, Colour cColor)
{
    const int t = d->TraceIndex(iTrace);
    if (t >= 0)
        d->store.m_lTraceBackColor[t] = cColor;
}

TrendScope::Colour TrendScope::GetTraceBackColor(int16_t iTrace) const
{
    return d->store.m_lTraceBackColor[std::max(d->TraceIndex(iTrace), 0)];
}

void TrendScope::SetTraceRange(int16_t iTrace, int16_t iRange)
{
    const int t = d->TraceIndex(iTrace);
    if (t >= 0)
        d->store.m_iTraceRange[t] = iRange;
}

int16_t TrendScope::GetTraceRange(int16_t iTrace) const
{
    return d->store.m_iTraceRange[std::max(d->TraceIndex(iTrace), 0)];
}

void TrendScope::SetTraceStyle(int16_t iTrace, int16_t iStyle)
{
    const int t = d->TraceIndex(iTrace);
    if (t >= 0)
        d->store.m_iTraceStyle[t] = iStyle;
}

int16_t TrendScope::GetTraceStyle(int16_t iTrace) const
{
    return d->store.m_iTraceStyle[std::max(d->TraceIndex(iTrace), 0)];
}

void TrendScope::SetTraceScale(int16_t iTrace, int16_t iScale, double dMax, double dMin)
{
    const int t = d->TraceIndex(iTrace);
    if (t < 0)
        return;
    d->store.m_iTraceScale[t] = iScale;
    if (iScale == static_cast<int16_t>(TraceScale::Manual)) {
        d->store.m_fScaleMax[t] = static_cast<float>(dMax);
        d->store.m_fScaleMin[t] = static_cast<float>(dMin);
    }
}

void TrendScope::GetTraceScale(int16_t iTrace, int16_t& iScale, double& dMax, double& dMin) const
{
    const int t = d->TraceIndex(iTrace);
    if (t < 0) {
        iScale = 0;
        dMax = 0;
        dMin = 0;
        return;
    }
    iScale = d->store.m_iTraceScale[t];
    dMax = d->store.m_fScaleMax[t];
    dMin = d->store.m_fScaleMin[t];
}

void TrendScope::SetUpdate(bool State)
{
    setDrawing(State);
}

void TrendScope::setDrawing(bool on)
{
    d->store.m_bUpdate = on;
    if (d->store.m_bInitialized && on) {
        d->TraceLayout();
        d->TraceRedraw();
    }
}

void TrendScope::SetMenuHidePanel(bool bState)
{
    d->m_bMenuHidePanel = bState;
}

bool TrendScope::GetMenuHidePanel() const
{
    return d->m_bMenuHidePanel;
}

TrendScope::DisplayMode TrendScope::GetDisplayMode() const
{
    return d->store.m_eDisplayMode;
}

ChartSeconds TrendScope::GetZoomStart() const
{
    return d->store.m_lZoomStart;
}

ChartSeconds TrendScope::GetZoomEnd() const
{
    return d->store.m_lZoomEnd;
}

void TrendScope::time_tTime(ChartSeconds& t) const
{
    t = d->m_clock.Now();
}

void TrendScope::time_tFromString(ChartSeconds& t, const QString& time_date) const
{
    ChartTime::FromString(time_date, t);
}

void TrendScope::time_tToString(ChartSeconds t, QString& time_date) const
{
    time_date = ChartTime::ToString(t);
}

void TrendScope::SetBeepHandler(std::function<void()> beep)
{
    d->beep = std::move(beep);
}

QColor TrendScope::backColor() const
{
    return ColourToQColor(d->m_lBackColor);
}

QColor TrendScope::foreColor() const
{
    return ColourToQColor(d->m_lForeColor);
}

void TrendScope::setBackColor(const QColor& colour)
{
    SetBackColor(QColorToColour(colour));
}

void TrendScope::setForeColor(const QColor& colour)
{
    SetForeColor(QColorToColour(colour));
}

QColor TrendScope::traceColor(int iTrace) const
{
    return ColourToQColor(GetTraceColor(NumberText::ToInt16Saturated(iTrace)));
}

QColor TrendScope::traceBackColor(int iTrace) const
{
    return ColourToQColor(GetTraceBackColor(NumberText::ToInt16Saturated(iTrace)));
}

void TrendScope::setTraceColor(int iTrace, const QColor& colour)
{
    SetTraceColor(NumberText::ToInt16Saturated(iTrace), QColorToColour(colour));
}

void TrendScope::setTraceBackColor(int iTrace, const QColor& colour)
{
    SetTraceBackColor(NumberText::ToInt16Saturated(iTrace), QColorToColour(colour));
}

bool TrendScope::SetZoomWindow(ChartSeconds start, ChartSeconds end)
{
    const int64_t span = end - start;
    if (!d->store.m_bInitialized || span < 1 || span > 86400)
        return false;
    auto& store = d->store;
    if (store.m_eDisplayMode == DisplayMode::Normal) {
        store.m_lTimeSpanSaved = store.m_lTimeSpan;
        store.m_eDisplayMode = DisplayMode::Zoom;
    }
    store.m_lZoomStart = start;
    store.m_lZoomEnd = end;
    store.m_lTimeSpan = static_cast<int32_t>(span);
    d->TraceLayout();
    d->TraceRedraw();
    d->Report();
    return true;
}

bool TrendScope::setZoomWindow(const QDateTime& start, const QDateTime& end)
{
    ChartSeconds from, to;
    return ChartTime::FromDateTime(start, from) && ChartTime::FromDateTime(end, to) && SetZoomWindow(from, to);
}

void TrendScope::cancelZoom()
{
    if (d->store.m_eDisplayMode == DisplayMode::Zoom)
        d->cmdZoomCancel_Click();
}

void TrendScope::SetColorDialog(ColorDialog dialog)
{
    d->colorDialog = std::move(dialog);
}

void TrendScope::SetFontDialog(FontDialog dialog)
{
    d->fontDialog = std::move(dialog);
}

TrendScope::ColorDialog TrendScope::colorDialog() const
{
    return d->colorDialog;
}

TrendScope::FontDialog TrendScope::fontDialog() const
{
    return d->fontDialog;
}

bool TrendScope::nightMode() const
{
    return d->m_bNightMode;
}

void TrendScope::setNightMode(bool on)
{
    if (on == d->m_bNightMode)
        return;
    d->m_bNightMode = on;
    d->ApplyNightMode();
    d->TraceRedraw();
    emit nightModeChanged(on);
}

QSize TrendScope::sizeHint() const
{
    return QSize(480, 320);
}

QSize TrendScope::minimumSizeHint() const
{
    // Room for every shown trace's 10 x 10 plot with its label line, the
    // scale column and the time axis.
    QFont chartFont(d->m_sFontName);
    chartFont.setPointSizeF(d->m_fFontSize);
    const QFontMetrics metrics(chartFont);
    const int TH = metrics.height();
    const int N = d->store.m_iNumberOfTraces;
    const int width = 10 + metrics.horizontalAdvance(QStringLiteral("-00.0")) + 12;
    const int height = N * (10 + TH + 2) + TH + (N - 1) * 8 + 8;
    return QSize(width, height);
}

void TrendScope::GetProfile(const QString& sFile, const QString& sTitle)
{
    const ChartProfile profile = ReadChartProfile(sFile, sTitle);
    SetUpdate(false);
    auto& store = d->store;
    // Stored counts and spans outside what the setters take are ignored,
    // as a missing key would be.
    const int16_t traces = profile.numberOfTraces.value_or(0);
    if (traces >= 1 && traces <= TraceStore::kTraces)
        store.m_iNumberOfTraces = traces;
    for (int t = 0; t < store.m_iNumberOfTraces; ++t) {
        const ChartProfile::Trace& trace = profile.traces[static_cast<size_t>(t)];
        store.m_lTraceBackColor[t] = trace.backColor.value_or(store.m_lTraceBackColor[t]);
        store.m_lTraceColor[t] = trace.color.value_or(store.m_lTraceColor[t]);
        // The name may set a degree range, which a stored range overrides.
        if (trace.name)
            SetTraceName(static_cast<int16_t>(t + 1), *trace.name);
        store.m_iTraceRange[t] = trace.range.value_or(store.m_iTraceRange[t]);
        store.m_iTraceScale[t] = trace.scale.value_or(store.m_iTraceScale[t]);
        store.m_fScaleMax[t] = trace.scaleMax.value_or(store.m_fScaleMax[t]);
        store.m_fScaleMin[t] = trace.scaleMin.value_or(store.m_fScaleMin[t]);
        store.m_iTraceStyle[t] = trace.style.value_or(store.m_iTraceStyle[t]);
    }
    if (profile.backColor)
        SetBackColor(*profile.backColor);
    if (profile.fontItalic)
        SetFontItalic(*profile.fontItalic);
    if (profile.fontName)
        SetFontName(*profile.fontName);
    if (profile.fontSize)
        SetFontSize(*profile.fontSize);
    if (profile.foreColor)
        SetForeColor(*profile.foreColor);
    if (profile.timeSpan)
        SetTimeSpan(*profile.timeSpan);
    SetUpdate(true);
    d->Report();
}

void TrendScope::SetProfile(const QString& sFile, const QString& sTitle) const
{
    const auto& store = d->store;
    ChartProfile profile;
    profile.numberOfTraces = store.m_iNumberOfTraces;
    for (int t = 0; t < store.m_iNumberOfTraces; ++t)
        profile.traces[static_cast<size_t>(t)] = {store.m_lTraceBackColor[t], store.m_lTraceColor[t],
                                                  store.TraceValueName(t),     store.m_iTraceRange[t],
                                                  store.m_iTraceScale[t],      store.m_fScaleMax[t],
                                                  store.m_fScaleMin[t],        store.m_iTraceStyle[t]};
    profile.backColor = d->m_lBackColor;
    profile.fontItalic = d->m_bFontItalic;
    profile.fontName = d->m_sFontName;
    profile.fontSize = d->m_fFontSize;
    profile.foreColor = d->m_lForeColor;
    // A zoomed span may lie below what a stored span may be; the live one
    // is what the user set.
    profile.timeSpan = liveTimeSpan();
    WriteChartProfile(sFile, sTitle, profile);
}
