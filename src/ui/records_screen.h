#pragma once

#include "records/record_proofs.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TFrmMain;
class TRecordsStore;
struct TRecord;

// The records screen, over the game's picture: the best escape of each start
// level for one trash generator (time, lives left, date), the player's newest
// record marked, and the records whose recording cannot be replayed marked so.
// Left and Right change the generator, Up and Down the row, Enter replays the
// row's record, Escape or F3 leaves. While it is open the game's keys do nothing.
class TRecordsScreen : public QWidget {
public:
  TRecordsScreen(TFrmMain& Main, TRecordsStore& Store);

  // Reads the records and shows them for the game's generator, its start level's row selected.
  void Open();
  void Leave();
  bool IsOpen() const { return !isHidden(); }
  std::int32_t Generator() const { return Shown; }
  std::int32_t SelectedLevel() const { return Row + 1; }
  // Each start level's line as it is shown, level 1 first.
  std::vector<std::string> Lines() const;
  // What the screen tells of the records file this time it opened (a damaged
  // file moved aside, one that cannot be read); empty when all is well.
  const std::string& Notice() const { return Told; }
  // How far a record is proved by its recording; unproven without.
  std::function<TProofState(const TRecord&)> ProofOf;
  // Replays a record's recording; given only records that can be replayed.
  std::function<void(const TRecord&)> Replay;

protected:
  void paintEvent(QPaintEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  // The main window's keys are the screen's while it is open, whichever widget has the focus.
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  // The row's record when its recording can be replayed; nullptr otherwise.
  const TRecord* Replayable(std::int32_t Level, TRecord& Best) const;
  bool BestOf(std::int32_t Level, TRecord& Best) const;

  TFrmMain& Main;
  TRecordsStore& Store;
  std::int32_t Shown = 0;
  std::int32_t Row = 0;
  std::string Told;
};
