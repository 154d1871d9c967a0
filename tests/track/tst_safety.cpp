// What may reach the autopilot: headings within one turn and never "nan", a
// loop that settles and cannot run away, a quiet source held rather than
// trusted.

#include "../util/Wire.h"
#include "CoreRig.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <random>

namespace {

// The heading of an APB sentence, read as an autopilot would: checksum
// right, the three bearings equal and magnetic. False for anything else.
bool ApbHeading(const QString& line, double& heading)
{
    const int star = line.lastIndexOf(QLatin1Char('*'));
    if (!line.startsWith(QLatin1String("$ECAPB,")) || star < 0 || Checksummed(line.mid(1, star - 1)) != line)
        return false;
    const QStringList f = line.left(star).split(QLatin1Char(','));
    if (f.size() != 15 || f[8] != f[11] || f[8] != f[13] || f[9] != u"M" || f[14] != u"M")
        return false;
    bool ok = false;
    heading = f[8].toDouble(&ok);
    return ok && std::isfinite(heading) && heading >= 0 && heading <= 360;
}

// The turn from one heading to the next, the short way, degrees.
double Turn(double from, double to)
{
    return std::fabs(std::fmod(to - from + 540.0, 360.0) - 180.0);
}

// Every sentence sent is a valid APB and no step turns further than bound.
void CheckSent(const QStringList& sent, double bound)
{
    double previous = -1;
    for (const QString& line : sent) {
        double heading = 0;
        QVERIFY2(ApbHeading(line, heading), qPrintable(line));
        if (previous >= 0)
            QVERIFY2(Turn(previous, heading) <= bound + 0.1001, qPrintable(line)); // + two "0.0" roundings
        previous = heading;
    }
}

// Manual with boat speed and apparent wind known.
void ToManual(CoreRig& rig, float windAngle = 45)
{
    rig.core.TrackSetSetup();
    rig.core.TrackSetManual();
    rig.Wind(windAngle, 15);
}

// An apparent wind of 15 knots.
QString Mwv(double angle)
{
    return QStringLiteral("$IIMWV,%1,R,15.0,N,A").arg(angle, 0, 'f', 1);
}

// The default gains, worked out here: a = 4/20, K1 = a/65, K2 = a - K1.
constexpr double A = 0.2;
constexpr double K1 = A / 65;
constexpr double K2 = A - K1;

// The tracking loop with the boat following at once, no noise: true when an
// initial error of 10 degrees dies away.
bool LoopSettles(double bandwidth, double damping)
{
    const double k = 4 / bandwidth;
    const double ki = k / (4 * damping * damping + 1);
    const double kp = k - ki;
    double e = 10;
    double a = 0;
    for (int t = 0; t < 20000; ++t) {
        const double u = -e;
        const double old = a;
        a = old + ki * u;
        e = e + kp * (old + u);
        if (!std::isfinite(e) || std::fabs(e) > 1e6)
            return false;
    }
    return std::fabs(e) < 1e-3 && std::fabs(a) < 1e-3;
}

} // namespace

class TestSafety : public QObject {
    Q_OBJECT

private slots:
    // A wind line's autopilot sentence goes out before any window is served
    // what the line changed: labels, the control step's values, the chart.
    void theAutopilotHearsFirst()
    {
        CoreRig rig;
        ToManual(rig);
        auto sent = [&rig] { return (rig.nmea.sent() + rig.pilot.sent()).count(QStringLiteral("APB")); };
        const qsizetype before = sent();
        QList<qsizetype> seen;
        QObject::connect(&rig.core, &SteeringCore::ValueChanged, [&](InstrumentValue, float) { seen << sent(); });
        QObject::connect(&rig.core, &SteeringCore::DesiredChanged, [&](int, float) { seen << sent(); });
        QObject::connect(&rig.core, &SteeringCore::HistoryReading,
                         [&](const QString&, float, const QString&) { seen << sent(); });
        rig.Wind(50, 15);
        QCOMPARE(sent(), before + 1);
        QVERIFY(seen.size() >= 4);
        QCOMPARE(seen, QList<qsizetype>(seen.size(), before + 1));
        QCOMPARE(rig.values[int(InstrumentValue::AppWindAngle)], QStringLiteral("50"));
    }
    // Beyond the steering table of the control loop's tests: several turns
    // off, a heading that rounds to 360 in the sentence, a desired angle.
    void typedAnglesAreTakenWithinOneTurn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("bearing");
        QTest::newRow("1000") << "1000" << "280.0" << "280.0";
        QTest::newRow("359.96 rounds up in the sentence only") << "359.96" << "360.0" << "360.0";
    }
    void typedAnglesAreTakenWithinOneTurn()
    {
        QFETCH(QString, typed);
        CoreRig rig;
        ToManual(rig);
        rig.autoPilotText.clear();
        rig.core.StoreAutoPilotText(typed);
        QTEST(rig.autoPilotText, "box");
        rig.Feed({Mwv(45)});
        QFETCH(QString, bearing);
        QVERIFY(rig.pilotData.last().contains(QLatin1Char(',') + bearing + QStringLiteral(",M,1,")));
        // A desired angle is taken within -180..180.
        rig.core.StoreDesiredText(2, QStringLiteral("200"));
        QCOMPARE(rig.settings.m_fDesired[2], -160.0f);
        QCOMPARE(rig.desired[2], QStringLiteral("-160"));
    }

    void aHeadingThatIsNotANumberIsNeverSent()
    {
        CoreRig rig;
        ToManual(rig);
        rig.nmea.clearSent();
        rig.pilotData.clear();
        rig.settings.m_fAutoPilot = std::numeric_limits<float>::quiet_NaN();
        rig.Feed({Mwv(45)});
        QVERIFY(rig.pilotData.isEmpty());
        QCOMPARE(rig.nmea.sent(), QString());
        QCOMPARE(rig.panel[3], QStringLiteral("No Output - AutoPilot Heading Not a Number"));
    }

    // The stability rule against the loop itself, away from the edge where
    // settling takes longer than any run.
    void stabilityAgreesWithTheLoop()
    {
        for (double damping : {0.3, 0.7, 1.0, 2.0, 4.0, 10.0}) {
            const double edge = TrackControl::TrackBandwidthMinimum(damping);
            QVERIFY(edge > 0);
            for (double factor : {0.5, 0.9, 1.1, 2.0, 10.0}) {
                const double bandwidth = edge * factor;
                QVERIFY2(TrackControl::TrackLoopStable(bandwidth, damping) == LoopSettles(bandwidth, damping),
                         qPrintable(QStringLiteral("B %1 D %2").arg(bandwidth).arg(damping)));
            }
        }
    }

    // Up to +-30 degrees either way the bounds never bite: 100 steps are
    // the unbounded filter's, to the digit, turning through north. (The
    // +5 degree response is checked step by step with the control loop.)
    // An instrument at 1 or 10 Hz: the loop's own values, step by step.
    void ordinaryErrorsKeepTheirValues_data()
    {
        QTest::addColumn<double>("error");
        QTest::addColumn<int>("period"); // milliseconds between wind sentences
        QTest::newRow("-30 at 1 Hz") << -30.0 << 1000;
        QTest::newRow("30 at 1 Hz") << 30.0 << 1000;
        QTest::newRow("10 at 10 Hz") << 10.0 << 100;
        QTest::newRow("-10 at 10 Hz") << -10.0 << 100;
    }
    void ordinaryErrorsKeepTheirValues()
    {
        QFETCH(double, error);
        QFETCH(int, period);
        CoreRig rig;
        ToManual(rig, 40);
        rig.core.TrackSetTrack();
        rig.settings.m_fDesired[1] = float(40 - error);
        rig.settings.m_fAutoPilot = 100;
        double s = 0;
        float heading = 100;
        const float e = float(40.0 - double(rig.settings.m_fDesired[1]));
        for (int step = 1; step <= 100; ++step) {
            rig.now += period;
            rig.Feed({Mwv(40)});
            const double u = e + s;
            s += K1 * e;
            double h = heading + K2 * u;
            if (h < 0)
                h += 360;
            else if (h >= 360)
                h -= 360;
            heading = float(h);
            QCOMPARE(rig.settings.m_fAutoPilot, heading);
        }
    }

    // A flood of wind sentences turns the heading no faster than the
    // largest step (K2 x 180) a second.
    void aFloodCannotSpinTheBoat()
    {
        CoreRig rig;
        ToManual(rig, 40);
        rig.core.TrackSetTrack();
        rig.settings.m_fDesired[1] = 10;
        QStringList flood;
        for (int i = 0; i < 2000; ++i)
            flood << Mwv(40);
        double turned = 0;
        for (int second = 0; second < 3; ++second) {
            const double before = rig.settings.m_fAutoPilot;
            rig.Feed(flood);
            turned = Turn(before, rig.settings.m_fAutoPilot);
            QVERIFY2(turned <= K2 * 180 + 1e-3, qPrintable(NumberText::Format(turned, u"0.000")));
            rig.now += 1000;
        }
        QVERIFY(turned > K2 * 180 - 1e-3); // and no slower either
    }

    // An hour with the autopilot in standby, the error stuck, or of shifting
    // wind with checksummed garbage among the lines: every sentence is a
    // valid APB, the integral stops at its bound and no step turns further
    // than the largest proportional one.
    void anHourCannotRunAway_data()
    {
        QTest::addColumn<double>("error"); // none: shifting wind and garbage
        QTest::newRow("stuck at 90") << 90.0;
        QTest::newRow("stuck at 180") << 180.0;
        QTest::newRow("stuck at -120") << -120.0;
        QTest::newRow("shifting wind and garbage") << std::numeric_limits<double>::quiet_NaN();
    }
    void anHourCannotRunAway()
    {
        QFETCH(double, error);
        const bool stuck = !std::isnan(error);
        CoreRig rig;
        ToManual(rig, 30);
        rig.core.TrackSetTrack();
        rig.settings.m_bTrackAlarm = false;
        if (stuck)
            rig.settings.m_fDesired[1] = float(30 - error);
        rig.pilotData.clear();
        std::mt19937 random(7);
        std::uniform_real_distribution<double> shift(-60, 60);
        std::uniform_int_distribution<int> byte(32, 126);
        const QString junk[] = {QStringLiteral("3.4e38"), QStringLiteral("-1e30"), QStringLiteral("nan"),
                                QStringLiteral("999999"), QStringLiteral("-0"), QStringLiteral("")};
        for (int second = 0; second < 3600; ++second) {
            QStringList lines{QStringLiteral("$IIVTG,,T,,M,6.5,N,,K"), Mwv(stuck ? 30 : 30 + shift(random))};
            if (!stuck) {
                QString body = QStringLiteral("IIMWV,") + junk[second % 6] + QStringLiteral(",R,");
                for (int i = 0; i < 6; ++i)
                    body += QChar(byte(random));
                lines << Checksummed(body);
            }
            rig.Feed(lines);
            rig.Tick();
        }
        QVERIFY(stuck ? rig.pilotData.size() == 3600 : rig.pilotData.size() >= 3600);
        CheckSent(rig.pilotData, K2 * 180);
        QVERIFY(std::fabs(rig.core.Track().FilterS()) <= 45);
    }

    void aQuietBoatSpeedHoldsTheHeading()
    {
        CoreRig rig;
        ToManual(rig, 50);
        rig.settings.m_bTrackAlarm = false;
        rig.core.TrackSetTrack();
        rig.core.TrackSelect(TrackAngle::True);
        rig.settings.m_fDesired[2] = rig.state.WindAngleTrue() - 10;
        rig.Tick();
        rig.Feed({Mwv(50)});
        const float moved = rig.settings.m_fAutoPilot;
        // The speed log stops; the wind goes on.
        for (int second = 0; second < 6; ++second) {
            rig.Tick();
            rig.Feed({Mwv(50)});
        }
        QVERIFY(rig.stale[int(InstrumentValue::BoatSpeed)]);
        QVERIFY(rig.stale[int(InstrumentValue::TrueWindAngle)]); // worked out from it
        const float held = rig.settings.m_fAutoPilot;
        QVERIFY(held != moved);
        rig.Feed({Mwv(50)});
        QCOMPARE(rig.settings.m_fAutoPilot, held);
        QCOMPARE(rig.panel[3], QStringLiteral("No Boat Speed Data - Heading Held"));
        // Apparent tracking does not need it.
        rig.core.TrackSelect(TrackAngle::Apparent);
        rig.settings.m_fDesired[1] = 45;
        rig.Feed({Mwv(50)});
        QVERIFY(rig.settings.m_fAutoPilot != held);
        QCOMPARE(rig.alarm, QString());

        rig.core.TrackSelect(TrackAngle::True);
        rig.Wind(50, 15);
        QVERIFY(!rig.stale[int(InstrumentValue::BoatSpeed)]);
        QCOMPARE(rig.alarm, QString());
    }
};

QTEST_GUILESS_MAIN(TestSafety)
#include "tst_safety.moc"
