#pragma once
// The two serial links of the main window: the instrument link (input on
// MSCommNmea) and the autopilot link (output on MSCommPilot, or on
// MSCommNmea when both settings name the same port number). Starting and
// stopping them, their status texts, the one-second silence watch and the
// events of the autopilot port.

#include "SwitchTimer.h"

#include <QObject>
#include <QString>

class InstrumentState;
class MessageLink;
class NmeaReceiver;
class SerialPort;
struct ProfileSettings;

class SerialLinks : public QObject {
    Q_OBJECT
public:
    // Silent ticks before "No Input Data" is shown.
    static constexpr uint32_t NoInputTicks = 4;
    // Silent ticks after which the instrument port makes its connection
    // anew (a TCP source that died without closing), and again after as
    // many more while the silence lasts.
    static constexpr uint32_t ReconnectTicks = 5;

    SerialLinks(const ProfileSettings& settings, SerialPort& MSCommNmea, SerialPort& MSCommPilot,
                NmeaReceiver& receiver, InstrumentState& state, SwitchTimer& tmrNmea);

    // True when started; false with the port's error text shown.
    bool NmeaStart();
    void NmeaStop();
    bool PilotStart();
    void PilotStop();

    // One tick of tmrNmea: a simulation step, or the silence watch.
    void tmrNmea_Timer();
    // Events of the instrument port go to the receive path; a lost device
    // also stops the link's label, a cut stream starts a fresh line.
    void MSCommNmea_OnComm(int commEvent);
    // The autopilot port is not expected to receive: every event is shown.
    void MSCommPilot_OnComm(int commEvent);

    // The texts of lblNmeaStatus and lblPilotStatus, kept for the Options
    // dialog.
    QString NmeaStatusText() const { return m_sNmeaStatus; }
    QString PilotStatusText() const { return m_sPilotStatus; }

    // Why the autopilot link did not start last time.
    QString PilotStartError() const { return m_sPilotError; }
    // A link opened in place of a port whose device names it; null for
    // none.
    void SetMessageLink(MessageLink* link) { m_message = link; }
    // The instrument side is open, on its port or on the message link.
    bool NmeaOpen() const;
    // The message link's own word on either side ("Reconnecting in 4 s",
    // "" once streaming), shown as the port's events are.
    void MessageStatus(bool input, const QString& text);

    SerialPort& MSCommNmea() { return m_nmea; }
    SerialPort& MSCommPilot() { return m_pilot; }
    SwitchTimer& tmrNmea() { return m_timer; }

signals:
    // The input line's and the output line's status ("" when all is well).
    void InputStatusChanged(const QString& text);
    void OutputStatusChanged(const QString& text);
    // The links' own states, as the Options dialog labels them.
    void NmeaStatusChanged(const QString& text);
    void PilotStatusChanged(const QString& text);
    // A link started: what was received or sent before is of the old link.
    void NmeaDataCleared();
    void PilotDataCleared();
    // One tick of the simulated instruments is due.
    void SimulateStepDue();

private:
    void SetNmeaStatus(const QString& text);
    void SetPilotStatus(const QString& text);
    // Opens the port on the number, keeping it open when it already is on
    // that number.
    static bool OpenOn(SerialPort& port, int number, QString& error);
    // Events about output, from whichever port carries it; false for the
    // others.
    bool OutputEvent(int commEvent);

    // Opens the message link when it claims the number, closing the port;
    // otherwise closes the link's side.
    bool OpenMessage(int number, bool input, bool& claimed, QString& error);

    const ProfileSettings& m_settings;
    MessageLink* m_message = nullptr;
    SerialPort& m_nmea;
    SerialPort& m_pilot;
    NmeaReceiver& m_receiver;
    InstrumentState& m_state;
    SwitchTimer& m_timer;
    bool m_bNoInputShown = false;
    bool m_bNotReadingShown = false;
    QString m_sNmeaStatus = QStringLiteral("Stopped");
    QString m_sPilotStatus = QStringLiteral("Stopped");
    QString m_sPilotError;
};
