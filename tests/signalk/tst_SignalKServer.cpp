// The client against a real signalk-server with the test autopilot plugin.
// A missing server fails the tests with the way to install it.

#include "SignalKClient.h"
#include "SignalKServerFixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <map>
#include <memory>

namespace {

SignalKTiming FastTiming()
{
    SignalKTiming timing;
    timing.FirstPauseMs = 200;
    timing.MaxPauseMs = 1000;
    timing.RequestTimeoutMs = 3000;
    timing.ApprovalPollMs = 200;
    return timing;
}

QJsonObject GetJson(SignalKServerFixture& server, const QString& path)
{
    QByteArray answer;
    server.Http("GET", path, {}, {}, &answer);
    return QJsonDocument::fromJson(answer).object();
}

} // namespace

class TestSignalKServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void InstrumentsArrive();
    void TargetReachesPilot();
    void TargetRefusedByPilot_data();
    void TargetRefusedByPilot();
    void PublishedStateInDataModel();
    void RestartSurvived();
    void AccessRequestApproved();

private:
    // Opens the client and waits for its stream.
    void OpenClient();

    std::unique_ptr<SignalKServerFixture> m_server;
    std::unique_ptr<SignalKClient> m_client;
};

void TestSignalKServer::initTestCase()
{
    m_server = std::make_unique<SignalKServerFixture>(false);
    QString error;
    QVERIFY2(m_server->Start(error), qPrintable(error));
}

void TestSignalKServer::cleanupTestCase() { m_server.reset(); }

void TestSignalKServer::init() { m_client = std::make_unique<SignalKClient>(FastTiming()); }

void TestSignalKServer::cleanup() { m_client.reset(); }

void TestSignalKServer::OpenClient()
{
    QSignalSpy streaming(m_client.get(), &SignalKClient::Streaming);
    QString error;
    QVERIFY2(m_client->Open(m_server->Endpoint(), error), qPrintable(error));
    QVERIFY(streaming.wait(10000));
}

void TestSignalKServer::InstrumentsArrive()
{
    std::map<SignalKKind, double> last;
    QStringList refused;
    connect(m_client.get(), &SignalKClient::Received, this,
            [&](const SignalKUpdate& update) { last[update.eKind] = update.fValue; });
    connect(m_client.get(), &SignalKClient::Refused, this, [&](const QString& text) { refused << text; });
    OpenClient();
    // The capture's values in the program's units.
    const std::pair<SignalKKind, double> expected[] = {
        {SignalKKind::WindAngleApparent, 38.0},  {SignalKKind::WindSpeedApparent, 14.2},
        {SignalKKind::WindAngleTrue, 52.3},      {SignalKKind::WindSpeedTrue, 9.8},
        {SignalKKind::HeadingMagnetic, 214.5},   {SignalKKind::SpeedThroughWater, 6.4},
        {SignalKKind::CourseOverGroundTrue, 218.3}, {SignalKKind::SpeedOverGround, 6.8},
        {SignalKKind::MagneticVariation, 3.2},   {SignalKKind::WaypointBearingTrue, 305.0},
        {SignalKKind::WaypointDistance, 3.25},
    };
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(std::begin(expected), std::end(expected),
                                         [&](const auto& e) { return last.count(e.first) == 1; }),
                             15000);
    for (const auto& [kind, value] : expected)
        QVERIFY2(std::fabs(last[kind] - value) < 1e-3, qPrintable(QStringLiteral("kind ") + QString::fromLatin1(
                                                                       QByteArray::number(int(kind)))));
    QVERIFY2(refused.isEmpty(), qPrintable(refused.join(u'\n')));
}

void TestSignalKServer::TargetReachesPilot()
{
    QString error;
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    OpenClient();
    QTRY_COMPARE_WITH_TIMEOUT(m_client->PilotMode(), QStringLiteral("compass"), 5000);
    QCOMPARE(m_client->PilotState(), QStringLiteral("auto"));
    QSignalSpy answered(m_client.get(), &SignalKClient::TargetAnswered);
    QSignalSpy recorded(m_client.get(), &SignalKClient::Recorded);
    const int before = m_server->Targets().size();
    m_client->SendTarget(350);
    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.first().at(0).toBool(), true);
    const QList<double> targets = m_server->Targets();
    QCOMPARE(targets.size(), before + 1);
    QVERIFY(std::fabs(targets.last() - 6.1087) < 1e-4);
    QVERIFY(recorded.count() >= 1);
}

void TestSignalKServer::TargetRefusedByPilot_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("answer");
    QTest::newRow("standby") << "standby" << "compass" << "Signal K 400 - Pilot in standby: target not taken";
    QTest::newRow("wind mode") << "auto" << "wind" << "Signal K 400 - Pilot in wind mode: target not taken";
}

void TestSignalKServer::TargetRefusedByPilot()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QFETCH(QString, answer);
    QString error;
    QVERIFY2(m_server->SetPilot(state, mode, error), qPrintable(error));
    OpenClient();
    QTRY_COMPARE_WITH_TIMEOUT(m_client->PilotState(), state, 5000);
    QCOMPARE(m_client->PilotMode(), mode);
    QSignalSpy answered(m_client.get(), &SignalKClient::TargetAnswered);
    const int before = m_server->Targets().size();
    m_client->SendTarget(120);
    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.first().at(0).toBool(), false);
    QCOMPARE(answered.first().at(1).toString(), answer);
    QCOMPARE(m_server->Targets().size(), before);
}

void TestSignalKServer::PublishedStateInDataModel()
{
    OpenClient();
    QByteArray held;
    QVERIFY(SignalK::HeldAngleDelta(true, 40, held));
    QString reason;
    QVERIFY2(m_client->SendDelta(held, reason), qPrintable(reason));
    QVERIFY2(m_client->SendDelta(SignalK::NotificationDelta("windAlarm", true, "Wind Alarm"), reason),
             qPrintable(reason));
    const QString self = QStringLiteral("/signalk/v1/api/vessels/self/");
    QTRY_VERIFY_WITH_TIMEOUT(
        GetJson(*m_server, self + "notifications/vanehold/windAlarm").value("value").toObject().value("state")
            == QStringLiteral("alarm"),
        5000);
    const QJsonObject angle = GetJson(*m_server, self + "steering/autopilot/target/windAngleApparent");
    QVERIFY(std::fabs(angle.value("value").toDouble() - 0.6981317) < 1e-6);
    QCOMPARE(angle.value("$source").toString(), QStringLiteral("vanehold"));
    const QJsonObject alarm = GetJson(*m_server, self + "notifications/vanehold/windAlarm");
    QCOMPARE(alarm.value("$source").toString(), QStringLiteral("vanehold"));
    QCOMPARE(alarm.value("value").toObject().value("message").toString(), QStringLiteral("Wind Alarm"));
}

void TestSignalKServer::RestartSurvived()
{
    OpenClient();
    QSignalSpy status(m_client.get(), &SignalKClient::StatusChanged);
    QSignalSpy streaming(m_client.get(), &SignalKClient::Streaming);
    m_server->Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 10000);
    QVERIFY(status.first().first().toString().startsWith(QStringLiteral("Reconnecting in ")));
    QVERIFY(!m_client->Permitted());
    QString error;
    QVERIFY2(m_server->Start(error), qPrintable(error));
    // Starting waits in an event loop, where the client may be back already.
    QVERIFY(!streaming.isEmpty() || streaming.wait(30000));
    QSignalSpy received(m_client.get(), &SignalKClient::Received);
    QVERIFY(received.wait(10000));
}

void TestSignalKServer::AccessRequestApproved()
{
    SignalKServerFixture secured(true);
    QString error;
    QVERIFY2(secured.Start(error), qPrintable(error));
    // Without a token the server refuses the PUT.
    QCOMPARE(secured.Http("PUT", "/signalk/v2/api/vessels/self/autopilots/_default/target", R"({"value":1})"), 403);
    QVERIFY2(secured.SetPilot("auto", "compass", error), qPrintable(error));

    QSignalSpy status(m_client.get(), &SignalKClient::StatusChanged);
    QSignalSpy approved(m_client.get(), &SignalKClient::TokenApproved);
    QSignalSpy answered(m_client.get(), &SignalKClient::TargetAnswered);
    QVERIFY(m_client->Open(secured.Endpoint(), error));
    QTRY_COMPARE_WITH_TIMEOUT(m_client->Condition(), QStringLiteral("Waiting For Signal K Approval"), 10000);
    QCOMPARE(status.last().first().toString(), QStringLiteral("Waiting For Signal K Approval"));
    // Nothing goes out while waiting.
    m_client->SendTarget(350);
    QCOMPARE(answered.last().at(1).toString(), QStringLiteral("Not Sent - Waiting For Signal K Approval"));
    QVERIFY(secured.Targets().isEmpty());

    // The administrator approves once the request has reached the server.
    bool done = false;
    for (QDeadlineTimer deadline(10000); !done && !deadline.hasExpired(); QTest::qWait(100))
        done = secured.ApproveAccess(m_client->ClientId(), error);
    QVERIFY2(done, qPrintable(error));
    QVERIFY(approved.wait(10000));
    const QString token = approved.first().first().toString();
    QVERIFY(!token.isEmpty());
    QCOMPARE(m_client->Token(), token);
    QTRY_VERIFY_WITH_TIMEOUT(m_client->Permitted(), 10000);
    m_client->SendTarget(350);
    QTRY_COMPARE_WITH_TIMEOUT(answered.last().at(0).toBool(), true, 5000);
    QCOMPARE(secured.Targets().size(), 1);
    QVERIFY(std::fabs(secured.Targets().first() - 6.1087) < 1e-4);
    // The token is taken by the server for the PUT itself.
    QCOMPARE(secured.Http("PUT", "/signalk/v2/api/vessels/self/autopilots/_default/target", R"({"value":1})", token),
             200);

    // A later run with the kept token streams at once.
    SignalKClient again(FastTiming());
    again.SetToken(token);
    QSignalSpy streaming(&again, &SignalKClient::Streaming);
    QVERIFY(again.Open(secured.Endpoint(), error));
    QVERIFY(streaming.wait(10000));
}

QTEST_GUILESS_MAIN(TestSignalKServer)
#include "tst_SignalKServer.moc"
