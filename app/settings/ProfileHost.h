#pragma once
// The window-side steps of loading and saving the profile. The steering
// core implements it and passes them on to the windows; tests record the
// calls.

#include <QString>

class ProfileHost {
public:
    virtual ~ProfileHost() = default;

    // txtAutoPilot and txtDesired(1), (2), already formatted.
    virtual void ShowProfileValues(const QString& autoPilot, const QString& desiredApparent,
                                   const QString& desiredTrue) = 0;
    // Shows the window modeless, creating it when needed.
    virtual void ShowHistoryWindow() = 0;
    virtual void ShowPolarWindow() = 0;
    virtual bool HistoryWindowVisible() const = 0;
    virtual bool PolarWindowVisible() const = 0;
    // The mode procedures of the control loop.
    virtual void TrackSetSetup() = 0;
    virtual void TrackSetManual() = 0;
};
