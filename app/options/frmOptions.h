#pragma once
// The Options dialog: the editor of the settings record and the live
// monitor of both serial links. Six tabs (Input, Data, Output, Tracking,
// Simulate, Diagram); edits take effect on Apply or OK, and a bold Apply
// marks edits not yet applied. Modeless; hidden on OK and Cancel.
//
// Every control carries its name as objectName; indexed controls add "_"
// and the index ("optNmeaDataFormat_1", "vscSimulateTime_0").

#include "OptionsHost.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTreeWidget;
class TrackPicture;

// What the dialog takes from its surroundings; tests replace all three.
struct OptionsSetup {
    // A message box with OK only (title, text).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> Message;
    // Noise of the response preview, 0 up to below 1.
    std::function<double()> Random;
    // Serial devices present, offered for each port number.
    std::function<QStringList()> SerialDevices;
    // An input box (title, prompt, text to edit); false when cancelled.
    std::function<bool(QWidget* parent, const QString& title, const QString& prompt, QString& text)> InputBox;
};

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Tabs of SSTab.
    enum Tab { TabInput = 0, TabData, TabOutput, TabTracking, TabSimulate, TabDiagram };
    // Lines kept in each live list.
    static constexpr int ListLines = 101;

    explicit frmOptions(OptionsHost& host, OptionsSetup setup = {}, QWidget* parent = nullptr);

    // The menu commands choose the tab first, then show the dialog centred.
    void SetTab(int index);
    void ShowCenter();

    // The live lists, fed by the host: received sentences (bChecked: a
    // value was taken from it), rejected lines, sentences sent.
    void NmeaData(const QString& sline, bool bChecked);
    void NmeaError(const QString& sline);
    void NmeaList(const QString& text, bool highlight);
    void PilotData(const QString& sline);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildInput();
    QWidget* BuildData();
    QWidget* BuildOutput();
    QWidget* BuildTracking();
    QWidget* BuildSimulate();
    QWidget* BuildDiagram();
    void Bind();
    QLineEdit* NewBox(QWidget* parent, const char* name, const QString& tip);
    void AddToList(QListWidget* list, const QString& text, bool highlight);

    void OptionsLoad();
    // The boxes read into Change, the host applies it.
    bool OptionsApply();
    // Every box into Change, in the order of Apply, up to the first that
    // cannot be taken (false: Part and Why say which and why).
    bool OptionsRead(SettingsChange& change, SettingsPart& part, QString& why);
    void MarkChanged();
    void SetApplyBold(bool bold);
    void SimulateWaypointShow();
    void TrackResponseDraw();
    void ScrollStep(bool time, int index, int value);
    // Port number boxes (0 instrument, 1 autopilot): the device the typed
    // number maps to, or the device picked for it.
    void ShowDevice(int link);
    void FillDevices();
    // A "Network..." entry: the user edits its template (or the endpoint
    // the port has now) into the endpoint of the port number.
    void PickNetwork(int link, const QString& pattern);

    void cmdApply_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void SSTab_Click(int index);

    OptionsHost& m_host;
    OptionsSetup m_setup;
    bool m_bLoading = false;
    // Devices picked for the typed port numbers, written at Apply.
    QString m_sDevice[2];

    QTabWidget* SSTab = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

    QLineEdit* txtNmeaPort = nullptr;
    QLabel* lblNmeaStatus = nullptr;
    QRadioButton* optNmeaListOn = nullptr;
    QRadioButton* optNmeaListOff = nullptr;
    QRadioButton* optNmeaDataFormat[3] = {};
    QListWidget* lstNmeaData = nullptr;

    QTreeWidget* lstNmeaSentence = nullptr;
    QComboBox* cmbNmeaHeading = nullptr;
    QComboBox* cmbNmeaBoatSpeed = nullptr;
    QComboBox* cmbNmeaTrueWind = nullptr;
    QLineEdit* txtNmeaTrueWindAverage = nullptr;
    QLineEdit* txtNmeaWindIndicatorAverage = nullptr;

    QLineEdit* txtPilotPort = nullptr;
    QLabel* lblPilotStatus = nullptr;
    QRadioButton* optPilotListOn = nullptr;
    QRadioButton* OptPilotListOff = nullptr;
    QListWidget* lstPilotData = nullptr;

    QLabel* lblDevice[2] = {};
    QComboBox* cmbDevice[2] = {};

    QCheckBox* chkTrackAlarm = nullptr;
    QLineEdit* txtTrackAlarmLimit = nullptr;
    QLineEdit* txtTrackBandwidth = nullptr;
    QLineEdit* txtTrackDamping = nullptr;
    QLineEdit* txtTrackMaxSteerTo = nullptr;
    QGroupBox* frmTrack = nullptr;
    TrackPicture* pctTrack = nullptr;
    QLineEdit* txtTrackOffset = nullptr;
    QLineEdit* txtTrackNoise = nullptr;
    QLineEdit* txtTrackTime = nullptr;
    QLineEdit* txtTrackMin = nullptr;
    QLineEdit* txtTrackMax = nullptr;

    QCheckBox* chkSimulate = nullptr;
    QGroupBox* frmSimulate = nullptr;
    QLineEdit* txtSimulateBoatSpeed = nullptr;
    QLineEdit* txtSimulateTrueWindAngle = nullptr;
    QLineEdit* txtSimulateTrueWindSpeed = nullptr;
    QLineEdit* txtSimulateVariation = nullptr;
    QLineEdit* txtSimulateCompassOffset = nullptr;
    QLineEdit* txtSimulateNoiseAngle = nullptr;
    QLineEdit* txtSimulateNoiseSpeed = nullptr;
    QLineEdit* txtSimulateWaypointBrg = nullptr;
    QLineEdit* txtSimulateWaypointRng = nullptr;
    QLineEdit* txtSimulateTime = nullptr;
    QScrollBar* vscSimulateTime[2] = {};
    QScrollBar* vscSimulateTrueWindAngle[2] = {};
    QLabel* lblSimulateWaypointBrg = nullptr;
    QLabel* lblSimulateWaypointRng = nullptr;
    QCheckBox* chkSimulateAutoApply = nullptr;
};
