#pragma once

#include "ui/window_dialogs.h"

#include <QPointer>

class TFrmControls;
class TFrmMain;
class TFrmSettings;

// The program's dialogs as the main window asks for them: the settings
// dialog, made with the program, and the controls dialog, made the first time
// the player opens it.
class TProgramDialogs : public TWindowDialogs {
public:
  TProgramDialogs(TFrmMain& Main, TFrmSettings& Settings);
  TProgramDialogs(const TProgramDialogs&) = delete;
  TProgramDialogs& operator=(const TProgramDialogs&) = delete;

  void ShowSettings() override;
  void ShowControls() override;
  std::int32_t StartLevel() const override;
  // The controls dialog, once the player has opened it.
  TFrmControls* Controls() const;

private:
  TFrmMain& Main;
  TFrmSettings& Settings;
  QPointer<TFrmControls> ControlsDialog; // a child of the main window, gone with it
};
