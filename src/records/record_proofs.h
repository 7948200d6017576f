#pragma once

#include "records/records_table.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A record is shown as genuine only once its recording has been replayed on
// this machine to everything its line claims: the outcome, the ticks, the
// lives, the time in play, the start level and the trash generator. A line
// edited by hand, or standing on another game's recording, never is.

enum class TProofState {
  Unproven, // not replayed yet (or not since the line or its recording changed)
  Checking, // being replayed now
  Genuine,  // replayed to everything the line claims
  Fails,    // replayed, and the game did not end as the line says
};

// What a replay of a record's recording gave: its outcome line and the
// game's own figures at the end.
struct TReplayedFigures {
  std::string Outcome;
  std::uint32_t Ticks = 0;
  std::uint32_t Lives = 0;
  std::uint32_t PlayedMs = 0;
  std::int32_t StartLevel = 0;
  std::int32_t Generator = 0;
  friend bool operator==(const TReplayedFigures&, const TReplayedFigures&) = default;
};

// The figures line "--verify" adds when asked (see ReplayedFiguresLine), and reading it back.
std::string FiguresLine(const TReplayedFigures& Figures);
bool ReadFiguresLine(const std::string& Line, TReplayedFigures& Figures);

// Whether the replay bears out everything the record claims.
bool Bears(const TReplayedFigures& Replayed, const TRecord& Record);

// What a verdict is kept under: a hash of the recording and one of the
// record's line, so that a change to either asks for a new check.
std::string ProofKey(const TRecord& Record, const std::vector<unsigned char>& Recording);

// The verdicts, kept in the file "proofs" beside the records. A damaged or
// missing file holds no verdict: every record is then checked again.
class TRecordProofs {
public:
  explicit TRecordProofs(std::string aPath);

  void Load();
  // The verdict kept for the key, Unproven when there is none.
  TProofState Verdict(const std::string& Key) const;
  // Keeps the verdict (Genuine or Fails) and writes the file; keeps only the
  // keys in Current (the records there are now), so the file never grows
  // beyond the table. False when the file cannot be written.
  bool Keep(const std::string& Key, TProofState Verdict, const std::vector<std::string>& Current);

private:
  std::string Path;
  std::map<std::string, TProofState> Verdicts;
};

class TRecordsStore;
// The record's recording, when the record can be proved: its rules are this
// game's and its recording can be read.
bool ReadProvableRecording(const TRecordsStore& Store, const TRecord& Record, std::vector<unsigned char>& Bytes);
// The record's state as the proofs file beside the records keeps it, for
// "clankora --records": nothing is replayed, a record without a verdict is unproven.
TProofState KeptProofState(const TRecordsStore& Store, const TRecord& Record);
