#pragma once
// A Signal K server as the instrument port, the autopilot port or both
// ("[Ports] 5=signalk://host:port"). The instrument side sets the same
// instrument values as the decoded sentences, each apparent wind a wind
// update of the control loop; the autopilot side sends each commanded
// heading as the pilot's target while the pilot steers a compass heading,
// and publishes the wind angle Track holds and the alarms. The clients are
// made when a side opens, on the thread of whoever owns this link.

#include "MessageLink.h"
#include "SignalKClient.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class InstrumentState;
struct ProfileSettings;

struct SignalKReports {
    // A wind update with both winds known, or one still waiting for a wind.
    std::function<void()> StepDue;
    std::function<void()> StepWaiting;
    // An update arrived: the silence watch starts again.
    std::function<void()> Input;
    // The link's word for either side ("" once streaming).
    std::function<void(bool input, const QString& text)> Status;
    // What panel 3 shows now, so that a word is not said twice.
    std::function<QString()> OutputShown;
    // The Options dialog's Input list, and the refusals.
    std::function<void(const QString& line, bool used)> Line;
    std::function<void(const QString& line)> LineError;
    // Every update as it arrived (in), and what went out (put, out).
    std::function<void(const QString& line)> Arrived;
    std::function<void(const QString& line)> Written;
    // The pilot's state or mode changed.
    std::function<void()> PilotChanged;
};

class SignalKLink : public QObject, public MessageLink {
    Q_OBJECT
public:
    // The profile keeps the access of an approved request here.
    static constexpr const char16_t* Section = u"SignalK";

    SignalKLink(const ProfileSettings& settings, InstrumentState& state, SignalKTiming timing,
                SignalKReports reports, QObject* parent = nullptr);
    ~SignalKLink() override;

    // Ports handed in by the caller (tests, a replay) take every number.
    void SetClaiming(bool claiming) { m_bClaiming = claiming; }

    bool Claims(int port) const override;
    bool Open(int port, bool input, QString& error) override;
    void Close(bool input) override;
    bool IsOpen(bool input) const override { return m_side[input ? 0 : 1].open; }
    QString Condition() const override;

    // The heading for the pilot when the autopilot side is open: sent as
    // its target while it steers a compass heading, else the reason shown.
    // False when the autopilot is not on Signal K. sline: the Output list's
    // line.
    bool SendTarget(float heading, QString& sline);
    // The pilot is on standby while the autopilot side is open.
    bool PilotStandby() const;
    // The wind angle Track holds (degrees), published when it changed.
    void PublishHeld(bool apparent, float degrees);
    // An alarm raised or cleared, as notifications.vanehold.<name>.
    void PublishAlarm(const QString& name, bool raised, const QString& text);
    // A record line of an update ("in path value"), taken as one from the
    // stream; false for any other line.
    bool ReplayLine(const QString& line);

    // "notifications.vanehold." + this: "AutoPilot Not Following" is
    // autoPilotNotFollowing.
    static QString NotificationName(const QString& alarm);
    // The reason no target goes to a pilot in this state and mode; "" when
    // it steers a compass heading.
    static QString PilotRefusal(const QString& state, const QString& mode);

private:
    struct Side {
        bool open = false;
        QString name; // the endpoint, as the profile names it
    };

    SignalKClient* ClientOf(int side) const;
    SignalKClient* Publisher() const;
    bool Serves(const SignalKClient* client, int side) const;
    void Release(const QString& name);
    SignalKClient* Make(const QString& name, QString& error);
    // One value in program units with its record line.
    void Take(const SignalKUpdate& update, const QString& line);
    void ShowStatus(SignalKClient* client);
    void ShowOutput(const QString& text);
    QString PilotText() const;
    void KeepToken(const QString& token, const QString& clientId);
    void Republish();

    const ProfileSettings& m_settings;
    InstrumentState& m_state;
    SignalKTiming m_timing;
    SignalKReports m_reports;
    bool m_bClaiming = true;
    Side m_side[2];
    std::map<QString, std::unique_ptr<SignalKClient>> m_clients;
    // Each client's last word on its connection.
    std::map<const SignalKClient*, QString> m_words;
    // The record line of the update being taken.
    QString m_sLine;
    // What was said on the output side: a server's error answer stays
    // until a target is taken again.
    QString m_sAnswer;
    bool m_bTokenRefused = false;
    // The wind values paired into one setter call, and the waypoint.
    std::optional<float> m_apparentSpeed, m_trueSpeed, m_trueAngle;
    std::optional<float> m_waypointBearingTrue, m_waypointBearingMagnetic, m_waypointRange;
    // What was published, sent again when the stream is back.
    std::optional<std::pair<bool, float>> m_held;
    std::map<QString, std::pair<bool, QString>> m_alarms;
};
