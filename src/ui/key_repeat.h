#pragma once

#include "platform/gamepad.h"

// The delay and interval of the keyboard's own repeat where the window system
// tells them (X11), otherwise the usual half a second, then 30 a second.
TKeyRepeat SystemKeyRepeat();
