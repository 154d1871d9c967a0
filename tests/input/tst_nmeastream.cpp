#include "FakeSerialPort.h"
#include "NmeaRecorder.h"
#include "ProfileSettings.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <random>

// A recorded mix of wind, heading, speed, GPS and waypoint sentences from
// several talkers (tests/data/nmea/instrument_stream.nmea, written by
// make_stream.py beside it, which also worked out the expected values),
// fed through the port in pieces cut at arbitrary places.
class TestNmeaStream : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stream_data();
    void stream();

private:
    QString m_sStream;
};

namespace {

struct Run {
    ProfileSettings settings;
    NmeaHostRecorder host;
    std::unique_ptr<QuietDisplay> display;
    std::unique_ptr<InstrumentState> state;
    std::unique_ptr<NmeaReceiver> receiver;
    FakeSerialPort port;

    Run()
    {
        settings.m_iNmeaHeading = 0;
        settings.m_iNmeaBoatSpeed = 0;
        settings.m_iNmeaTrueWind = 1;
        settings.m_fNmeaTrueWindAverage = 2;
        settings.m_fNmeaWindIndicatorAverage = 4;
        settings.m_eTrackMode = TrackModeManual;
        display = std::make_unique<QuietDisplay>(host.events);
        state = std::make_unique<InstrumentState>(settings, display->Reports());
        receiver = std::make_unique<NmeaReceiver>(settings, *state);
        host.Attach(*receiver);
        QString error;
        port.Open(error);
        QObject::connect(&port, &SerialPort::OnComm, &port,
                         [this](int code) { receiver->MSCommNmea_OnComm(code, port); });
    }
    QStringList Events(const QString& prefix) const
    {
        QStringList out;
        for (const QString& e : host.events)
            if (e.startsWith(prefix))
                out << e.mid(prefix.size());
        return out;
    }
};

const QString Noise = QString(80, QLatin1Char('~'));

} // namespace

void TestNmeaStream::initTestCase()
{
    QFile file(QStringLiteral(VANEHOLD_TEST_DATA "/nmea/instrument_stream.nmea"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_sStream = QString::fromLatin1(file.readAll());
    QVERIFY(m_sStream.size() > 1500);
}

void TestNmeaStream::stream_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("largest");
    QTest::newRow("whole") << 0 << 0;
    QTest::newRow("byte by byte") << 0 << 1;
    for (int seed = 1; seed <= 12; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("pieces ") + NumberText::Format(double(seed), u"0"))) << seed << 3 + 9 * seed;
}

void TestNmeaStream::stream()
{
    QFETCH(int, seed);
    QFETCH(int, largest);
    Run run;
    if (largest == 0) {
        run.port.feed(m_sStream);
    } else {
        std::mt19937 random(static_cast<unsigned>(seed));
        std::uniform_int_distribution<int> size(1, largest);
        for (int at = 0; at < m_sStream.size();) {
            const int n = qMin(size(random), int(m_sStream.size()) - at);
            run.port.feed(m_sStream.mid(at, n));
            at += n;
        }
    }
    QVERIFY(!run.receiver->ReceiveBusy());

    QCOMPARE(run.Events(QStringLiteral("error ")), QStringList({
        "Checksum Error - $IIMWV,040,R,14.6,N,A*00",
        "Sentence Error - " + QString(QChar(0)) + QChar(0x13) + "$GPVTG,221.6,T,223.4,M,5.9,N,10.9,K",
        "Sentence Error - ",
        "Decode Error - $IIHDG,228.,,,,*71",
        "Decode Error - $IIMWV,,R,13.8,N,A*29",
        "Checksum Error - $IIMWV,048,R,14.4,N,A*1e",
        "Checksum Error - $IIMWV,03$IIMWV,036,R,13.9,N,A*1D",
        "Sentence Error - " + Noise,
    }));
    // Each chunk clears panel 2, so only the errors shown are fixed.
    QCOMPARE(run.Events(QStringLiteral("status ")).filter(QRegularExpression(QStringLiteral("."))), QStringList({
        "Checksum Error",
        "Sentence Error",
        "Sentence Error",
        "Checksum Error",
        "Checksum Error",
        "Sentence Error",
    }));
    QCOMPARE(run.Events(QStringLiteral("used ")), QStringList({
        "$GPRMC,080512,A,5021.314,N,00408.221,W,5.9,221.6,081226,1.8,W,A*15",
        "$HCHDG,226.0,,,1.8,W*34",
        "$WIMWV,038,R,14.2,N,A*01",
        "$VWVHW,,T,226.5,M,6.1,N,11.3,K*4D",
        "$WIMWV,039,R,14.6,N,A*04",
        "$IIMWV,041,R,14.0,N,A",
        "$GPRMB,A,0.12,R,BRX,PLY,5020.100,N,00410.500,W,2.4,231.0,5.8,V*39",
        "$IIVHW,,T,227.0,M,6.3,N,11.7,K",
        "$WIMWV,042,R,13.9,N,A*00",
        "$IIHDG,228.,,,,*71",
        "$VWVHW,,T,229.0,M,6.4,N*14",
        "$WIMWV,037,R,14.1,N,A*0D",
        "$IIHVM,2.0,W*28",
        "$WIMWV,036,R,14.8,N,A*05",
    }));
    // The RMC with status V among them: no fix, nothing taken.
    QCOMPARE(run.Events(QStringLiteral("data ")).size(), 11);
    // Only the apparent winds taken are updates: the MWV with an empty angle
    // and the true wind (computed here, so ignored) step nothing.
    QCOMPARE(run.host.events.count(QStringLiteral("step")), 5);
    QCOMPARE(run.Events(QStringLiteral("polar ")).size(), 5);
    QCOMPARE(run.Events(QStringLiteral("polar ")).last(), QStringLiteral("5 H 229.0 6.4 36.0 14.8 59.6 10.2 W 232.8 2.4"));
    QCOMPARE(run.Events(QStringLiteral("caption ")).last(), QStringLiteral("Wind W-NW@10.2"));

    const InstrumentState& s = *run.state;
    const auto near = [](float actual, double expected) { return qAbs(actual - expected) < 1e-3; };
    QVERIFY(s.HeadingValid() && s.BoatSpeedValid() && s.VariationValid() && s.WaypointValid());
    QVERIFY(s.WindApparentValid() && s.WindTrueValid() && s.WindIndicatorValid());
    QCOMPARE(s.Heading(), 229.0f);
    QCOMPARE(s.BoatSpeed(), 6.4f);
    QVERIFY(near(s.BoatSpeedAverage(), 6.3));
    QCOMPARE(s.Variation(), -2.0f);
    QVERIFY(near(s.WaypointBearing(), 232.8));
    QCOMPARE(s.WaypointRange(), 2.4f);
    QCOMPARE(s.WindAngleApparent(), 36.0f);
    QCOMPARE(s.WindSpeedApparent(), 14.8f);
    QVERIFY(near(s.WindAngleApparentAverage(), 37.468750));
    QVERIFY(near(s.WindSpeedApparentAverage(), 14.4375));
    QVERIFY(near(s.WindAngleTrue(), 59.570770));
    QVERIFY(near(s.WindSpeedTrue(), 10.185781));
    QVERIFY(near(s.WindDirectionAverage(), 286.964874));
    QVERIFY(near(s.WindSpeedAverage(), 10.213171));

    // The partial line at the end waits for the rest of it.
    run.host.events.clear();
    run.port.feed(QStringLiteral("5,R,14.0,N,A\r\n"));
    QCOMPARE(run.Events(QStringLiteral("used ")), QStringList({"$IIMWV,045,R,14.0,N,A"}));
}

QTEST_GUILESS_MAIN(TestNmeaStream)
#include "tst_nmeastream.moc"
