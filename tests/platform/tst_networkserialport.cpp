// Network endpoints behind the serial port, over loopback: the port alone,
// and the program's core with its instruments on TCP and autopilot on UDP.

#include "../util/Engage.h"
#include "NetworkSerialPort.h"
#include "SerialLinks.h"
#include "SteeringCore.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Line n, told apart by its number; long, so that a peer's buffers fill
// after a few lines rather than thousands.
QString Numbered(int n)
{
    return QStringLiteral("$ECAPB,") + QString::number(n) + QLatin1Char(',') + QString(1000, QLatin1Char('x'))
           + QStringLiteral("\r\n");
}

// The numbers of the whole lines in the bytes.
QList<int> Numbers(const QByteArray& bytes)
{
    QList<int> numbers;
    for (const QByteArray& line : bytes.split('\n'))
        if (line.startsWith("$ECAPB,") && line.endsWith('\r'))
            numbers << line.mid(7).split(',').constFirst().toInt();
    return numbers;
}

// A TCP autopilot on loopback that reads only when told. Its connections
// take little before they stop taking more, so a stall shows at once
// rather than after the system's usual hundred kilobytes.
struct SlowPeer {
    int listener = -1;
    quint16 port = 0;
    SlowPeer()
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int small = 4096;
        ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(listener, 4) == 0
            && ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port = ntohs(address.sin_port);
    }
    ~SlowPeer() { ::close(listener); }
    // The next connection, the port's event loop running meanwhile.
    int Accept()
    {
        int fd = -1;
        const bool accepted = QTest::qWaitFor(
            [&] { return (fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; }, 10000);
        return accepted ? fd : -1;
    }
    static QByteArray Read(int fd)
    {
        QByteArray bytes;
        char buffer[65536];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        return bytes;
    }
};

// Every text given to Output with its fate, in order.
struct Fates {
    QList<int> written;
    int replaced = 0;
    int dropped = 0;
    explicit Fates(SerialPort& port)
    {
        QObject::connect(&port, &SerialPort::OutputDone, &port, [this](const QString& text, SerialPort::OutputFate fate) {
            if (fate == SerialPort::OutputWritten)
                written << Numbers(text.toLatin1());
            else if (fate == SerialPort::OutputReplaced)
                ++replaced;
            else
                ++dropped;
        });
    }
    int Count() const { return int(written.size()) + replaced + dropped; }
};

bool Increasing(const QList<int>& numbers)
{
    return std::adjacent_find(numbers.begin(), numbers.end(), std::greater_equal<int>()) == numbers.end();
}

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

    // An autopilot that stops reading while a sentence goes out for every
    // wind sentence: nothing queues behind it. When it reads again (or on
    // its next connection) the newest heading comes last, promptly, and
    // what the port reported as written is exactly what arrived.
    void tcpPeerThatStopsReading_data()
    {
        QTest::addColumn<int>("notReadingMs");
        QTest::newRow("reads again") << 600000;
        QTest::newRow("connected anew") << 300;
    }
    void tcpPeerThatStopsReading()
    {
        QFETCH(int, notReadingMs);
        SlowPeer peer;
        QVERIFY(peer.port);
        NetworkSerialPort port([&](int) { return "tcp://127.0.0.1:" + QString::number(peer.port); },
                               {10, 10, 10000, notReadingMs});
        Recorder rx(port);
        Fates fates(port);
        QString error;
        QVERIFY(port.Open(error));
        int first = peer.Accept();
        QVERIFY(first >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 10000);
        // Ten times what the peer's side can hold, or until the port gives
        // up on the peer.
        const int many = 3000;
        int n = 0;
        const bool reconnects = notReadingMs < 1000;
        QVERIFY(QTest::qWaitFor([&] {
            for (int burst = 0; burst < 20 && n < many; ++burst) {
                port.Output(Numbered(n++));
                QCoreApplication::processEvents();
            }
            return reconnects ? rx.events.contains(SerialPort::comEventNotReading) : n == many;
        }, 6000));
        QCOMPARE(rx.events.contains(SerialPort::comEventNotReading), reconnects);
        int reader = first;
        if (reconnects) {
            reader = peer.Accept();
            QVERIFY(reader >= 0);
            QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 10000);
            QCOMPARE(port.CommEventText(SerialPort::comEventNotReading),
                     "Not Reading - Port 1 (tcp://127.0.0.1:" + QString::number(peer.port) + "): the peer reads nothing");
        }
        const int newest = n;
        port.Output(Numbered(newest)); // the steer
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT(Numbers(got += SlowPeer::Read(reader)).contains(newest), 10000);
        const QList<int> arrived = Numbers(got);
        QCOMPARE(arrived.last(), newest);
        QVERIFY(Increasing(arrived));
        if (reconnects) {
            QCOMPARE(arrived, QList<int>{newest}); // nothing from before
        } else {
            QVERIFY2(arrived.size() < many / 4, qPrintable(QString::number(arrived.size())));
            QCOMPARE(fates.written, arrived);
        }
        QCOMPARE(fates.Count(), newest + 1);
        QVERIFY(QTest::qWaitFor([&] { return SlowPeer::Read(reader).isEmpty(); }, 100));
        ::close(first);
        if (reader != first)
            ::close(reader);
    }

    // The instruments' port is the program's own: a second socket, of any
    // kind this user or another could make, cannot bind it.
    void udpPortIsExclusive_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("second");
        const QStringList seconds{"0.0.0.0 shared", "127.0.0.1 shared", ":: shared", "::1 shared", "0.0.0.0 reuse port"};
        for (const char* endpoint : {"udp://:%1", "udp://127.0.0.1:%1"})
            for (const QString& second : seconds)
                QTest::newRow(qPrintable(QString::fromLatin1(endpoint).arg("P") + ", " + second)) << endpoint << second;
    }
    void udpPortIsExclusive()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, second);
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        const quint16 number = probe.localPort();
        probe.close();
        NetworkSerialPort port([&](int) { return endpoint.arg(number); });
        QString error;
        QVERIFY2(port.Open(error), qPrintable(error));
        const QString host = second.section(' ', 0, 0);
        bool bound = false;
        if (second.endsWith("reuse port")) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            const int on = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(number);
            bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
        } else {
            QUdpSocket other;
            bound = other.bind(QHostAddress(host), number, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
        }
        QVERIFY(!bound);
        // Held by someone else first, the port does not open.
        port.Close();
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, number));
        QVERIFY(!port.Open(error));
        QVERIFY2(error.startsWith("Port 1 (" + endpoint.arg(number) + "): "), qPrintable(error));
    }

    // udp://host:port takes the named sender's datagrams only; udp://:port
    // takes anyone's.
    void udpNamedSenderOnly_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<bool>("taken");
        QTest::newRow("named") << "udp://127.0.0.1:%1" << "127.0.0.1" << true;
        QTest::newRow("other loopback address") << "udp://127.0.0.1:%1" << "127.0.0.2" << false;
        QTest::newRow("other family") << "udp://127.0.0.1:%1" << "::1" << false;
        QTest::newRow("named by name") << "udp://localhost:%1" << "127.0.0.1" << true;
        QTest::newRow("anyone") << "udp://:%1" << "127.0.0.2" << true;
    }
    void udpNamedSenderOnly()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, sender);
        QFETCH(bool, taken);
        QUdpSocket from;
        QVERIFY(from.bind(QHostAddress(sender), 0));
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::Any, 0));
        const quint16 number = probe.localPort();
        probe.close();
        NetworkSerialPort port([&](int) { return endpoint.arg(number); });
        Recorder rx(port);
        QString error;
        QVERIFY2(port.Open(error), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 10000);
        const QHostAddress to(sender.contains(':') ? "::1" : "127.0.0.1");
        from.writeDatagram("$IIHDG,101.5,,,,*4C\r\n", to, number);
        // The named sender's datagram after it shows the other was read.
        QUdpSocket named;
        QVERIFY(named.bind(QHostAddress::LocalHost, 0));
        named.writeDatagram("$IIHDG,1,,,,*4C\r\n", QHostAddress::LocalHost, number);
        QTRY_VERIFY_WITH_TIMEOUT(rx.text.contains("$IIHDG,1,"), 10000);
        QCOMPARE(rx.text.contains("$IIHDG,101.5"), taken);
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
        connect(&core, &SteeringCore::InputStatusChanged, this, [&](const QString& text) { panel2 << text; });
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
        // Cut in the middle of a line: the next connection starts afresh.
        peer->write("$IIMWV,045.0,R,1");
        QVERIFY(peer->waitForBytesWritten(1000));
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
        // A source that stays connected but says nothing is connected anew.
        for (int tick = 0; tick < int(SerialLinks::ReconnectTicks); ++tick)
            core.tmrNmea_Timer();
        QTcpSocket* third = NextPeer(instruments);
        QVERIFY(third);
        QTRY_COMPARE_WITH_TIMEOUT(again->state(), QAbstractSocket::UnconnectedState, 10000);
        again = third;
        // Off closes for good: no attempts after it.
        core.TrackSetOff();
        QTRY_COMPARE_WITH_TIMEOUT(again->state(), QAbstractSocket::UnconnectedState, 10000);
        QVERIFY(!QTest::qWaitFor([&] { return instruments.hasPendingConnections(); }, 1500));
    }
};

QTEST_GUILESS_MAIN(TestNetworkSerialPort)
#include "tst_networkserialport.moc"
