#pragma once
// The steering core as the windows reach it. The program runs the core on a
// thread of its own, so that a window that stalls (a long paint, a dialog
// waiting for the sailor) never delays a sentence for the autopilot, and
// nothing the core did meanwhile waits to burst out behind it. Windows
// connect to the core's signals (queued to their thread by Qt) and call it
// only through Post (what the core does, without waiting) and Ask (a
// reading of its state, waited for). Tests may keep the core on their own
// thread: then both run at once, in order.

#include "OptionsHost.h"
#include "PolarHost.h"
#include "SteeringCore.h"

#include <QThread>

#include <functional>
#include <optional>
#include <memory>
#include <type_traits>

class CoreRunner : public OptionsHost, public PolarHost {
public:
    // ownThread: the core runs on a thread of its own.
    CoreRunner(CoreSetup setup, bool ownThread);
    // The core goes on its own thread, then the thread ends.
    ~CoreRunner() override;
    CoreRunner(const CoreRunner&) = delete;
    CoreRunner& operator=(const CoreRunner&) = delete;

    // For connecting to its signals and for objects that live on its
    // thread; a window calls it only through Post and Ask.
    SteeringCore& Core() { return *m_core; }
    bool OwnThread() const { return m_thread != nullptr; }

    // Runs work on the core's thread and returns at once (at once and in
    // place when the caller is on the core's thread).
    void Post(std::function<void(SteeringCore&)> work);

    // Runs work on the core's thread and returns its result.
    template <class Work>
    auto Ask(Work work) -> std::invoke_result_t<Work, SteeringCore&>
    {
        using Result = std::invoke_result_t<Work, SteeringCore&>;
        if constexpr (std::is_void_v<Result>) {
            Run([&] { work(*m_core); });
        } else {
            std::optional<Result> result;
            Run([&] { result.emplace(work(*m_core)); });
            return std::move(*result);
        }
    }

    // Moves an object that serves the core (a replay, a recording) to its
    // thread, where the core's signals reach it directly.
    void Adopt(QObject* object);

    // OptionsHost and PolarHost, each call on the core's thread.
    const ProfileSettings& Settings() const override;
    bool ApplySettings(const SettingsChange& Change, SettingsRefusal& Refusal) override;
    QString NmeaStatusText() const override;
    QString PilotStatusText() const override;
    void SimulateTime(float Time, float& Bearing, float& Range) override;
    void ConnectTraffic(QObject* Receiver, const LinkTraffic& Traffic) override;
    QString ProfileFile() const override;
    QString ProgramFolder() const override;
    void ChartSetValue(const QString& name, float value, const QString& units) override;
    void TackRequest(float SteerTo, float Heading, float WindAngle) override;

private:
    // Runs work on the core's thread and waits for it.
    void Run(const std::function<void()>& work) const;

    // Of the windows' thread: the core's batches of view changes go to it,
    // and those still waiting go with it, after the core.
    std::unique_ptr<QObject> m_viewContext;
    std::unique_ptr<QThread> m_thread;
    SteeringCore* m_core = nullptr;
    // The copy Settings() hands out, taken at each call.
    mutable ProfileSettings m_settings;
};
