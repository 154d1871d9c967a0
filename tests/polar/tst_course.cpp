// The course search and what a course update shows, on a polar whose best
// upwind VMG lies at 45 degrees (course-45.pol). Expected values are worked
// out by hand from that table: 6 kn at 45 degrees in 10 kn of wind makes
// 6 cos 45 = 4.2426 to windward; a beam reach makes 7; downwind the best
// grid angle is 19 degrees off dead downwind, (5 + 19/30) cos 19 = 5.3264.

#include "CourseSearch.h"

#include <QTest>

#include <cmath>

class TestCourse : public QObject {
    Q_OBJECT
    PolarTable m_table;

private slots:
    void initTestCase()
    {
        QString message;
        QVERIFY(m_table.PolarFileRead(0, QStringLiteral(VANEHOLD_TEST_DATA "/polars/course-45.pol"), 1, message));
    }

    void plan_data()
    {
        QTest::addColumn<QList<float>>("in"); // heading, bearing, wind angle, boat speed, polar speed, range
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("scale");
        QTest::addColumn<int>("boatType");
        QTest::addColumn<QString>("legs");   // "Stb|Prt" texts
        QTest::addColumn<float>("vmg");
        QTest::addColumn<QString>("steer");  // text, then L(ight)G(reen), LR or - for the background
        QTest::addColumn<QString>("tack");   // caption and tone, or "hidden"
        QTest::addColumn<float>("tackHeading");

        const QList<float> upwind{45, 0, -45, 6, 6, 0};
        const QList<float> reach{0, 0, 90, 7, 7, 0};
        QTest::newRow("upwind: two legs at 45, tack") << upwind << 0 << true << 0 << "315 (50%)|45 (50%)" << 4.24264f
                                                      << "Steer 0 -" << "<< Tack LR" << -45.0f;
        QTest::newRow("reach: one leg") << reach << 0 << true << 0 << "0 (100%)|" << 7.0f << "Steer 0 -" << "hidden"
                                        << 0.0f;
        QTest::newRow("polar speed 0: not scaled")
            << QList<float>{0, 0, 90, 3.5, 0, 0} << 0 << true << 0 << "0 (100%)|" << 7.0f << "Steer 0 -" << "hidden"
            << 0.0f;
        QTest::newRow("course scale off: not scaled")
            << QList<float>{0, 0, 90, 3.5, 7, 0} << 1 << false << 0 << "0 (100%)|" << 7.0f << "Steer 0 -" << "hidden"
            << 0.0f;
        QTest::newRow("course scale on: scaled")
            << QList<float>{0, 0, 90, 3.5, 7, 0} << 1 << true << 0 << "0 (100%)|" << 3.5f << "Steer 0 -" << "hidden"
            << 0.0f;
        QTest::newRow("motor and sail: always scaled")
            << QList<float>{0, 0, 90, 3.5, 7, 0} << 0 << false << 1 << "0 (100%)|" << 3.5f << "Steer 0 -" << "hidden"
            << 0.0f;
        QTest::newRow("-0.4 is a change to port") << QList<float>{0.4f, 0, 89.6f, 7, 7, 0} << 0 << true << 0
                                                  << "0 (100%)|" << 7.0f << "< Steer -0 LR" << "hidden" << 0.0f;
        QTest::newRow("12 to starboard across north") << QList<float>{348, 0, 102, 7, 7, 0} << 0 << true << 0
                                                      << "0 (100%)|" << 7.0f << "Steer +12 > LG" << "hidden" << 0.0f;
        QTest::newRow("starboard leg: tack to port leg")
            << QList<float>{315, 0, 45, 6, 6, 0} << 0 << true << 0 << "315 (50%)|45 (50%)" << 4.24264f << "Steer 0 -"
            << "Tack >> LG" << 45.0f;
        QTest::newRow("downwind: jibe from the port leg")
            << QList<float>{180, 180, 180, 5, 5, 0} << 0 << true << 0 << "199 (50%)|161 (50%)" << 5.32642f
            << "< Steer -19 LR" << "Jibe >> LG" << -161.0f;
        QTest::newRow("waypoint range: times") << QList<float>{45, 0, -45, 6, 6, 6.364f} << 2 << true << 0
                                               << "315 (0:45)|45 (0:45)" << 4.24264f << "Steer 0 -" << "<< Tack LR"
                                               << -45.0f;
        QTest::newRow("waypoint range, no VMG") << QList<float>{45, 0, -45, 0, 6, 10} << 2 << true << 0
                                                << "315 (--:--)|45 (--:--)" << 0.0f << "Steer 0 -" << "<< Tack LR"
                                                << -45.0f;
    }
    void plan()
    {
        QFETCH(QList<float>, in);
        QFETCH(int, index);
        PolarSettings settings;
        settings.m_iCourseWaypointIndex = static_cast<int16_t>(index);
        QFETCH(bool, scale);
        settings.m_bCourseScale = scale;
        QFETCH(int, boatType);
        settings.m_iBoatType = static_cast<int16_t>(boatType);
        const CourseInput input{in[0], in[1], in[2], 10, in[3], in[4], in[1], in[5]};
        const CoursePlan p = CoursePlanMake(m_table, settings, input);

        QTEST(p.LegText[0] + '|' + p.LegText[1], "legs");
        QTEST(p.Vmg, "vmg");
        const char* tones[] = {"-", "LG", "LR"};
        QTEST(p.SteerText + ' ' + tones[int(p.SteerTone)], "steer");
        QTEST(p.TackShown ? p.TackCaption + ' ' + tones[int(p.TackTone)] : QStringLiteral("hidden"), "tack");
        if (p.TackShown)
            QTEST(p.TackHeading, "tackHeading");
    }

    // Upwind the legs close the triangle: from the centre along the port
    // leg for half the time, then along the starboard leg to the target,
    // which lies on the bearing at the VMG.
    void upwindArrows()
    {
        const CoursePlan p = CoursePlanMake(m_table, PolarSettings(), {45, 0, -45, 10, 6, 6, 0, 0});
        QCOMPARE(p.kind, CourseKind::Tack);
        QCOMPARE(p.Lines.size(), size_t(5)); // two wind lines, two legs, the bearing
        const auto line = [](const CourseLine& l) {
            return QList<double>{double(l.width), l.angle1, l.radius1, l.angle2, l.radius2};
        };
        const auto near = [](const QList<double>& a, const QList<double>& b) {
            for (int i = 0; i < a.size(); ++i)
                if (std::fabs(a[i] - b[i]) > 1e-3)
                    return false;
            return true;
        };
        QVERIFY(near(line(p.Lines[0]), {1, 0, 0, 45, 10}));  // starboard leg's wind, on the bow
        QVERIFY(near(line(p.Lines[1]), {1, 0, 0, -45, 10})); // port leg's wind
        QVERIFY(near(line(p.Lines[2]), {2, 0, 0, 0, 3}));
        QVERIFY(near(line(p.Lines[3]), {2, 0, 3, -45, 4.2426}));
        QVERIFY(near(line(p.Lines[4]), {2, 0, 0, -45, 4.2426}));
        QCOMPARE(p.Lines[4].tone, CourseTone::Bearing);
    }

    void noVmgDrawsNoLegArrows()
    {
        PolarSettings settings;
        settings.m_iCourseWaypointIndex = 2;
        const CoursePlan p = CoursePlanMake(m_table, settings, {45, 0, -45, 10, 0, 6, 0, 10});
        QCOMPARE(p.Lines.size(), size_t(3));
        QCOMPARE(p.Lines[2].radius2, 10.0); // the bearing arrow reaches the waypoint
        QCOMPARE(p.Values.back().first, -1);
        QCOMPARE(p.Values.back().second, QStringLiteral("--:--"));
    }

    void timeText_data()
    {
        QTest::addColumn<float>("speed");
        QTest::addColumn<float>("distance");
        QTest::addColumn<QString>("text");
        QTest::newRow("2 h") << 6.0f << 12.0f << "2:00";
        QTest::newRow("5 min") << 6.0f << 12.5f << "2:05";
        QTest::newRow("quarter") << 4.0f << 1.0f << "0:15";
        QTest::newRow("59.94 min round up to the hour") << 1.0f << 1.999f << "2:00";
        QTest::newRow("99:59") << 1.0f << 99.99f << "99:59";
        QTest::newRow("rounds to 100 h") << 1.0f << 99.995f << "--:--";
        QTest::newRow("no speed") << 0.0f << 5.0f << "--:--";
    }
    void timeText()
    {
        QFETCH(float, speed);
        QFETCH(float, distance);
        QTEST(CourseTimeText(speed, distance), "text");
    }
};

QTEST_GUILESS_MAIN(TestCourse)
#include "tst_course.moc"
