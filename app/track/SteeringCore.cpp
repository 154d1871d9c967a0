#include "SteeringCore.h"

#include "NumberText.h"
#include "SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>

#include <cmath>

SteeringCore::SteeringCore(CoreSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
{
    if (!m_setup.Random)
        m_setup.Random = SimulateRandom();
    if (!m_setup.Clock) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_setup.Clock = [clock] { return int64_t(clock->elapsed()); };
    }
    if (!m_setup.WallClock)
        m_setup.WallClock = [] { return QDateTime::currentDateTime(); };
    for (int64_t& at : m_lShownAt)
        at = -1;

    // The core is the host of every part it owns; the bases are private so
    // that only the parts see those calls.
    InstrumentDisplay& display = *this;
    NmeaReceiverHost& receiverHost = *this;
    SerialLinksHost& linksHost = *this;
    TrackHost& trackHost = *this;
    SimulatorHost& simulatorHost = *this;
    ProfileHost& profileHost = *this;
    m_state = std::make_unique<InstrumentState>(m_settings, display);
    m_receiver = std::make_unique<NmeaReceiver>(m_settings, *m_state, receiverHost);
    // The profile names the device of each port number; it is asked at
    // every opening, after the profile path is settled.
    const SerialPortFactory ports([this] { return m_settings.m_sProfileFile; }, m_setup.Ports);
    m_nmeaPort = ports.Create(this);
    m_pilotPort = ports.Create(this);
    m_nmeaPort->setObjectName(QStringLiteral("MSCommNmea"));
    m_pilotPort->setObjectName(QStringLiteral("MSCommPilot"));
    if (m_setup.ManualTimers) {
        m_tmrNmea = std::make_unique<ManualTimer>();
    } else {
        auto timer = std::make_unique<IntervalTimer>(1000, [this] { tmrNmea_Timer(); }, this);
        timer->setObjectName(QStringLiteral("tmrNmea"));
        m_tmrNmea = std::move(timer);
    }
    m_links = std::make_unique<SerialLinks>(m_settings, *m_nmeaPort, *m_pilotPort, *m_receiver, *m_state,
                                            *m_tmrNmea, linksHost);
    m_track = std::make_unique<TrackControl>(m_settings, *m_state, *m_links, trackHost);
    m_simulator = std::make_unique<Simulator>(m_settings, *m_state, simulatorHost, m_setup.Random);
    m_profile = std::make_unique<SettingsProfile>(m_settings, profileHost);
    m_profile->SetCommandLinePath(m_setup.ProfileFile);

    if (m_setup.ManualTimers) {
        m_tmrTack = std::make_unique<ManualTimer>();
    } else {
        auto timer = std::make_unique<IntervalTimer>(1000, [this] { TimerTack_Timer(); }, this);
        timer->setObjectName(QStringLiteral("TimerTack"));
        m_tmrTack = std::move(timer);
    }
    TackHost& tackHost = *this;
    m_tack = std::make_unique<TackProcedure>(tackHost, *m_tmrTack);
    connect(m_tack.get(), &TackProcedure::Started, this, [this] {
        m_sPanelBeforeTack = m_sPanel[1];
        ShowTackProgress();
    });
    connect(m_tack.get(), &TackProcedure::Stepped, this, &SteeringCore::ShowTackProgress);
    connect(m_tack.get(), &TackProcedure::Stopped, this, [this] { SetPanel(1, m_sPanelBeforeTack); });
    // The walk is over: the main window takes the keyboard again.
    connect(m_tack.get(), &TackProcedure::Closed, this, [this](bool finished) {
        if (finished)
            emit ForegroundRequested();
    });
}

SteeringCore::~SteeringCore()
{
    // The timers call back into the core; they go first.
    m_tmrTack.reset();
    m_tmrNmea.reset();
}

void SteeringCore::ProfileInitialize(bool bRecall)
{
    m_profile->ProfileInitialize(bRecall);
}

void SteeringCore::ProfileRecall()
{
    m_profile->ProfileRecall();
}

bool SteeringCore::ProfileSave()
{
    // The command line's Simulate is for this run only: the profile keeps
    // the user's own flag unless it was switched off meanwhile.
    const bool simulate = m_settings.m_bSimulate;
    if (m_setup.ForceSimulate && simulate)
        m_settings.m_bSimulate = m_bStoredSimulate;
    const bool saved = m_profile->ProfileSave();
    m_settings.m_bSimulate = simulate;
    return saved;
}

void SteeringCore::TackCancelRunning()
{
    if (m_tack->Running())
        m_tack->Cancel();
}

void SteeringCore::TrackSetOff()
{
    TackCancelRunning();
    m_track->TrackSetOff();
}

void SteeringCore::TrackSetSetup()
{
    TackCancelRunning();
    m_track->TrackSetSetup();
}

void SteeringCore::TrackSetManual()
{
    TackCancelRunning();
    m_track->TrackSetManual();
}

void SteeringCore::TrackSetTrack()
{
    TackCancelRunning();
    m_track->TrackSetTrack();
}

void SteeringCore::tbrTrack_ButtonClick(int index)
{
    TackCancelRunning();
    m_track->tbrTrack_ButtonClick(index);
}

void SteeringCore::TackAutoPilot(float a)
{
    m_settings.m_fAutoPilot = a;
    emit AutoPilotShown(NumberText::General(a));
}

void SteeringCore::ShowTackProgress()
{
    const auto whole = [](float value) { return NumberText::Format(std::fabs(double(value)), u"0"); };
    SetPanel(1, m_tack->Word() + QLatin1Char(' ') + whole(m_tack->ProgressDone()) + QLatin1Char('/')
                    + whole(m_tack->Total()));
}

void SteeringCore::cmdSteer_Click(int Index, const QString& autoPilotText)
{
    TackCancelRunning();
    if (m_settings.m_eTrackMode != TrackModeTrack)
        m_track->StoreAutoPilotText(autoPilotText);
    m_track->TrackSteerTo(Index == 2 ? 1.0f : -1.0f);
}

SteeringCore::CloseResult SteeringCore::Close()
{
    m_links->NmeaStop();
    m_links->PilotStop();
    if (m_receiver->ReceiveBusy())
        return CloseResult::Busy;
    return ProfileSave() ? CloseResult::Saved : CloseResult::SaveFailed;
}

void SteeringCore::tmrNmea_Timer()
{
    m_links->tmrNmea_Timer();
    const int64_t now = m_setup.Clock();
    for (int i = 0; i < ValueCount; ++i) {
        const auto which = InstrumentValue(i);
        if (!m_bStale[i] && Quiet(which, now)) {
            m_bStale[i] = true;
            emit ValueStale(which, true);
        }
    }
}

bool SteeringCore::Quiet(InstrumentValue which, int64_t now) const
{
    const int64_t at = m_lShownAt[int(which)];
    return at >= 0 && now - at > StaleMilliseconds;
}

QString SteeringCore::QuietSource(int index) const
{
    const int64_t now = m_setup.Clock();
    if (Quiet(InstrumentValue::AppWindAngle, now))
        return QStringLiteral("Apparent Wind");
    if (index != 2)
        return QString();
    if (m_settings.m_iNmeaTrueWind == 1)
        return Quiet(InstrumentValue::BoatSpeed, now) ? QStringLiteral("Boat Speed") : QString();
    return Quiet(InstrumentValue::TrueWindAngle, now) ? QStringLiteral("True Wind") : QString();
}

void SteeringCore::ShowNumber(InstrumentValue which, float value)
{
    const int i = int(which);
    m_lShownAt[i] = m_setup.Clock();
    if (m_bStale[i]) {
        m_bStale[i] = false;
        emit ValueStale(which, false);
    }
    // Formatting costs more than the rest of a sentence's work: only for a
    // label that someone shows.
    static const QMetaMethod shown = QMetaMethod::fromSignal(&SteeringCore::ValueShown);
    if (isSignalConnected(shown))
        InstrumentDisplay::ShowNumber(which, value);
}

void SteeringCore::ShowValue(InstrumentValue which, const QString& text)
{
    if (text.isEmpty()) {
        // A blanked label is unknown, not stale.
        const int i = int(which);
        m_lShownAt[i] = -1;
        if (m_bStale[i]) {
            m_bStale[i] = false;
            emit ValueStale(which, false);
        }
    }
    emit ValueShown(which, text);
}

void SteeringCore::SetPanel(int panel, const QString& text)
{
    m_sPanel[panel] = text;
    emit PanelText(panel, text);
}

void SteeringCore::SetModeStatus(const QString& text)
{
    SetPanel(1, text);
}

void SteeringCore::SetInputStatus(const QString& text)
{
    SetPanel(2, text);
}

void SteeringCore::SetOutputStatus(const QString& text)
{
    SetPanel(3, text);
}

void SteeringCore::ChartSetValue(const QString& name, const QString& value)
{
    emit ChartReading(name, value);
}

QString SteeringCore::ProgramFolder() const
{
    return QCoreApplication::applicationDirPath();
}

void SteeringCore::ShowProfileValues(const QString& autoPilot, const QString& desiredApparent,
                                     const QString& desiredTrue)
{
    // Between reading the profile and entering the modes: the place where
    // the command line's Simulate takes over.
    m_bStoredSimulate = m_settings.m_bSimulate;
    if (m_setup.ForceSimulate)
        m_settings.m_bSimulate = true;
    emit AutoPilotShown(autoPilot);
    emit DesiredShown(1, desiredApparent);
    emit DesiredShown(2, desiredTrue);
}

void SteeringCore::ShowHistoryWindow()
{
    m_bWindowVisible[0] = true;
    emit WindowRequested(CoreWindow::History);
}

void SteeringCore::ShowPolarWindow()
{
    m_bWindowVisible[1] = true;
    emit WindowRequested(CoreWindow::Polar);
}

void SteeringCore::SetWindowVisible(CoreWindow window, bool visible)
{
    m_bWindowVisible[window == CoreWindow::History ? 0 : 1] = visible;
}

bool SteeringCore::WindowVisible(CoreWindow window) const
{
    return m_bWindowVisible[window == CoreWindow::History ? 0 : 1];
}

bool SteeringCore::NmeaPortOpen() const
{
    return m_nmeaPort->PortOpen();
}

bool SteeringCore::PilotPortOpen() const
{
    if (m_settings.m_iNmeaPort != m_settings.m_iPilotPort)
        return m_pilotPort->PortOpen();
    const TrackMode mode = m_settings.m_eTrackMode;
    return m_nmeaPort->PortOpen() && (mode == TrackModeManual || mode == TrackModeTrack);
}
