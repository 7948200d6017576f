#pragma once

#include "ui/program_files.h"

#include <memory>

class TDM;
class TFrmMain;
class TFrmSettings;
class TProgramDialogs;

// The program's parts: the main window (with the game, its pads and its loop's
// pacer), the sound module, the settings dialog and the dialogs as the window
// asks for them. A window whose pictures could not be loaded has none of the others.
struct TProgram {
  TProgram();
  ~TProgram(); // ends the run as ReleaseProgram does, if nothing has yet
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  std::unique_ptr<TFrmMain> Main;
  std::unique_ptr<TDM> DM;
  std::unique_ptr<TFrmSettings> Settings;
  std::unique_ptr<TProgramDialogs> Dialogs;
};

// What a run leaves out: a verifying replay is silent, and no replay offers
// the settings dialog, whose changes it takes from its recording.
struct TProgramParts {
  bool Sound = true;
  bool Settings = true;
};

// Makes the program's parts on Files, in the order they depend on each other.
void AssembleProgram(TProgram& Program, const TAppFiles& Files, TProgramParts Parts = {});
// Ends a run: the settings dialog, the sound module and the main window are
// released in the reverse order of their making, each saving its settings as
// it goes.
void ReleaseProgram(TProgram& Program);
