// Faults of the first chart, one test each: every one failed there.
#include "ChartFixture.h"
#include "TraceStore.h"

#include <QTest>
#include <QToolButton>
#include <climits>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 0xC0, 0);

int CountInRect(const QImage& image, const QRect& r, QRgb colour)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class TestChartFaults : public QObject {
    Q_OBJECT
private slots:
    void valuesTextClearsAllOfTheOldText()
    {
        ChartFixture f;
        const TraceGeometry g = f.Geometry();
        const int x = g.m_iPlotLeft[0] + g.m_iPlotWidth - 3;
        const int y = g.m_iBlockTop[0] + 1;
        f.chart->SetValue("Speed", "-123.4");
        const QString wide = "Ave -123.4,   Cur -123.4";
        QVERIFY(f.ShowsText(f.Picture(), x - f.TextWidth(wide), y, wide));
        // Past one span every column holds 1: a much shorter text.
        for (int s = 0; s <= 70; ++s, f.clock.AdvanceSeconds(s < 71))
            f.chart->SetValue("Speed", "1");
        const QString narrow = "Ave 1.0,   Cur 1.0";
        const QImage image = f.Picture();
        QVERIFY(f.ShowsText(image, x - f.TextWidth(narrow), y, narrow));
        const QRect left(x - f.TextWidth(wide), y, f.TextWidth(wide) - f.TextWidth(narrow) - 1, f.TextHeight());
        QCOMPARE(CountInRect(image, left, kWhite), left.width() * left.height());
    }

    void clickOnZoomedDisplayReturnsToLive()
    {
        ChartFixture f;
        const TraceGeometry g = f.Geometry();
        const double y = g.m_iPlotTop[0] + 5.0;
        const double middle = g.m_iPlotLeft[0] + (g.m_iPlotWidth - 1) / 2.0;
        f.Press({middle, y});
        f.Move({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, y}, Qt::LeftButton);
        f.Release({g.m_iPlotLeft[0] + g.m_iPlotWidth - 1.0, y});
        QCOMPARE(f.chart->GetTimeSpan(), 30);
        f.Press({middle, y});
        f.Release({middle, y});
        QCOMPARE(f.chart->GetDisplayMode(), TrendScope::DisplayMode::Normal);
        QCOMPARE(f.chart->GetTimeSpan(), 60);
        QVERIFY(!f.chart->findChild<QToolButton*>("cmdZoomCancel")->isVisible());
    }

    void topOfAutoScaleStaysInsideFrame()
    {
        ChartFixture f;
        f.chart->SetValue("Speed", "2");
        f.clock.AdvanceSeconds(1);
        f.chart->SetValue("Speed", "8");
        const TraceGeometry g = f.Geometry();
        const int L = g.m_iPlotLeft[0], T = g.m_iPlotTop[0], W = g.m_iPlotWidth, Hp = g.m_iPlotHeight;
        const QImage image = f.Picture();
        // 8 is the top: the first row inside the frame; 2 the last one.
        QCOMPARE(image.pixel(L + W - 1, T + 1), kRed);
        QVERIFY(CountInRect(image, QRect(L + 1, T + Hp - 1, W - 1, 1), kRed) > 0);
        QCOMPARE(CountInRect(image, QRect(L, T, W + 1, 1), kBlack), W + 1);
        QCOMPARE(CountInRect(image, QRect(L, T + Hp, W + 1, 1), kBlack), W + 1);
    }

    void readingsOutsideValueRange_data()
    {
        QTest::addColumn<QStringList>("readings");
        QTest::addColumn<float>("sample");
        const float none = TraceStore::NO_VALUE;
        QTest::newRow("sum beyond single precision") << QStringList{"3e38", "3e38"} << none;
        QTest::newRow("the no-sample marker") << QStringList{"-1e30", "5"} << 5.0f;
        QTest::newRow("the empty-column marker") << QStringList{"1e30", "5"} << 5.0f;
        QTest::newRow("largest taken") << QStringList{"9e29", "9e29"} << 9e29f;
    }
    void readingsOutsideValueRange()
    {
        QFETCH(QStringList, readings);
        FakeChartClock clock;
        TraceStore store(clock);
        store.SetNumberOfValues(1);
        store.SetValueOptions(1, "Speed", 0, "Kts");
        store.Initialize(10, 1);
        for (const QString& r : readings)
            store.SetValue("Speed", r);
        clock.AdvanceSeconds(1);
        store.TraceSample();
        QTEST(store.Data(0, store.m_lHead), "sample");
    }

    void initializeTooLargeFailsCleanly()
    {
        FakeChartClock clock;
        TrendScope chart(nullptr, &clock);
        chart.SetNumberOfValues(10);
        chart.SetValueOptions(1, "Speed", 0, "Kts");
        QVERIFY(!chart.Initialize(INT_MAX, 10));
        QVERIFY(!chart.SetValue("Speed", 5.0));
        QVERIFY(chart.Initialize(8640, 10));
        QVERIFY(chart.SetValue("Speed", 5.0));
    }

    void degreeTraceBreaksAtWrap_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<QString>("east");
        QTest::addColumn<QString>("west");
        QTest::newRow("0-360 near north") << 2 << "2" << "358";
        QTest::newRow("+-180 near south") << 1 << "-179" << "179";
    }
    void degreeTraceBreaksAtWrap()
    {
        QFETCH(int, range);
        QFETCH(QString, east);
        QFETCH(QString, west);
        ChartFixture f(400, 300, 2);
        f.chart->SetUpdate(false);
        f.chart->SetTraceRange(2, static_cast<int16_t>(range));
        f.chart->SetUpdate(true);
        // Ten-second runs either side of the wrap (one sample each), and now
        // and then both sides within one column.
        for (int s = 0; s < 60; ++s) {
            f.chart->SetValue("Heading", s / 10 % 2 ? east : west);
            if (s % 10 == 5)
                f.chart->SetValue("Heading", s / 10 % 2 ? west : east);
            f.clock.AdvanceSeconds(1);
        }
        const TraceGeometry g = f.Geometry();
        const int L = g.m_iPlotLeft[1], T = g.m_iPlotTop[1], W = g.m_iPlotWidth, Hp = g.m_iPlotHeight;
        // Every value lies within a few rows of the top or the bottom.
        const QRect middle(L + 1, T + Hp / 4, W - 2, Hp / 2);
        const QImage live = f.Picture();
        f.chart->SetUpdate(true);
        for (const QImage& image : {live, f.Picture()}) {
            QCOMPARE(CountInRect(image, middle, kGreen), 0);
            QVERIFY(CountInRect(image, QRect(L + 1, T + 1, W - 2, 3), kGreen) > 10);
            QVERIFY(CountInRect(image, QRect(L + 1, T + Hp - 3, W - 2, 3), kGreen) > 10);
        }
    }
};

QTEST_MAIN(TestChartFaults)
#include "tst_chartfaults.moc"
