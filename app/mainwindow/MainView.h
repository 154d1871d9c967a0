#pragma once
// What the main window shows, made from what the steering core reports,
// without a widget: the status bar's three panels, the texts of the heading
// and desired boxes and of the value and error labels, which mode button is
// down, which controls are enabled and which option button is selected.
// frmMain copies it to its widgets. A text is made only when its number
// changed, and reported only when it changed (the boxes, which the sailor
// may have typed in, hear every text; the mode and option buttons, which
// a click has already changed, every state).

#include "InstrumentState.h"
#include "TrackControl.h"

#include <QObject>
#include <QString>

#include <cstdint>

class SteeringCore;

// The main window's controls whose enable state follows the mode and the
// tracked angle; indexed ones carry their index (0 for the caption of
// lblDelta, the mode for a toolbar button).
enum class MainControl {
    tbrTrack,
    txtAutoPilot,
    cmdAutoPilot,
    optControl,
    lblDesired,
    txtDesired,
    cmdDesiredApp,
    cmdDesiredTrue,
    lblDelta,
    lblAppWindAngle,
    lblTrueWindAngle,
};

class MainView : public QObject {
    Q_OBJECT
public:
    explicit MainView(QObject* parent = nullptr);

    // Takes what the core reports from now on.
    void Bind(const SteeringCore& core);

    // What the core reports.
    void ShowMode(TrackMode mode);
    void ShowSelected(TrackAngle angle);
    void ShowInputStatus(const QString& text);
    void ShowOutputStatus(const QString& text);
    // The most urgent alarm ("" for none): it takes panel 3 while it lasts.
    void ShowAlarm(const QString& text);
    void ShowTackProgress(const QString& word, float done, float total);
    void ShowTackEnded();
    void ShowAutoPilot(float heading, bool walk);
    void ShowDesired(int index, float value);
    void ShowDelta(int index, float value);
    void ShowValue(InstrumentValue which, float value);
    void ClearValue(InstrumentValue which);
    void ShowValueStale(InstrumentValue which, bool stale);
    void ShowWindIndicator(const QString& point, float speed);

    // The text of a status bar panel, 1..3.
    QString Panel(int panel) const;

signals:
    void PanelText(int panel, const QString& text);
    void ModeButtonDown(int mode, bool down);
    void ControlEnabled(MainControl control, int index, bool enabled);
    void OptionSelected(int index);
    void AutoPilotText(const QString& text);
    void DesiredText(int index, const QString& text);
    void DeltaText(int index, const QString& text);
    void ValueText(InstrumentValue which, const QString& text);
    // A value gone quiet is greyed (and shows "--").
    void ValueGreyed(InstrumentValue which, bool greyed);
    // The wind indicator for the caption ("Wind N-NE@12.3").
    void WindIndicatorText(const QString& text);

private:
    // A number's text, made again only for another number (bit for bit:
    // -0 is not 0).
    struct Cached {
        bool bMade = false;
        uint32_t uBits = 0;
        int iForm = 0;
        QString sText;
        const QString& Text(float value, int form, QStringView format);
    };

    void SetPanel(int panel, const QString& text);
    void SetEnabled(MainControl control, int index, bool enabled);
    void SetDown(TrackMode mode, bool down);
    void SetValueText(int i, const QString& text);
    void ShowOutputPanel();

    static constexpr int ControlCount = int(MainControl::lblTrueWindAngle) + 1;
    static constexpr int ValueCount = 7;
    // Enable states as last reported: -1 not yet, else 0 or 1; indexes up
    // to 7 (the toolbar).
    int8_t m_iEnabled[ControlCount][8];
    TrackMode m_eMode = TrackModeOff;
    int m_iControl = 0;
    QString m_sPanel[4];
    QString m_sPanelBeforeTack;
    QString m_sOutputStatus;
    QString m_sAlarm;
    Cached m_autoPilot;
    Cached m_desired[3];
    Cached m_delta[3];
    QString m_sDeltaShown[3];
    bool m_bDeltaShown[3] = {};
    Cached m_values[ValueCount];
    QString m_sValueShown[ValueCount];
    bool m_bValueShown[ValueCount] = {};
    QString m_sWindPoint;
    uint32_t m_uWindSpeedBits = 0;
    QString m_sWindIndicator;
};

Q_DECLARE_METATYPE(MainControl)
