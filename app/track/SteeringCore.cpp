#include "SteeringCore.h"

#include "MathLib.h"
#include "NumberText.h"
#include "SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>

#include <cmath>

SteeringCore::SteeringCore(CoreSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_alarms([this](const Alarm& alarm, bool raised) {
        if (raised)
            emit AlarmRaised(alarm.name, alarm.text);
        else
            emit AlarmCleared(alarm.name);
    })
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
    ProfileHost& profileHost = *this;
    InstrumentReports values;
    values.Value = [this](InstrumentValue which, float value) { ShowNumber(which, value); };
    values.Blank = [this](InstrumentValue which) { ClearValue(which); };
    values.History = [this](const QString& name, float value, const QString& units) {
        static const QMetaMethod reading = QMetaMethod::fromSignal(&SteeringCore::HistoryReading);
        if (Watched(reading))
            ForViews([=, stamp = ReadingStamp()] { emit HistoryReading(name, value, units, stamp); });
    };
    values.WindIndicator = [this](const QString& point, float speed) { ShowWindIndicatorValue(point, speed); };
    m_state = std::make_unique<InstrumentState>(m_settings, std::move(values));
    m_receiver = std::make_unique<NmeaReceiver>(m_settings, *m_state);
    // Direct: each line's reports and its control step run before the next
    // line is read, as the receive path expects.
    const NmeaReceiver* receiver = m_receiver.get();
    connect(receiver, &NmeaReceiver::InputStatusReported, this, &SteeringCore::SetInputStatus, Qt::DirectConnection);
    connect(receiver, &NmeaReceiver::LineProcessed, this, [this](const QString& sline, bool bChecked) {
        if (m_bWindowsFed)
            emit NmeaLine(sline, bChecked);
    }, Qt::DirectConnection);
    connect(receiver, &NmeaReceiver::LineErrorReported, this, &SteeringCore::NmeaLineError, Qt::DirectConnection);
    connect(receiver, &NmeaReceiver::StepWaiting, this, [this] { m_track->TrackWait(); }, Qt::DirectConnection);
    connect(receiver, &NmeaReceiver::PolarValuesReady, this, &SteeringCore::PolarSetValue, Qt::DirectConnection);
    // Per line by direct call; what would go to no one is not made.
    NmeaRelays relays;
    relays.LineArrived = [this](const QString& line) {
        if (m_bRecorded.load(std::memory_order_relaxed))
            emit LineReceived(line);
    };
    relays.LinesHeard = [this] { return m_bWindowsFed; };
    relays.ControlStep = [this] { TrackStep(); };
    relays.PolarHeard = [this] {
        static const QMetaMethod polar = QMetaMethod::fromSignal(&SteeringCore::PolarValues);
        return Watched(polar);
    };
    m_receiver->SetRelays(std::move(relays));
    // The profile names the device of each port number; it is asked at
    // every opening, after the profile path is settled.
    const SerialPortFactory ports([this] { return m_settings.m_sProfileFile; }, m_setup.Ports);
    m_nmeaPort = ports.Create(this);
    m_pilotPort = ports.Create(this);
    m_nmeaPort->setObjectName(QStringLiteral("MSCommNmea"));
    m_pilotPort->setObjectName(QStringLiteral("MSCommPilot"));
    // Before the links take the event, and after them (slots run in the
    // order they were connected).
    connect(m_nmeaPort, &SerialPort::OnComm, this, [this] { ++m_iViewsHeld; });
    if (m_setup.ManualTimers) {
        m_tmrNmea = std::make_unique<ManualTimer>();
    } else {
        auto timer = std::make_unique<IntervalTimer>(1000, [this] { tmrNmea_Timer(); }, this);
        timer->setObjectName(QStringLiteral("tmrNmea"));
        m_tmrNmea = std::move(timer);
    }
    m_links = std::make_unique<SerialLinks>(m_settings, *m_nmeaPort, *m_pilotPort, *m_receiver, *m_state,
                                            *m_tmrNmea);
    connect(m_nmeaPort, &SerialPort::OnComm, this, &SteeringCore::ReleaseViews);
    MakeSignalK();
    SerialLinks* links = m_links.get();
    connect(links, &SerialLinks::InputStatusChanged, this, &SteeringCore::SetInputStatus);
    connect(links, &SerialLinks::OutputStatusChanged, this, &SteeringCore::SetOutputStatus);
    connect(links, &SerialLinks::NmeaStatusChanged, this, &SteeringCore::NmeaLinkStatus);
    connect(links, &SerialLinks::PilotStatusChanged, this, &SteeringCore::PilotLinkStatus);
    connect(links, &SerialLinks::NmeaDataCleared, this, &SteeringCore::NmeaLinesCleared);
    connect(links, &SerialLinks::PilotDataCleared, this, &SteeringCore::PilotLinesCleared);
    connect(links, &SerialLinks::SimulateStepDue, this, [this] {
        m_simulator->SimulateStep();
        PolarSetValue(m_state->Values(m_settings.m_eTrackMode));
        TrackStep();
    });
    TrackReports reports;
    reports.ModeEntered = [this](TrackMode mode) { emit ModeChanged(mode); };
    reports.AngleTracked = [this](TrackAngle angle) { emit ControlSelected(angle); };
    reports.InputStatus = [this](const QString& text) { SetInputStatus(text); };
    reports.OutputStatus = [this](const QString& text) { SetOutputStatus(text); };
    reports.AutoPilot = [this](float heading) { ShowAutoPilot(heading); };
    reports.Desired = [this](int index, float value) { ShowDesired(index, value); };
    reports.Delta = [this](int index, float value) { ShowDelta(index, value); };
    reports.DeltaAlarm = [this](int index, bool alarm) { emit DeltaAlarm(index, alarm); };
    reports.LimitAlarm = [this](bool raised, float error) { ShowLimitAlarm(raised, error); };
    reports.PilotReading = [this](const QString& name, float value) {
        static const QMetaMethod reading = QMetaMethod::fromSignal(&SteeringCore::HistoryReading);
        if (Watched(reading))
            ForViews([=, stamp = ReadingStamp()] { emit HistoryReading(name, value, QStringLiteral("deg"), stamp); });
    };
    reports.SentenceSent = [this](QStringView sline) {
        static const QMetaMethod sent = QMetaMethod::fromSignal(&SteeringCore::PilotSent);
        if (m_pilotCounter)
            m_pilotCounter(sline);
        if (isSignalConnected(sent))
            emit PilotSent(sline.toString());
    };
    reports.Target = [this](float heading, QString& sline) { return m_signalK->SendTarget(heading, sline); };
    m_track = std::make_unique<TrackControl>(m_settings, *m_state, *m_links, std::move(reports));
    m_track->SetBound([this](float from, float to) { return TrackBound(from, to); });
    m_simulator = std::make_unique<Simulator>(m_settings, *m_state, m_setup.Random);
    m_profile = std::make_unique<SettingsProfile>(m_settings, profileHost);
    m_profile->SetCommandLinePath(m_setup.ProfileFile);

    if (m_setup.ManualTimers) {
        m_tmrTack = std::make_unique<ManualTimer>();
    } else {
        auto timer = std::make_unique<IntervalTimer>(1000, [this] { TimerTack_Timer(); }, this);
        timer->setObjectName(QStringLiteral("TimerTack"));
        m_tmrTack = std::move(timer);
    }
    m_tack = std::make_unique<TackProcedure>(m_settings, *m_tmrTack);
    connect(m_tack.get(), &TackProcedure::SteerRequested, this, &SteeringCore::TrackSteerTo);
    connect(m_tack.get(), &TackProcedure::ManualRequested, this, &SteeringCore::TrackSetManual);
    connect(m_tack.get(), &TackProcedure::AutoPilotStepped, this, &SteeringCore::TackAutoPilot);
    connect(m_tack.get(), &TackProcedure::BeepRequested, this, &SteeringCore::BeepRequested);
    connect(m_tack.get(), &TackProcedure::Started, this, &SteeringCore::ShowTackProgress);
    connect(m_tack.get(), &TackProcedure::Stepped, this, &SteeringCore::ShowTackProgress);
    connect(m_tack.get(), &TackProcedure::Stopped, this, &SteeringCore::TackEnded);
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
    m_track->SetOff();
    AfterModeChange();
}

void SteeringCore::TrackSetSetup()
{
    TackCancelRunning();
    m_bAutoPilotTyped = false;
    m_track->SetSetup();
    AfterModeChange();
}

void SteeringCore::TrackSetManual()
{
    TackCancelRunning();
    const TrackMode mode = m_settings.m_eTrackMode;
    // Once the autopilot is steered (Manual, Track) it already follows
    // this heading; only engaging it can turn the boat.
    if ((mode == TrackModeOff || mode == TrackModeSetup) && !m_settings.m_bSimulate) {
        const bool known = HeadingFresh();
        const float heading = m_state->Heading();
        if (!known || std::fabs(MathLib::AngleWrap180(double(heading) - m_settings.m_fAutoPilot))
                          > SteeringWatch::EngageBound) {
            emit ModeChanged(mode);
            emit EngageAsked(known, known ? heading : 0.0f, m_settings.m_fAutoPilot);
            return;
        }
    }
    m_track->SetManual();
    m_watch.FollowRestart();
    AfterModeChange();
}

void SteeringCore::TrackEngage(float Heading)
{
    if (!std::isfinite(Heading))
        return;
    TackCancelRunning();
    m_settings.m_fAutoPilot = float(MathLib::HeadingWrap(Heading));
    ShowAutoPilot(m_settings.m_fAutoPilot);
    m_track->SetManual();
    m_watch.FollowRestart();
    AfterModeChange();
}

void SteeringCore::TrackSetTrack()
{
    TackCancelRunning();
    m_track->SetTrack();
    AfterModeChange();
}

void SteeringCore::AfterModeChange()
{
    m_bUnwatchedShown = false;
    WatchAlarms();
}

void SteeringCore::TrackStep()
{
    WatchAlarms(true);
    m_track->Step();
    if (m_settings.m_eTrackMode == TrackModeTrack) {
        const int control = m_track->SelectedControl();
        m_signalK->PublishHeld(control == 1, m_settings.m_fDesired[control]);
    }
    SoundAlarm();
}

void SteeringCore::StoreAutoPilotText(const QString& text)
{
    SettleAutoPilotText();
    if (m_settings.m_eTrackMode == TrackModeSetup && text != m_sAutoPilotShown)
        m_bAutoPilotTyped = true;
    m_track->StoreAutoPilot(text);
}

void SteeringCore::TrackSteerTo(float Delta)
{
    SettleAutoPilotText();
    if (m_settings.m_eTrackMode != TrackModeTrack)
        m_track->StoreAutoPilot(m_sAutoPilotBox);
    m_track->SteerTo(Delta);
}

void SteeringCore::AutoPilotTextEdited(const QString& text)
{
    SettleAutoPilotText();
    m_sAutoPilotBox = text;
}

// Track commands a heading at every step: the box's text is made only when
// it is read.
void SteeringCore::ShowAutoPilot(float heading, bool walk)
{
    m_bAutoPilotUnsettled = true;
    m_bAutoPilotWalk = walk;
    m_fAutoPilotUnsettled = heading;
    if (m_bWindowsFed)
        emit AutoPilotChanged(heading, walk);
}

void SteeringCore::SettleAutoPilotText()
{
    if (!m_bAutoPilotUnsettled)
        return;
    m_bAutoPilotUnsettled = false;
    m_sAutoPilotShown = m_sAutoPilotBox = m_bAutoPilotWalk ? NumberText::General(m_fAutoPilotUnsettled)
                                                           : NumberText::Format(m_fAutoPilotUnsettled, u"0.0");
}

bool SteeringCore::Engaged() const
{
    return m_settings.m_eTrackMode == TrackModeManual || m_settings.m_eTrackMode == TrackModeTrack;
}

bool SteeringCore::HeadingFresh() const
{
    return m_state->HeadingValid() && !Quiet(InstrumentValue::Heading, m_setup.Clock());
}

void SteeringCore::WatchAlarms(bool step)
{
    const int64_t now = m_setup.Clock();
    const bool engaged = Engaged();
    const bool track = m_settings.m_eTrackMode == TrackModeTrack;
    const bool real = engaged && !m_settings.m_bSimulate;
    const QString held = QStringLiteral(" - Heading Held");

    if (real && !PilotPortOpen())
        RaiseAlarm(AlarmKind::AutoPilotLink, QStringLiteral("AutoPilot Link Lost"),
                   QStringLiteral("AutoPilot Link Lost"));
    else
        ClearAlarm(AlarmKind::AutoPilotLink);
    if (real && m_receiver->NoInputTicks() >= SerialLinks::NoInputTicks)
        RaiseAlarm(AlarmKind::InputLink, QStringLiteral("No Input Data"), QStringLiteral("No Input Data"));
    else
        ClearAlarm(AlarmKind::InputLink);

    // Manual needs the apparent wind for its clock; Track needs whatever
    // its angle is worked out from.
    const QString quiet = engaged ? QuietSource(track ? m_track->SelectedControl() : 1) : QString();
    if (!quiet.isEmpty()) {
        const QString name = QStringLiteral("No ") + quiet + QStringLiteral(" Data");
        RaiseAlarm(AlarmKind::SourceLost, name, name + (track ? held : QStringLiteral(" - No Output")));
    } else {
        ClearAlarm(AlarmKind::SourceLost);
    }

    const bool heading = HeadingFresh();
    const bool turning = m_tack->Running();
    // Raised again at every step while it lasts: its texts are made once.
    static const QString notFollowing = QStringLiteral("AutoPilot Not Following");
    static const QString notFollowingHeld = QStringLiteral("AutoPilot Not Following - Heading Held");
    // A pilot that says it stands by follows nothing, whatever the heading.
    const bool standby = engaged && m_signalK->PilotStandby();
    if (m_watch.Follow(now, engaged && !turning, heading, m_state->Heading(), m_settings.m_fAutoPilot) || standby)
        RaiseAlarm(AlarmKind::NotFollowing, notFollowing, track ? notFollowingHeld : notFollowing);
    else
        ClearAlarm(AlarmKind::NotFollowing);
    const QString unwatched = QStringLiteral("AutoPilot Not Watched - No Heading");
    if (engaged && !heading && !m_bUnwatchedShown) {
        m_bUnwatchedShown = true;
        // A link's own word on the line stays.
        if (m_sOutputStatus.isEmpty())
            SetOutputStatus(unwatched);
    } else if (heading && m_bUnwatchedShown) {
        m_bUnwatchedShown = false;
        if (m_sOutputStatus == unwatched)
            SetOutputStatus(QString());
    }

    // The true wind direction, from readings the loop can trust; a tack
    // walk turns the boat faster than the averages follow.
    const bool wind = engaged && heading && !turning && m_state->WindTrueValid() && QuietSource(2).isEmpty();
    if (!wind)
        m_watch.WindReset();
    else if (step)
        m_watch.Wind(now, MathLib::HeadingWrap(double(m_state->Heading()) + m_state->WindAngleTrue()));
    if (m_watch.Shifted())
        RaiseAlarm(AlarmKind::WindShift, QStringLiteral("Wind Shift"),
                   QStringLiteral("Wind Shift ") + NumberText::Format(std::fabs(m_watch.Shift()), u"0"));
    else
        ClearAlarm(AlarmKind::WindShift);
    if (!track)
        ClearAlarm(AlarmKind::CrossHeld);

    m_bHold = track && (!quiet.isEmpty() || m_watch.NotFollowing() || standby);
    m_track->SetHold(m_bHold);
}

void SteeringCore::SoundAlarm()
{
    if (m_alarms.BeepDue(m_setup.Clock()))
        emit BeepRequested();
}

void SteeringCore::RaiseAlarm(AlarmKind kind, const QString& name, const QString& text)
{
    const bool wasNew = !m_alarms.Active(kind);
    if (!m_alarms.Raise(m_setup.Clock(), kind, name, text))
        return;
    ShowAlarm();
    // A new alarm is heard and seen at once.
    if (wasNew) {
        emit BeepRequested();
        emit ForegroundRequested();
    }
}

void SteeringCore::ClearAlarm(AlarmKind kind)
{
    if (m_alarms.Clear(kind))
        ShowAlarm();
}

void SteeringCore::AlarmAcknowledge()
{
    m_alarms.Acknowledge();
    ShowAlarm();
}

void SteeringCore::ShowAlarm()
{
    const Alarm* top = m_alarms.Top();
    const QString alarm = top ? top->text : QString();
    if (alarm != m_sAlarmShown || m_alarms.Sounding() != m_bAlarmSounding) {
        m_sAlarmShown = alarm;
        m_bAlarmSounding = m_alarms.Sounding();
        emit AlarmShown(alarm, m_bAlarmSounding);
    }
}

void SteeringCore::ShowLimitAlarm(bool raised, float error)
{
    if (raised)
        RaiseAlarm(AlarmKind::Limit, QStringLiteral("Alarm Limit Exceeded"),
                   QStringLiteral("Alarm Limit Exceeded ") + NumberText::Format(error, u"0"));
    else
        ClearAlarm(AlarmKind::Limit);
}

float SteeringCore::TrackBound(float from, float to)
{
    // Measured from where the boat is, when that is known.
    const bool heading = HeadingFresh();
    const double boat = heading ? double(m_state->Heading()) : double(from);
    const double angle = m_state->WindAngleTrue();
    const int side = angle > 0 || (angle == 0 && m_settings.m_fDesired[2] >= 0) ? 1 : -1;
    SteeringWatch::Cross crossed = SteeringWatch::Cross::None;
    double bounded = SteeringWatch::TackGuard(boat, to, angle, side, crossed);
    if (heading)
        bounded = SteeringWatch::LeadLimit(boat, bounded);
    bounded = m_watch.TurnLimit(m_setup.Clock(), TrackControl::StepLimit * m_track->FilterK2(), from, bounded);
    if (crossed == SteeringWatch::Cross::None) {
        ClearAlarm(AlarmKind::CrossHeld);
    } else {
        const QString name = crossed == SteeringWatch::Cross::Tack ? QStringLiteral("Tack Held")
                                                                     : QStringLiteral("Jibe Held");
        RaiseAlarm(AlarmKind::CrossHeld, name, name);
    }
    return float(bounded);
}

void SteeringCore::TackAutoPilot(float a)
{
    m_settings.m_fAutoPilot = a;
    ShowAutoPilot(a, true);
}

void SteeringCore::ShowTackProgress()
{
    emit TackProgress(m_tack->Word(), m_tack->ProgressDone(), m_tack->Total());
}

void SteeringCore::SailorSteerTo(float Delta, const QString& autoPilotText)
{
    TackCancelRunning();
    if (m_settings.m_eTrackMode != TrackModeTrack)
        StoreAutoPilotText(autoPilotText);
    if (m_settings.m_eTrackMode == TrackModeSetup)
        m_bAutoPilotTyped = true;
    TrackSteerTo(Delta);
    m_watch.FollowRestart();
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
    WatchAlarms();
    SoundAlarm();
}

bool SteeringCore::Quiet(InstrumentValue which, int64_t now) const
{
    const int64_t at = m_lShownAt[int(which)];
    if (at >= 0 && now - at > StaleMilliseconds)
        return true;
    // True wind worked out from a boat speed that went quiet is as old as
    // that speed.
    const bool computed = m_settings.m_iNmeaTrueWind == 1
                          && (which == InstrumentValue::TrueWindAngle || which == InstrumentValue::TrueWindSpeed);
    return computed && at >= 0 && Quiet(InstrumentValue::BoatSpeed, now);
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
    const int64_t now = m_setup.Clock();
    m_lShownAt[i] = now;
    if (which == InstrumentValue::Heading && m_settings.m_eTrackMode == TrackModeSetup && !m_bAutoPilotTyped
        && !m_settings.m_bSimulate) {
        // Engaging then steers where the boat is going. (The simulated
        // boat steers by the box: following it would walk the box round.)
        m_settings.m_fAutoPilot = float(MathLib::HeadingWrap(value));
        ShowAutoPilot(m_settings.m_fAutoPilot);
    }
    if (m_bStale[i] && !Quiet(which, now)) {
        m_bStale[i] = false;
        emit ValueStale(which, false);
    }
    // Nobody listening (a report), nothing to hand on.
    static const QMetaMethod shown = QMetaMethod::fromSignal(&SteeringCore::ValueChanged);
    if (Watched(shown))
        ForViews([=] { emit ValueChanged(which, value); });
}

void SteeringCore::PolarSetValue(const InstrumentValues& values)
{
    static const QMetaMethod polar = QMetaMethod::fromSignal(&SteeringCore::PolarValues);
    if (Watched(polar))
        ForViews([=] { emit PolarValues(values); });
}

void SteeringCore::ReleaseViews()
{
    if (--m_iViewsHeld > 0)
        return;
    m_iViewsHeld = 0;
    std::vector<std::function<void()>> views;
    views.swap(m_views);
    if (m_viewContext && !views.empty()) {
        // One hand-over to the windows' thread for all the event changed,
        // where the signals reach the windows directly.
        QMetaObject::invokeMethod(
            m_viewContext, [views = std::move(views)] {
                for (const auto& view : views)
                    view();
            },
            Qt::QueuedConnection);
        return;
    }
    for (const auto& view : views)
        view();
}

void SteeringCore::SetRecorded()
{
    if (m_bRecorded.exchange(true))
        return;
    // Only sentences for the autopilot are output, on either port.
    for (SerialPort* port : {m_nmeaPort, m_pilotPort})
        connect(port, &SerialPort::OutputDone, this, [this](const QString& text, SerialPort::OutputFate fate) {
            emit PilotOutcome(text.endsWith(QLatin1String("\r\n")) ? text.chopped(2) : text,
                              fate == SerialPort::OutputWritten);
        });
}

bool SteeringCore::Watched(const QMetaMethod& signal) const
{
    // The flag first: the connection is looked up under a lock.
    return m_bWindowsFed && isSignalConnected(signal);
}

void SteeringCore::ShowWindIndicatorValue(const QString& point, float speed)
{
    static const QMetaMethod shown = QMetaMethod::fromSignal(&SteeringCore::WindIndicatorChanged);
    if (Watched(shown))
        ForViews([=] { emit WindIndicatorChanged(point, speed); });
}

void SteeringCore::ShowDesired(int index, float value)
{
    static const QMetaMethod shown = QMetaMethod::fromSignal(&SteeringCore::DesiredChanged);
    if (Watched(shown))
        ForViews([=] { emit DesiredChanged(index, value); });
}

void SteeringCore::ShowDelta(int index, float value)
{
    static const QMetaMethod shown = QMetaMethod::fromSignal(&SteeringCore::DeltaChanged);
    if (Watched(shown))
        ForViews([=] { emit DeltaChanged(index, value); });
}

void SteeringCore::ClearValue(InstrumentValue which)
{
    // A value no longer known is not stale.
    const int i = int(which);
    m_lShownAt[i] = -1;
    if (m_bStale[i]) {
        m_bStale[i] = false;
        emit ValueStale(which, false);
    }
    ForViews([=] { emit ValueCleared(which); });
}

void SteeringCore::SetInputStatus(const QString& text)
{
    m_bInputStatusShown = !text.isEmpty();
    m_receiver->SetInputStatusShown(!text.isEmpty());
    emit InputStatusChanged(text);
}

void SteeringCore::SetOutputStatus(const QString& text)
{
    m_sOutputStatus = text;
    emit OutputStatusChanged(text);
}

void SteeringCore::ChartSetValue(const QString& name, float value, const QString& units)
{
    emit HistoryReading(name, value, units, ReadingStamp());
}

QDateTime SteeringCore::ReadingStamp()
{
    if (!m_setup.StampReadings)
        return {};
    // Every reading of one moment (a line, a step) shares its stamp: the
    // local time is worked out once for them.
    const int64_t now = m_setup.Clock();
    if (now != m_lStampClock || !m_stamp.isValid()) {
        m_lStampClock = now;
        m_stamp = m_setup.WallClock();
    }
    return m_stamp;
}

QString SteeringCore::ProgramFolder() const
{
    return QCoreApplication::applicationDirPath();
}

void SteeringCore::ShowProfileValues(const QString&, const QString&, const QString&)
{
    // Between reading the profile and entering the modes: the place where
    // the command line's Simulate takes over.
    m_bStoredSimulate = m_settings.m_bSimulate;
    if (m_setup.ForceSimulate)
        m_settings.m_bSimulate = true;
    // The texts are the numbers' own: the windows make them again.
    ShowAutoPilot(m_settings.m_fAutoPilot);
    emit DesiredChanged(1, m_settings.m_fDesired[1]);
    emit DesiredChanged(2, m_settings.m_fDesired[2]);
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
    return m_links->NmeaOpen();
}

bool SteeringCore::PilotPortOpen() const
{
    if (m_signalK->IsOpen(false))
        return true;
    if (m_settings.m_iNmeaPort != m_settings.m_iPilotPort)
        return m_pilotPort->PortOpen();
    const TrackMode mode = m_settings.m_eTrackMode;
    return m_nmeaPort->PortOpen() && (mode == TrackModeManual || mode == TrackModeTrack);
}
