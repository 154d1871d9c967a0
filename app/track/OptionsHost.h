#pragma once
// What the Options dialog needs from the program: the settings record to
// show, one procedure that applies a new one, the texts and traffic of both
// links for its labels and live lists, and the simulated waypoint at a
// time. The steering core implements it.

#include "ProfileSettings.h"

#include <QString>

#include <functional>

class QObject;

// The parts of the settings in the order an apply takes them, one tab of
// the Options dialog each.
enum class SettingsPart { Data, Input, Output, Simulate, Tracking };

// A settings record to apply, and the device or network endpoint picked for
// each port number (0 instruments, 1 autopilot; empty when none was
// picked). Only the members the Options dialog edits are taken from Next:
// the mode, the headings, night mode and the profile path stay the owner's.
struct SettingsChange {
    ProfileSettings Next;
    QString Device[2];
};

// Why an apply stopped: the part, and the text for the user.
struct SettingsRefusal {
    SettingsPart ePart = SettingsPart::Data;
    QString sWhy;
};

// The traffic of both links: lines received (used: a value was taken),
// rejected lines, sentences sent, each link's state, lists to empty. A
// member left empty is not called.
struct LinkTraffic {
    std::function<void(const QString& sline, bool used)> NmeaLine;
    std::function<void(const QString& sline)> NmeaLineError;
    std::function<void(const QString& sline)> PilotSent;
    std::function<void(const QString& text)> NmeaLinkStatus;
    std::function<void(const QString& text)> PilotLinkStatus;
    std::function<void()> NmeaLinesCleared;
    std::function<void()> PilotLinesCleared;
};

class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    virtual const ProfileSettings& Settings() const = 0;
    // Applies Change in the order of SettingsPart. A value outside its
    // limits, or a bandwidth and damping the loop does not settle with,
    // refuses the whole change: nothing is applied and no link is touched.
    // A device that cannot be stored stops the apply at its port; the parts
    // before it stay applied. False with Refusal filled when it stopped.
    virtual bool ApplySettings(const SettingsChange& Change, SettingsRefusal& Refusal) = 0;
    virtual QString NmeaStatusText() const = 0;
    virtual QString PilotStatusText() const = 0;
    // The waypoint's bearing (magnetic) and range (nm) Time hours on; the
    // simulated time moves there.
    virtual void SimulateTime(float Time, float& Bearing, float& Range) = 0;
    // Traffic goes to Receiver's thread while Receiver lives.
    virtual void ConnectTraffic(QObject* Receiver, const LinkTraffic& Traffic) = 0;
};
