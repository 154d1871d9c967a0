#include "ChartMenu.h"

#include "ChartAttachment.h"
#include "NumberText.h"
#include "TrendScope.h"

#include <QAction>
#include <QColorDialog>
#include <QEvent>
#include <QFontDialog>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <cmath>

namespace {

struct ValueInfo {
    QString name;
    TrendScope::ValueType type;
};

// Declared value i, 1-based; an index outside the table reads as a Normal
// value without a name.
ValueInfo ValueOptions(const TrendScope& chart, int i)
{
    QString name, units;
    int16_t type = 0;
    chart.GetValueOptions(static_cast<int16_t>(i), name, type, units);
    return {name, type == static_cast<int16_t>(TrendScope::ValueType::Degrees) ? TrendScope::ValueType::Degrees
                                                                              : TrendScope::ValueType::Normal};
}

// The platform's font dialog. What the user leaves as it was comes back as
// it was given: the dialog shows a font it lacks (the chart's default "MS
// Sans Serif") as one it has, and dropped bold with it on a plain OK.
bool RunFontDialog(QFont& font, QWidget* parent)
{
    QFontDialog dialog(parent);
    dialog.setCurrentFont(font);
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dialog.selectedFont();
    if (chosen.family() != shown.family())
        font.setFamily(chosen.family());
    if (chosen.pointSizeF() != shown.pointSizeF())
        font.setPointSizeF(chosen.pointSizeF());
    if (chosen.bold() != shown.bold())
        font.setBold(chosen.bold());
    if (chosen.italic() != shown.italic())
        font.setItalic(chosen.italic());
    if (chosen.underline() != shown.underline())
        font.setUnderline(chosen.underline());
    return true;
}

// Every chart gets its configuration menu as it is made; the chart only
// asks for it.
[[maybe_unused]] const bool kMenuOnEveryChart = [] {
    AttachToEveryChart([](TrendScope& chart) { new ChartMenu(chart); });
    return true;
}();

} // namespace

ChartMenu::ChartMenu(TrendScope& chart)
    : QMenu(QStringLiteral("Popup"), &chart)
    , m_chart(chart)
{
    setObjectName(QStringLiteral("popMenu"));

    QMenu* number = addMenu(QStringLiteral("Number of Traces"));
    number->setObjectName(QStringLiteral("popTrace"));
    for (int i = 1; i <= kTraces; ++i)
        popTraceNumber[i] = Item(number, "popTraceNumber",
                                 i == 1 ? QStringLiteral("1 Trace") : QStringLiteral("%1 Traces").arg(i), i,
                                 Kind::Choice, [this, i] { m_chart.SetNumberOfTraces(static_cast<int16_t>(i)); });
    addSeparator();

    for (int k = 1; k <= kTraces; ++k) {
        QMenu* trace = addMenu(QStringLiteral("Trace #%1").arg(k));
        trace->setObjectName(QStringLiteral("popTraceLabel"));
        trace->menuAction()->setData(k);
        popTraceLabel[k] = trace;
        popTraceData[k] = trace->addMenu(QStringLiteral("Data"));
        popTraceData[k]->setObjectName(QStringLiteral("popTraceData"));
        trace->addSeparator();
        const QByteArray suffix = QByteArray::number(k) + "Line";
        const QByteArray color = "popTraceColor" + suffix;
        const QByteArray range = "popTraceRange" + suffix;
        const QByteArray scale = "popTraceScale" + suffix;
        const QByteArray style = "popTraceStyle" + suffix;
        QMenu* sub = trace->addMenu(QStringLiteral("Color"));
        Item(sub, color, QStringLiteral("Back Color..."), 0, Kind::Command, [this, k] { TraceBackColorDialog(k - 1); });
        Item(sub, color, QStringLiteral("Pen Color..."), 1, Kind::Command, [this, k] { TraceColorDialog(k - 1); });
        sub = trace->addMenu(QStringLiteral("Range"));
        const QStringList ranges = {QStringLiteral("Normal"),
                                    k == 1 ? QStringLiteral("Degrees +/- 180") : QStringLiteral("Degrees +/-180"),
                                    QStringLiteral("Degrees 0-360")};
        for (int r = 0; r < 3; ++r)
            popTraceRange[k][static_cast<size_t>(r)] =
                Item(sub, range, ranges[r], r, Kind::Choice, [this, k, r] { SetTraceRangeMenu(k, r); });
        sub = trace->addMenu(QStringLiteral("Scale"));
        popTraceScale[k][0] =
            Item(sub, scale, QStringLiteral("Auto"), 0, Kind::Choice, [this, k] { SetTraceScaleMenu(k, 0); });
        popTraceScale[k][1] =
            Item(sub, scale, QStringLiteral("Manual..."), 1, Kind::Choice, [this, k] { SetTraceScaleMenu(k, 1); });
        sub = trace->addMenu(QStringLiteral("Style"));
        popTraceStyle[k][0] =
            Item(sub, style, QStringLiteral("Line"), 0, Kind::Choice, [this, k] { SetTraceStyleMenu(k, 0); });
        popTraceStyle[k][1] =
            Item(sub, style, QStringLiteral("Point"), 1, Kind::Choice, [this, k] { SetTraceStyleMenu(k, 1); });
    }
    addSeparator();

    QMenu* span = addMenu(QStringLiteral("Time Span"));
    span->setObjectName(QStringLiteral("popTimeSpan"));
    for (size_t i = 0; i < kMinutes.size(); ++i) {
        const int m = kMinutes[i];
        popTimeSpanMinutes[i] = Item(span, "popTimeSpanMinutes", QStringLiteral("%1 Minutes").arg(m), m, Kind::Choice,
                                     [this, m] { SetTimeSpanMenu(m * 60); });
    }
    span->addSeparator();
    for (size_t i = 0; i < kHours.size(); ++i) {
        const int h = kHours[i];
        popTimeSpanHours[i] = Item(span, "popTimeSpanHours",
                                   h == 1 ? QStringLiteral("1 Hour") : QStringLiteral("%1 Hours").arg(h), h,
                                   Kind::Choice, [this, h] { SetTimeSpanMenu(h * 3600); });
    }
    addSeparator();

    QMenu* misc = addMenu(QStringLiteral("Other Options"));
    misc->setObjectName(QStringLiteral("popMiscInfo"));
    Item(misc, "popBackColor", QStringLiteral("Set Back Color..."), 0, Kind::Command,
         [this] { m_chart.setBackColor(PickColour(m_chart.backColor())); });
    Item(misc, "popFontColor", QStringLiteral("Set Font Color..."), 0, Kind::Command,
         [this] { m_chart.setForeColor(PickColour(m_chart.foreColor())); });
    Item(misc, "popFontType", QStringLiteral("Set Font Type..."), 0, Kind::Command, [this] { SetFontMenu(); });
    popSeparatorHidePanel = misc->addSeparator();
    popSeparatorHidePanel->setObjectName(QStringLiteral("popSeparatorHidePanel"));
    // The host decides what to hide.
    popHide = Item(misc, "popHide", QStringLiteral("Hide Panel"), 0, Kind::Command,
                   [this] { emit m_chart.Command(TrendScope::CommandHidePanel); });
    popSeparatorHidePanel->setVisible(false);
    popHide->setVisible(false);

    connect(&chart, &TrendScope::initialized, this, [this] {
        QStringList names;
        for (int i = 1; i <= m_chart.numberOfValues(); ++i)
            names << ValueOptions(m_chart, i).name;
        SetValueNames(names);
    });
    connect(&chart, &TrendScope::menuRequested, this, &ChartMenu::ShowAt);
}

QAction* ChartMenu::Item(QMenu* menu, const char* name, const QString& caption, int index, Kind kind,
                         const std::function<void()>& run)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setData(index);
    action->setCheckable(kind == Kind::Choice);
    QObject::connect(action, &QAction::triggered, menu, [run] { run(); });
    return action;
}

void ChartMenu::SetValueNames(const QStringList& names)
{
    for (int k = 1; k <= kTraces; ++k) {
        qDeleteAll(popTraceValue[k]);
        popTraceValue[k].clear();
        const QByteArray name = "popTraceLabel" + QByteArray::number(k);
        for (int v = 0; v < names.size(); ++v)
            popTraceValue[k].append(
                Item(popTraceData[k], name, names[v], v, Kind::Choice, [this, k, v] { SetTraceValueMenu(k, v); }));
    }
}

void ChartMenu::ShowAt(const QPoint& at)
{
    const int N = m_chart.GetNumberOfTraces();
    for (int i = 1; i <= kTraces; ++i) {
        popTraceNumber[i]->setChecked(i == N);
        popTraceLabel[i]->menuAction()->setVisible(i <= N);
    }
    for (int k = 1; k <= N; ++k) {
        const auto trace = static_cast<int16_t>(k);
        const int value = m_chart.traceValue(k);
        for (QAction* item : popTraceValue[k])
            item->setChecked(item->data().toInt() + 1 == value);
        const bool degrees = ValueOptions(m_chart, value).type == TrendScope::ValueType::Degrees;
        const int range = m_chart.GetTraceRange(trace);
        for (int r = 0; r < 3; ++r) {
            QAction* item = popTraceRange[k][static_cast<size_t>(r)];
            item->setChecked(r == range);
            item->setEnabled(degrees ? r != 0 : r == 0);
        }
        int16_t scale = 0;
        double top = 0, bottom = 0;
        m_chart.GetTraceScale(trace, scale, top, bottom);
        const int style = m_chart.GetTraceStyle(trace);
        for (int s = 0; s < 2; ++s) {
            popTraceScale[k][static_cast<size_t>(s)]->setChecked(s == scale);
            popTraceStyle[k][static_cast<size_t>(s)]->setChecked(s == style);
        }
    }
    // Exact quotients only: 5400 s checks neither "1 Hour" nor a minute entry.
    const int32_t span = m_chart.GetTimeSpan();
    for (QAction* item : popTimeSpanMinutes)
        item->setChecked(span % 60 == 0 && item->data().toInt() == span / 60);
    for (QAction* item : popTimeSpanHours)
        item->setChecked(span % 3600 == 0 && item->data().toInt() == span / 3600);
    popHide->setVisible(m_chart.GetMenuHidePanel());
    popSeparatorHidePanel->setVisible(m_chart.GetMenuHidePanel());
    popup(at);
}

void ChartMenu::SetTraceValueMenu(int k, int v)
{
    // A Normal value draws in the Normal range; a Degrees value keeps a
    // degree range, which the chart sees to.
    if (ValueOptions(m_chart, v + 1).type != TrendScope::ValueType::Degrees)
        m_chart.SetTraceRange(static_cast<int16_t>(k), static_cast<int16_t>(TrendScope::TraceRange::Normal));
    m_chart.setTraceValue(k, v + 1);
}

void ChartMenu::SetTraceRangeMenu(int k, int range)
{
    m_chart.SetTraceRange(static_cast<int16_t>(k), static_cast<int16_t>(range));
    m_chart.redraw();
}

void ChartMenu::SetTraceScaleMenu(int k, int scale)
{
    const auto trace = static_cast<int16_t>(k);
    int16_t current = 0;
    double top = 0, bottom = 0;
    m_chart.GetTraceScale(trace, current, top, bottom);
    m_chart.SetTraceScale(trace, static_cast<int16_t>(scale), top, bottom);
    if (scale == static_cast<int>(TrendScope::TraceScale::Auto)) {
        m_chart.redraw();
        return;
    }
    // The dialog draws the manual scale as the limits are typed.
    if (!frmMaxMin)
        frmMaxMin = new MaxMinDialog(&m_chart);
    frmMaxMin->Trace(k, &m_chart);
    frmMaxMin->show();
}

void ChartMenu::SetTraceStyleMenu(int k, int style)
{
    m_chart.SetTraceStyle(static_cast<int16_t>(k), static_cast<int16_t>(style));
    m_chart.redraw();
}

// Trace colours show with the trace's next full draw.
void ChartMenu::TraceBackColorDialog(int t)
{
    m_chart.setTraceBackColor(t + 1, PickColour(m_chart.traceBackColor(t + 1)));
}

void ChartMenu::TraceColorDialog(int t)
{
    m_chart.setTraceColor(t + 1, PickColour(m_chart.traceColor(t + 1)));
}

void ChartMenu::SetTimeSpanMenu(int seconds)
{
    m_chart.setLiveTimeSpan(seconds);
}

void ChartMenu::SetFontMenu()
{
    QFont font(m_chart.FontName());
    font.setPointSizeF(m_chart.FontSize());
    font.setBold(m_chart.FontBold());
    font.setItalic(m_chart.FontItalic());
    font.setUnderline(m_chart.FontUnderline());
    const TrendScope::FontDialog dialog = m_chart.fontDialog();
    if (!(dialog ? dialog(font, &m_chart) : RunFontDialog(font, &m_chart)))
        return;
    m_chart.SetFontName(font.family());
    // A size the chart does not take keeps the previous one.
    m_chart.SetFontSize(static_cast<float>(font.pointSizeF()));
    m_chart.SetFontBold(font.bold());
    m_chart.SetFontItalic(font.italic());
    m_chart.SetFontUnderline(font.underline());
    m_chart.redraw();
}

QColor ChartMenu::PickColour(const QColor& initial) const
{
    const TrendScope::ColorDialog dialog = m_chart.colorDialog();
    const QColor chosen = dialog ? dialog(initial, &m_chart)
                                 : QColorDialog::getColor(initial, &m_chart, QString(), QColorDialog::ColorDialogOptions());
    // No choice returns the preset, so nothing changes.
    return chosen.isValid() ? chosen : initial;
}

MaxMinDialog::MaxMinDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMaxMin"));
    setWindowTitle(QStringLiteral("Trace #1"));
    txtMax = new QLineEdit(this);
    txtMax->setObjectName(QStringLiteral("txtMax"));
    txtMin = new QLineEdit(this);
    txtMin->setObjectName(QStringLiteral("txtMin"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Max:"), txtMax);
    form->addRow(QStringLiteral("Min:"), txtMin);
    txtMax->installEventFilter(this);
    txtMin->installEventFilter(this);
}

void MaxMinDialog::Trace(int Index, TrendScope* chart)
{
    m_iTrace = Index;
    m_chart = chart;
    setWindowTitle(QStringLiteral("Trace #%1").arg(Index));
    int16_t scale = 0;
    double top = 0, bottom = 0;
    chart->GetTraceScale(static_cast<int16_t>(Index), scale, top, bottom);
    txtMax->setText(NumberText::General(static_cast<float>(top)));
    txtMin->setText(NumberText::General(static_cast<float>(bottom)));
}

bool MaxMinDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMax || watched == txtMin) {
        if (event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                ApplyScale();
        } else if (event->type() == QEvent::FocusOut) {
            ApplyScale();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MaxMinDialog::done(int result)
{
    ApplyScale();
    QDialog::done(result);
}

void MaxMinDialog::ApplyScale()
{
    if (!m_chart)
        return;
    double top = 0, bottom = 0;
    const auto inRange = [](double v) { return std::fabs(v) < 1e30; };
    if (!NumberText::TryParse(txtMax->text(), top) || !NumberText::TryParse(txtMin->text(), bottom) || !inRange(top)
        || !inRange(bottom))
        return;
    m_chart->SetUpdate(false);
    m_chart->SetTraceScale(static_cast<int16_t>(m_iTrace), static_cast<int16_t>(TrendScopeTypes::TraceScale::Manual),
                           top, bottom);
    m_chart->SetUpdate(true);
}
