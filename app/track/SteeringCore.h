#pragma once
// The program's owner of everything shared, without a widget: the settings
// record, the instrument state, the receive path, both serial links and
// their ports, the link timer, the control loop, the simulator and the
// profile. Each window takes what it uses of it (the Options dialog its
// OptionsHost face, the Polar window its PolarHost face, the History window
// the profile path), calls its procedures and shows what it reports through
// its signals; no window reaches another.

#include "AlarmList.h"
#include "InstrumentState.h"
#include "InstrumentValues.h"
#include "NmeaReceiver.h"
#include "OptionsHost.h"
#include "PolarHost.h"
#include "ProfileHost.h"
#include "ProfileSettings.h"
#include "SerialLinks.h"
#include "SerialPortFactory.h"
#include "SettingsProfile.h"
#include "SignalKLink.h"
#include "Simulator.h"
#include "SteeringWatch.h"
#include "TackProcedure.h"
#include "TrackControl.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class SerialPort;

// What the core takes from its surroundings. Tests hand in fake ports, a
// clock, noise and timers they tick themselves; the program uses the
// defaults.
struct CoreSetup {
    // tmrNmea ticks only when tmrNmea_Timer is called.
    bool ManualTimers = false;
    // Noise source of the simulator, 0 up to below 1.
    std::function<double()> Random;
    // Profile path from the command line; empty for the usual place.
    QString ProfileFile;
    // Simulate whatever the profile says (command line), for this run only.
    bool ForceSimulate = false;
    // Makes the two ports; empty for real serial devices. Ports handed in
    // take every number, a Signal K server's too.
    SerialPortFactory::Creator Ports;
    // The pauses and waits of a Signal K server's connection.
    SignalKTiming SignalK;
    // Milliseconds on a steady clock, for the age of instrument values.
    std::function<int64_t()> Clock;
    // The local date and time of what is happening: now, or the time of a
    // replayed line.
    std::function<QDateTime()> WallClock;
    // History readings carry the time of what is happening (a replay
    // shows the day as it was sailed); otherwise the chart's own clock.
    bool StampReadings = false;
};

// The windows whose visibility the profile keeps.
enum class CoreWindow { History, Polar };

class SteeringCore : public QObject,
                     public PolarHost,
                     public OptionsHost,
                     private ProfileHost {
    Q_OBJECT
public:
    // A value not refreshed for this long is shown as stale, and Track does
    // not act on an angle worked out from it. Instruments send once or
    // twice a second; five seconds is several missed sentences in a row.
    static constexpr int64_t StaleMilliseconds = 5000;

    explicit SteeringCore(CoreSetup setup = {}, QObject* parent = nullptr);
    ~SteeringCore() override;

    // The settings record: read and written by the windows.
    ProfileSettings& Settings() { return m_settings; }
    const ProfileSettings& Settings() const override { return m_settings; }
    const InstrumentState& State() const { return *m_state; }
    // Filter, errors and alarm of the control loop.
    const TrackControl& Track() const { return *m_track; }

    // Defaults, the profile (when bRecall), then Setup (Manual when
    // simulating).
    void ProfileInitialize(bool bRecall);
    void ProfileRecall();
    // Writes every stored setting; false when the file was not written.
    bool ProfileSave();

    bool NmeaStart() { return m_links->NmeaStart(); }
    void NmeaStop() { m_links->NmeaStop(); }
    bool PilotStart() { return m_links->PilotStart(); }
    void PilotStop() { m_links->PilotStop(); }
    QString NmeaStatusText() const override { return m_links->NmeaStatusText(); }
    // Whether the instrument port is open, and whether the autopilot
    // sentences go out on an open port (their own, or the instrument port
    // they share in Manual and Track).
    bool NmeaPortOpen() const;
    bool PilotPortOpen() const;
    QString PilotStatusText() const override { return m_links->PilotStatusText(); }

    // A mode change ends a tack or steer walk first: two hands never steer
    // at once.
    void TrackSetOff();
    void TrackSetSetup() override;
    // From Setup, with the AutoPilot box far from the boat's fresh heading
    // or no heading known, nothing is sent: EngageAsked asks the sailor,
    // who answers with TrackEngage. The simulated boat follows whatever it
    // is sent, so simulating engages at once.
    void TrackSetManual() override;
    // Manual on this heading, as the sailor confirmed it.
    void TrackEngage(float Heading);
    void TrackSetTrack();
    // The wind angle Track holds.
    void TrackSelect(TrackAngle angle) { m_track->SelectControl(angle); }
    // Degrees, positive to starboard. Outside Track the heading box's text
    // is taken first, whoever steers (a button, the Tack dialog).
    void TrackSteerTo(float Delta);
    // The heading box as the sailor types in it, before it is stored.
    void AutoPilotTextEdited(const QString& text);
    // The sailor steers by Delta degrees (-1 to port, +1 to starboard): a
    // walk under way ends, and outside Track the heading box's text is
    // taken first.
    void SailorSteerTo(float Delta, const QString& autoPilotText);
    void TrackStep();
    // The heading and desired boxes as the user leaves them.
    // In Setup the box follows the boat's heading until the sailor types.
    void StoreAutoPilotText(const QString& text);
    void StoreDesiredText(int index, const QString& text) { m_track->StoreDesired(index, text); }
    void SimulateTime(float Time, float& Bearing, float& Range) override
    {
        m_simulator->SimulateTime(Time, Bearing, Range);
    }

    // One tick of the one-second link timer: a simulation step or the
    // silence watch, then the age of every value.
    void tmrNmea_Timer();
    SwitchTimer& tmrNmea() { return *m_tmrNmea; }
    bool ReceiveBusy() const { return m_receiver->ReceiveBusy(); }
    // A replay's line straight to the receive path (see
    // NmeaReceiver::ReceiveLine), and a counter of every line it processes
    // (null for none).
    bool ReceiveLine(const QString& line) { return m_signalK->ReplayLine(line) || m_receiver->ReceiveLine(line); }
    void SetLineCounter(NmeaLineCounter counter) { m_receiver->SetLineCounter(std::move(counter)); }
    // Each sentence for the autopilot as it is made, by direct call (a
    // report counts them); null for none.
    void SetPilotCounter(std::function<void(QStringView sentence)> counter) { m_pilotCounter = std::move(counter); }
    // Whoever records every line received and every sentence's fate says so
    // when it connects: LineReceived and PilotOutcome are made only from
    // then on, as a signal per line costs more than the line's decoding.
    void SetRecorded();
    // Whether what only windows show is reported: the values, the wind
    // indicator, the heading, desired angles and errors, the History
    // readings, the Polar values and the Options dialog's lines received.
    // A report has no window: none of it is made then, whoever listens.
    void SetWindowsFed(bool fed) { m_bWindowsFed = fed; }
    // With the windows on another thread: what an instrument port's event
    // changed for them goes there at once, as one call to context (an
    // object of their thread that outlives the core), instead of one call
    // per signal.
    void SetViewContext(QObject* context) { m_viewContext = context; }

    // The tack, jibe and steer procedure and its one-second timer.
    TackProcedure& Tack() { return *m_tack; }
    SwitchTimer& TimerTack() { return *m_tmrTack; }
    void TimerTack_Timer() { m_tack->TimerTack_Timer(); }
    void TackSetValue(float SteerTo, float Heading, float AutoPilot, float WindAngle)
    {
        m_tack->SetValue(SteerTo, Heading, AutoPilot, WindAngle);
    }
    bool TackStart(const QString& heading, const QString& overshoot, const QString& rate, QString& why)
    {
        return m_tack->Start(heading, overshoot, rate, why);
    }
    void TackCancel() { m_tack->Cancel(); }
    // The Polar window's steer and tack buttons: the Tack dialog is asked
    // for, with the autopilot heading added.
    void TackRequest(float SteerTo, float Heading, float WindAngle) override
    {
        emit TackRequested(SteerTo, Heading, m_settings.m_fAutoPilot, WindAngle);
    }

    // The Options dialog's Apply (see OptionsHost): the links restart only
    // when a port, its device or Simulate changed; Track takes new gains at
    // once.
    bool ApplySettings(const SettingsChange& Change, SettingsRefusal& Refusal) override;
    void ConnectTraffic(QObject* Receiver, const LinkTraffic& Traffic) override;
    // The mode in force.
    TrackMode Mode() const { return m_settings.m_eTrackMode; }
    // View > Night Mode, kept in the profile.
    void SetNightMode(bool on) { m_settings.m_bNightMode = on; }

    // The sailor has heard the alarm: the sound stops until a new one.
    void AlarmAcknowledge();
    const AlarmList& Alarms() const { return m_alarms; }
    const SteeringWatch& Watch() const { return m_watch; }
    const SignalKLink& SignalK() const { return *m_signalK; }

    // The links stop; unless the receive path is still at work, the
    // profile is saved.
    enum class CloseResult { Busy, Saved, SaveFailed };
    CloseResult Close();

    // The local time of the values being handled (the replayed time while
    // replaying).
    QDateTime Now() const { return m_setup.WallClock(); }

    // The windows tell their visibility, which the profile keeps.
    void SetWindowVisible(CoreWindow window, bool visible);
    bool WindowVisible(CoreWindow window) const;
    // A reading for the History chart from another window ("Polar Speed").
    void ChartSetValue(const QString& name, float value, const QString& units) override;
    // The profile file and the program's folder, for the windows that keep
    // their own keys and files.
    QString ProfileFile() const override { return m_settings.m_sProfileFile; }
    QString ProgramFolder() const override;

signals:
    // The mode in force: entered, or kept when a change was refused or
    // waits for the sailor's answer (EngageAsked).
    void ModeChanged(TrackMode mode);
    // The wind angle Track holds, selected again by every mode change.
    void ControlSelected(TrackAngle angle);
    // The state of the input and of the output line in the design's words
    // ("No Input Data", "Reconnecting in 4 s", a checksum error); "" when
    // there is nothing to say. Alarms come apart (AlarmShown).
    void InputStatusChanged(const QString& text);
    void OutputStatusChanged(const QString& text);
    // A tack, jibe or steer walk under way ("Tack", degrees turned of the
    // whole), and its end.
    void TackProgress(const QString& word, float done, float total);
    void TackEnded();
    // The heading commanded, in degrees; walk: set by a step of the tack
    // walk.
    void AutoPilotChanged(float heading, bool walk);
    // The desired wind angles and their errors, in degrees: index 1
    // apparent, 2 true.
    void DesiredChanged(int index, float value);
    void DeltaChanged(int index, float value);
    // The error of angle index is beyond the alarm limit, or no longer.
    void DeltaAlarm(int index, bool alarm);
    void BeepRequested();
    void ForegroundRequested();
    // The most urgent alarm ("" when none) and whether it still sounds.
    void AlarmShown(const QString& text, bool sounding);
    // Each alarm as it comes and goes, by name ("Wind Shift") with the
    // text of the moment ("Wind Shift 25").
    void AlarmRaised(const QString& name, const QString& text);
    void AlarmCleared(const QString& name);
    // Manual was asked for with the AutoPilot box far from the boat's
    // heading (headingKnown false: no heading known): steer which?
    void EngageAsked(bool headingKnown, float boatHeading, float autoPilot);
    // An instrument value as it is set, or no longer known.
    void ValueChanged(InstrumentValue which, float value);
    void ValueCleared(InstrumentValue which);
    // A value went quiet (true) or is back (false).
    void ValueStale(InstrumentValue which, bool stale);
    // The true wind's compass point ("N-NE") and speed.
    void WindIndicatorChanged(const QString& point, float speed);
    // For the History window: a reading with its units.
    // stamp: when it was sailed (a replay), null for now.
    void HistoryReading(const QString& name, float value, const QString& units, const QDateTime& stamp);
    // For the Polar window, after each control step with boat speed known.
    void PolarValues(const InstrumentValues& values);
    // For the Options dialog: lines received (and whether a value was
    // taken), rejected lines, sentences sent, link states, lists emptied.
    void NmeaLine(const QString& sline, bool used);
    // Every line as it arrived, before any check (once SetRecorded).
    void LineReceived(const QString& line);
    void NmeaLineError(const QString& sline);
    void PilotSent(const QString& sline);
    // Each sentence for the autopilot once its fate is known: written to the
    // line, or never (a newer one replaced it while it waited, the link was
    // down, closed or not read). Once SetRecorded.
    void PilotOutcome(const QString& sline, bool written);
    void NmeaLinkStatus(const QString& text);
    void PilotLinkStatus(const QString& text);
    void NmeaLinesCleared();
    void PilotLinesCleared();
    // The profile asks for a window to be shown at start.
    void WindowRequested(CoreWindow window);
    // For the Tack dialog (SetValue's arguments).
    void TackRequested(float SteerTo, float Heading, float AutoPilot, float WindAngle);

private:
    // The age of a value, and which source a tracked angle waits for.
    bool Quiet(InstrumentValue which, int64_t now) const;

    // From the links, the control loop and the receive path.
    void SetInputStatus(const QString& text);
    // From the receive path and the simulator.
    void PolarSetValue(const InstrumentValues& values);
    // What windows show waits while the instrument port's event is at work,
    // so that the autopilot's sentence goes out before any label, chart or
    // plot is served; then it is shown in the order it came.
    template <class View>
    void ForViews(View&& view)
    {
        if (m_iViewsHeld > 0)
            m_views.emplace_back(std::forward<View>(view));
        else
            view();
    }
    void ReleaseViews();

    // What the instrument state reports, passed on only where a window
    // listens.
    void ClearValue(InstrumentValue which);
    void ShowNumber(InstrumentValue which, float value);
    void ShowWindIndicatorValue(const QString& point, float speed);

    // The output line's own status, under any alarm.
    void SetOutputStatus(const QString& text);

    // The heading a step may command (see TrackControl::SetBound).
    float TrackBound(float from, float to);
    void ShowLimitAlarm(bool raised, float error);
    // The heading commanded: what the box shows from now on (walk: in
    // the tack walk's general form).
    void ShowAutoPilot(float heading, bool walk = false);
    // The box's text of a heading shown, made when it is read.
    void SettleAutoPilotText();
    void ShowDesired(int index, float value);
    void ShowDelta(int index, float value);

    // ProfileHost
    void ShowProfileValues(const QString& autoPilot, const QString& desiredApparent,
                           const QString& desiredTrue) override;
    void ShowHistoryWindow() override;
    void ShowPolarWindow() override;
    bool HistoryWindowVisible() const override { return m_bWindowVisible[0]; }
    bool PolarWindowVisible() const override { return m_bWindowVisible[1]; }

    // A step of the tack walk: m_fAutoPilot is set to a, and the box
    // shows it (general form).
    void TackAutoPilot(float a);
    void ShowTackProgress();
    void TackCancelRunning();

    // Whether anyone takes what this signal reports.
    bool Watched(const QMetaMethod& signal) const;

    // The source the tracked angle (1 apparent, 2 true) is worked out from
    // when it has gone quiet ("Boat Speed"); "" while all are fresh.
    QString QuietSource(int index) const;
    bool HeadingFresh() const;
    // Every watch of the engaged autopilot, on each step and tick and
    // after each mode change; the sound repeated while nobody listens.
    void WatchAlarms(bool step = false);
    void SoundAlarm();
    void AfterModeChange();
    void RaiseAlarm(AlarmKind kind, const QString& name, const QString& text);
    void ClearAlarm(AlarmKind kind);
    // The most urgent alarm and whether it sounds, when that changed.
    void ShowAlarm();
    bool Engaged() const;

    // ApplySettings: every value the change brings within its limits; a
    // port, stored and its link restarted when it changed and is open.
    static bool SettingsValid(const ProfileSettings& now, const ProfileSettings& next, SettingsRefusal& refusal);
    bool ApplyPort(int link, int16_t port, const QString& device, SettingsRefusal& refusal);

    // The Signal K link, made with the links (SteeringSignalK.cpp).
    void MakeSignalK();

    // The stamp of the readings of this moment.
    QDateTime ReadingStamp();

    CoreSetup m_setup;
    ProfileSettings m_settings;
    int64_t m_lStampClock = 0;
    QDateTime m_stamp;
    std::unique_ptr<InstrumentState> m_state;
    std::unique_ptr<NmeaReceiver> m_receiver;
    SerialPort* m_nmeaPort = nullptr;
    SerialPort* m_pilotPort = nullptr;
    std::unique_ptr<SwitchTimer> m_tmrNmea;
    std::unique_ptr<SerialLinks> m_links;
    std::unique_ptr<SignalKLink> m_signalK;
    // Panel 2 shows a word an update clears.
    bool m_bInputStatusShown = false;
    std::unique_ptr<TrackControl> m_track;
    std::unique_ptr<Simulator> m_simulator;
    std::unique_ptr<SettingsProfile> m_profile;
    std::unique_ptr<SwitchTimer> m_tmrTack;
    std::unique_ptr<TackProcedure> m_tack;

    // The output line's own status, under any alarm.
    QString m_sOutputStatus;
    AlarmList m_alarms;
    SteeringWatch m_watch;
    // Track holds the heading (a quiet source, a boat not following).
    bool m_bHold = false;
    // Said once, until a heading is known again.
    bool m_bUnwatchedShown = false;
    // The AutoPilot box follows the heading in Setup until the sailor
    // types in it; what it was last shown, to tell a typed text.
    bool m_bAutoPilotTyped = false;
    QString m_sAutoPilotShown;
    // What the box holds now: shown or being typed.
    QString m_sAutoPilotBox;
    // A heading shown as a number: the two texts above are made of it
    // when they are read.
    bool m_bAutoPilotUnsettled = false;
    bool m_bAutoPilotWalk = false;
    float m_fAutoPilotUnsettled = 0;
    // What AlarmShown said last.
    QString m_sAlarmShown;
    bool m_bAlarmSounding = false;
    bool m_bWindowVisible[2] = {false, false};
    bool m_bWindowsFed = true;
    int m_iViewsHeld = 0;
    QObject* m_viewContext = nullptr;
    std::vector<std::function<void()>> m_views;
    std::function<void(QStringView)> m_pilotCounter;
    // Set once, maybe from the recorder's thread.
    std::atomic<bool> m_bRecorded{false};
    // The profile's own Simulate flag while the command line forces it on.
    bool m_bStoredSimulate = false;
    // When each value was last refreshed (-1: unknown), and whether it
    // is shown as stale.
    static constexpr int ValueCount = 7;
    int64_t m_lShownAt[ValueCount];
    bool m_bStale[ValueCount] = {};
};
