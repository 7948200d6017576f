#include "ui/program.h"

#include "assets/sound.h"
#include "platform/ini_file.h"
#include "ui/main_window.h"
#include "ui/program_dialogs.h"
#include "ui/settings_dialog.h"

#include <optional>

TProgram::TProgram() = default;
TProgram::~TProgram() { ReleaseProgram(*this); }

void AssembleProgram(TProgram& Program, const TAppFiles& Files, TProgramParts Parts) {
  Program.Main = std::make_unique<TFrmMain>(Files);
  TFrmMain& Main = *Program.Main;
  // Without its pictures there is nothing to play, and nothing to hear: one message is enough.
  if (!Main.Game)
    return;
  if (Parts.Sound)
    Program.DM = std::make_unique<TDM>(Main.IniF.get(), Main.DataDir() + "/sounds/");
  Main.UseSoundModule(Program.DM.get());
  if (!Parts.Settings)
    return;
  Program.Settings = std::make_unique<TFrmSettings>(Main, *Main.Game, Main.IniF.get(), Program.DM.get());
  Program.Dialogs = std::make_unique<TProgramDialogs>(Main, *Program.Settings);
  Main.UseDialogs(Program.Dialogs.get());
}

void ReleaseProgram(TProgram& Program) {
  if (!Program.Main)
    return;
  TFrmMain& Main = *Program.Main;
  // Another game ending at the same moment saves before or after this one, never between.
  std::optional<TIniSaveLock> Saving;
  if (Main.IniF)
    Saving.emplace(*Main.IniF);
  Main.UseDialogs(nullptr);
  Program.Dialogs.reset();
  Program.Settings.reset();
  Main.UseSoundModule(nullptr);
  Program.DM.reset();
  Program.Main.reset();
}
