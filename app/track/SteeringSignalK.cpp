// The core's side of a Signal K server: what its link reports goes where a
// port's events and decoded sentences go.

#include "SteeringCore.h"

void SteeringCore::MakeSignalK()
{
    SignalKReports reports;
    reports.StepDue = [this] {
        TrackStep();
        if (m_state->BoatSpeedValid())
            PolarSetValue(m_state->Values(m_settings.m_eTrackMode));
        if (m_state->VariationValid())
            m_state->WindIndicator();
    };
    reports.StepWaiting = [this] { m_track->TrackWait(); };
    reports.Input = [this] {
        m_receiver->ResetNoInputTicks();
        if (m_bInputStatusShown)
            SetInputStatus(QString());
    };
    reports.Status = [this](bool input, const QString& text) { m_links->MessageStatus(input, text); };
    reports.OutputShown = [this] { return m_sOutputStatus; };
    reports.Line = [this](const QString& line, bool used) {
        if (m_bWindowsFed)
            emit NmeaLine(line, used);
    };
    reports.LineError = [this](const QString& line) { emit NmeaLineError(line); };
    reports.Arrived = [this](const QString& line) { emit LineReceived(line); };
    reports.Written = [this](const QString& line) { emit PilotOutcome(line, true); };
    reports.PilotChanged = [this] {
        WatchAlarms();
        SoundAlarm();
    };
    m_signalK = std::make_unique<SignalKLink>(m_settings, *m_state, m_setup.SignalK, std::move(reports));
    m_signalK->SetClaiming(!m_setup.Ports);
    m_links->SetMessageLink(m_signalK.get());
    connect(this, &SteeringCore::AlarmRaised, this,
            [this](const QString& name, const QString& text) { m_signalK->PublishAlarm(name, true, text); });
    connect(this, &SteeringCore::AlarmCleared, this,
            [this](const QString& name) { m_signalK->PublishAlarm(name, false, name); });
}
