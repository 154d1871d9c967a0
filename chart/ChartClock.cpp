#include "ChartClock.h"

#include <QDateTime>
#include <QTimer>

ChartTimer::~ChartTimer() = default;
ChartClock::~ChartClock() = default;

namespace {

class QtChartTimer : public ChartTimer {
public:
    QtChartTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (Timeout)
                Timeout();
        });
    }
    void Start(int milliseconds) override { m_timer.start(milliseconds); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemChartClock : public ChartClock {
public:
    ChartSeconds Now() const override
    {
        ChartSeconds t;
        ChartTime::FromEpochMilliseconds(QDateTime::currentMSecsSinceEpoch(), t);
        return t;
    }
    float TimerSeconds() const override
    {
        return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    }
    std::unique_ptr<ChartTimer> CreateTimer() override { return std::make_unique<QtChartTimer>(); }
};

} // namespace

ChartClock& ChartClock::System()
{
    static SystemChartClock clock;
    return clock;
}
