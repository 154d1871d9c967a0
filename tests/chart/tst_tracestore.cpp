#include "FakeChartClock.h"
#include "TraceStore.h"

#include <QStringList>
#include <QTest>
#include <cmath>

namespace {

class DrawRecorder : public TraceDrawSink {
public:
    void Trace_Label(int t) override { calls << QStringLiteral("Label %1").arg(t); }
    void Trace_YAxis(int t) override { calls << QStringLiteral("YAxis %1").arg(t); }
    void Trace_Plot(int t, int n) override { calls << QStringLiteral("Plot %1 %2").arg(t).arg(n); }
    void Trace_Values(int t) override { calls << QStringLiteral("Values %1").arg(t); }
    QStringList calls;
};

constexpr float NO_VALUE = TraceStore::NO_VALUE;

// A store with "Speed" (Normal, Kts) and "Heading" (Degrees, M) declared.
struct Fixture {
    explicit Fixture(int32_t memorySize = 100, int32_t interval = 10)
        : store(clock)
    {
        store.SetDrawSink(&recorder);
        store.SetNumberOfValues(2);
        store.SetValueOptions(1, "Speed", 0, "Kts");
        store.SetValueOptions(2, "Heading", 1, "M");
        store.Initialize(memorySize, interval);
    }
    // One timer tick after the clock moved on by `seconds`.
    void Tick(int seconds = 1)
    {
        clock.AdvanceSeconds(seconds);
        store.TraceSample();
    }
    float Newest(int value) const { return store.Data(value, store.m_lHead); }
    // A plot area W columns wide with drawing on, as a full redraw leaves it.
    void StartDrawing(int W, int32_t span = 60)
    {
        store.m_lTimeSpan = span;
        store.m_bUpdate = true;
        store.TraceRebuild(W);
        recorder.calls.clear();
    }
    QString Column(int c, int t = 0) const
    {
        if (store.ColumnEmpty(c, t))
            return QStringLiteral("-");
        return QStringLiteral("%1..%2").arg(double(store.ColMin(c, t))).arg(double(store.ColMax(c, t)));
    }
    // Columns 0 .. count-1, newest first (relative to the ring position).
    QStringList Columns(int count, int t = 0) const
    {
        QStringList out;
        for (int k = 0; k < count; ++k)
            out << Column((store.m_iColumn[t] + k) % store.Columns(), t);
        return out;
    }

    FakeChartClock clock;
    DrawRecorder recorder;
    TraceStore store;
};

} // namespace

class TestTraceStore : public QObject {
    Q_OBJECT
private slots:
    void valueTable();
    void initializeRunsOnce();
    void lowSixteenBits();
    void meanOfAnInterval();
    void circularMeanAcrossNorth();
    void intervalWithoutReadingsStoresNoValue();
    void sampleWrittenAtFirstTickAfterInterval();
    void ringWrapsWhenFull();
    void readingsThatAreIgnored();
    void unitsChanges();
    void readingsBeforeUpdateAreStoredNotDrawn();
    void angleFromVector_data();
    void angleFromVector();

    void readingInSameColumnOnlyWidens();
    void readingAfterPauseFillsTheColumns();
    void growingRangeRedrawsScaleAndTrace();
    void degree360ShowsNegativeAsPositive();
    void idleAdvanceAcrossMidnight();
    void zoomModeStoresButDoesNotDraw();

    void rebuildBridgesOneInterval();
    void rebuildBreaksAtLongGap();
    void rebuildLeavesMissingSamplesEmpty();
    void rebuildDegree360();
    void rebuildZoomPastNewest();
    void rebuildZoomBeforeOldest();
    void rebuildOverFullDay();
    void futureStampRefused_data();
    void futureStampRefused();
};

void TestTraceStore::valueTable()
{
    FakeChartClock clock;
    TraceStore store(clock);
    store.SetNumberOfValues(2);
    store.SetValueOptions(1, "Speed", 0, "Kts");
    store.SetValueOptions(3, "Nowhere", 1, "X");
    store.SetValueOptions(0, "Nowhere", 1, "X");
    QString name = "keep", units = "keep";
    int16_t type = 7;
    store.GetValueOptions(3, name, type, units);
    QCOMPARE(name, QString("keep"));
    QCOMPARE(type, int16_t(7));
    store.GetValueOptions(1, name, type, units);
    QCOMPARE(name, QString("Speed"));
    QCOMPARE(units, QString("Kts"));
    QCOMPARE(type, int16_t(0));
    QCOMPARE(store.FindValue("Speed"), 0);
    QCOMPARE(store.FindValue("speed"), -1);
    store.SetNumberOfValues(1);
    store.GetValueOptions(1, name, type, units);
    QCOMPARE(name, QString());
}

void TestTraceStore::initializeRunsOnce()
{
    Fixture f(100, 10);
    f.store.m_iNumberOfTraces = 3;
    QVERIFY(!f.store.Initialize(5, 1));
    QCOMPARE(f.store.m_lMemorySize, 100);
    QCOMPARE(f.store.m_iMemoryInterval, int16_t(10));
    QCOMPARE(f.store.m_iNumberOfTraces, int16_t(3));
    QCOMPARE(f.store.m_iTraceTimer, int16_t(2));
    QCOMPARE(f.store.m_lTimeSpan, 60);
    QCOMPARE(f.store.m_lTraceBackColor[4], 0xE0E0E0);
}

void TestTraceStore::lowSixteenBits()
{
    Fixture f(10, 70000);
    QCOMPARE(f.store.m_iMemoryInterval, int16_t(4464));
    f.store.SetTraceTimer(70000);
    QCOMPARE(f.store.m_iTraceTimer, int16_t(4464));
    f.store.SetTraceTimer(40000);
    QCOMPARE(f.store.m_iTraceTimer, int16_t(-25536));
}

void TestTraceStore::meanOfAnInterval()
{
    Fixture f;
    for (const char* v : {"1.5 Kts", "2.5 Kts", "5 Kts"})
        f.store.SetValue("Speed", v);
    f.Tick(10);
    QCOMPARE(f.store.m_lFilled, 1);
    QCOMPARE(f.store.m_lHead, 1);
    QCOMPARE(f.Newest(0), 3.0f);
    QCOMPARE(f.store.SlotTime(1), FakeChartClock::kStart + 10);
}

void TestTraceStore::circularMeanAcrossNorth()
{
    Fixture f;
    f.store.SetValue("Heading", "350.0 M");
    f.store.SetValue("Heading", "10.0 M");
    f.Tick(10);
    QVERIFY(std::fabs(f.Newest(1)) < 0.01f);
    f.store.SetValue("Heading", "170 M");
    f.store.SetValue("Heading", "-170 M");
    f.Tick(10);
    QVERIFY(std::fabs(std::fabs(f.Newest(1)) - 180.0f) < 0.01f);
    f.store.SetValue("Heading", "270 M");
    f.Tick(10);
    QVERIFY(std::fabs(f.Newest(1) + 90.0f) < 0.01f);
}

void TestTraceStore::intervalWithoutReadingsStoresNoValue()
{
    Fixture f;
    f.store.SetValue("Speed", "4 Kts");
    f.Tick(10);
    QCOMPARE(f.Newest(0), 4.0f);
    QCOMPARE(f.Newest(1), NO_VALUE);
    f.Tick(10);
    QCOMPARE(f.Newest(0), NO_VALUE);
    QCOMPARE(f.store.m_lFilled, 2);
}

void TestTraceStore::sampleWrittenAtFirstTickAfterInterval()
{
    Fixture f;
    for (int s = 1; s < 10; ++s) {
        f.Tick();
        QCOMPARE(f.store.m_lFilled, 0);
    }
    f.Tick();
    QCOMPARE(f.store.m_lFilled, 1);
    // A late tick moves the next sample's time with it.
    f.Tick(13);
    QCOMPARE(f.store.m_lFilled, 2);
    QCOMPARE(f.store.SlotTime(2) - f.store.SlotTime(1), 13);

    // The clock set back an hour: sampling goes on from the new time
    // instead of merging the next hour into one sample.
    f.clock.SetBack(3600);
    f.store.SetValue("Speed", "6 Kts");
    f.Tick();
    QCOMPARE(f.store.m_lFilled, 3);
    QCOMPARE(f.Newest(0), 6.0f);
    f.Tick(10);
    QCOMPARE(f.store.m_lFilled, 4);
}

void TestTraceStore::ringWrapsWhenFull()
{
    Fixture f(3, 1);
    for (int s = 1; s <= 5; ++s) {
        f.store.SetValue("Speed", QString::fromLatin1("%1 Kts").arg(s));
        f.Tick();
    }
    QCOMPARE(f.store.m_lFilled, 3);
    QCOMPARE(f.store.m_lHead, 5 % 3);
    QCOMPARE(f.store.Data(0, 2), 5.0f);
    QCOMPARE(f.store.Data(0, 1), 4.0f);
    QCOMPARE(f.store.Data(0, 0), 3.0f);
    // Slot MemorySize is never part of the ring.
    QCOMPARE(f.store.Data(0, 3), NO_VALUE);
}

void TestTraceStore::readingsThatAreIgnored()
{
    Fixture f;
    f.store.SetValue("Speed", "N/A");
    f.store.SetValue("Speed", "abc Kts");
    f.store.SetValue("Speed", "12x Kts");
    f.store.SetValue("Speed", " 12 Kts");
    f.store.SetValue("speed", "12 Kts");
    f.store.SetValue("Depth", "12 m");
    f.Tick(10);
    QCOMPARE(f.Newest(0), NO_VALUE);
    QCOMPARE(f.store.ValueUnits(0), QString("Kts"));

    FakeChartClock clock;
    TraceStore early(clock);
    early.SetNumberOfValues(1);
    early.SetValueOptions(1, "Speed", 0, "Kts");
    early.SetValue("Speed", "3 Kts");
    early.TraceSample();
    QCOMPARE(early.m_lFilled, 0);
}

void TestTraceStore::unitsChanges()
{
    Fixture f;
    f.store.SetNumberOfValues(2);
    f.store.SetValueOptions(1, "Speed", 0, "Kts");
    f.store.SetValueOptions(2, "Heading", 1, "M");
    f.store.m_iNumberOfTraces = 2;
    f.store.m_iTraceValue[1] = 1;
    f.StartDrawing(61);
    f.store.SetValue("Speed", "5 Kts");
    QVERIFY(!f.recorder.calls.contains("Label 0"));
    f.store.SetValue("Speed", "5 mph");
    QCOMPARE(f.recorder.calls.count("Label 0"), 1);
    QVERIFY(!f.recorder.calls.contains("Label 1"));
    QCOMPARE(f.store.ValueUnits(0), QString("mph"));
    f.store.SetValue("Speed", "5");
    QCOMPARE(f.recorder.calls.count("Label 0"), 2);
    QCOMPARE(f.store.ValueUnits(0), QString());
    f.store.SetValue("Speed", "5 knots per hour");
    QCOMPARE(f.store.ValueUnits(0), QString("knots per hour"));
}

void TestTraceStore::readingsBeforeUpdateAreStoredNotDrawn()
{
    Fixture f;
    f.store.TraceReset(61);
    f.store.SetValue("Speed", "7 Kts");
    f.store.SetValue("Speed", "7 mph");
    f.Tick(10);
    QCOMPARE(f.Newest(0), 7.0f);
    QVERIFY(f.recorder.calls.isEmpty());
    QVERIFY(f.store.ColumnEmpty(0, 0));
}

void TestTraceStore::angleFromVector_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("angle");
    QTest::newRow("east") << 1.0f << 0.0f << 0.0f;
    QTest::newRow("north") << 0.0f << 1.0f << 90.0f;
    QTest::newRow("origin") << 0.0f << 0.0f << 90.0f;
    QTest::newRow("south") << 0.0f << -2.0f << -90.0f;
    QTest::newRow("west") << -1.0f << 0.0f << -180.0f;
    QTest::newRow("second quadrant") << -1.0f << 1.0f << 135.0f;
    QTest::newRow("third quadrant") << -1.0f << -1.0f << -135.0f;
    QTest::newRow("fourth quadrant") << 1.0f << -1.0f << -45.0f;
}

void TestTraceStore::angleFromVector()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, angle);
    QVERIFY(std::fabs(TraceStore::AngleFromVector(x, y) - angle) < 1e-4f);
}

void TestTraceStore::readingInSameColumnOnlyWidens()
{
    Fixture f;
    f.StartDrawing(61);
    f.store.SetValue("Speed", "5 Kts");
    QCOMPARE(f.Column(0), QString("5..5"));
    QCOMPARE(f.recorder.calls, QStringList({"YAxis 0", "Plot 0 60"}));
    f.recorder.calls.clear();
    f.store.SetValue("Speed", "4.5 Kts");
    f.store.SetValue("Speed", "4.75 Kts");
    // The range grew below, so the scale and the whole trace come again.
    QCOMPARE(f.recorder.calls, QStringList({"YAxis 0", "Plot 0 60", "Plot 0 0", "Values 0"}));
    QCOMPARE(f.Column(0), QString("4.5..5"));
    QVERIFY(f.store.m_bHasValue[0]);
    QCOMPARE(f.store.m_fLastValue[0], 4.75f);
    // Two seconds of silence: an idle advance of two columns, both empty.
    f.recorder.calls.clear();
    f.Tick();
    f.Tick();
    QCOMPARE(f.recorder.calls, QStringList({"Plot 0 60"}));
    QCOMPARE(f.Columns(3), QStringList({"-", "-", "4.5..5"}));
    QVERIFY(!f.store.m_bHasValue[0]);
}

void TestTraceStore::readingAfterPauseFillsTheColumns()
{
    Fixture f;
    f.StartDrawing(61);
    f.store.m_iTraceTimer = 100;
    f.store.SetValue("Speed", "2 Kts");
    f.clock.AdvanceSeconds(3);
    f.store.TraceSample();
    f.store.SetValue("Speed", "3 Kts");
    QCOMPARE(f.Columns(5), QStringList({"3..3", "3..3", "3..3", "2..2", "-"}));
    QCOMPARE(f.recorder.calls.last(), QString("Plot 0 60"));
}

void TestTraceStore::growingRangeRedrawsScaleAndTrace()
{
    Fixture f;
    f.StartDrawing(61);
    f.store.SetValue("Speed", "5 Kts");
    f.store.SetValue("Speed", "5 Kts");
    QCOMPARE(f.recorder.calls, QStringList({"YAxis 0", "Plot 0 60", "Plot 0 0", "Values 0"}));
    f.recorder.calls.clear();
    f.store.SetValue("Speed", "9 Kts");
    QCOMPARE(f.recorder.calls, QStringList({"YAxis 0", "Plot 0 60"}));
    QCOMPARE(f.store.m_fDataMax[0], 9.0f);
    QCOMPARE(f.store.m_fDataMin[0], 5.0f);
}

void TestTraceStore::degree360ShowsNegativeAsPositive()
{
    Fixture f;
    f.store.m_iTraceValue[0] = 1;
    f.store.m_iTraceRange[0] = int16_t(TrendScopeTypes::TraceRange::Degree360);
    f.StartDrawing(61);
    f.store.SetValue("Heading", "-90 M");
    QCOMPARE(f.Column(0), QString("270..270"));
    f.Tick();
    f.store.SetValue("Heading", "350 M");
    QCOMPARE(f.Column(f.store.m_iColumn[0]), QString("350..350"));
    // On a +/-180 range the same reading shows as -10.
    f.store.m_iTraceRange[0] = int16_t(TrendScopeTypes::TraceRange::Degree180);
    f.Tick();
    f.store.SetValue("Heading", "350 M");
    QCOMPARE(f.Column(f.store.m_iColumn[0]), QString("-10..-10"));
}

void TestTraceStore::idleAdvanceAcrossMidnight()
{
    // Start five seconds before midnight; the seconds counter restarts at 0.
    FakeChartClock clock(ChartSeconds(9000 * 86400 + 86400 - 5));
    TraceStore store(clock);
    DrawRecorder recorder;
    store.SetDrawSink(&recorder);
    store.SetNumberOfValues(1);
    store.SetValueOptions(1, "Speed", 0, "Kts");
    store.Initialize(100, 10);
    store.m_bUpdate = true;
    store.TraceRebuild(61);
    store.SetValue("Speed", "1 Kts");
    int advances = 0;
    for (int s = 0; s < 12; ++s) {
        recorder.calls.clear();
        clock.AdvanceSeconds(1);
        store.TraceSample();
        advances += recorder.calls.count("Plot 0 60");
    }
    QVERIFY(advances >= 5);
}

void TestTraceStore::zoomModeStoresButDoesNotDraw()
{
    Fixture f;
    f.StartDrawing(61);
    f.store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Zoom;
    f.store.SetValue("Speed", "6 Kts");
    f.Tick(10);
    QVERIFY(f.recorder.calls.isEmpty());
    QCOMPARE(f.Newest(0), 6.0f);
    QVERIFY(f.store.ColumnEmpty(0, 0));
}

// W = 61 over 60 s: one column per second. Interval 10 s: gap limit
// round(10 * 1.25 * 60 / 60) = 12 columns.
void TestTraceStore::rebuildBridgesOneInterval()
{
    Fixture f;
    f.store.SetValue("Speed", "1 Kts");
    f.Tick(12);
    f.store.SetValue("Speed", "2 Kts");
    f.Tick(12);
    f.store.m_lTimeSpan = 60;
    f.store.TraceRebuild(61);
    QCOMPARE(f.store.m_iColumn[0], 0);
    QCOMPARE(f.Columns(14), QStringList({"2..2", "1..1", "1..1", "1..1", "1..1", "1..1", "1..1", "1..1", "1..1",
                                         "1..1", "1..1", "1..1", "1..1", "-"}));
    QCOMPARE(f.store.m_fDataMax[0], 2.0f);
    QCOMPARE(f.store.m_fDataMin[0], 1.0f);
}

void TestTraceStore::rebuildBreaksAtLongGap()
{
    Fixture f;
    f.store.SetValue("Speed", "1 Kts");
    f.Tick(10);
    f.store.SetValue("Speed", "2 Kts");
    f.Tick(13);
    f.store.m_lTimeSpan = 60;
    f.store.TraceRebuild(61);
    QStringList expected({"2..2"});
    for (int c = 1; c < 13; ++c)
        expected << "-";
    expected << "1..1" << "-";
    QCOMPARE(f.Columns(15), expected);
}

void TestTraceStore::rebuildLeavesMissingSamplesEmpty()
{
    Fixture f;
    f.store.SetValue("Speed", "1 Kts");
    f.Tick(10);
    f.Tick(10);
    f.store.SetValue("Speed", "3 Kts");
    f.Tick(10);
    f.store.m_lTimeSpan = 60;
    f.store.TraceRebuild(61);
    QStringList expected({"3..3"});
    for (int c = 1; c <= 10; ++c)
        expected << "-";
    for (int c = 11; c <= 20; ++c)
        expected << "1..1";
    expected << "-";
    QCOMPARE(f.Columns(22), expected);
}

void TestTraceStore::rebuildDegree360()
{
    Fixture f;
    f.store.m_iTraceValue[0] = 1;
    f.store.m_iTraceRange[0] = int16_t(TrendScopeTypes::TraceRange::Degree360);
    f.store.SetValue("Heading", "-90 M");
    f.Tick(10);
    f.store.TraceRebuild(61);
    QCOMPARE(f.Column(0), QString("270..270"));
    QCOMPARE(f.store.m_fDataMax[0], 270.0f);
}

void TestTraceStore::rebuildZoomPastNewest()
{
    Fixture f;
    for (int s = 1; s <= 6; ++s) {
        f.store.SetValue("Speed", QString::fromLatin1("%1").arg(s));
        f.Tick(10);
    }
    f.store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Zoom;
    f.store.m_lTimeSpan = 60;
    f.store.m_lZoomEnd = f.clock.Now() + 30;
    f.store.m_lZoomStart = f.store.m_lZoomEnd - 60;
    f.store.TraceRebuild(61);
    QStringList expected;
    for (int c = 0; c < 30; ++c)
        expected << "-";
    // Samples aged 30, 40, 50 and 60 s before the window end.
    expected << "6..6";
    for (int s = 5; s >= 3; --s)
        for (int c = 0; c < 10; ++c)
            expected << QString::fromLatin1("%1..%1").arg(s);
    QCOMPARE(f.Columns(61), expected);
}

void TestTraceStore::rebuildZoomBeforeOldest()
{
    Fixture f;
    f.store.SetValue("Speed", "4");
    f.Tick(10);
    f.store.m_eDisplayMode = TrendScopeTypes::DisplayMode::Zoom;
    f.store.m_lTimeSpan = 60;
    f.store.m_lZoomEnd = f.clock.Now() - 11;
    f.store.TraceRebuild(61);
    for (int c = 0; c < 61; ++c)
        QVERIFY(f.store.ColumnEmpty(c, 0));
    QCOMPARE(f.store.m_fDataMax[0], NO_VALUE);
    QCOMPARE(f.store.m_fDataMin[0], TraceStore::EMPTY_MIN);
}

void TestTraceStore::rebuildOverFullDay()
{
    Fixture f(8640, 10);
    for (int s = 0; s < 8640 + 50; ++s) {
        f.store.SetValue("Speed", QString::fromLatin1("%1").arg(s % 7));
        f.Tick(10);
    }
    QCOMPARE(f.store.m_lFilled, 8640);
    f.store.m_lTimeSpan = 86400;
    f.store.TraceRebuild(1000);
    QCOMPARE(f.store.m_fDataMax[0], 6.0f);
    QCOMPARE(f.store.m_fDataMin[0], 0.0f);
    int filled = 0;
    for (int c = 0; c < 1000; ++c)
        filled += f.store.ColumnEmpty(c, 0) ? 0 : 1;
    QCOMPARE(filled, 1000);
}

void TestTraceStore::futureStampRefused_data()
{
    // Seconds from the clock: the newest stamp taken before (none when the
    // host has not stamped yet), and the reading's stamp.
    QTest::addColumn<bool>("stamped");
    QTest::addColumn<qint64>("newest");
    QTest::addColumn<qint64>("stamp");
    QTest::addColumn<bool>("taken");
    const qint64 day = 86400;
    QTest::newRow("live, a day ahead") << false << qint64(0) << day << true;
    QTest::newRow("live, a day and a second") << false << qint64(0) << day + 1 << false;
    // std::time(nullptr) read as chart seconds: 30 years on.
    QTest::newRow("live, seconds since 1970") << false << qint64(0) << qint64(10957) * day << false;
    // The present is the newest stamp when that is ahead of the clock.
    QTest::newRow("stamps an hour ahead, a day on") << true << qint64(3600) << 3600 + day << true;
    QTest::newRow("stamps an hour ahead, a day and a second on") << true << qint64(3600) << 3600 + day + 1 << false;
    // Last week's log: days without readings in it are no fault, the clock
    // is the present.
    QTest::newRow("old log, three days on") << true << -7 * day << -4 * day << true;
    QTest::newRow("old log, a day past the clock") << true << -7 * day << day << true;
    QTest::newRow("old log, a day and a second past the clock") << true << -7 * day << day + 1 << false;
    QTest::newRow("old log, a bad GPS year") << true << -7 * day << 24 * 365 * day << false;
}

void TestTraceStore::futureStampRefused()
{
    QFETCH(bool, stamped);
    QFETCH(qint64, newest);
    QFETCH(qint64, stamp);
    QFETCH(bool, taken);
    Fixture f;
    const ChartSeconds clock = f.clock.Now();
    const ChartSeconds before = clock + (stamped ? newest : 0);
    if (stamped)
        QVERIFY(f.store.SetValueAt("Speed", 2, before));
    else
        f.store.SetValue("Speed", "2");
    QCOMPARE(f.store.SetValueAt("Speed", 99, clock + stamp), taken);
    QCOMPARE(f.store.Now(), taken ? std::max(before, clock + stamp) : before);
    if (taken)
        return;
    // Refused, it left the running interval alone: the next sample is the
    // reading before it, stamped where the present was.
    QCOMPARE(f.store.m_lFilled, 0);
    if (stamped)
        QVERIFY(f.store.SetValueAt("Heading", 0, before + 10));
    else
        f.Tick(10);
    QCOMPARE(f.store.m_lFilled, 1);
    QCOMPARE(f.Newest(0), 2.0f);
    QCOMPARE(f.store.SlotTime(f.store.m_lHead), before + 10);
}

QTEST_GUILESS_MAIN(TestTraceStore)
#include "tst_tracestore.moc"
