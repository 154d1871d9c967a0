#pragma once
// The tracking modes and the wind-angle control loop. In Track mode each
// wind measurement moves the heading commanded to the autopilot,
// m_fAutoPilot, through a proportional-plus-integral filter so that the
// boat holds the desired apparent or true wind angle; an alarm watches the
// error. Angles in degrees, wind angles -180..180 positive to starboard.

#include "PilotOutput.h"
#include "ProfileSettings.h"

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <functional>

class InstrumentState;
class SerialLinks;

// The wind angle the loop tracks; also the index of its desired angle and
// error (m_fDesired(1), (2)).
enum class TrackAngle : int { Apparent = 1, True = 2 };

// What the modes and the control step report, as they happen, in their own
// terms: the owner decides what is shown and how.
struct TrackReports {
    // The mode in force: entered, or kept when a change was refused.
    std::function<void(TrackMode mode)> ModeEntered;
    // The tracked wind angle, selected again by every mode procedure.
    std::function<void(TrackAngle angle)> AngleTracked;
    // The state of the input and output line: "" when there is nothing to
    // say (a mode change clears both), else the design's words.
    std::function<void(const QString& text)> InputStatus;
    std::function<void(const QString& text)> OutputStatus;
    // The heading commanded, the desired angles and the errors (index 1
    // apparent, 2 true), in degrees.
    std::function<void(float heading)> AutoPilot;
    std::function<void(int index, float value)> Desired;
    std::function<void(int index, float value)> Delta;
    // The error of angle index is beyond the alarm limit (true) or no
    // longer (false).
    std::function<void(int index, bool alarm)> DeltaAlarm;
    // The tracked error is beyond the alarm limit (raised, with the error
    // in degrees) or back within it.
    std::function<void(bool raised, float error)> LimitAlarm;
    // A reading of the loop for the History chart ("Pilot Heading",
    // "Pilot Delta"), in degrees.
    std::function<void(const QString& name, float value)> PilotReading;
    // The Options dialog's list of sent sentences: the sentence without
    // its line end, valid during the call.
    std::function<void(QStringView sline)> SentenceSent;
    // The heading for an autopilot that takes it otherwise than as an APB
    // sentence (a Signal K server): true when it was handled, with the
    // Output list's line in sline.
    std::function<bool(float heading, QString& sline)> Target;
};

class TrackControl {
public:
    TrackControl(ProfileSettings& settings, InstrumentState& state, SerialLinks& links, TrackReports reports);

    // Track holds the heading while set: a source the tracked angle needs
    // has gone quiet, or the boat does not follow.
    void SetHold(bool hold) { m_bHold = hold; }
    // The heading a step may command instead of to, the boat's heading
    // being from (or the last command): never across the wind, never far
    // ahead of the boat. Unset, a step commands what the filter gives.
    using Bound = std::function<float(float from, float to)>;
    void SetBound(Bound bound) { m_bound = std::move(bound); }

    void SetOff();
    void SetSetup();
    void SetManual();
    void SetTrack();
    // Delta in degrees, positive to starboard.
    void SteerTo(float Delta);
    // One control step, once per wind measurement.
    void Step();
    // Steps taken so far (in any mode but Off).
    int64_t Steps() const { return m_lSteps; }
    // A wind measurement that cannot make a step because a value has never
    // arrived: in Manual and Track the output status says which.
    void TrackWait();
    // Gains from bandwidth and damping, integral cleared. False, gains
    // untouched, when the loop would not settle with them (see
    // TrackLoopStable).
    bool TrackFilterInit();
    // Heading moves by K2 times the error plus the integral; the integral
    // grows by K1 times the error. Both are bounded (see FilterLimit).
    void TrackFilter(float Error, float& Heading);

    // The integral, in degrees of error, never holds more than this: a
    // steady offset the loop must take out (leeway, a misaligned vane) is a
    // few degrees, so a larger sum only means the boat is not following
    // (autopilot in standby) and would turn the heading on its own later.
    static constexpr double IntegralLimit = 45;
    // The error plus the integral that one step acts on is held within
    // +-180: no step turns the boat further than the proportional answer to
    // the largest possible error (about 35 degrees at the default gains).
    static constexpr double StepLimit = 180;

    // Whether the loop, with the boat following the heading at once,
    // settles from any start for bandwidth B and damping D (both roots of
    // its characteristic polynomial inside the unit circle).
    static bool TrackLoopStable(double Bandwidth, double Damping);
    // The shortest bandwidth, in whole tenths of a second, with which the
    // loop settles at this damping; 0 when no bandwidth makes it settle.
    static double TrackBandwidthMinimum(double Damping);
    // Selects the tracked angle.
    void SelectControl(TrackAngle angle);

    // A text box's number: read from the start of the text, 0 when there is
    // none. False, value untouched, for a number no heading can be (it
    // would overflow, and the autopilot would be sent "inf").
    static bool ReadAngleText(const QString& text, float& value);
    // txtAutoPilot and txtDesired(index) as the user leaves them: a heading
    // is taken within one turn (-5 is 355), a desired angle within
    // -180..180, and the box shows what was taken when it had to change.
    void StoreAutoPilot(const QString& text);
    void StoreDesired(int index, const QString& text);

    // 1 apparent, 2 true.
    int SelectedControl() const { return m_iControl; }
    bool AlarmActive() const { return m_bAlarmActive; }
    // Angle errors of the last step: 1 apparent, 2 true.
    float Error(int index) const { return m_fError[index]; }
    double FilterS() const { return m_dS; }
    double FilterK1() const { return m_dK1; }
    double FilterK2() const { return m_dK2; }

    // Whether bandwidth B and damping D make a loop that settles, and if
    // not, why: a bandwidth not above 0 (the gains would divide by it, or
    // turn the loop around), a damping no bandwidth settles with, or a
    // bandwidth shorter than Minimum (see TrackBandwidthMinimum).
    struct LoopVerdict {
        enum Kind { Settles, BandwidthNotAbove0, DampingNotAbove0, BandwidthTooShort } eKind = Settles;
        double fMinimum = 0;
    };
    static LoopVerdict TrackLoopVerdict(double Bandwidth, double Damping);
    // The output status when Track is refused for a bandwidth that is not
    // above 0.
    static QString BandwidthRefusedText() { return QStringLiteral("Track Refused - Bandwidth Must Be Above 0"); }
    // Why Track is refused for these settings; "" when it is not.
    static QString TrackRefusedText(double Bandwidth, double Damping);
    // Why these settings are not taken at all (the Options dialog's Apply);
    // "" when they are.
    static QString TrackGainsProblem(double Bandwidth, double Damping);

private:
    void ClearLimitAlarm();
    // Sends the heading, whole turns taken off; a heading that is not a
    // number is never sent.
    void SendAutoPilot();

    ProfileSettings& m_settings;
    InstrumentState& m_state;
    SerialLinks& m_links;
    TrackReports m_reports;
    Bound m_bound;
    bool m_bHold = false;
    int m_iControl = 1;
    double m_dS = 0;
    double m_dK1 = 0;
    double m_dK2 = 0;
    float m_fError[3] = {0, 0, 0};
    bool m_bAlarmActive = false;
    bool m_bWaiting = false;
    int64_t m_lSteps = 0;
    PilotSender m_output;
};

Q_DECLARE_METATYPE(TrackAngle)
Q_DECLARE_METATYPE(TrackMode)
