#pragma once
// A serial port that tests drive: feed() delivers characters with event 2,
// raise() reports any event code, sent() is everything output so far (each
// text written at once, OutputDone told).
// Events are emitted at once, inside the call, so a test needs no event
// loop. Port numbers below 1 fail to open as on a real port; opening an
// open port keeps it open on the same number and reopens it on another.

#include "SerialPort.h"

class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    void SetCommPort(int port) override { m_port = port; }
    int CommPort() const override { return m_port; }
    bool Open(QString& errorDescription) override;
    void Close() override;
    bool PortOpen() const override { return m_open; }
    QString Input() override;
    void Output(const QString& text) override;
    QString LastError() const override { return m_lastError; }

    // Queues the text as received and raises event 2. Ignored while closed,
    // as a closed port receives nothing.
    void feed(const QString& text);
    // Raises one event with the code; a lost device (1100) closes the port
    // first, as the real port does.
    void raise(int code);
    // The next Open fails with this description.
    void failNextOpen(const QString& description);

    QString sent() const { return m_sent; }
    void clearSent() { m_sent.clear(); }
    QString pending() const { return m_input; }
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }

private:
    int m_port = 1;
    int m_openedPort = 0;
    bool m_open = false;
    QString m_input;
    QString m_sent;
    QString m_lastError;
    QString m_failNext;
    int m_openCount = 0;
    int m_closeCount = 0;
};
