// The steering core with its instrument and autopilot ports on a real
// signalk-server: values in, targets out, the pilot's state heeded, the held
// angle and the alarms published, a restart survived and an approved access
// kept in the profile.

#include "NmeaReplay.h"
#include "SignalKServerFixture.h"
#include "SteeringCore.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

#include <cmath>
#include <map>
#include <memory>

namespace {

constexpr double Pi = 3.14159265358979;

QJsonObject GetJson(SignalKServerFixture& server, const QString& path)
{
    QByteArray answer;
    server.Http("GET", QStringLiteral("/signalk/v1/api/vessels/self/") + path, {}, server.AdminToken(), &answer);
    return QJsonDocument::fromJson(answer).object();
}

int FileMode(const QString& file)
{
    struct stat st {};
    return stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QString ProfileValue(const QString& file, const QString& key)
{
    QSettings ini(file, QSettings::IniFormat);
    return ini.value(QStringLiteral("SignalK/") + key).toString();
}

// A core on the test's thread with both ports on the server.
struct Boat {
    Boat(const QString& profile, const QString& endpoint, const QString& nmea = {})
    {
        QFile file(profile);
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write(("[Ports]\n5=" + endpoint + "\n[Nmea]\n" + nmea).toLatin1());
        file.close();
        CoreSetup setup;
        setup.ProfileFile = profile;
        setup.SignalK = FastTiming();
        core = std::make_unique<SteeringCore>(setup);
        QObject::connect(core.get(), &SteeringCore::ValueChanged,
                         [this](InstrumentValue which, float value) { values[which] = value; });
        QObject::connect(core.get(), &SteeringCore::NmeaLine, [this](const QString& line, bool) { lines << line; });
        QObject::connect(core.get(), &SteeringCore::InputStatusChanged,
                         [this](const QString& text) { input << text; });
        QObject::connect(core.get(), &SteeringCore::OutputStatusChanged,
                         [this](const QString& text) { output = text; });
        core->ProfileInitialize(true);
    }
    // Manual on the boat's heading once it and both winds are known (the
    // angles Track holds are taken from the winds at each step).
    bool Engage()
    {
        if (!QTest::qWaitFor([this] {
                return values.count(InstrumentValue::Heading) && values.count(InstrumentValue::AppWindAngle)
                       && values.count(InstrumentValue::TrueWindAngle);
            }, 15000))
            return false;
        core->TrackEngage(values[InstrumentValue::Heading]);
        // A step of Manual takes the angles Track will hold.
        QSignalSpy sent(core.get(), &SteeringCore::PilotSent);
        return core->Mode() == TrackModeManual && sent.wait(15000);
    }
    std::unique_ptr<SteeringCore> core;
    std::map<InstrumentValue, float> values;
    QStringList lines;
    QStringList input;
    QString output;
};

} // namespace

class TestSignalKCore : public QObject {
    Q_OBJECT
private slots:
    void PilotModesThatTakeAHeading_data();
    void PilotModesThatTakeAHeading();
    void AlarmNotificationNames_data();
    void AlarmNotificationNames();
    void initTestCase();
    void cleanupTestCase();
    void InstrumentsArriveAsValues_data();
    void InstrumentsArriveAsValues();
    void ManualAndTrackSteerThePilot_data();
    void ManualAndTrackSteerThePilot();
    void PilotNotSteeringACompassHeading_data();
    void PilotNotSteeringACompassHeading();
    void TrackPublishesHeldAngleAndAlarms();
    void ServerRestartSurvived();
    void ApprovedAccessKeptInProfile();
    void RecordReplaysTheStream();

private:
    QString Profile(const QString& name) { return m_dir.filePath(name + QStringLiteral(".ini")); }

    QTemporaryDir m_dir;
    std::unique_ptr<SignalKServerFixture> m_server;
};

void TestSignalKCore::PilotModesThatTakeAHeading_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("compass") << "auto" << "compass" << "";
    QTest::newRow("no modes, auto") << "auto" << "" << "";
    QTest::newRow("upper case") << "AUTO" << "Compass" << "";
    QTest::newRow("standby") << "standby" << "compass" << "No Output - Pilot In Standby";
    QTest::newRow("wind") << "auto" << "wind" << "No Output - Pilot In Wind Mode";
    QTest::newRow("true wind") << "auto" << "true wind" << "No Output - Pilot In Wind Mode";
    QTest::newRow("no modes, wind") << "wind" << "" << "No Output - Pilot In Wind Mode";
    QTest::newRow("gps") << "auto" << "gps" << "No Output - Pilot In Gps Mode";
    QTest::newRow("unknown") << "" << "" << "No Output - Pilot Not Known";
}

void TestSignalKCore::PilotModesThatTakeAHeading()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QTEST(SignalKLink::PilotRefusal(state, mode), "refusal");
}

void TestSignalKCore::AlarmNotificationNames_data()
{
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<QString>("name");
    QTest::newRow("words") << "AutoPilot Not Following" << "autoPilotNotFollowing";
    QTest::newRow("two") << "Wind Shift" << "windShift";
    QTest::newRow("signs dropped") << "No Apparent-Wind Data!" << "noApparentWindData";
    QTest::newRow("nothing left") << "- !" << "";
}

void TestSignalKCore::AlarmNotificationNames()
{
    QFETCH(QString, alarm);
    QTEST(SignalKLink::NotificationName(alarm), "name");
}

void TestSignalKCore::initTestCase()
{
    m_server = std::make_unique<SignalKServerFixture>(false);
    QString error;
    QVERIFY2(m_server->Start(error), qPrintable(error));
}

void TestSignalKCore::cleanupTestCase() { m_server.reset(); }

void TestSignalKCore::InstrumentsArriveAsValues_data()
{
    QTest::addColumn<QString>("sources");
    QTest::addColumn<double>("heading");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("waypoint");
    // The capture: compass 214.5 M, through water 6.4, course 218.3 T and
    // 6.8 over ground, variation 3.2 E, waypoint 305.0 T.
    QTest::newRow("compass, water") << "Heading=0\nBoat Speed=0\nTrue Wind=0\n" << 214.5 << 6.4 << 301.8;
    QTest::newRow("course, ground") << "Heading=1\nBoat Speed=1\nTrue Wind=0\n" << 215.1 << 6.8 << 301.8;
}

void TestSignalKCore::InstrumentsArriveAsValues()
{
    QFETCH(QString, sources);
    QFETCH(double, heading);
    QFETCH(double, speed);
    QFETCH(double, waypoint);
    Boat boat(Profile(QTest::currentDataTag()), m_server->Endpoint(), sources);
    const std::pair<InstrumentValue, double> expected[] = {
        {InstrumentValue::Heading, heading},       {InstrumentValue::BoatSpeed, speed},
        {InstrumentValue::AppWindAngle, 38.0},     {InstrumentValue::AppWindSpeed, 14.2},
        {InstrumentValue::TrueWindAngle, 52.3},    {InstrumentValue::TrueWindSpeed, 9.8},
        {InstrumentValue::WaypointBearing, waypoint},
    };
    for (const auto& [which, value] : expected)
        QTRY_VERIFY2_WITH_TIMEOUT(boat.values.count(which) && std::fabs(boat.values[which] - value) < 0.05,
                                  qPrintable(QString::number(int(which))), 15000);
    // The Input list shows each update as it came, in SI units.
    QVERIFY(!boat.lines.filter(QRegularExpression(QStringLiteral("^in environment\\.wind\\.speedApparent 7\\.30"))).isEmpty());
    QVERIFY(boat.core->NmeaPortOpen());
}

void TestSignalKCore::ManualAndTrackSteerThePilot_data()
{
    QTest::addColumn<bool>("track");
    QTest::newRow("Manual") << false;
    QTest::newRow("Track") << true;
}

void TestSignalKCore::ManualAndTrackSteerThePilot()
{
    QFETCH(bool, track);
    QString error;
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    Boat boat(Profile(QTest::currentDataTag()), m_server->Endpoint(), "Heading=0\nTrue Wind=0\n");
    QVERIFY(boat.Engage());
    if (track)
        boat.core->TrackSetTrack();
    const int before = m_server->Targets().size();
    QTRY_VERIFY_WITH_TIMEOUT(m_server->Targets().size() >= before + 2, 15000);
    // The wind holds steady: the heading stays the boat's own, 214.5.
    QVERIFY(std::fabs(m_server->Targets().last() - 214.5 * Pi / 180) < 1e-3);
    QCOMPARE(boat.output, QStringLiteral("Pilot auto, compass"));
    QVERIFY(!boat.core->Alarms().Active(AlarmKind::NotFollowing));
}

void TestSignalKCore::PilotNotSteeringACompassHeading_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("notFollowing");
    QTest::newRow("standby") << "standby" << "compass" << "No Output - Pilot In Standby" << true;
    QTest::newRow("wind mode") << "auto" << "wind" << "No Output - Pilot In Wind Mode" << false;
    QTest::newRow("route mode") << "auto" << "route" << "No Output - Pilot In Route Mode" << false;
}

void TestSignalKCore::PilotNotSteeringACompassHeading()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QFETCH(QString, status);
    QFETCH(bool, notFollowing);
    QString error;
    QVERIFY2(m_server->SetPilot(state, mode, error), qPrintable(error));
    Boat boat(Profile(QTest::currentDataTag()), m_server->Endpoint(), "Heading=0\nTrue Wind=0\n");
    QSignalSpy sent(boat.core.get(), &SteeringCore::PilotSent);
    const int before = m_server->Targets().size();
    QVERIFY(boat.Engage());
    QTRY_VERIFY_WITH_TIMEOUT(sent.count() >= 3, 15000);
    QCOMPARE(boat.output, status);
    QVERIFY(sent.last().first().toString().endsWith(QStringLiteral("<<") + status + QStringLiteral(">>")));
    QCOMPARE(boat.core->Alarms().Active(AlarmKind::NotFollowing), notFollowing);
    QCOMPARE(m_server->Targets().size(), before);
}

void TestSignalKCore::TrackPublishesHeldAngleAndAlarms()
{
    QString error;
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    Boat boat(Profile(QStringLiteral("published")), m_server->Endpoint(), "Heading=0\nTrue Wind=0\n");
    QVERIFY(boat.Engage());
    boat.core->TrackSelect(TrackAngle::True);
    boat.core->TrackSetTrack();
    // The true wind angle of the capture, 52.3 degrees.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::fabs(GetJson(*m_server, "steering/autopilot/target/windAngleTrue").value("value").toDouble()
                  - 52.3 * Pi / 180) < 1e-3, 15000);
    QCOMPARE(GetJson(*m_server, "steering/autopilot/target/windAngleTrue").value("$source").toString(),
             QStringLiteral("vanehold"));

    // The sailor puts the pilot on standby: the alarm reaches the server,
    // and clears when the pilot steers again.
    const QString path = QStringLiteral("notifications/vanehold/autoPilotNotFollowing");
    QVERIFY2(m_server->SetPilot("standby", "compass", error), qPrintable(error));
    QTRY_COMPARE_WITH_TIMEOUT(GetJson(*m_server, path).value("value").toObject().value("state").toString(),
                              QStringLiteral("alarm"), 15000);
    const QJsonObject alarm = GetJson(*m_server, path);
    QCOMPARE(alarm.value("$source").toString(), QStringLiteral("vanehold"));
    QCOMPARE(alarm.value("value").toObject().value("message").toString(),
             QStringLiteral("AutoPilot Not Following - Heading Held"));
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    QTRY_COMPARE_WITH_TIMEOUT(GetJson(*m_server, path).value("value").toObject().value("state").toString(),
                              QStringLiteral("normal"), 15000);
}

void TestSignalKCore::ServerRestartSurvived()
{
    QString error;
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    Boat boat(Profile(QStringLiteral("restart")), m_server->Endpoint(), "Heading=0\nTrue Wind=0\n");
    QVERIFY(boat.Engage());
    m_server->Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!boat.input.filter(QStringLiteral("Reconnecting in ")).isEmpty(), 15000);
    QVERIFY2(m_server->Start(error), qPrintable(error));
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    const int before = m_server->Targets().size();
    QTRY_VERIFY_WITH_TIMEOUT(m_server->Targets().size() > before, 30000);
    QCOMPARE(boat.core->Mode(), TrackModeManual);
}

void TestSignalKCore::ApprovedAccessKeptInProfile()
{
    SignalKServerFixture secured(true);
    QString error;
    QVERIFY2(secured.Start(error), qPrintable(error));
    QVERIFY2(secured.SetPilot("auto", "compass", error), qPrintable(error));
    const QString profile = Profile(QStringLiteral("secured"));
    {
        // A token from another server is refused, said, and forgotten.
        QFile file(profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(("[Ports]\n5=" + secured.Endpoint() + "\n[Nmea]\nHeading=0\nTrue Wind=0\n"
                    "[SignalK]\nToken=eyJhbGciOiJIUzI1NiJ9.e30.not-this-servers\n").toLatin1());
        file.close();
        Boat boat(profile, secured.Endpoint());
        QTRY_VERIFY_WITH_TIMEOUT(
            boat.input.contains(QStringLiteral("Signal K Token Refused - Waiting For Signal K Approval")), 15000);
        QCOMPARE(ProfileValue(profile, QStringLiteral("Token")), QString());
        QVERIFY(boat.values.empty());
        const QString clientId = ProfileValue(profile, QStringLiteral("ClientId"));
        QVERIFY(!clientId.isEmpty());
        bool done = false;
        for (QDeadlineTimer deadline(15000); !done && !deadline.hasExpired(); QTest::qWait(100))
            done = secured.ApproveAccess(clientId, error);
        QVERIFY2(done, qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(!ProfileValue(profile, QStringLiteral("Token")).isEmpty(), 15000);
        QCOMPARE(FileMode(profile), 0600);
        QVERIFY(boat.Engage());
        QTRY_VERIFY_WITH_TIMEOUT(!secured.Targets().isEmpty(), 15000);
        QCOMPARE(boat.core->Close(), SteeringCore::CloseResult::Saved);
    }
    // Saved and started again: the kept token streams at once.
    QCOMPARE(FileMode(profile), 0600);
    Boat again(profile, secured.Endpoint());
    QTRY_VERIFY_WITH_TIMEOUT(again.values.count(InstrumentValue::Heading) == 1, 15000);
    QVERIFY(!again.input.contains(QStringLiteral("Waiting For Signal K Approval")));
}

// What the server streamed is recorded as received lines and played back
// through the same path: the replay steers the heading the live run sent.
void TestSignalKCore::RecordReplaysTheStream()
{
    QString error;
    QVERIFY2(m_server->SetPilot("auto", "compass", error), qPrintable(error));
    QBuffer record;
    record.open(QIODevice::WriteOnly);
    {
        Boat boat(Profile(QStringLiteral("record")), m_server->Endpoint(), "Heading=0\nTrue Wind=0\n");
        RecordWriter writer(*boat.core, record);
        QVERIFY(boat.Engage());
        const int before = m_server->Targets().size();
        QTRY_VERIFY_WITH_TIMEOUT(m_server->Targets().size() >= before + 2, 15000);
    }
    const QString text = QString::fromLatin1(record.data());
    QVERIFY2(text.contains(QLatin1String(" < in environment.wind.angleApparent 0.66322"))
                 && text.contains(QLatin1String(" > put steering.autopilot.target 3.74373")),
             qPrintable(text.left(2000)));

    ReplaySession session(NmeaCaptureReader::FromText(text, QDateTime::currentDateTime()));
    CoreSetup setup;
    setup.ProfileFile = Profile(QStringLiteral("replay"));
    QFile profile(setup.ProfileFile);
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write("[Nmea]\nHeading=0\nTrue Wind=0\n");
    profile.close();
    session.Prepare(setup);
    SteeringCore core(setup);
    QStringList sent;
    connect(&core, &SteeringCore::PilotSent, this, [&sent](const QString& line) { sent << line; });
    core.ProfileInitialize(true);
    session.Report(core);
    QVERIFY(!sent.isEmpty());
    QVERIFY2(sent.first().contains(QLatin1String(",214.5,M,")), qPrintable(sent.first()));
}

QTEST_GUILESS_MAIN(TestSignalKCore)
#include "tst_SignalKCore.moc"
