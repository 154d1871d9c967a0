#pragma once
// The receive path of the instrument line: characters are cut into lines at
// each carriage return, each line is checked (start character, checksum),
// split into fields and decoded by type into the instrument state.

#include <QString>
#include <QStringView>
#include <cstdint>

class InstrumentState;
class SerialPort;
struct ProfileSettings;

// What the receive path reports. The main window implements it (panel 2,
// the Options dialog's lists, the control step, the Polar window); tests
// record it.
class NmeaReceiverHost {
public:
    virtual ~NmeaReceiverHost() = default;
    // Panel 2 of the status bar.
    virtual QString InputStatus() const = 0;
    virtual void SetInputStatus(const QString& text) = 0;
    // Every line processed, with an error mark for rejected lines, and
    // whether a value was taken from it.
    virtual void NmeaData(const QString& sline, bool bChecked) = 0;
    // Every rejected or undecodable line, with the message in front.
    virtual void NmeaError(const QString& sline) = 0;
    // One control step, after each MWV line once both winds are valid.
    virtual void TrackStep() = 0;
    // The Polar window's SetValue, in this order of arguments.
    virtual void PolarSetValue(int16_t eTrackMode, bool bHeadingValid, float fHeading, float fBoatSpeed,
                               float fWindAngleApparent, float fWindSpeedApparent, float fWindAngleTrue,
                               float fWindSpeedTrue, bool bWaypointValid, float fWaypointBearing,
                               float fWaypointRange) = 0;
};
