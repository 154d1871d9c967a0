// Network endpoints behind the serial port, over loopback: the port alone,
// and the program's core with its instruments on TCP and autopilot on UDP.

#include "../util/Engage.h"
#include "NetworkSerialPort.h"
#include "SteeringCore.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace {

// The port connects from this thread's event loop, so the wait runs it.
QTcpSocket* NextPeer(QTcpServer& server)
{
    return QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 10000) ? server.nextPendingConnection()
                                                                                  : nullptr;
}

// Event codes, the pause shown with each reconnect, and the text read.
struct Recorder {
    QList<int> events;
    QList<int> pauses;
    QString text;
    explicit Recorder(NetworkSerialPort& port)
    {
        QObject::connect(&port, &SerialPort::OnComm, &port, [this, &port](int code) {
            events << code;
            if (code == SerialPort::comEventReconnecting)
                pauses << port.PauseMs();
            if (code == SerialPort::comEvReceive)
                text += port.Input();
        });
    }
};

} // namespace

class TestNetworkSerialPort : public QObject {
    Q_OBJECT
private slots:
    void endpointForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // kind (0 tcp, 1 listen, 2 send), host, port
        QTest::addColumn<QString>("error");
        QTest::newRow("tcp") << "tcp://192.168.1.20:10110" << "0 192.168.1.20 10110" << "";
        QTest::newRow("name, upper case") << "TCP://mux-1.local:2000" << "0 mux-1.local 2000" << "";
        QTest::newRow("ipv6") << "tcp://[::1]:65535" << "0 ::1 65535" << "";
        QTest::newRow("listen, blanks") << " udp://:10110 " << "1  10110" << "";
        QTest::newRow("broadcast") << "udp://192.168.1.255:1" << "2 192.168.1.255 1" << "";
        QTest::newRow("device") << "/dev/ttyUSB0" << "" << "not a network endpoint, use tcp://host:port or udp://host:port";
        QTest::newRow("no port") << "tcp://192.168.1.20" << "" << "port number missing";
        QTest::newRow("tcp, no host") << "tcp://:10110" << "" << "host missing";
        QTest::newRow("port 0") << "tcp://host:0" << "" << "port \"0\" is not a number from 1 to 65535";
        QTest::newRow("kind") << "http://host:80" << "" << "unknown kind \"http\", use tcp:// or udp://";
        QTest::newRow("bad ipv4") << "tcp://192.168.1.300:1" << "" << "invalid IPv4 address \"192.168.1.300\"";
        QTest::newRow("bare ipv6") << "tcp://::1:10110" << "" << "an IPv6 address goes in brackets, as [::1]";
        QTest::newRow("ipv4 in []") << "tcp://[10.0.0.1]:1" << "" << "invalid IPv6 address \"10.0.0.1\"";
        QTest::newRow("blank") << "tcp://my mux:1" << "" << "invalid host name \"my mux\"";
    }
    void endpointForms()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QCOMPARE(IsNetworkName(text), !text.startsWith(u'/'));
        NetworkEndpoint e;
        QString why;
        QCOMPARE(ParseNetworkEndpoint(text, e, why), error.isEmpty());
        QCOMPARE(why, error);
        if (error.isEmpty()) {
            QTEST(QString::number(e.eKind) + ' ' + e.sHost + ' ' + QString::number(e.iPort), "parsed");
            return;
        }
        // Open names the port and the endpoint in front of the reason.
        NetworkSerialPort port([&](int) { return text; });
        port.SetCommPort(5);
        QVERIFY(!port.Open(why));
        QCOMPARE(why, "Port 5 (" + text + "): " + error);
        QVERIFY(!port.PortOpen());
    }

    void tcpPeerGoneIsReconnected()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 number = server.serverPort();
        server.close();
        NetworkSerialPort port([&](int) { return "tcp://127.0.0.1:" + QString::number(number); }, {10, 40, 10000});
        Recorder rx(port);
        QString error;
        QVERIFY(port.Open(error));
        QVERIFY(port.PortOpen() && !port.Connected()); // pending
        port.Output(QStringLiteral("stale\r\n"));      // dropped, not queued
        // Nobody listens: the pause doubles up to its limit.
        QTRY_VERIFY_WITH_TIMEOUT(rx.pauses.size() >= 4, 10000);
        QCOMPARE(rx.pauses.mid(0, 4), (QList<int>{10, 20, 40, 40}));

        QVERIFY(server.listen(QHostAddress::LocalHost, number));
        QTcpSocket* peer = NextPeer(server);
        QVERIFY(peer);
        QTRY_VERIFY_WITH_TIMEOUT(rx.events.contains(SerialPort::comEventLinkUp), 10000);
        QVERIFY(!peer->waitForReadyRead(50));
        // What the peer wrote just before going away is still handed over.
        rx.pauses.clear();
        peer->write("$IIHDG,101.5,,,,*4C\r\n");
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIHDG,101.5,,,,*4C\r\n"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(rx.pauses, QList<int>{10}, 10000); // from the start again

        QTcpSocket* again = NextPeer(server);
        QVERIFY(again);
        QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 10000);
        port.Output(QStringLiteral("$ECAPB\r\n"));
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT(got += again->readAll(), QByteArray("$ECAPB\r\n"), 10000);
    }

    void udpListenReceivesOnly()
    {
        QUdpSocket sender;
        QVERIFY(sender.bind(QHostAddress::LocalHost, 0));
        const quint16 number = sender.localPort();
        sender.close(); // a free port
        const QString name = "udp://:" + QString::number(number);
        NetworkSerialPort port([&](int) { return name; });
        Recorder rx(port);
        QString error;
        QVERIFY2(port.Open(error), qPrintable(error));
        // A datagram is whole sentences, even without the last line end.
        sender.writeDatagram("$IIMWV,045.0,R,12.5,N,A*0A", QHostAddress::LocalHost, number);
        QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIMWV,045.0,R,12.5,N,A*0A\r\n"), 10000);
        sender.writeDatagram("$IIHDG,101.5,,,,*4C\r\n", QHostAddress::LocalHost, number);
        QTRY_COMPARE_WITH_TIMEOUT(rx.text, QStringLiteral("$IIMWV,045.0,R,12.5,N,A*0A\r\n$IIHDG,101.5,,,,*4C\r\n"), 10000);
        // Sentences sent to it are lost: said once.
        port.Output(QStringLiteral("$ECAPB\r\n"));
        port.Output(QStringLiteral("$ECAPB\r\n"));
        QTest::qWait(50);
        QCOMPARE(rx.events.count(SerialPort::comEventOutputDropped), 1);
        QCOMPARE(port.CommEventText(SerialPort::comEventOutputDropped),
                 "Output Dropped - Port 1 (" + name + "): this endpoint only receives");
    }

    void tcpInstrumentsUdpAutopilot()
    {
        QTcpServer instruments;
        QUdpSocket autopilot;
        QVERIFY(instruments.listen(QHostAddress::LocalHost) && autopilot.bind(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("Vanehold.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Ports]\n5=tcp://127.0.0.1:" + QByteArray::number(instruments.serverPort()) + "\n6=udp://127.0.0.1:"
                   + QByteArray::number(autopilot.localPort()) + "\n[Pilot]\nPort= 6\nBearing=45\n");
        file.close();
        CoreSetup setup;
        setup.ManualTimers = true;
        setup.ProfileFile = file.fileName();
        SteeringCore core(setup);
        ConfirmTheBox(core);
        QStringList panel2;
        connect(&core, &SteeringCore::PanelText, this, [&](int panel, const QString& text) {
            if (panel == 2)
                panel2 << text;
        });
        QByteArray all;
        const auto sent = [&] {
            while (autopilot.hasPendingDatagrams())
                all += autopilot.receiveDatagram().data();
            return all;
        };
        core.ProfileInitialize(true);
        QTcpSocket* peer = NextPeer(instruments);
        QVERIFY(peer);
        core.TrackSetManual();
        // Course 50 magnetic at 6 knots (VTG, and RMC with 11 east), then
        // apparent wind 45 at 10.5 knots.
        peer->write("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K*6C\r\n"
                    "$GPRMC,123519,A,4807.038,N,01131.000,E,006.0,061.0,081226,011.0,E,A*1A\r\n"
                    "$IIMWV,045.0,R,10.5,N,A*08\r\n");
        const QByteArray apb = "$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04\r\n";
        QTRY_COMPARE_WITH_TIMEOUT(sent(), apb, 10000);

        // The server drops the connection: the link keeps running, panel 2
        // tells of the reconnect and is cleared once it is made.
        panel2.clear();
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(panel2, QStringList{QStringLiteral("Reconnecting in 1 s")}, 10000);
        // Silent meanwhile: the silence watch names the reason.
        for (int tick = 0; tick < 4; ++tick)
            core.tmrNmea_Timer();
        QCOMPARE(panel2.last(), QStringLiteral("No Input Data - Reconnecting"));
        panel2.clear();
        QTcpSocket* again = NextPeer(instruments);
        QVERIFY(again);
        QTRY_COMPARE_WITH_TIMEOUT(panel2, QStringList{QString()}, 10000);
        QVERIFY(core.NmeaPortOpen()); // the link was never stopped
        core.TrackSteerTo(1);
        again->write("$IIMWV,044.0,R,10.4,N,A*08\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(sent(), apb + "$ECAPB,A,A,0.00,R,N,V,V,046.0,M,1,046.0,M,046.0,M*07\r\n", 10000);
        // Off closes for good: no attempts after it.
        core.TrackSetOff();
        QTRY_COMPARE_WITH_TIMEOUT(again->state(), QAbstractSocket::UnconnectedState, 10000);
        QVERIFY(!QTest::qWaitFor([&] { return instruments.hasPendingConnections(); }, 1500));
    }
};

QTEST_GUILESS_MAIN(TestNetworkSerialPort)
#include "tst_networkserialport.moc"
