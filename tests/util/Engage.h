#pragma once
// The sailor's answer where Manual asks first (the AutoPilot box far from
// the boat's heading, or no heading known): steer the box as it is, as the
// tests of everything else expect.

#include "SteeringCore.h"

#include <QObject>
#include <QStringList>

// For a main window: the last button is always the box's heading.
inline int SteerTheBox(QWidget*, const QString&, const QString&, const QStringList& buttons)
{
    return int(buttons.size()) - 1;
}

// For a core without a window.
inline void ConfirmTheBox(SteeringCore& core)
{
    QObject::connect(&core, &SteeringCore::EngageAsked, &core,
                     [&core](bool, float, float autoPilot) { core.TrackEngage(autoPilot); });
}
