#pragma once
// Sentences as they go over the wire, their checksums worked out here, and a
// pseudo-terminal for the tests that run the program over real links.

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// "$body*hh": the XOR of the body's characters, with flip XORed in to make
// it wrong on purpose.
inline QString Checksummed(const QString& body, int flip = 0)
{
    int sum = 0;
    for (QChar c : body)
        sum ^= c.unicode();
    return QLatin1Char('$') + body + QLatin1Char('*')
           + QStringLiteral("%1").arg(sum ^ flip, 2, 16, QLatin1Char('0')).toUpper();
}

// The same, as the bytes of one line.
inline QByteArray Line(const QString& body)
{
    return (Checksummed(body) + QStringLiteral("\r\n")).toLatin1();
}

// One raw pseudo-terminal: the test holds the master, the program opens the
// slave device by its name.
struct Pty {
    int master = -1;
    QByteArray device;
    QByteArray received;

    Pty()
    {
        int slave = -1;
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) != 0)
            return;
        ::close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        device = name;
    }
    ~Pty() { ::close(master); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Write(const QByteArray& bytes) const
    {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Everything the program has written so far, collected over calls.
    QByteArray Received()
    {
        char buffer[1024];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            received.append(buffer, n);
        return received;
    }
};
