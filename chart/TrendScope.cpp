#include "TrendScope.h"

#include "NumberText.h"
#include "TracePainter.h"
#include "TraceStore.h"

#include <QApplication>
#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
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

// A thin cross with an open centre, so the point under it stays visible.
QCursor CrossHairCursor()
{
    QPixmap image(32, 32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(15, 2, 15, 12);
    p.drawLine(15, 18, 15, 28);
    p.drawLine(2, 15, 12, 15);
    p.drawLine(18, 15, 28, 15);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(15, 2, 15, 12);
    p.drawLine(15, 18, 15, 28);
    p.drawLine(2, 15, 12, 15);
    p.drawLine(18, 15, 28, 15);
    p.drawPoint(15, 15);
    p.end();
    return QCursor(image, 15, 15);
}

// Small faces for the zoom buttons: 0 cancel, 1 left, 2 right, 3 in, 4 out.
QIcon ButtonFace(int kind)
{
    QPixmap image(11, 9);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
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
        p.fillRect(1, 3, 9, 2, Qt::black);
        p.fillRect(4, 0, 2, 8, Qt::black);
        break;
    default:
        p.fillRect(1, 3, 9, 2, Qt::black);
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
    int HitTest(double X, double Y) const;
    int TraceIndex(int16_t iTrace) const { return iTrace >= 1 && iTrace <= TraceStore::kTraces ? iTrace - 1 : -1; }

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
    void ShowPopupMenu();

    TrendScope* q;
    ChartClock& m_clock;
    TraceStore store;
    TracePainter painter;
    ChartSurface* surface = nullptr;
    std::array<QToolButton*, 5> buttons = {};
    std::unique_ptr<ChartTimer> tmrTimer;
    std::unique_ptr<ChartTimer> tmrResize;
    QCursor crossHair;
    bool m_bCrossHair = false;
    std::function<void()> beep;

    bool m_bLayoutChanged = true;
    bool m_bMenuHidePanel = false;
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
    p.drawImage(event->rect(), d.painter.Surface(), event->rect());
    if (d.m_iSelect[0] < 0 && d.m_iSelect[1] < 0)
        return;
    // The band inverts what lies under it, like an XOR pen, so it never
    // touches the image itself.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto& g = d.painter.Geometry();
    const int x0 = std::min(d.m_iSelect[0], d.m_iSelect[2]);
    const int x1 = std::max(d.m_iSelect[0], d.m_iSelect[2]);
    for (int t = 0; t < d.store.m_iNumberOfTraces; ++t)
        p.fillRect(QRect(QPoint(x0, g.m_iPlotTop[t] + 1), QPoint(x1, g.m_iPlotTop[t] + g.m_iPlotHeight - 1)), Qt::white);
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
    , crossHair(CrossHairCursor())
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

void TrendScopePrivate::TraceLayout()
{
    if (!Showing())
        return;
    painter.SetSurfaceSize(q->width(), q->height());
    painter.Geometry() = TraceGeometry::Compute(q->height(), q->width(), store.m_iNumberOfTraces, painter.TextHeight(),
                                                painter.TextWidth(QStringLiteral("-00.0")));
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
    const int y = painter.AxisRow();
    int x = painter.Geometry().m_iPlotLeft[0];
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
    font.setPointSizeF(m_fFontSize > 0 ? m_fFontSize : kDefaultFontSize);
    font.setBold(m_bFontBold);
    font.setItalic(m_bFontItalic);
    font.setUnderline(m_bFontUnderline);
    painter.SetFont(font);
}

void TrendScopePrivate::ApplyColours()
{
    painter.SetColours(m_lBackColor, m_lForeColor);
}

int TrendScopePrivate::HitTest(double X, double Y) const
{
    if (!Showing())
        return -1;
    return painter.Geometry().HitTest(store.m_iNumberOfTraces, X, Y);
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
    if (store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Normal) {
        store.m_lZoomEnd = m_clock.Now();
        store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
        store.m_lTimeSpanSaved = store.m_lTimeSpan;
        store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Zoom;
    }
    m_iSelect[0] = m_iSelect[2] = NumberText::ToInt16Saturated(X);
    m_iSelect[1] = m_iSelect[3] = NumberText::ToInt16Saturated(Y);
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
    m_iSelect[2] = NumberText::ToInt16Saturated(X);
    m_iSelect[3] = NumberText::ToInt16Saturated(Y);
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
            const ChartTime::time_t end = store.m_lZoomEnd;
            store.m_lZoomStart = end + std::min(t0, t1);
            store.m_lZoomEnd = end + std::max(t0, t1);
            store.m_lTimeSpan = store.m_lZoomEnd - store.m_lZoomStart;
            TraceLayout();
            TraceRedraw();
        } else {
            store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Normal;
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
    const double f = (X - g.m_iPlotLeft[t]) / (g.m_iPlotWidth - 1.0);
    QString when;
    if (store.m_eDisplayMode == TrendScopeTypes::DisplayMode::Normal)
        when = NumberText::Format(-((f - 1) * painter.m_fAxisStart), u".0");
    else
        when = ChartTime::ToString(NumberText::ToInt32Saturated(store.m_lZoomEnd + (f - 1) * store.m_lTimeSpan)).mid(11);
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
    const double value = top + (Y - g.m_iPlotTop[t]) * (static_cast<double>(bottom) - top) / (g.m_iPlotHeight - 1.0);
    surface->setToolTip(NumberText::Format(value, u".0") + QStringLiteral(" @ ") + when);
}

void TrendScopePrivate::cmdZoomCancel_Click()
{
    store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Normal;
    store.m_lTimeSpan = store.m_lTimeSpanSaved;
    TraceLayout();
    TraceRedraw();
}

void TrendScopePrivate::cmdZoomIn_Click()
{
    if (store.m_lTimeSpan < 61) {
        Beep();
        return;
    }
    const double half = store.m_lTimeSpan / 2.0;
    const int32_t centre = NumberText::ToInt32Saturated(store.m_lZoomEnd - half);
    store.m_lTimeSpan = NumberText::ToInt32Saturated(half);
    store.m_lZoomEnd = NumberText::ToInt32Saturated(store.m_lTimeSpan / 2.0 + centre);
    store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
    TraceLayout();
    TraceRedraw();
}

void TrendScopePrivate::cmdZoomOut_Click()
{
    if (store.m_lTimeSpan >= 86400) {
        Beep();
        return;
    }
    const int32_t centre = NumberText::ToInt32Saturated(store.m_lZoomEnd - store.m_lTimeSpan / 2.0);
    store.m_lTimeSpan *= 2;
    store.m_lZoomEnd = NumberText::ToInt32Saturated(store.m_lTimeSpan / 2.0 + centre);
    store.m_lZoomStart = store.m_lZoomEnd - store.m_lTimeSpan;
    TraceLayout();
    TraceRedraw();
}

void TrendScopePrivate::cmdZoomLeft_Click()
{
    const int32_t shift = NumberText::ToInt32Saturated(store.m_lTimeSpan / 4.0);
    store.m_lZoomStart -= shift;
    store.m_lZoomEnd -= shift;
    TraceLayout();
    TraceRedraw();
}

void TrendScopePrivate::cmdZoomRight_Click()
{
    const int32_t shift = NumberText::ToInt32Saturated(store.m_lTimeSpan / 4.0);
    store.m_lZoomStart += shift;
    store.m_lZoomEnd += shift;
    TraceLayout();
    TraceRedraw();
}

void TrendScopePrivate::Beep()
{
    if (beep)
        beep();
    else
        QApplication::beep();
}

void TrendScopePrivate::ShowPopupMenu() {}

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
        b->setIcon(ButtonFace(i));
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
}

TrendScope::~TrendScope() = default;

void TrendScope::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->surface->setGeometry(0, 0, width(), height());
    d->painter.SetSurfaceSize(width(), height());
    d->TraceLayout();
}

void TrendScope::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    d->TraceRedraw();
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
    if (!d->Showing())
        return;
    d->ShowPopupMenu();
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
    if (!(points > 0 && points < 1000))
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
    d->m_fFontSize = size > 0 && size < 1000 ? size : kDefaultFontSize;
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

void TrendScope::Initialize(int32_t MemorySize, int32_t MemoryInterval)
{
    if (!d->store.Initialize(MemorySize, MemoryInterval))
        return;
    d->m_lBackColor = 0xFFFFFF;
    d->ApplyColours();
    for (auto& colour : d->store.m_lTraceColor)
        colour = d->m_lForeColor;
    d->tmrTimer->Start(1000);
}

void TrendScope::SetValue(const QString& Name, const QString& Value)
{
    d->store.SetValue(Name, Value);
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
    if (TimeSpan < 60 || TimeSpan > 86400)
        return;
    d->store.m_lTimeSpan = TimeSpan;
    d->TraceLayout();
    d->TraceRedraw();
}

int32_t TrendScope::GetTimeSpan() const
{
    return d->store.m_lTimeSpan;
}

void TrendScope::SetNumberOfTraces(int16_t NumberOfTraces)
{
    if (NumberOfTraces < 1 || NumberOfTraces > TraceStore::kTraces)
        return;
    d->store.m_iNumberOfTraces = NumberOfTraces;
    d->TraceLayout();
    d->TraceRedraw();
}

int16_t TrendScope::GetNumberOfTraces() const
{
    return d->store.m_iNumberOfTraces;
}

void TrendScope::SetTraceName(int16_t iTrace, const QString& sName)
{
    const int t = d->TraceIndex(iTrace);
    const int i = d->store.FindValue(sName);
    if (t < 0 || i < 0)
        return;
    d->store.m_iTraceValue[t] = static_cast<int16_t>(i);
    const auto range = static_cast<TraceRange>(d->store.m_iTraceRange[t]);
    if (d->store.ValueTypeOf(i) == ValueType::Degrees && range != TraceRange::Degree180 && range != TraceRange::Degree360)
        d->store.m_iTraceRange[t] = static_cast<int16_t>(TraceRange::Degree360);
    d->TraceLayout();
    d->TraceRedraw();
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
    d->store.m_bUpdate = State;
    if (d->store.m_bInitialized && State) {
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

TrendScope::time_t TrendScope::GetZoomStart() const
{
    return d->store.m_lZoomStart;
}

TrendScope::time_t TrendScope::GetZoomEnd() const
{
    return d->store.m_lZoomEnd;
}

void TrendScope::time_tTime(time_t& t) const
{
    t = d->m_clock.Now();
}

void TrendScope::time_tFromString(time_t& t, const QString& time_date) const
{
    ChartTime::FromString(time_date, t);
}

void TrendScope::time_tToString(time_t t, QString& time_date) const
{
    time_date = ChartTime::ToString(t);
}

void TrendScope::SetBeepHandler(std::function<void()> beep)
{
    d->beep = std::move(beep);
}
