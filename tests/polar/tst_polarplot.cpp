// The polar plot as drawn: grid, curves, live layer and the mouse
// read-out, checked on the window's rendered image.

#include "PolarRig.h"
#include "ProfileStore.h"

#include <QLabel>
#include <QPainter>

#include <cmath>
#include <functional>

namespace {

using Pixel = std::function<bool(QColor)>;

// The point of a plot with centre (200, 200) at an angle and a radius.
QPointF At(double angle, double radius)
{
    const double a = angle * 3.14159265358979 / 180;
    return {200 + radius * std::sin(a), 200 - radius * std::cos(a)};
}

bool Grey(QColor c) { return c.red() < 200 && std::abs(c.red() - c.blue()) < 20; }
bool Red(QColor c) { return c.red() - c.green() > 60; }
bool Cyan(QColor c) { return c.blue() - c.red() > 60 && c.green() - c.red() > 60; }
bool Magenta(QColor c) { return c.red() - c.green() > 60 && c.blue() - c.green() > 60; }

// Any pixel within `radius` of the point that passes the test.
bool Near(const QImage& image, QPointF p, int radius, const Pixel& test)
{
    for (int y = int(p.y()) - radius; y <= int(p.y()) + radius + 1; ++y)
        for (int x = int(p.x()) - radius; x <= int(p.x()) + radius + 1; ++x)
            if (image.rect().contains(x, y) && test(image.pixelColor(x, y)))
                return true;
    return false;
}

bool Any(const QImage& image, const QRect& area, const Pixel& test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && test(image.pixelColor(x, y)))
                return true;
    return false;
}

} // namespace

class TestPolarPlot : public QObject {
    Q_OBJECT

    std::unique_ptr<PolarRig> rig;

    void Profile(const char16_t* key, const QString& value)
    {
        QVERIFY(ProfileStore::Write(rig->host.profile, u"Polar Data", key, value));
    }
    QImage Shown(QSize client)
    {
        rig->Open();
        rig->Show(client);
        return Image();
    }
    QImage Image() { return rig->window->centralWidget()->grab().toImage(); }
    QColor Background() { return rig->window->palette().color(QPalette::Window); }

    // The text as the grid prints it, at (x, y): nine in ten of its pixels
    // are found there.
    bool LabelAt(const QImage& image, int x, int y, const QString& text)
    {
        const QFont font = rig->window->centralWidget()->font();
        const QFontMetrics metrics(font);
        QImage expected(metrics.horizontalAdvance(text), metrics.height(), QImage::Format_RGB32);
        expected.fill(Background());
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(128, 128, 128));
        painter.drawText(QPoint(0, metrics.ascent()), text);
        painter.end();
        int ink = 0;
        int found = 0;
        for (int j = 0; j < expected.height(); ++j)
            for (int i = 0; i < expected.width(); ++i) {
                const QColor want = expected.pixelColor(i, j);
                if (std::abs(want.red() - Background().red()) < 40)
                    continue;
                ++ink;
                const QColor got = image.pixelColor(x + i, y + j);
                found += std::abs(got.red() - want.red()) < 24 && std::abs(got.blue() - want.blue()) < 24;
            }
        return ink > 5 && found * 10 >= ink * 9;
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
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("range 6") << 6.0f << QList<int>{2, 4, 6} << QList<int>{1, 3, 5}
                                 << QStringList{" 6", " 4", " 2", "", " 2", " 4", " 6"};
        QTest::newRow("range 9") << 9.0f << QList<int>{2, 4, 6, 8} << QList<int>{3, 5, 7, 9}
                                 << QStringList{" 9", " 7", " 5", " 3", " 1", " 1", " 3", " 5", " 7", " 9"};
    }
    void grid()
    {
        QFETCH(float, range);
        QFETCH(QList<int>, rings);
        QFETCH(QList<int>, noRings);
        QFETCH(QStringList, labels);
        Profile(u"File 1", QStringLiteral("none.pol"));
        Profile(u"Speed Range", QString::number(range));
        const QImage image = Shown(QSize(440, 400));
        const double k = 200 / range;
        // Rings are checked at 40 degrees, between the spokes.
        for (int r : rings)
            QVERIFY2(Near(image, At(40, r * k), 1, Grey), qPrintable(QString::number(r)));
        for (int r : noRings)
            QVERIFY2(!Near(image, At(40, r * k), 1, Grey), qPrintable(QString::number(r)));

        // Labels from -range in steps of 2: where one is expected it is
        // there, and nothing is printed half-way between.
        const int h = QFontMetrics(rig->window->centralWidget()->font()).height();
        for (int i = 0; i < labels.size(); ++i) {
            const int x = qRound(200 + (-range + 2 * i) * k);
            if (!labels[i].isEmpty())
                QVERIFY2(LabelAt(image, x, 200, labels[i]), qPrintable(labels[i] + QString::number(i)));
            // Not at the centre, where the spokes meet.
            const int between = qRound(200 + (-range + 2 * i + 1) * k);
            if (between != 200 && between < 390)
                QVERIFY2(!Any(image, QRect(between + 4, 203, 8, h - 6), Grey), qPrintable(QString::number(i)));
        }
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
        Profile(u"File 1", QStringLiteral("main.pol"));
        Profile(u"Speed Color", QStringLiteral("255"));
        Profile(u"Plot Type", QString::number(plotType));
        const QImage image = Shown(QSize(400, 400));
        for (int side : {1, -1}) {
            QVERIFY(Near(image, At(side * drawn, 6 * 20), 2, Red));
            QVERIFY(!Near(image, At(side * notDrawn, 6 * 20), 2, Red));
        }
    }

    void squarePlotAtTheLeft_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("empty");
        QTest::newRow("wide") << QSize(800, 400) << QPoint(450, 200);
        QTest::newRow("tall") << QSize(400, 800) << QPoint(200, 450);
    }
    void squarePlotAtTheLeft()
    {
        QFETCH(QSize, client);
        QFETCH(QPoint, empty);
        Profile(u"File 1", QStringLiteral("none.pol"));
        const QImage image = Shown(client);
        QVERIFY(Near(image, At(40, 200), 1, Grey));
        QVERIFY(Near(image, At(90, 190), 1, Grey));
        QVERIFY(!Near(image, empty, 3, Grey));
        // The legend stands at the right edge of the full width.
        const int h = QFontMetrics(rig->window->centralWidget()->font()).height();
        QVERIFY(Any(image, QRect(client.width() - 40, 0, 40, h), Grey));
        QVERIFY(Any(image, QRect(client.width() - 120, client.height() - 2 * h, 40, 2 * h), Grey));
    }

    void readOut_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<int>("markerX");
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
        QFETCH(int, markerX);
        Profile(u"File 1", QStringLiteral("one.pol"));
        rig->Open();
        rig->Show(QSize(400, 400));
        rig->openPath = rig->Path(QStringLiteral("bin/reference.pol"));
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
        // Beside the point, or to its left when they would pass the edge.
        const int total = names->width() + values->width();
        QCOMPARE(names->x(), markerX + total > 400 ? markerX - total : markerX);
        QCOMPARE(values->x(), names->x() + names->width());
        QVERIFY(Near(Image(), QPointF(markerX, 190), 0, [](QColor c) { return c.red() < 60; }));
        QTest::mouseMove(client, QPoint(x + 11, 200));
        QVERIFY(!values->isVisible());
    }

    void liveArrowheads_data()
    {
        QTest::addColumn<float>("angle");
        QTest::addColumn<bool>("cyan");
        QTest::newRow("polar speed 6") << 90.0f << true;
        QTest::newRow("outside the polar") << 45.0f << false;
    }
    void liveArrowheads()
    {
        QFETCH(float, angle);
        QFETCH(bool, cyan);
        Profile(u"File 1", QStringLiteral("one.pol"));
        Profile(u"Plot Average", QStringLiteral("0"));
        rig->Open();
        rig->Show(QSize(700, 400));
        InstrumentValues v;
        v.fBoatSpeed = 5;
        v.fWindAngleTrue = angle;
        v.fWindSpeedTrue = 10;
        rig->window->SetValue(v);
        const QImage image = Image();
        QCOMPARE(Any(image, QRect(0, 0, 400, 400), Cyan), cyan);
        QVERIFY(Near(image, At(angle, 5 * 20), 3, Magenta));
    }
};

QTEST_MAIN(TestPolarPlot)
#include "tst_polarplot.moc"
