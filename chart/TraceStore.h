#pragma once
// The chart's recorded data: the value table declared by the host, the value
// store (one sample per interval per value, in a ring) and, for every trace,
// the column buffers that the drawing code paints from (one minimum/maximum
// pair per pixel column of the plot area). Knows nothing of widgets; what it
// wants drawn goes out through TraceDrawSink.

#include "ChartClock.h"
#include "ChartTypes.h"
#include <QString>
#include <cstdint>
#include <vector>

class TraceDrawSink {
public:
    virtual ~TraceDrawSink();
    virtual void Trace_Label(int t) = 0;
    virtual void Trace_YAxis(int t) = 0;
    // n columns beyond the newest: 0 draws the newest only, W - 1 all.
    virtual void Trace_Plot(int t, int n) = 0;
    virtual void Trace_Values(int t) = 0;
};

class TraceStore {
public:
    using DisplayMode = TrendScopeTypes::DisplayMode;
    using ValueType = TrendScopeTypes::ValueType;
    using TraceRange = TrendScopeTypes::TraceRange;
    using TraceScale = TrendScopeTypes::TraceScale;
    using TraceStyle = TrendScopeTypes::TraceStyle;

    // A store slot without a sample and an empty column maximum.
    static constexpr float NO_VALUE = -1e30f;
    // An empty column minimum.
    static constexpr float EMPTY_MIN = 1e30f;
    static constexpr int kTraces = 5;
    // Readings are kept strictly inside (-kValueLimit, kValueLimit), so that
    // no sample or column can be taken for one of the markers.
    static constexpr float kValueLimit = 1e30f;
    // Largest value store (values x slots) Initialize creates: 1 GiB of
    // samples, far beyond a week of ten-second samples of twenty values.
    static constexpr int64_t kMaxStoreCells = int64_t(1) << 28;
    // How far ahead of the present a stamped reading may lie: a day, the
    // longest span the chart shows, and more than clocks that stamp the
    // same moment differ by (summer time, a drifting computer clock, most
    // time zones). The present here is the later of the clock and the
    // newest stamp taken, so a log replayed long after it was sailed may
    // have gaps of any length; a stamp further ahead is a wrong date (a GPS
    // fault, seconds counted from 1970) that would push all that is
    // recorded out of every view.
    static constexpr int32_t kFutureLimit = 86400;

    explicit TraceStore(ChartClock& clock);
    void SetDrawSink(TraceDrawSink* sink) { m_pSink = sink; }
    ChartClock& Clock() const { return m_clock; }

    // Value table, 1-based at this interface.
    void SetNumberOfValues(int16_t NumberOfValues);
    void SetValueOptions(int16_t iIndex, const QString& sName, int16_t iType, const QString& sUnits);
    void GetValueOptions(int16_t iIndex, QString& sName, int16_t& iType, QString& sUnits) const;
    // 0-based index of the first value with this exact name, -1 when none.
    int FindValue(const QString& name) const;

    // Keeps the low 16 bits, as the trace timer is a 16-bit count of seconds.
    void SetTraceTimer(int32_t iSeconds);

    // Creates the value store once; false (nothing changed) on later calls
    // and when the store would not fit in memory (error says why).
    bool Initialize(int32_t MemorySize, int32_t MemoryInterval, QString* error = nullptr);
    // One reading, "number units" or a bare number. False when it was not
    // taken (unknown name, "N/A", not a number, outside the value range).
    bool SetValue(const QString& Name, const QString& Value);
    // One reading as a number, at the store's present time or at the
    // host's own time stamp. Units stay as they are. A stamp more than
    // kFutureLimit ahead of the present is refused and changes nothing.
    bool SetValue(const QString& Name, double value);
    bool SetValueAt(const QString& Name, double value, ChartSeconds stamp);
    // The store's present: the clock's, or once the host stamps its own
    // readings, the latest of those stamps.
    ChartSeconds Now() const { return m_bHostTime ? m_lHostNow : m_clock.Now(); }
    bool HostTimed() const { return m_bHostTime; }
    // The one-second tick: closes a sample when its interval is over and
    // advances idle traces. While the host stamps its readings, their
    // stamps close the intervals instead.
    void TraceSample();
    void TracePlotValue(int t, float v, bool bIdle, ChartSeconds tnow);
    // Empties the column buffers for a plot area W columns wide.
    void TraceReset(int W);
    // TraceReset, then fills the columns from the value store for the
    // current span (ending now, or at the zoom end when zoomed).
    void TraceRebuild(int W);

    // Degrees of the vector (x, y), -180 <= a < 180: (-1, 0) gives -180, and
    // x = y = 0 gives 90.
    static float AngleFromVector(float x, float y);

    // Column buffer access, c = 0 .. W - 1.
    int Columns() const { return m_iColumns; }
    bool HasColumns() const { return m_iColumns > 0; }
    float& ColMax(int c, int t) { return m_fColMax[Cell(c, t)]; }
    float& ColMin(int c, int t) { return m_fColMin[Cell(c, t)]; }
    float ColMax(int c, int t) const { return m_fColMax[Cell(c, t)]; }
    float ColMin(int c, int t) const { return m_fColMin[Cell(c, t)]; }
    bool ColumnEmpty(int c, int t) const { return ColMax(c, t) == NO_VALUE && ColMin(c, t) == EMPTY_MIN; }

    // Sample of value i in ring slot k, NO_VALUE when none.
    float Data(int i, int32_t k) const;
    ChartSeconds SlotTime(int32_t k) const { return m_lTime[static_cast<size_t>(k)]; }

    const QString& ValueName(int i) const { return m_sValueName[static_cast<size_t>(i)]; }
    const QString& ValueUnits(int i) const { return m_sValueUnits[static_cast<size_t>(i)]; }
    ValueType ValueTypeOf(int i) const;
    // The value a trace shows, or "" when its index is not declared.
    QString TraceValueName(int t) const;
    QString TraceValueUnits(int t) const;
    ValueType TraceValueType(int t) const;

    // Value table and store.
    int16_t m_iNumberOfValues = 0;
    int32_t m_lMemorySize = 0;
    int16_t m_iMemoryInterval = 0;
    int32_t m_lHead = 0;
    int32_t m_lFilled = 0;

    // Trace table, t = 0 .. 4.
    int16_t m_iNumberOfTraces = 1;
    int16_t m_iTraceValue[kTraces] = {};
    int16_t m_iTraceRange[kTraces] = {};
    int16_t m_iTraceScale[kTraces] = {};
    int16_t m_iTraceStyle[kTraces] = {};
    float m_fScaleMax[kTraces] = {};
    float m_fScaleMin[kTraces] = {};
    TrendScopeTypes::Colour m_lTraceBackColor[kTraces] = {0xE0E0E0, 0xE0E0E0, 0xE0E0E0, 0xE0E0E0, 0xE0E0E0};
    TrendScopeTypes::Colour m_lTraceColor[kTraces] = {};
    // Seconds of silence after which a trace advances on its own.
    int16_t m_iTraceTimer = 2;

    // Per-trace column state.
    int m_iColumn[kTraces] = {};
    int m_iLastX[kTraces] = {};
    ChartSeconds m_lSweepStart[kTraces] = {};
    float m_fDataMax[kTraces] = {NO_VALUE, NO_VALUE, NO_VALUE, NO_VALUE, NO_VALUE};
    float m_fDataMin[kTraces] = {EMPTY_MIN, EMPTY_MIN, EMPTY_MIN, EMPTY_MIN, EMPTY_MIN};
    float m_fLastValue[kTraces] = {};
    bool m_bHasValue[kTraces] = {};
    float m_fLastPlot[kTraces] = {};

    // Control state.
    bool m_bInitialized = false;
    bool m_bUpdate = false;
    DisplayMode m_eDisplayMode = DisplayMode::Normal;
    int32_t m_lTimeSpan = 60;
    int32_t m_lTimeSpanSaved = 60;
    ChartSeconds m_lZoomStart;
    ChartSeconds m_lZoomEnd;

private:
    size_t Cell(int c, int t) const { return static_cast<size_t>(t) * static_cast<size_t>(m_iColumns + 1) + static_cast<size_t>(c); }
    void WidenColumn(int c, int t, float v);
    void SetColumn(int c, int t, float v);
    void EmptyColumn(int c, int t);
    // Finds the value and takes the number, or says why not.
    bool Accept(int i, double value, float& v) const;
    void Record(int i, float v, bool unitsChanged, ChartSeconds stamp);
    // Ends the running interval: the sample is stored with this stamp.
    void CloseInterval(ChartSeconds stamp);

    ChartClock& m_clock;
    TraceDrawSink* m_pSink = nullptr;

    std::vector<QString> m_sValueName;
    std::vector<int16_t> m_iValueType;
    std::vector<QString> m_sValueUnits;
    // Interval accumulators; for Degrees m_fSum holds the cosines. Double
    // sums: single precision overflows long before the readings do.
    std::vector<double> m_fSum;
    std::vector<double> m_fSumSin;
    std::vector<int32_t> m_iCount;
    int32_t m_iPending = 0;
    bool m_bHostTime = false;
    ChartSeconds m_lHostNow;
    // Number of values the store arrays were created for.
    int m_iStoreValues = 0;
    std::vector<ChartSeconds> m_lTime;
    std::vector<float> m_fData;

    int m_iColumns = 0;
    std::vector<float> m_fColMax;
    std::vector<float> m_fColMin;
};
