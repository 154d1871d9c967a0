#pragma once
// A chart clock that runs as fast as the program wants: time moves only in
// Advance, which fires the chart's timers on the way.

#include "ChartClock.h"

#include <algorithm>
#include <vector>

class SimulatedClock : public ChartClock {
public:
    explicit SimulatedClock(ChartSeconds start)
        : m_start(start)
    {
    }
    ChartSeconds Now() const override { return m_start + m_ms / 1000; }
    float TimerSeconds() const override
    {
        return static_cast<float>(((static_cast<long long>(m_start.Count()) % 86400) * 1000 + m_ms) % 86400000 / 1000.0);
    }
    std::unique_ptr<ChartTimer> CreateTimer() override
    {
        auto timer = std::make_unique<Timer>(*this);
        m_timers.push_back(timer.get());
        return timer;
    }
    void Advance(long long milliseconds)
    {
        const long long target = m_ms + milliseconds;
        for (;;) {
            Timer* next = nullptr;
            for (Timer* t : m_timers)
                if (t->active && t->due <= target && (!next || t->due < next->due))
                    next = t;
            if (!next)
                break;
            m_ms = next->due;
            next->due += next->interval;
            if (next->Timeout)
                next->Timeout();
        }
        m_ms = target;
    }

private:
    struct Timer : ChartTimer {
        explicit Timer(SimulatedClock& c)
            : clock(c)
        {
        }
        ~Timer() override
        {
            auto& v = clock.m_timers;
            v.erase(std::remove(v.begin(), v.end(), this), v.end());
        }
        void Start(int milliseconds) override
        {
            interval = std::max(milliseconds, 1);
            due = clock.m_ms + interval;
            active = true;
        }
        void Stop() override { active = false; }
        bool IsActive() const override { return active; }
        SimulatedClock& clock;
        bool active = false;
        int interval = 1000;
        long long due = 0;
    };

    ChartSeconds m_start;
    long long m_ms = 0;
    std::vector<Timer*> m_timers;
};
