#pragma once

#include <string>
#include <vector>

// Where the program finds its files.
struct TAppFiles {
  std::string Dir;     // the folder holding "sprites" and "sounds", without a trailing '/'
  std::string IniPath; // the settings file
  std::vector<std::string> Searched = {}; // the folders looked in for "sprites", in order
};

// The running game's data folder and settings file (see platform/app_paths.h).
TAppFiles ProgramFiles();
