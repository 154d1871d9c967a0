#include "ChartFixture.h"
#include "NumberText.h"

#include <QTest>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kTraceBack = qRgb(0xE0, 0xE0, 0xE0);
const QRgb kRed = qRgb(255, 0, 0);
// Half way between black text and the white surface.
const QRgb kAverage = qRgb(128, 128, 128);

int CountInColumn(const QImage& image, int x, int top, int bottom, QRgb colour)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

int CountInRect(const QImage& image, const QRect& r, QRgb colour)
{
    int n = 0;
    for (int x = r.left(); x <= r.right(); ++x)
        n += CountInColumn(image, x, r.top(), r.bottom(), colour);
    return n;
}

QString Text(double v) { return NumberText::General(v); }

// Pixel positions round half to even, as the chart does.
int Even(double v) { return static_cast<int>(NumberText::RoundHalfEven(v)); }

} // namespace

class TestTraceDrawing : public QObject {
    Q_OBJECT
private slots:
    void stripGeometry();
    void smallWindowKeepsTenByTen();
    void traceWithoutData();
    void autoScaleLabels_data();
    void autoScaleLabels();
    void manualScaleClipMark();
    void pointStyleShowsOnlyExtremes();
    void lineStyleJoinsAndBreaks();
    void valuesText();
    void equalLimitsDrawOnMiddleRow();
    void averageLine();
    void timeAxisUnits_data();
    void timeAxisUnits();
    void axisLabels_data();
    void axisLabels();
    void resizeRedrawsAfterQuietPeriod();
};

void TestTraceDrawing::stripGeometry()
{
    ChartFixture f(400, 300, 2);
    const TraceGeometry g = f.Geometry();
    const int TH = f.TextHeight();
    QCOMPARE(g.m_iBlockHeight, qRound((300 - TH - 1.5 * 8) / 2));
    QCOMPARE(g.m_iPlotHeight, g.m_iBlockHeight - TH - 2);
    QCOMPARE(g.m_iPlotWidth, 396 - f.TextWidth("-00.0") - 8);
    QCOMPARE(g.m_iBlockTop[1], g.m_iBlockHeight + 7 + 4);
    const QImage image = f.Picture();
    const int W = g.m_iPlotWidth;
    const int Hp = g.m_iPlotHeight;
    for (int t = 0; t < 2; ++t) {
        const int L = g.m_iPlotLeft[t];
        const int T = g.m_iPlotTop[t];
        QCOMPARE(T, g.m_iBlockTop[t] + g.m_iBlockHeight - Hp - 1);
        // The frame's corners, a plain spot inside and the surface outside.
        QCOMPARE(image.pixel(L, T), kBlack);
        QCOMPARE(image.pixel(L + W, T + Hp), kBlack);
        QCOMPARE(image.pixel(L + 1, T + 1), kTraceBack);
        QCOMPARE(image.pixel(L + W - 2, T + Hp - 2), kTraceBack);
        QCOMPARE(image.pixel(L - 1, T + 1), kWhite);
        QCOMPARE(image.pixel(L + W + 1, T + 1), kWhite);
        // Dotted grid: every third pixel along the quarter lines.
        const int yq = Even(T + Hp * 0.5);
        QCOMPARE(image.pixel(L + 3, yq), kBlack);
        QCOMPARE(image.pixel(L + 4, yq), kTraceBack);
        QCOMPARE(image.pixel(Even(L + W * 0.25), T + 6), kBlack);
    }
    QVERIFY(f.ShowsText(image, g.m_iBlockLeft[0] + 3, g.m_iBlockTop[0], "Speed (Kts)"));
    QVERIFY(f.ShowsText(image, g.m_iBlockLeft[1] + 3, g.m_iBlockTop[1], "Heading (M)"));
}

void TestTraceDrawing::smallWindowKeepsTenByTen()
{
    ChartFixture f(120, 40, 1);
    const TraceGeometry g = f.Geometry();
    QCOMPARE(g.m_iPlotHeight, 10);
    QCOMPARE(g.m_iPlotWidth, 10);
    const QImage image = f.Picture();
    QCOMPARE(image.pixel(g.m_iPlotLeft[0] + 10, g.m_iPlotTop[0] + 10), kBlack);
}

void TestTraceDrawing::traceWithoutData()
{
    ChartFixture f(400, 300, 1);
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    const int L = g.m_iPlotLeft[0], T = g.m_iPlotTop[0], W = g.m_iPlotWidth, Hp = g.m_iPlotHeight;
    const int TH = f.TextHeight();
    QVERIFY(f.ShowsText(image, L + W + 6, Even(T + Hp / 2.0 - TH / 2.0), "n/a"));
    // No values text above the plot and no average line in it.
    QCOMPARE(CountInRect(image, QRect(L + W / 2, g.m_iBlockTop[0], W / 2, TH), kBlack), 0);
    QCOMPARE(CountInRect(image, QRect(L, T, W, Hp), kAverage), 0);
}

void TestTraceDrawing::autoScaleLabels_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("bottom");
    QTest::newRow("one decimal") << 0.5 << 3.2 << "3.2" << "0.5";
    QTest::newRow("whole numbers") << 0.0 << 25.0 << "25" << "0";
    QTest::newRow("negative") << -12.0 << -4.0 << "-4.0" << "-12.0";
}

void TestTraceDrawing::autoScaleLabels()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QString, top);
    QFETCH(QString, bottom);
    ChartFixture f;
    f.chart->SetValue("Speed", Text(low));
    f.clock.AdvanceSeconds(1);
    f.chart->SetValue("Speed", Text(high));
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    const int x = g.m_iPlotLeft[0] + g.m_iPlotWidth + 6;
    QVERIFY(f.ShowsText(image, x, g.m_iPlotTop[0], top));
    QVERIFY(f.ShowsText(image, x, g.m_iPlotTop[0] + g.m_iPlotHeight - f.TextHeight(), bottom));
}

void TestTraceDrawing::manualScaleClipMark()
{
    ChartFixture f;
    f.chart->SetUpdate(false);
    f.chart->SetTraceScale(1, 1, 10, 0);
    f.chart->SetUpdate(true);
    f.chart->SetValue("Speed", "5");
    f.clock.AdvanceSeconds(1);
    f.chart->SetValue("Speed", "12");
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    const int x = g.m_iPlotLeft[0] + g.m_iPlotWidth + 6;
    // The scale column is as wide as "-00.0": the mark and 10 always show.
    QVERIFY(f.ShowsText(image, x, g.m_iPlotTop[0], ">10"));
    QVERIFY(f.ShowsText(image, x, g.m_iPlotTop[0] + g.m_iPlotHeight - f.TextHeight(), "0.0"));
    // The reading above the scale is drawn on the top row inside the
    // frame, not on the frame or beyond it.
    const int right = g.m_iPlotLeft[0] + g.m_iPlotWidth - 1;
    QCOMPARE(image.pixel(right, g.m_iPlotTop[0] + 1), kRed);
    QCOMPARE(CountInColumn(image, right, 0, g.m_iPlotTop[0], kRed), 0);
}

void TestTraceDrawing::pointStyleShowsOnlyExtremes()
{
    ChartFixture f;
    f.chart->SetTraceStyle(1, 1);
    f.chart->SetTraceTimer(100);
    for (int s = 0; s < 20; ++s) {
        f.chart->SetValue("Speed", s % 2 ? "10" : "0");
        f.chart->SetValue("Speed", s % 2 ? "9" : "1");
        f.clock.AdvanceSeconds(1);
    }
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    int drawn = 0;
    for (int x = g.m_iPlotLeft[0]; x < g.m_iPlotLeft[0] + g.m_iPlotWidth; ++x) {
        const int n = CountInColumn(image, x, g.m_iPlotTop[0], g.m_iPlotTop[0] + g.m_iPlotHeight - 1, kRed);
        QVERIFY(n <= 2);
        drawn += n;
    }
    QVERIFY(drawn > 20);
}

void TestTraceDrawing::lineStyleJoinsAndBreaks()
{
    ChartFixture f;
    for (int s = 0; s < 6; ++s) {
        f.chart->SetValue("Speed", s % 2 ? "10" : "0");
        f.clock.AdvanceSeconds(1);
    }
    // Silence: the idle advances leave empty columns.
    f.clock.AdvanceSeconds(6);
    for (int s = 0; s < 4; ++s) {
        f.chart->SetValue("Speed", s % 2 ? "10" : "0");
        f.clock.AdvanceSeconds(1);
    }
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    const int top = g.m_iPlotTop[0] + 1, bottom = g.m_iPlotTop[0] + g.m_iPlotHeight - 1;
    QList<int> counts;
    for (int x = g.m_iPlotLeft[0] + 1; x < g.m_iPlotLeft[0] + g.m_iPlotWidth; ++x)
        counts << CountInColumn(image, x, top, bottom, kRed);
    // A jump from 0 to 10 is joined by a stroke across the plot.
    QVERIFY(*std::max_element(counts.begin(), counts.end()) > g.m_iPlotHeight / 2);
    // Newest at the right: data, then a run of empty columns, then data.
    int x = counts.size() - 1;
    while (x >= 0 && counts[x] == 0)
        --x;
    while (x >= 0 && counts[x] > 0)
        --x;
    int gap = 0;
    while (x >= 0 && counts[x] == 0) {
        --x;
        ++gap;
    }
    QVERIFY(gap >= 5);
    QVERIFY(x >= 0);
}

void TestTraceDrawing::valuesText()
{
    ChartFixture f;
    f.chart->SetValue("Speed", "12.34 Kts");
    const TraceGeometry g = f.Geometry();
    const int x = g.m_iPlotLeft[0] + g.m_iPlotWidth - 3;
    const int y = g.m_iBlockTop[0] + 1;
    const QString live = "Ave 12.3,   Cur 12.3";
    QVERIFY(f.ShowsText(f.Picture(), x - f.TextWidth(live), y, live));
    f.clock.AdvanceSeconds(2);
    const QString idle = "Ave 12.3, Cur n/a";
    QVERIFY(f.ShowsText(f.Picture(), x - f.TextWidth(idle), y, idle));
}

void TestTraceDrawing::equalLimitsDrawOnMiddleRow()
{
    ChartFixture f;
    for (int s = 0; s < 3; ++s) {
        f.chart->SetValue("Speed", "5");
        f.clock.AdvanceSeconds(1);
    }
    const TraceGeometry g = f.Geometry();
    const QImage image = f.Picture();
    const int x = g.m_iPlotLeft[0] + g.m_iPlotWidth - 1;
    const int middle = Even(g.m_iPlotTop[0] + (g.m_iPlotHeight - 1) / 2.0);
    QCOMPARE(image.pixel(x, middle), kRed);
    QCOMPARE(CountInColumn(image, x, g.m_iPlotTop[0], g.m_iPlotTop[0] + g.m_iPlotHeight - 1, kRed), 1);
}

void TestTraceDrawing::averageLine()
{
    ChartFixture f;
    f.chart->SetUpdate(false);
    f.chart->SetTraceScale(1, 1, 10, 0);
    f.chart->SetUpdate(true);
    const TraceGeometry g = f.Geometry();
    const int L = g.m_iPlotLeft[0], T = g.m_iPlotTop[0], Hp = g.m_iPlotHeight;
    // On the top of the scale the line would lie on the frame: not drawn.
    f.chart->SetValue("Speed", "10");
    f.clock.AdvanceSeconds(1);
    f.chart->SetValue("Speed", "10");
    QImage image = f.Picture();
    QCOMPARE(CountInRect(image, QRect(L, T - 1, g.m_iPlotWidth, Hp + 2), kAverage), 0);
    f.clock.AdvanceSeconds(60);
    f.chart->SetValue("Speed", "2.5");
    f.clock.AdvanceSeconds(1);
    f.chart->SetValue("Speed", "2.5");
    image = f.Picture();
    const int row = T + Even((2.5 - 10) * Hp / (0 - 10));
    QVERIFY(CountInColumn(image, L + 2, row, row, kAverage) == 1);
    QVERIFY(CountInColumn(image, L + 2, T + 1, T + Hp - 1, kAverage) == 1);
}

void TestTraceDrawing::timeAxisUnits_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<float>("start");
    QTest::newRow("60 s") << 60 << "Seconds" << -60.0f;
    QTest::newRow("61 s") << 61 << "Minutes" << -61.0f / 60.0f;
    QTest::newRow("90 s") << 90 << "Minutes" << -1.5f;
    QTest::newRow("3600 s") << 3600 << "Minutes" << -60.0f;
    QTest::newRow("3601 s") << 3601 << "Hours" << -3601.0f / 3600.0f;
    QTest::newRow("86400 s") << 86400 << "Hours" << -24.0f;
    QTest::newRow("86401 s") << 86401 << "Days" << -86401.0f / 86400.0f;
}

void TestTraceDrawing::timeAxisUnits()
{
    QFETCH(int, span);
    QFETCH(QString, unit);
    QFETCH(float, start);
    float axisStart = 0;
    QString axisUnit;
    TimeAxisUnit(span, axisStart, axisUnit);
    QCOMPARE(axisUnit, unit);
    QCOMPARE(axisStart, start);
}

void TestTraceDrawing::axisLabels_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("90 s") << 90 << QStringList({"-1.5", "-1.125", "Minutes", "-0.375"});
    QTest::newRow("60 s") << 60 << QStringList({"-60", "-45", "Seconds", "-15"});
    QTest::newRow("30 min") << 1800 << QStringList({"-30", "-22.5", "Minutes", "-7.5"});
    QTest::newRow("3601 s") << 3601 << QStringList({"-1.000278", "-0.7502083", "Hours", "-0.2500694"});
    QTest::newRow("24 h") << 86400 << QStringList({"-24", "-18", "Hours", "-6"});
}

void TestTraceDrawing::axisLabels()
{
    QFETCH(int, span);
    QFETCH(QStringList, labels);
    ChartFixture f(500, 300, 2);
    f.chart->SetTimeSpan(span);
    const TraceGeometry g = f.Geometry();
    const int y = g.m_iPlotTop[1] + g.m_iPlotHeight + 1;
    const int L0 = g.m_iPlotLeft[0];
    const int W = g.m_iPlotWidth;
    const QImage image = f.Picture();
    const auto centred = [&](const QString& text, double at) { return Even(at - f.TextWidth(text) / 2.0); };
    QVERIFY(f.ShowsText(image, L0 + 3, y, labels[0]));
    QVERIFY(f.ShowsText(image, centred(labels[1], L0 + W * 0.25), y, labels[1]));
    QVERIFY(f.ShowsText(image, centred(labels[2], L0 + W * 0.5), y, labels[2]));
    QVERIFY(f.ShowsText(image, centred(labels[3], L0 + W * 0.75), y, labels[3]));
    QVERIFY(f.ShowsText(image, L0 + W - 3 - f.TextWidth("0"), y, "0"));
}

void TestTraceDrawing::resizeRedrawsAfterQuietPeriod()
{
    ChartFixture f(400, 300, 1);
    f.chart->resize(500, 320);
    f.chart->resize(520, 340);
    const TraceGeometry g = f.Geometry();
    const int frameX = g.m_iPlotLeft[0] + g.m_iPlotWidth;
    const int frameY = g.m_iPlotTop[0] + g.m_iPlotHeight;
    f.clock.Advance(249);
    QVERIFY(f.Picture().pixel(frameX, frameY) != kBlack);
    f.clock.Advance(1);
    QCOMPARE(f.Picture().pixel(frameX, frameY), kBlack);
}

QTEST_MAIN(TestTraceDrawing)
#include "tst_tracedrawing.moc"
