#pragma once

#include <string>
#include <vector>

// Where the game's pictures, sounds and settings live. A game in a folder of its
// own (the build folder, an unpacked copy) keeps everything beside its
// executable; an installed game reads its pictures and sounds from the shared
// data folders and keeps each player's settings in that player's home.

// What the search depends on: the running program and its environment.
struct TAppEnvironment {
  std::string ExePath;       // full path of the executable
  std::string Home;          // the player's home folder
  std::string XdgDataHome;   // $XDG_DATA_HOME, empty when unset
  std::string XdgDataDirs;   // $XDG_DATA_DIRS, empty when unset
  std::string XdgConfigHome; // $XDG_CONFIG_HOME, empty when unset
};

// The running program's environment.
TAppEnvironment CurrentAppEnvironment();

// The folders that may hold "sprites" and "sounds", in the order they are
// searched, each without a trailing '/': the executable's folder, then
// "../share/clankora" from it, then "clankora" in each XDG data folder.
std::vector<std::string> DataDirCandidates(const TAppEnvironment& Env);

// The first candidate holding a folder "sprites". When none does, the
// executable's folder, so that the load error names the first place looked in.
std::string FindDataDir(const TAppEnvironment& Env);

// The settings file. Beside the executable, named after it with ".ini", when
// that file exists already, or when the game's data is beside the executable
// and the folder may be written. Otherwise "clankora/clankora.ini" in the XDG
// configuration folder, whose folders are created here when missing (a failure
// shows only when the settings are written).
std::string SettingsPath(const TAppEnvironment& Env);
