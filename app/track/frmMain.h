#pragma once
// The main window: owner of the settings, the instrument state, both serial
// links, the receive path and the control loop. A mode toolbar, the
// autopilot heading, the desired wind angles with their errors and steer
// buttons, seven instrument values, a three-panel status bar and a menu.
// Closing it ends the program.
//
// Every control carries its name as objectName; indexed controls add
// "_" and the index ("cmdAutoPilot_1", "lblDelta_0", "tbrTrack_5",
// "StatusBar_2").

#include "InstrumentState.h"
#include "NmeaReceiver.h"
#include "ProfileHost.h"
#include "ProfileSettings.h"
#include "SerialLinks.h"
#include "SettingsProfile.h"
#include "Simulator.h"
#include "TrackControl.h"
#include "WindowViews.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SerialPort;

// What the window takes from its surroundings. Tests replace the timers,
// prompts and the noise (and the ports through SerialPortFactory); the
// program uses the defaults.
struct MainWindowSetup {
    // Timers that tick only when a test calls tmrNmea_Timer/tmrUnload_Timer.
    bool ManualTimers = false;
    // Yes/No question (title, text); true for Yes.
    std::function<bool(QWidget* parent, const QString& title, const QString& text)> AskYesNo;
    std::function<void()> Beep;
    // A warning the user must see (title, text).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> Warn;
    // Noise source of the simulator, 0 up to below 1.
    std::function<double()> Random;
    // Profile path from the command line; empty for the usual place.
    QString ProfileFile;
    // Simulate whatever the profile says (command line).
    bool ForceSimulate = false;
};

class frmMain : public QMainWindow,
                public NmeaReceiverHost,
                public InstrumentDisplay,
                public SerialLinksHost,
                public TrackHost,
                public SimulatorHost,
                public ProfileHost {
    Q_OBJECT
public:
    explicit frmMain(MainWindowSetup setup = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start: defaults, profile, the boxes, Setup (Manual when simulating).
    void Form_Load();

    // The settings record, read and written by the other windows.
    ProfileSettings& Settings() { return m_settings; }
    InstrumentState& State() { return *m_state; }
    NmeaReceiver& Receiver() { return *m_receiver; }
    SerialLinks& Links() { return *m_links; }
    TrackControl& Track() { return *m_track; }
    Simulator& Simulate() { return *m_simulator; }
    SerialPort& MSCommNmea() { return *m_nmeaPort; }
    SerialPort& MSCommPilot() { return *m_pilotPort; }

    bool NmeaStart() { return m_links->NmeaStart(); }
    void NmeaStop() { m_links->NmeaStop(); }
    bool PilotStart() { return m_links->PilotStart(); }
    void PilotStop() { m_links->PilotStop(); }
    void TrackSetOff() { m_track->TrackSetOff(); }
    void TrackSetSetup() override { m_track->TrackSetSetup(); }
    void TrackSetManual() override { m_track->TrackSetManual(); }
    void TrackSteerTo(float Delta) { m_track->TrackSteerTo(Delta); }
    void SimulateTime(float Time, float& Bearing, float& Range) { m_simulator->SimulateTime(Time, Bearing, Range); }

    void ProfileInitialize(bool bRecall);
    void ProfileRecall();
    bool ProfileSave();

    // Closing asked for by the system (shutdown, terminal gone): the same
    // orderly close, without the question nobody is there to answer.
    void CloseForShutdown();

    // Places a window below this one, inside the screen, and shows it.
    void ShowBelow(QWidget* window);

    // Timer events, public so that tests with manual timers can tick them.
    void tmrNmea_Timer();
    void tmrUnload_Timer();
    SwitchTimer& tmrNmea() { return *m_tmrNmea; }
    SwitchTimer& tmrUnload() { return *m_tmrUnload; }

    // Text of a status bar panel, 1..3.
    QString Panel(int index) const;

    // Later windows attach here.
    void SetOptionsView(OptionsView* view) { m_options = view; }
    void SetHistoryView(HistoryView* view) { m_history = view; }
    void SetPolarView(PolarView* view) { m_polar = view; }

    // NmeaReceiverHost
    QString InputStatus() const override;
    void SetInputStatus(const QString& text) override;
    void NmeaData(const QString& sline, bool bChecked) override;
    void NmeaError(const QString& sline) override;
    void TrackStep() override;
    void PolarSetValue(int16_t eTrackMode, bool bHeadingValid, float fHeading, float fBoatSpeed,
                       float fWindAngleApparent, float fWindSpeedApparent, float fWindAngleTrue,
                       float fWindSpeedTrue, bool bWaypointValid, float fWaypointBearing,
                       float fWaypointRange) override;

    // InstrumentDisplay
    void ShowValue(InstrumentValue which, const QString& text) override;
    void HistoryValue(const QString& name, float value, const QString& units) override;
    void ShowWindIndicator(const QString& text) override;

    // SerialLinksHost
    void SetOutputStatus(const QString& text) override;
    void NmeaStatus(const QString& text) override;
    void PilotStatus(const QString& text) override;
    void ClearNmeaData() override;
    void ClearPilotData() override;
    void SimulateStep() override;

    // TrackHost
    void SetModeButtonPressed(TrackMode button, bool pressed) override;
    void SetModeButtonEnabled(TrackMode button, bool enabled) override;
    void SetControlEnabled(TrackControlId control, int index, bool enabled) override;
    void SetModeStatus(const QString& text) override;
    void SelectOption(int index) override;
    QString AutoPilotText() const override;
    void ShowAutoPilot(const QString& text) override;
    void ShowDesired(int index, const QString& text) override;
    void ShowDelta(int index, const QString& text) override;
    void ShowDeltaAlarm(int index, bool alarm) override;
    void AlarmBeep() override;
    void RequestForeground() override;
    void ChartSetValue(const QString& name, const QString& value) override;
    void PilotData(const QString& sline) override;

    // ProfileHost. The History and Polar windows are not built yet; their
    // "Visible" flags are kept so that saving writes back what was read.
    void ShowProfileValues(const QString& autoPilot, const QString& desiredApparent,
                           const QString& desiredTrue) override;
    void ShowHistoryWindow() override { m_bHistoryVisible = true; }
    void ShowPolarWindow() override { m_bPolarVisible = true; }
    bool HistoryWindowVisible() const override { return m_bHistoryVisible; }
    bool PolarWindowVisible() const override { return m_bPolarVisible; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildToolbar();
    void BuildShortcuts();
    QWidget* Control(TrackControlId control, int index) const;
    // Enter or leaving the box: the text goes into the member.
    void StoreTextBox(QLineEdit* box);
    void ShowCaption();

    MainWindowSetup m_setup;
    bool m_bShutdown = false;
    ProfileSettings m_settings;
    std::unique_ptr<InstrumentState> m_state;
    std::unique_ptr<NmeaReceiver> m_receiver;
    // Children of the window.
    SerialPort* m_nmeaPort = nullptr;
    SerialPort* m_pilotPort = nullptr;
    std::unique_ptr<SwitchTimer> m_tmrNmea;
    std::unique_ptr<SwitchTimer> m_tmrUnload;
    std::unique_ptr<SerialLinks> m_links;
    std::unique_ptr<TrackControl> m_track;
    std::unique_ptr<Simulator> m_simulator;
    std::unique_ptr<SettingsProfile> m_profile;

    OptionsView* m_options = nullptr;
    HistoryView* m_history = nullptr;
    PolarView* m_polar = nullptr;

    bool m_bHistoryVisible = false;
    bool m_bPolarVisible = false;
    // The profile's own Simulate flag while the command line forces it on.
    bool m_bStoredSimulate = false;
    QString m_sWindIndicator;

    QAction* m_modeButtons[8] = {};
    QLabel* m_panels[4] = {};
    QLineEdit* txtAutoPilot = nullptr;
    QLineEdit* txtDesired[3] = {};
    QPushButton* cmdAutoPilot[3] = {};
    QPushButton* cmdDesiredApp[3] = {};
    QPushButton* cmdDesiredTrue[3] = {};
    QRadioButton* optControl[3] = {};
    QLabel* lblDesired = nullptr;
    QLabel* lblDelta[3] = {};
    QLabel* lblAppWindAngle[3] = {};
    QLabel* lblTrueWindAngle[3] = {};
    QLabel* m_values[7] = {};
};
