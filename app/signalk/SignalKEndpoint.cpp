#include "SignalKEndpoint.h"

#include "NetworkEndpoint.h"
#include "NumberText.h"

namespace {

const QString kSeparator = QStringLiteral("://");

QString HostPart(const QString& host)
{
    return host.contains(u':') ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

QUrl MakeUrl(const QString& scheme, const SignalKEndpoint& endpoint, const QString& path)
{
    QUrl url;
    url.setScheme(scheme);
    url.setHost(endpoint.sHost);
    url.setPort(endpoint.iPort);
    const qsizetype query = path.indexOf(u'?');
    url.setPath(query < 0 ? path : path.left(query));
    if (query >= 0)
        url.setQuery(path.mid(query + 1));
    return url;
}

} // namespace

QUrl SignalKEndpoint::HttpUrl(const QString& path) const
{
    return MakeUrl(bTls ? QStringLiteral("https") : QStringLiteral("http"), *this, path);
}

QUrl SignalKEndpoint::StreamUrl(const QString& path) const
{
    return MakeUrl(bTls ? QStringLiteral("wss") : QStringLiteral("ws"), *this, path);
}

QString SignalKEndpoint::Name() const
{
    return (bTls ? QStringLiteral("signalks://") : QStringLiteral("signalk://")) + HostPart(sHost)
        + QLatin1Char(':') + NumberText::Format(static_cast<double>(iPort), u"0");
}

bool IsSignalKName(const QString& name)
{
    const QString kind = name.trimmed().section(kSeparator, 0, 0).toLower();
    return name.contains(kSeparator) && (kind == u"signalk" || kind == u"signalks");
}

bool ParseSignalKEndpoint(const QString& text, SignalKEndpoint& endpoint, QString& error)
{
    const QString whole = text.trimmed();
    const qsizetype at = whole.indexOf(kSeparator);
    if (at < 0) {
        error = QStringLiteral("not a Signal K server, use signalk://host:port or signalks://host:port");
        return false;
    }
    const QString kind = whole.left(at).toLower();
    if (kind != u"signalk" && kind != u"signalks") {
        error = QStringLiteral("unknown kind \"") + whole.left(at)
            + QStringLiteral("\", use signalk:// or signalks://");
        return false;
    }
    // Host and port are read as a TCP endpoint's, with the same reasons.
    NetworkEndpoint network;
    if (!ParseNetworkEndpoint(QStringLiteral("tcp://") + whole.mid(at + kSeparator.size()), network, error))
        return false;
    endpoint.bTls = kind == u"signalks";
    endpoint.sHost = network.sHost;
    endpoint.iPort = network.iPort;
    return true;
}
