// The client against a real signalk-server with the test autopilot plugin:
// what only the client sees (the server's refusals, an access request and
// its token). Instruments, targets, published state and a restart are
// tried through the core, in tst_SignalKCore.
// A missing server fails the tests with the way to install it.

#include "SignalKClient.h"
#include "SignalKServerFixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>

class TestSignalKServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void TargetRefusedByPilot_data();
    void TargetRefusedByPilot();
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
