#pragma once

#include "checkwindow/checkwindowplacement.h"

// The available area (without panels and docks) of the screen that holds the
// top-left corner of `bounds`, or of the primary screen when no screen does.
// Without any screen, `bounds` itself, so that placing leaves them as they are.
TWindowBounds AvailableScreenArea(const TWindowBounds& bounds);
