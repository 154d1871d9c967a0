#pragma once
// The connection to a Signal K server: discovery, the access request when
// the server's security asks for one, the WebSocket stream of the boat's
// own data, the autopilot target PUT and the deltas Vanehold publishes.
//
// Open parses the endpoint and returns at once; the rest happens in the
// background. A connection that cannot be made or goes down is tried again
// after a pause that doubles from FirstPauseMs up to MaxPauseMs and starts
// again from FirstPauseMs once a stream carried data, as on tcp://; each
// pause is announced as "Reconnecting in 4 s".
//
// Nothing goes out before the server permits it: until the stream is up,
// and on a server with security until a token it accepts is in use, a
// target or a delta is refused with the reason. A target waits for the
// answer to the one before it; only the newest one waits (an old heading
// must not reach the pilot late).

#include "SignalKEndpoint.h"
#include "SignalKPaths.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <optional>

class QNetworkReply;

struct SignalKTiming {
    int FirstPauseMs = 1000;
    int MaxPauseMs = 30000;
    // An HTTP request or a stream that is not answered in this time is
    // given up, as a switched-off host would be.
    int RequestTimeoutMs = 10000;
    // How often a pending access request is asked about.
    int ApprovalPollMs = 5000;
};

class SignalKClient : public QObject {
    Q_OBJECT
public:
    // Milliseconds of the clock that stamps the updates.
    using Clock = std::function<qint64()>;

    explicit SignalKClient(SignalKTiming timing = {}, Clock clock = {}, QObject* parent = nullptr);
    ~SignalKClient() override;

    // The identity an access request names; the caller keeps it with the
    // token so that the server knows the device again.
    void SetClientId(const QString& clientId) { m_sClientId = clientId; }
    QString ClientId() const { return m_sClientId; }
    // A token from an earlier approval, used from the next connection on.
    void SetToken(const QString& token) { m_sToken = token; }
    QString Token() const { return m_sToken; }

    // False with the reason for a malformed endpoint; starts connecting.
    bool Open(const QString& endpointText, QString& error);
    void Close();
    bool IsOpen() const { return m_eState != Closed; }
    // The stream is up and the server permits writing.
    bool Permitted() const { return m_eState == Live; }
    // "Reconnecting", "Waiting For Signal K Approval", "Signal K Access
    // Denied", or empty while streaming or closed.
    QString Condition() const;
    int PauseMs() const { return m_iPauseMs; }
    QString EndpointName() const { return m_endpoint.Name(); }
    // Why the last connection was lost: "signalk://host:port: reason".
    QString LastError() const { return m_sLastError; }

    // The pilot's state and mode as last read, empty when unknown.
    QString PilotState() const { return m_sPilotState; }
    QString PilotMode() const { return m_sPilotMode; }

    // PUT .../autopilots/_default/target with the heading (degrees) in
    // radians. The answer comes with TargetAnswered.
    void SendTarget(double degrees);
    // A delta (see SignalK::Delta) over the stream; false with the reason
    // when it cannot go now.
    bool SendDelta(const QByteArray& delta, QString& reason);

signals:
    void Received(const SignalKUpdate& update);
    // A value refused, with the path named.
    void Refused(const QString& text);
    // The link's state as the status panel shows it: "" once streaming,
    // "Reconnecting in 4 s", "Waiting For Signal K Approval", "Signal K
    // Token Refused", "Signal K Access Denied", or an error text.
    void StatusChanged(const QString& text);
    // The stream is up and writing permitted.
    void Streaming();
    // The administrator approved the access request: the caller keeps the
    // token (it is in use already).
    void TokenApproved(const QString& token);
    // ok with an empty text, or the server's answer ("Signal K 400 - Pilot
    // in standby: target not taken") or why nothing was sent.
    void TargetAnswered(bool ok, const QString& text);
    void PilotChanged(const QString& state, const QString& mode);
    // Every update in and out as a record line (SignalKRecordLine).
    void Recorded(const QString& line);

private:
    enum State { Closed, Discovering, Requesting, Connecting, Live, Waiting, Denied };

    QNetworkRequest Request(const QString& path) const;
    QNetworkReply* Get(const QString& path);
    // Calls done(reply) when the reply of this connection finishes; replies
    // of an earlier connection are dropped.
    void OnFinished(QNetworkReply* reply, std::function<void(QNetworkReply*)> done);
    void Connect();
    void CheckLogin();
    void RequestAccess();
    void PollAccess();
    void OpenStream();
    void HandleMessage(const QString& message);
    void ReadPilot();
    void SetPilot(const QString& state, const QString& mode);
    void PutNext();
    // The connection could not be made or went down: wait, then again.
    void Lost(const QString& reason);
    void Stop();
    void SetStatus(const QString& text);

    SignalKTiming m_timing;
    Clock m_clock;
    SignalKEndpoint m_endpoint;
    QNetworkAccessManager m_net;
    QWebSocket m_socket;
    QTimer m_pauseTimer;
    QTimer m_pollTimer;
    QTimer m_streamTimer;
    State m_eState = Closed;
    QString m_sClientId;
    QString m_sToken;
    QString m_sAccessHref;
    QString m_sSelf;
    QString m_sPilotState;
    QString m_sPilotMode;
    QString m_sStatus;
    QString m_sLastError;
    int m_iPauseMs = 0;
    bool m_bCarried = false;
    // The target PUT on its way, and the newest one waiting for it.
    QPointer<QNetworkReply> m_put;
    std::optional<double> m_waitingTarget;
    quint64 m_session = 0;
};
