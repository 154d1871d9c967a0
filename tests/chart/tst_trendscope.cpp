#include "ChartFixture.h"

#include <QMenu>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TestTrendScope : public QObject {
    Q_OBJECT
private slots:
    void identity();
    void storedProperties();
    void createdState();
    void initializeSetsColoursOnce();
    void timeSpanLimits();
    void numberOfTracesLimits();
    void traceGettersFallBackToTraceOne();
    void traceNameAndRange();
    void traceScale();
    void traceValueByIndex_data();
    void traceValueByIndex();
    void liveTimeSpan_data();
    void liveTimeSpan();
    void menuRequestedWhenShowing_data();
    void menuRequestedWhenShowing();
    void initializedOnce();
    void timeConversions();
    void dayOfRecordingInMilliseconds();

    void dragZoomsIntoSelection();
    void zoomButtons();
    void zoomInBelowLimitBeeps();
    void zoomOutAboveLimitBeeps();
    void panLeftThenRightReturns();
    void cancelRestoresSpan();
    void clickWithoutMovementLeavesZoom();
    void readingsWhileZoomedAreStored();
    void mouseEventsOnlyOutsidePlots();
    void clickAndDoubleClick();
    void crossHairAndToolTip();

    void numericReadingsReplayALog();
    void changeSignalsAndZoomWindow();
};

void TestTrendScope::identity()
{
    QCOMPARE(QString(TrendScopeVersion()), QString("1.00.0003"));
    QCOMPARE(QString(TrendScope::ProgId), QString("Corriam.TrendScope"));
    TrendScope chart;
    QVERIFY(chart.findChild<QWidget*>("PictureArea"));
    for (const char* name : {"cmdZoomCancel", "cmdZoomLeft", "cmdZoomRight", "cmdZoomIn", "cmdZoomOut"})
        QVERIFY(chart.findChild<QToolButton*>(name));
    QCOMPARE(chart.findChild<QToolButton*>("cmdZoomCancel")->text(), QString("Cancel Zoom"));
    QCOMPARE(chart.findChild<QToolButton*>("cmdZoomOut")->text(), QString("Zoom Out"));
}

void TestTrendScope::storedProperties()
{
    TrendScope chart;
    QCOMPARE(chart.BackColor(), 0xC0C0C0);
    QCOMPARE(chart.ForeColor(), 0);
    QCOMPARE(chart.FontName(), QString("MS Sans Serif"));
    QCOMPARE(chart.FontSize(), 8.0f);
    QVERIFY(!chart.FontBold() && !chart.FontItalic() && !chart.FontUnderline());
    QVERIFY(chart.WriteProperties().isEmpty());

    chart.ReadProperties({{"FontName", "DejaVu Sans"}, {"FontSize", 9.75}, {"ForeColor", 0x0000FF}});
    QCOMPARE(chart.FontName(), QString("DejaVu Sans"));
    QCOMPARE(chart.BackColor(), 0xC0C0C0);
    const QVariantMap written = chart.WriteProperties();
    QCOMPARE(written.keys(), QStringList({"FontName", "FontSize", "ForeColor"}));
    QCOMPARE(written.value("FontSize").toFloat(), 9.75f);

    // Properties go through Qt's property system too.
    QVERIFY(chart.setProperty("FontBold", true));
    QVERIFY(chart.FontBold());
    chart.setProperty("FontName", "MS Sans Serif");
    chart.SetFontBold(false);
    QCOMPARE(chart.WriteProperties().keys(), QStringList({"FontSize", "ForeColor"}));
}

void TestTrendScope::createdState()
{
    FakeChartClock clock;
    TrendScope chart(nullptr, &clock);
    QVERIFY(!chart.GetMenuHidePanel());
    QCOMPARE(clock.ActiveTimers(), 0);
    // Nothing is recorded or drawn before Initialize.
    chart.SetUpdate(true);
    chart.SetNumberOfValues(1);
    chart.SetValueOptions(1, "Speed", 0, "Kts");
    chart.SetValue("Speed", "5 Kts");
    chart.Initialize(10, 1);
    QCOMPARE(clock.ActiveTimers(), 1);
}

void TestTrendScope::initializeSetsColoursOnce()
{
    FakeChartClock clock;
    TrendScope chart(nullptr, &clock);
    chart.SetForeColor(0x123456);
    chart.Initialize(100, 10);
    QCOMPARE(chart.BackColor(), 0xFFFFFF);
    QCOMPARE(chart.GetTraceColor(5), 0x123456);
    QCOMPARE(chart.GetTraceBackColor(3), 0xE0E0E0);
    QCOMPARE(chart.GetTraceTimer(), 2);
    QCOMPARE(chart.GetNumberOfTraces(), int16_t(1));
    chart.SetBackColor(0x00FF00);
    chart.SetForeColor(0);
    chart.Initialize(100, 10);
    QCOMPARE(chart.BackColor(), 0x00FF00);
    QCOMPARE(chart.GetTraceColor(1), 0x123456);
}

void TestTrendScope::timeSpanLimits()
{
    ChartFixture f;
    f.chart->SetTimeSpan(59);
    QCOMPARE(f.chart->GetTimeSpan(), 60);
    f.chart->SetTimeSpan(86401);
    QCOMPARE(f.chart->GetTimeSpan(), 60);
    f.chart->SetTimeSpan(86400);
    QCOMPARE(f.chart->GetTimeSpan(), 86400);
    f.chart->SetTimeSpan(60);
    QCOMPARE(f.chart->GetTimeSpan(), 60);
}

void TestTrendScope::numberOfTracesLimits()
{
    ChartFixture f(400, 300, 2);
    f.chart->SetNumberOfTraces(0);
    QCOMPARE(f.chart->GetNumberOfTraces(), int16_t(2));
    f.chart->SetNumberOfTraces(6);
    QCOMPARE(f.chart->GetNumberOfTraces(), int16_t(2));
    f.chart->SetNumberOfTraces(5);
    QCOMPARE(f.chart->GetNumberOfTraces(), int16_t(5));
}

void TestTrendScope::traceGettersFallBackToTraceOne()
{
    ChartFixture f(400, 300, 2);
    f.chart->SetTraceStyle(1, 1);
    f.chart->SetTraceRange(9, 2);
    QCOMPARE(f.chart->GetTraceColor(9), f.chart->GetTraceColor(1));
    QCOMPARE(f.chart->GetTraceName(0), QString("Speed"));
    QCOMPARE(f.chart->GetTraceName(2), QString("Heading"));
    QCOMPARE(f.chart->GetTraceStyle(-1), int16_t(1));
    QCOMPARE(f.chart->GetTraceRange(6), int16_t(0));
    QCOMPARE(f.chart->GetTraceBackColor(6), 0xE0E0E0);
    int16_t scale = 5;
    double mx = 5, mn = 5;
    f.chart->GetTraceScale(0, scale, mx, mn);
    QCOMPARE(scale, int16_t(0));
    QCOMPARE(mx, 0.0);
    QCOMPARE(mn, 0.0);
}

void TestTrendScope::traceNameAndRange()
{
    ChartFixture f(400, 300, 2);
    QCOMPARE(f.chart->GetTraceRange(2), int16_t(2));
    f.chart->SetTraceName(1, "Nothing");
    QCOMPARE(f.chart->GetTraceName(1), QString("Speed"));
    f.chart->SetTraceName(7, "Heading");
    QCOMPARE(f.chart->GetTraceName(1), QString("Speed"));
    // A Degrees value keeps a +/-180 range, and turns a Normal one to 0-360.
    f.chart->SetTraceRange(1, 1);
    f.chart->SetTraceName(1, "Heading");
    QCOMPARE(f.chart->GetTraceRange(1), int16_t(1));
    f.chart->SetTraceRange(1, 0);
    f.chart->SetTraceName(1, "Heading");
    QCOMPARE(f.chart->GetTraceRange(1), int16_t(2));
    f.chart->SetTraceName(1, "Depth");
    QCOMPARE(f.chart->GetTraceRange(1), int16_t(2));
    QCOMPARE(f.chart->GetTraceName(1), QString("Depth"));
}

void TestTrendScope::traceScale()
{
    ChartFixture f;
    f.chart->SetTraceScale(1, 1, 20.5, -3.25);
    f.chart->SetTraceScale(1, 0, 99, 99);
    int16_t scale = 9;
    double mx = 0, mn = 0;
    f.chart->GetTraceScale(1, scale, mx, mn);
    QCOMPARE(scale, int16_t(0));
    QCOMPARE(mx, 20.5);
    QCOMPARE(mn, -3.25);
    f.chart->SetTraceScale(6, 1, 1, 1);
    f.chart->GetTraceScale(1, scale, mx, mn);
    QCOMPARE(mx, 20.5);
}

void TestTrendScope::traceValueByIndex_data()
{
    QTest::addColumn<int>("trace");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("rangeBefore");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("rangeAfter");
    QTest::newRow("Degrees value on Normal") << 1 << 2 << 0 << 2 << 2;
    QTest::newRow("Degrees value keeps +-180") << 1 << 2 << 1 << 2 << 1;
    QTest::newRow("second of two namesakes") << 1 << 3 << 2 << 3 << 2;
    QTest::newRow("index 0") << 1 << 0 << 0 << 1 << 0;
    QTest::newRow("past the table") << 1 << 4 << 0 << 1 << 0;
    QTest::newRow("trace 6") << 6 << 2 << 0 << 1 << 0;
}

void TestTrendScope::traceValueByIndex()
{
    QFETCH(int, trace);
    QFETCH(int, value);
    QFETCH(int, rangeBefore);
    ChartFixture f;
    // Value 3 now shares the name of value 1: only the index tells them apart.
    f.chart->SetValueOptions(3, "Speed", 0, "m");
    f.chart->SetTraceRange(1, static_cast<int16_t>(rangeBefore));
    f.chart->setTraceValue(trace, value);
    QTEST(f.chart->traceValue(1), "shown");
    QTEST(int(f.chart->GetTraceRange(1)), "rangeAfter");
}

void TestTrendScope::liveTimeSpan_data()
{
    QTest::addColumn<bool>("zoomed");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("live");
    QTest::newRow("live, 10 minutes") << false << 600 << 600 << 600;
    QTest::newRow("zoomed, 10 minutes") << true << 600 << 600 << 600;
    QTest::newRow("zoomed, 59 s") << true << 59 << 300 << 60;
    QTest::newRow("live, a day and a second") << false << 86401 << 60 << 60;
}

void TestTrendScope::liveTimeSpan()
{
    QFETCH(bool, zoomed);
    QFETCH(int, seconds);
    ChartFixture f;
    const ChartSeconds end = f.clock.Now() - 20;
    if (zoomed)
        QVERIFY(f.chart->SetZoomWindow(end - 300, end));
    f.chart->setLiveTimeSpan(seconds);
    QTEST(int(f.chart->GetTimeSpan()), "shown");
    QTEST(f.chart->liveTimeSpan(), "live");
    if (!zoomed)
        return;
    // The zoomed window keeps its end; Cancel Zoom returns to the live span.
    QCOMPARE(f.chart->GetZoomEnd(), end);
    QCOMPARE(f.chart->GetZoomStart(), end - f.chart->GetTimeSpan());
    f.chart->cancelZoom();
    QTEST(int(f.chart->GetTimeSpan()), "live");
}

void TestTrendScope::menuRequestedWhenShowing_data()
{
    QTest::addColumn<bool>("initialized");
    QTest::addColumn<bool>("drawing");
    QTest::addColumn<bool>("rightClick");
    QTest::addColumn<int>("requests");
    QTest::newRow("Trace_PopUp") << true << true << false << 1;
    QTest::newRow("right click") << true << true << true << 1;
    QTest::newRow("drawing off") << true << false << false << 0;
    QTest::newRow("right click, drawing off") << true << false << true << 0;
    QTest::newRow("not initialized") << false << true << false << 0;
}

void TestTrendScope::menuRequestedWhenShowing()
{
    QFETCH(bool, initialized);
    QFETCH(bool, drawing);
    QFETCH(bool, rightClick);
    QFETCH(int, requests);
    ChartFixture f;
    if (!initialized)
        f.chart = std::make_unique<TrendScope>(nullptr, &f.clock);
    f.chart->SetUpdate(drawing);
    QSignalSpy spy(f.chart.get(), &TrendScope::menuRequested);
    if (rightClick) {
        f.Press({30, 30}, Qt::RightButton);
        f.Release({30, 30}, Qt::RightButton);
    } else {
        f.chart->Trace_PopUp();
    }
    QCOMPARE(spy.count(), requests);
    // The library's own menu answers, on every chart without asking.
    QCOMPARE(f.chart->findChild<QMenu*>("popMenu")->isVisible(), requests == 1);
    if (requests == 1)
        QCOMPARE(spy[0][0].toPoint(), QCursor::pos());
}

void TestTrendScope::initializedOnce()
{
    TrendScope chart;
    QSignalSpy spy(&chart, &TrendScope::initialized);
    chart.SetNumberOfValues(1);
    QVERIFY(!chart.Initialize(int32_t(1) << 30, 10));
    QCOMPARE(spy.count(), 0);
    QVERIFY(chart.Initialize(360, 10));
    QVERIFY(chart.Initialize(720, 10));
    QCOMPARE(spy.count(), 1);
}

void TestTrendScope::timeConversions()
{
    ChartFixture f;
    ChartSeconds t;
    f.chart->time_tTime(t);
    QCOMPARE(t, FakeChartClock::kStart);
    QString text;
    f.chart->time_tToString(ChartSeconds(-1), text);
    QCOMPARE(text, QString("31/12/1999 23:59:59"));
    f.chart->time_tFromString(t, "01/01/2000 00:01:00");
    QCOMPARE(t.Count(), 60);
    f.chart->time_tFromString(t, "not a date");
    QCOMPARE(t.Count(), 60);
}

void TestTrendScope::dayOfRecordingInMilliseconds()
{
    ChartFixture f(600, 300, 1);
    f.chart->SetUpdate(false);
    for (int s = 0; s < 86400 + 600; s += 5) {
        f.chart->SetValue("Speed", s / 3600 % 2 ? "8" : "4");
        f.clock.AdvanceSeconds(5);
    }
    f.chart->SetTimeSpan(86400);
    f.chart->SetUpdate(true);
    // A day of samples ending now: both levels fill the plot, no gaps.
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    int empty = 0;
    for (int x = g.m_iPlotLeft[0] + 2; x < g.m_iPlotLeft[0] + g.m_iPlotWidth - 2; ++x) {
        bool drawn = false;
        for (int y = g.m_iPlotTop[0]; y < g.m_iPlotTop[0] + g.m_iPlotHeight && !drawn; ++y)
            drawn = image.pixel(x, y) == qRgb(255, 0, 0);
        empty += drawn ? 0 : 1;
    }
    QCOMPARE(empty, 0);
    QVERIFY(f.ShowsText(image, g.m_iPlotLeft[0] + g.m_iPlotWidth + 6, g.m_iPlotTop[0], "8.0"));
}

void TestTrendScope::dragZoomsIntoSelection()
{
    ChartFixture f;
    f.clock.AdvanceSeconds(100);
    const TraceGeometry g = f.Geometry();
    const int L = g.m_iPlotLeft[0], W = g.m_iPlotWidth;
    const double y = g.m_iPlotTop[0] + g.m_iPlotHeight / 2.0;
    const auto pressedAt = f.clock.Now();
    f.Move({L + (W - 1) / 2.0, y});
    f.Press({L + (W - 1) / 2.0, y});
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Zoom);
    f.clock.AdvanceSeconds(5);
    f.Move({L + W * 0.75, y}, Qt::LeftButton);
    // The band inverts the plot under it.
    const QImage banded = f.Picture();
    QCOMPARE(banded.pixel(L + W * 0.6, y + 1), qRgb(0x1F, 0x1F, 0x1F));
    f.Move({double(L + W - 1), y}, Qt::LeftButton);
    f.Release({double(L + W - 1), y});
    QCOMPARE(f.chart->GetZoomEnd(), pressedAt);
    QVERIFY(std::abs(f.chart->GetTimeSpan() - 30) <= 1);
    QCOMPARE(f.chart->GetZoomStart(), pressedAt - f.chart->GetTimeSpan());
    const QImage zoomed = f.Picture();
    QCOMPARE(zoomed.pixel(L + W * 0.6, y + 1), qRgb(0xE0, 0xE0, 0xE0));
    QVERIFY(f.chart->findChild<QToolButton*>("cmdZoomIn")->isVisible());
    // A selection narrower than a second becomes one second.
    f.chart->findChild<QToolButton*>("cmdZoomCancel")->click();
    f.Press({L + 10.0, y});
    f.Move({L + 10.0, y + 5}, Qt::LeftButton);
    f.Release({L + 10.0, y + 5});
    QCOMPARE(f.chart->GetTimeSpan(), 1);
}

void TestTrendScope::zoomButtons()
{
    ChartFixture f(400, 300, 2);
    const TraceGeometry g = f.Geometry();
    const int y = g.m_iPlotTop[1] + g.m_iPlotHeight + 1;
    f.chart->SetTimeSpan(3600);
    f.Press({g.m_iPlotLeft[0] + 5.0, g.m_iPlotTop[0] + 5.0});
    f.Release({g.m_iPlotLeft[0] + 5.0, g.m_iPlotTop[0] + 5.0});
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);
    f.Press({g.m_iPlotLeft[0] + 5.0, g.m_iPlotTop[0] + 5.0});
    f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0});
    auto* cancel = f.chart->findChild<QToolButton*>("cmdZoomCancel");
    auto* left = f.chart->findChild<QToolButton*>("cmdZoomLeft");
    auto* right = f.chart->findChild<QToolButton*>("cmdZoomRight");
    auto* in = f.chart->findChild<QToolButton*>("cmdZoomIn");
    auto* out = f.chart->findChild<QToolButton*>("cmdZoomOut");
    QCOMPARE(cancel->geometry().topLeft(), QPoint(g.m_iPlotLeft[0], y));
    QCOMPARE(left->x(), cancel->x() + cancel->width() + 8);
    QCOMPARE(right->x(), left->x() + left->width() + 4);
    QCOMPARE(in->x(), right->x() + right->width() + 8);
    QCOMPARE(out->x(), in->x() + in->width() + 4);
    QCOMPARE(out->y(), y);

    const auto end = f.chart->GetZoomEnd();
    const int span = f.chart->GetTimeSpan();
    in->click();
    const ChartSeconds centre = end - span / 2;
    QCOMPARE(f.chart->GetTimeSpan(), (span + 1) / 2);
    QVERIFY(std::abs((f.chart->GetZoomEnd() - f.chart->GetTimeSpan() / 2) - centre) <= 1);
    QCOMPARE(f.chart->GetZoomStart(), f.chart->GetZoomEnd() - f.chart->GetTimeSpan());
    out->click();
    QVERIFY(std::abs(f.chart->GetTimeSpan() - span) <= 1);
    QVERIFY(std::abs(f.chart->GetZoomEnd() - end) <= 1);
}

void TestTrendScope::zoomInBelowLimitBeeps()
{
    ChartFixture f;
    int beeps = 0;
    f.chart->SetBeepHandler([&beeps] { ++beeps; });
    const TraceGeometry g = f.Geometry();
    const QPointF at(g.m_iPlotLeft[0] + 5.0, g.m_iPlotTop[0] + 5.0);
    f.Press(at);
    f.Move(at + QPointF(g.m_iPlotWidth / 2.0, 0), Qt::LeftButton);
    f.Release(at + QPointF(g.m_iPlotWidth / 2.0, 0));
    auto* in = f.chart->findChild<QToolButton*>("cmdZoomIn");
    const int span = f.chart->GetTimeSpan();
    QVERIFY(span < 61);
    const auto end = f.chart->GetZoomEnd();
    in->click();
    QCOMPARE(beeps, 1);
    QCOMPARE(f.chart->GetTimeSpan(), span);
    QCOMPARE(f.chart->GetZoomEnd(), end);
    // From exactly 61 seconds it still zooms.
    f.chart->findChild<QToolButton*>("cmdZoomOut")->click();
    f.chart->findChild<QToolButton*>("cmdZoomOut")->click();
    QVERIFY(f.chart->GetTimeSpan() >= 61);
    in->click();
    QCOMPARE(beeps, 1);
}

void TestTrendScope::zoomOutAboveLimitBeeps()
{
    ChartFixture f;
    int beeps = 0;
    f.chart->SetBeepHandler([&beeps] { ++beeps; });
    f.chart->SetTimeSpan(43200);
    const TraceGeometry g = f.Geometry();
    const QPointF at(g.m_iPlotLeft[0] + 5.0, g.m_iPlotTop[0] + 5.0);
    // Dragging over the whole width keeps the span.
    f.Press(at);
    f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, at.y()}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, at.y()});
    f.chart->findChild<QToolButton*>("cmdZoomCancel")->click();
    f.chart->SetTimeSpan(43200);
    f.Press({g.m_iPlotLeft[0] + 0.0, at.y()});
    f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, at.y()}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, at.y()});
    QCOMPARE(f.chart->GetTimeSpan(), 43200);
    auto* out = f.chart->findChild<QToolButton*>("cmdZoomOut");
    out->click();
    QCOMPARE(f.chart->GetTimeSpan(), 86400);
    QCOMPARE(beeps, 0);
    out->click();
    QCOMPARE(beeps, 1);
    QCOMPARE(f.chart->GetTimeSpan(), 86400);
}

void TestTrendScope::panLeftThenRightReturns()
{
    ChartFixture f;
    f.chart->SetTimeSpan(1800);
    const TraceGeometry g = f.Geometry();
    f.Press({g.m_iPlotLeft[0] + 0.0, g.m_iPlotTop[0] + 5.0});
    f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0});
    const auto start = f.chart->GetZoomStart();
    const auto end = f.chart->GetZoomEnd();
    f.chart->findChild<QToolButton*>("cmdZoomLeft")->click();
    QCOMPARE(f.chart->GetZoomEnd(), end - 450);
    QCOMPARE(f.chart->GetZoomStart(), start - 450);
    f.chart->findChild<QToolButton*>("cmdZoomRight")->click();
    QCOMPARE(f.chart->GetZoomStart(), start);
    QCOMPARE(f.chart->GetZoomEnd(), end);
}

void TestTrendScope::cancelRestoresSpan()
{
    ChartFixture f;
    f.chart->SetTimeSpan(900);
    const TraceGeometry g = f.Geometry();
    f.Press({g.m_iPlotLeft[0] + 20.0, g.m_iPlotTop[0] + 5.0});
    f.Move({g.m_iPlotLeft[0] + 60.0, g.m_iPlotTop[0] + 5.0}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + 60.0, g.m_iPlotTop[0] + 5.0});
    QVERIFY(f.chart->GetTimeSpan() < 900);
    f.chart->findChild<QToolButton*>("cmdZoomOut")->click();
    f.chart->findChild<QToolButton*>("cmdZoomCancel")->click();
    QCOMPARE(f.chart->GetTimeSpan(), 900);
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);
    QVERIFY(!f.chart->findChild<QToolButton*>("cmdZoomCancel")->isVisible());
}

void TestTrendScope::clickWithoutMovementLeavesZoom()
{
    ChartFixture f;
    const TraceGeometry g = f.Geometry();
    const QPointF at(g.m_iPlotLeft[0] + 30.0, g.m_iPlotTop[0] + 5.0);
    const QImage before = f.Picture();
    f.Press(at);
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Zoom);
    f.Release(at);
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);
    QCOMPARE(f.chart->GetTimeSpan(), 60);
    QCOMPARE(f.Picture(), before);
}

void TestTrendScope::readingsWhileZoomedAreStored()
{
    ChartFixture f;
    const TraceGeometry g = f.Geometry();
    f.chart->SetValue("Speed", "3");
    f.clock.AdvanceSeconds(10);
    f.Press({g.m_iPlotLeft[0] + 0.0, g.m_iPlotTop[0] + 5.0});
    f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0}, Qt::LeftButton);
    f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, g.m_iPlotTop[0] + 5.0});
    const QImage frozen = f.Picture();
    for (int s = 0; s < 30; ++s) {
        f.chart->SetValue("Speed", "7");
        f.clock.AdvanceSeconds(1);
    }
    QCOMPARE(f.Picture(), frozen);
    f.chart->findChild<QToolButton*>("cmdZoomCancel")->click();
    // Back to the present: the zoomed-away readings came from the store.
    QVERIFY(f.ShowsText(f.Picture(), g.m_iPlotLeft[0] + g.m_iPlotWidth + 6, g.m_iPlotTop[0], "7.0"));
}

void TestTrendScope::mouseEventsOnlyOutsidePlots()
{
    ChartFixture f;
    QSignalSpy down(f.chart.get(), &TrendScope::MouseDown);
    QSignalSpy move(f.chart.get(), &TrendScope::MouseMove);
    QSignalSpy up(f.chart.get(), &TrendScope::MouseUp);
    const TraceGeometry g = f.Geometry();
    const QPointF inside(g.m_iPlotLeft[0] + 10.0, g.m_iPlotTop[0] + 10.0);
    const QPointF outside(g.m_iPlotLeft[0] + g.m_iPlotWidth + 10.0, 5.0);

    f.Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, outside, Qt::ShiftModifier);
    f.Move(outside + QPointF(1, 1), Qt::LeftButton);
    f.Move(outside + QPointF(2, 2));
    f.Release(outside + QPointF(2, 2));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).value<int16_t>(), int16_t(1));
    QCOMPARE(down.at(0).at(1).value<int16_t>(), int16_t(1));
    QCOMPARE(down.at(0).at(2).toFloat(), float(outside.x()));
    QCOMPARE(down.at(0).at(3).toFloat(), float(outside.y()));
    QCOMPARE(move.count(), 1);
    QCOMPARE(up.count(), 1);
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);

    f.Press(inside);
    f.Move(inside + QPointF(20, 0), Qt::LeftButton);
    f.Release(inside + QPointF(20, 0));
    QCOMPARE(down.count(), 1);
    QCOMPARE(move.count(), 1);
    QCOMPARE(up.count(), 1);

    // A drag that starts outside selects nothing, even across a plot.
    f.chart->findChild<QToolButton*>("cmdZoomCancel")->click();
    f.Press(outside);
    f.Move(inside, Qt::LeftButton);
    f.Release(inside);
    QCOMPARE(down.count(), 2);
    QCOMPARE(up.count(), 2);
    QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);

    // The right button makes no events of these kinds.
    f.Press(outside, Qt::RightButton);
    f.Release(outside, Qt::RightButton);
    QCOMPARE(down.count(), 2);
    QCOMPARE(up.count(), 2);
}

void TestTrendScope::clickAndDoubleClick()
{
    ChartFixture f;
    QSignalSpy click(f.chart.get(), &TrendScope::Click);
    QSignalSpy dbl(f.chart.get(), &TrendScope::DblClick);
    QSignalSpy up(f.chart.get(), &TrendScope::MouseUp);
    const TraceGeometry g = f.Geometry();
    const QPointF inside(g.m_iPlotLeft[0] + 10.0, g.m_iPlotTop[0] + 10.0);
    const QPointF outside(g.m_iPlotLeft[0] + g.m_iPlotWidth + 10.0, 5.0);
    f.Press(inside);
    f.Release(inside);
    QCOMPARE(click.count(), 1);
    f.Press(outside);
    f.Release(outside);
    f.Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, outside);
    f.Release(outside);
    QCOMPARE(click.count(), 2);
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(up.count(), 2);
}

void TestTrendScope::crossHairAndToolTip()
{
    ChartFixture f;
    f.chart->SetUpdate(false);
    f.chart->SetTraceScale(1, 1, 20, 0);
    f.chart->SetUpdate(true);
    const TraceGeometry g = f.Geometry();
    QWidget* surface = f.Surface();
    const int right = g.m_iPlotLeft[0] + g.m_iPlotWidth - 1;
    f.Move({double(right), double(g.m_iPlotTop[0])});
    QCOMPARE(surface->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(surface->toolTip(), QString("20.0 @ .0"));
    f.Move({double(g.m_iPlotLeft[0]), double(g.m_iPlotTop[0] + g.m_iPlotHeight - 1)});
    QCOMPARE(surface->toolTip(), QString(".0 @ -60.0"));
    f.Move({double(right + 4), 3.0});
    QCOMPARE(surface->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(surface->toolTip(), QString());

    // Without a scale only the time shows; zoomed, the time of day.
    f.chart->SetUpdate(false);
    f.chart->SetTraceScale(1, 1, 0, 0);
    f.chart->SetUpdate(true);
    f.Move({double(right), double(g.m_iPlotTop[0])});
    QCOMPARE(surface->toolTip(), QString(".0"));
    f.Press({double(right - 50), double(g.m_iPlotTop[0] + 4)});
    f.Move({double(right), double(g.m_iPlotTop[0] + 4)}, Qt::LeftButton);
    f.Release({double(right), double(g.m_iPlotTop[0] + 4)});
    f.Move({double(right), double(g.m_iPlotTop[0])});
    QCOMPARE(surface->toolTip(), QString("10:00:00"));
}

void TestTrendScope::numericReadingsReplayALog()
{
    ChartFixture f;
    QVERIFY(!f.chart->SetValue("Nothing", 5.0));
    QVERIFY(!f.chart->SetValue("Speed", qQNaN()));
    QVERIFY(!f.chart->SetValue("Speed", -1e30));
    // Yesterday's log, ten minutes at one reading a second: 10 knots, then
    // 20 knots, half of it stamped as chart seconds, half as date and time.
    const ChartSeconds start = f.clock.Now() - 86400;
    f.chart->SetUpdate(false);
    for (int s = 0; s < 600; ++s) {
        if (s < 300)
            QVERIFY(f.chart->SetValue("Speed", 10.0, start + s));
        else
            QVERIFY(f.chart->SetValue("Speed", 20.0, QDateTime(QDate(2000, 1, 1), QTime(0, 0)).addSecs((start + s).Count())));
        f.clock.AdvanceSeconds(0.01);
    }
    f.chart->SetTimeSpan(600);
    f.chart->SetUpdate(true);
    const TraceGeometry g = f.Geometry();
    const int L = g.m_iPlotLeft[0], T = g.m_iPlotTop[0], W = g.m_iPlotWidth, Hp = g.m_iPlotHeight;
    const QImage image = f.Picture();
    QVERIFY(f.ShowsText(image, L + W + 6, T, "20"));
    QVERIFY(f.ShowsText(image, L + W + 6, T + Hp - f.TextHeight(), "10"));
    // The log's end is the present: 20 along the right, 10 along the left.
    QCOMPARE(image.pixel(L + W - 10, T + 1), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(L + 20, T + Hp - 1), qRgb(255, 0, 0));
}

void TestTrendScope::changeSignalsAndZoomWindow()
{
    ChartFixture f;
    QSignalSpy spans(f.chart.get(), &TrendScope::timeSpanChanged);
    QSignalSpy modes(f.chart.get(), &TrendScope::displayModeChanged);
    QSignalSpy windows(f.chart.get(), &TrendScope::zoomWindowChanged);
    const QDateTime now = QDateTime(QDate(2000, 1, 1), QTime(0, 0)).addSecs(f.clock.Now().Count());
    QVERIFY(!f.chart->setZoomWindow(now, now.addSecs(-5)));
    QVERIFY(f.chart->setZoomWindow(now.addSecs(-300), now));
    QCOMPARE(f.chart->GetZoomStart(), f.clock.Now() - 300);
    QCOMPARE(f.chart->GetZoomEnd(), f.clock.Now());
    QCOMPARE(windows.count(), 1);
    QCOMPARE(windows[0], QVariantList({now.addSecs(-300), now}));
    f.chart->cancelZoom();
    QCOMPARE(f.chart->GetTimeSpan(), 60);
    QCOMPARE(spans.count(), 2);
    QCOMPARE(modes.count(), 2);
    QCOMPARE(QByteArray(QMetaEnum::fromType<TrendScopeTypes::TraceRange>().valueToKey(2)), QByteArray("Degree360"));
}

QTEST_MAIN(TestTrendScope)
#include "tst_trendscope.moc"
