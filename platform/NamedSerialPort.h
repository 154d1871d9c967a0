#pragma once
// The port the program opens by number: the name of the number, resolved
// at every Open, decides whether it is a serial device (DeviceSerialPort)
// or a network endpoint such as tcp://192.168.1.20:10110
// (NetworkSerialPort). Everything else is handed to the one in use, so the
// links see a single port whatever stands behind it.

#include "DeviceSerialPort.h"
#include "NetworkSerialPort.h"

class NamedSerialPort : public SerialPort {
    Q_OBJECT
public:
    using NameResolver = std::function<QString(int port)>;

    explicit NamedSerialPort(NameResolver nameForPort, NetworkTiming timing = {}, LineTiming lineTiming = {},
                             QObject* parent = nullptr);

    void SetCommPort(int port) override { m_port = port; }
    int CommPort() const override { return m_port; }
    // Opening an open port keeps it when the number is unchanged and
    // reopens it, possibly as the other kind, otherwise.
    bool Open(QString& errorDescription) override;
    void Close() override;
    bool PortOpen() const override { return m_active->PortOpen(); }
    QString Input() override { return m_active->Input(); }
    void Output(const QString& text) override { m_active->Output(text); }
    QString LastError() const override { return m_active->LastError(); }
    QString CommEventText(int commEvent) const override { return m_active->CommEventText(commEvent); }
    QString Condition() const override { return m_active->Condition(); }
    void SetReceiving(bool receiving) override;
    void Reconnect() override { m_active->Reconnect(); }

    // Name of the open port (or of the last attempt): a device path or an
    // endpoint.
    QString DeviceName() const { return m_name; }
    bool IsNetwork() const { return m_active == &m_network; }
    NetworkSerialPort& Network() { return m_network; }

private:
    int m_port = 1;
    QString m_name;
    NameResolver m_nameForPort;
    DeviceSerialPort m_device;
    NetworkSerialPort m_network;
    SerialPort* m_active = &m_device;
};
