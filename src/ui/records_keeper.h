#pragma once

#include "records/records_store.h"
#include "ui/record_checker.h"
#include "ui/input_watch.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TFrmMain;
class TRecordsScreen;
class TReplayRecorder;
struct TProof;

// Makes the player's won games records. Sees every key the main window
// handles (and hands it on to the recording's watch): a game in which the
// level was raised or lowered, or the settings opened, does not count. Once
// a counting game is won among the ten best of its start level and trash
// generator, its recording is replayed inside the game to the same outcome
// line and only then kept; the win picture then says so. Whatever stops a
// record from being kept is told on the standard error. F3 opens the records
// screen, and Enter there replays a record in place of the game's window.
class TRecordsKeeper : public QObject, public TInputWatch {
public:
  TRecordsKeeper(TFrmMain& Main, TReplayRecorder& Recorder, TInputWatch* Next, const std::string& Folder);
  ~TRecordsKeeper() override;
  TRecordsKeeper(const TRecordsKeeper&) = delete;
  TRecordsKeeper& operator=(const TRecordsKeeper&) = delete;

  bool KeyDown(std::uint32_t Key) override;
  void SettingChanged(TEventKind Kind, std::int32_t Value) override;

  TRecordsStore& Store() { return Records; }
  // F3's screen, a child of the main window's picture.
  TRecordsScreen& Screen() { return *Shown; }
  // Proves the records on this machine, each once, without the window waiting.
  TRecordChecker& Checker() { return Proofs; }
  // How a recording is proved; the game's own replay unless a test says otherwise.
  std::function<TProof(const std::vector<std::uint8_t>&)> Prove;
  // The time of a record, seconds since 1970.
  std::function<std::int64_t()> Now;
  // Looks at the game now: a won game that counts becomes a record.
  void Look();

private:
  void NewGame();
  void KeepWin();
  void ReplayRecord(const TRecord& Record);
  void Tell(const std::string& Text) const;

  TFrmMain& Main;
  TReplayRecorder& Recorder;
  TInputWatch* Next;
  TRecordsStore Records;
  TRecordChecker Proofs;
  TRecordsScreen* Shown;
  QTimer Watch;
  bool Counts = true; // neither the level nor the settings changed since the new game
  bool Looked = false; // this game's end has been looked at
};

// The win picture's line for a record in this place (1 the best).
std::string RecordNote(std::size_t Place);
