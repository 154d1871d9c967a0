#include "NetworkSerialPort.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

namespace {

// A loopback port that nobody listens on (just now).
template <typename Socket>
quint16 FreePort(Socket& socket)
{
    return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
}

// Every event code, the pause shown with each reconnect, and the text read.
struct Recorder {
    QList<int> events;
    QList<int> pauses;
    QString text;
    void Attach(NetworkSerialPort& port)
    {
        QObject::connect(&port, &SerialPort::OnComm, &port, [this, &port](int code) {
            events.append(code);
            if (code == SerialPort::comEventReconnecting)
                pauses.append(port.PauseMs());
            if (code == SerialPort::comEvReceive)
                text += port.Input();
        });
    }
};

// The port connects from this thread's event loop, so the wait runs it.
QTcpSocket* NextPeer(QTcpServer& server)
{
    if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 10000))
        return nullptr;
    return server.nextPendingConnection();
}

} // namespace

class TestNetworkSerialPort : public QObject {
    Q_OBJECT
private slots:
    void endpointForms_data();
    void endpointForms();
    void tcpPeerGoneIsReconnected();
    void udpListenReceivesAndRefusesOutput();
};

void TestNetworkSerialPort::endpointForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("network");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("error");
    const int tcp = NetworkEndpoint::TcpClient;
    const int listen = NetworkEndpoint::UdpListen;
    const int send = NetworkEndpoint::UdpSend;
    QTest::newRow("tcp address") << "tcp://192.168.1.20:10110" << true << tcp << "192.168.1.20" << 10110 << "";
    QTest::newRow("tcp name, upper case") << "TCP://mux-1.local:2000" << true << tcp << "mux-1.local" << 2000 << "";
    QTest::newRow("tcp ipv6") << "tcp://[::1]:65535" << true << tcp << "::1" << 65535 << "";
    QTest::newRow("udp listen, blanks") << " udp://:10110 " << true << listen << "" << 10110 << "";
    QTest::newRow("udp broadcast") << "udp://192.168.1.255:1" << true << send << "192.168.1.255" << 1 << "";
    QTest::newRow("device path") << "/dev/ttyUSB0" << false << 0 << "" << 0
                                 << "not a network endpoint, use tcp://host:port or udp://host:port";
    QTest::newRow("no port") << "tcp://192.168.1.20" << true << 0 << "" << 0 << "port number missing";
    QTest::newRow("empty port") << "tcp://host:" << true << 0 << "" << 0 << "port number missing";
    QTest::newRow("tcp without host") << "tcp://:10110" << true << 0 << "" << 0 << "host missing";
    QTest::newRow("port 0") << "tcp://host:0" << true << 0 << "" << 0
                            << "port \"0\" is not a number from 1 to 65535";
    QTest::newRow("port too big") << "udp://:65536" << true << 0 << "" << 0
                                  << "port \"65536\" is not a number from 1 to 65535";
    QTest::newRow("signed port") << "tcp://host:+80" << true << 0 << "" << 0
                                 << "port \"+80\" is not a number from 1 to 65535";
    QTest::newRow("trailing slash") << "tcp://host:80/" << true << 0 << "" << 0
                                    << "port \"80/\" is not a number from 1 to 65535";
    QTest::newRow("other kind") << "http://host:80" << true << 0 << "" << 0
                                << "unknown kind \"http\", use tcp:// or udp://";
    QTest::newRow("bad ipv4") << "tcp://192.168.1.300:10110" << true << 0 << "" << 0
                              << "invalid IPv4 address \"192.168.1.300\"";
    QTest::newRow("bare ipv6") << "tcp://::1:10110" << true << 0 << "" << 0
                               << "an IPv6 address goes in brackets, as [::1]";
    QTest::newRow("open bracket") << "tcp://[::1:10110" << true << 0 << "" << 0
                                  << "missing \"]\" after the IPv6 address";
    QTest::newRow("ipv4 in brackets") << "tcp://[10.0.0.1]:10110" << true << 0 << "" << 0
                                      << "invalid IPv6 address \"10.0.0.1\"";
    QTest::newRow("blank in name") << "tcp://my mux:10110" << true << 0 << "" << 0
                                   << "invalid host name \"my mux\"";
}

void TestNetworkSerialPort::endpointForms()
{
    QFETCH(QString, text);
    QFETCH(bool, network);
    QFETCH(int, kind);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, error);
    QCOMPARE(IsNetworkName(text), network);
    NetworkEndpoint endpoint;
    QString why;
    QCOMPARE(ParseNetworkEndpoint(text, endpoint, why), error.isEmpty());
    QCOMPARE(why, error);
    if (!error.isEmpty()) {
        // Open names the port and the endpoint in front of the reason.
        NetworkSerialPort open([&](int) { return text; });
        open.SetCommPort(5);
        QVERIFY(!open.Open(why));
        QCOMPARE(why, QStringLiteral("Port 5 (") + text + QStringLiteral("): ") + error);
        QVERIFY(!open.PortOpen());
        return;
    }
    QCOMPARE(int(endpoint.eKind), kind);
    QCOMPARE(endpoint.sHost, host);
    QCOMPARE(int(endpoint.iPort), port);
}

void TestNetworkSerialPort::tcpPeerGoneIsReconnected()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const quint16 number = server.serverPort();
    server.close();
    const QString name = QStringLiteral("tcp://127.0.0.1:") + QString::number(number);
    NetworkSerialPort port([&](int) { return name; }, NetworkTiming{10, 40, 10000});
    Recorder rx;
    rx.Attach(port);
    QString error;
    QVERIFY(port.Open(error));
    // Pending: open, nothing connected, output dropped rather than queued.
    QVERIFY(port.PortOpen());
    QVERIFY(!port.Connected());
    port.Output(QStringLiteral("stale\r\n"));

    // Nobody listens: the pause doubles up to its limit.
    QTRY_VERIFY_WITH_TIMEOUT(rx.pauses.size() >= 4, 10000);
    QCOMPARE(rx.pauses.mid(0, 4), (QList<int>{10, 20, 40, 40}));
    QVERIFY(port.LastError().startsWith(QStringLiteral("Port 1 (") + name + QStringLiteral("): ")));
    QVERIFY(port.PortOpen());

    QVERIFY(server.listen(QHostAddress::LocalHost, number));
    QTcpSocket* peer = NextPeer(server);
    QVERIFY(peer);
    QTRY_VERIFY_WITH_TIMEOUT(rx.events.contains(SerialPort::comEventLinkUp), 10000);
    QVERIFY(port.Connected());
    QCOMPARE(port.CommEventText(SerialPort::comEventLinkUp), QString());
    QVERIFY(!peer->waitForReadyRead(50)); // the stale sentence never went out

    // What the peer wrote just before going away is still handed over.
    rx.events.clear();
    rx.pauses.clear();
    peer->write("$IIHDG,101.5,,,,*7E\r\n");
    peer->flush();
    peer->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIHDG,101.5,,,,*7E\r\n"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!rx.pauses.isEmpty(), 10000);
    QCOMPARE(rx.pauses.first(), 10); // the pause starts again after a connection

    QTcpSocket* again = NextPeer(server);
    QVERIFY(again);
    QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 10000);
    port.Output(QStringLiteral("$ECAPB\r\n"));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT(got += again->readAll(), QByteArray("$ECAPB\r\n"), 10000);

    // Closed while waiting: no more attempts.
    port.Close();
    QTRY_VERIFY_WITH_TIMEOUT(again->state() == QAbstractSocket::UnconnectedState, 10000);
    rx.events.clear();
    QTest::qWait(200);
    QVERIFY(!server.hasPendingConnections());
    QCOMPARE(rx.events, QList<int>());
}

void TestNetworkSerialPort::udpListenReceivesAndRefusesOutput()
{
    QUdpSocket probe;
    const quint16 number = FreePort(probe);
    QVERIFY(number);
    probe.close();
    const QString name = QStringLiteral("udp://:") + QString::number(number);
    NetworkSerialPort port([&](int) { return name; });
    port.SetCommPort(3);
    Recorder rx;
    rx.Attach(port);
    QString error;
    QVERIFY2(port.Open(error), qPrintable(error));

    QUdpSocket sender;
    // A datagram is a whole sentence even without its line end.
    sender.writeDatagram("$IIMWV,045.0,R,12.5,N,A*2B", QHostAddress::LocalHost, number);
    QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIMWV,045.0,R,12.5,N,A*2B\r\n"), 10000);
    sender.writeDatagram("$IIHDG,1\r\n", QHostAddress::LocalHost, number);
    QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIMWV,045.0,R,12.5,N,A*2B\r\n$IIHDG,1\r\n"), 10000);

    // Sentences sent to a listening endpoint are lost: said once.
    port.Output(QStringLiteral("$ECAPB\r\n"));
    port.Output(QStringLiteral("$ECAPB\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(rx.events.contains(SerialPort::comEventOutputDropped), 10000);
    QTest::qWait(20);
    QCOMPARE(rx.events.count(SerialPort::comEventOutputDropped), 1);
    QCOMPARE(port.CommEventText(SerialPort::comEventOutputDropped),
             QStringLiteral("Output Dropped - Port 3 (") + name + QStringLiteral("): this endpoint only receives"));
}

QTEST_GUILESS_MAIN(TestNetworkSerialPort)
#include "tst_networkserialport.moc"
