// The program's core over the network: the instruments serve NMEA from a
// TCP server, the autopilot takes APB as UDP datagrams, both on loopback.

#include "SteeringCore.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace {

// A sentence with its checksum, worked out here.
QByteArray Sentence(const QByteArray& body)
{
    unsigned x = 0;
    for (char c : body.mid(1))
        x ^= static_cast<unsigned char>(c);
    const char* digits = "0123456789ABCDEF";
    return body + '*' + digits[x >> 4] + digits[x & 15] + "\r\n";
}

QByteArray Datagrams(QUdpSocket& socket)
{
    QByteArray all;
    while (socket.hasPendingDatagrams()) {
        QByteArray one(socket.pendingDatagramSize(), '\0');
        socket.readDatagram(one.data(), one.size());
        all += one;
    }
    return all;
}

// The core connects from this thread's event loop, so the wait runs it.
QTcpSocket* NextPeer(QTcpServer& server)
{
    if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 10000))
        return nullptr;
    return server.nextPendingConnection();
}

} // namespace

class TestNetworkEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void tcpInstrumentsUdpAutopilot();
};

void TestNetworkEndToEnd::tcpInstrumentsUdpAutopilot()
{
    QTcpServer instruments;
    QUdpSocket autopilot;
    QVERIFY(instruments.listen(QHostAddress::LocalHost));
    QVERIFY(autopilot.bind(QHostAddress::LocalHost, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vanehold.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Ports]\n5=tcp://127.0.0.1:" + QByteArray::number(instruments.serverPort()) + "\n6=udp://127.0.0.1:"
               + QByteArray::number(autopilot.localPort()) + "\n[Pilot]\nPort= 6\nBearing=45\n");
    file.close();

    CoreSetup setup;
    setup.ManualTimers = true;
    setup.ProfileFile = path;
    SteeringCore core(setup);
    QStringList inputTexts;
    connect(&core, &SteeringCore::PanelText, this, [&](int panel, const QString& text) {
        if (panel == 2)
            inputTexts << text;
    });
    core.ProfileInitialize(true);
    QCOMPARE(core.Settings().m_eTrackMode, TrackModeSetup);
    QTcpSocket* peer = NextPeer(instruments);
    QVERIFY(peer);
    core.TrackSetManual();
    QCOMPARE(core.Settings().m_eTrackMode, TrackModeManual);

    peer->write(Sentence("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K")
                + Sentence("$GPRMC,123519,A,4807.038,N,01131.000,E,006.0,061.0,081226,011.0,E,A")
                + Sentence("$IIMWV,045.0,R,10.5,N,A"));
    const QByteArray apb = Sentence("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M");
    QCOMPARE(apb, QByteArray("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04\r\n"));
    QByteArray sent;
    QTRY_COMPARE_WITH_TIMEOUT(sent += Datagrams(autopilot), apb, 10000);

    // The instruments' server drops the connection: the link keeps running,
    // panel 2 tells of the reconnect and is cleared once it is made.
    inputTexts.clear();
    peer->disconnectFromHost();
    QTcpSocket* again = NextPeer(instruments);
    QVERIFY(again);
    QTRY_COMPARE_WITH_TIMEOUT(inputTexts, (QStringList{QStringLiteral("Reconnecting in 1 s"), QString()}), 10000);
    QCOMPARE(core.NmeaStatusText(), QStringLiteral("Running"));
    QVERIFY(core.NmeaPortOpen());

    core.TrackSteerTo(1);
    again->write(Sentence("$IIMWV,044.0,R,10.4,N,A"));
    QTRY_COMPARE_WITH_TIMEOUT(sent += Datagrams(autopilot),
                              apb + Sentence("$ECAPB,A,A,0.00,R,N,V,V,046.0,M,1,046.0,M,046.0,M"), 10000);

    // Off closes the connection for good.
    core.TrackSetOff();
    QTRY_VERIFY_WITH_TIMEOUT(again->state() == QAbstractSocket::UnconnectedState, 10000);
    QVERIFY(!core.NmeaPortOpen());
}

QTEST_GUILESS_MAIN(TestNetworkEndToEnd)
#include "tst_networkendtoend.moc"
