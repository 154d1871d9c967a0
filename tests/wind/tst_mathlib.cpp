#include "MathLib.h"
#include "NumberText.h"

#include <QTest>
#include <cmath>

using namespace MathLib;

class TestMathLib : public QObject {
    Q_OBJECT
private slots:
    void piIsTheProgramsOwnConstant();
    void atan2TakesXFirst_data();
    void atan2TakesXFirst();
    void angle180CorrectsOnce_data();
    void angle180CorrectsOnce();
    void angle360CorrectsOnce_data();
    void angle360CorrectsOnce();
    void averageAngleWithoutSamplesCopies();
    void averageAngleUsesUnitVectors_data();
    void averageAngleUsesUnitVectors();
    void averageAngleCancellingVectors();
    void averageAngle360Wraps();
    void averageValue();
    void windConversions_data();
    void windConversions();
    void windConversionsAreInverse();
    void minMaxTiesReturnFirst();
};

void TestMathLib::piIsTheProgramsOwnConstant()
{
    QCOMPARE(Pi, 3.14159265358979);
    QVERIFY(Pi != M_PI);
    QCOMPARE(Atan2(0, 1), 3.14159265358979 / 2);
}

void TestMathLib::atan2TakesXFirst_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("expected");
    QTest::newRow("origin") << 0.0 << 0.0 << 0.0;
    QTest::newRow("up") << 0.0 << 2.0 << Pi / 2;
    QTest::newRow("down") << 0.0 << -2.0 << -Pi / 2;
    QTest::newRow("ahead") << 1.0 << 0.0 << 0.0;
    QTest::newRow("starboard bow, x first") << 1.0 << 1.0 << std::atan(1.0);
    QTest::newRow("steep") << 1.0 << 3.0 << std::atan(3.0);
    QTest::newRow("straight back is -pi") << -1.0 << 0.0 << -Pi;
    QTest::newRow("back to starboard") << -1.0 << 1.0 << std::atan(-1.0) + Pi;
    QTest::newRow("back to port") << -1.0 << -1.0 << std::atan(1.0) - Pi;
}

void TestMathLib::atan2TakesXFirst()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, expected);
    QCOMPARE(Atan2(x, y), expected);
}

void TestMathLib::angle180CorrectsOnce_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("expected");
    QTest::newRow("180 stays") << 180.0 << 180.0;
    QTest::newRow("-180 becomes 180") << -180.0 << 180.0;
    QTest::newRow("just above 180") << 180.5 << -179.5;
    QTest::newRow("540 once") << 540.0 << 180.0;
    QTest::newRow("600 stays outside") << 600.0 << 240.0;
    QTest::newRow("-600 stays outside") << -600.0 << -240.0;
    QTest::newRow("inside") << -179.0 << -179.0;
}

void TestMathLib::angle180CorrectsOnce()
{
    QFETCH(double, angle);
    QFETCH(double, expected);
    QCOMPARE(Angle180(angle), expected);
}

void TestMathLib::angle360CorrectsOnce_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("expected");
    QTest::newRow("360 becomes 0") << 360.0 << 0.0;
    QTest::newRow("-360 becomes 0") << -360.0 << 0.0;
    QTest::newRow("720 once") << 720.0 << 360.0;
    QTest::newRow("0 stays") << 0.0 << 0.0;
    QTest::newRow("just below 0") << -0.5 << 359.5;
    QTest::newRow("-400 stays negative") << -400.0 << -40.0;
}

void TestMathLib::angle360CorrectsOnce()
{
    QFETCH(double, angle);
    QFETCH(double, expected);
    QCOMPARE(Angle360(angle), expected);
}

void TestMathLib::averageAngleWithoutSamplesCopies()
{
    float average = 10;
    AverageAngle(400, 0, average);
    QCOMPARE(average, 400.0f);
    average = 10;
    AverageAngle360(400, 0, average);
    QCOMPARE(average, 40.0f);
}

void TestMathLib::averageAngleUsesUnitVectors_data()
{
    QTest::addColumn<float>("newAngle");
    QTest::addColumn<float>("samples");
    QTest::addColumn<float>("average");
    QTest::addColumn<double>("expected");
    QTest::newRow("across north") << 350.0f << 2.0f << 10.0f << 0.0;
    QTest::newRow("vector mean, not plain") << 90.0f << 4.0f << 0.0f << std::atan(0.25 / 0.75) * 180 / Pi;
    QTest::newRow("one sample takes the new angle, wrapped") << 270.0f << 1.0f << 0.0f << -90.0;
    // sin of this pi is a hair above 0, so 180 stays 180 and -180 stays -180.
    QTest::newRow("back from starboard") << 180.0f << 1.0f << 0.0f << 180.0;
    QTest::newRow("back from port") << -180.0f << 1.0f << 0.0f << -180.0;
}

void TestMathLib::averageAngleUsesUnitVectors()
{
    QFETCH(float, newAngle);
    QFETCH(float, samples);
    QFETCH(float, average);
    QFETCH(double, expected);
    AverageAngle(newAngle, samples, average);
    QVERIFY2(std::fabs(average - expected) < 1e-4, qPrintable(NumberText::General(average)));
}

void TestMathLib::averageAngleCancellingVectors()
{
    // The two unit vectors nearly cancel; the tiny cosine left over is
    // positive (cos of 90 degrees with this pi), so the result is near 0,
    // not near 180.
    float average = -90;
    AverageAngle(90, 2, average);
    QVERIFY2(std::fabs(average) < 1e-3, qPrintable(NumberText::General(average)));
}

void TestMathLib::averageAngle360Wraps()
{
    float average = 350;
    AverageAngle360(350, 2, average);
    QVERIFY(std::fabs(average - 350.0f) < 1e-3);
    average = 10;
    AverageAngle(10, 2, average);
    QVERIFY(std::fabs(average - 10.0f) < 1e-4);
}

void TestMathLib::averageValue()
{
    float average = 0;
    AverageValue(10, 4, average);
    QCOMPARE(average, 2.5f);
    AverageValue(7, 0, average);
    QCOMPARE(average, 7.0f);
    // Half a sample is not rejected: the factor is 2.
    average = 1;
    AverageValue(3, 0.5f, average);
    QCOMPARE(average, 5.0f);
}

void TestMathLib::windConversions_data()
{
    QTest::addColumn<bool>("toTrue");
    QTest::addColumn<float>("speed");
    QTest::addColumn<float>("angle");
    QTest::addColumn<float>("boatSpeed");
    QTest::addColumn<float>("expectedSpeed");
    QTest::addColumn<float>("expectedAngle");
    QTest::newRow("true from head wind equal to boat speed") << true << 10.0f << 0.0f << 10.0f << 0.0f << 0.0f;
    QTest::newRow("apparent from head wind") << false << 10.0f << 0.0f << 5.0f << 15.0f << 0.0f;
    QTest::newRow("true wind from behind is -180") << true << 5.0f << 0.0f << 10.0f << 5.0f << -180.0f;
    QTest::newRow("beam wind") << false << 10.0f << 90.0f << 10.0f << float(std::sqrt(200.0)) << 45.0f;
    QTest::newRow("port beam true") << true << 10.0f << -90.0f << 0.0f << 10.0f << -90.0f;
}

void TestMathLib::windConversions()
{
    QFETCH(bool, toTrue);
    QFETCH(float, speed);
    QFETCH(float, angle);
    QFETCH(float, boatSpeed);
    QFETCH(float, expectedSpeed);
    QFETCH(float, expectedAngle);
    float s = -1;
    float a = -1;
    if (toTrue)
        WindTrueFromApparent(speed, angle, boatSpeed, s, a);
    else
        WindApparentFromTrue(speed, angle, boatSpeed, s, a);
    QVERIFY2(std::fabs(s - expectedSpeed) < 1e-4, qPrintable(NumberText::General(s)));
    QVERIFY2(std::fabs(a - expectedAngle) < 1e-4, qPrintable(NumberText::General(a)));
}

void TestMathLib::windConversionsAreInverse()
{
    float ts = 0;
    float ta = 0;
    WindTrueFromApparent(15, 35, 6.5f, ts, ta);
    QVERIFY(ta > 35 && ta < 180);
    float as = 0;
    float aa = 0;
    WindApparentFromTrue(ts, ta, 6.5f, as, aa);
    QVERIFY(std::fabs(as - 15) < 1e-4);
    QVERIFY(std::fabs(aa - 35) < 1e-4);
}

void TestMathLib::minMaxTiesReturnFirst()
{
    QCOMPARE(MinValue(3, 2.5), 2.5f);
    QCOMPARE(MaxValue(3, 2.5), 3.0f);
    QCOMPARE(MinValue(-1, 4), -1.0f);
    // The result is single, so a tie decides which double is rounded.
    QCOMPARE(MinValue(0.0, -0.0), 0.0f);
    QVERIFY(!std::signbit(MinValue(0.0, -0.0)));
    QVERIFY(std::signbit(MaxValue(-0.0, 0.0)));
}

QTEST_GUILESS_MAIN(TestMathLib)
#include "tst_mathlib.moc"
