#include "InstrumentState.h"
#include "MathLib.h"
#include "NumberText.h"
#include "ProfileSettings.h"

#include <QStringList>
#include <QTest>
#include <cmath>

namespace {

// Every report in order, as text: labels and caption as the window shows
// them.
class DisplayRecorder {
public:
    QStringList events;
    InstrumentReports Reports()
    {
        InstrumentReports r;
        r.Value = [this](InstrumentValue which, float value) {
            Label(which, NumberText::Format(value, InstrumentState::ValueFormat(which)));
        };
        r.Blank = [this](InstrumentValue which) { Label(which, QString()); };
        r.History = [this](const QString& name, float value, const QString& units) {
            events << QStringLiteral("history %1=%2 %3").arg(name, NumberText::Format(value, u"0.00"), units);
        };
        r.WindIndicator = [this](const QString& point, float speed) {
            events << QStringLiteral("caption ") + InstrumentState::WindIndicatorText(point, speed);
        };
        return r;
    }
    void Label(InstrumentValue which, const QString& text)
    {
        events << QStringLiteral("label %1=%2").arg(LabelName(which), text);
    }
    QStringList take()
    {
        QStringList out = events;
        events.clear();
        return out;
    }

    static QString LabelName(InstrumentValue which)
    {
        switch (which) {
        case InstrumentValue::Heading: return QStringLiteral("Heading");
        case InstrumentValue::BoatSpeed: return QStringLiteral("BoatSpeed");
        case InstrumentValue::AppWindAngle: return QStringLiteral("AppWindAngle");
        case InstrumentValue::AppWindSpeed: return QStringLiteral("AppWindSpeed");
        case InstrumentValue::TrueWindAngle: return QStringLiteral("TrueWindAngle");
        case InstrumentValue::TrueWindSpeed: return QStringLiteral("TrueWindSpeed");
        case InstrumentValue::WaypointBearing: return QStringLiteral("WaypointBearing");
        }
        return QString();
    }
};

bool Near(double a, double b, double tolerance = 1e-4) { return std::fabs(a - b) < tolerance; }

} // namespace

class TestInstrumentState : public QObject {
    Q_OBJECT
private slots:
    void init();
    void settersShowAndRecord();
    void noAveragingFollowsLatest();
    void firstValueStartsTheAverage();
    void apparentAngleAveragedOnUnitVectors();
    void trueWindComputedOnlyWithBoatSpeed();
    void trueWindSensorIsNotOverwritten();
    void averagingSettingReadAtRunTime();
    void compassPoint_data();
    void compassPoint();
    void windIndicatorFirstValueUnwrapped();
    void invalidateKeepsVariationAndValues();

private:
    ProfileSettings m_settings;
    DisplayRecorder m_display;
};

void TestInstrumentState::init()
{
    m_settings = ProfileSettings();
    m_display.events.clear();
}

void TestInstrumentState::settersShowAndRecord()
{
    InstrumentState state(m_settings, m_display.Reports());
    state.SetHeading(370.4f);
    QVERIFY(state.HeadingValid());
    QVERIFY(Near(state.Heading(), 10.4));
    state.SetBoatSpeed(6.25f);
    state.SetWaypoint(3.5f, -12.6f);
    QVERIFY(state.WaypointValid());
    QCOMPARE(state.WaypointBearing(), -12.6f);
    QCOMPARE(state.WaypointRange(), 3.5f);
    state.SetWindApparent(200, 0.95f, false);
    QCOMPARE(state.WindAngleApparent(), -160.0f);
    state.SetWindTrue(-190, 14, true);
    QCOMPARE(state.WindAngleTrue(), 170.0f);
    QCOMPARE(m_display.take(), QStringList({
        "label Heading=10",
        "history Heading=10.40 M",
        "label BoatSpeed=6.3",
        "history Boat Speed=6.25 Kts",
        "label WaypointBearing=-13",
        "label AppWindAngle=-160",
        "label AppWindSpeed=1.0",
        "history App Wind Angle=-160.00 R",
        "history App Wind Speed=0.95 Kts",
        "label TrueWindAngle=170",
        "label TrueWindSpeed=14.0",
        "history True Wind Angle=170.00 R",
        "history True Wind Speed=14.00 Kts",
    }));
}

void TestInstrumentState::noAveragingFollowsLatest()
{
    m_settings.m_fNmeaTrueWindAverage = 0;
    m_settings.m_iNmeaTrueWind = 0;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetBoatSpeed(5);
    state.SetBoatSpeed(7);
    QCOMPARE(state.BoatSpeedAverage(), 7.0f);
    state.SetWindApparent(30, 10, true);
    state.SetWindApparent(-50, 12, true);
    QCOMPARE(state.WindAngleApparentAverage(), -50.0f);
    QCOMPARE(state.WindSpeedApparentAverage(), 12.0f);
    state.SetWindTrue(40, 9, true);
    state.SetWindTrue(60, 11, true);
    QCOMPARE(state.WindAngleTrue(), 60.0f);
    QCOMPARE(state.WindSpeedTrue(), 11.0f);
}

void TestInstrumentState::firstValueStartsTheAverage()
{
    m_settings.m_fNmeaTrueWindAverage = 4;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetBoatSpeed(8);
    QCOMPARE(state.BoatSpeedAverage(), 8.0f);
    state.SetBoatSpeed(4);
    QCOMPARE(state.BoatSpeed(), 4.0f);
    QCOMPARE(state.BoatSpeedAverage(), 7.0f);
    // The first apparent angle starts its average wrapped.
    state.SetWindApparent(350, 10, false);
    QCOMPARE(state.WindAngleApparentAverage(), -10.0f);
}

void TestInstrumentState::apparentAngleAveragedOnUnitVectors()
{
    m_settings.m_fNmeaTrueWindAverage = 4;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetWindApparent(0, 10, false);
    state.SetWindApparent(90, 14, false);
    QCOMPARE(state.WindAngleApparent(), 90.0f);
    QCOMPARE(state.WindSpeedApparent(), 14.0f);
    QVERIFY(Near(state.WindAngleApparentAverage(), 18.4349, 1e-3));
    QCOMPARE(state.WindSpeedApparentAverage(), 11.0f);
}

void TestInstrumentState::trueWindComputedOnlyWithBoatSpeed()
{
    m_settings.m_fNmeaTrueWindAverage = 2;
    m_settings.m_iNmeaTrueWind = 1;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetWindApparent(0, 10, true);
    QVERIFY(!state.WindTrueValid());
    state.SetBoatSpeed(5);
    state.SetWindApparent(0, 14, true);
    // From the averages (speed 12) and not averaged again.
    QVERIFY(state.WindTrueValid());
    QVERIFY(Near(state.WindSpeedTrue(), 7));
    QVERIFY(Near(state.WindAngleTrue(), 0));
    state.SetWindApparent(0, 14, true);
    QVERIFY(Near(state.WindSpeedTrue(), 8));
    // Without ComputeTrue nothing is computed.
    state.SetWindApparent(0, 30, false);
    QVERIFY(Near(state.WindSpeedTrue(), 8));
    const QStringList events = m_display.take();
    QCOMPARE(events.filter("True Wind Speed").size(), 2);
}

void TestInstrumentState::trueWindSensorIsNotOverwritten()
{
    m_settings.m_iNmeaTrueWind = 0;
    m_settings.m_fNmeaTrueWindAverage = 2;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetBoatSpeed(6);
    state.SetWindTrue(100, 20, true);
    state.SetWindApparent(30, 10, true);
    QCOMPARE(state.WindAngleTrue(), 100.0f);
    QCOMPARE(state.WindSpeedTrue(), 20.0f);
    state.SetWindTrue(120, 10, true);
    QVERIFY(Near(state.WindAngleTrue(), 110, 1e-3));
    QCOMPARE(state.WindSpeedTrue(), 15.0f);
    // Not averaged: replaces.
    state.SetWindTrue(-30, 3, false);
    QCOMPARE(state.WindAngleTrue(), -30.0f);
    QCOMPARE(state.WindSpeedTrue(), 3.0f);
}

void TestInstrumentState::averagingSettingReadAtRunTime()
{
    m_settings.m_fNmeaTrueWindAverage = 0;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetBoatSpeed(10);
    m_settings.m_fNmeaTrueWindAverage = 5;
    state.SetBoatSpeed(0);
    QCOMPARE(state.BoatSpeedAverage(), 8.0f);
}

void TestInstrumentState::compassPoint_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0.0 << "N";
    QTest::newRow("just below first bound") << 11.2499 << "N";
    QTest::newRow("bound belongs to next") << 11.25 << "N-NE";
    QTest::newRow("E") << 90.0 << "E";
    QTest::newRow("S-SW") << 213.5 << "S-SW";
    QTest::newRow("N-NW") << 348.7 << "N-NW";
    QTest::newRow("348.75 is N") << 348.75 << "N";
    QTest::newRow("380 wraps once") << 380.0 << "N-NE";
    QTest::newRow("negative") << -20.0 << "N-NW";
    QTest::newRow("far negative stays below 0") << -400.0 << "N";
    QTest::newRow("730 wraps to 370") << 730.0 << "N";
    QTest::newRow("740 is beyond the table") << 740.0 << "??";
    QTest::newRow("not a number") << std::nan("") << "??";
}

void TestInstrumentState::compassPoint()
{
    QFETCH(double, direction);
    QFETCH(QString, name);
    QCOMPARE(InstrumentState::CompassPoint(direction), name);
}

void TestInstrumentState::windIndicatorFirstValueUnwrapped()
{
    m_settings.m_fNmeaWindIndicatorAverage = 2;
    InstrumentState state(m_settings, m_display.Reports());
    state.SetHeading(350);
    state.SetVariation(10);
    state.SetWindTrue(20, 0.4f, false);
    state.WindIndicator();
    QVERIFY(state.WindIndicatorValid());
    QCOMPARE(state.WindDirectionAverage(), 380.0f);
    QCOMPARE(state.WindSpeedAverage(), 0.4f);
    state.SetWindTrue(20, 12.6f, false);
    state.WindIndicator();
    QVERIFY(Near(state.WindDirectionAverage(), 20, 1e-3));
    QCOMPARE(state.WindSpeedAverage(), 6.5f);
    // 20 and 340 average across north: near 0, or 360 after rounding to
    // single, never near 180.
    state.SetWindTrue(-20, 12.6f, false);
    state.WindIndicator();
    QVERIFY(Near(state.WindDirectionAverage(), 0, 1e-3) || Near(state.WindDirectionAverage(), 360, 1e-3));
    // 0 and 300 give 330, not the plain mean 150.
    state.SetVariation(-10);
    state.SetWindTrue(-40, 12.6f, false);
    state.WindIndicator();
    QVERIFY(Near(state.WindDirectionAverage(), 330, 1e-3));
    QCOMPARE(m_display.take().filter(QStringLiteral("caption ")), QStringList({
        "caption Wind N-NE@.4",
        "caption Wind N-NE@6.5",
        "caption Wind N@9.6",
        "caption Wind N-NW@11.1",
    }));
}

void TestInstrumentState::invalidateKeepsVariationAndValues()
{
    InstrumentState state(m_settings, m_display.Reports());
    state.SetHeading(90);
    state.SetBoatSpeed(5);
    state.SetWaypoint(2, 30);
    state.SetWindApparent(40, 12, true);
    state.SetVariation(-3);
    state.WindIndicator();
    QVERIFY(state.WindTrueValid() && state.WindIndicatorValid());
    m_display.events.clear();

    state.Invalidate();
    QVERIFY(!state.HeadingValid());
    QVERIFY(!state.BoatSpeedValid());
    QVERIFY(!state.WaypointValid());
    QVERIFY(!state.WindApparentValid());
    QVERIFY(!state.WindIndicatorValid());
    QVERIFY(!state.WindTrueValid());
    QVERIFY(state.VariationValid());
    QCOMPARE(state.Variation(), -3.0f);
    QCOMPARE(state.Heading(), 90.0f);
    QCOMPARE(state.BoatSpeedAverage(), 5.0f);
    QCOMPARE(m_display.take(), QStringList({
        "label AppWindAngle=",
        "label AppWindSpeed=",
        "label BoatSpeed=",
        "label Heading=",
        "label TrueWindAngle=",
        "label TrueWindSpeed=",
        "label WaypointBearing=",
    }));
    // The next value starts a fresh average.
    state.SetBoatSpeed(9);
    QCOMPARE(state.BoatSpeedAverage(), 9.0f);
}

QTEST_GUILESS_MAIN(TestInstrumentState)
#include "tst_instrumentstate.moc"
