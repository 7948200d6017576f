#pragma once

#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTableWidget;
class TFrmMain;
class TGame;
class TKeyBindings;
struct TPadBindings;

// The Controls dialog: the player's keys, two cells for each action, and what
// the pad's buttons do. A cell is changed by clicking it (or selecting it and
// pressing Enter) and pressing the new key; a key another action had moves
// here, and the dialog says from where. A key the game cannot keep (one of the
// window's own, or one the settings file has no readable name for) is refused
// with a word, and the cell goes on waiting. Delete clears a cell; "Defaults" puts
// every key and button back. Every change counts at once. The game waits
// while the dialog is open, and goes on when it closes, as after the settings.
class TFrmControls : public QWidget {
  Q_OBJECT
public:
  TFrmControls(TFrmMain& Main, TGame& Game, TKeyBindings& Keys, TPadBindings& Pad);

  QTableWidget* KeyTable = nullptr;
  std::array<QComboBox*, 6> PadChoices{};
  QLabel* Note = nullptr;
  QPushButton* BtnDefaults = nullptr;
  QPushButton* BtnClose = nullptr;

  // Shows the dialog and returns at once; the main window waits behind it.
  void ShowWithoutWaiting();
  // A cell waits for its new key.
  bool Waiting() const { return WaitingRow.has_value(); }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;

private:
  bool FormKeyDown(QObject* Watched, const QKeyEvent& Event);
  bool TakeKey(const QKeyEvent& Event);
  bool StartKeyRepeats(const QKeyEvent& Event);
  void StartKeyLetGo(const QKeyEvent& Event);
  void StartWaiting(int Row, int Column);
  void ClearCell();
  void RestoreDefaults();
  void PadChoiceChange(int Button);
  void Refresh();
  void FormClose();

  TFrmMain& Main;
  TGame& Game;
  TKeyBindings& Keys;
  TPadBindings& Pad;
  std::optional<int> WaitingRow;
  int WaitingColumn = 0;
  // The Enter that started the wait: held, or repeated by the keyboard (the
  // window system may send each repeat as a release and a new press), it is
  // not the new key; pressed again after a pause, it is.
  int StartKey = 0;
  bool StartKeyHeld = false;
  unsigned long StartKeyLetGoAt = 0; // the window system's time of its last release
};
