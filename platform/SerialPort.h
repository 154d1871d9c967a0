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
        // The far end took no output for NotReadingMs: what waited is
        // discarded, a network connection is made anew.
        comEventNotReading = 1104,
        // The received characters lost their continuation (a network
        // connection went down): a line in progress will never end, so the
        // receiver starts afresh. Raised after the last characters of the
        // old connection and before the first of the next.
        comEventLineCut = 1105,
    };

    // What became of a text given to Output.
    enum OutputFate : int {
        OutputWritten,  // handed to the line (device or socket)
        OutputReplaced, // a newer text came while it waited for the line
        OutputDropped,  // the line cannot take it (closed, down, not reading)
    };
    Q_ENUM(OutputFate)

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
    // Sends the whole text as soon as the line is free. Newest first: at
    // most one text waits, and a newer one replaces it, so nothing queues
    // behind a slow line. Ignored while closed. Each text ends in one
    // OutputDone.
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

    // Whether the port is opened to receive (the default) or only to send;
    // takes effect at the next Open. A network endpoint that only sends
    // binds no port of its own.
    virtual void SetReceiving(bool receiving) { m_bReceiving = receiving; }
    bool Receiving() const { return m_bReceiving; }
    // The input has been silent too long: a port that can make its
    // connection anew (TCP) does so now; others carry on.
    virtual void Reconnect() {}

signals:
    // One event per condition; the code is one of CommEventCode or any
    // other number.
    void OnComm(int commEvent);
    // The fate of a text given to Output, once per text as it happens
    // (possibly inside Output or Close): Written when it goes to the line,
    // which may be after the Output call, Replaced or Dropped when it never
    // will. For the record of what the autopilot was sent; a handler must
    // not call into the port.
    void OutputDone(const QString& text, SerialPort::OutputFate fate);

private:
    bool m_bReceiving = true;
};
