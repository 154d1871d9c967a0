// The settings transaction of the steering core: a change is taken whole or
// refused whole, the links restart only for a port or Simulate, and Track
// takes new gains at once.

#include "CoreRig.h"

#include <QTest>

#include <cmath>
#include <variant>

namespace {

using Member = std::variant<int16_t ProfileSettings::*, float ProfileSettings::*, bool ProfileSettings::*>;
const std::pair<const char*, Member> kMembers[] = {
    {"Nmea True Wind Average", &ProfileSettings::m_fNmeaTrueWindAverage},
    {"Nmea Sentence MWV", &ProfileSettings::m_bNmeaSentenceMWV},
    {"Nmea Port", &ProfileSettings::m_iNmeaPort},
    {"Pilot Port", &ProfileSettings::m_iPilotPort},
    {"Simulate Nmea", &ProfileSettings::m_bSimulate},
    {"Simulate Variation", &ProfileSettings::m_fSimulateVariation},
    {"Track Alarm Limit", &ProfileSettings::m_fTrackAlarmLimit},
    {"Track Bandwidth", &ProfileSettings::m_fTrackBandwidth},
    {"Track Damping", &ProfileSettings::m_fTrackDamping},
    {"Track Max SteerTo", &ProfileSettings::m_fTrackMaxSteerTo},
};

// "Nmea Port=9;Simulate Nmea=1" into a copy of the settings.
ProfileSettings Edited(ProfileSettings s, const QString& edits)
{
    for (const QString& edit : edits.split(u';', Qt::SkipEmptyParts)) {
        const QString name = edit.section(u'=', 0, 0);
        const double value = edit.section(u'=', 1).toDouble();
        for (const auto& [key, member] : kMembers)
            if (name == QLatin1String(key))
                std::visit(
                    [&s, value](auto m) { s.*m = static_cast<std::decay_t<decltype(ProfileSettings().*m)>>(value); },
                    member);
    }
    return s;
}

QStringList Dump(const ProfileSettings& s)
{
    QStringList values;
    for (const auto& [key, member] : kMembers)
        values << QLatin1String(key) + QLatin1Char('=')
                      + QString::number(std::visit([&s](auto m) { return double(s.*m); }, member));
    return values;
}

QString Link(const char* name, const FakeSerialPort& port)
{
    return QLatin1String(name) + (port.PortOpen() ? QStringLiteral(" on ") + QString::number(port.CommPort())
                                                  : QStringLiteral(" closed"))
        + QStringLiteral(", opened ") + QString::number(port.openCount());
}

const char* const kParts[] = {"Data", "Input", "Output", "Simulate", "Tracking"};

} // namespace

class TestSettingsApply : public QObject {
    Q_OBJECT

    // Setup, Manual (the autopilot on port 6) or Setup simulating.
    static void Start(CoreRig& rig, const QString& start)
    {
        rig.settings.m_iPilotPort = 6;
        rig.settings.m_bSimulate = start == QLatin1String("Simulate");
        rig.core.TrackSetSetup();
        if (start == QLatin1String("Manual"))
            rig.core.TrackSetManual();
    }

private slots:
    void changeIsTakenOrRefusedWhole_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QString>("refused"); // part: why
        QTest::addColumn<QString>("links");
        QTest::addColumn<int>("mode");
        const int setup = TrackModeSetup;
        QTest::newRow("no port changed") << "Setup" << "Nmea True Wind Average=10;Nmea Sentence MWV=0" << ""
                                         << "nmea on 5, opened 1; pilot closed, opened 0" << setup;
        // Off stops both links, Setup starts the instruments again.
        QTest::newRow("autopilot port, link open")
            << "Manual" << "Pilot Port=7" << "" << "nmea on 5, opened 2; pilot closed, opened 1" << setup;
        QTest::newRow("simulate on")
            << "Setup" << "Simulate Nmea=1" << "" << "nmea closed, opened 1; pilot closed, opened 0" << setup;
        QTest::newRow("simulate off")
            << "Simulate" << "Simulate Nmea=0" << "" << "nmea on 5, opened 1; pilot closed, opened 0" << setup;
        QTest::newRow("a value out of its limits")
            << "Setup" << "Nmea True Wind Average=10;Nmea Port=9;Simulate Nmea=1;Simulate Variation=100"
            << "Simulate: Simulate Variation must be from -90 to 90."
            << "nmea on 5, opened 1; pilot closed, opened 0" << setup;
        // At damping 4 the loop settles from 1.94 s up.
        QTest::newRow("a loop that would not settle")
            << "Manual" << "Pilot Port=7;Track Alarm Limit=9;Track Bandwidth=1.92;Track Max SteerTo=20"
            << "Tracking: Track Bandwidth must be at least 2.0 at damping 4."
            << "nmea on 5, opened 1; pilot on 6, opened 1" << int(TrackModeManual);
    }
    void changeIsTakenOrRefusedWhole()
    {
        QFETCH(QString, start);
        QFETCH(QString, edits);
        QFETCH(QString, refused);
        CoreRig rig;
        Start(rig, start);
        const QStringList before = Dump(rig.settings);
        SettingsChange change;
        change.Next = Edited(rig.settings, edits);
        SettingsRefusal refusal;
        const bool applied = rig.core.ApplySettings(change, refusal);
        QCOMPARE(applied ? QString() : QLatin1String(kParts[int(refusal.ePart)]) + QStringLiteral(": ") + refusal.sWhy,
                 refused);
        QCOMPARE(Dump(rig.settings), refused.isEmpty() ? Dump(change.Next) : before);
        QTEST(Link("nmea", rig.nmea) + QStringLiteral("; ") + Link("pilot", rig.pilot), "links");
        QTEST(int(rig.settings.m_eTrackMode), "mode");
    }

    void newGainsTakeEffectWhileTracking_data()
    {
        QTest::addColumn<bool>("tracking");
        QTest::addColumn<QString>("edits");
        QTest::addColumn<double>("k1");
        QTest::addColumn<bool>("cleared");
        // K1 = (4/B) / (4 D^2 + 1): 0.2/65 at the defaults (20, 4).
        QTest::newRow("bandwidth while tracking") << true << "Track Bandwidth=40" << 0.1 / 65 << true;
        QTest::newRow("other settings while tracking") << true << "Track Alarm Limit=9" << 0.2 / 65 << false;
        QTest::newRow("bandwidth in Manual") << false << "Track Bandwidth=40" << 0.2 / 65 << false;
    }
    void newGainsTakeEffectWhileTracking()
    {
        QFETCH(bool, tracking);
        QFETCH(QString, edits);
        QFETCH(double, k1);
        QFETCH(bool, cleared);
        CoreRig rig;
        Start(rig, QStringLiteral("Manual"));
        rig.Wind(40, 15);
        rig.core.TrackSetTrack();
        rig.Wind(50, 15); // 10 degrees off: the integral moves
        const double integral = rig.core.Track().FilterS();
        QVERIFY(integral != 0);
        if (!tracking)
            rig.core.TrackSetManual();
        SettingsChange change;
        change.Next = Edited(rig.settings, edits);
        SettingsRefusal refusal;
        QVERIFY(rig.core.ApplySettings(change, refusal));
        QCOMPARE(int(rig.settings.m_eTrackMode), tracking ? int(TrackModeTrack) : int(TrackModeManual));
        QVERIFY(std::fabs(rig.core.Track().FilterK1() - k1) < 1e-12);
        QCOMPARE(rig.core.Track().FilterS(), cleared ? 0.0 : integral);
    }

    // A device that cannot be stored stops the apply at its port: the data
    // before it stays applied, nothing after it is.
    void unstoredDeviceStopsAtItsPort()
    {
        CoreRig rig;
        rig.settings.m_sProfileFile = QStringLiteral("/nonexistent/Vanehold.ini");
        Start(rig, QStringLiteral("Setup"));
        SettingsChange change;
        change.Next = Edited(rig.settings, QStringLiteral("Nmea True Wind Average=10;Nmea Port=9;Simulate Nmea=1"));
        change.Device[0] = QStringLiteral("/dev/ttyUSB0");
        SettingsRefusal refusal;
        QVERIFY(!rig.core.ApplySettings(change, refusal));
        QCOMPARE(int(refusal.ePart), int(SettingsPart::Input));
        QCOMPARE(refusal.sWhy, QStringLiteral("The device of port 9 could not be stored in /nonexistent/Vanehold.ini."));
        QCOMPARE(rig.settings.m_fNmeaTrueWindAverage, 10.0f);
        QCOMPARE(rig.settings.m_iNmeaPort, int16_t(5));
        QVERIFY(!rig.settings.m_bSimulate);
        QCOMPARE(Link("nmea", rig.nmea), QStringLiteral("nmea on 5, opened 1"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsApply)
#include "tst_settingsapply.moc"
