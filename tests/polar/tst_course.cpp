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
        // heading, bearing, wind angle, boat speed, polar speed, waypoint
        // range, course index, course scale, boat type
        QTest::addColumn<QList<float>>("in");
        // "Stb|Prt|steer text and tone|tack caption, tone and heading":
        // tones L(ight)G(reen), LR, or - for the background
        QTest::addColumn<QString>("shows");
        QTest::addColumn<float>("vmg");
        const QString reach = QStringLiteral("0 (100%)||Steer 0 -|hidden");
        QTest::newRow("upwind: two legs at 45, tack")
            << QList<float>{45, 0, -45, 6, 6, 0, 0, 1, 0} << "315 (50%)|45 (50%)|Steer 0 -|<< Tack LR -45" << 4.24264f;
        QTest::newRow("reach: one leg") << QList<float>{0, 0, 90, 7, 7, 0, 0, 1, 0} << reach << 7.0f;
        QTest::newRow("polar speed 0: not scaled") << QList<float>{0, 0, 90, 3.5, 0, 0, 0, 1, 0} << reach << 7.0f;
        QTest::newRow("course scale off: not scaled") << QList<float>{0, 0, 90, 3.5, 7, 0, 1, 0, 0} << reach << 7.0f;
        QTest::newRow("course scale on: scaled") << QList<float>{0, 0, 90, 3.5, 7, 0, 1, 1, 0} << reach << 3.5f;
        QTest::newRow("motor and sail: always scaled") << QList<float>{0, 0, 90, 3.5, 7, 0, 0, 0, 1} << reach << 3.5f;
        QTest::newRow("-0.4 is a change to port")
            << QList<float>{0.4f, 0, 89.6f, 7, 7, 0, 0, 1, 0} << "0 (100%)||< Steer -0 LR|hidden" << 7.0f;
        QTest::newRow("starboard leg: tack to port leg")
            << QList<float>{315, 0, 45, 6, 6, 0, 0, 1, 0} << "315 (50%)|45 (50%)|Steer 0 -|Tack >> LG 45" << 4.24264f;
        QTest::newRow("downwind: jibe from the port leg") << QList<float>{180, 180, 180, 5, 5, 0, 0, 1, 0}
                                                         << "199 (50%)|161 (50%)|< Steer -19 LR|Jibe >> LG -161"
                                                         << 5.32642f;
        QTest::newRow("waypoint range: times")
            << QList<float>{45, 0, -45, 6, 6, 6.364f, 2, 1, 0} << "315 (0:45)|45 (0:45)|Steer 0 -|<< Tack LR -45"
            << 4.24264f;
    }
    void plan()
    {
        QFETCH(QList<float>, in);
        PolarSettings settings;
        settings.m_iCourseWaypointIndex = static_cast<int16_t>(in[6]);
        settings.m_bCourseScale = in[7] != 0;
        settings.m_iBoatType = static_cast<int16_t>(in[8]);
        const CoursePlan p = CoursePlanMake(m_table, settings, {in[0], in[1], in[2], 10, in[3], in[4], in[1], in[5]});
        const char* tones[] = {"-", "LG", "LR"};
        const QString tack = p.TackShown ? p.TackCaption + ' ' + tones[int(p.TackTone)] + ' '
                                               + QString::number(p.TackHeading)
                                         : QStringLiteral("hidden");
        QTEST(QStringList({p.LegText[0], p.LegText[1], p.SteerText + ' ' + tones[int(p.SteerTone)], tack}).join('|'),
              "shows");
        QTEST(p.Vmg, "vmg");
    }

    // Upwind the legs close the triangle: from the centre along the port
    // leg for half the time, then along the starboard leg to the target,
    // which lies on the bearing at the VMG.
    void upwindLines()
    {
        const CoursePlan p = CoursePlanMake(m_table, PolarSettings(), {45, 0, -45, 10, 6, 6, 0, 0});
        const double expected[5][5] = {{1, 0, 0, 45, 10}, // the starboard leg's wind, on the bow
                                       {1, 0, 0, -45, 10},
                                       {2, 0, 0, 0, 3},
                                       {2, 0, 3, -45, 4.24264},
                                       {2, 0, 0, -45, 4.24264}};
        QCOMPARE(p.Lines.size(), size_t(5));
        for (int i = 0; i < 5; ++i) {
            const CourseLine& l = p.Lines[size_t(i)];
            const double got[5] = {double(l.width), l.angle1, l.radius1, l.angle2, l.radius2};
            for (int k = 0; k < 5; ++k)
                QVERIFY2(std::fabs(got[k] - expected[i][k]) < 1e-4, qPrintable(QString::number(i)));
        }
        QCOMPARE(p.Lines[4].tone, CourseTone::Bearing);
    }

    void noVmgDrawsNoLegArrows()
    {
        PolarSettings settings;
        settings.m_iCourseWaypointIndex = 2;
        const CoursePlan p = CoursePlanMake(m_table, settings, {45, 0, -45, 10, 0, 6, 0, 10});
        QCOMPARE(p.LegText[0] + '|' + p.LegText[1], QStringLiteral("315 (--:--)|45 (--:--)"));
        QCOMPARE(p.Lines.size(), size_t(3)); // wind lines and the bearing, to the waypoint
        QCOMPARE(p.Lines[2].radius2, 10.0);
        QCOMPARE(p.Values.back().second, QStringLiteral("--:--"));
    }

    void timeText_data()
    {
        QTest::addColumn<float>("speed");
        QTest::addColumn<float>("distance");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 min") << 6.0f << 12.5f << "2:05";
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
