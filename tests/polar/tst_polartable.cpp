// Polar speed lookup and the live averages, on tables set up by hand.

#include "PolarSettings.h"
#include "PolarTable.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>

namespace {

// Angles down the rows, wind speeds along row 0, then the speeds row by row.
std::unique_ptr<PolarTable> Table(std::initializer_list<float> angles, std::initializer_list<float> winds,
                                  std::initializer_list<float> speeds)
{
    auto t = std::make_unique<PolarTable>();
    int r = 1;
    for (float a : angles)
        t->m_fPolar[0][r++][0] = a;
    int c = 1;
    for (float w : winds)
        t->m_fPolar[0][0][c++] = w;
    t->m_iPolarRows[0] = static_cast<int16_t>(angles.size());
    t->m_iPolarCols[0] = static_cast<int16_t>(winds.size());
    const float* s = speeds.begin();
    for (r = 1; r <= t->m_iPolarRows[0]; ++r)
        for (c = 1; c <= t->m_iPolarCols[0]; ++c)
            t->m_fPolar[0][r][c] = *s++;
    return t;
}

// Degrees between two directions.
float Gap(float a, float b)
{
    const float gap = std::fmod(std::fabs(a - b), 360.0f);
    return std::min(gap, 360.0f - gap);
}

} // namespace

class TestPolarTable : public QObject {
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("wind");
        QTest::addColumn<float>("speed");
        // Table 0: angles 40, 90, 150; winds 6, 10; speeds 4 6 / 6 8 / 5 9.
        QTest::newRow("first angle exactly") << 0 << 40.0f << 6.0f << 4.0f;
        QTest::newRow("last angle exactly") << 0 << 150.0f << 10.0f << 9.0f;
        QTest::newRow("below first angle") << 0 << 39.9f << 6.0f << 0.0f;
        QTest::newRow("above last angle") << 0 << 150.1f << 10.0f << 0.0f;
        QTest::newRow("between angles") << 0 << 65.0f << 6.0f << 5.0f;
        QTest::newRow("between angles and winds") << 0 << 65.0f << 8.0f << 6.0f;
        QTest::newRow("upper bracket") << 0 << 120.0f << 10.0f << 8.5f;
        QTest::newRow("no wind") << 0 << 90.0f << 0.0f << 0.0f;
        QTest::newRow("half the first wind") << 0 << 90.0f << 3.0f << 3.0f;
        QTest::newRow("above last wind") << 0 << 90.0f << 20.0f << 8.0f;
        QTest::newRow("negative angle is outside") << 0 << -45.0f << 10.0f << 0.0f;
        // Table 1: one wind column of 8 knots, angles 40 and 90, speeds 5 and 7.
        QTest::newRow("one column, at it") << 1 << 40.0f << 8.0f << 5.0f;
        QTest::newRow("one column, above it") << 1 << 65.0f << 30.0f << 6.0f;
        QTest::newRow("one column, below it") << 1 << 65.0f << 4.0f << 3.0f;
        // Table 2: one row at 90 degrees, winds 6 and 10, speeds 6 and 8.
        QTest::newRow("one row, its angle") << 2 << 90.0f << 8.0f << 7.0f;
        QTest::newRow("one row, another angle") << 2 << 91.0f << 8.0f << 0.0f;
        // Table 3: no rows.
        QTest::newRow("no rows") << 3 << 90.0f << 8.0f << 0.0f;
    }
    void lookup()
    {
        QFETCH(int, table);
        QFETCH(float, angle);
        QFETCH(float, wind);
        QFETCH(float, speed);
        std::unique_ptr<PolarTable> t;
        switch (table) {
        case 0:
            t = Table({40, 90, 150}, {6, 10}, {4, 6, 6, 8, 5, 9});
            break;
        case 1:
            t = Table({40, 90}, {8}, {5, 7});
            break;
        case 2:
            t = Table({90}, {6, 10}, {6, 8});
            break;
        default:
            t = Table({}, {6, 10}, {});
            break;
        }
        QVERIFY(qAbs(t->PolarLookup(0, angle, wind) - speed) < 1e-5f);
    }

    void interpolate_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("x1");
        QTest::addColumn<float>("x2");
        QTest::addColumn<float>("y1");
        QTest::addColumn<float>("y2");
        QTest::addColumn<float>("y");
        QTest::newRow("equal x") << 5.0f << 2.0f << 2.0f << 1.0f << 9.0f << 1.0f;
        QTest::newRow("equal y") << 5.0f << 2.0f << 4.0f << 3.0f << 3.0f << 3.0f;
        QTest::newRow("not clamped") << 3.0f << 0.0f << 1.0f << 0.0f << 2.0f << 6.0f;
    }
    void interpolate()
    {
        QFETCH(float, x);
        QFETCH(float, x1);
        QFETCH(float, x2);
        QFETCH(float, y1);
        QFETCH(float, y2);
        QFETCH(float, y);
        QCOMPARE(PolarTable::Interpolate(x, x1, x2, y1, y2), y);
    }

    void averages_data()
    {
        QTest::addColumn<float>("N");
        QTest::addColumn<float>("before");
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("heading");
        QTest::addColumn<float>("windAngle");
        QTest::addColumn<float>("speed");
        // Heading, true wind angle and boat speed all start at `before`
        // and take `value`.
        QTest::newRow("heading through north") << 2.0f << 350.0f << 10.0f << 0.0f << 0.0f << 180.0f;
        QTest::newRow("heading stays positive") << 2.0f << 10.0f << 340.0f << 355.0f << -5.0f << 175.0f;
        QTest::newRow("angle through 180") << 2.0f << 170.0f << -170.0f << 180.0f << -180.0f << 0.0f;
        // Unit vectors: atan(sin10 / 4 / (cos10 / 4 + 3 / 4)) = 2.4952.
        QTest::newRow("quarter weight") << 4.0f << 0.0f << 10.0f << 2.4952f << 2.4952f << 2.5f;
        QTest::newRow("no averaging") << 0.0f << 170.0f << 20.0f << 20.0f << 20.0f << 20.0f;
    }
    void averages()
    {
        QFETCH(float, N);
        QFETCH(float, before);
        QFETCH(float, value);
        QFETCH(float, heading);
        QFETCH(float, windAngle);
        QFETCH(float, speed);
        PolarLive live;
        live.m_fHeading = live.m_fWindAngleTrue = live.m_fBoatSpeed = before;
        live.m_fWaypointBearing = 0;
        InstrumentValues v;
        v.eTrackMode = TrackModeTrack;
        v.fHeading = v.fWindAngleTrue = v.fBoatSpeed = value;
        v.fWaypointBearing = 100;
        live.Average(v, N);
        QVERIFY2(Gap(live.m_fHeading, heading) < 1e-3f, qPrintable(QString::number(live.m_fHeading)));
        QVERIFY2(Gap(live.m_fWindAngleTrue, windAngle) < 1e-3f, qPrintable(QString::number(live.m_fWindAngleTrue)));
        QVERIFY(live.m_fHeading >= 0 && live.m_fHeading <= 360);
        QVERIFY(qAbs(live.m_fBoatSpeed - speed) < 1e-4f);
        QCOMPARE(live.m_fWaypointBearing, 100.0f);
        QCOMPARE(live.m_lTrackMode, int32_t(TrackModeTrack));
    }
};

QTEST_GUILESS_MAIN(TestPolarTable)
#include "tst_polartable.moc"
