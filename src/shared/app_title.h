#pragma once

#include <string>

// The application's title: the section of the settings file, and the title of
// the message about damaged game files.
inline const std::string AppTitle = "Tinvell: 01h";
