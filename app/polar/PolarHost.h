#pragma once
// What the Polar window needs from the program. The main window's core
// implements it; tests plug in a recorder.

#include <QString>

class PolarHost {
public:
    virtual ~PolarHost() = default;

    // Full path of the profile file (Vanehold.ini).
    virtual QString ProfileFile() const = 0;
    // The folder of the program, without a trailing separator: relative
    // polar file names are taken from here.
    virtual QString ProgramFolder() const = 0;
    // A reading for the History chart: "Polar Speed", 6.2, "Kts".
    virtual void ChartSetValue(const QString& name, float value, const QString& units) = 0;
    // The Steer and Tack buttons: the Tack dialog is asked to turn the boat
    // from Heading to SteerTo (0..360) with the true wind at WindAngle
    // (-180..180); the program adds its autopilot heading.
    virtual void TackRequest(float SteerTo, float Heading, float WindAngle) = 0;
};
