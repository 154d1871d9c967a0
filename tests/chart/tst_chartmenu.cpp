#include "ChartFixture.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// The entry of an entry array with this index.
QAction* Entry(TrendScope& chart, const QString& name, int index)
{
    for (QAction* a : chart.findChildren<QAction*>(name))
        if (a->data().toInt() == index)
            return a;
    return nullptr;
}

QMenu* TraceMenu(TrendScope& chart, int k)
{
    for (QMenu* m : chart.findChildren<QMenu*>("popTraceLabel"))
        if (m->menuAction()->data().toInt() == k)
            return m;
    return nullptr;
}

QStringList Checked(TrendScope& chart, const QString& name)
{
    QStringList out;
    for (QAction* a : chart.findChildren<QAction*>(name))
        if (a->isChecked())
            out << a->text();
    return out;
}

} // namespace

class TestChartMenu : public QObject {
    Q_OBJECT
private slots:
    void inertBeforeInitialize();
    void traceCounts_data();
    void traceCounts();
    void timeSpanChecks_data();
    void timeSpanChecks();
    void rangeEnablingByValueType_data();
    void rangeEnablingByValueType();
    void choosingValueSetsRange_data();
    void choosingValueSetsRange();
    void handlersChangeTheChart();
    void manualScaleByEnter();
    void colourAndFontDialogs();
    void hidePanelRaisesCommand();
    void rightClickOpensMenu();
};

void TestChartMenu::inertBeforeInitialize()
{
    TrendScope chart;
    chart.Trace_PopUp();
    QVERIFY(!chart.findChild<QMenu*>("popMenu")->isVisible());
    ChartFixture f;
    f.chart->SetUpdate(false);
    f.chart->Trace_PopUp();
    QVERIFY(!f.chart->findChild<QMenu*>("popMenu")->isVisible());
}

void TestChartMenu::traceCounts_data()
{
    QTest::addColumn<int>("traces");
    QTest::addColumn<QString>("checked");
    QTest::newRow("one") << 1 << "1 Trace";
    QTest::newRow("three") << 3 << "3 Traces";
    QTest::newRow("five") << 5 << "5 Traces";
}

void TestChartMenu::traceCounts()
{
    QFETCH(int, traces);
    QFETCH(QString, checked);
    ChartFixture f(400, 300, traces);
    f.chart->Trace_PopUp();
    QVERIFY(f.chart->findChild<QMenu*>("popMenu")->isVisible());
    QCOMPARE(Checked(*f.chart, "popTraceNumber"), QStringList{checked});
    for (int k = 1; k <= 5; ++k) {
        QMenu* menu = TraceMenu(*f.chart, k);
        QCOMPARE(menu->title(), QString("Trace #%1").arg(k));
        QCOMPARE(menu->menuAction()->isVisible(), k <= traces);
    }
    QCOMPARE(Checked(*f.chart, "popTraceLabel1"), QStringList{"Speed"});
}

void TestChartMenu::timeSpanChecks_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<QStringList>("checked");
    QTest::newRow("60") << 60 << QStringList{"1 Minutes"};
    QTest::newRow("1800") << 1800 << QStringList{"30 Minutes"};
    QTest::newRow("3600") << 3600 << QStringList{"1 Hour"};
    QTest::newRow("5400") << 5400 << QStringList{};
    QTest::newRow("86400") << 86400 << QStringList{"24 Hours"};
    QTest::newRow("90") << 90 << QStringList{};
}

void TestChartMenu::timeSpanChecks()
{
    QFETCH(int, span);
    QFETCH(QStringList, checked);
    ChartFixture f;
    f.chart->SetTimeSpan(span);
    f.chart->Trace_PopUp();
    QCOMPARE(Checked(*f.chart, "popTimeSpanMinutes") + Checked(*f.chart, "popTimeSpanHours"), checked);
}

void TestChartMenu::rangeEnablingByValueType_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("Normal value") << "Speed" << QList<bool>{true, false, false};
    QTest::newRow("Degrees value") << "Heading" << QList<bool>{false, true, true};
}

void TestChartMenu::rangeEnablingByValueType()
{
    QFETCH(QString, value);
    QFETCH(QList<bool>, enabled);
    ChartFixture f(400, 300, 2);
    f.chart->SetTraceName(2, value);
    f.chart->Trace_PopUp();
    for (int r = 0; r < 3; ++r)
        QCOMPARE(Entry(*f.chart, "popTraceRange2Line", r)->isEnabled(), enabled[r]);
    QCOMPARE(Entry(*f.chart, "popTraceRange1Line", 1)->text(), QString("Degrees +/- 180"));
    QCOMPARE(Entry(*f.chart, "popTraceRange2Line", 1)->text(), QString("Degrees +/-180"));
}

void TestChartMenu::choosingValueSetsRange_data()
{
    QTest::addColumn<int>("rangeBefore");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("rangeAfter");
    QTest::newRow("Normal value resets 0-360") << 2 << 0 << 0;
    QTest::newRow("Degrees value on Normal") << 0 << 1 << 2;
    QTest::newRow("Degrees value keeps +-180") << 1 << 1 << 1;
}

void TestChartMenu::choosingValueSetsRange()
{
    QFETCH(int, rangeBefore);
    QFETCH(int, value);
    QFETCH(int, rangeAfter);
    ChartFixture f;
    f.chart->SetTraceRange(1, static_cast<int16_t>(rangeBefore));
    f.chart->Trace_PopUp();
    Entry(*f.chart, "popTraceLabel1", value)->trigger();
    QCOMPARE(f.chart->GetTraceName(1), value ? QString("Heading") : QString("Speed"));
    QCOMPARE(f.chart->GetTraceRange(1), int16_t(rangeAfter));
}

void TestChartMenu::handlersChangeTheChart()
{
    ChartFixture f;
    QSignalSpy spans(f.chart.get(), &TrendScope::timeSpanChanged);
    Entry(*f.chart, "popTraceNumber", 3)->trigger();
    QCOMPARE(f.chart->GetNumberOfTraces(), int16_t(3));
    Entry(*f.chart, "popTraceStyle2Line", 1)->trigger();
    QCOMPARE(f.chart->GetTraceStyle(2), int16_t(1));
    Entry(*f.chart, "popTraceRange3Line", 1)->trigger();
    QCOMPARE(f.chart->GetTraceRange(3), int16_t(1));
    Entry(*f.chart, "popTimeSpanHours", 2)->trigger();
    QCOMPARE(f.chart->GetTimeSpan(), 7200);
    QCOMPARE(spans.count(), 1);
    // The span chosen while zoomed is also the one a cancel returns to.
    f.chart->SetZoomWindow(f.clock.Now() - 600, f.clock.Now());
    Entry(*f.chart, "popTimeSpanMinutes", 15)->trigger();
    f.chart->cancelZoom();
    QCOMPARE(f.chart->GetTimeSpan(), 900);
}

void TestChartMenu::manualScaleByEnter()
{
    ChartFixture f;
    f.chart->SetValue("Speed", "4");
    Entry(*f.chart, "popTraceScale1Line", 1)->trigger();
    auto* dialog = f.chart->findChild<QDialog*>("frmMaxMin");
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QString("Trace #1"));
    auto* max = dialog->findChild<QLineEdit*>("txtMax");
    auto* min = dialog->findChild<QLineEdit*>("txtMin");
    QCOMPARE(max->text(), QString("0"));
    max->clear();
    QTest::keyClicks(max, "20");
    QTest::keyClick(max, Qt::Key_Return);
    int16_t scale = 0;
    double top = 0, bottom = 0;
    f.chart->GetTraceScale(1, scale, top, bottom);
    QCOMPARE(scale, int16_t(1));
    QCOMPARE(top, 20.0);
    const TraceGeometry g = f.Geometry();
    QVERIFY(f.ShowsText(f.Picture(), g.m_iPlotLeft[0] + g.m_iPlotWidth + 6, g.m_iPlotTop[0], "20"));

    // Not a number: the limits stay and so does the text, for correction.
    max->setText("2O");
    QTest::keyClick(max, Qt::Key_Return);
    f.chart->GetTraceScale(1, scale, top, bottom);
    QCOMPARE(top, 20.0);
    QCOMPARE(max->text(), QString("2O"));
    // Closing applies what is typed.
    max->setText("12.5");
    min->setText("-2");
    dialog->close();
    f.chart->GetTraceScale(1, scale, top, bottom);
    QCOMPARE(top, 12.5);
    QCOMPARE(bottom, -2.0);
}

void TestChartMenu::colourAndFontDialogs()
{
    ChartFixture f;
    QColor preset;
    QColor answer = QColor(0x10, 0x20, 0x30);
    f.chart->SetColorDialog([&](const QColor& initial, QWidget*) {
        preset = initial;
        return answer;
    });
    Entry(*f.chart, "popBackColor", 0)->trigger();
    QCOMPARE(preset, QColor(255, 255, 255));
    QCOMPARE(f.chart->BackColor(), 0x302010);
    QCOMPARE(f.Picture().pixel(1, 1), qRgb(0x10, 0x20, 0x30));
    Entry(*f.chart, "popTraceColor1Line", 1)->trigger();
    QCOMPARE(preset, QColor(255, 0, 0));
    QCOMPARE(f.chart->traceColor(1), answer);
    // A dialog closed without a choice changes nothing.
    answer = QColor();
    Entry(*f.chart, "popFontColor", 0)->trigger();
    Entry(*f.chart, "popTraceColor1Line", 0)->trigger();
    QCOMPARE(f.chart->ForeColor(), 0);
    QCOMPARE(f.chart->GetTraceBackColor(1), 0xE0E0E0);

    f.chart->SetFontDialog([](QFont& font, QWidget*) {
        if (font.family() != "DejaVu Sans" || font.pointSizeF() != 8)
            return false;
        font = QFont("DejaVu Serif", 11);
        font.setBold(true);
        font.setItalic(true);
        font.setUnderline(true);
        return true;
    });
    Entry(*f.chart, "popFontType", 0)->trigger();
    QCOMPARE(f.chart->FontName(), QString("DejaVu Serif"));
    QCOMPARE(f.chart->FontSize(), 11.0f);
    QVERIFY(f.chart->FontBold() && f.chart->FontItalic() && f.chart->FontUnderline());
}

void TestChartMenu::hidePanelRaisesCommand()
{
    ChartFixture f;
    QSignalSpy command(f.chart.get(), &TrendScope::Command);
    f.chart->Trace_PopUp();
    QVERIFY(!Entry(*f.chart, "popHide", 0)->isVisible());
    QVERIFY(!f.chart->findChild<QAction*>("popSeparatorHidePanel")->isVisible());
    f.chart->SetMenuHidePanel(true);
    f.chart->Trace_PopUp();
    QVERIFY(Entry(*f.chart, "popHide", 0)->isVisible());
    QVERIFY(f.chart->findChild<QAction*>("popSeparatorHidePanel")->isVisible());
    Entry(*f.chart, "popHide", 0)->trigger();
    QCOMPARE(command.count(), 1);
    QCOMPARE(command.at(0).at(0).toInt(), 32903);
}

void TestChartMenu::rightClickOpensMenu()
{
    ChartFixture f;
    auto* menu = f.chart->findChild<QMenu*>("popMenu");
    const TraceGeometry g = f.Geometry();
    f.Press({5, 5}, Qt::RightButton);
    f.Release({5, 5}, Qt::RightButton);
    QVERIFY(menu->isVisible());
    menu->hide();
    // Also while zoomed.
    QVERIFY(f.chart->SetZoomWindow(f.clock.Now() - 30, f.clock.Now()));
    const QPointF inside(g.m_iPlotLeft[0] + 10.0, g.m_iPlotTop[0] + 10.0);
    f.Press(inside, Qt::RightButton);
    f.Release(inside, Qt::RightButton);
    QVERIFY(menu->isVisible());
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Zoom);
}

QTEST_MAIN(TestChartMenu)
#include "tst_chartmenu.moc"
