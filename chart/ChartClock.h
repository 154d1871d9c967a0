// SPDX-License-Identifier: MIT
#pragma once
// Where the chart gets its time from. The control reads the wall clock as
// chart seconds (ChartSeconds, not the C library's time), a
// seconds-since-midnight counter for its idle timing, and creates its two
// timers here, so a host or a test can run the chart on a clock of its own.

#include "ChartTime.h"
#include "trendscope_export.h"

#include <functional>
#include <memory>

class TRENDSCOPE_EXPORT ChartTimer {
public:
    virtual ~ChartTimer();
    // Restarts the timer: Timeout runs every `milliseconds` until Stop.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;

    std::function<void()> Timeout;
};

class TRENDSCOPE_EXPORT ChartClock {
public:
    virtual ~ChartClock();
    virtual ChartSeconds Now() const = 0;
    // Seconds since local midnight, 0 .. 86400.
    virtual float TimerSeconds() const = 0;
    virtual std::unique_ptr<ChartTimer> CreateTimer() = 0;

    // The wall clock and Qt timers; lives as long as the program.
    static ChartClock& System();
};
