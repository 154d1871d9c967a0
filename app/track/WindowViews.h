#pragma once
// What the main window hands to the windows that are built later (Options
// dialog, History and Polar windows). Until a window exists nothing is
// attached and the calls go nowhere; the order of the calls is kept.

#include <QString>
#include <cstdint>

class OptionsView {
public:
    virtual ~OptionsView() = default;
    // lstNmeaData: every received line, and whether a value was taken.
    virtual void NmeaData(const QString& sline, bool bChecked) = 0;
    // The list of rejected and undecodable lines.
    virtual void NmeaError(const QString& sline) = 0;
    // lstPilotData: every APB sentence built.
    virtual void PilotData(const QString& sline) = 0;
    virtual void ClearNmeaData() = 0;
    virtual void ClearPilotData() = 0;
    // Texts of lblNmeaStatus and lblPilotStatus.
    virtual void SetNmeaStatus(const QString& text) = 0;
    virtual void SetPilotStatus(const QString& text) = 0;
};

class HistoryView {
public:
    virtual ~HistoryView() = default;
    // The History window's SetValue(Name, Value, Units).
    virtual void SetValue(const QString& name, float value, const QString& units) = 0;
    // Its chart control's SetValue(Name, Value text), e.g. "1.5 deg".
    virtual void ChartSetValue(const QString& name, const QString& value) = 0;
};

class PolarView {
public:
    virtual ~PolarView() = default;
    virtual void SetValue(int16_t eTrackMode, bool bHeadingValid, float fHeading, float fBoatSpeed,
                          float fWindAngleApparent, float fWindSpeedApparent, float fWindAngleTrue,
                          float fWindSpeedTrue, bool bWaypointValid, float fWaypointBearing,
                          float fWaypointRange) = 0;
};
