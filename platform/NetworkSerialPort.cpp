#include "NetworkSerialPort.h"

#include "NumberText.h"
#include "SerialPortFactory.h"

#include <QHostInfo>
#include <QNetworkDatagram>

#include <algorithm>
#include <cmath>
#include <utility>

#ifdef Q_OS_UNIX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// What the system may keep for a peer: the send buffer (the system's
// least, about 4.6 KB on Linux) and, of that, at most this much not yet
// sent, so a stalled peer leaves no queue of old sentences behind.
constexpr int kSendBuffer = 2048;
constexpr int kUnsentLimit = 128;

void KeepSendingSmall(QTcpSocket& socket)
{
    socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBuffer);
#if defined(Q_OS_UNIX) && defined(TCP_NOTSENT_LOWAT)
    const int unsent = kUnsentLimit;
    ::setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_NOTSENT_LOWAT, &unsent, sizeof unsent);
#endif
}

} // namespace

NetworkSerialPort::NetworkSerialPort(EndpointResolver endpointForPort, NetworkTiming timing, QObject* parent)
    : SerialPort(parent), m_endpointForPort(std::move(endpointForPort)), m_timing(timing)
{
    m_connectTimer.setSingleShot(true);
    m_pauseTimer.setSingleShot(true);
    m_notReadingTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { Lost(QStringLiteral("no answer")); });
    connect(&m_notReadingTimer, &QTimer::timeout, this, [this] {
        if (m_eState != Ready || m_tcp.bytesToWrite() == 0)
            return;
        Lost(QStringLiteral("the peer reads nothing"));
        // Kept apart: the drops while reconnecting describe themselves.
        m_sNotReading = m_lastError;
        Post(comEventNotReading);
    });
    connect(&m_tcp, &QAbstractSocket::bytesWritten, this, &NetworkSerialPort::HandleBytesWritten);
    connect(&m_pauseTimer, &QTimer::timeout, this, &NetworkSerialPort::Connect);
    connect(&m_tcp, &QTcpSocket::connected, this, [this] {
        if (m_eState == Connecting)
            MakeReady();
    });
    connect(&m_tcp, &QTcpSocket::readyRead, this, &NetworkSerialPort::HandleReadyRead);
    connect(&m_tcp, &QAbstractSocket::errorOccurred, this, [this] { LostLater(m_tcp.errorString()); });
    connect(&m_tcp, &QAbstractSocket::disconnected, this,
            [this] { LostLater(QStringLiteral("connection closed by the peer")); });
    connect(&m_udp, &QUdpSocket::readyRead, this, &NetworkSerialPort::ReadDatagrams);
}

NetworkSerialPort::~NetworkSerialPort()
{
    // The sockets are torn down after this object's own members: nothing
    // they say then may reach it.
    m_tcp.disconnect(this);
    m_udp.disconnect(this);
    Close();
}

bool NetworkSerialPort::Open(QString& errorDescription)
{
    if (m_eState != Closed) {
        if (m_openedPort == m_port)
            return true;
        Close();
    }
    if (m_port < 1) {
        m_lastError = InvalidPortText(m_port);
        errorDescription = m_lastError;
        return false;
    }
    m_openedPort = m_port;
    m_name = m_endpointForPort ? m_endpointForPort(m_port) : QString();
    NetworkEndpoint endpoint;
    QString why;
    if (!ParseNetworkEndpoint(m_name, endpoint, why)) {
        m_lastError = Describe(why);
        errorDescription = m_lastError;
        return false;
    }
    m_endpoint = endpoint;
    const bool listens = endpoint.eKind == NetworkEndpoint::UdpListen
                         || (endpoint.eKind == NetworkEndpoint::UdpSend && Receiving());
    if (listens) {
        // The instruments' port is the program's own: another program or
        // user binding it too would take the datagrams or feed its own.
        if (!m_udp.bind(QHostAddress::Any, endpoint.iPort, QAbstractSocket::DontShareAddress)) {
            m_lastError = Describe(m_udp.errorString());
            m_udp.abort();
            errorDescription = m_lastError;
            return false;
        }
    }
    ++m_session;
    m_iPauseMs = 0;
    m_kept.clear();
    m_peers.clear();
    m_receivePosted = false;
    m_bTroubleShown = false;
    m_bDropShown = false;
    if (endpoint.eKind == NetworkEndpoint::UdpListen)
        m_eState = Ready;
    else
        Connect();
    return true;
}

void NetworkSerialPort::Close()
{
    if (m_eState == Closed)
        return;
    m_eState = Closed;
    ++m_session;
    ++m_attempt;
    m_connectTimer.stop();
    m_pauseTimer.stop();
    m_notReadingTimer.stop();
    m_tcp.abort();
    m_udp.abort();
    m_kept.clear();
    m_receivePosted = false;
    DropWaiting(OutputDropped);
}

void NetworkSerialPort::Connect()
{
    m_eState = Connecting;
    ++m_attempt;
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        m_tcp.abort();
        m_tcp.connectToHost(m_endpoint.sHost, m_endpoint.iPort);
        m_connectTimer.start(m_timing.ConnectTimeoutMs);
        return;
    }
    const QHostAddress address(m_endpoint.sHost);
    if (!address.isNull()) {
        m_sendAddress = address;
        m_peers = {address};
        MakeReady();
        return;
    }
    const quint64 attempt = m_attempt;
    QHostInfo::lookupHost(m_endpoint.sHost, this, [this, attempt](const QHostInfo& info) {
        if (attempt != m_attempt || m_eState != Connecting)
            return;
        if (info.addresses().isEmpty()) {
            Lost(info.errorString());
            return;
        }
        m_sendAddress = info.addresses().constFirst();
        m_peers = info.addresses();
        MakeReady();
    });
}

void NetworkSerialPort::MakeReady()
{
    m_connectTimer.stop();
    // One short sentence a second: send it now rather than wait for more.
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        m_tcp.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        KeepSendingSmall(m_tcp);
    } else {
        m_iPauseMs = 0;
    }
    m_eState = Ready;
    m_bCarried = false;
    if (m_bTroubleShown || m_bDropShown) {
        m_bTroubleShown = false;
        m_bDropShown = false;
        Post(comEventLinkUp);
    }
}

void NetworkSerialPort::LostLater(const QString& reason)
{
    const quint64 attempt = m_attempt;
    QMetaObject::invokeMethod(
        this,
        [this, attempt, reason] {
            if (attempt == m_attempt)
                Lost(reason);
        },
        Qt::QueuedConnection);
}

void NetworkSerialPort::Lost(const QString& reason)
{
    if (m_eState != Connecting && m_eState != Ready)
        return;
    const bool wasReady = m_eState == Ready;
    m_eState = Waiting;
    ++m_attempt;
    m_connectTimer.stop();
    m_notReadingTimer.stop();
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        const QByteArray last = m_tcp.readAll();
        m_bCarried = m_bCarried || !last.isEmpty();
        m_kept += last;
        m_tcp.abort();
    }
    DropWaiting(OutputDropped);
    m_lastError = Describe(reason.isEmpty() ? QStringLiteral("connection lost") : reason);
    // A connection that carried nothing (a server that accepts and closes,
    // a silent one) is not retried faster than one that cannot be made.
    if (m_bCarried)
        m_iPauseMs = 0;
    m_bCarried = false;
    m_iPauseMs = m_iPauseMs == 0 ? m_timing.FirstPauseMs : std::min(2 * m_iPauseMs, m_timing.MaxPauseMs);
    m_bTroubleShown = true;
    if (!m_kept.isEmpty())
        HandleReadyRead();
    if (wasReady && m_endpoint.eKind == NetworkEndpoint::TcpClient)
        Post(comEventLineCut);
    Post(comEventReconnecting, m_iPauseMs);
    m_pauseTimer.start(m_iPauseMs);
}

QString NetworkSerialPort::Input()
{
    if (m_eState == Closed)
        return QString();
    if (m_endpoint.eKind != NetworkEndpoint::TcpClient)
        return QString::fromLatin1(std::exchange(m_kept, QByteArray()));
    if (!m_kept.isEmpty()) {
        // The end of a lost connection: a new one's characters come with
        // the next event, after the cut.
        if (m_tcp.bytesAvailable() > 0)
            HandleReadyRead();
        return QString::fromLatin1(std::exchange(m_kept, QByteArray()));
    }
    return QString::fromLatin1(m_tcp.readAll());
}

void NetworkSerialPort::Reconnect()
{
    if (m_eState == Ready && m_endpoint.eKind == NetworkEndpoint::TcpClient)
        Lost(QStringLiteral("nothing received, connecting anew"));
}

void NetworkSerialPort::Output(const QString& text)
{
    if (text.isEmpty())
        return;
    if (m_eState == Closed) {
        emit OutputDone(text, OutputDropped);
        return;
    }
    if (m_endpoint.eKind == NetworkEndpoint::UdpListen) {
        Dropped(QStringLiteral("this endpoint only receives"));
        emit OutputDone(text, OutputDropped);
        return;
    }
    if (m_eState != Ready) {
        // The reconnect is shown already.
        m_lastError = Describe(QStringLiteral("not connected, output dropped"));
        emit OutputDone(text, OutputDropped);
        return;
    }
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient && m_tcp.bytesToWrite() > 0) {
        DropWaiting(OutputReplaced);
        m_waiting = text;
        return;
    }
    Send(text);
}

bool NetworkSerialPort::Send(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        if (m_tcp.write(bytes) < 0) {
            Dropped(m_tcp.errorString());
            emit OutputDone(text, OutputDropped);
            return false;
        }
        if (!m_notReadingTimer.isActive())
            m_notReadingTimer.start(m_timing.NotReadingMs);
    } else if (m_udp.writeDatagram(bytes, m_sendAddress, m_endpoint.iPort) < 0) {
        Dropped(m_udp.errorString());
        emit OutputDone(text, OutputDropped);
        return false;
    }
    emit OutputDone(text, OutputWritten);
    if (m_bDropShown) {
        m_bDropShown = false;
        Post(comEventLinkUp);
    }
    return true;
}

void NetworkSerialPort::HandleBytesWritten()
{
    if (m_eState != Ready)
        return;
    m_bCarried = true;
    if (m_tcp.bytesToWrite() > 0) {
        m_notReadingTimer.start(m_timing.NotReadingMs); // it reads, slowly
        return;
    }
    m_notReadingTimer.stop();
    if (!m_waiting.isEmpty())
        Send(std::exchange(m_waiting, QString()));
}

void NetworkSerialPort::DropWaiting(OutputFate fate)
{
    if (!m_waiting.isEmpty())
        emit OutputDone(std::exchange(m_waiting, QString()), fate);
}

void NetworkSerialPort::Dropped(const QString& reason)
{
    m_lastError = Describe(reason);
    if (m_bDropShown)
        return;
    m_bDropShown = true;
    Post(comEventOutputDropped);
}

void NetworkSerialPort::HandleReadyRead()
{
    if (m_eState == Ready)
        m_bCarried = true;
    // One event stands for everything waiting until it is handled.
    if (m_receivePosted)
        return;
    m_receivePosted = true;
    Post(comEvReceive);
}

void NetworkSerialPort::ReadDatagrams()
{
    // Read at once: a UDP socket left with a datagram waiting may not
    // signal the next one.
    bool got = false;
    while (m_udp.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp.receiveDatagram();
        QByteArray data = datagram.data();
        if (m_eState == Closed || data.isEmpty() || !Accepts(datagram.senderAddress()))
            continue;
        // A datagram is a whole message: its last sentence must not run
        // into the next datagram's first.
        if (!data.endsWith('\n') && !data.endsWith('\r'))
            data += "\r\n";
        m_kept += data;
        got = true;
    }
    if (got)
        HandleReadyRead();
}

bool NetworkSerialPort::Accepts(const QHostAddress& sender) const
{
    if (m_endpoint.eKind == NetworkEndpoint::UdpListen)
        return true;
    // Until the name is looked up nobody is known.
    if (m_endpoint.eKind != NetworkEndpoint::UdpSend || m_eState != Ready)
        return false;
    return std::any_of(m_peers.begin(), m_peers.end(), [&](const QHostAddress& peer) {
        // A v4 sender arrives mapped on the dual-stack socket; ::1 is
        // another address than 127.0.0.1.
        return peer.isEqual(sender, QHostAddress::ConvertV4MappedToIPv4);
    });
}

void NetworkSerialPort::Post(int code, int pauseMs)
{
    const quint64 session = m_session;
    QMetaObject::invokeMethod(
        this,
        [this, code, pauseMs, session] {
            if (session != m_session)
                return;
            if (code == comEvReceive)
                m_receivePosted = false;
            if (code == comEventReconnecting)
                m_iShownPauseMs = pauseMs;
            emit OnComm(code);
        },
        Qt::QueuedConnection);
}

QString NetworkSerialPort::Condition() const
{
    const bool down = m_eState == Connecting || m_eState == Waiting;
    return down && m_endpoint.eKind == NetworkEndpoint::TcpClient ? QStringLiteral("Reconnecting") : QString();
}

QString NetworkSerialPort::CommEventText(int commEvent) const
{
    switch (commEvent) {
    case comEventReconnecting:
        return QStringLiteral("Reconnecting in ") + NumberText::Format(std::ceil(m_iShownPauseMs / 1000.0), u"0")
            + QStringLiteral(" s");
    case comEventLinkUp:
        return QString();
    case comEventOutputDropped:
        return QStringLiteral("Output Dropped - ") + m_lastError;
    case comEventNotReading:
        return QStringLiteral("Not Reading - ") + m_sNotReading;
    default:
        return SerialPort::CommEventText(commEvent);
    }
}

QString NetworkSerialPort::Describe(const QString& reason) const
{
    return QStringLiteral("Port ") + NumberText::Format(static_cast<double>(m_openedPort), u"0")
        + QStringLiteral(" (") + m_name + QStringLiteral("): ")
        + (reason.isEmpty() ? QStringLiteral("unknown error") : reason);
}
