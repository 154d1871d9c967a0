#pragma once
// The serial port over a network endpoint (see NetworkEndpoint.h), so that a
// Wi-Fi multiplexer or a navigation server stands in for a serial line. The
// events and texts reach OnComm through the event loop, as on a device.
//
// Open parses the endpoint and returns at once; it fails only for a
// malformed endpoint or a UDP port that cannot be bound. A TCP connection is
// made in the background: while it is pending, and during the pauses of a
// reconnect, PortOpen() is true, Input() is empty and output is dropped
// (an old APB sentence must not reach the autopilot late). A connection that
// fails, times out, is closed by the peer, stays silent (Reconnect) or is
// not read is tried again after a pause that doubles from FirstPauseMs up to
// MaxPauseMs, and starts again from FirstPauseMs once a connection carried
// data; each pause raises comEventReconnecting, and a connection that goes
// down raises comEventLineCut after its last characters.
//
// Output to a TCP peer is newest first: a sentence goes to the socket only
// when the one before has left the program, the system keeps little
// (a small send buffer, and no more than a sentence it has not sent), and
// one sentence waits here, replaced by a newer one. A peer that takes
// nothing for NotReadingMs raises comEventNotReading and is connected anew.
// What the peer's own system has accepted is out of reach.
//
// A UDP port is bound exclusively: no other socket, of this user or
// another, can bind it while the link runs. udp://:port takes datagrams
// from any sender; udp://host:port, opened to receive, binds the same port
// and takes datagrams from that host only.

#include "NetworkEndpoint.h"
#include "SerialPort.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <functional>

struct NetworkTiming {
    int FirstPauseMs = 1000;
    int MaxPauseMs = 30000;
    // A peer that does not answer at all (a switched-off host) is given up
    // on after this time rather than the system's minutes.
    int ConnectTimeoutMs = 10000;
    int NotReadingMs = 3000;
};

class NetworkSerialPort : public SerialPort {
    Q_OBJECT
public:
    // Endpoint text of a port number, asked at every Open.
    using EndpointResolver = std::function<QString(int port)>;

    explicit NetworkSerialPort(EndpointResolver endpointForPort, NetworkTiming timing = {},
                               QObject* parent = nullptr);
    ~NetworkSerialPort() override;

    void SetCommPort(int port) override { m_port = port; }
    int CommPort() const override { return m_port; }
    // Opening an open port keeps it when the number is unchanged and
    // reopens it on the new number otherwise.
    bool Open(QString& errorDescription) override;
    void Close() override;
    bool PortOpen() const override { return m_eState != Closed; }
    QString Input() override;
    void Output(const QString& text) override;
    QString LastError() const override { return m_lastError; }
    // "Reconnecting in 4 s" and the other network events; the rest as on
    // any port.
    QString CommEventText(int commEvent) const override;
    // "Reconnecting" while a TCP connection is down or being made.
    QString Condition() const override;
    // A TCP connection is dropped and made again after the first pause.
    void Reconnect() override;

    // True while the endpoint can carry data: a TCP connection is up, a UDP
    // socket is bound or its host known.
    bool Connected() const { return m_eState == Ready; }
    // The pause announced by the last comEventReconnecting, milliseconds.
    int PauseMs() const { return m_iShownPauseMs; }
    QString EndpointName() const { return m_name; }

private:
    enum State { Closed, Connecting, Ready, Waiting };

    void Connect();
    void MakeReady();
    // The connection went down or could not be made: keep what was read,
    // then wait and try again. Socket signals report it through the event
    // loop, as the socket may not be torn down inside its own signal.
    void Lost(const QString& reason);
    void LostLater(const QString& reason);
    void HandleReadyRead();
    void ReadDatagrams();
    // Whether a datagram from the sender is taken.
    bool Accepts(const QHostAddress& sender) const;
    // Output could not go out: said once until a send succeeds again.
    void Dropped(const QString& reason);
    // Hands the text to the socket; false with the fate told when it fails.
    bool Send(const QString& text);
    void HandleBytesWritten();
    void DropWaiting(OutputFate fate);
    void Post(int code, int pauseMs = 0);
    // "Port 5 (tcp://192.168.1.20:10110): reason"
    QString Describe(const QString& reason) const;

    EndpointResolver m_endpointForPort;
    NetworkTiming m_timing;
    NetworkEndpoint m_endpoint;
    QTcpSocket m_tcp;
    QUdpSocket m_udp;
    QTimer m_connectTimer;
    QTimer m_pauseTimer;
    QTimer m_notReadingTimer;
    QHostAddress m_sendAddress;
    // The named host's addresses, the only senders taken on a udp://host
    // endpoint that receives.
    QList<QHostAddress> m_peers;
    State m_eState = Closed;
    int m_port = 1;
    int m_openedPort = 0;
    int m_iPauseMs = 0;
    int m_iShownPauseMs = 0;
    QString m_name;
    QString m_lastError;
    // Datagrams received, and what was read before a connection went down,
    // still to be handed out.
    QByteArray m_kept;
    QString m_sNotReading;
    // The newest output, waiting for the socket.
    QString m_waiting;
    // Each opening has its own number; events posted during an earlier one
    // are dropped. Each attempt has one too, for late host lookups.
    quint64 m_session = 0;
    quint64 m_attempt = 0;
    bool m_receivePosted = false;
    // Whether the present connection carried data, which resets the pause.
    bool m_bCarried = false;
    bool m_bTroubleShown = false;
    bool m_bDropShown = false;
};
