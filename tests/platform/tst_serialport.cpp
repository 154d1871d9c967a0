#include "FakeSerialPort.h"
#include "NamedSerialPort.h"
#include "SerialPortFactory.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void deviceNames();
    void factoryMakesRealOrInstalledPorts();
    void fakeReceivesAndSends();
    void fakeOpenFailures();
    void fakeLostDevice();
};

void TestSerialPort::deviceNames()
{
    const QString profile = QStringLiteral(VANEHOLD_TEST_DATA "/profiles/ports.ini");
    QCOMPARE(SerialDeviceName(profile, 5), QStringLiteral("/dev/ttyUSB0"));
    // Longer than a profile value buffer, still whole.
    QCOMPARE(SerialDeviceName(profile, 7),
             QStringLiteral("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller_D-if00-port0"));
#ifdef Q_OS_WIN
    QCOMPARE(SerialDeviceName(profile, 1), QStringLiteral("COM1"));
    QCOMPARE(SerialDeviceName(QString(), 12), QStringLiteral("COM12"));
#else
    QCOMPARE(SerialDeviceName(profile, 1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(SerialDeviceName(profile, 12), QStringLiteral("/dev/ttyS11"));
    QCOMPARE(SerialDeviceName(QString(), 5), QStringLiteral("/dev/ttyS4"));
    QCOMPARE(SerialDeviceName(QStringLiteral("/nonexistent/Vanehold.ini"), 5), QStringLiteral("/dev/ttyS4"));
#endif
}

void TestSerialPort::factoryMakesRealOrInstalledPorts()
{
    QObject owner;
    QTemporaryDir dir;
    QString profile = dir.filePath(QStringLiteral("Vanehold.ini"));
    {
        QFile f(profile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Ports]\n5=/nonexistent/vanehold-port\n6=tcp://127.0.0.1\n");
    }
    SerialPortFactory factory([&] { return profile; });
    auto* real = qobject_cast<NamedSerialPort*>(factory.Create(&owner));
    QVERIFY(real);
    QCOMPARE(real->parent(), &owner);
    // The profile is asked at Open, so a path settled later still counts.
    real->SetCommPort(5);
    QString error;
    QVERIFY(!real->Open(error));
    QCOMPARE(real->DeviceName(), QStringLiteral("/nonexistent/vanehold-port"));
    real->SetCommPort(6); // the name decides the kind at each Open
    QVERIFY(!real->Open(error) && real->IsNetwork());
    QCOMPARE(real->LastError(), QStringLiteral("Port 6 (tcp://127.0.0.1): port number missing"));
    real->SetCommPort(5);
    profile.clear();
    real->Open(error);
    QCOMPARE(real->DeviceName(), SerialDeviceName(QString(), 5));
    real->Close();

    QList<FakeSerialPort*> made;
    const SerialPortFactory fakes({}, [&](QObject* parent) {
        made << new FakeSerialPort(parent);
        return made.back();
    });
    SerialPort* fake = fakes.Create(&owner);
    QCOMPARE(made.size(), 1);
    QCOMPARE(fake, made.front());
    QCOMPARE(fake->parent(), &owner);
}

void TestSerialPort::fakeReceivesAndSends()
{
    FakeSerialPort port;
    QSignalSpy events(&port, &SerialPort::OnComm);
    port.feed(QStringLiteral("ignored while closed\r"));
    port.Output(QStringLiteral("not sent\r\n"));
    QCOMPARE(events.count(), 0);
    QCOMPARE(port.sent(), QString());

    port.SetCommPort(3);
    QString error;
    QVERIFY(port.Open(error));
    QCOMPARE(port.openCount(), 1);
    port.feed(QStringLiteral("$IIHDG,1"));
    port.feed(QStringLiteral("0.0,,,,*45\r"));
    QCOMPARE(events.count(), 2);
    QCOMPARE(events.at(0).at(0).toInt(), int(SerialPort::comEvReceive));
    QCOMPARE(port.Input(), QStringLiteral("$IIHDG,10.0,,,,*45\r"));
    QCOMPARE(port.Input(), QString());

    port.Output(QStringLiteral("$ECAPB,1\r\n"));
    port.Output(QStringLiteral("$ECAPB,2\r\n"));
    QCOMPARE(port.sent(), QStringLiteral("$ECAPB,1\r\n$ECAPB,2\r\n"));

    port.raise(1009);
    QCOMPARE(events.last().at(0).toInt(), 1009);
    QVERIFY(port.PortOpen());

    // Same number: stays open; another number: reopened.
    QVERIFY(port.Open(error));
    QCOMPARE(port.openCount(), 1);
    port.SetCommPort(4);
    QVERIFY(port.Open(error));
    QCOMPARE(port.openCount(), 2);
    QCOMPARE(port.closeCount(), 1);
    port.Close();
    port.Close();
    QCOMPARE(port.closeCount(), 2);
}

void TestSerialPort::fakeOpenFailures()
{
    FakeSerialPort port;
    port.SetCommPort(5);
    port.failNextOpen(QStringLiteral("Port 5 (/dev/ttyS4): Permission denied"));
    QString error;
    QVERIFY(!port.Open(error));
    QCOMPARE(error, QStringLiteral("Port 5 (/dev/ttyS4): Permission denied"));
    QCOMPARE(port.LastError(), error);
    QVERIFY(!port.PortOpen());
    QVERIFY(port.Open(error));
    port.Close();

    port.SetCommPort(0);
    QVERIFY(!port.Open(error));
    QCOMPARE(error, InvalidPortText(0));
    QCOMPARE(error, QStringLiteral("Port 0: invalid port number"));
}

void TestSerialPort::fakeLostDevice()
{
    FakeSerialPort port;
    QString error;
    QVERIFY(port.Open(error));
    bool openInEvent = true;
    connect(&port, &SerialPort::OnComm, &port, [&] { openInEvent = port.PortOpen(); });
    port.raise(SerialPort::comEventDeviceLost);
    QVERIFY(!openInEvent);
    QVERIFY(!port.LastError().isEmpty());
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
