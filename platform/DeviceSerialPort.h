#pragma once
// The serial port over a real device (QSerialPort), 4800 baud, 8N1, no flow
// control, Latin-1 text. Events reach OnComm through the event loop, never
// from inside a call into the port, so a handler may close or reopen the
// port. A device that goes away while open (a USB adapter pulled out, a
// pseudo-terminal's other side closed) closes the port and raises
// comEventDeviceLost once.
//
// Qt 6 reports no line errors (break, framing, parity, overrun), so this
// port raises only receive events and the lost-device event.

#include "SerialPort.h"

#include <QSerialPort>
#include <functional>

class DeviceSerialPort : public SerialPort {
    Q_OBJECT
public:
    // Device path of a port number, asked at every Open.
    using DeviceResolver = std::function<QString(int port)>;

    explicit DeviceSerialPort(DeviceResolver deviceForPort, QObject* parent = nullptr);

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

    // Device path of the open port (or of the last attempt).
    QString DeviceName() const { return m_device; }

private:
    void HandleReadyRead();
    void HandleError(QSerialPort::SerialPortError error);
    void Post(int code);
    // "Port 5 (/dev/ttyS4): reason"
    QString Describe(int port, const QString& reason) const;

    QSerialPort m_serial;
    DeviceResolver m_deviceForPort;
    int m_port = 1;
    int m_openedPort = 0;
    QString m_device;
    QString m_lastError;
    // Each opening has its own number; events posted during an earlier one
    // are dropped.
    quint64 m_session = 0;
    bool m_receivePosted = false;
};
