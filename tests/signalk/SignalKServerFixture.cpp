#include "SignalKServerFixture.h"

#include "NumberText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// bcrypt of AdminPassword, as the server's security file keeps it.
const char* const kAdminHash = "$2a$10$/hHG2ebOMCFO8UEdJluPO.0/k1hO2NfH8oL6pmU.ZHX1i/zPTJor2";
// The server's first listening socket under socket activation.
constexpr int kListenFd = 3;

bool WriteJson(const QString& path, const QJsonObject& object)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(QJsonDocument(object).toJson()) > 0;
}

QString PortText(quint16 port) { return NumberText::Format(static_cast<double>(port), u"0"); }

} // namespace

SignalKServerFixture::SignalKServerFixture(bool security) : m_bSecurity(security) {}

SignalKServerFixture::~SignalKServerFixture() { Stop(); }

QString SignalKServerFixture::ServerFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("VANEHOLD_SIGNALK_SERVER");
    return fromEnvironment.isEmpty() ? QStringLiteral(VANEHOLD_SIGNALK_SERVER) : fromEnvironment;
}

QString SignalKServerFixture::Endpoint() const { return QStringLiteral("signalk://127.0.0.1:") + PortText(m_port); }

bool SignalKServerFixture::Listen(QString& error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_port);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = QStringLiteral("cannot listen on 127.0.0.1:") + PortText(m_port);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_port = ntohs(address.sin_port);
    return true;
}

bool SignalKServerFixture::WriteConfig(QString& error)
{
    const QString dir = m_dir.path();
    QDir().mkpath(dir + QStringLiteral("/node_modules"));
    QDir().mkpath(dir + QStringLiteral("/plugin-config-data"));
    const QString plugin = dir + QStringLiteral("/node_modules/vanehold-test-autopilot");
    if (!QFile::link(QStringLiteral(VANEHOLD_SIGNALK_PLUGIN), plugin)) {
        error = QStringLiteral("cannot link the test autopilot plugin into ") + dir;
        return false;
    }
    QJsonObject settings{
        {"port", m_port},
        {"mdns", false},
        {"ssl", false},
        {"interfaces", QJsonObject{{"appstore", false}, {"mfd_webapp", false}, {"nmea-tcp", false}, {"tcp", false}}},
        {"vessel", QJsonObject{{"name", "Vanehold Test"},
                               {"uuid", "urn:mrn:signalk:uuid:5b3c3a4e-7d1f-4c38-9a51-2f3d8c1a0b77"}}},
        {"pipedProviders",
         QJsonArray{QJsonObject{
             {"id", "capture"},
             {"enabled", true},
             {"pipeElements",
              QJsonArray{QJsonObject{
                  {"type", "providers/simple"},
                  {"options", QJsonObject{{"logging", false},
                                          {"type", "FileStream"},
                                          {"subOptions",
                                           QJsonObject{{"dataType", "NMEA0183"},
                                                       {"filename", VANEHOLD_TEST_DATA "/signalk/instruments.nmea"}}}}}}}}}}}};
    if (m_bSecurity) {
        settings.insert("security", QJsonObject{{"strategy", "./tokensecurity"}});
        const QJsonObject security{
            {"allow_readonly", true},
            {"expiration", "1d"},
            {"secretKey", "6f1c0b9e3d2a4c8b7e5f1a2d3c4b5a69788796a5b4c3d2e1f00112233445566"},
            {"users", QJsonArray{QJsonObject{{"username", AdminUser}, {"type", "admin"}, {"password", kAdminHash}}}},
            {"devices", QJsonArray{}},
            {"acls", QJsonArray{}},
            {"immutableConfig", false},
            {"allowDeviceAccessRequests", true},
            {"allowNewUserRegistration", false}};
        if (!WriteJson(dir + QStringLiteral("/security.json"), security)) {
            error = QStringLiteral("cannot write security.json");
            return false;
        }
    }
    if (!WriteJson(dir + QStringLiteral("/settings.json"), settings)
        || !WriteJson(dir + QStringLiteral("/plugin-config-data/vanehold-test-autopilot.json"),
                      QJsonObject{{"enabled", true}, {"configuration", QJsonObject{}}})
        || !WriteJson(dir + QStringLiteral("/package.json"), QJsonObject{{"private", true}})) {
        error = QStringLiteral("cannot write the server's settings into ") + dir;
        return false;
    }
    return true;
}

bool SignalKServerFixture::Start(QString& error)
{
    const QString program = ServerFolder() + QStringLiteral("/bin/signalk-server");
    if (!QFile::exists(program)) {
        error = QStringLiteral("signalk-server not found at ") + program
            + QStringLiteral(": run scripts/install-signalk.sh (or set VANEHOLD_SIGNALK_SERVER)");
        return false;
    }
    if (!m_dir.isValid()) {
        error = QStringLiteral("no temporary folder");
        return false;
    }
    if (!Listen(error))
        return false;
    if (!m_bConfigured && !WriteConfig(error))
        return false;
    m_bConfigured = true;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"PORT", "SSLPORT", "EXTERNALPORT", "SIGNALK_NODE_SETTINGS", "LISTEN_FDS"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("SIGNALK_NODE_CONFIG_DIR", m_dir.path());
    environment.insert("SIGNALK_DISABLE_SERVER_UPDATES", "1");
    environment.insert("LISTEN_FDS", "1");
    environment.insert("HOME", m_dir.path());
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_dir.path());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_dir.path() + QStringLiteral("/server.log"), QIODevice::Append);
    const int fd = m_listenFd;
    m_process.setChildProcessModifier([fd] {
        ::dup2(fd, kListenFd);
        ::fcntl(kListenFd, F_SETFD, 0);
    });
    m_process.start(QStringLiteral("node"), {program, QStringLiteral("-c"), m_dir.path()});
    if (!m_process.waitForStarted(10000)) {
        error = QStringLiteral("node did not start: ") + m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            QFile log(m_dir.path() + QStringLiteral("/server.log"));
            log.open(QIODevice::ReadOnly);
            error = QStringLiteral("signalk-server ended: ") + QString::fromUtf8(log.readAll().right(2000));
            return false;
        }
        if (Http("GET", QStringLiteral("/signalk/v2/api/vessels/self/autopilots/_default")) == 200)
            return true;
        QThread::msleep(200);
    }
    error = QStringLiteral("signalk-server did not answer within 60 s");
    return false;
}

void SignalKServerFixture::Stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
    m_adminToken.clear();
}

QList<double> SignalKServerFixture::Targets() const
{
    QList<double> targets;
    QFile file(m_dir.path() + QStringLiteral("/targets.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return targets;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            targets << QJsonDocument::fromJson(line).object().value("value").toDouble();
    return targets;
}

int SignalKServerFixture::Http(const QByteArray& method, const QString& path, const QByteArray& body,
                               const QString& token, QByteArray* answer)
{
    QNetworkAccessManager net;
    net.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:") + PortText(m_port) + path));
    request.setTransferTimeout(10000);
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (!token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    QNetworkReply* reply = net.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (answer)
        *answer = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return status;
}

QString SignalKServerFixture::AdminToken()
{
    if (!m_bSecurity || !m_adminToken.isEmpty())
        return m_adminToken;
    QByteArray answer;
    Http("POST", QStringLiteral("/signalk/v1/auth/login"),
         QJsonDocument(QJsonObject{{"username", AdminUser}, {"password", AdminPassword}}).toJson(), {}, &answer);
    m_adminToken = QJsonDocument::fromJson(answer).object().value("token").toString();
    return m_adminToken;
}

bool SignalKServerFixture::SetPilot(const QString& state, const QString& mode, QString& error)
{
    const QString base = QStringLiteral("/signalk/v2/api/vessels/self/autopilots/_default/");
    for (const auto& [what, value] : {std::pair{QStringLiteral("state"), state}, std::pair{QStringLiteral("mode"), mode}}) {
        QByteArray answer;
        const int status = Http("PUT", base + what, QJsonDocument(QJsonObject{{"value", value}}).toJson(),
                                AdminToken(), &answer);
        if (status != 200) {
            error = QStringLiteral("setting the pilot's ") + what + QStringLiteral(": ") + QString::fromUtf8(answer);
            return false;
        }
    }
    return true;
}

bool SignalKServerFixture::ApproveAccess(const QString& clientId, QString& error)
{
    QByteArray answer;
    const int status = Http("PUT", QStringLiteral("/skServer/security/access/requests/") + clientId + "/approved",
                            QJsonDocument(QJsonObject{{"permissions", "readwrite"}, {"config", QJsonObject{}},
                                                      {"expiration", "1d"}})
                                .toJson(),
                            AdminToken(), &answer);
    if (status != 200) {
        error = QStringLiteral("approving the access request: ") + QString::fromUtf8(answer);
        return false;
    }
    return true;
}
