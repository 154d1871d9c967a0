// The chart's night mode: reds only on the picture, the configured colours
// left as they were, and the day picture back exactly.

#include "ChartFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestChartNight : public QObject {
    Q_OBJECT
private slots:
    void nightDrawsReds_data();
    void nightDrawsReds();
};

void TestChartNight::nightDrawsReds_data()
{
    QTest::addColumn<bool>("zoomed");
    QTest::newRow("live") << false;
    // The zoom buttons and their faces are on the picture too.
    QTest::newRow("zoomed") << true;
}

void TestChartNight::nightDrawsReds()
{
    QFETCH(bool, zoomed);
    ChartFixture f(400, 300, 3);
    f.chart->setBackColor(QColor(255, 255, 255));
    f.chart->setTraceBackColor(2, QColor(200, 220, 255));
    for (int s = 0; s < 60; ++s) {
        f.chart->SetValue(QStringLiteral("Speed"), 5 + s % 7);
        f.chart->SetValue(QStringLiteral("Heading"), 350 + s % 20);
        f.chart->SetValue(QStringLiteral("Depth"), 12 - s % 5);
        f.clock.Advance(1000);
    }
    if (zoomed)
        QVERIFY(f.chart->SetZoomWindow(f.clock.Now() - 40, f.clock.Now() - 10));
    QTemporaryDir dir;
    const QString before = dir.filePath(QStringLiteral("before.ini"));
    const QString after = dir.filePath(QStringLiteral("after.ini"));
    f.chart->SetProfile(before, QStringLiteral("History"));
    const QVariantMap properties = f.chart->WriteProperties();
    const QImage day = f.Picture();

    QSignalSpy changed(f.chart.get(), &TrendScope::nightModeChanged);
    f.chart->setProperty("nightMode", true);
    QCOMPARE(changed.count(), 1);
    const QImage night = f.Picture();
    int brightest = 0;
    int red = 0;
    for (int y = 0; y < night.height(); ++y)
        for (int x = 0; x < night.width(); ++x) {
            const QRgb p = night.pixel(x, y);
            brightest = std::max({brightest, qGreen(p), qBlue(p)});
            red = std::max(red, qRed(p));
        }
    QVERIFY2(brightest <= 8, qPrintable(QStringLiteral("green or blue up to %1").arg(brightest)));
    // The traces are there, bright.
    QVERIFY(red >= 200);

    // What is configured and stored did not move.
    QCOMPARE(f.chart->backColor(), QColor(255, 255, 255));
    QCOMPARE(f.chart->ForeColor(), 0);
    QCOMPARE(f.chart->GetTraceColor(1), 0x0000FF);
    QCOMPARE(f.chart->GetTraceColor(3), 0xFF0000);
    QCOMPARE(f.chart->traceBackColor(2), QColor(200, 220, 255));
    QCOMPARE(f.chart->WriteProperties(), properties);
    f.chart->SetProfile(after, QStringLiteral("History"));
    QFile a(before), b(after);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());

    f.chart->setNightMode(false);
    QCOMPARE(f.Picture(), day);
}

QTEST_MAIN(TestChartNight)
#include "tst_chartnight.moc"
