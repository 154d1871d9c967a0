#pragma once
// A real signalk-server for the tests, on a loopback port of its own: the
// fixture binds 127.0.0.1 on a free port and hands the listening socket to
// the server (its systemd socket activation), so the server listens nowhere
// else. The config folder is written fresh: the NMEA 0183 capture of
// tests/data/signalk played in a loop, the test autopilot plugin enabled,
// and with security an admin user. Everything that would reach out of the
// machine is off: the update check, the app store, mDNS, the MFD multicast,
// and the NMEA and Signal K TCP servers on their fixed ports.

#include "SignalKClient.h"
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A client's timing for tests: quick retries against a server on this
// machine.
inline SignalKTiming FastTiming()
{
    SignalKTiming timing;
    timing.FirstPauseMs = 200;
    timing.MaxPauseMs = 1000;
    timing.RequestTimeoutMs = 3000;
    timing.ApprovalPollMs = 200;
    return timing;
}

class SignalKServerFixture {
public:
    static constexpr const char* AdminUser = "admin";
    static constexpr const char* AdminPassword = "harbour-test";

    explicit SignalKServerFixture(bool security);
    ~SignalKServerFixture();

    // Starts the server (the first time on a new port, later on the same
    // one) and waits until it answers; false with the reason.
    bool Start(QString& error);
    void Stop();

    quint16 Port() const { return m_port; }
    QString Endpoint() const;
    QString ConfigDir() const { return m_dir.path(); }
    // The targets the test pilot took, radians, oldest first.
    QList<double> Targets() const;

    // A request to the server, waiting for its answer: the HTTP status (0
    // when none came), the body in answer.
    int Http(const QByteArray& method, const QString& path, const QByteArray& body = {}, const QString& token = {},
             QByteArray* answer = nullptr);
    // An admin's token, empty without security.
    QString AdminToken();
    // The pilot's state and mode, set as the sailor would at the pilot.
    bool SetPilot(const QString& state, const QString& mode, QString& error);
    bool ApproveAccess(const QString& clientId, QString& error);

    // The package folder of the server: VANEHOLD_SIGNALK_SERVER of the
    // environment, else the one configured at build time.
    static QString ServerFolder();

private:
    bool WriteConfig(QString& error);
    bool Listen(QString& error);

    bool m_bSecurity;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_listenFd = -1;
    quint16 m_port = 0;
    bool m_bConfigured = false;
    QString m_adminToken;
};
