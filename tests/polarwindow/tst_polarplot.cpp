// The polar plot as drawn: grid, curves and the mouse read-out, checked on
// the window's rendered image.

#include "PolarRig.h"

#include <QLabel>

#include <cmath>
#include <functional>

namespace {

using Test = std::function<bool(QColor)>;

// The point of a plot with centre (200, 200) at an angle and a radius.
QPointF At(double angle, double radius)
{
    const double a = angle * 3.14159265358979 / 180;
    return {200 + radius * std::sin(a), 200 - radius * std::cos(a)};
}

bool Grey(QColor c) { return c.red() < 200 && std::abs(c.red() - c.blue()) < 20; }
bool Red(QColor c) { return c.red() - c.green() > 60; }
// Red, but not the magenta of a legend swatch.
bool PureRed(QColor c) { return Red(c) && c.red() - c.blue() > 60; }

// Any pixel of the area that passes the test.
bool Any(const QImage& image, const QRect& area, const Test& test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && test(image.pixelColor(x, y)))
                return true;
    return false;
}

bool Near(const QImage& image, QPointF p, int radius, const Test& test)
{
    return Any(image, QRect(int(p.x()) - radius, int(p.y()) - radius, 2 * radius + 2, 2 * radius + 2), test);
}

} // namespace

class TestPolarPlot : public QObject {
    Q_OBJECT
    std::unique_ptr<PolarRig> rig;

    QImage Shown(QSize client)
    {
        rig->Open();
        rig->Show(client);
        return rig->window->centralWidget()->grab().toImage();
    }

private slots:
    void init()
    {
        rig = std::make_unique<PolarRig>();
        rig->WriteFile(QStringLiteral("bin/main.pol"), "TWA\t10\n90\t6\n100\t6\n");
        rig->WriteFile(QStringLiteral("bin/one.pol"), "TWA\t10\n90\t6\n");
        rig->WriteFile(QStringLiteral("bin/reference.pol"), "TWA\t10\n90\t7\n");
    }
    void cleanup() { rig.reset(); }

    void grid_data()
    {
        QTest::addColumn<float>("range");
        QTest::addColumn<QList<int>>("rings");
        QTest::addColumn<QList<int>>("noRings");
        QTest::newRow("range 6") << 6.0f << QList<int>{2, 4, 6} << QList<int>{1, 3, 5};
        QTest::newRow("range 9") << 9.0f << QList<int>{2, 4, 6, 8} << QList<int>{3, 5, 7, 9};
    }
    void grid()
    {
        QFETCH(float, range);
        QFETCH(QList<int>, rings);
        QFETCH(QList<int>, noRings);
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("none.pol"));
        rig->Profile(u"Polar Data", u"Speed Range", QString::number(range));
        // A wide window: the plot is the square at the left.
        const QImage image = Shown(QSize(600, 400));
        const double k = 200 / range;
        // Rings are checked at 40 degrees, between the spokes.
        for (int r : rings)
            QVERIFY2(Near(image, At(40, r * k), 1, Grey), qPrintable(QString::number(r)));
        for (int r : noRings)
            QVERIFY2(!Near(image, At(40, r * k), 1, Grey), qPrintable(QString::number(r)));
        QVERIFY(Near(image, At(90, 195), 1, Grey));
        QVERIFY(!Near(image, QPointF(500, 200), 3, Grey));

        // Labels from -range in steps of 2, with nothing half-way between
        // (but at the centre, where the spokes meet).
        const int h = QFontMetrics(rig->window->centralWidget()->font()).height();
        for (int i = 0; -range + 2 * i <= range; ++i) {
            const double s = -range + 2 * i;
            const QRect label(qRound(200 + s * k) + 4, 203, 8, h - 6);
            if (s != 0)
                QVERIFY2(Any(image, label, Grey), qPrintable(QString::number(s)));
            if (s + 1 != 0 && s + 1 < range)
                QVERIFY2(!Any(image, label.translated(qRound(k), 0), Grey), qPrintable(QString::number(s + 1)));
        }
        // The legends stand at the right edge of the full width.
        QVERIFY(Any(image, QRect(560, 0, 40, h), Grey));
        QVERIFY(Any(image, QRect(480, 400 - 2 * h, 40, 2 * h), Grey));
    }

    // Speeds out to 20 knots at the 10-knot rim: the curves end at the rim.
    void curvesEndAtTheRim()
    {
        rig->WriteFile(QStringLiteral("bin/fast.pol"), "TWA\t10\t20\n0\t0\t0\n60\t8\t20\n120\t12\t20\n180\t6\t20\n");
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("fast.pol"));
        rig->Profile(u"Polar Data", u"Speed Color", QStringLiteral("255"));
        const QImage image = Shown(QSize(600, 400));
        int inside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (PureRed(image.pixelColor(x, y))) {
                    QVERIFY2(std::hypot(x + 0.5 - 200, y + 0.5 - 200) < 202, qPrintable(QString::number(x)));
                    ++inside;
                }
        QVERIFY(inside > 100);
    }

    void apparentWindPoint_data()
    {
        QTest::addColumn<int>("plotType");
        QTest::addColumn<double>("drawn");
        QTest::addColumn<double>("notDrawn");
        // True wind 90 at 10 knots, boat speed 6: the apparent wind comes
        // from atan(10 / 6) = 59.04 degrees.
        QTest::newRow("true wind") << 0 << 90.0 << 59.04;
        QTest::newRow("apparent wind") << 1 << 59.04 << 90.0;
    }
    void apparentWindPoint()
    {
        QFETCH(int, plotType);
        QFETCH(double, drawn);
        QFETCH(double, notDrawn);
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("main.pol"));
        rig->Profile(u"Polar Data", u"Speed Color", QStringLiteral("255"));
        rig->Profile(u"Polar Data", u"Plot Type", QString::number(plotType));
        const QImage image = Shown(QSize(400, 400));
        for (int side : {1, -1}) {
            QVERIFY(Near(image, At(side * drawn, 6 * 20), 2, Red));
            QVERIFY(!Near(image, At(side * notDrawn, 6 * 20), 2, Red));
        }
    }

    void readOut_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<int>("pointX");
        // Main polar at (320, 200) and (80, 200), reference at 340 and 60.
        QTest::newRow("tie goes to the main polar") << 330 << "10.0\n90\n6.0" << QColor(Qt::black) << 320;
        QTest::newRow("nearer reference") << 331 << "10.0\n90\n7.0" << QColor(Qt::blue) << 340;
        QTest::newRow("port side tie") << 70 << "10.0\n-90\n6.0" << QColor(Qt::black) << 80;
        QTest::newRow("nothing near") << 200 << "" << QColor() << 0;
    }
    void readOut()
    {
        QFETCH(int, x);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QFETCH(int, pointX);
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("one.pol"));
        Shown(QSize(400, 400));
        rig->chosen = rig->Path(QStringLiteral("bin/reference.pol"));
        rig->Trigger(QStringLiteral("mnuOverlayFile2"));
        QWidget* client = rig->window->centralWidget();
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(x, 200));
        auto* names = client->findChild<QLabel*>(QStringLiteral("lblMouse_0"));
        auto* values = client->findChild<QLabel*>(QStringLiteral("lblMouse_1"));
        QCOMPARE(values->isVisible(), !text.isEmpty());
        if (text.isEmpty())
            return;
        QCOMPARE(values->text(), text);
        QCOMPARE(values->palette().color(QPalette::WindowText), color);
        // Beside the point, or to its left when they would pass the edge;
        // a marker line above and below the point.
        const int total = names->width() + values->width();
        QCOMPARE(names->x(), pointX + total > 400 ? pointX - total : pointX);
        QCOMPARE(values->x(), names->x() + names->width());
        QVERIFY(Near(client->grab().toImage(), QPointF(pointX, 190), 0, [](QColor c) { return c.red() < 60; }));
        QTest::mouseMove(client, QPoint(x + 11, 200));
        QVERIFY(!values->isVisible());
    }
};

QTEST_MAIN(TestPolarPlot)
#include "tst_polarplot.moc"
