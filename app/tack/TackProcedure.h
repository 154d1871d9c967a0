#pragma once
// The tack, jibe and steer procedure, free of widgets: it classifies a large
// heading change, proposes it, and after OK walks the autopilot heading to
// the new heading at a limited rate in Manual mode, overshooting tacks and
// jibes. Angles in degrees (wind angles -180..180 positive to starboard,
// headings 0..360), rates in degrees per second (one step per timer tick,
// a tick a second).

#include <QObject>
#include <QString>
#include <QStringList>

class SwitchTimer;

struct ProfileSettings;

class TackProcedure : public QObject {
    Q_OBJECT
public:
    enum Index { Steer = 1, Tack = 2, Jibe = 3 };
    enum class State { Idle, Proposed, Running };

    // The walk steers only in Manual, and settings say how large a change
    // is made without the dialog (m_fTrackMaxSteerTo).
    TackProcedure(const ProfileSettings& settings, SwitchTimer& TimerTack, QObject* parent = nullptr);

    // Per procedure index 1..3; 0 is unused. Rates <= 0 run at 10.
    float m_fRate[4] = {0, 10, 5, 5};
    float m_fOvershoot[4] = {0, 0, 10, 10};

    // The kind of change from the wind angle now (c) and after it (n):
    // strictly between 0 and +-90 on both sides of the bow a tack, beyond
    // +-90 on both sides of the stern a jibe, else a steer (direction 0).
    // Direction is +1 when the heading grows (a turn to starboard).
    static Index Classify(double c, double n, int& Direction);

    // A new proposal: stops a walk where it stands, then either steers a
    // small change at once (false) or proposes the dialog (true).
    bool SetValue(float SteerTo, float Heading, float AutoPilot, float WindAngle);
    // OK with the dialog's texts: Manual mode, then the walk starts. False,
    // with the reason, when a text is not a number or Manual could not be
    // entered; nothing is changed then.
    bool Start(const QString& heading, const QString& overshoot, const QString& rate, QString& why);
    // One step of the walk; the last one lands exactly on the target.
    void TimerTack_Timer();
    // Stops the walk where it stands; the heading stays at the last step.
    void Cancel();

    // Profile section "Tack Data": "Rate 1", "Overshoot 1", ... "Overshoot 3".
    void TackProfileRecall(const QString& profile);
    bool TackProfileSave(const QString& profile);

    State CurrentState() const { return m_eState; }
    bool Running() const { return m_eState == State::Running; }
    Index ProcedureIndex() const { return m_eIndex; }
    int Direction() const { return m_iDirection; }
    // "Tack", "Jibe" or "Steer".
    QString Word() const;
    // The lines of lstTack for the proposal.
    QStringList Steps() const;
    float SteerTo() const { return m_fSteerTo; }
    // The walk: total change (signed, the short way round), progress so far,
    // and the heading of the last step.
    float Total() const { return m_fTotal; }
    float ProgressDone() const { return m_fProgress; }
    float StepHeading() const { return m_fStepHeading; }

signals:
    // The dialog is to show the proposal (and the program beeps).
    void Proposed();
    // The walk began (OK) or made a step.
    void Started();
    void Stepped();
    // A walk ended: finished, cancelled, replaced by a new proposal, or
    // stopped because the mode left Manual.
    void Stopped();
    // The dialog is to hide; finished is true at the end of a walk.
    void Closed(bool finished);
    // A change small enough to steer at once, degrees positive to starboard.
    void SteerRequested(float Delta);
    // The walk needs Manual; the mode is read again right after.
    void ManualRequested();
    // The walk's next autopilot heading.
    void AutoPilotStepped(float heading);
    void BeepRequested();

private:
    void StopTimer();

    const ProfileSettings& m_settings;
    SwitchTimer& m_timer;
    State m_eState = State::Idle;
    Index m_eIndex = Steer;
    int m_iDirection = 0;
    float m_fSteerTo = 0;
    float m_fHeading = 0;
    float m_fAutoPilot = 0;
    float m_fStart = 0;
    float m_fOffset = 0;
    float m_fTotal = 0;
    float m_fStep = 0;
    float m_fProgress = 0;
    float m_fStepHeading = 0;
};
