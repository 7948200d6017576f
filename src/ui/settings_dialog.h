#pragma once

#include "replay/recording.h"

#include <QWidget>

#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TDM;
class TFrmMain;
class TGame;
class TIniFile;

// The settings dialog: start level, trash generator and the sound switch.
// Every change reaches the game at once; there is no cancel. It is made once,
// hidden, and shown by F7 without stopping the main window.
class TFrmSettings : public QWidget {
  Q_OBJECT
public:
  TFrmSettings(TFrmMain& Main, TGame& Game, TIniFile* IniF, TDM* DM);
  ~TFrmSettings() override;

  QLabel* Label1 = nullptr;
  QGroupBox* RGTrashGeneratorAlgorythm = nullptr;
  QSpinBox* SEStartLevel = nullptr;
  QCheckBox* CBUseSound = nullptr;
  QPushButton* BitBtn1 = nullptr;

  // The level field read as an integer; text that is not one counts as 1.
  std::int32_t LevelValue() const;
  // The selected algorithm, -1 when none is selected.
  std::int32_t AlgorithmIndex() const;
  void SelectAlgorithm(std::int32_t Index);
  // Shows the dialog and returns at once; brings it to the front when it is up.
  void ShowWithoutWaiting();
  // The sound module is gone at the end of the run.
  void ForgetSoundModule() { DM = nullptr; }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;

private:
  void FormCreate();
  void FormShow();
  bool FormKeyDown(std::uint32_t Key);
  void FormClose();
  void FormDestroy();
  void RGTrashGeneratorAlgorythmClick();
  void SEStartLevelChange();
  void CBUseSoundClick();
  void BitBtn1Click();
  void BringLevelIntoRange();
  // Tells a running recording what changed.
  void Tell(TEventKind Kind, std::int32_t Value);

  TFrmMain& Main;
  TGame& Game;
  TIniFile* IniF;
  TDM* DM;
  QButtonGroup* Items = nullptr;
  QLineEdit* LevelText = nullptr;
  bool Placed = false;
};
