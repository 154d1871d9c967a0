#include "SignalKClient.h"

#include "NumberText.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QUuid>

#include <cmath>

namespace {

const QString kTargetPath = QStringLiteral("/signalk/v2/api/vessels/self/autopilots/_default/target");
const QString kPilotPath = QStringLiteral("/signalk/v2/api/vessels/self/autopilots/_default");

QJsonObject JsonObject(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

// A reply that failed before any answer is closed and has no body.
QByteArray Body(QNetworkReply* reply)
{
    return reply->isOpen() ? reply->readAll() : QByteArray();
}

int HttpStatus(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// "Signal K 400 - Pilot in standby: target not taken"
QString AnswerText(QNetworkReply* reply, const QByteArray& body)
{
    const int status = HttpStatus(reply);
    if (status == 0)
        return reply->errorString();
    QString message = JsonObject(body).value(QStringLiteral("message")).toString();
    if (message.isEmpty())
        message = QString::fromUtf8(body).trimmed().left(200);
    if (message.isEmpty())
        message = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return QStringLiteral("Signal K ") + NumberText::Format(static_cast<double>(status), u"0")
        + QStringLiteral(" - ") + message;
}

} // namespace

SignalKClient::SignalKClient(SignalKTiming timing, Clock clock, QObject* parent)
    : QObject(parent), m_timing(timing), m_clock(std::move(clock)),
      m_sClientId(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    // The server is on the boat's own network: a proxy of the desktop's
    // settings must not carry the pilot's traffic.
    m_net.setProxy(QNetworkProxy::NoProxy);
    m_socket.setProxy(QNetworkProxy::NoProxy);
    m_pauseTimer.setSingleShot(true);
    m_pollTimer.setSingleShot(true);
    m_streamTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &SignalKClient::Connect);
    connect(&m_pollTimer, &QTimer::timeout, this, &SignalKClient::PollAccess);
    connect(&m_streamTimer, &QTimer::timeout, this, [this] { Lost(QStringLiteral("no answer")); });
    connect(&m_socket, &QWebSocket::connected, this, [this] {
        m_streamTimer.stop();
        m_eState = Live;
        QJsonArray subscribe;
        for (const QString& path : SignalK::SubscribedPaths())
            subscribe.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("policy"), QStringLiteral("instant")}});
        m_socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("context"), QStringLiteral("vessels.self")},
                                      {QStringLiteral("subscribe"), subscribe}})
                .toJson(QJsonDocument::Compact)));
        SetStatus(QString());
        ReadPilot();
        emit Streaming();
    });
    connect(&m_socket, &QWebSocket::disconnected, this, [this] {
        if (m_eState == Live || m_eState == Connecting) {
            const QString reason = m_socket.closeReason();
            Lost(reason.isEmpty() ? QStringLiteral("connection lost") : reason);
        }
    });
    connect(&m_socket, &QWebSocket::textMessageReceived, this, &SignalKClient::HandleMessage);
}

SignalKClient::~SignalKClient()
{
    m_eState = Closed;
    m_socket.abort();
}

bool SignalKClient::Open(const QString& endpointText, QString& error)
{
    SignalKEndpoint endpoint;
    if (!ParseSignalKEndpoint(endpointText, endpoint, error))
        return false;
    Stop();
    m_endpoint = endpoint;
    m_iPauseMs = 0;
    Connect();
    return true;
}

void SignalKClient::Close()
{
    Stop();
    m_eState = Closed;
    SetPilot(QString(), QString());
}

QString SignalKClient::Condition() const
{
    switch (m_eState) {
    case Discovering:
    case Connecting:
    case Waiting:
        return QStringLiteral("Reconnecting");
    case Requesting:
        return QStringLiteral("Waiting For Signal K Approval");
    case Denied:
        return QStringLiteral("Signal K Access Denied");
    default:
        return QString();
    }
}

void SignalKClient::Stop()
{
    ++m_session;
    m_pauseTimer.stop();
    m_pollTimer.stop();
    m_streamTimer.stop();
    const State was = m_eState;
    m_eState = Waiting;
    m_socket.abort();
    m_eState = was;
    if (m_put)
        m_put->abort();
    m_put.clear();
    m_waitingTarget.reset();
}

void SignalKClient::SetStatus(const QString& text)
{
    m_sStatus = text;
    emit StatusChanged(text);
}

QNetworkRequest SignalKClient::Request(const QString& path) const
{
    QNetworkRequest request(m_endpoint.HttpUrl(path));
    request.setTransferTimeout(m_timing.RequestTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!m_sToken.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + m_sToken.toUtf8());
    return request;
}

QNetworkReply* SignalKClient::Get(const QString& path)
{
    return m_net.get(Request(path));
}

void SignalKClient::OnFinished(QNetworkReply* reply, std::function<void(QNetworkReply*)> done)
{
    const quint64 session = m_session;
    connect(reply, &QNetworkReply::finished, this, [this, reply, session, done = std::move(done)] {
        reply->deleteLater();
        // A reply of a connection given up already is dropped; a transfer
        // timeout of this one is a lost connection like any other error.
        if (session == m_session && m_eState != Closed)
            done(reply);
    });
}

void SignalKClient::Connect()
{
    ++m_session;
    m_eState = Discovering;
    OnFinished(Get(QStringLiteral("/signalk")), [this](QNetworkReply* reply) {
        const QByteArray body = Body(reply);
        if (reply->error() != QNetworkReply::NoError || HttpStatus(reply) != 200) {
            Lost(AnswerText(reply, body));
            return;
        }
        if (!JsonObject(body).value(QStringLiteral("endpoints")).isObject()) {
            Lost(QStringLiteral("not a Signal K server"));
            return;
        }
        CheckLogin();
    });
}

// The server's own login status says whether it wants a token and whether
// the one we hold is good. A server without that route has no security.
void SignalKClient::CheckLogin()
{
    OnFinished(Get(QStringLiteral("/skServer/loginStatus")), [this](QNetworkReply* reply) {
        const QByteArray body = Body(reply);
        const int status = HttpStatus(reply);
        if (status == 0) {
            Lost(reply->errorString());
            return;
        }
        const QJsonObject login = JsonObject(body);
        if (status == 404 || !login.value(QStringLiteral("authenticationRequired")).toBool()) {
            OpenStream();
            return;
        }
        if (login.value(QStringLiteral("status")).toString() == u"loggedIn") {
            OpenStream();
            return;
        }
        if (!m_sToken.isEmpty()) {
            m_sToken.clear();
            emit Refused(QStringLiteral("Signal K Token Refused"));
        }
        RequestAccess();
    });
}

void SignalKClient::RequestAccess()
{
    m_eState = Requesting;
    SetStatus(QStringLiteral("Waiting For Signal K Approval"));
    QNetworkRequest request = Request(QStringLiteral("/signalk/v1/access/requests"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QJsonObject body{{QStringLiteral("clientId"), m_sClientId},
                           {QStringLiteral("description"), QStringLiteral("Vanehold")},
                           {QStringLiteral("permissions"), QStringLiteral("readwrite")}};
    OnFinished(m_net.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)), [this](QNetworkReply* reply) {
        const QByteArray answer = Body(reply);
        const QJsonObject reply_ = JsonObject(answer);
        const QString href = reply_.value(QStringLiteral("href")).toString();
        if (HttpStatus(reply) != 202 || href.isEmpty()) {
            // A request of ours may still be pending from before a restart
            // of this program: the server answers 400 and we wait again.
            Lost(AnswerText(reply, answer));
            return;
        }
        m_sAccessHref = href;
        m_pollTimer.start(m_timing.ApprovalPollMs);
    });
}

void SignalKClient::PollAccess()
{
    if (m_eState != Requesting)
        return;
    OnFinished(Get(m_sAccessHref), [this](QNetworkReply* reply) {
        const QByteArray body = Body(reply);
        if (HttpStatus(reply) != 200) {
            Lost(AnswerText(reply, body));
            return;
        }
        const QJsonObject answer = JsonObject(body);
        if (answer.value(QStringLiteral("state")).toString() != u"COMPLETED") {
            m_pollTimer.start(m_timing.ApprovalPollMs);
            return;
        }
        const QJsonObject access = answer.value(QStringLiteral("accessRequest")).toObject();
        const QString token = access.value(QStringLiteral("token")).toString();
        if (access.value(QStringLiteral("permission")).toString() != u"APPROVED" || token.isEmpty()) {
            m_eState = Denied;
            SetStatus(QStringLiteral("Signal K Access Denied"));
            return;
        }
        m_sToken = token;
        emit TokenApproved(token);
        OpenStream();
    });
}

void SignalKClient::OpenStream()
{
    m_eState = Connecting;
    QNetworkRequest request(m_endpoint.StreamUrl(QStringLiteral("/signalk/v1/stream?subscribe=none")));
    if (!m_sToken.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + m_sToken.toUtf8());
    m_streamTimer.start(m_timing.RequestTimeoutMs);
    m_socket.open(request);
}

void SignalKClient::HandleMessage(const QString& message)
{
    if (m_eState != Live)
        return;
    const QJsonObject object = JsonObject(message.toUtf8());
    if (object.contains(QStringLiteral("self"))) {
        m_sSelf = object.value(QStringLiteral("self")).toString();
        return;
    }
    const QString context = object.value(QStringLiteral("context")).toString();
    if (!context.isEmpty() && context != m_sSelf && context != u"vessels.self")
        return;
    const qint64 now = m_clock();
    QString state = m_sPilotState;
    QString mode = m_sPilotMode;
    for (const QJsonValue& update : object.value(QStringLiteral("updates")).toArray()) {
        for (const QJsonValue& entry : update.toObject().value(QStringLiteral("values")).toArray()) {
            const QJsonObject pathValue = entry.toObject();
            const QString path = pathValue.value(QStringLiteral("path")).toString();
            if (SignalK::KindOfPath(path) == SignalKKind::None)
                continue;
            const QJsonValue value = pathValue.value(QStringLiteral("value"));
            m_bCarried = true;
            emit Recorded(SignalKRecordLine({SignalKRecord::In, path, value}));
            SignalKUpdate converted;
            QString refusal;
            if (!SignalK::Convert(path, value, converted, refusal)) {
                emit Refused(refusal);
                continue;
            }
            converted.iTimeMs = now;
            if (converted.eKind == SignalKKind::PilotState)
                state = converted.sText;
            else if (converted.eKind == SignalKKind::PilotMode)
                mode = converted.sText;
            emit Received(converted);
        }
    }
    SetPilot(state, mode);
}

void SignalKClient::ReadPilot()
{
    OnFinished(Get(kPilotPath), [this](QNetworkReply* reply) {
        const QJsonObject pilot = JsonObject(Body(reply));
        if (HttpStatus(reply) != 200)
            return; // no pilot yet: its deltas will tell
        SetPilot(pilot.value(QStringLiteral("state")).toString(m_sPilotState),
                 pilot.value(QStringLiteral("mode")).toString(m_sPilotMode));
    });
}

void SignalKClient::SetPilot(const QString& state, const QString& mode)
{
    if (state == m_sPilotState && mode == m_sPilotMode)
        return;
    m_sPilotState = state;
    m_sPilotMode = mode;
    emit PilotChanged(state, mode);
}

void SignalKClient::SendTarget(double degrees)
{
    double radians = 0;
    if (!SignalK::TargetRadians(degrees, radians)) {
        emit TargetAnswered(false, QStringLiteral("Not Sent - heading not a number"));
        return;
    }
    if (!Permitted()) {
        const QString why = Condition();
        emit TargetAnswered(false, QStringLiteral("Not Sent - ") + (why.isEmpty() ? QStringLiteral("Stopped") : why));
        return;
    }
    m_waitingTarget = radians;
    if (!m_put)
        PutNext();
}

void SignalKClient::PutNext()
{
    if (!m_waitingTarget || !Permitted())
        return;
    const double radians = *m_waitingTarget;
    m_waitingTarget.reset();
    QNetworkRequest request = Request(kTargetPath);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    emit Recorded(SignalKRecordLine({SignalKRecord::Put, QStringLiteral("steering.autopilot.target"), radians}));
    QNetworkReply* reply = m_net.put(request, SignalK::TargetBody(radians));
    m_put = reply;
    OnFinished(reply, [this](QNetworkReply* done) {
        m_put.clear();
        const QByteArray body = Body(done);
        const int status = HttpStatus(done);
        if (status >= 200 && status < 300)
            emit TargetAnswered(true, QString());
        else
            emit TargetAnswered(false, AnswerText(done, body));
        // A token the server no longer takes (expired, revoked): ask anew.
        if (status == 401 && !m_sToken.isEmpty()) {
            m_sToken.clear();
            emit Refused(QStringLiteral("Signal K Token Refused"));
            Lost(QStringLiteral("Signal K Token Refused"));
            return;
        }
        PutNext();
    });
}

bool SignalKClient::SendDelta(const QByteArray& delta, QString& reason)
{
    if (!Permitted()) {
        const QString why = Condition();
        reason = why.isEmpty() ? QStringLiteral("Stopped") : why;
        return false;
    }
    const QJsonObject object = JsonObject(delta);
    for (const QJsonValue& update : object.value(QStringLiteral("updates")).toArray())
        for (const QJsonValue& entry : update.toObject().value(QStringLiteral("values")).toArray())
            emit Recorded(SignalKRecordLine({SignalKRecord::Out, entry.toObject().value(QStringLiteral("path")).toString(),
                                             entry.toObject().value(QStringLiteral("value"))}));
    m_socket.sendTextMessage(QString::fromUtf8(delta));
    return true;
}

void SignalKClient::Lost(const QString& reason)
{
    if (m_eState == Closed)
        return;
    Stop();
    m_eState = Waiting;
    if (m_bCarried)
        m_iPauseMs = 0;
    m_bCarried = false;
    m_iPauseMs = m_iPauseMs == 0 ? m_timing.FirstPauseMs : std::min(2 * m_iPauseMs, m_timing.MaxPauseMs);
    SetPilot(QString(), QString());
    m_sLastError = m_endpoint.Name() + QStringLiteral(": ") + reason;
    SetStatus(QStringLiteral("Reconnecting in ") + NumberText::Format(std::ceil(m_iPauseMs / 1000.0), u"0")
              + QStringLiteral(" s"));
    m_pauseTimer.start(m_iPauseMs);
}
