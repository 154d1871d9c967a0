#pragma once
// A network endpoint named in place of a serial device:
//   tcp://host:port    TCP client, reads and writes on the connection
//   udp://:port        listens for UDP datagrams on the port (input)
//   udp://host:port    sends UDP datagrams there (output; broadcast allowed)
// The host is a name, an IPv4 address or an IPv6 address in brackets.

#include <QString>
#include <cstdint>

struct NetworkEndpoint {
    enum Kind { TcpClient, UdpListen, UdpSend };
    Kind eKind = TcpClient;
    QString sHost; // empty for UdpListen
    uint16_t iPort = 0;
};

// Whether a device name stands for a network endpoint rather than a device:
// it has a "kind://" in front. Device paths never do.
bool IsNetworkName(const QString& name);

// False with the reason ("port number missing", ...) when the text is not
// one of the forms above; endpoint is then left as it was.
bool ParseNetworkEndpoint(const QString& text, NetworkEndpoint& endpoint, QString& error);
