// The watches around the engaged autopilot, through the core on an injected
// clock: engaging on the boat's heading, a boat that does not follow, wind
// shifts, the loop held short of a tack or a jibe, and the alarm list.

#include "AlarmList.h"
#include "CoreRig.h"
#include "SteeringWatch.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// -180..180
double Signed(double angle)
{
    return std::remainder(angle, 360.0);
}

// A boat steered by the autopilot, with a compass (HDG) and a true wind
// sensor sending one wind pair a second.
struct Boat {
    CoreRig& rig;
    double heading = 100;
    double wind = 145; // true wind direction, magnetic
    double rate = 5;   // degrees a second the pilot turns the boat; 0 standby

    explicit Boat(CoreRig& r)
        : rig(r)
    {
        rig.settings.m_iNmeaHeading = 0;
        rig.settings.m_iNmeaTrueWind = 0;
        rig.settings.m_fNmeaTrueWindAverage = 0;
        rig.settings.m_bTrackAlarm = false;
    }
    QString Line(const QString& body) const { return QLatin1Char('$') + body; }
    void Send(double noise = 0)
    {
        const QString angle = NumberText::Format(Signed(wind + noise - heading), u"0.0");
        rig.Feed({Line(QStringLiteral("IIHDG,") + NumberText::Format(heading, u"0.0") + QStringLiteral(",,,1.0,E")),
                  Line(QStringLiteral("IIMWV,") + angle + QStringLiteral(",R,15.0,N,A")),
                  Line(QStringLiteral("IIMWV,") + angle + QStringLiteral(",T,12.0,N,A"))});
    }
    // One second: the pilot turns the boat toward the command, the
    // instruments send, the link timer ticks.
    void Second(double noise = 0)
    {
        const double gap = Signed(rig.settings.m_fAutoPilot - heading);
        heading = std::fmod(heading + std::clamp(gap, -rate, rate) + 360, 360.0);
        Send(noise);
        rig.Tick();
    }
    void Sail(int seconds)
    {
        for (int i = 0; i < seconds; ++i)
            Second();
    }
    void Track(double desiredTrue)
    {
        rig.core.TrackSetSetup();
        Send();
        rig.core.TrackSetManual();
        rig.core.TrackSetTrack();
        rig.core.TrackSelect(TrackAngle::True);
        rig.settings.m_fDesired[2] = float(desiredTrue);
    }
};

} // namespace

class TestAlarms : public QObject {
    Q_OBJECT

private slots:
    // Setup with a compass; the box typed or left to follow the heading.
    void engagingAsksFarFromTheBoat_data()
    {
        QTest::addColumn<double>("heading"); // -1: none known
        QTest::addColumn<int>("age");        // seconds since the compass spoke
        QTest::addColumn<QString>("typed");  // "" leaves the box following
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<QString>("asked");
        QTest::newRow("followed the boat") << 214.0 << 0 << "" << false << "";
        QTest::newRow("typed near") << 214.0 << 0 << "190" << false << "";
        QTest::newRow("typed far") << 214.0 << 0 << "40" << false << "214/40";
        QTest::newRow("far across north") << 350.0 << 0 << "21" << false << "350/21";
        QTest::newRow("no heading") << -1.0 << 0 << "" << false << "none/40";
        QTest::newRow("heading gone quiet") << 214.0 << 6 << "40" << false << "none/40";
        QTest::newRow("simulated boat") << -1.0 << 0 << "" << true << "";
    }
    void engagingAsksFarFromTheBoat()
    {
        QFETCH(double, heading);
        QFETCH(int, age);
        QFETCH(QString, typed);
        QFETCH(bool, simulate);
        QFETCH(QString, asked);
        CoreRig rig;
        rig.confirmBox = false;
        rig.settings.m_iNmeaHeading = 0;
        rig.settings.m_bSimulate = simulate;
        rig.core.TrackSetSetup();
        if (heading >= 0)
            rig.Feed({QStringLiteral("$IIHDG,") + NumberText::Format(heading, u"0.0") + QStringLiteral(",,,1.0,E")});
        if (!typed.isEmpty())
            rig.core.StoreAutoPilotText(typed);
        rig.now += age * 1000;
        if (simulate) {
            rig.Tick(3); // the simulated boat heads where the box says
            QCOMPARE(rig.settings.m_fAutoPilot, 40.0f);
        }
        rig.core.TrackSetManual();
        QCOMPARE(rig.asked.join(QLatin1Char(',')), asked);
        QCOMPARE(rig.settings.m_eTrackMode, asked.isEmpty() ? TrackModeManual : TrackModeSetup);
        if (asked.isEmpty())
            return;
        QVERIFY(!rig.pressed[TrackModeManual] && rig.pressed[TrackModeSetup]);
        rig.Wind(45, 10);
        QVERIFY(rig.pilotData.isEmpty());
        // The sailor picks the boat's heading.
        if (heading >= 0 && age == 0) {
            rig.core.TrackEngage(float(heading));
            rig.Wind(45, 10);
            QVERIFY(rig.pilotData.last().contains(QLatin1Char(',') + NumberText::Format(heading, u"000.0") + ",M,1,"));
        }
    }

    // Track on a true angle of 45 with the pilot following, then in
    // standby: the heading is held while the boat does not follow, and the
    // loop goes on once it does.
    void aBoatThatDoesNotFollowIsHeld()
    {
        CoreRig rig;
        Boat boat(rig);
        boat.Track(35); // 10 degrees to luff
        boat.Sail(60);
        QCOMPARE(rig.alarm, QString());
        QVERIFY(std::fabs(Signed(boat.wind - boat.heading) - 35) < 1);

        boat.rate = 0;
        boat.wind += 60; // a lift the boat does not answer
        boat.Sail(29);
        QVERIFY(!rig.core.Alarms().Active(AlarmKind::NotFollowing)); // the shift is, though
        // Never more than 30 degrees ahead of the boat meanwhile.
        QVERIFY(std::fabs(Signed(rig.settings.m_fAutoPilot - boat.heading)) <= 30.05);
        boat.Sail(5);
        QCOMPARE(rig.alarm, QStringLiteral("AutoPilot Not Following - Heading Held"));
        const float held = rig.settings.m_fAutoPilot;
        const qsizetype sent = rig.pilotData.size();
        boat.Sail(20);
        QCOMPARE(rig.settings.m_fAutoPilot, held);
        QVERIFY(rig.pilotData.size() > sent); // still sent, unchanged

        boat.rate = 5;
        boat.Sail(60);
        QVERIFY(!rig.core.Alarms().Active(AlarmKind::NotFollowing));
        QVERIFY(std::fabs(Signed(boat.wind - boat.heading) - 35) < 1);
    }

    // Manual without a compass: nothing to watch, said once.
    void withoutAHeadingFollowingIsNotWatched()
    {
        CoreRig rig;
        rig.core.TrackSetSetup();
        rig.core.TrackSetManual();
        QCOMPARE(rig.panel[3], QStringLiteral("AutoPilot Not Watched - No Heading"));
        for (int i = 0; i < 90; ++i) {
            rig.Wind(45, 15);
            rig.Tick();
        }
        QCOMPARE(rig.alarm, QString());
    }

    // Noise of +-5 degrees on every reading of a steady wind, then a shift.
    void windShift_data()
    {
        QTest::addColumn<double>("shift");
        QTest::addColumn<int>("over"); // seconds
        QTest::addColumn<bool>("raised");
        QTest::newRow("steady") << 0.0 << 10 << false;
        QTest::newRow("veer 12") << 12.0 << 10 << false;
        QTest::newRow("veer 40 in 10 s") << 40.0 << 10 << true;
        QTest::newRow("back 30 in 30 s") << -30.0 << 30 << true;
        QTest::newRow("back 25 in 10 min") << -25.0 << 600 << false;
    }
    void windShift()
    {
        QFETCH(double, shift);
        QFETCH(int, over);
        QFETCH(bool, raised);
        CoreRig rig;
        Boat boat(rig);
        boat.rate = 0; // Manual: the boat holds its heading
        rig.core.TrackSetSetup();
        boat.Send();
        rig.core.TrackSetManual();
        std::mt19937 random(7);
        std::uniform_real_distribution<double> noise(-5, 5);
        QStringList seen;
        connect(&rig.core, &SteeringCore::AlarmRaised, this, [&](const QString&, const QString& text) { seen << text; });
        for (int i = 0; i < 600; ++i)
            boat.Second(noise(random));
        for (int i = 0; i < over; ++i) {
            boat.wind += shift / over;
            boat.Second(noise(random));
        }
        for (int i = 0; i < 30; ++i)
            boat.Second(noise(random));
        QCOMPARE(!seen.isEmpty(), raised);
        if (!raised)
            return;
        QCOMPARE(seen.size(), 1);
        const double size = NumberText::Val(seen.front().mid(11));
        QVERIFY2(seen.front().startsWith(QLatin1String("Wind Shift ")) && size >= 20 && size <= std::fabs(shift) + 3,
                 qPrintable(seen.front()));
        // Settled at the new direction: the cause has ended.
        for (int i = 0; i < 90; ++i)
            boat.Second(noise(random));
        QCOMPARE(rig.alarm, QString());
    }

    // The command as the loop would give it, and what it may give instead.
    void tackGuard_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("trueAngle");
        QTest::addColumn<double>("allowed");
        QTest::addColumn<int>("crossed");
        QTest::newRow("luffing within the margin") << 100.0 << 110.0 << 45.0 << 110.0 << 0;
        QTest::newRow("luff stopped 20 off the wind") << 100.0 << 115.0 << 30.0 << 110.0 << 1;
        QTest::newRow("inside the margin: no closer") << 100.0 << 105.0 << 15.0 << 100.0 << 1;
        QTest::newRow("inside the margin: bearing away") << 100.0 << 95.0 << 15.0 << 95.0 << 0;
        QTest::newRow("port tack, luff stopped") << 100.0 << 75.0 << -40.0 << 80.0 << 1;
        QTest::newRow("across north") << 355.0 << 10.0 << 30.0 << 5.0 << 1;
        QTest::newRow("run stopped 5 by the lee") << 100.0 << 90.0 << 170.0 << 95.0 << 2;
        QTest::newRow("port run, heading up") << 100.0 << 90.0 << -170.0 << 90.0 << 0;
    }
    void tackGuard()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, trueAngle);
        QFETCH(double, allowed);
        QFETCH(int, crossed);
        SteeringWatch::Cross cross = SteeringWatch::Cross::None;
        const double got = SteeringWatch::TackGuard(from, to, trueAngle, trueAngle < 0 ? -1 : 1, cross);
        QVERIFY2(std::fabs(got - allowed) < 1e-9, qPrintable(NumberText::Format(got, u"0.000")));
        QCOMPARE(int(cross), crossed);
    }

    // Close hauled at 30 true, the wind backs 45: the boat is on the other
    // tack's side of the wind, and the loop may not carry it across.
    void theLoopNeverTacksOnItsOwn()
    {
        CoreRig rig;
        Boat boat(rig);
        boat.Track(30);
        boat.Sail(30);
        boat.wind -= 45;
        QStringList seen;
        connect(&rig.core, &SteeringCore::AlarmRaised, this, [&](const QString& name, const QString&) { seen << name; });
        boat.Sail(30);
        QVERIFY(seen.contains(QStringLiteral("Tack Held")));
        // Already 15 off the wind on the port side: no closer.
        QVERIFY(Signed(boat.wind - boat.heading) <= -15 + 0.05);
    }

    // Priorities, the sound repeated once a second, acknowledging.
    void alarmList()
    {
        QStringList told;
        AlarmList list([&](const Alarm& a, bool raised) { told << (raised ? "+" : "-") + a.name; });
        QVERIFY(!list.Top() && !list.BeepDue(5000));
        list.Raise(0, AlarmKind::Limit, QStringLiteral("Alarm Limit Exceeded"), QStringLiteral("Alarm Limit Exceeded 7"));
        list.Raise(200, AlarmKind::NotFollowing, QStringLiteral("AutoPilot Not Following"), QStringLiteral("x"));
        list.Raise(300, AlarmKind::WindShift, QStringLiteral("Wind Shift"), QStringLiteral("Wind Shift 22"));
        QCOMPARE(list.Top()->name, QStringLiteral("AutoPilot Not Following"));
        QVERIFY(!list.BeepDue(1199));
        QVERIFY(list.BeepDue(1300));
        QVERIFY(!list.BeepDue(2000));
        QVERIFY(list.BeepDue(2300));
        // A new text is the same alarm; a new name a new one.
        QVERIFY(list.Raise(2400, AlarmKind::WindShift, QStringLiteral("Wind Shift"), QStringLiteral("Wind Shift 30")));
        list.Acknowledge();
        QVERIFY(!list.Sounding() && !list.BeepDue(9000));
        list.Raise(9000, AlarmKind::CrossHeld, QStringLiteral("Tack Held"), QStringLiteral("Tack Held"));
        list.Raise(9000, AlarmKind::CrossHeld, QStringLiteral("Jibe Held"), QStringLiteral("Jibe Held"));
        QVERIFY(list.Sounding());
        list.Clear(AlarmKind::NotFollowing);
        QCOMPARE(list.Top()->name, QStringLiteral("Jibe Held"));
        QCOMPARE(told, QStringList({"+Alarm Limit Exceeded", "+AutoPilot Not Following", "+Wind Shift", "+Tack Held",
                                    "-Tack Held", "+Jibe Held", "-AutoPilot Not Following"}));
    }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
