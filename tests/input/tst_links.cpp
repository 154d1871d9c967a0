// The instrument and autopilot links of the steering core over fake ports:
// start, stop, status texts, the silence watch and the autopilot port's
// events.

#include "CoreRig.h"

#include <QTest>

class TestLinks : public QObject {
    Q_OBJECT

private slots:
    void instrumentStartOpensThePortAndClearsTheLists()
    {
        CoreRig rig;
        QVERIFY(rig.core.NmeaStart());
        rig.Feed({QStringLiteral("$IIVTG,10.0,T,10.0,M,6.0,N,,K")});
        QVERIFY(rig.state.HeadingValid());
        QCOMPARE(rig.values[int(InstrumentValue::Heading)], QStringLiteral("10"));
        rig.Tick(3); // silent ticks that the start must forget
        rig.events.clear();
        rig.settings.m_iNmeaPort = 3;
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.nmea.PortOpen());
        QCOMPARE(rig.nmea.CommPort(), 3);
        QVERIFY(rig.core.tmrNmea().Enabled());
        QVERIFY(!rig.state.HeadingValid());
        QCOMPARE(rig.values[int(InstrumentValue::Heading)], QString());
        QCOMPARE(rig.panel[2], QString());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Running"));
        QCOMPARE(rig.core.NmeaStatusText(), QStringLiteral("Running"));
        QCOMPARE(rig.events, QStringList{QStringLiteral("clear nmea")});
        rig.Tick(3);
        QCOMPARE(rig.panel[2], QString());
        rig.Tick();
        QCOMPARE(rig.panel[2], QStringLiteral("No Input Data"));
    }

    void simulatingTouchesNoPort()
    {
        CoreRig rig;
        rig.settings.m_bSimulate = true;
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.core.PilotStart());
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.pilot.PortOpen());
        QCOMPARE(rig.nmea.openCount() + rig.pilot.openCount(), 0);
        QVERIFY(rig.core.tmrNmea().Enabled());
        QCOMPARE(rig.panel[2], QStringLiteral("Simulate"));
        QCOMPARE(rig.panel[3], QStringLiteral("Simulate"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Simulate"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Simulate"));
        // Each tick is one simulation step, none counts as silence.
        rig.Tick(5);
        QCOMPARE(rig.polar.size(), 5);
        QCOMPARE(rig.panel[2], QStringLiteral("Simulate"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Simulate"));
    }

    void failedStartsReportTheErrorText()
    {
        CoreRig rig;
        rig.settings.m_iNmeaPort = 0;
        QVERIFY(!rig.core.NmeaStart());
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.panel[2].isEmpty());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Stopped - ") + rig.panel[2]);

        rig.settings.m_iNmeaPort = 1;
        rig.settings.m_iPilotPort = 2;
        rig.pilot.failNextOpen(QStringLiteral("Port 2 (/dev/ttyS1): Permission denied"));
        QVERIFY(!rig.core.PilotStart());
        QCOMPARE(rig.panel[3], QStringLiteral("Port 2 (/dev/ttyS1): Permission denied"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped - Port 2 (/dev/ttyS1): Permission denied"));
    }

    void startingAnOpenLinkKeepsItsPort()
    {
        CoreRig rig;
        QVERIFY(rig.core.NmeaStart());
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.core.PilotStart());
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.core.PilotStart());
        QCOMPARE(rig.nmea.openCount(), 1);
        QCOMPARE(rig.pilot.openCount(), 1);
        QCOMPARE(rig.nmea.closeCount() + rig.pilot.closeCount(), 0);
        QCOMPARE(rig.panel[2], QString());
        QCOMPARE(rig.panel[3], QString());
        // A changed number does reopen.
        rig.settings.m_iNmeaPort = 7;
        QVERIFY(rig.core.NmeaStart());
        QCOMPARE(rig.nmea.CommPort(), 7);
        QVERIFY(rig.nmea.PortOpen());
    }

    void stopsCloseAndOnlyRewriteTheLabels()
    {
        CoreRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.core.PilotStart());
        rig.panel[2] = QStringLiteral("x");
        rig.panel[3] = QStringLiteral("y");
        rig.core.NmeaStop();
        rig.core.PilotStop();
        QVERIFY(!rig.nmea.PortOpen());
        QVERIFY(!rig.pilot.PortOpen());
        QVERIFY(!rig.core.tmrNmea().Enabled());
        QCOMPARE(rig.nmeaStatus, QStringLiteral("Stopped"));
        QCOMPARE(rig.pilotStatus, QStringLiteral("Stopped"));
        QCOMPARE(rig.core.PilotStatusText(), QStringLiteral("Stopped"));
        QCOMPARE(rig.panel[2], QStringLiteral("x"));
        QCOMPARE(rig.panel[3], QStringLiteral("y"));
        // Stopping stopped links is harmless.
        rig.core.NmeaStop();
        rig.core.PilotStop();
        QCOMPARE(rig.nmea.closeCount(), 1);
        QCOMPARE(rig.pilot.closeCount(), 1);
    }

    void samePortSendsOnTheInstrumentPort()
    {
        CoreRig rig;
        rig.settings.m_iNmeaPort = 4;
        rig.settings.m_iPilotPort = 4;
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.core.PilotStart());
        QVERIFY(!rig.pilot.PortOpen());
        QCOMPARE(rig.pilot.openCount(), 0);
        QCOMPARE(rig.pilotStatus, QStringLiteral("Running"));
        rig.core.PilotStop();
        QVERIFY(rig.nmea.PortOpen());
    }

    void silenceShowsNoInputDataFromTheFourthTick()
    {
        CoreRig rig;
        QVERIFY(rig.core.NmeaStart());
        for (int tick = 1; tick <= 3; ++tick) {
            rig.Tick();
            QCOMPARE(rig.panel[2], QString());
        }
        rig.Tick();
        QCOMPARE(rig.panel[2], QStringLiteral("No Input Data"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("No Input Data"));
        rig.Tick();
        QCOMPARE(rig.panel[2], QStringLiteral("No Input Data"));

        // The first character clears the panel; the label keeps its text.
        rig.nmea.feed(QStringLiteral("$"));
        QCOMPARE(rig.panel[2], QString());
        const QString badLine = QStringLiteral("IIHVM,3.1,W*00\r\n");
        rig.nmea.feed(badLine);
        QCOMPARE(rig.panel[2], QStringLiteral("Checksum Error"));
        rig.Tick(); // first quiet tick clears what the flag still owns
        QCOMPARE(rig.panel[2], QString());
        rig.nmea.feed(QLatin1Char('$') + badLine);
        rig.Tick();
        QCOMPARE(rig.panel[2], QStringLiteral("Checksum Error"));
        QCOMPARE(rig.nmeaStatus, QStringLiteral("No Input Data"));
        // Input restarts the count.
        rig.Tick(2);
        QCOMPARE(rig.panel[2], QStringLiteral("Checksum Error"));
    }

    void aClosedPortCountsNoSilence()
    {
        CoreRig rig;
        rig.settings.m_iNmeaPort = 0;
        QVERIFY(!rig.core.NmeaStart());
        const QString error = rig.panel[2];
        rig.Tick(6);
        QCOMPARE(rig.panel[2], error);
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
        CoreRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.core.PilotStart());
        rig.pilot.raise(code);
        QCOMPARE(rig.panel[3], text);
        QCOMPARE(rig.pilotStatus, QStringLiteral("Running"));
    }

    void autopilotChatterIsDropped()
    {
        CoreRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.core.PilotStart());
        rig.pilot.feed(QStringLiteral("$APHDG,1,,,,*00\r\n"));
        QCOMPARE(rig.panel[3], QStringLiteral("Receive Error"));
        QCOMPARE(rig.pilot.pending(), QString());
    }

    void lostDevicesStopTheirLinks()
    {
        CoreRig rig;
        rig.settings.m_iPilotPort = 6;
        QVERIFY(rig.core.NmeaStart());
        QVERIFY(rig.core.PilotStart());
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
        rig.Tick(5);
        QCOMPARE(rig.panel[2], lost);
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
