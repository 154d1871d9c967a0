#pragma once
// The images of the mode toolbar, painted here rather than loaded, so they
// need no image plugin and stay sharp at any size.

#include "ProfileSettings.h"

#include <QIcon>

QIcon ToolbarImage(TrackMode mode);
// The program's icon: a wind vane over a compass ring.
QIcon ApplicationImage();
