#include "CoreRunner.h"

#include <QMetaObject>

CoreRunner::CoreRunner(CoreSetup setup, bool ownThread)
{
    if (!ownThread) {
        m_core = new SteeringCore(std::move(setup));
        return;
    }
    m_viewContext = std::make_unique<QObject>();
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("core"));
    // The core, its timers and ports are made on its thread, which they
    // belong to from then on.
    QObject anchor;
    anchor.moveToThread(m_thread.get());
    m_thread->start();
    QMetaObject::invokeMethod(
        &anchor, [this, &setup, &anchor] {
            m_core = new SteeringCore(std::move(setup));
            m_core->SetViewContext(m_viewContext.get());
            anchor.moveToThread(nullptr);
        },
        Qt::BlockingQueuedConnection);
}

CoreRunner::~CoreRunner()
{
    Run([this] {
        delete m_core;
        m_core = nullptr;
    });
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

void CoreRunner::Post(std::function<void(SteeringCore&)> work)
{
    SteeringCore* core = m_core;
    QMetaObject::invokeMethod(core, [core, work = std::move(work)] { work(*core); }, Qt::AutoConnection);
}

void CoreRunner::Adopt(QObject* object)
{
    if (m_thread)
        object->moveToThread(m_thread.get());
}

void CoreRunner::Run(const std::function<void()>& work) const
{
    if (!m_thread || QThread::currentThread() == m_thread.get())
        work();
    else
        QMetaObject::invokeMethod(m_core, work, Qt::BlockingQueuedConnection);
}

const ProfileSettings& CoreRunner::Settings() const
{
    Run([this] { m_settings = m_core->Settings(); });
    return m_settings;
}

bool CoreRunner::ApplySettings(const SettingsChange& Change, SettingsRefusal& Refusal)
{
    return Ask([&](SteeringCore& core) { return core.ApplySettings(Change, Refusal); });
}

QString CoreRunner::NmeaStatusText() const
{
    QString text;
    Run([&] { text = m_core->NmeaStatusText(); });
    return text;
}

QString CoreRunner::PilotStatusText() const
{
    QString text;
    Run([&] { text = m_core->PilotStatusText(); });
    return text;
}

void CoreRunner::SimulateTime(float Time, float& Bearing, float& Range)
{
    Ask([&](SteeringCore& core) { core.SimulateTime(Time, Bearing, Range); });
}

void CoreRunner::ConnectTraffic(QObject* Receiver, const LinkTraffic& Traffic)
{
    // The connections are made on the core's thread; what they carry is
    // queued to the receiver's.
    Ask([&](SteeringCore& core) { core.ConnectTraffic(Receiver, Traffic); });
}

QString CoreRunner::ProfileFile() const
{
    QString file;
    Run([&] { file = m_core->ProfileFile(); });
    return file;
}

QString CoreRunner::ProgramFolder() const
{
    QString folder;
    Run([&] { folder = m_core->ProgramFolder(); });
    return folder;
}

void CoreRunner::ChartSetValue(const QString& name, float value, const QString& units)
{
    Post([name, value, units](SteeringCore& core) { core.ChartSetValue(name, value, units); });
}

void CoreRunner::TackRequest(float SteerTo, float Heading, float WindAngle)
{
    Post([=](SteeringCore& core) { core.TackRequest(SteerTo, Heading, WindAngle); });
}
