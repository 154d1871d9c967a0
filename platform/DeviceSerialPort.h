#pragma once
// The serial port over a real device (QSerialPort), 4800 baud, 8N1, no flow
// control, Latin-1 text. Events reach OnComm through the event loop, never
// from inside a call into the port, so a handler may close or reopen the
// port. A device that goes away while open (a USB adapter pulled out, a
// pseudo-terminal's other side closed) closes the port and raises
// comEventDeviceLost once.
//
// Output is paced at the line's rate: a text goes to the device only when
// the line has sent the one before (by the rate, and by what the system
// still holds where it tells), so the system never holds more than one
// sentence; meanwhile one text waits here and a newer one replaces it.
// Output the device does not take for NotReadingMs (a pseudo-terminal
// nobody reads; a real line always drains) raises comEventNotReading once,
// and from then on each write first discards what the device still holds
// unsent, so a reader that comes back finds the newest sentence, not the
// backlog.
//
// Qt 6 reports no line errors (break, framing, parity, overrun), so this
// port raises only receive events and the lost-device event.

#include "SerialPort.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>
#include <functional>

struct LineTiming {
    // The present in milliseconds, steady. Empty: the system's clock, and
    // the port wakes itself when the line is free. Handed in: nothing runs
    // by itself, the owner calls Pace() as its time passes.
    std::function<qint64()> Clock;
    // Characters a second the line carries: 4800 baud, ten bits each.
    int CharsPerSecond = 480;
    int NotReadingMs = 3000;
};

class DeviceSerialPort : public SerialPort {
    Q_OBJECT
public:
    // Device path of a port number, asked at every Open.
    using DeviceResolver = std::function<QString(int port)>;

    explicit DeviceSerialPort(DeviceResolver deviceForPort, LineTiming timing = {}, QObject* parent = nullptr);

    void SetCommPort(int port) override { m_port = port; }
    int CommPort() const override { return m_port; }
    // Opening an open port keeps it when the number is unchanged and
    // reopens it on the new number otherwise.
    bool Open(QString& errorDescription) override;
    void Close() override;
    bool PortOpen() const override { return m_serial.isOpen(); }
    QString Input() override;
    void Output(const QString& text) override;
    QString LastError() const override { return m_lastError; }

    // Writes the waiting text if the line is free and watches for a device
    // that takes nothing.
    void Pace();

    // Device path of the open port (or of the last attempt).
    QString DeviceName() const { return m_device; }

private:
    void HandleReadyRead();
    void HandleError(QSerialPort::SerialPortError error);
    void Post(int code);
    qint64 NowMs() const;
    // Milliseconds until the line has sent what it was given; 0 when free.
    qint64 BusyMs(qint64 nowMs);
    void Write(qint64 nowMs);
    void DropWaiting(OutputFate fate = OutputDropped);
    // "Port 5 (/dev/ttyS4): reason"
    QString Describe(int port, const QString& reason) const;

    QSerialPort m_serial;
    DeviceResolver m_deviceForPort;
    LineTiming m_timing;
    QElapsedTimer m_elapsed;
    QTimer m_wake;
    int m_port = 1;
    int m_openedPort = 0;
    QString m_device;
    QString m_lastError;
    QString m_waiting;
    // Microseconds on the clock when the line has sent all it was given.
    qint64 m_lineFreeUs = 0;
    // Since when written characters wait without the device taking any;
    // -1 while none wait.
    qint64 m_stuckSinceMs = -1;
    bool m_bNotReading = false;
    // Each opening has its own number; events posted during an earlier one
    // are dropped.
    quint64 m_session = 0;
    bool m_receivePosted = false;
};
