#include "SerialLinks.h"

#include "InstrumentState.h"
#include "MessageLink.h"
#include "NmeaReceiver.h"
#include "ProfileSettings.h"
#include "SerialPort.h"

SerialLinks::SerialLinks(const ProfileSettings& settings, SerialPort& MSCommNmea, SerialPort& MSCommPilot,
                         NmeaReceiver& receiver, InstrumentState& state, SwitchTimer& tmrNmea)
    : m_settings(settings)
    , m_nmea(MSCommNmea)
    , m_pilot(MSCommPilot)
    , m_receiver(receiver)
    , m_state(state)
    , m_timer(tmrNmea)
{
    connect(&m_nmea, &SerialPort::OnComm, this, &SerialLinks::MSCommNmea_OnComm);
    connect(&m_pilot, &SerialPort::OnComm, this, &SerialLinks::MSCommPilot_OnComm);
    // The autopilot port only sends: a network endpoint binds nothing.
    m_pilot.SetReceiving(false);
}

void SerialLinks::SetNmeaStatus(const QString& text)
{
    m_sNmeaStatus = text;
    emit NmeaStatusChanged(text);
}

void SerialLinks::SetPilotStatus(const QString& text)
{
    m_sPilotStatus = text;
    emit PilotStatusChanged(text);
}

bool SerialLinks::OpenOn(SerialPort& port, int number, QString& error)
{
    // Starting a link again (the Options dialog re-enters the modes) must
    // not drop a working port; a changed port number does reopen it.
    if (port.PortOpen()) {
        if (port.CommPort() == number)
            return true;
        port.Close();
    }
    port.SetCommPort(number);
    return port.Open(error);
}

bool SerialLinks::OpenMessage(int number, bool input, bool& claimed, QString& error)
{
    claimed = m_message && m_message->Claims(number);
    if (!claimed) {
        if (m_message)
            m_message->Close(input);
        return false;
    }
    SerialPort& port = input ? m_nmea : m_pilot;
    if (port.PortOpen())
        port.Close();
    return m_message->Open(number, input, error);
}

bool SerialLinks::NmeaOpen() const
{
    return m_nmea.PortOpen() || (m_message && m_message->IsOpen(true));
}

void SerialLinks::MessageStatus(bool input, const QString& text)
{
    const QString label = text.isEmpty() ? QStringLiteral("Running") : QStringLiteral("Running - ") + text;
    if (input) {
        if (!m_message || !m_message->IsOpen(true))
            return;
        emit InputStatusChanged(text);
        SetNmeaStatus(label);
    } else {
        if (!m_message || !m_message->IsOpen(false))
            return;
        emit OutputStatusChanged(text);
        SetPilotStatus(label);
    }
}

bool SerialLinks::NmeaStart()
{
    m_receiver.ResetNoInputTicks();
    m_bNoInputShown = false;
    m_timer.SetEnabled(true);
    emit NmeaDataCleared();
    m_state.Invalidate();
    if (m_settings.m_bSimulate) {
        emit InputStatusChanged(QStringLiteral("Simulate"));
        SetNmeaStatus(QStringLiteral("Simulate"));
        return true;
    }
    emit InputStatusChanged(QString());
    SetNmeaStatus(QStringLiteral("Running"));
    QString error;
    bool claimed = false;
    const bool opened = OpenMessage(m_settings.m_iNmeaPort, true, claimed, error);
    if (claimed ? !opened : !OpenOn(m_nmea, m_settings.m_iNmeaPort, error)) {
        emit InputStatusChanged(error);
        SetNmeaStatus(QStringLiteral("Stopped - ") + error);
        return false;
    }
    m_receiver.ClearLine();
    return true;
}

void SerialLinks::NmeaStop()
{
    m_timer.SetEnabled(false);
    if (m_nmea.PortOpen())
        m_nmea.Close();
    if (m_message)
        m_message->Close(true);
    SetNmeaStatus(QStringLiteral("Stopped"));
}

bool SerialLinks::PilotStart()
{
    emit PilotDataCleared();
    if (m_settings.m_bSimulate) {
        emit OutputStatusChanged(QStringLiteral("Simulate"));
        SetPilotStatus(QStringLiteral("Simulate"));
        return true;
    }
    emit OutputStatusChanged(QString());
    SetPilotStatus(QStringLiteral("Running"));
    QString error;
    bool claimed = false;
    const bool opened = OpenMessage(m_settings.m_iPilotPort, false, claimed, error);
    if (!claimed && m_settings.m_iNmeaPort == m_settings.m_iPilotPort)
        return true; // the sentences go out on the instrument port
    if (claimed ? !opened : !OpenOn(m_pilot, m_settings.m_iPilotPort, error)) {
        m_sPilotError = error;
        emit OutputStatusChanged(error);
        SetPilotStatus(QStringLiteral("Stopped - ") + error);
        return false;
    }
    return true;
}

void SerialLinks::PilotStop()
{
    if (m_pilot.PortOpen())
        m_pilot.Close();
    if (m_message)
        m_message->Close(false);
    SetPilotStatus(QStringLiteral("Stopped"));
}

void SerialLinks::tmrNmea_Timer()
{
    if (m_settings.m_bSimulate) {
        emit SimulateStepDue();
        return;
    }
    const bool message = m_message && m_message->IsOpen(true);
    if (!message && !m_nmea.PortOpen())
        return;
    const uint32_t ticks = m_receiver.NoInputTick();
    // A message link makes its connection anew by itself.
    if (ticks % ReconnectTicks == 0 && !message)
        m_nmea.Reconnect();
    if (ticks >= NoInputTicks) {
        // A network link that is down says so beside the silence.
        const QString condition = message ? m_message->Condition() : m_nmea.Condition();
        const QString text = QStringLiteral("No Input Data")
                             + (condition.isEmpty() ? QString() : QStringLiteral(" - ") + condition);
        emit InputStatusChanged(text);
        SetNmeaStatus(text);
        m_bNoInputShown = true;
    } else if (m_bNoInputShown) {
        emit InputStatusChanged(QString());
        m_bNoInputShown = false;
    }
}

bool SerialLinks::OutputEvent(int commEvent)
{
    if (commEvent == SerialPort::comEventNotReading) {
        m_bNotReadingShown = true;
        emit OutputStatusChanged(QStringLiteral("AutoPilot Not Reading"));
        return true;
    }
    if (commEvent == SerialPort::comEventLinkUp && m_bNotReadingShown) {
        m_bNotReadingShown = false;
        emit OutputStatusChanged(QString());
    }
    return false;
}

void SerialLinks::MSCommNmea_OnComm(int commEvent)
{
    if (commEvent == SerialPort::comEventLineCut) {
        m_receiver.ClearLine();
        return;
    }
    if (OutputEvent(commEvent))
        return;
    m_receiver.MSCommNmea_OnComm(commEvent, m_nmea);
    // The receive path shows the loss in panel 2; the link is stopped now.
    if (commEvent == SerialPort::comEventDeviceLost)
        SetNmeaStatus(QStringLiteral("Stopped - ") + m_nmea.LastError());
}

void SerialLinks::MSCommPilot_OnComm(int commEvent)
{
    if (commEvent == SerialPort::comEvReceive) {
        // Nothing is expected here; a talking autopilot would otherwise
        // fill the port's buffer for as long as the program runs.
        m_pilot.Input();
        emit OutputStatusChanged(QStringLiteral("Receive Error"));
        return;
    }
    if (commEvent == SerialPort::comEventLineCut || OutputEvent(commEvent))
        return;
    if (commEvent == SerialPort::comEventDeviceLost)
        SetPilotStatus(QStringLiteral("Stopped - ") + m_pilot.LastError());
    emit OutputStatusChanged(m_pilot.CommEventText(commEvent));
}
