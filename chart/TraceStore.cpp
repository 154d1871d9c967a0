#include "TraceStore.h"

#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <new>

TraceDrawSink::~TraceDrawSink() = default;

namespace {

// The chart's own value of pi for degree conversions.
constexpr double kPi = 3.1415926;

int16_t Low16(int32_t v)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu));
}

} // namespace

TraceStore::TraceStore(ChartClock& clock)
    : m_clock(clock)
{
    SetNumberOfValues(0);
}

void TraceStore::SetNumberOfValues(int16_t NumberOfValues)
{
    m_iNumberOfValues = std::max<int16_t>(NumberOfValues, 0);
    const size_t slotCount = static_cast<size_t>(m_iNumberOfValues) + 1;
    m_sValueName.assign(slotCount, QString());
    m_iValueType.assign(slotCount, 0);
    m_sValueUnits.assign(slotCount, QString());
}

void TraceStore::SetValueOptions(int16_t iIndex, const QString& sName, int16_t iType, const QString& sUnits)
{
    if (iIndex < 1 || iIndex > m_iNumberOfValues)
        return;
    const auto i = static_cast<size_t>(iIndex - 1);
    m_sValueName[i] = sName;
    m_iValueType[i] = iType;
    m_sValueUnits[i] = sUnits;
}

void TraceStore::GetValueOptions(int16_t iIndex, QString& sName, int16_t& iType, QString& sUnits) const
{
    if (iIndex < 1 || iIndex > m_iNumberOfValues)
        return;
    const auto i = static_cast<size_t>(iIndex - 1);
    sName = m_sValueName[i];
    iType = m_iValueType[i];
    sUnits = m_sValueUnits[i];
}

int TraceStore::FindValue(const QString& name) const
{
    for (int i = 0; i < m_iNumberOfValues; ++i)
        if (m_sValueName[static_cast<size_t>(i)] == name)
            return i;
    return -1;
}

TraceStore::ValueType TraceStore::ValueTypeOf(int i) const
{
    return m_iValueType[static_cast<size_t>(i)] == static_cast<int16_t>(ValueType::Degrees) ? ValueType::Degrees
                                                                                           : ValueType::Normal;
}

QString TraceStore::TraceValueName(int t) const
{
    const int i = m_iTraceValue[t];
    return i >= 0 && i < m_iNumberOfValues ? ValueName(i) : QString();
}

QString TraceStore::TraceValueUnits(int t) const
{
    const int i = m_iTraceValue[t];
    return i >= 0 && i < m_iNumberOfValues ? ValueUnits(i) : QString();
}

TraceStore::ValueType TraceStore::TraceValueType(int t) const
{
    const int i = m_iTraceValue[t];
    return i >= 0 && i < m_iNumberOfValues ? ValueTypeOf(i) : ValueType::Normal;
}

float TraceStore::Data(int i, int32_t k) const
{
    // Values declared after the store was created have no row in it.
    if (i < 0 || i >= m_iStoreValues || k < 0 || k > m_lMemorySize)
        return NO_VALUE;
    return m_fData[static_cast<size_t>(i) * static_cast<size_t>(m_lMemorySize + 1) + static_cast<size_t>(k)];
}

void TraceStore::SetTraceTimer(int32_t iSeconds)
{
    m_iTraceTimer = Low16(iSeconds);
}

bool TraceStore::Initialize(int32_t MemorySize, int32_t MemoryInterval, QString* error)
{
    if (m_bInitialized)
        return false;
    // A ring needs at least one slot.
    const int32_t size = std::max<int32_t>(MemorySize, 1);
    const size_t values = static_cast<size_t>(m_iNumberOfValues) + 1;
    const size_t slotCount = static_cast<size_t>(size) + 1;
    // Refused before anything is allocated: filling a ring that the system
    // only pretends to have would bring the host down.
    if (static_cast<int64_t>(values) * static_cast<int64_t>(slotCount) > kMaxStoreCells) {
        if (error)
            *error = QStringLiteral("The chart memory of %1 samples for %2 values is too large")
                         .arg(size)
                         .arg(m_iNumberOfValues);
        return false;
    }
    try {
        m_fSum.assign(values, 0.0);
        m_fSumSin.assign(values, 0.0);
        m_iCount.assign(values, 0);
        m_lTime.assign(slotCount, ChartSeconds());
        m_fData.assign(values * slotCount, NO_VALUE);
    } catch (const std::bad_alloc&) {
        m_fSum.clear();
        m_fSumSin.clear();
        m_iCount.clear();
        std::vector<ChartSeconds>().swap(m_lTime);
        std::vector<float>().swap(m_fData);
        if (error)
            *error = QStringLiteral("Not enough memory for the chart memory of %1 samples").arg(size);
        return false;
    }

    m_eDisplayMode = DisplayMode::Normal;
    const ChartSeconds now = m_clock.Now();
    m_iNumberOfTraces = 1;
    for (int t = 0; t < kTraces; ++t) {
        m_iTraceValue[t] = 0;
        m_iTraceRange[t] = 0;
        m_iTraceScale[t] = 0;
        m_iTraceStyle[t] = 0;
        m_fScaleMax[t] = 0;
        m_fScaleMin[t] = 0;
        m_lTraceBackColor[t] = 0xE0E0E0;
    }
    m_lMemorySize = size;
    m_iMemoryInterval = Low16(MemoryInterval);
    m_lTimeSpan = 60;
    m_iStoreValues = m_iNumberOfValues;
    m_iPending = 0;
    m_lFilled = 0;
    m_lHead = 0;
    m_lTime[0] = now;
    m_bInitialized = true;
    m_iTraceTimer = 2;
    return true;
}

bool TraceStore::Accept(int i, double value, float& v) const
{
    if (i < 0 || i >= m_iStoreValues)
        return false;
    // The markers lie at +-1e30: nothing from there outwards is a reading.
    if (!(std::fabs(value) < kValueLimit))
        return false;
    v = static_cast<float>(value);
    return std::fabs(v) < kValueLimit;
}

bool TraceStore::SetValue(const QString& Name, const QString& Value)
{
    if (!m_bInitialized || Value == QLatin1String("N/A"))
        return false;
    const int i = FindValue(Name);
    const int blank = Value.indexOf(QLatin1Char(' '));
    const QStringView number = blank < 0 ? QStringView(Value) : QStringView(Value).left(blank);
    double parsed = 0;
    float v = 0;
    // A reading whose number does not convert is dropped.
    if (!NumberText::TryParse(number, parsed) || !Accept(i, parsed, v))
        return false;
    const QStringView units = blank < 0 ? QStringView() : QStringView(Value).mid(blank + 1);
    const auto slot = static_cast<size_t>(i);
    bool unitsChanged = false;
    if (m_sValueUnits[slot] != units) {
        m_sValueUnits[slot] = units.toString();
        unitsChanged = true;
    }
    Record(i, v, unitsChanged, Now());
    return true;
}

bool TraceStore::SetValue(const QString& Name, double value)
{
    float v = 0;
    if (!m_bInitialized || !Accept(FindValue(Name), value, v))
        return false;
    Record(FindValue(Name), v, false, Now());
    return true;
}

bool TraceStore::SetValueAt(const QString& Name, double value, ChartSeconds stamp)
{
    float v = 0;
    const int i = FindValue(Name);
    if (!m_bInitialized || !Accept(i, value, v))
        return false;
    // Refused before it touches anything: a wrong date must not become the
    // present, which would push all that is recorded out of view.
    if (stamp - std::max(Now(), m_clock.Now()) > kFutureLimit)
        return false;
    // The first stamp starts the first interval when there is no sample yet
    // (a log replayed into a new chart); from then on the stamps are the
    // store's clock.
    if (!m_bHostTime && m_lFilled == 0)
        m_lTime[static_cast<size_t>(m_lHead)] = stamp;
    if (!m_bHostTime || stamp > m_lHostNow)
        m_lHostNow = stamp;
    m_bHostTime = true;
    // The host's stamps close the intervals as the ticks would have: a
    // pending interval ends one interval after the previous sample, and a
    // longer silence is one empty sample at the new reading's time. A stamp
    // before the newest sample closes at once, as a clock set back does.
    const int64_t elapsed = stamp - m_lTime[static_cast<size_t>(m_lHead)];
    if (elapsed < 0) {
        CloseInterval(stamp);
    } else if (elapsed >= m_iMemoryInterval) {
        if (m_iPending > 0 && elapsed >= 2 * static_cast<int64_t>(m_iMemoryInterval) && m_iMemoryInterval > 0)
            CloseInterval(m_lTime[static_cast<size_t>(m_lHead)] + m_iMemoryInterval);
        if (stamp - m_lTime[static_cast<size_t>(m_lHead)] >= m_iMemoryInterval)
            CloseInterval(stamp);
    }
    Record(i, v, false, stamp);
    return true;
}

void TraceStore::Record(int i, float v, bool unitsChanged, ChartSeconds stamp)
{
    const auto slot = static_cast<size_t>(i);
    if (ValueTypeOf(i) == ValueType::Degrees) {
        const double r = v * kPi / 180.0;
        m_fSum[slot] += std::cos(r);
        m_fSumSin[slot] += std::sin(r);
        if (v > 180)
            v -= 360;
    } else {
        m_fSum[slot] += v;
    }
    m_iCount[slot] += 1;
    m_iPending += 1;

    if (!m_bUpdate || m_eDisplayMode != DisplayMode::Normal)
        return;
    for (int t = 0; t < m_iNumberOfTraces; ++t) {
        if (m_iTraceValue[t] != i)
            continue;
        if (unitsChanged && m_pSink)
            m_pSink->Trace_Label(t);
        TracePlotValue(t, v, false, stamp);
    }
}

void TraceStore::CloseInterval(ChartSeconds stamp)
{
    m_lHead = (m_lHead + 1) % m_lMemorySize;
    const size_t slotCount = static_cast<size_t>(m_lMemorySize) + 1;
    for (int i = 0; i < m_iStoreValues; ++i) {
        const auto s = static_cast<size_t>(i);
        float sample = NO_VALUE;
        if (m_iCount[s] > 0)
            sample = ValueTypeOf(i) == ValueType::Degrees
                         ? AngleFromVector(static_cast<float>(m_fSum[s]), static_cast<float>(m_fSumSin[s]))
                         : static_cast<float>(m_fSum[s] / m_iCount[s]);
        m_fData[s * slotCount + static_cast<size_t>(m_lHead)] = sample;
        m_fSum[s] = 0;
        m_fSumSin[s] = 0;
        m_iCount[s] = 0;
    }
    m_iPending = 0;
    m_lTime[static_cast<size_t>(m_lHead)] = stamp;
    if (m_lFilled < m_lMemorySize)
        m_lFilled += 1;
}

void TraceStore::TraceSample()
{
    if (!m_bInitialized)
        return;
    const ChartSeconds now = Now();
    const int64_t elapsed = now - m_lTime[static_cast<size_t>(m_lHead)];
    // A clock set back (daylight saving ends) closes the interval at once;
    // waiting for the old time would merge an hour of readings into one.
    if (!m_bHostTime && (elapsed >= m_iMemoryInterval || elapsed < 0))
        CloseInterval(now);

    if (!m_bUpdate || m_eDisplayMode != DisplayMode::Normal)
        return;
    const float seconds = m_clock.TimerSeconds();
    for (int t = 0; t < m_iNumberOfTraces; ++t) {
        float idle = seconds - m_fLastPlot[t];
        // The seconds counter restarts at midnight.
        if (idle < 0)
            idle += 86400.0f;
        if (idle >= m_iTraceTimer)
            TracePlotValue(t, 0, true, now);
    }
}

float TraceStore::AngleFromVector(float x, float y)
{
    if (x == 0)
        return y >= 0 ? 90.0f : -90.0f;
    const double a = std::atan(static_cast<double>(y) / x) * 180.0 / kPi;
    if (x > 0)
        return static_cast<float>(a);
    return static_cast<float>(y > 0 ? a + 180.0 : a - 180.0);
}

void TraceStore::WidenColumn(int c, int t, float v)
{
    float& mx = ColMax(c, t);
    float& mn = ColMin(c, t);
    if (v > mx)
        mx = v;
    if (v < mn)
        mn = v;
}

void TraceStore::SetColumn(int c, int t, float v)
{
    ColMax(c, t) = v;
    ColMin(c, t) = v;
}

void TraceStore::EmptyColumn(int c, int t)
{
    ColMax(c, t) = NO_VALUE;
    ColMin(c, t) = EMPTY_MIN;
}

void TraceStore::TracePlotValue(int t, float v, bool bIdle, ChartSeconds tnow)
{
    if (!HasColumns() || t < 0 || t >= kTraces)
        return;
    const int W = m_iColumns;
    if (m_iTraceRange[t] == static_cast<int16_t>(TraceRange::Degree360) && v < 0)
        v += 360;
    m_fLastPlot[t] = m_clock.TimerSeconds();
    m_fLastValue[t] = v;
    m_bHasValue[t] = !bIdle;

    int64_t elapsed = tnow - m_lSweepStart[t];
    if (elapsed > m_lTimeSpan) {
        m_lSweepStart[t] += m_lTimeSpan;
        elapsed = tnow - m_lSweepStart[t];
    }
    const int x = NumberText::ToInt32Saturated(static_cast<double>(W - 1) * static_cast<double>(elapsed) / m_lTimeSpan);
    int64_t steps = static_cast<int64_t>(x) - m_iLastX[t];
    if (steps < 0)
        steps += W;
    m_iLastX[t] = x;
    // More than W steps rewrite every column; only the end position differs.
    const int writes = static_cast<int>(std::min<int64_t>(std::max<int64_t>(steps, 0), W));
    const int end = static_cast<int>(((m_iColumn[t] - steps) % W + W) % W);
    int col = m_iColumn[t];

    if (bIdle) {
        if (steps < 1)
            return;
        for (int k = 0; k < writes; ++k) {
            col = col == 0 ? W - 1 : col - 1;
            EmptyColumn(col, t);
        }
    } else {
        if (steps > 0) {
            for (int k = 0; k < writes; ++k) {
                col = col == 0 ? W - 1 : col - 1;
                SetColumn(col, t, v);
            }
        } else {
            WidenColumn(col, t, v);
        }
        bool rangeChanged = false;
        if (v > m_fDataMax[t]) {
            m_fDataMax[t] = v;
            rangeChanged = true;
        }
        if (v < m_fDataMin[t]) {
            m_fDataMin[t] = v;
            rangeChanged = true;
        }
        if (rangeChanged && m_pSink)
            m_pSink->Trace_YAxis(t);
        if (steps <= 0) {
            if (m_pSink) {
                if (rangeChanged) {
                    m_pSink->Trace_Plot(t, W - 1);
                } else {
                    m_pSink->Trace_Plot(t, 0);
                    m_pSink->Trace_Values(t);
                }
            }
            return;
        }
    }
    m_iColumn[t] = end;
    if (m_pSink)
        m_pSink->Trace_Plot(t, W - 1);
}

void TraceStore::TraceReset(int W)
{
    const ChartSeconds now = Now();
    m_iColumns = std::max(W, 1);
    const size_t cells = static_cast<size_t>(m_iColumns + 1) * kTraces;
    m_fColMax.assign(cells, NO_VALUE);
    m_fColMin.assign(cells, EMPTY_MIN);
    const float seconds = m_clock.TimerSeconds();
    for (int t = 0; t < kTraces; ++t) {
        m_fDataMax[t] = NO_VALUE;
        m_fDataMin[t] = EMPTY_MIN;
        m_fLastValue[t] = 0;
        m_bHasValue[t] = false;
        m_fLastPlot[t] = seconds;
        m_iColumn[t] = 0;
        m_iLastX[t] = 0;
        m_lSweepStart[t] = now;
    }
}

void TraceStore::TraceRebuild(int W)
{
    TraceReset(W);
    W = m_iColumns;
    if (!m_bInitialized)
        return;
    const double span = m_lTimeSpan;
    const int32_t gapLimit = NumberText::ToInt32Saturated(m_iMemoryInterval * 1.25 * (W - 1) / span);
    const ChartSeconds reference = m_eDisplayMode == DisplayMode::Zoom ? m_lZoomEnd : m_lSweepStart[0];
    int32_t lastCol = 0;
    for (int32_t k = 0; k < m_lFilled; ++k) {
        int32_t slot = m_lHead - k;
        if (slot < 0)
            slot += m_lMemorySize;
        const int64_t age = reference - m_lTime[static_cast<size_t>(slot)];
        if (age < 0 || age > m_lTimeSpan)
            continue;
        const int32_t col = NumberText::ToInt32Saturated((W - 1) * static_cast<double>(age) / span);
        const int32_t gap = col - lastCol;
        for (int t = 0; t < m_iNumberOfTraces; ++t) {
            float v = Data(m_iTraceValue[t], slot);
            if (v == NO_VALUE)
                continue;
            if (m_iTraceRange[t] == static_cast<int16_t>(TraceRange::Degree360) && v < 0)
                v += 360;
            if (gap == 0) {
                WidenColumn(col, t, v);
            } else if (gap > gapLimit) {
                SetColumn(col, t, v);
            } else {
                for (int32_t c = lastCol + 1; c <= col; ++c)
                    SetColumn(c, t, v);
            }
            if (v > m_fDataMax[t])
                m_fDataMax[t] = v;
            if (v < m_fDataMin[t])
                m_fDataMin[t] = v;
        }
        lastCol = col;
    }
    const float seconds = m_clock.TimerSeconds();
    for (int t = 0; t < m_iNumberOfTraces; ++t)
        m_fLastPlot[t] = seconds;
}
