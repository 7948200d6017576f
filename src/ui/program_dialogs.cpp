#include "ui/program_dialogs.h"

#include "ui/controls_dialog.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

TProgramDialogs::TProgramDialogs(TFrmMain& aMain, TFrmSettings& aSettings) : Main(aMain), Settings(aSettings) {}

void TProgramDialogs::ShowSettings() { Settings.ShowWithoutWaiting(); }

void TProgramDialogs::ShowControls() {
  if (ControlsDialog == nullptr)
    ControlsDialog = new TFrmControls(Main, *Main.Game, Main.PlayersKeys(), Main.PlayersPadButtons());
  ControlsDialog->ShowWithoutWaiting();
}

TFrmControls* TProgramDialogs::Controls() const { return ControlsDialog.data(); }

std::int32_t TProgramDialogs::StartLevel() const { return Settings.LevelValue(); }
