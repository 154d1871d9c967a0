#pragma once
// The Tack dialog: shows the steering core's tack, jibe or steer procedure,
// proposes the new heading with its rate and overshoot, and shows the walk
// to it. Modeless; it hides itself on OK's end and on Cancel and keeps its
// state until the next use. Controls carry their names as objectName.

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class CoreRunner;

class frmTack : public QDialog {
    Q_OBJECT
public:
    explicit frmTack(CoreRunner& core, QWidget* parent = nullptr);
    ~frmTack() override;

    // Reads the rates and overshoots of "Tack Data".
    void Form_Load();
    // Stops a walk and writes them back; once.
    void Form_Unload();

    // A proposed change: SteerTo and Heading 0..360, AutoPilot the current
    // autopilot heading, WindAngle the true wind angle -180..180. A small
    // steer goes to the control loop at once and the dialog stays hidden.
    void SetValue(float SteerTo, float Heading, float AutoPilot, float WindAngle);

    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void reject() override;

private:
    void ShowProposal();
    void ShowStart();
    void ShowStep();

    CoreRunner& m_core;
    bool m_bLoaded = false;

    QLineEdit* txtHeading = nullptr;
    QGroupBox* fraOptions = nullptr;
    QLabel* lblOvershoot = nullptr;
    QLineEdit* txtOvershoot = nullptr;
    QLabel* lblOvershootUnit = nullptr;
    QLineEdit* txtRate = nullptr;
    QListWidget* lstTack = nullptr;
    QProgressBar* ProgressBarTack = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
