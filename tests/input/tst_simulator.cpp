// The simulated instruments of the steering core: one tick against the
// known picture, the noise, dead reckoning in simulated time, and ten
// minutes of ticks of the link timer in Manual and in Track.

#include "CoreRig.h"

#include <QTest>
#include <cmath>

namespace {

// Noise off, autopilot 40, compass offset 10, variation 11, wind from 0 at
// 12 knots, boat speed 8.
void Quiet(ProfileSettings& s)
{
    s.m_bSimulate = true;
    s.m_fSimulateNoiseAngle = 0;
    s.m_fSimulateNoiseSpeed = 0;
    s.m_fAutoPilot = 40;
    s.m_fSimulateCompassOffset = 10;
    s.m_fSimulateVariation = 11;
    s.m_fSimulateTrueWindAngle = 0;
    s.m_fSimulateTrueWindSpeed = 12;
    s.m_fSimulateBoatSpeed = 8;
}

bool Near(double a, double b, double tolerance = 1e-3)
{
    return std::fabs(a - b) < tolerance;
}

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT

private slots:
    void oneQuietTick()
    {
        CoreRig rig;
        Quiet(rig.settings);
        rig.core.TrackSetSetup();
        rig.Tick();
        QCOMPARE(rig.state.Heading(), 50.0f);
        QCOMPARE(rig.state.WindAngleTrue(), -61.0f);
        QCOMPARE(rig.state.WindSpeedTrue(), 12.0f);
        // 12 knots from 61 to port plus 8 knots of headwind.
        const double toRadians = 3.14159265358979 / 180;
        const double ahead = 12 * std::cos(61 * toRadians) + 8;
        const double abeam = -12 * std::sin(61 * toRadians);
        QVERIFY(Near(rig.state.WindAngleApparent(), std::atan2(abeam, ahead) / toRadians)); // -37.22
        QVERIFY(Near(rig.state.WindSpeedApparent(), std::hypot(ahead, abeam)));            // 17.35
        QVERIFY(rig.state.VariationValid());
        QCOMPARE(rig.state.Variation(), 11.0f);
        QVERIFY(rig.state.WindIndicatorValid());
        QVERIFY(rig.state.WaypointValid());
        QCOMPARE(rig.state.WaypointBearing(), 5.0f);
        QCOMPARE(rig.state.WaypointRange(), 10.0f);
        QCOMPARE(rig.polar.size(), 1);
    }

    // Noise settings of 4 degrees and 2 knots; every draw gives r.
    void noiseIsCentredOnZero_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("speed");
        QTest::newRow("middle") << 0.5 << -61.0f << 12.0f;
        QTest::newRow("three quarters") << 0.75 << -60.0f << 12.5f;
        QTest::newRow("lowest") << 0.0 << -63.0f << 11.0f;
    }
    void noiseIsCentredOnZero()
    {
        QFETCH(double, r);
        QFETCH(float, angle);
        QFETCH(float, speed);
        CoreRig rig([r] { return r; });
        Quiet(rig.settings);
        rig.settings.m_fSimulateNoiseAngle = 4;
        rig.settings.m_fSimulateNoiseSpeed = 2;
        rig.core.TrackSetSetup();
        rig.Tick();
        QCOMPARE(rig.state.WindAngleTrue(), angle);
        QCOMPARE(rig.state.WindSpeedTrue(), speed);
    }

    void noiseRepeatsFromRunToRun()
    {
        SimulateRandom first;
        SimulateRandom second;
        for (int i = 0; i < 1000; ++i) {
            const double r = first();
            QCOMPARE(second(), r);
            QVERIFY(r >= 0 && r < 1);
        }
        CoreRig a;
        CoreRig b;
        a.settings.m_bSimulate = b.settings.m_bSimulate = true;
        a.Tick(50);
        b.Tick(50);
        QCOMPARE(a.state.WindAngleApparent(), b.state.WindAngleApparent());
        QCOMPARE(a.state.WindSpeedTrue(), b.state.WindSpeedTrue());
    }

    void timeDeadReckonsTheWaypoint()
    {
        CoreRig rig;
        ProfileSettings& s = rig.settings;
        s.m_fSimulateBoatSpeed = 8;
        s.m_fSimulateWaypointBearing = 30;
        s.m_fSimulateWaypointRange = 10;
        s.m_fAutoPilot = 30;
        float bearing = 0;
        float range = 0;
        rig.core.SimulateTime(0, bearing, range);
        QCOMPARE(bearing, 30.0f);
        QCOMPARE(range, 10.0f);
        rig.core.SimulateTime(1, bearing, range); // one hour at 8 knots
        QVERIFY(Near(range, 2));
        QVERIFY(Near(bearing, 30));
        QCOMPARE(s.m_fSimulateTime, 1.0f);
        rig.core.SimulateTime(1, bearing, range); // same time: nothing moves
        QVERIFY(Near(range, 2));
        rig.core.SimulateTime(2, bearing, range); // past it: behind us
        QVERIFY(Near(range, 6));
        QVERIFY(Near(bearing, 30 - 180));
        rig.core.SimulateTime(1.5f, bearing, range); // back half an hour
        QVERIFY(Near(range, 2));
        QVERIFY(Near(bearing, 30 - 180));
        rig.core.SimulateTime(0, bearing, range);
        QCOMPARE(bearing, 30.0f);
        QCOMPARE(range, 10.0f);
        QCOMPARE(s.m_fSimulateTime, 0.0f);
    }

    void bearingIsNotWrapped()
    {
        CoreRig rig;
        ProfileSettings& s = rig.settings;
        s.m_fSimulateWaypointBearing = 10;
        s.m_fSimulateWaypointRange = 5;
        s.m_fAutoPilot = 10;
        float bearing = 0;
        float range = 0;
        rig.core.SimulateTime(0, bearing, range);
        rig.core.SimulateTime(1, bearing, range);
        QVERIFY(Near(bearing, -170));
        QVERIFY(Near(range, 3));
    }

    void tenMinutesInManual()
    {
        CoreRig rig;
        Quiet(rig.settings);
        rig.core.TrackSetSetup();
        rig.core.TrackSetManual();
        rig.Tick(600);
        QCOMPARE(rig.state.Heading(), 50.0f);
        QCOMPARE(rig.state.WindAngleTrue(), -61.0f);
        QCOMPARE(rig.settings.m_fDesired[2], -61.0f);
        QCOMPARE(rig.settings.m_fAutoPilot, 40.0f);
        QCOMPARE(rig.pilotData.size(), 600);
        QCOMPARE(rig.desired[2], QStringLiteral("-61"));
        QCOMPARE(rig.panel[3], QStringLiteral("Simulate"));

        // With noise the heading still carries none.
        rig.settings.m_fSimulateNoiseAngle = 4;
        rig.settings.m_fSimulateNoiseSpeed = 2;
        for (int tick = 0; tick < 600; ++tick) {
            rig.Tick();
            QCOMPARE(rig.state.Heading(), 50.0f);
            QVERIFY(std::fabs(rig.state.WindAngleTrue() + 61) <= 2.0f);
            QVERIFY(std::fabs(rig.state.WindSpeedTrue() - 12) <= 1.0f);
        }
    }

    // A 10 degree wind shift in Track: the loop turns the boat with it
    // until the wind angle is back where it was.
    void tenMinutesInTrackFollowAShift()
    {
        CoreRig rig;
        Quiet(rig.settings);
        rig.core.TrackSetSetup();
        rig.core.TrackSetManual();
        rig.Tick();
        rig.core.TrackSetTrack();
        rig.Tick(600);
        QCOMPARE(rig.settings.m_fAutoPilot, 40.0f);

        rig.settings.m_fSimulateTrueWindAngle = -10;
        rig.Tick(600);
        QVERIFY(Near(rig.settings.m_fAutoPilot, 30, 0.05));
        QVERIFY(Near(rig.state.Heading(), 40, 0.05));
        QVERIFY(Near(rig.state.WindAngleTrue(), -61, 0.05));
        QVERIFY(!rig.core.Track().AlarmActive());
        QCOMPARE(rig.pilotData.size(), 1201);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
