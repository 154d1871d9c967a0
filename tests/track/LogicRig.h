#pragma once
// The logic of the main window wired together without widgets: settings,
// instrument state, receive path, links over fake ports with a manual
// timer, control loop and simulator. Everything the logic shows is
// recorded.

#include "FakeSerialPort.h"
#include "InstrumentState.h"
#include "NmeaReceiver.h"
#include "NumberText.h"
#include "ProfileSettings.h"
#include "SerialLinks.h"
#include "Simulator.h"
#include "TrackControl.h"

#include <QMap>
#include <QStringList>
#include <functional>

class LogicRig : public NmeaReceiverHost,
                 public InstrumentDisplay,
                 public SerialLinksHost,
                 public TrackHost,
                 public SimulatorHost {
public:
    explicit LogicRig(std::function<double()> random = SimulateRandom())
        : sim(settings, state, *this, std::move(random))
    {
    }

    ProfileSettings settings;
    FakeSerialPort nmea;
    FakeSerialPort pilot;
    ManualTimer timer;
    InstrumentState state{settings, *this};
    NmeaReceiver receiver{settings, state, *this};
    SerialLinks links{settings, nmea, pilot, receiver, state, timer, *this};
    TrackControl track{settings, state, links, *this};
    Simulator sim;

    // What was shown.
    QString panel[4];
    QString nmeaStatus;
    QString pilotStatus;
    QStringList events; // link and list calls, in order
    QMap<QString, bool> enabled;
    bool pressed[8] = {};
    bool modeEnabled[8] = {true, true, true, true, true, true, true, true};
    int selected = 0;
    QString autoPilotText;
    QString desired[3];
    QString delta[3];
    bool alarmColour[3] = {};
    int beeps = 0;
    int foregrounds = 0;
    QStringList chart;
    QStringList pilotData;
    QStringList polar;
    int simulateSteps = 0;
    bool countOnlySimulate = false; // SimulateStep records instead of stepping
    bool stepTrack = true;          // TrackStep runs the control step

    static QString Name(TrackControlId control, int index)
    {
        static const char* names[] = {"txtAutoPilot",  "cmdAutoPilot",   "optControl", "lblDesired",
                                      "txtDesired",    "cmdDesiredApp",  "cmdDesiredTrue", "lblDelta",
                                      "lblAppWindAngle", "lblTrueWindAngle"};
        return QLatin1String(names[int(control)]) + QLatin1Char('_') + NumberText::Format(double(index), u"0");
    }
    bool Enabled(const char* name) const { return enabled.value(QLatin1String(name), true); }

    // Apparent wind angle and speed, boat speed: sets the state as the
    // decoders would, true wind computed.
    void Wind(float angle, float speed, float boatSpeed = 6)
    {
        state.SetBoatSpeed(boatSpeed);
        state.SetWindApparent(angle, speed, true);
    }

    // NmeaReceiverHost
    QString InputStatus() const override { return panel[2]; }
    void SetInputStatus(const QString& text) override { panel[2] = text; }
    void NmeaData(const QString& sline, bool) override { events << QStringLiteral("data ") + sline; }
    void NmeaError(const QString& sline) override { events << QStringLiteral("error ") + sline; }
    void TrackStep() override
    {
        if (stepTrack)
            track.TrackStep();
    }
    void PolarSetValue(int16_t mode, bool, float heading, float, float, float, float, float, bool, float, float) override
    {
        polar << NumberText::Format(double(mode), u"0") + QLatin1Char(' ') + NumberText::Format(heading, u"0.0");
    }

    // InstrumentDisplay
    void ShowValue(InstrumentValue, const QString&) override {}
    void HistoryValue(const QString&, float, const QString&) override {}
    void ShowWindIndicator(const QString&) override {}

    // SerialLinksHost
    void SetOutputStatus(const QString& text) override { panel[3] = text; }
    void NmeaStatus(const QString& text) override { nmeaStatus = text; }
    void PilotStatus(const QString& text) override { pilotStatus = text; }
    void ClearNmeaData() override { events << QStringLiteral("clear nmea"); }
    void ClearPilotData() override { events << QStringLiteral("clear pilot"); }
    void SimulateStep() override
    {
        ++simulateSteps;
        if (!countOnlySimulate)
            sim.SimulateStep();
    }

    // TrackHost
    void SetModeButtonPressed(TrackMode button, bool on) override { pressed[button] = on; }
    void SetModeButtonEnabled(TrackMode button, bool on) override { modeEnabled[button] = on; }
    void SetControlEnabled(TrackControlId control, int index, bool on) override { enabled[Name(control, index)] = on; }
    void SetModeStatus(const QString& text) override { panel[1] = text; }
    void SelectOption(int index) override { selected = index; }
    QString AutoPilotText() const override { return autoPilotText; }
    void ShowAutoPilot(const QString& text) override { autoPilotText = text; }
    void ShowDesired(int index, const QString& text) override { desired[index] = text; }
    void ShowDelta(int index, const QString& text) override { delta[index] = text; }
    void ShowDeltaAlarm(int index, bool alarm) override { alarmColour[index] = alarm; }
    void AlarmBeep() override { ++beeps; }
    void RequestForeground() override { ++foregrounds; }
    void ChartSetValue(const QString& name, const QString& value) override { chart << name + QLatin1String(": ") + value; }
    void PilotData(const QString& sline) override { pilotData << sline; }
};
