#include "ChartMenu.h"

#include "NumberText.h"
#include "TrendScope.h"

#include <QAction>
#include <QEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <cmath>

ChartMenu::ChartMenu(QWidget* owner)
{
    popMenu = new QMenu(QStringLiteral("Popup"), owner);
    popMenu->setObjectName(QStringLiteral("popMenu"));

    QMenu* number = popMenu->addMenu(QStringLiteral("Number of Traces"));
    number->setObjectName(QStringLiteral("popTrace"));
    for (int i = 1; i <= kTraces; ++i)
        popTraceNumber[i] = Item(number, "popTraceNumber",
                                 i == 1 ? QStringLiteral("1 Trace") : QStringLiteral("%1 Traces").arg(i), i,
                                 Kind::Choice, [this, i] { TraceNumber(i); });
    popMenu->addSeparator();

    for (int k = 1; k <= kTraces; ++k) {
        QMenu* trace = popMenu->addMenu(QStringLiteral("Trace #%1").arg(k));
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
        popTraceColor[k][0] =
            Item(sub, color, QStringLiteral("Back Color..."), 0, Kind::Command, [this, k] { TraceColor(k, 0); });
        popTraceColor[k][1] =
            Item(sub, color, QStringLiteral("Pen Color..."), 1, Kind::Command, [this, k] { TraceColor(k, 1); });
        sub = trace->addMenu(QStringLiteral("Range"));
        const QStringList ranges = {QStringLiteral("Normal"),
                                    k == 1 ? QStringLiteral("Degrees +/- 180") : QStringLiteral("Degrees +/-180"),
                                    QStringLiteral("Degrees 0-360")};
        for (int r = 0; r < 3; ++r)
            popTraceRange[k][static_cast<size_t>(r)] =
                Item(sub, range, ranges[r], r, Kind::Choice, [this, k, r] { TraceRange(k, r); });
        sub = trace->addMenu(QStringLiteral("Scale"));
        popTraceScale[k][0] = Item(sub, scale, QStringLiteral("Auto"), 0, Kind::Choice, [this, k] { TraceScale(k, 0); });
        popTraceScale[k][1] =
            Item(sub, scale, QStringLiteral("Manual..."), 1, Kind::Choice, [this, k] { TraceScale(k, 1); });
        sub = trace->addMenu(QStringLiteral("Style"));
        popTraceStyle[k][0] = Item(sub, style, QStringLiteral("Line"), 0, Kind::Choice, [this, k] { TraceStyle(k, 0); });
        popTraceStyle[k][1] = Item(sub, style, QStringLiteral("Point"), 1, Kind::Choice, [this, k] { TraceStyle(k, 1); });
    }
    popMenu->addSeparator();

    QMenu* span = popMenu->addMenu(QStringLiteral("Time Span"));
    span->setObjectName(QStringLiteral("popTimeSpan"));
    for (size_t i = 0; i < kMinutes.size(); ++i) {
        const int m = kMinutes[i];
        popTimeSpanMinutes[i] = Item(span, "popTimeSpanMinutes", QStringLiteral("%1 Minutes").arg(m), m, Kind::Choice,
                                     [this, m] { TimeSpan(m * 60); });
    }
    span->addSeparator();
    for (size_t i = 0; i < kHours.size(); ++i) {
        const int h = kHours[i];
        popTimeSpanHours[i] = Item(span, "popTimeSpanHours",
                                   h == 1 ? QStringLiteral("1 Hour") : QStringLiteral("%1 Hours").arg(h), h,
                                   Kind::Choice, [this, h] { TimeSpan(h * 3600); });
    }
    popMenu->addSeparator();

    QMenu* misc = popMenu->addMenu(QStringLiteral("Other Options"));
    misc->setObjectName(QStringLiteral("popMiscInfo"));
    popBackColor =
        Item(misc, "popBackColor", QStringLiteral("Set Back Color..."), 0, Kind::Command, [this] { BackColor(); });
    popFontColor =
        Item(misc, "popFontColor", QStringLiteral("Set Font Color..."), 0, Kind::Command, [this] { FontColor(); });
    popFontType =
        Item(misc, "popFontType", QStringLiteral("Set Font Type..."), 0, Kind::Command, [this] { FontType(); });
    popSeparatorHidePanel = misc->addSeparator();
    popSeparatorHidePanel->setObjectName(QStringLiteral("popSeparatorHidePanel"));
    popHide = Item(misc, "popHide", QStringLiteral("Hide Panel"), 0, Kind::Command, [this] { Hide(); });
    popSeparatorHidePanel->setVisible(false);
    popHide->setVisible(false);
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
                Item(popTraceData[k], name, names[v], v, Kind::Choice, [this, k, v] { TraceValue(k, v); }));
    }
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
