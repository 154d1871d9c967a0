#include "NetworkSerialPort.h"

#include "NumberText.h"
#include "SerialPortFactory.h"

#include <QHostInfo>
#include <QNetworkDatagram>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A peer that takes no data must not make the program hoard sentences:
// about two hundred APB sentences, then output is dropped.
constexpr qint64 kMaxBacklog = 16384;

} // namespace

NetworkSerialPort::NetworkSerialPort(EndpointResolver endpointForPort, NetworkTiming timing, QObject* parent)
    : SerialPort(parent), m_endpointForPort(std::move(endpointForPort)), m_timing(timing)
{
    m_connectTimer.setSingleShot(true);
    m_pauseTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { Lost(QStringLiteral("no answer")); });
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
    if (endpoint.eKind == NetworkEndpoint::UdpListen) {
        // Shared, so that a chart plotter on the same computer can listen
        // to the same broadcasts.
        if (!m_udp.bind(QHostAddress::Any, endpoint.iPort,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
            m_lastError = Describe(m_udp.errorString());
            m_udp.abort();
            errorDescription = m_lastError;
            return false;
        }
    }
    ++m_session;
    m_iPauseMs = 0;
    m_kept.clear();
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
    m_tcp.abort();
    m_udp.abort();
    m_kept.clear();
    m_receivePosted = false;
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
        MakeReady();
    });
}

void NetworkSerialPort::MakeReady()
{
    m_connectTimer.stop();
    // One short sentence a second: send it now rather than wait for more.
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient)
        m_tcp.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_eState = Ready;
    m_iPauseMs = 0;
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
    m_eState = Waiting;
    ++m_attempt;
    m_connectTimer.stop();
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        m_kept += m_tcp.readAll();
        m_tcp.abort();
    }
    m_lastError = Describe(reason.isEmpty() ? QStringLiteral("connection lost") : reason);
    m_iPauseMs = m_iPauseMs == 0 ? m_timing.FirstPauseMs : std::min(2 * m_iPauseMs, m_timing.MaxPauseMs);
    m_bTroubleShown = true;
    if (!m_kept.isEmpty())
        HandleReadyRead();
    Post(comEventReconnecting, m_iPauseMs);
    m_pauseTimer.start(m_iPauseMs);
}

QString NetworkSerialPort::Input()
{
    if (m_eState == Closed)
        return QString();
    QByteArray bytes = std::exchange(m_kept, QByteArray());
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient)
        bytes += m_tcp.readAll();
    return QString::fromLatin1(bytes);
}

void NetworkSerialPort::Output(const QString& text)
{
    if (m_eState == Closed || text.isEmpty())
        return;
    if (m_endpoint.eKind == NetworkEndpoint::UdpListen) {
        Dropped(QStringLiteral("this endpoint only receives"));
        return;
    }
    if (m_eState != Ready) {
        // The reconnect is shown already.
        m_lastError = Describe(QStringLiteral("not connected, output dropped"));
        return;
    }
    const QByteArray bytes = text.toLatin1();
    if (m_endpoint.eKind == NetworkEndpoint::TcpClient) {
        if (m_tcp.bytesToWrite() > kMaxBacklog) {
            Dropped(QStringLiteral("the peer takes no data"));
            return;
        }
        if (m_tcp.write(bytes) < 0) {
            Dropped(m_tcp.errorString());
            return;
        }
    } else if (m_udp.writeDatagram(bytes, m_sendAddress, m_endpoint.iPort) < 0) {
        Dropped(m_udp.errorString());
        return;
    }
    if (m_bDropShown) {
        m_bDropShown = false;
        Post(comEventLinkUp);
    }
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
        QByteArray data = m_udp.receiveDatagram().data();
        // A sending socket takes nothing in.
        if (m_eState == Closed || m_endpoint.eKind != NetworkEndpoint::UdpListen || data.isEmpty())
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
