// The control loop on the steering core: filter gains and the refusal of a
// loop that would not settle, the +5 degree step response, modes and their
// fallbacks, the control step in each mode, steering and the alarm. Every
// step is clocked by a wind sentence, as on the boat.

#include "CoreRig.h"
#include "PilotOutput.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {

constexpr double DegToRad = 3.14159265358979 / 180;

// The apparent wind angle of a true wind (sign +1), or the true angle of an
// apparent wind (sign -1), on the wind triangle with the boat's speed.
double OtherWindAngle(double speed, double angle, double boatSpeed, int sign)
{
    return std::atan2(speed * std::sin(angle * DegToRad), speed * std::cos(angle * DegToRad) + sign * boatSpeed)
           / DegToRad;
}

} // namespace

class TestTrackControl : public QObject {
    Q_OBJECT

    // Manual; the autopilot port is the instrument port.
    static void ToManual(CoreRig& rig)
    {
        rig.core.TrackSetSetup();
        rig.core.TrackSetManual();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeManual);
    }
    // Track on apparent wind 40 at 15 knots, boat speed 6: one step in
    // Manual first.
    static void ToTrack(CoreRig& rig)
    {
        ToManual(rig);
        rig.Wind(40, 15);
        rig.core.TrackSetTrack();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeTrack);
    }
    // A true wind sensor's sentence; with averaging off the angle is taken
    // as sent.
    static void TrueWind(CoreRig& rig, float angle)
    {
        rig.Feed({QStringLiteral("$IIMWV,") + NumberText::Format(angle, u"0.0") + QStringLiteral(",T,15.0,N,A")});
    }

private slots:
    void trackTakesOnlyASettlingLoop_data()
    {
        QTest::addColumn<float>("bandwidth");
        QTest::addColumn<float>("damping");
        QTest::addColumn<QString>("refused"); // "" when Track is taken
        const QString belowZero = QStringLiteral("Track Refused - Bandwidth Must Be Above 0");
        QTest::newRow("defaults") << 20.0f << 4.0f << "";
        QTest::newRow("zero") << 0.0f << 4.0f << belowZero;
        QTest::newRow("negative") << -20.0f << 4.0f << belowZero;
        QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << 4.0f << belowZero;
        // At damping 4 the loop settles from a bandwidth of 1.94 s up.
        QTest::newRow("shortest in tenths") << 2.0f << 4.0f << "";
        QTest::newRow("too short") << 1.92f << 4.0f << "Track Refused - Bandwidth Must Be At Least 2.0";
        QTest::newRow("no damping") << 20.0f << 0.0f << "Track Refused - Damping Must Be Above 0";
    }
    void trackTakesOnlyASettlingLoop()
    {
        QFETCH(float, bandwidth);
        QFETCH(float, damping);
        QFETCH(QString, refused);
        CoreRig rig;
        ToManual(rig);
        rig.core.TrackSetTrack();
        const double k1 = rig.core.Track().FilterK1();
        const double k2 = rig.core.Track().FilterK2();
        QVERIFY(std::fabs(k1 - 0.2 / 65) < 1e-12);
        QVERIFY(std::fabs(k2 - (0.2 - 0.2 / 65)) < 1e-12);
        rig.core.TrackSetManual();
        rig.settings.m_fTrackBandwidth = bandwidth;
        rig.settings.m_fTrackDamping = damping;
        rig.core.TrackSetTrack();
        QCOMPARE(rig.panel[3].startsWith(QLatin1String("Track Refused")) ? rig.panel[3] : QString(), refused);
        if (refused.isEmpty()) {
            QCOMPARE(rig.settings.m_eTrackMode, TrackModeTrack);
            const double a = 4 / double(bandwidth);
            QVERIFY(std::fabs(rig.core.Track().FilterK1() - a / (4 * damping * damping + 1)) < 1e-12);
            QCOMPARE(rig.core.Track().FilterS(), 0.0);
            return;
        }
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeManual);
        QVERIFY(rig.pressed[TrackModeManual]);
        QVERIFY(!rig.pressed[TrackModeTrack]);
        QCOMPARE(rig.panel[1], QStringLiteral("Manual"));
        QCOMPARE(rig.core.Track().FilterK1(), k1);
        QCOMPARE(rig.core.Track().FilterK2(), k2);
    }

    // Constant +5 degree apparent error with the default gains, step by
    // step against the filter worked out here.
    void constantErrorMovesTheHeading()
    {
        CoreRig rig;
        ToTrack(rig);
        rig.settings.m_fDesired[1] = 35; // wind 5 degrees above the target
        rig.settings.m_fAutoPilot = 100;

        const double a = 4.0 / 20;
        const double k1 = a / (4 * 4 * 4 + 1);
        const double k2 = a - k1;
        double s = 0;
        float heading = 100;
        float previousMove = 0;
        for (int step = 1; step <= 30; ++step) {
            rig.Wind(40, 15);
            const double u = 5 + s;
            s += k1 * 5;
            const float expected = float(heading + k2 * u);
            const float move = expected - heading;
            heading = expected;
            QVERIFY2(std::fabs(rig.settings.m_fAutoPilot - expected) < 1e-4f, qPrintable(NumberText::Format(double(step), u"0")));
            if (step == 1)
                QVERIFY(std::fabs(move - 0.9846) < 0.001);
            else
                QVERIFY(move > previousMove);
            previousMove = move;
            QCOMPARE(rig.autoPilotText, NumberText::Format(expected, u"0.0"));
        }
        QVERIFY(std::fabs(rig.core.Track().FilterS() - 30 * 5 * k1) < 1e-9);
        QVERIFY(std::fabs(5 * k1 - 0.0154) < 0.0001);
        // Each step also sends its heading and tells the chart.
        QCOMPARE(rig.pilotData.size(), 31);
        QCOMPARE(rig.pilotData.last(), PilotSentence(heading));
        QCOMPARE(rig.chart.last(), QStringLiteral("Pilot Heading: ") + NumberText::Format(heading, u"0.00")
                                       + QStringLiteral(" deg"));
        QVERIFY(rig.chart.contains(QStringLiteral("Pilot Delta: 5.00 deg")));
    }

    // One step of 5 degrees moves the heading by K2 * 5 = 0.98462.
    void headingWrapsThroughNorth_data()
    {
        QTest::addColumn<float>("heading");
        QTest::addColumn<float>("desired");
        QTest::addColumn<double>("expected");
        QTest::newRow("to starboard") << 359.5f << 35.0f << 0.48462;
        QTest::newRow("to port") << 0.2f << 45.0f << 359.21538;
    }
    void headingWrapsThroughNorth()
    {
        QFETCH(float, heading);
        QFETCH(float, desired);
        QFETCH(double, expected);
        CoreRig rig;
        ToTrack(rig);
        rig.settings.m_fAutoPilot = heading;
        rig.settings.m_fDesired[1] = desired;
        rig.Wind(40, 15);
        QVERIFY(std::fabs(rig.settings.m_fAutoPilot - expected) < 1e-4);
    }

    void setupAndManualFollowTheWind()
    {
        CoreRig rig;
        rig.core.TrackSetSetup();
        rig.Wind(-52.4f, 14);
        QCOMPARE(rig.settings.m_fDesired[1], -52.4f);
        QCOMPARE(rig.settings.m_fDesired[2], rig.state.WindAngleTrue());
        QCOMPARE(rig.desired[1], QStringLiteral("-52"));
        QCOMPARE(rig.delta[1], QStringLiteral("0.0"));
        QCOMPARE(rig.delta[2], QStringLiteral("0.0"));
        QVERIFY(rig.pilotData.isEmpty());
        QCOMPARE(rig.nmea.sent(), QString());

        rig.core.TrackSetManual();
        rig.core.StoreAutoPilotText(QStringLiteral("45"));
        rig.Wind(-52.4f, 14);
        QCOMPARE(rig.pilotData, QStringList{PilotSentence(45)});
        QCOMPARE(rig.nmea.sent(), PilotSentence(45) + QStringLiteral("\r\n"));
        QCOMPARE(rig.chart, QStringList{QStringLiteral("Pilot Heading: 45.00 deg")});

        // Off closes the link; a step that still came would send nothing.
        rig.core.TrackSetOff();
        rig.core.TrackStep();
        QCOMPARE(rig.pilotData.size(), 1);
    }

    // Wind sentences in Manual: which are control steps (one APB each), and
    // what panel 3 says while a wind is unknown.
    void windSentencesClockTheLoop_data()
    {
        QTest::addColumn<int>("trueWind"); // 0 sensor, 1 computed from boat speed
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("output");
        const QString r = QStringLiteral("$IIMWV,40.0,R,15.0,N,A");
        const QString t = QStringLiteral("$IIMWV,60.0,T,12.0,N,A");
        const QString vtg = QStringLiteral("$IIVTG,,T,,M,6.0,N,,K");
        const QString wait = QStringLiteral("No Output - Waiting For ");
        QTest::newRow("no boat speed") << 1 << QStringList{r} << 0 << wait + "Boat Speed";
        QTest::newRow("computed") << 1 << QStringList{vtg, r, r} << 2 << "";
        QTest::newRow("no true wind") << 0 << QStringList{r} << 0 << wait + "True Wind";
        QTest::newRow("no apparent wind") << 0 << QStringList{t} << 0 << wait + "Apparent Wind";
        QTest::newRow("true after apparent is one step") << 0 << QStringList{t, r, t, r, t} << 2 << "";
        QTest::newRow("true alone steps") << 0 << QStringList{r, t, t, t} << 2 << "";
        QTest::newRow("status V") << 1 << QStringList{vtg, r, "$IIMWV,40.0,R,15.0,N,V"} << 1 << "";
    }
    void windSentencesClockTheLoop()
    {
        QFETCH(int, trueWind);
        QFETCH(QStringList, lines);
        QFETCH(int, steps);
        QFETCH(QString, output);
        CoreRig rig;
        rig.settings.m_iNmeaTrueWind = int16_t(trueWind);
        ToManual(rig);
        rig.Feed(lines);
        QCOMPARE(rig.pilotData.size(), steps);
        if (steps == 0)
            QCOMPARE(rig.panel[3], output);
    }

    void outputResumesAfterWaiting()
    {
        CoreRig rig;
        ToManual(rig);
        rig.Feed({QStringLiteral("$IIMWV,40.0,R,15.0,N,A")});
        QCOMPARE(rig.panel[3], QStringLiteral("No Output - Waiting For Boat Speed"));
        rig.Wind(40, 15);
        QCOMPARE(rig.pilotData.size(), 1);
        QCOMPARE(rig.panel[3], QString());
    }

    void failedStartsFallBackOneMode()
    {
        CoreRig rig;
        rig.settings.m_iNmeaPort = 0;
        rig.core.TrackSetSetup();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeOff);
        QCOMPARE(rig.panel[1], QStringLiteral("Off"));
        QVERIFY(rig.pressed[TrackModeOff]);
        QVERIFY(!rig.panel[2].isEmpty());

        rig.settings.m_iNmeaPort = 1;
        rig.settings.m_iPilotPort = 2;
        rig.core.TrackSetSetup();
        rig.pilot.failNextOpen(QStringLiteral("busy"));
        rig.core.TrackSetManual();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeSetup);
        QCOMPARE(rig.panel[1], QStringLiteral("Initialize"));
        QVERIFY(rig.pressed[TrackModeSetup]);
        QVERIFY(!rig.pressed[TrackModeManual]);
        QVERIFY(!rig.modeEnabled[TrackModeTrack]);
        QCOMPARE(rig.panel[3], QStringLiteral("busy"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped - busy"));
    }

    // The box as the user leaves it, then a steer button.
    void steeringOutsideTrackTakesTheBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // the box after leaving it
        QTest::addColumn<float>("delta");
        QTest::addColumn<QString>("shown");
        QTest::newRow("through north") << "359.5" << "359.5" << 1.0f << "0.5";
        QTest::newRow("to port through north") << "0.4" << "0.4" << -1.0f << "359.4";
        QTest::newRow("negative is a turn on") << "-5" << "355.0" << 1.0f << "356.0";
        QTest::newRow("above a turn") << "400" << "40.0" << -1.0f << "39.0";
        QTest::newRow("leading number") << "12abc" << "12.0" << 1.0f << "13.0";
        QTest::newRow("no number") << "abc" << "0.0" << -1.0f << "359.0";
        QTest::newRow("overflow keeps the heading") << "1e999" << "40.0" << 1.0f << "41.0";
    }
    void steeringOutsideTrackTakesTheBox()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(float, delta);
        QFETCH(QString, shown);
        CoreRig rig;
        ToManual(rig);
        rig.settings.m_fDesired[1] = 33;
        rig.autoPilotText = text; // typed
        rig.core.StoreAutoPilotText(text);
        QCOMPARE(rig.autoPilotText, stored);
        rig.core.TrackSteerTo(delta);
        QCOMPARE(rig.autoPilotText, shown);
        QCOMPARE(NumberText::Format(rig.settings.m_fAutoPilot, u"0.0"), shown);
        QCOMPARE(rig.settings.m_fDesired[1], 33.0f);
    }

    // Whoever steers outside Track (the Tack dialog too) reads the box
    // first: digits Track left behind the box's one decimal do not survive.
    void steeringReadsTheBoxFirst()
    {
        CoreRig rig;
        ToManual(rig);
        rig.settings.m_fAutoPilot = 41.04f;
        rig.core.AutoPilotTextEdited(QStringLiteral("41.0"));
        rig.core.TrackSteerTo(0.1f);
        QCOMPARE(NumberText::Format(rig.settings.m_fAutoPilot, u"0.000"), QStringLiteral("41.100"));
    }

    void steeringInTrackMovesHeadingAndTarget()
    {
        CoreRig rig;
        ToManual(rig);
        rig.Wind(50, 16, 6);
        rig.core.TrackSetTrack();
        rig.core.TrackSelect(TrackAngle::True);
        rig.settings.m_fDesired[2] = 92;
        rig.settings.m_fAutoPilot = 200;
        rig.Wind(50, 16, 6);
        QVERIFY(rig.core.Track().FilterS() != 0);
        const float heading = rig.settings.m_fAutoPilot;
        rig.core.TrackSteerTo(1);
        QCOMPARE(rig.settings.m_fDesired[2], 91.0f);
        QCOMPARE(rig.settings.m_fAutoPilot, float(heading + 1.0));
        QCOMPARE(rig.core.Track().FilterS(), 0.0);
        // True wind of 16 knots at 50 apparent, boat 6: 12.984 knots.
        const double trueSpeed = std::hypot(16 * std::cos(50 * DegToRad) - 6, 16 * std::sin(50 * DegToRad));
        QVERIFY(std::fabs(rig.settings.m_fDesired[1] - OtherWindAngle(trueSpeed, 91, 6, 1)) < 1e-3);
        QCOMPARE(rig.desired[2], QStringLiteral("91"));

        // Apparent tracking: the true target moves by the step, the
        // apparent one follows from it.
        rig.core.TrackSelect(TrackAngle::Apparent);
        rig.settings.m_fDesired[1] = 40;
        const double trueAngle = OtherWindAngle(16, 40, 6, -1);
        rig.core.TrackSteerTo(-1);
        QVERIFY(std::fabs(rig.settings.m_fDesired[2] - (trueAngle + 1)) < 1e-3);
        // Turning to port brings a starboard wind further aft.
        QVERIFY(rig.settings.m_fDesired[1] > 40);
    }

    void alarmRaisesAboveTheLimitAndClears()
    {
        CoreRig rig;
        rig.settings.m_iNmeaTrueWind = 0;
        rig.settings.m_fNmeaTrueWindAverage = 0;
        ToManual(rig);
        rig.Wind(40, 15);
        const float base = 60;
        TrueWind(rig, base);
        rig.core.TrackSetTrack();
        rig.core.TrackSelect(TrackAngle::True);

        rig.settings.m_fDesired[2] = base - 5; // exactly the limit
        TrueWind(rig, base);
        QCOMPARE(rig.state.WindAngleTrue(), base);
        QVERIFY(!rig.core.Track().AlarmActive());
        QCOMPARE(rig.beeps, 0);

        rig.settings.m_fDesired[2] = base - 5.6f;
        TrueWind(rig, base);
        QVERIFY(rig.core.Track().AlarmActive());
        QVERIFY(rig.alarmColour[2]);
        QVERIFY(!rig.alarmColour[1]);
        QCOMPARE(rig.panel[3], QStringLiteral("Alarm Limit Exceeded 6"));
        QCOMPARE(rig.beeps, 1);
        QCOMPARE(rig.foregrounds, 1);
        // Sounded again once a second, not on every step.
        TrueWind(rig, base);
        QCOMPARE(rig.beeps, 1);
        rig.now += 1000;
        TrueWind(rig, base);
        QCOMPARE(rig.beeps, 2);

        rig.settings.m_fDesired[2] = base + 7; // negative error
        TrueWind(rig, base);
        QCOMPARE(rig.panel[3], QStringLiteral("Alarm Limit Exceeded -7"));

        rig.alarmColour[1] = true;
        rig.settings.m_fDesired[2] = base - 5;
        TrueWind(rig, base);
        QVERIFY(!rig.core.Track().AlarmActive());
        QVERIFY(!rig.alarmColour[1]);
        QVERIFY(!rig.alarmColour[2]);
        QCOMPARE(rig.alarm, QString());
        QCOMPARE(rig.beeps, 2);
    }

    void alarmDoesNotOutliveTrack()
    {
        CoreRig rig;
        ToTrack(rig);
        rig.settings.m_fDesired[1] = 30;
        rig.Wind(40, 15);
        QVERIFY(rig.core.Track().AlarmActive());
        rig.core.TrackSetManual();
        QVERIFY(!rig.core.Track().AlarmActive());
        QVERIFY(!rig.alarmColour[1]);

        // Switched off while raised: the next step clears it.
        rig.core.TrackSetTrack();
        rig.settings.m_fDesired[1] = 30;
        rig.Wind(40, 15);
        QVERIFY(rig.core.Track().AlarmActive());
        rig.settings.m_bTrackAlarm = false;
        rig.Wind(40, 15);
        QVERIFY(!rig.core.Track().AlarmActive());
        QCOMPARE(rig.alarm, QString());
        QCOMPARE(rig.beeps, 2);
    }
};

QTEST_GUILESS_MAIN(TestTrackControl)
#include "tst_trackcontrol.moc"
