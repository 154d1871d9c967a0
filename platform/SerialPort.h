#pragma once
// The serial port as the program relies on it: a port number, open and
// close with an error description, the received text, the text to send, and
// one event per condition, all on the user-interface thread. Line settings
// are fixed: 4800 baud, 8 data bits, no parity, one stop bit (NMEA 0183).

#include <QObject>
#include <QString>

class SerialPort : public QObject {
    Q_OBJECT
public:
    // Event codes of OnComm.
    enum CommEventCode : int {
        comEvReceive = 2,       // characters received
        comEventBreak = 1001,
        comEventFrame = 1004,
        comEventOverrun = 1006,
        comEventRxOver = 1008,
        comEventRxParity = 1009,
        // The device went away while open (a USB adapter pulled out). The
        // port is closed by then; LastError() tells what happened.
        comEventDeviceLost = 1100,
        // A network connection is down or could not be made; it is tried
        // again after a pause. The port stays open meanwhile.
        comEventReconnecting = 1101,
        // A network endpoint carries data again after a reconnect or after
        // dropped output: its text is empty, clearing the status.
        comEventLinkUp = 1102,
        // Output could not be sent (an endpoint that only receives, a send
        // that failed); raised once until a send succeeds again.
        comEventOutputDropped = 1103,
    };

    using QObject::QObject;
    ~SerialPort() override = default;

    // Port number; takes effect at the next Open.
    virtual void SetCommPort(int port) = 0;
    virtual int CommPort() const = 0;

    // PortOpen = True. False with a description when the port does not
    // exist or is in use; the port then stays closed.
    virtual bool Open(QString& errorDescription) = 0;
    // PortOpen = False. Closing a closed port does nothing.
    virtual void Close() = 0;
    virtual bool PortOpen() const = 0;

    // Every character waiting, in arrival order; removes it from the port.
    virtual QString Input() = 0;
    // Queues the whole text for sending. Ignored while closed.
    virtual void Output(const QString& text) = 0;
    // Description of the last failure (open, write or a lost device).
    virtual QString LastError() const = 0;

    // Status text of an event other than received characters: the line
    // errors by name, a lost device with its description, any other code
    // as "Event " and its number. Ports with events of their own add their
    // texts.
    virtual QString CommEventText(int commEvent) const;
    // What keeps an open port from receiving now ("Reconnecting"), for the
    // silence watch to name; "" when nothing does, as on a serial device.
    virtual QString Condition() const { return QString(); }

signals:
    // One event per condition; the code is one of CommEventCode or any
    // other number.
    void OnComm(int commEvent);
};
