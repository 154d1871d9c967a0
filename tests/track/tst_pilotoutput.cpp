// The APB sentence, byte for byte, and the port it goes out on.

#include "FakeSerialPort.h"
#include "PilotOutput.h"
#include "ProfileSettings.h"

#include <QTest>

namespace {

// Independent of the receive path's checksum: XOR of every byte between
// "$" and "*".
QString Checksum(const QString& body)
{
    unsigned x = 0;
    for (QChar c : body.mid(1))
        x ^= c.unicode() & 0xFF;
    const char* digits = "0123456789ABCDEF";
    return QString(QLatin1Char(digits[x >> 4])) + QLatin1Char(digits[x & 15]);
}

} // namespace

class TestPilotOutput : public QObject {
    Q_OBJECT

private slots:
    void sentence_data()
    {
        QTest::addColumn<float>("heading");
        QTest::addColumn<QString>("bearing");
        QTest::newRow("45") << 45.0f << "045.0";
        QTest::newRow("0") << 0.0f << "000.0";
        QTest::newRow("rounds up to 360") << 359.96f << "360.0";
        QTest::newRow("typed -5, not wrapped") << -5.0f << "-005.0";
        QTest::newRow("typed 400, not wrapped") << 400.0f << "400.0";
        QTest::newRow("fraction") << 123.45f << "123.5";
    }
    void sentence()
    {
        QFETCH(float, heading);
        QFETCH(QString, bearing);
        const QString body = QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,%1,M,1,%1,M,%1,M").arg(bearing);
        QCOMPARE(PilotSentence(heading), body + QLatin1Char('*') + Checksum(body));
    }

    void theKnownSentence()
    {
        QCOMPARE(PilotSentence(45), QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04"));
    }

    void separatePortsSendOnTheAutopilotPort()
    {
        ProfileSettings settings;
        settings.m_iNmeaPort = 1;
        settings.m_iPilotPort = 2;
        FakeSerialPort nmea;
        FakeSerialPort pilot;
        QString error;
        nmea.SetCommPort(1);
        QVERIFY(nmea.Open(error));
        // Autopilot port closed: nothing goes anywhere, the sentence is
        // still returned for the Options dialog.
        QCOMPARE(PilotOutput(45, settings, nmea, pilot), PilotSentence(45));
        QCOMPARE(nmea.sent(), QString());

        pilot.SetCommPort(2);
        QVERIFY(pilot.Open(error));
        PilotOutput(45, settings, nmea, pilot);
        QCOMPARE(pilot.sent(), QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04\r\n"));
        QCOMPARE(nmea.sent(), QString());
    }

    void equalPortsSendOnTheInstrumentPort()
    {
        ProfileSettings settings;
        settings.m_iNmeaPort = 3;
        settings.m_iPilotPort = 3;
        FakeSerialPort nmea;
        FakeSerialPort pilot;
        QString error;
        pilot.SetCommPort(4);
        QVERIFY(pilot.Open(error));
        PilotOutput(10, settings, nmea, pilot);
        QCOMPARE(pilot.sent(), QString());
        nmea.SetCommPort(3);
        QVERIFY(nmea.Open(error));
        PilotOutput(10, settings, nmea, pilot);
        PilotOutput(11, settings, nmea, pilot);
        QCOMPARE(nmea.sent(), PilotSentence(10) + QStringLiteral("\r\n") + PilotSentence(11) + QStringLiteral("\r\n"));
        QCOMPARE(pilot.sent(), QString());
    }

    // The loop's sender makes a line once per heading: a heading held goes
    // out as before, a new one (and back) as its own.
    void senderSendsEachHeadingsOwnLine()
    {
        ProfileSettings settings;
        FakeSerialPort nmea;
        FakeSerialPort pilot;
        QString error;
        nmea.SetCommPort(settings.m_iNmeaPort);
        QVERIFY(nmea.Open(error));
        pilot.SetCommPort(settings.m_iPilotPort);
        QVERIFY(pilot.Open(error));
        PilotSender sender;
        QString sent;
        for (float heading : {10.0f, 10.0f, 10.04f, 11.0f, 10.0f}) {
            const QString line = sender.Send(heading, settings, nmea, pilot);
            QCOMPARE(line, PilotSentence(heading) + QStringLiteral("\r\n"));
            sent += line;
        }
        FakeSerialPort& port = settings.m_iNmeaPort != settings.m_iPilotPort ? pilot : nmea;
        QCOMPARE(port.sent(), sent);
        QVERIFY(sent.startsWith(QLatin1String("$ECAPB,A,A,0.00,R,N,V,V,010.0,M,1,010.0,M,010.0,M*")));
        QCOMPARE(sent.count(QLatin1String(",010.0,M,1,")), 4);
        QCOMPARE(sent.count(QLatin1String(",011.0,M,1,")), 1);
    }
};

QTEST_GUILESS_MAIN(TestPilotOutput)
#include "tst_pilotoutput.moc"
