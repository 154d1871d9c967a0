// The control loop: filter gains, the +5 degree step response, modes and
// their fallbacks, the control step in each mode, steering and the alarm.

#include "LogicRig.h"
#include "MathLib.h"
#include "PilotOutput.h"

#include <QTest>
#include <cmath>
#include <limits>

class TestTrackControl : public QObject {
    Q_OBJECT

    // Manual with wind known; the autopilot port is the instrument port.
    static void ToManual(LogicRig& rig)
    {
        rig.track.TrackSetSetup();
        rig.track.TrackSetManual();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeManual);
    }

private slots:
    void defaultGains()
    {
        LogicRig rig;
        QVERIFY(rig.track.TrackFilterInit());
        QVERIFY(std::fabs(rig.track.FilterK1() - 0.2 / 65) < 1e-12);
        QVERIFY(std::fabs(rig.track.FilterK2() - (0.2 - 0.2 / 65)) < 1e-12);
        QCOMPARE(rig.track.FilterS(), 0.0);
    }

    void bandwidthNotAboveZeroRefusesTrack_data()
    {
        QTest::addColumn<float>("bandwidth");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("negative") << -20.0f;
        QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN();
    }
    void bandwidthNotAboveZeroRefusesTrack()
    {
        QFETCH(float, bandwidth);
        LogicRig rig;
        ToManual(rig);
        rig.track.TrackSetTrack();
        const double k1 = rig.track.FilterK1();
        const double k2 = rig.track.FilterK2();
        rig.track.TrackSetManual();
        rig.settings.m_fTrackBandwidth = bandwidth;
        rig.track.TrackSetTrack();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeManual);
        QVERIFY(rig.pressed[TrackModeManual]);
        QVERIFY(!rig.pressed[TrackModeTrack]);
        QCOMPARE(rig.panel[1], QStringLiteral("Manual"));
        QCOMPARE(rig.panel[3], TrackControl::BandwidthRefusedText());
        QCOMPARE(rig.track.FilterK1(), k1);
        QCOMPARE(rig.track.FilterK2(), k2);
    }

    // Constant +5 degree apparent error with the default gains, step by
    // step against the filter worked out here.
    void constantErrorMovesTheHeading()
    {
        LogicRig rig;
        ToManual(rig);
        rig.Wind(40, 15);
        rig.track.TrackStep();
        rig.track.TrackSetTrack();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeTrack);
        rig.settings.m_fDesired[1] = 35; // wind 5 degrees above the target
        rig.settings.m_fAutoPilot = 100;

        const double a = 4.0 / 20;
        const double k1 = a / (4 * 4 * 4 + 1);
        const double k2 = a - k1;
        double s = 0;
        float heading = 100;
        float previousMove = 0;
        for (int step = 1; step <= 30; ++step) {
            rig.track.TrackStep();
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
        QVERIFY(std::fabs(rig.track.FilterS() - 30 * 5 * k1) < 1e-9);
        QVERIFY(std::fabs(5 * k1 - 0.0154) < 0.0001);
        // Each step also sends its heading and tells the chart.
        QCOMPARE(rig.pilotData.size(), 31);
        QCOMPARE(rig.pilotData.last(), PilotSentence(heading));
        QCOMPARE(rig.chart.last(), QStringLiteral("Pilot Heading: ") + NumberText::Format(heading, u"0.00")
                                       + QStringLiteral(" deg"));
        QVERIFY(rig.chart.contains(QStringLiteral("Pilot Delta: 5.0 deg")));
    }

    void headingWrapsThroughNorth()
    {
        LogicRig rig;
        rig.track.TrackFilterInit();
        float heading = 359.5f;
        rig.track.TrackFilter(5, heading);
        QVERIFY(heading >= 0 && heading < 1);
        rig.track.TrackFilterInit();
        heading = 0.2f;
        rig.track.TrackFilter(-5, heading);
        QVERIFY(heading > 359 && heading < 360);
    }

    void setupAndManualFollowTheWind()
    {
        LogicRig rig;
        rig.track.TrackSetSetup();
        rig.Wind(-52.4f, 14);
        rig.track.TrackStep();
        QCOMPARE(rig.settings.m_fDesired[1], rig.state.WindAngleApparent);
        QCOMPARE(rig.settings.m_fDesired[2], rig.state.WindAngleTrue);
        QCOMPARE(rig.desired[1], QStringLiteral("-52"));
        QCOMPARE(rig.delta[1], QStringLiteral("0.0"));
        QCOMPARE(rig.delta[2], QStringLiteral("0.0"));
        QVERIFY(rig.pilotData.isEmpty());
        QCOMPARE(rig.nmea.sent(), QString());

        rig.track.TrackSetManual();
        rig.settings.m_fAutoPilot = 45;
        rig.track.TrackStep();
        QCOMPARE(rig.pilotData, QStringList{PilotSentence(45)});
        QCOMPARE(rig.nmea.sent(), PilotSentence(45) + QStringLiteral("\r\n"));
        QCOMPARE(rig.chart, QStringList{QStringLiteral("Pilot Heading: 45.00 deg")});

        rig.track.TrackSetOff();
        rig.track.TrackStep();
        QCOMPARE(rig.pilotData.size(), 1);
    }

    void failedStartsFallBackOneMode()
    {
        LogicRig rig;
        rig.settings.m_iNmeaPort = 0;
        rig.track.TrackSetSetup();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeOff);
        QCOMPARE(rig.panel[1], QStringLiteral("Off"));
        QVERIFY(rig.pressed[TrackModeOff]);
        QVERIFY(!rig.panel[2].isEmpty());

        rig.settings.m_iNmeaPort = 1;
        rig.settings.m_iPilotPort = 2;
        rig.track.TrackSetSetup();
        rig.pilot.failNextOpen(QStringLiteral("busy"));
        rig.track.TrackSetManual();
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeSetup);
        QCOMPARE(rig.panel[1], QStringLiteral("Initialize"));
        QVERIFY(rig.pressed[TrackModeSetup]);
        QVERIFY(!rig.pressed[TrackModeManual]);
        QVERIFY(!rig.modeEnabled[TrackModeTrack]);
        QCOMPARE(rig.panel[3], QStringLiteral("busy"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped - busy"));
    }

    void steeringOutsideTrackReadsTheBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("delta");
        QTest::addColumn<QString>("shown");
        QTest::newRow("through north") << "359.5" << 1.0f << "0.5";
        QTest::newRow("to port through north") << "0.4" << -1.0f << "359.4";
        QTest::newRow("leading number") << "12abc" << 1.0f << "13.0";
        QTest::newRow("no number") << "abc" << -1.0f << "359.0";
        QTest::newRow("overflow keeps the heading") << "1e999" << 1.0f << "41.0";
    }
    void steeringOutsideTrackReadsTheBox()
    {
        QFETCH(QString, text);
        QFETCH(float, delta);
        QFETCH(QString, shown);
        LogicRig rig;
        ToManual(rig);
        rig.settings.m_fDesired[1] = 33;
        rig.autoPilotText = text;
        rig.track.TrackSteerTo(delta);
        QCOMPARE(rig.autoPilotText, shown);
        QCOMPARE(NumberText::Format(rig.settings.m_fAutoPilot, u"0.0"), shown);
        QCOMPARE(rig.settings.m_fDesired[1], 33.0f);
    }

    void steeringInTrackMovesHeadingAndTarget()
    {
        LogicRig rig;
        ToManual(rig);
        rig.Wind(50, 16, 6);
        rig.track.TrackStep();
        rig.track.TrackSetTrack();
        rig.track.optControl_Click(2);
        rig.settings.m_fDesired[2] = 92;
        rig.settings.m_fAutoPilot = 200;
        rig.track.TrackStep();
        QVERIFY(rig.track.FilterS() != 0);
        const float heading = rig.settings.m_fAutoPilot;
        rig.track.TrackSteerTo(1);
        QCOMPARE(rig.settings.m_fDesired[2], 91.0f);
        QCOMPARE(rig.settings.m_fAutoPilot, float(heading + 1.0));
        QCOMPARE(rig.track.FilterS(), 0.0);
        float speed = 0;
        float angle = 0;
        MathLib::WindApparentFromTrue(rig.state.WindSpeedTrue, 91, rig.state.BoatSpeed, speed, angle);
        QCOMPARE(rig.settings.m_fDesired[1], angle);
        QCOMPARE(rig.desired[2], QStringLiteral("91"));

        // Apparent tracking: the true target moves by the step, the
        // apparent one follows from it.
        rig.track.optControl_Click(1);
        rig.settings.m_fDesired[1] = 40;
        MathLib::WindTrueFromApparent(rig.state.WindSpeedApparent, 40, rig.state.BoatSpeed, speed, angle);
        rig.track.TrackSteerTo(-1);
        QVERIFY(std::fabs(rig.settings.m_fDesired[2] - (angle + 1)) < 1e-4f);
        // Turning to port brings a starboard wind further aft.
        QVERIFY(rig.settings.m_fDesired[1] > 40);
    }

    void alarmRaisesAboveTheLimitAndClears()
    {
        LogicRig rig;
        ToManual(rig);
        rig.Wind(40, 15);
        rig.track.TrackStep();
        rig.track.TrackSetTrack();
        rig.track.optControl_Click(2);
        const float base = 60;
        rig.state.WindAngleTrue = base;

        rig.settings.m_fDesired[2] = base - 5; // exactly the limit
        rig.track.TrackStep();
        QVERIFY(!rig.track.AlarmActive());
        QCOMPARE(rig.beeps, 0);

        rig.settings.m_fDesired[2] = base - 5.6f;
        rig.track.TrackStep();
        QVERIFY(rig.track.AlarmActive());
        QVERIFY(rig.alarmColour[2]);
        QVERIFY(!rig.alarmColour[1]);
        QCOMPARE(rig.panel[3], QStringLiteral("Alarm Limit Exceeded 6"));
        QCOMPARE(rig.beeps, 1);
        QCOMPARE(rig.foregrounds, 1);
        rig.track.TrackStep();
        QCOMPARE(rig.beeps, 2);

        rig.settings.m_fDesired[2] = base + 7; // negative error
        rig.track.TrackStep();
        QCOMPARE(rig.panel[3], QStringLiteral("Alarm Limit Exceeded -7"));

        rig.alarmColour[1] = true;
        rig.settings.m_fDesired[2] = base - 5;
        rig.track.TrackStep();
        QVERIFY(!rig.track.AlarmActive());
        QVERIFY(!rig.alarmColour[1]);
        QVERIFY(!rig.alarmColour[2]);
        QCOMPARE(rig.panel[3], QString());
        QCOMPARE(rig.beeps, 3);
    }

    void alarmDoesNotOutliveTrack()
    {
        LogicRig rig;
        ToManual(rig);
        rig.Wind(40, 15);
        rig.track.TrackStep();
        rig.track.TrackSetTrack();
        rig.settings.m_fDesired[1] = rig.state.WindAngleApparent - 10;
        rig.track.TrackStep();
        QVERIFY(rig.track.AlarmActive());
        rig.track.TrackSetManual();
        QVERIFY(!rig.track.AlarmActive());
        QVERIFY(!rig.alarmColour[1]);

        // Switched off while raised: the next step clears it.
        rig.track.TrackSetTrack();
        rig.settings.m_fDesired[1] = rig.state.WindAngleApparent - 10;
        rig.track.TrackStep();
        QVERIFY(rig.track.AlarmActive());
        rig.settings.m_bTrackAlarm = false;
        rig.track.TrackStep();
        QVERIFY(!rig.track.AlarmActive());
        QCOMPARE(rig.panel[3], QString());
        QCOMPARE(rig.beeps, 2);
    }

    void separatorsOfTheToolbarDoNothing()
    {
        LogicRig rig;
        rig.track.tbrTrack_ButtonClick(3);
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeSetup);
        for (int index : {0, 2, 4, 6, 8})
            rig.track.tbrTrack_ButtonClick(index);
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeSetup);
        rig.track.tbrTrack_ButtonClick(1);
        QCOMPARE(rig.settings.m_eTrackMode, TrackModeOff);
    }
};

QTEST_GUILESS_MAIN(TestTrackControl)
#include "tst_trackcontrol.moc"
