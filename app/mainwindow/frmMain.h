#pragma once
// The main window: owns the steering core and shows it. A mode toolbar, the
// autopilot heading, the desired wind angles with their errors and steer
// buttons, seven instrument values, a three-panel status bar and a menu.
// Closing it ends the program.
//
// Every control carries its name as objectName; indexed controls add
// "_" and the index ("cmdAutoPilot_1", "lblDelta_0", "tbrTrack_5",
// "StatusBar_2").

#include "AlarmBanner.h"
#include "CoreRunner.h"
#include "MainView.h"
#include "SteeringCore.h"
#include "frmHistory.h"
#include "frmPolar.h"
#include "frmOptions.h"
#include "frmTack.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShortcut;
class frmAbout;
class frmDiagram;
class frmHelp;
class HelpKey;

// What the window takes from its surroundings. Tests replace the core's
// ports, clock and timers, the prompts and the beep; the program uses the
// defaults.
struct MainWindowSetup {
    CoreSetup Core;
    // The core runs on a thread of its own (the program); tests keep it on
    // theirs.
    bool CoreThread = false;
    // tmrUnload ticks only when a test calls tmrUnload_Timer.
    bool ManualTimers = false;
    // Yes/No question (title, text); true for Yes.
    std::function<bool(QWidget* parent, const QString& title, const QString& text)> AskYesNo;
    std::function<void()> Beep;
    // A choice between buttons (title, text, captions); the index of the
    // one pressed, -1 for Cancel.
    std::function<int(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons)>
        Choose;
    // A warning the user must see (title, text).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> Warn;
    // What the Polar window takes (its prompts and dialogs).
    PolarWindowSetup Polar;
    // Message boxes, noise and serial devices of the Options dialog.
    OptionsSetup Options;
    // What the History window takes (its chart clock and message box).
    HistoryWindowSetup History;
};

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(MainWindowSetup setup = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start: defaults, profile, the boxes, Setup (Manual when simulating).
    void Form_Load();

    // The core, for connecting to it and, on its own thread, for tests.
    SteeringCore& Core() { return m_core; }
    // The core as windows call it.
    CoreRunner& Runner() { return m_runner; }

    // The other windows, each made on first use.
    frmOptions& Options();
    frmDiagram& Diagram();
    frmAbout& About();
    // Help > Contents (F1 from any window of the program).
    frmHelp& Help();

    // Closing asked for by the system (shutdown, terminal gone): the same
    // orderly close, without the question nobody is there to answer, and
    // whatever dialog is open.
    void CloseForShutdown();

    // Places a window below this one, inside the screen, and shows it.
    void ShowBelow(QWidget* window);

    // The History and Polar windows, made on first use (hidden when the
    // first use is a value handed to them), shown modeless.
    void ShowWindow(CoreWindow window);
    frmHistory& HistoryWindow();
    frmPolar& PolarWindow();
    // The Tack dialog, made (and its profile keys read) on first use.
    frmTack& TackWindow();

    // Public so that tests with manual timers can tick it.
    void tmrUnload_Timer();
    SwitchTimer& tmrUnload() { return *m_tmrUnload; }

    // Text of a status bar panel, 1..3 (the whole text, also where the
    // panel is too narrow to show it).
    QString Panel(int index) const;
    // What the window shows, as texts and states.
    const MainView& View() const { return m_view; }
    // The alarm strip over the active window.
    AlarmBanner& Banner() { return *m_banner; }

    // View > Night Mode: every window of the program dark red or back to
    // its usual colours. The choice goes into the settings record, which
    // the profile keeps; Form_Load applies the stored one.
    void mnuViewNight_Click(bool on);

    // The toolbar: buttons 1 Off, 3 Setup, 5 Manual, 7 Track; the
    // separators between them (2, 4, 6) do nothing.
    void tbrTrack_ButtonClick(int index);
    // The option buttons: 1 tracks the apparent, 2 the true wind angle.
    void optControl_Click(int Index);
    // A steer button: index 2 is "To Starboard", any other "To Port".
    void cmdSteer_Click(int Index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildToolbar();
    void BuildShortcuts();
    void Bind();
    QWidget* Control(MainControl control, int index) const;
    // Enter or leaving the box: the text goes into the member.
    void StoreTextBox(QLineEdit* box);
    void ShowDeltaAlarm(int index, bool alarm);
    // The palette of a value box or label, by day or at night.
    static QPalette ValuePalette();
    void ShowValueGreyed(InstrumentValue which, bool greyed);
    void RequestForeground();
    // Manual asked for far from the boat's heading: which heading to steer.
    void AskEngage(bool headingKnown, float boatHeading, float autoPilot);
    void ShowCaption();
    void ShowDiagram();
    // The settings record's night mode on the program, the menu and the
    // window's own pictures.
    void ShowNightMode();

    MainWindowSetup m_setup;
    CoreRunner m_runner;
    // Connected to only: calls go through m_runner.
    SteeringCore& m_core;
    MainView m_view;
    std::unique_ptr<frmHistory> m_history;
    // Readings that came before the History window was made, for it.
    std::vector<std::function<void(frmHistory&)>> m_historyPending;
    QAction* mnuViewHistory = nullptr;
    std::unique_ptr<frmPolar> m_polar;
    std::unique_ptr<frmTack> m_tack;
    QAction* mnuViewPolar = nullptr;
    std::unique_ptr<SwitchTimer> m_tmrUnload;
    bool m_bShutdown = false;
    bool m_bClosing = false;
    QString m_sWindIndicator;

    QAction* m_modeButtons[8] = {};
    // The toolbar pictures by day; tinted from these at night.
    QIcon m_modeImages[8];
    // Whether lblDelta(1), (2) show the alarm, to be shown again in the
    // other palette.
    bool m_bAlarm[3] = {};
    QLabel* m_panels[4] = {};
    AlarmBanner* m_banner = nullptr;
    // Escape stops the alarm sound; enabled only while it sounds, so that
    // otherwise Escape closes dialogs as usual.
    QShortcut* m_keyAcknowledge = nullptr;
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
    QAction* mnuViewDiagram = nullptr;
    QAction* mnuViewNight = nullptr;

    // Children of this window, deleted before the core they show.
    frmOptions* m_options = nullptr;
    frmDiagram* m_diagram = nullptr;
    frmAbout* m_about = nullptr;
    frmHelp* m_help = nullptr;
    HelpKey* m_helpKey = nullptr;
};
