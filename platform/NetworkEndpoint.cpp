#include "NetworkEndpoint.h"

#include "NumberText.h"

#include <QHostAddress>

namespace {

const QString kSeparator = QStringLiteral("://");

bool IsNameCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
        || c == u'.' || c == u'_';
}

bool ParsePort(QStringView text, uint16_t& port)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    double value = 0;
    if (!NumberText::TryParseDecimal(text, value) || value < 1 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

// A host that is neither an address nor a possible name gets a reason.
bool CheckHost(const QString& host, bool bracketed, QString& error)
{
    const QHostAddress address(host);
    if (bracketed) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol)
            return true;
        error = QStringLiteral("invalid IPv6 address \"") + host + QLatin1Char('"');
        return false;
    }
    if (host.contains(u':')) {
        error = QStringLiteral("an IPv6 address goes in brackets, as [") + host + QLatin1Char(']');
        return false;
    }
    if (!address.isNull())
        return true;
    bool numeric = true;
    for (QChar c : host) {
        if (!IsNameCharacter(c)) {
            error = QStringLiteral("invalid host name \"") + host + QLatin1Char('"');
            return false;
        }
        numeric = numeric && (c == u'.' || (c >= u'0' && c <= u'9'));
    }
    // "192.168.1.300" is a mistyped address, not a name to look up.
    if (numeric) {
        error = QStringLiteral("invalid IPv4 address \"") + host + QLatin1Char('"');
        return false;
    }
    return true;
}

} // namespace

bool IsNetworkName(const QString& name)
{
    const qsizetype at = name.indexOf(kSeparator);
    if (at <= 0)
        return false;
    for (QChar c : QStringView(name).left(at).trimmed())
        if (!c.isLetter())
            return false;
    return true;
}

bool ParseNetworkEndpoint(const QString& text, NetworkEndpoint& endpoint, QString& error)
{
    const QString whole = text.trimmed();
    const qsizetype at = whole.indexOf(kSeparator);
    if (at < 0) {
        error = QStringLiteral("not a network endpoint, use tcp://host:port or udp://host:port");
        return false;
    }
    const QString kind = whole.left(at).toLower();
    NetworkEndpoint parsed;
    if (kind == u"tcp") {
        parsed.eKind = NetworkEndpoint::TcpClient;
    } else if (kind == u"udp") {
        parsed.eKind = NetworkEndpoint::UdpSend;
    } else {
        error = QStringLiteral("unknown kind \"") + whole.left(at) + QStringLiteral("\", use tcp:// or udp://");
        return false;
    }

    const QString rest = whole.mid(at + kSeparator.size());
    QString host;
    QStringView portText;
    const bool bracketed = rest.startsWith(u'[');
    if (bracketed) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0) {
            error = QStringLiteral("missing \"]\" after the IPv6 address");
            return false;
        }
        host = rest.mid(1, close - 1);
        if (rest.mid(close + 1, 1) != u":") {
            error = QStringLiteral("port number missing");
            return false;
        }
        portText = QStringView(rest).mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0) {
            error = QStringLiteral("port number missing");
            return false;
        }
        host = rest.left(colon);
        portText = QStringView(rest).mid(colon + 1);
    }
    if (portText.isEmpty()) {
        error = QStringLiteral("port number missing");
        return false;
    }
    if (!ParsePort(portText, parsed.iPort)) {
        error = QStringLiteral("port \"") + portText.toString() + QStringLiteral("\" is not a number from 1 to 65535");
        return false;
    }
    if (host.isEmpty()) {
        if (parsed.eKind == NetworkEndpoint::TcpClient || bracketed) {
            error = QStringLiteral("host missing");
            return false;
        }
        parsed.eKind = NetworkEndpoint::UdpListen;
    } else if (!CheckHost(host, bracketed, error)) {
        return false;
    }
    parsed.sHost = host;
    endpoint = parsed;
    return true;
}
