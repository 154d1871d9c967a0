// The chart on a screen of scale 2: the picture is drawn at device pixels.
#include "ChartFixture.h"

#include <QTest>

class TestChartHiDpi : public QObject {
    Q_OBJECT
private slots:
    void drawnAtDevicePixels()
    {
        ChartFixture f(400, 300, 1);
        if (f.dpr != 2)
            QSKIP("the platform does not scale");
        f.chart->SetValue("Speed", "2");
        f.clock.AdvanceSeconds(1);
        f.chart->SetValue("Speed", "8");
        const QImage image = f.Picture();
        QCOMPARE(image.size(), QSize(800, 600));
        const TraceGeometry g = f.Geometry();
        const int L = g.m_iPlotLeft[0], T = g.m_iPlotTop[0], W = g.m_iPlotWidth;
        // Twice the columns of a 400-pixel chart, and a frame one device
        // pixel thin: not a picture of scale 1 blown up.
        QCOMPARE(W, 796 - f.TextWidth("-00.0") - 8);
        QCOMPARE(image.pixel(L + 40, T - 1), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(L + 40, T), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(L + 40, T + 1), qRgb(0xE0, 0xE0, 0xE0));
        QCOMPARE(image.pixel(L + W - 1, T + 1), qRgb(255, 0, 0));
        QVERIFY(f.ShowsText(image, g.m_iBlockLeft[0] + 3, g.m_iBlockTop[0], "Speed"));
        QVERIFY(f.ShowsText(image, L + W + 6, T, "8.0"));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestChartHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_charthidpi.moc"
