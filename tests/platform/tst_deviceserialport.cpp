#include "DeviceSerialPort.h"
#include "../../bench/PilotLine.h"

#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair: the port opens the slave side by its path, the
// test plays the instruments on the master side.
struct Pty {
    int master = -1;
    int slave = -1;
    QString path;

    bool Open()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        path = QString::fromLocal8Bit(name);
        termios raw {};
        tcgetattr(master, &raw);
        cfmakeraw(&raw);
        tcsetattr(master, TCSANOW, &raw);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        return true;
    }
    void CloseMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void CloseSlave()
    {
        if (slave >= 0)
            ::close(slave);
        slave = -1;
    }
    ~Pty()
    {
        CloseMaster();
        CloseSlave();
    }
    bool Write(const QByteArray& bytes) const
    {
        return ::write(master, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }
    QByteArray Read() const
    {
        QByteArray out;
        char buf[256];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0)
            out.append(buf, static_cast<int>(n));
        return out;
    }
};

// Collects every event code and, on event 2, the text read from the port.
struct Receiver {
    QList<int> events;
    QString text;
    void Attach(SerialPort& port)
    {
        QObject::connect(&port, &SerialPort::OnComm, &port, [this, &port](int code) {
            events.append(code);
            if (code == SerialPort::comEvReceive)
                text += port.Input();
        });
    }
};

} // namespace

class TestDeviceSerialPort : public QObject {
    Q_OBJECT
private slots:
    void receivesWithEvent2();
    void outputArrivesAtDevice();
    void openErrorsDescribeThePort();
    void reopenKeepsOrMovesThePort();
    void lostDeviceClosesOnce();
    void handlerMayCloseInsideEvent();
    void newestHeadingFirstOnASlowLine_data();
    void newestHeadingFirstOnASlowLine();
};

void TestDeviceSerialPort::receivesWithEvent2()
{
    Pty pty;
    QVERIFY(pty.Open());
    DeviceSerialPort port([&](int) { return pty.path; });
    port.SetCommPort(5);
    Receiver rx;
    rx.Attach(port);
    QString error;
    QVERIFY2(port.Open(error), qPrintable(error));
    QVERIFY(port.PortOpen());
    QCOMPARE(port.DeviceName(), pty.path);

    const QByteArray line = "$IIMWV,045.0,R,12.5,N,A*2B\r\n";
    QVERIFY(pty.Write(line));
    // Events come through the event loop, never inside Open.
    QVERIFY(rx.events.isEmpty());
    QTRY_COMPARE(rx.text, QString::fromLatin1(line));
    QVERIFY(!rx.events.contains(SerialPort::comEventDeviceLost));
    QCOMPARE(rx.events.count(SerialPort::comEvReceive), rx.events.size());

    // Bytes above 127 arrive as Latin-1 characters.
    rx.text.clear();
    QVERIFY(pty.Write("\xb0\xff\r"));
    QTRY_COMPARE(rx.text, QString::fromLatin1("\xb0\xff\r"));
}

void TestDeviceSerialPort::outputArrivesAtDevice()
{
    Pty pty;
    QVERIFY(pty.Open());
    DeviceSerialPort port([&](int) { return pty.path; });
    QString error;
    QVERIFY2(port.Open(error), qPrintable(error));
    const QString apb = QStringLiteral("$ECAPB,A,A,0.0,L,N,V,V,040.0,M,,040.0,M,040.0,M*00\r\n");
    port.Output(apb);
    QByteArray got;
    QTRY_VERIFY((got += pty.Read()).size() >= apb.size());
    QCOMPARE(got, apb.toLatin1());

    port.Close();
    QVERIFY(!port.PortOpen());
    port.Output(QStringLiteral("after close\r\n"));
    QTest::qWait(50);
    QCOMPARE(pty.Read(), QByteArray());
}

void TestDeviceSerialPort::openErrorsDescribeThePort()
{
    DeviceSerialPort port([](int) { return QStringLiteral("/dev/vanehold-no-such-device"); });
    QSignalSpy events(&port, &SerialPort::OnComm);
    port.SetCommPort(5);
    QString error;
    QVERIFY(!port.Open(error));
    QVERIFY(!port.PortOpen());
    QVERIFY2(error.startsWith(QStringLiteral("Port 5 (/dev/vanehold-no-such-device): ")), qPrintable(error));
    QVERIFY(error.size() > 40);
    QCOMPARE(port.LastError(), error);

    port.SetCommPort(0);
    QVERIFY(!port.Open(error));
    QCOMPARE(error, QStringLiteral("Port 0: invalid port number"));
    port.SetCommPort(-3);
    QVERIFY(!port.Open(error));
    QCOMPARE(error, QStringLiteral("Port -3: invalid port number"));
    QVERIFY(!port.PortOpen());
    QCoreApplication::processEvents();
    QCOMPARE(events.count(), 0);
}

void TestDeviceSerialPort::reopenKeepsOrMovesThePort()
{
    Pty first;
    Pty second;
    QVERIFY(first.Open());
    QVERIFY(second.Open());
    QStringList asked;
    DeviceSerialPort port([&](int n) {
        asked << QString::number(n);
        return n == 5 ? first.path : second.path;
    });
    QString error;
    port.SetCommPort(5);
    QVERIFY2(port.Open(error), qPrintable(error));
    QVERIFY(port.Open(error));
    QCOMPARE(asked, QStringList{"5"});
    QCOMPARE(port.DeviceName(), first.path);

    port.SetCommPort(6);
    QVERIFY2(port.Open(error), qPrintable(error));
    QCOMPARE(port.DeviceName(), second.path);
    QCOMPARE(asked, (QStringList{"5", "6"}));
    Receiver rx;
    rx.Attach(port);
    QVERIFY(first.Write("old\r"));
    QVERIFY(second.Write("new\r"));
    QTRY_COMPARE(rx.text, QStringLiteral("new\r"));
}

void TestDeviceSerialPort::lostDeviceClosesOnce()
{
    Pty pty;
    QVERIFY(pty.Open());
    DeviceSerialPort port([&](int) { return pty.path; });
    Receiver rx;
    rx.Attach(port);
    QString error;
    QVERIFY2(port.Open(error), qPrintable(error));
    pty.CloseSlave();
    QVERIFY(pty.Write("$IIHDG,1"));
    QTRY_COMPARE(rx.text, QStringLiteral("$IIHDG,1"));

    pty.CloseMaster();
    QTRY_VERIFY(rx.events.contains(SerialPort::comEventDeviceLost));
    QVERIFY(!port.PortOpen());
    QCOMPARE(port.LastError(), QStringLiteral("Port 1 (") + pty.path + QStringLiteral("): device disconnected"));
    // A dead device must not keep the loop busy with repeated errors.
    QTest::qWait(100);
    QCOMPARE(rx.events.count(SerialPort::comEventDeviceLost), 1);
    QCOMPARE(rx.events.last(), int(SerialPort::comEventDeviceLost));
    port.Output(QStringLiteral("ignored\r\n"));
    QCOMPARE(port.Input(), QString());
}

void TestDeviceSerialPort::handlerMayCloseInsideEvent()
{
    Pty pty;
    QVERIFY(pty.Open());
    auto* port = new DeviceSerialPort([&](int) { return pty.path; });
    int events = 0;
    connect(port, &SerialPort::OnComm, port, [&](int) {
        ++events;
        port->Close();
    });
    QString error;
    QVERIFY2(port->Open(error), qPrintable(error));
    QVERIFY(pty.Write("a"));
    QTRY_COMPARE(events, 1);
    QVERIFY(!port->PortOpen());
    QVERIFY(pty.Write("b"));
    QTest::qWait(50);
    QCOMPARE(events, 1);

    // Deleting the port with input and events on their way is safe too.
    QVERIFY(port->Open(error));
    QVERIFY(pty.Write("c"));
    QCoreApplication::processEvents();
    delete port;
    QTest::qWait(50);
}

// An APB for every 10 Hz wind sentence is more than 4800 baud carries: the
// line is never behind by more than a sentence, whatever the time sailed,
// and after a reader's 60 s pause the steer still comes first and nothing
// older follows it. Simulated time: the seconds are the line's, not the test's.
void TestDeviceSerialPort::newestHeadingFirstOnASlowLine_data()
{
    QTest::addColumn<int>("windSeconds");
    QTest::addColumn<int>("stallFrom");
    QTest::addColumn<int>("stallSeconds");
    QTest::newRow("a minute") << 60 << 0 << 0;
    QTest::newRow("150 s") << 150 << 0 << 0;
    QTest::newRow("reader paused 60 s") << 90 << 10 << 60;
}

void TestDeviceSerialPort::newestHeadingFirstOnASlowLine()
{
    QFETCH(int, windSeconds);
    QFETCH(int, stallFrom);
    QFETCH(int, stallSeconds);
    const PilotLine::Run run = PilotLine::Sail(windSeconds, stallFrom, stallSeconds);
    QVERIFY(run.opened);
    // One 55-character sentence takes 0.115 s; one may be under way and
    // one wait for the line when the steer comes.
    QVERIFY2(run.steerDelayS > 0 && run.steerDelayS <= 0.35, qPrintable(QString::number(run.steerDelayS)));
    QCOMPARE(run.olderAfterSteer, 0);
    if (stallSeconds == 0)
        QVERIFY2(run.maxDelayS <= 0.35, qPrintable(QString::number(run.maxDelayS)));
}

QTEST_GUILESS_MAIN(TestDeviceSerialPort)
#include "tst_deviceserialport.moc"
