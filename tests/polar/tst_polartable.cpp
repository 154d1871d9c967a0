// Polar speed lookup and the live averages, on tables set up by hand.

#include "PolarSettings.h"
#include "PolarTable.h"

#include <QTest>

#include <cmath>

namespace {

using Values = QList<float>;

// Angles down the rows, wind speeds along row 0, then the speeds row by row.
void Fill(PolarTable& t, int polar, const Values& angles, const Values& winds, const Values& speeds)
{
    auto& p = t.m_fPolar[polar];
    t.m_iPolarRows[polar] = int16_t(angles.size());
    t.m_iPolarCols[polar] = int16_t(winds.size());
    for (int r = 1; r <= angles.size(); ++r) {
        p[r][0] = angles[r - 1];
        for (int c = 1; c <= winds.size(); ++c)
            p[r][c] = speeds[(r - 1) * winds.size() + c - 1];
    }
    for (int c = 1; c <= winds.size(); ++c)
        p[0][c] = winds[c - 1];
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
    PolarTable t;
    PolarTable empty;

private slots:
    void initTestCase()
    {
        Fill(t, 0, {40, 90, 150}, {6, 10}, {4, 6, 6, 8, 5, 9});
        Fill(t, 1, {40, 90}, {8}, {5, 7});
        Fill(t, 2, {90}, {6, 10}, {6, 8});
    }

    void lookup_data()
    {
        // Polar, angle, wind speed, expected speed.
        QTest::addColumn<Values>("v");
        // Polar 0: angles 40, 90, 150; winds 6, 10; speeds 4 6 / 6 8 / 5 9.
        QTest::newRow("first angle exactly") << Values{0, 40, 6, 4};
        QTest::newRow("last angle exactly") << Values{0, 150, 10, 9};
        QTest::newRow("below first angle") << Values{0, 39.9f, 6, 0};
        QTest::newRow("above last angle") << Values{0, 150.1f, 10, 0};
        QTest::newRow("between angles") << Values{0, 65, 6, 5};
        QTest::newRow("between angles and winds") << Values{0, 65, 8, 6};
        QTest::newRow("upper bracket") << Values{0, 120, 10, 8.5f};
        QTest::newRow("no wind") << Values{0, 90, 0, 0};
        QTest::newRow("half the first wind") << Values{0, 90, 3, 3};
        QTest::newRow("above last wind") << Values{0, 90, 20, 8};
        QTest::newRow("negative angle is outside") << Values{0, -45, 10, 0};
        // Polar 1: one wind column of 8 knots; angles 40 and 90, speeds 5 and 7.
        QTest::newRow("one column, at it") << Values{1, 40, 8, 5};
        QTest::newRow("one column, above it") << Values{1, 65, 30, 6};
        QTest::newRow("one column, below it") << Values{1, 65, 4, 3};
        // Polar 2: one row at 90 degrees; winds 6 and 10, speeds 6 and 8.
        QTest::newRow("one row, its angle") << Values{2, 90, 8, 7};
        QTest::newRow("one row, another angle") << Values{2, 91, 8, 0};
        // -1: a table without rows.
        QTest::newRow("no rows") << Values{-1, 90, 8, 0};
    }
    void lookup()
    {
        QFETCH(Values, v);
        const float speed = v[0] < 0 ? empty.PolarLookup(0, v[1], v[2]) : t.PolarLookup(int(v[0]), v[1], v[2]);
        QVERIFY(std::fabs(speed - v[3]) < 1e-5f);
    }

    void averages_data()
    {
        // N, the value before (heading, true wind angle and boat speed
        // alike), the new value, then the expected heading, wind angle and
        // speed.
        QTest::addColumn<Values>("v");
        QTest::newRow("heading through north") << Values{2, 350, 10, 0, 0, 180};
        QTest::newRow("heading stays positive") << Values{2, 10, 340, 355, -5, 175};
        QTest::newRow("angle through 180") << Values{2, 170, -170, 180, 180, 0};
        // Unit vectors: atan(sin10 / 4 / (cos10 / 4 + 3 / 4)) = 2.4952.
        QTest::newRow("quarter weight") << Values{4, 0, 10, 2.4952f, 2.4952f, 2.5f};
        QTest::newRow("no averaging") << Values{0, 170, 20, 20, 20, 20};
    }
    void averages()
    {
        QFETCH(Values, v);
        PolarLive live;
        live.m_fHeading = live.m_fWindAngleTrue = live.m_fBoatSpeed = v[1];
        InstrumentValues in;
        in.eTrackMode = TrackModeTrack;
        in.fHeading = in.fWindAngleTrue = in.fBoatSpeed = v[2];
        in.fWaypointBearing = 100;
        live.Average(in, v[0]);
        QVERIFY2(Gap(live.m_fHeading, v[3]) < 1e-3f, qPrintable(QString::number(live.m_fHeading)));
        QVERIFY(live.m_fHeading >= 0 && live.m_fHeading <= 360);
        QVERIFY2(Gap(live.m_fWindAngleTrue, v[4]) < 1e-3f, qPrintable(QString::number(live.m_fWindAngleTrue)));
        QVERIFY(std::fabs(live.m_fBoatSpeed - v[5]) < 1e-4f);
        // Stored as it comes.
        QCOMPARE(live.m_fWaypointBearing, 100.0f);
        QCOMPARE(live.m_lTrackMode, int32_t(TrackModeTrack));
    }
};

QTEST_GUILESS_MAIN(TestPolarTable)
#include "tst_polartable.moc"
