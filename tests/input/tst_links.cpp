// The instrument and autopilot links over fake ports: start, stop, status
// texts, the silence watch and the autopilot port's events.

#include "LogicRig.h"

#include <QTest>

class TestLinks : public QObject {
    Q_OBJECT

private slots:
    void instrumentStartOpensThePortAndClearsTheLists()
    {
        LogicRig rig;
        rig.settings.m_iNmeaPort = 3;
        rig.state.SetHeading(10);
        rig.receiver.m_lNoInputTicks = 9;
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.nmea.PortOpen());
        QCOMPARE(rig.nmea.CommPort(), 3);
        QVERIFY(rig.timer.Enabled());
        QCOMPARE(rig.receiver.m_lNoInputTicks, 0u);
        QVERIFY(!rig.state.HeadingValid);
        QCOMPARE(rig.panel[2], QString());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Running"));
        QCOMPARE(rig.links.NmeaStatusText(), QStringLiteral("Running"));
        QCOMPARE(rig.events, QStringList{QStringLiteral("clear nmea")});
    }

    void simulatingTouchesNoPort()
    {
        LogicRig rig;
        rig.settings.m_bSimulate = true;
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.links.PilotStart());
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.pilot.PortOpen());
        QCOMPARE(rig.nmea.openCount() + rig.pilot.openCount(), 0);
        QVERIFY(rig.timer.Enabled());
        QCOMPARE(rig.panel[2], QStringLiteral("Simulate"));
        QCOMPARE(rig.panel[3], QStringLiteral("Simulate"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Simulate"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Simulate"));
        rig.countOnlySimulate = true;
        rig.links.tmrNmea_Timer();
        rig.links.tmrNmea_Timer();
        QCOMPARE(rig.simulateSteps, 2);
        QCOMPARE(rig.receiver.m_lNoInputTicks, 0u);
    }

    void failedStartsReportTheErrorText()
    {
        LogicRig rig;
        rig.settings.m_iNmeaPort = 0;
        QVERIFY(!rig.links.NmeaStart());
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.panel[2].isEmpty());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Stopped - ") + rig.panel[2]);

        rig.settings.m_iNmeaPort = 1;
        rig.settings.m_iPilotPort = 2;
        rig.pilot.failNextOpen(QStringLiteral("Port 2 (/dev/ttyS1): Permission denied"));
        QVERIFY(!rig.links.PilotStart());
        QCOMPARE(rig.panel[3], QStringLiteral("Port 2 (/dev/ttyS1): Permission denied"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped - Port 2 (/dev/ttyS1): Permission denied"));
    }

    void startingAnOpenLinkKeepsItsPort()
    {
        LogicRig rig;
        QVERIFY(rig.links.NmeaStart());
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.links.PilotStart());
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.links.PilotStart());
        QCOMPARE(rig.nmea.openCount(), 1);
        QCOMPARE(rig.pilot.openCount(), 1);
        QCOMPARE(rig.nmea.closeCount() + rig.pilot.closeCount(), 0);
        QCOMPARE(rig.panel[2], QString());
        QCOMPARE(rig.panel[3], QString());
        // A changed number does reopen.
        rig.settings.m_iNmeaPort = 7;
        QVERIFY(rig.links.NmeaStart());
        QCOMPARE(rig.nmea.CommPort(), 7);
        QVERIFY(rig.nmea.PortOpen());
    }

    void stopsCloseAndOnlyRewriteTheLabels()
    {
        LogicRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.links.PilotStart());
        rig.panel[2] = QStringLiteral("x");
        rig.panel[3] = QStringLiteral("y");
        rig.links.NmeaStop();
        rig.links.PilotStop();
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.pilot.PortOpen());
        QVERIFY(!rig.timer.Enabled());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Stopped"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped"));
        QCOMPARE(rig.panel[2], QStringLiteral("x"));
        QCOMPARE(rig.panel[3], QStringLiteral("y"));
        // Stopping stopped links is harmless.
        rig.links.NmeaStop();
        rig.links.PilotStop();
        QCOMPARE(rig.nmea.closeCount(), 1);
        QCOMPARE(rig.pilot.closeCount(), 1);
    }

    void samePortSendsOnTheInstrumentPort()
    {
        LogicRig rig;
        rig.settings.m_iNmeaPort = 4;
        rig.settings.m_iPilotPort = 4;
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.links.PilotStart());
        QVERIFY(!rig.pilot.PortOpen());
        QCOMPARE(rig.pilot.openCount(), 0);
        QCOMPARE(rig.pilotStatus, QStringLiteral("Running"));
        rig.links.PilotStop();
        QVERIFY(rig.nmea.PortOpen());
    }

    void silenceShowsNoInputDataFromTheFourthTick()
    {
        LogicRig rig;
        QVERIFY(rig.links.NmeaStart());
        for (int tick = 1; tick <= 3; ++tick) {
            rig.links.tmrNmea_Timer();
            QCOMPARE(rig.panel[2], QString());
        }
        rig.links.tmrNmea_Timer();
        QCOMPARE(rig.panel[2], QStringLiteral("No Input Data"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("No Input Data"));
        rig.links.tmrNmea_Timer();
        QCOMPARE(rig.panel[2], QStringLiteral("No Input Data"));

        // The first character clears the panel; the label keeps its text.
        rig.nmea.feed(QStringLiteral("$"));
        QCOMPARE(rig.panel[2], QString());
        rig.panel[2] = QStringLiteral("Checksum Error");
        rig.links.tmrNmea_Timer(); // first quiet tick clears what the flag still owns
        QCOMPARE(rig.panel[2], QString());
        rig.panel[2] = QStringLiteral("Checksum Error");
        rig.links.tmrNmea_Timer();
        QCOMPARE(rig.panel[2], QStringLiteral("Checksum Error"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("No Input Data"));
    }

    void aClosedPortCountsNoSilence()
    {
        LogicRig rig;
        rig.settings.m_iNmeaPort = 0;
        QVERIFY(!rig.links.NmeaStart());
        const QString error = rig.panel[2];
        for (int tick = 0; tick < 6; ++tick)
            rig.links.tmrNmea_Timer();
        QCOMPARE(rig.panel[2], error);
        QCOMPARE(rig.receiver.m_lNoInputTicks, 0u);
    }

    void autopilotPortEvents_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("break") << 1001 << "Break Signal Received";
        QTest::newRow("framing") << 1004 << "Framing Error";
        QTest::newRow("overrun") << 1006 << "Port Overrun";
        QTest::newRow("rx overflow") << 1008 << "Rx Overflow";
        QTest::newRow("parity") << 1009 << "Parity Error";
        QTest::newRow("receive") << 2 << "Receive Error";
        QTest::newRow("other") << 3 << "Event 3";
        QTest::newRow("large") << 1010 << "Event 1010";
    }
    void autopilotPortEvents()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        LogicRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.links.PilotStart());
        rig.pilot.raise(code);
        QCOMPARE(rig.panel[3], text);
        QCOMPARE(rig.pilotStatus, QStringLiteral("Running"));
    }

    void autopilotChatterIsDropped()
    {
        LogicRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.links.PilotStart());
        rig.pilot.feed(QStringLiteral("$APHDG,1,,,,*00\r\n"));
        QCOMPARE(rig.panel[3], QStringLiteral("Receive Error"));
        QCOMPARE(rig.pilot.pending(), QString());
    }

    void lostDevicesStopTheirLinks()
    {
        LogicRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.links.NmeaStart());
        QVERIFY(rig.links.PilotStart());
        rig.pilot.raise(SerialPort::comEventDeviceLost);
        QVERIFY(!rig.pilot.PortOpen());
        QCOMPARE(rig.panel[3], QStringLiteral("Port Closed - ") + rig.pilot.LastError());
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped - ") + rig.pilot.LastError());

        rig.nmea.raise(SerialPort::comEventDeviceLost);
        QVERIFY(!rig.nmea.PortOpen());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Stopped - ") + rig.nmea.LastError());
        QVERIFY(!rig.panel[2].isEmpty());
        // The panel keeps the loss; silence is not counted on a closed port.
        const QString lost = rig.panel[2];
        for (int tick = 0; tick < 5; ++tick)
            rig.links.tmrNmea_Timer();
        QCOMPARE(rig.panel[2], lost);
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
