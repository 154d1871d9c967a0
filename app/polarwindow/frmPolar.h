#pragma once
// The Polar window: the performance polar as a full-circle plot with the
// live wind and speed on it, the polar speed for the History chart, the
// polar files and the window's settings.
//
// Controls carry their names as objectName; indexed ones add "_" and the
// index ("lblMouse_1", "mnuRange6", "mnuBoatType_0").

#include "CourseSearch.h"
#include "InstrumentValues.h"
#include "PolarHost.h"
#include "PolarPlot.h"
#include "PolarSettings.h"
#include "PolarTable.h"

#include <QImage>
#include <QMainWindow>
#include <QPixmap>

#include <functional>
#include <limits>
#include <memory>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

// The dialogs the window opens. Tests replace them; the program uses Qt's.
struct PolarWindowSetup {
    // Input box (prompt, title, default text): the answer, empty when
    // cancelled.
    std::function<QString(QWidget* parent, const QString& prompt, const QString& title, const QString& text)>
        InputBox;
    // Message box with an OK button (title, text).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> MessageBox;
    // Yes/No question with the exclamation icon (title, text); true for Yes.
    std::function<bool(QWidget* parent, const QString& title, const QString& text)> AskYesNo;
    // Open dialog (initial folder, file name, filter): true with the chosen
    // path, or false with the reason (a cancel included) in error.
    std::function<bool(QWidget* parent, const QString& folder, const QString& file, const QString& filter,
                       QString& chosen, QString& error)>
        OpenFile;
    // Save dialog, the same way; false when cancelled. It does not ask
    // about replacing a file: the window does.
    std::function<bool(QWidget* parent, const QString& folder, const QString& file, const QString& filter,
                       QString& chosen)>
        SaveFile;
    // Colour dialog: true with the chosen colour, false when cancelled.
    std::function<bool(QWidget* parent, const QColor& initial, QColor& chosen)> ChooseColor;
};

// What an input box accepts: above low (lowOpen) or from low, up to high.
struct NumberBounds {
    float low = -std::numeric_limits<float>::max();
    bool lowOpen = false;
    float high = std::numeric_limits<float>::max();
};

class frmPolar : public QMainWindow {
    Q_OBJECT
public:
    explicit frmPolar(PolarHost& host, PolarWindowSetup setup = {}, QWidget* parent = nullptr);
    ~frmPolar() override;

    // Creation: Initialize(true), which reads the settings and the main
    // polar. The window stays hidden until shown.
    void Form_Load();
    // Saves the settings; also done when the window is closed or deleted.
    void Form_Unload();
    // Every setting to its default, the profile when bRecall, the menus,
    // then the main polar (a failure is shown, the table stays empty).
    void Initialize(bool bRecall);

    // One set of live values from the main window. Averages always; only
    // a visible window looks up the polar speed, draws and feeds the chart.
    void SetValue(const InstrumentValues& values);

    // Full redraw: grid, curves and legends; after every setting change,
    // a good file read and a resize.
    void PolarRedraw();

    const PolarTable& Table() const { return *m_table; }
    const PolarSettings& Settings() const { return m_settings; }
    const PolarLive& Live() const { return m_live; }
    float PolarSpeed() const { return m_fPolarSpeed; }
    int PolarCount() const { return m_iPolarCount; }

    // The Course menu's choice of target, index 0..2: the ticked one again
    // turns course mode off.
    void mnuCourseWaypoint_Click(int Index);

    // What the last course update worked out; kept until the next one.
    float SteerChange() const { return m_fSteerChange; }
    float TackHeading() const { return m_fTackHeading; }
    float TargetSpeed() const { return m_fTargetSpeed; }

    // The steer buttons: the nearer leg, and the other leg (a tack or a
    // jibe), through the Tack dialog.
    void cmdSteer_Click();
    void cmdTack_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A new palette (night mode): the layers are drawn again in it.
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildControls();
    QAction* Item(QMenu* menu, const QString& name, const QString& caption, std::function<void()> command,
                  bool checkable = true);
    // A menu command: the setting changes, then the menus and the plot.
    void Command(const std::function<void()>& change);

    void PolarProfileRecall();
    void PolarProfileSave();
    void PolarMenuRefresh();
    // Reads a file into a polar: all or nothing, a failure shown. The
    // caller takes the name and the factor and redraws only on success.
    bool PolarFileRead(int Polar, const QString& path, float speedFactor);
    void PolarFileOpen(int Polar);
    void PolarFileSaveAs();
    // Asks for a number until one within the bounds is given; false when
    // the answer is empty.
    bool AskNumber(const QString& prompt, const QString& title, float current, float& value,
                   NumberBounds bounds = {});
    void ShowMessage(const QString& text);

    void StaticLayerBegin();
    void LiveLayerClear();
    void PolarDrawLegend();
    void PolarDrawCurrent();
    void LiveUpdate();
    void CourseUpdate(float Heading, float Bearing, float WindAngle, float WindSpeed, float BoatSpeed,
                      float PolarSpeed);
    QColor ToneColor(CourseTone tone) const;
    // The steer and tack controls in the colours of the last course update.
    void ShowTones();
    void Form_Resize();
    void Form_MouseDown(Qt::MouseButton button, int X, int Y);
    void Form_MouseMove(int X, int Y);
    void MouseLabelPlace(double PX, double PY);
    void PaintCanvas(QPainter& painter, const QRect& area);
    QString ProfileFolder() const;

    PolarHost& m_host;
    PolarWindowSetup m_setup;
    PolarSettings m_settings;
    std::unique_ptr<PolarTable> m_table;
    PolarLive m_live;
    PolarPlot m_plot;
    int m_iPolarCount = 1;
    int32_t m_lTrackModeLast = 0;
    float m_fPolarSpeed = 0;
    // Filled by the course update.
    float m_fTargetSpeed = 0;
    float m_fSteerChange = 0;
    float m_fTackHeading = 0;
    bool m_bTackShown = false;
    CourseTone m_eSteerTone = CourseTone::None;
    CourseTone m_eTackTone = CourseTone::None;
    // A live update runs to its end on one set of values: values that
    // arrive meanwhile (from an event handled inside it) wait, the latest
    // replacing older ones, and are taken right after it.
    bool m_bLiveBusy = false;
    bool m_bLivePending = false;
    InstrumentValues m_livePending;
    double m_fMouseX = 0;
    double m_fMouseY = 0;
    // Set once the settings are loaded: only then are they saved.
    bool m_bLoaded = false;

    // Grid, curves and legends; redrawn only by PolarRedraw.
    QPixmap m_staticLayer;
    // Live read-outs over it, cleared before each update.
    QImage m_liveLayer;

    QWidget* m_canvas = nullptr;
    QFrame* lnMenu = nullptr;
    QLabel* lblMouse[2] = {};
    QLabel* lblSteer = nullptr;
    QPushButton* cmdSteer = nullptr;
    QPushButton* cmdTack = nullptr;
    QGroupBox* frmLedger = nullptr;
    QMenu* mnuLedger = nullptr;

    QAction* mnuWindApparent = nullptr;
    QAction* mnuWindTrue = nullptr;
    QAction* mnuPlotLabelWindSpeed = nullptr;
    QAction* mnuRange[13] = {};
    QAction* mnuRangeCustom = nullptr;
    QAction* mnuOverlayFile2 = nullptr;
    QAction* mnuOverlayScale = nullptr;
    QAction* mnuAverage[33] = {};
    QAction* mnuCourseWaypoint[3] = {};
    QAction* mnuCourseTargetSeparator = nullptr;
    QAction* mnuCourseTargetBearing = nullptr;
    QAction* mnuCourseScale = nullptr;
    QAction* mnuCourseLedger = nullptr;
    QAction* mnuBoatType[2] = {};
    QAction* mnuBoatMotorSpeed = nullptr;
};
