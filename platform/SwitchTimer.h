#pragma once
// Timers that a one-second watch runs on: a real one for the program, one
// that tests tick themselves.

#include <QObject>
#include <QTimer>

#include <functional>

// A repeating timer that its owner switches on and off. The window hands in
// a real one; tests hand in one they tick themselves.
class SwitchTimer {
public:
    virtual ~SwitchTimer() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

// SwitchTimer over a QTimer, calling onTick at each interval.
class IntervalTimer : public QObject, public SwitchTimer {
    Q_OBJECT
public:
    IntervalTimer(int intervalMs, std::function<void()> onTick, QObject* parent = nullptr);
    void SetEnabled(bool enabled) override;
    bool Enabled() const override;

private:
    QTimer m_timer;
};

// SwitchTimer that never fires by itself: tests tick it.
class ManualTimer : public SwitchTimer {
public:
    void SetEnabled(bool enabled) override { m_bEnabled = enabled; }
    bool Enabled() const override { return m_bEnabled; }

private:
    bool m_bEnabled = false;
};
