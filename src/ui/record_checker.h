#pragma once

#include "records/record_proofs.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <deque>
#include <map>
#include <string>
#include <vector>

class TRecordsStore;

// Proves the records the player has not seen proved on this machine: each
// recording is replayed by the program itself in a process of its own
// ("--replay FILE --verify"), one at a time, so the window never waits for a
// check; each verdict is kept beside the records, under a hash of the
// recording and of the record's line, so a record is checked once per change.
class TRecordChecker : public QObject {
  Q_OBJECT
public:
  // Program: the game's own executable, which replays the recordings.
  TRecordChecker(TRecordsStore& Store, std::string Program);
  ~TRecordChecker() override;
  TRecordChecker(const TRecordChecker&) = delete;
  TRecordChecker& operator=(const TRecordChecker&) = delete;

  // How the record stands, as the records screen shows it.
  TProofState StateOf(const TRecord& Record) const;
  // Reads the verdicts and the recordings of the table as it is, and starts
  // checking the records that have none.
  void CheckTable();
  // The game has just proved this record itself, with this recording.
  void NoteGenuine(const TRecord& Record, const std::vector<unsigned char>& Recording);
  bool Busy() const { return Process != nullptr; }

  // The time a check may take before it is given up (the record stays unproven).
  int LimitMs = 10 * 60 * 1000;
  // The executable that replays the recordings: the game itself.
  std::string Program;

signals:
  // A record's state changed.
  void Changed();

private:
  void StartNext();
  void Finish(bool Ran);
  std::vector<std::string> CurrentKeys() const;

  TRecordsStore& Store;
  TRecordProofs Proofs;
  std::map<std::string, std::string> Keys; // a recording's file name: the key of its record as last read
  std::deque<TRecord> Waiting;
  TRecord Checked;
  QProcess* Process = nullptr;
  QTimer Limit;
};

// The environment variable that has "--verify" add the game's figures line.
inline constexpr char ProofFiguresVariable[] = "CLANKORA_PROOF_FIGURES";
