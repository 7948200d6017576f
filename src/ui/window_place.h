#pragma once

#include <QRect>

// The window's title bar, the strip along the top of its frame, shows at
// least in part on one of the screens: the player can reach it to move the window.
bool TitleBarOnAScreen(const QRect& Frame);
