#pragma once
// A clock that only moves when the test says so. Timers made by it fire, in
// time order, while Advance walks the clock forward.

#include "ChartClock.h"

#include <QTest>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <vector>

// Chart seconds in a failed comparison's message.
inline char* toString(const ChartSeconds& t)
{
    return QTest::toString(t.Count());
}

class FakeChartClock : public ChartClock {
public:
    // 10:00:00 on 2024-08-22, well inside the 32-bit range.
    static constexpr ChartSeconds kStart{9000 * 86400 + 10 * 3600};

    explicit FakeChartClock(ChartSeconds start = kStart)
        : m_start(start)
    {
    }

    ChartSeconds Now() const override { return m_start + m_ms / 1000; }
    float TimerSeconds() const override
    {
        const int64_t dayMs = ((static_cast<int64_t>(m_start.Count()) % 86400) * 1000 + m_ms) % 86400000;
        return static_cast<float>(dayMs / 1000.0);
    }
    std::unique_ptr<ChartTimer> CreateTimer() override
    {
        auto timer = std::make_unique<Timer>(*this);
        m_timers.push_back(timer.get());
        return timer;
    }

    // Moves the clock on, firing every timer that falls due on the way.
    void Advance(int64_t milliseconds)
    {
        const int64_t target = m_ms + milliseconds;
        for (;;) {
            Timer* next = nullptr;
            for (Timer* t : m_timers)
                if (t->m_active && t->m_due <= target && (!next || t->m_due < next->m_due))
                    next = t;
            if (!next)
                break;
            m_ms = next->m_due;
            next->m_due += next->m_interval;
            if (next->Timeout)
                next->Timeout();
        }
        m_ms = target;
    }
    void AdvanceSeconds(double seconds) { Advance(static_cast<int64_t>(seconds * 1000.0)); }
    // The wall clock is set (daylight saving, a manual correction); the
    // timers go on as they were.
    void SetBack(int64_t seconds) { m_start -= seconds; }

    int64_t Milliseconds() const { return m_ms; }
    int ActiveTimers() const
    {
        return static_cast<int>(std::count_if(m_timers.begin(), m_timers.end(), [](Timer* t) { return t->m_active; }));
    }

private:
    class Timer : public ChartTimer {
    public:
        explicit Timer(FakeChartClock& clock)
            : m_clock(clock)
        {
        }
        ~Timer() override
        {
            auto& v = m_clock.m_timers;
            v.erase(std::remove(v.begin(), v.end(), this), v.end());
        }
        void Start(int milliseconds) override
        {
            m_interval = std::max(milliseconds, 1);
            m_due = m_clock.m_ms + m_interval;
            m_active = true;
        }
        void Stop() override { m_active = false; }
        bool IsActive() const override { return m_active; }

        FakeChartClock& m_clock;
        bool m_active = false;
        int m_interval = 1000;
        int64_t m_due = 0;
    };

    ChartSeconds m_start;
    int64_t m_ms = 0;
    std::vector<Timer*> m_timers;
};
