#include "SwitchTimer.h"

IntervalTimer::IntervalTimer(int intervalMs, std::function<void()> onTick, QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, std::move(onTick));
}

void IntervalTimer::SetEnabled(bool enabled)
{
    if (enabled == m_timer.isActive())
        return;
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

bool IntervalTimer::Enabled() const
{
    return m_timer.isActive();
}
