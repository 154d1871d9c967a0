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
    // The History chart's SetValue(Name, Value text), e.g. "6.2 Kts".
    virtual void ChartSetValue(const QString& name, const QString& value) = 0;
};
