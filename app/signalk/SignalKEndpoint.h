#pragma once
// A Signal K server named in place of a serial device:
//   signalk://host:port    HTTP and WebSocket
//   signalks://host:port   the same over TLS
// The host is a name, an IPv4 address or an IPv6 address in brackets.

#include <QString>
#include <QUrl>
#include <cstdint>

struct SignalKEndpoint {
    bool bTls = false;
    QString sHost;
    uint16_t iPort = 0;

    // http(s)://host:port + path, ws(s)://host:port + path
    QUrl HttpUrl(const QString& path) const;
    QUrl StreamUrl(const QString& path) const;
    // The endpoint as it was written, lower-case kind: "signalk://host:port"
    QString Name() const;
};

// Whether the text names a Signal K server rather than a device or another
// network endpoint.
bool IsSignalKName(const QString& name);

// False with the reason ("port number missing", ...) when the text is not
// one of the forms above; endpoint is then left as it was.
bool ParseSignalKEndpoint(const QString& text, SignalKEndpoint& endpoint, QString& error);
