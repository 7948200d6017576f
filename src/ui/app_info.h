#pragma once

#include "shared/app_title.h"

#include <string>

// The main window's caption.
inline const std::string GameCaption = "Clankora!";
// Where a player finds an undamaged copy of the game.
inline const std::string DistributionUrl = "https://clankora.org/download";
