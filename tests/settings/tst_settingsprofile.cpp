#include "NumberText.h"
#include "SettingsProfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <random>

namespace {

const QString kData = QStringLiteral(VANEHOLD_TEST_DATA "/profiles/");

QByteArray Contents(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// Records the window-side steps in the order they happen.
class RecordingHost : public ProfileHost {
public:
    QStringList calls;
    bool historyVisible = false;
    bool polarVisible = false;

    void ShowProfileValues(const QString& autoPilot, const QString& desiredApparent,
                           const QString& desiredTrue) override
    {
        calls << QStringLiteral("ShowProfileValues ") + autoPilot + QLatin1Char(' ') + desiredApparent
                + QLatin1Char(' ') + desiredTrue;
    }
    void ShowHistoryWindow() override { calls << QStringLiteral("ShowHistoryWindow"); }
    void ShowPolarWindow() override { calls << QStringLiteral("ShowPolarWindow"); }
    bool HistoryWindowVisible() const override { return historyVisible; }
    bool PolarWindowVisible() const override { return polarVisible; }
    void TrackSetSetup() override { calls << QStringLiteral("TrackSetSetup"); }
    void TrackSetManual() override { calls << QStringLiteral("TrackSetManual"); }
};

// Every member as "name=value", so a comparison names what differs.
QStringList Members(const ProfileSettings& s)
{
    auto n = [](double v) { return NumberText::Plain(v); };
    auto b = [](bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); };
    return {
        "NmeaPort=" + n(s.m_iNmeaPort),
        "NmeaHeading=" + n(s.m_iNmeaHeading),
        "NmeaBoatSpeed=" + n(s.m_iNmeaBoatSpeed),
        "NmeaTrueWind=" + n(s.m_iNmeaTrueWind),
        "HDG=" + b(s.m_bNmeaSentenceHDG),
        "HVM=" + b(s.m_bNmeaSentenceHVM),
        "MWV=" + b(s.m_bNmeaSentenceMWV),
        "RMB=" + b(s.m_bNmeaSentenceRMB),
        "RMC=" + b(s.m_bNmeaSentenceRMC),
        "VHW=" + b(s.m_bNmeaSentenceVHW),
        "VTG=" + b(s.m_bNmeaSentenceVTG),
        "WindIndicatorAverage=" + n(s.m_fNmeaWindIndicatorAverage),
        "TrueWindAverage=" + n(s.m_fNmeaTrueWindAverage),
        "PilotPort=" + n(s.m_iPilotPort),
        "AutoPilot=" + n(s.m_fAutoPilot),
        "Simulate=" + b(s.m_bSimulate),
        "SimulateBoatSpeed=" + n(s.m_fSimulateBoatSpeed),
        "SimulateCompassOffset=" + n(s.m_fSimulateCompassOffset),
        "SimulateNoiseAngle=" + n(s.m_fSimulateNoiseAngle),
        "SimulateNoiseSpeed=" + n(s.m_fSimulateNoiseSpeed),
        "SimulateTime=" + n(s.m_fSimulateTime),
        "SimulateTrueWindAngle=" + n(s.m_fSimulateTrueWindAngle),
        "SimulateTrueWindSpeed=" + n(s.m_fSimulateTrueWindSpeed),
        "SimulateVariation=" + n(s.m_fSimulateVariation),
        "SimulateWaypointBearing=" + n(s.m_fSimulateWaypointBearing),
        "SimulateWaypointRange=" + n(s.m_fSimulateWaypointRange),
        "TrackAlarm=" + b(s.m_bTrackAlarm),
        "TrackAlarmLimit=" + n(s.m_fTrackAlarmLimit),
        "TrackBandwidth=" + n(s.m_fTrackBandwidth),
        "TrackDamping=" + n(s.m_fTrackDamping),
        "TrackMaxSteerTo=" + n(s.m_fTrackMaxSteerTo),
        "Desired1=" + n(s.m_fDesired[1]),
        "Desired2=" + n(s.m_fDesired[2]),
    };
}

// Every stored and unstored member away from its default.
void Scramble(ProfileSettings& s)
{
    s.m_iNmeaPort = 9;
    s.m_iNmeaHeading = 0;
    s.m_iNmeaBoatSpeed = 0;
    s.m_iNmeaTrueWind = 0;
    s.m_bNmeaSentenceHDG = s.m_bNmeaSentenceHVM = s.m_bNmeaSentenceMWV = false;
    s.m_bNmeaSentenceRMB = s.m_bNmeaSentenceRMC = s.m_bNmeaSentenceVHW = s.m_bNmeaSentenceVTG = false;
    s.m_fNmeaWindIndicatorAverage = 0;
    s.m_fNmeaTrueWindAverage = 1.333333f;
    s.m_iPilotPort = 12;
    s.m_fAutoPilot = 359.5f;
    s.m_bSimulate = true;
    s.m_fSimulateBoatSpeed = 1.25f;
    s.m_fSimulateCompassOffset = -7;
    s.m_fSimulateNoiseAngle = 0.1f;
    s.m_fSimulateNoiseSpeed = 0;
    s.m_fSimulateTime = 3.5f;
    s.m_fSimulateTrueWindAngle = 123.4f;
    s.m_fSimulateTrueWindSpeed = 31;
    s.m_fSimulateVariation = -12.75f;
    s.m_fSimulateWaypointBearing = 0;
    s.m_fSimulateWaypointRange = 1234.567f;
    s.m_bTrackAlarm = false;
    s.m_fTrackAlarmLimit = 1;
    s.m_fTrackBandwidth = 45;
    s.m_fTrackDamping = 0.5f;
    s.m_fTrackMaxSteerTo = 90;
    s.m_fDesired[1] = -45;
    s.m_fDesired[2] = 150;
}

} // namespace

class TestSettingsProfile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void saveDefaultsByteForByte();
    void saveKeepsOtherKeysAndVisibility();
    void saveReportsFailure();
    void killedSaveLeavesOneWholeProfile();
    void recallHandWritten();
    void recallKeepsDefaultOutOfLimits_data();
    void recallKeepsDefaultOutOfLimits();
    void roundTrip();
    void firstRunWithoutProfile();
    void initializeRecallsInOrderAndSimulates();
    void initializeWithoutRecallRestoresDefaults();
    void profilePathChoice();
    void profilePathCopiesOldProfileOnce();

private:
    QTemporaryDir m_dir;
    QString m_file;
};

void TestSettingsProfile::init()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("Vanehold.ini"));
    QFile::remove(m_file);
}

void TestSettingsProfile::saveDefaultsByteForByte()
{
    ProfileSettings settings;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = m_file;
    QVERIFY(profile.ProfileSave());
    QCOMPARE(Contents(m_file), Contents(kData + "defaults.ini"));
    QVERIFY(host.calls.isEmpty());
}

void TestSettingsProfile::saveKeepsOtherKeysAndVisibility()
{
    QVERIFY(QFile::copy(kData + "recall.ini", m_file));
    QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);
    ProfileSettings settings;
    RecordingHost host;
    host.historyVisible = false;
    host.polarVisible = true;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = m_file;
    QVERIFY(profile.ProfileSave());

    const QByteArray text = Contents(m_file);
    QVERIFY(text.startsWith("; A profile from a boat, edited by hand\n[Nmea]\nBoat Speed=1\nheading=1\nPORT=5\n"));
    QVERIFY(text.contains("[Pilot]\nPort= 5\nBearing=40\n\n[simulate]\nNmea=False\n"));
    QVERIFY(text.contains("[History Window]\nTop=1200\nVisible=False\n\n[Polar Window]\nVisible=True\n"));
    QVERIFY(text.contains("Desired 2= 92\n"));
}

void TestSettingsProfile::saveReportsFailure()
{
    ProfileSettings settings;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = m_dir.filePath(QStringLiteral("missing/folder/Vanehold.ini"));
    QVERIFY(!profile.ProfileSave());
}

void TestSettingsProfile::killedSaveLeavesOneWholeProfile()
{
    const QByteArray first = Contents(kData + "defaults.ini");
    QByteArray second = first;
    second.replace("[Nmea]\nBoat Speed=1\n", "[Nmea]\nBoat Speed=0\n")
        .replace("Bearing=40\n", "Bearing=212.5\n")
        .replace("[Polar Window]\nVisible=False\n", "[Polar Window]\nVisible=True\n");
    QCOMPARE(second.size(), first.size() + 2);
    std::mt19937 random(2024);
    std::uniform_int_distribution<unsigned long> pause(0, 20000);
    for (int trial = 0; trial < 50; ++trial) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-loop"), m_file});
        QVERIFY(saver.waitForReadyRead(30000));
        QThread::usleep(pause(random));
        saver.kill();
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
        const QByteArray text = Contents(m_file);
        QVERIFY2(text == first || text == second, text.constData());
    }
}

void TestSettingsProfile::recallHandWritten()
{
    ProfileSettings settings;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = kData + "recall.ini";
    profile.ProfileRecall();

    ProfileSettings expected;
    expected.m_iNmeaBoatSpeed = 0;
    expected.m_iNmeaHeading = 0;
    expected.m_iNmeaPort = 3;
    expected.m_bNmeaSentenceHDG = false;
    expected.m_bNmeaSentenceHVM = false;   // "false" taken by a Boolean
    expected.m_bNmeaSentenceRMB = false;   // "0"
    expected.m_bNmeaSentenceVHW = false;
    expected.m_iNmeaTrueWind = 0;
    expected.m_fNmeaTrueWindAverage = 2.5f;
    // "abc" for Wind Indicator Average keeps 60.
    expected.m_iPilotPort = 2;             // 2.5 to even
    expected.m_fAutoPilot = 212.5f;
    expected.m_fSimulateBoatSpeed = 6.5f;
    expected.m_fSimulateCompassOffset = -3;
    expected.m_fSimulateNoiseAngle = 0;
    expected.m_fSimulateNoiseSpeed = 0.3333333f;
    expected.m_fSimulateTrueWindAngle = 270;
    expected.m_fSimulateTrueWindSpeed = 22;
    expected.m_fSimulateVariation = -4.5f;
    expected.m_fSimulateWaypointBearing = 355;
    expected.m_fSimulateWaypointRange = 0.25f;
    expected.m_bTrackAlarm = false;
    expected.m_fTrackAlarmLimit = 7.5f;
    expected.m_fTrackBandwidth = 30;
    expected.m_fTrackDamping = 3;
    expected.m_fDesired[1] = 38;
    expected.m_fDesired[2] = -150;
    expected.m_fTrackMaxSteerTo = 15;
    QCOMPARE(Members(settings), Members(expected));
    QCOMPARE(settings.m_sProfileFile, kData + "recall.ini");
    QCOMPARE(host.calls, QStringList{"ShowHistoryWindow"});
}

void TestSettingsProfile::recallKeepsDefaultOutOfLimits_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("member"); // as Members() shows it after recall
    QTest::newRow("port 0") << "Nmea" << "Port=0" << "NmeaPort=5";
    QTest::newRow("heading source 2") << "Nmea" << "Heading=2" << "NmeaHeading=1";
    QTest::newRow("averaging 0.2 diverges") << "Nmea" << "True Wind Average=0.2" << "TrueWindAverage=2";
    QTest::newRow("averaging 0") << "Nmea" << "True Wind Average=0" << "TrueWindAverage=0";
    QTest::newRow("averaging 1") << "Nmea" << "Wind Indicator Average=1" << "WindIndicatorAverage=1";
    QTest::newRow("averaging 3601") << "Nmea" << "Wind Indicator Average=3601" << "WindIndicatorAverage=60";
    QTest::newRow("bearing wrapped") << "Pilot" << "Bearing=-90" << "AutoPilot=270";
    QTest::newRow("simulated boat speed") << "Simulate" << "Boat Speed=100.5" << "SimulateBoatSpeed=8";
    QTest::newRow("variation -91") << "Simulate" << "Variation=-91" << "SimulateVariation=11";
    QTest::newRow("alarm limit 0") << "Track" << "Alarm Limit= 0" << "TrackAlarmLimit=5";
    QTest::newRow("alarm limit 180") << "Track" << "Alarm Limit= 180" << "TrackAlarmLimit=180";
    QTest::newRow("damping infinite") << "Track" << "Damping=inf" << "TrackDamping=4";
    QTest::newRow("desired 181") << "Track" << "Desired 2= 181" << "Desired2=92";
    QTest::newRow("max steer to") << "Track" << "Max SteerTo= 180.5" << "TrackMaxSteerTo=10";
}

void TestSettingsProfile::recallKeepsDefaultOutOfLimits()
{
    QFETCH(QString, section);
    QFETCH(QString, line);
    QFETCH(QString, member);
    {
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("[" + section + "]\n" + line + "\n").toLatin1());
    }
    ProfileSettings settings;
    settings.m_sProfileFile = m_file;
    RecordingHost host;
    SettingsProfile(settings, host).ProfileRecall();
    QStringList expected = Members(ProfileSettings());
    const QString name = member.left(member.indexOf(QLatin1Char('=')) + 1);
    for (QString& entry : expected)
        if (entry.startsWith(name))
            entry = member;
    QCOMPARE(Members(settings), expected);
}

void TestSettingsProfile::roundTrip()
{
    ProfileSettings saved;
    RecordingHost host;
    Scramble(saved);
    saved.m_sProfileFile = m_file;
    host.historyVisible = true;
    host.polarVisible = true;
    QVERIFY(SettingsProfile(saved, host).ProfileSave());

    ProfileSettings loaded;
    loaded.m_sProfileFile = m_file;
    RecordingHost reader;
    SettingsProfile(loaded, reader).ProfileRecall();
    // The simulated time is never stored.
    loaded.m_fSimulateTime = saved.m_fSimulateTime;
    QCOMPARE(Members(loaded), Members(saved));
    QCOMPARE(reader.calls, (QStringList{"ShowHistoryWindow", "ShowPolarWindow"}));
    const QByteArray text = Contents(m_file);
    QVERIFY(text.contains("[Pilot]\nPort= 12\nBearing=359.5\n"));
    QVERIFY(text.contains("Compass Offset=-7\nNoise Angle= 0.1\nNoise Speed= 0\n"));
    QVERIFY(text.contains("True Wind Average=1.333333\n"));
    QVERIFY(!text.contains("Time"));
}

void TestSettingsProfile::firstRunWithoutProfile()
{
    ProfileSettings settings;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    profile.SetCommandLinePath(m_file);
    profile.ProfileInitialize(true);
    QCOMPARE(Members(settings), Members(ProfileSettings()));
    QCOMPARE(settings.m_sProfileFile, m_file);
    QCOMPARE(host.calls, (QStringList{"ShowProfileValues 40.0 45 92", "TrackSetSetup"}));
    QVERIFY(!QFile::exists(m_file));
}

void TestSettingsProfile::initializeRecallsInOrderAndSimulates()
{
    {
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Simulate]\nNmea=True\n[Pilot]\nBearing=7.25\n[Track]\nDesired 1= 32.5\nDesired 2=-91.5\n"
                "[Polar Window]\nVisible=True\n[History Window]\nVisible=True\n");
    }
    ProfileSettings settings;
    settings.m_eTrackMode = TrackModeTrack;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    profile.SetCommandLinePath(m_file);
    profile.ProfileInitialize(true);
    QVERIFY(settings.m_bSimulate);
    // The mode is the mode procedures' business, not the profile's.
    QCOMPARE(settings.m_eTrackMode, TrackModeTrack);
    QCOMPARE(host.calls, (QStringList{"ShowHistoryWindow", "ShowPolarWindow", "ShowProfileValues 7.3 33 -92",
                                      "TrackSetSetup", "TrackSetManual"}));
}

void TestSettingsProfile::initializeWithoutRecallRestoresDefaults()
{
    QVERIFY(QFile::copy(kData + "recall.ini", m_file));
    ProfileSettings settings;
    Scramble(settings);
    settings.m_eTrackMode = TrackModeManual;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    profile.SetCommandLinePath(m_file);
    profile.ProfileInitialize(false);
    QCOMPARE(Members(settings), Members(ProfileSettings()));
    QCOMPARE(settings.m_sProfileFile, m_file);
    QCOMPARE(settings.m_eTrackMode, TrackModeManual);
    QCOMPARE(host.calls, (QStringList{"ShowProfileValues 40.0 45 92", "TrackSetSetup"}));
    QCOMPARE(Contents(m_file), Contents(kData + "recall.ini"));

    // Closing afterwards writes the defaults over the old values.
    QVERIFY(profile.ProfileSave());
    ProfileSettings reread;
    reread.m_sProfileFile = m_file;
    Scramble(reread);
    SettingsProfile(reread, host).ProfileRecall();
    reread.m_fSimulateTime = 0;
    QCOMPARE(Members(reread), Members(ProfileSettings()));
}

void TestSettingsProfile::profilePathChoice()
{
    const QString program = m_dir.filePath(QStringLiteral("program"));
    const QString user = m_dir.filePath(QStringLiteral("config/Vanehold"));
    QVERIFY(QDir().mkpath(program));
    QStringList asked;
    bool writable = true;
    auto check = [&](const QString& dir) {
        asked << dir;
        return writable;
    };

    QCOMPARE(ProfilePath(QString(), program, user, check), program + QStringLiteral("/Vanehold.ini"));
    QCOMPARE(asked, QStringList{program});
    QVERIFY(!QFileInfo::exists(user));

    writable = false;
    QCOMPARE(ProfilePath(QString(), program, user, check), user + QStringLiteral("/Vanehold.ini"));
    QVERIFY(QFileInfo(user).isDir());

    // The command line wins, made absolute.
    QCOMPARE(ProfilePath(QStringLiteral("/boat/My Boat.ini"), program, user, check),
             QStringLiteral("/boat/My Boat.ini"));
    QCOMPARE(ProfilePath(QStringLiteral("boat.ini"), program, user, check),
             QDir::current().absoluteFilePath(QStringLiteral("boat.ini")));

    // The plain form: a command-line path is taken as it stands.
    QCOMPARE(ProfilePath(m_file), m_file);
}

void TestSettingsProfile::profilePathCopiesOldProfileOnce()
{
    const QString program = m_dir.filePath(QStringLiteral("installed"));
    const QString user = m_dir.filePath(QStringLiteral("home/Vanehold"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QFile::copy(kData + "recall.ini", program + QStringLiteral("/Vanehold.ini")));
    auto readOnly = [](const QString&) { return false; };

    const QString path = ProfilePath(QString(), program, user, readOnly);
    QCOMPARE(path, user + QStringLiteral("/Vanehold.ini"));
    QCOMPARE(Contents(path), Contents(kData + "recall.ini"));

    // Later runs keep the user's own profile.
    ProfileSettings settings;
    settings.m_sProfileFile = path;
    RecordingHost host;
    QVERIFY(SettingsProfile(settings, host).ProfileSave());
    const QByteArray saved = Contents(path);
    QCOMPARE(ProfilePath(QString(), program, user, readOnly), path);
    QCOMPARE(Contents(path), saved);
}

namespace {

// Saves two sets in turn, the first and last keys differing, until killed;
// says "ready" once the first save is whole.
int SaveLoop(const QString& file)
{
    ProfileSettings settings;
    RecordingHost host;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = file;
    for (int n = 0;; ++n) {
        settings.m_iNmeaBoatSpeed = n % 2 ? 0 : 1;
        settings.m_fAutoPilot = n % 2 ? 212.5f : 40;
        host.polarVisible = n % 2;
        if (!profile.ProfileSave())
            return 1;
        if (n == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    // The kill test runs this program as the saver it kills.
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0)
        return SaveLoop(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestSettingsProfile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_settingsprofile.moc"
