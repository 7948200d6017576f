#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The player's best escapes: for each start level and trash generator, the
// ten fastest won games, each with the recording that proves it.

struct TRecord {
  std::int32_t StartLevel = 5;
  std::int32_t Generator = 1;
  std::uint32_t Ticks = 0;   // from the game's start to the escape
  std::uint32_t Lives = 0;   // left when the robot escaped
  std::uint32_t PlayedMs = 0; // time in play, pauses not counted
  std::int64_t Date = 0;     // when it was won, seconds since 1970 (UTC)
  std::uint32_t Rules = 0;   // the rules version its recording was played by
  std::string File;          // its recording, a file name in the records folder
  std::string Outcome;       // the line its recording replays to
  friend bool operator==(const TRecord&, const TRecord&) = default;
};

// A faster escape: fewer ticks, and of two as fast, more lives left.
bool FasterEscape(const TRecord& A, const TRecord& B);

class TRecordsTable {
public:
  static constexpr std::size_t KeptPerPair = 10;

  // Where the escape would stand among its pair's (1 is the best), or 0 when
  // it would not be kept.
  std::size_t PlaceOf(const TRecord& Record) const;
  // Keeps the escape in its place; gives the records it pushed out of the ten.
  std::vector<TRecord> Add(const TRecord& Record);
  // The pair's records, the best first.
  std::vector<TRecord> Pair(std::int32_t StartLevel, std::int32_t Generator) const;
  const std::vector<TRecord>& All() const { return Records; }
  bool Empty() const { return Records.empty(); }

  // The recording file of the player's newest record; empty when there is none.
  std::string Newest;

private:
  std::vector<TRecord> Records; // pair by pair in no order, each pair best first
};

// A records file that cannot be read as one; the text says what is wrong.
class ERecordsDamaged : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The records file: a first line naming it, then one line per record.
std::string EncodeRecords(const TRecordsTable& Table);
// One record's line in that file.
std::string RecordLine(const TRecord& Record);
// Whether a replay's outcome line is the one a record keeps. Records won
// before the line showed the lives at the escape keep "65535 lives" there.
bool SameOutcome(const std::string& Replayed, const std::string& Stored);
TRecordsTable DecodeRecords(const std::string& Text);

// Whether a name may be a record's recording in the records folder: letters,
// digits, '-', '_' and '.', ending in ".rec", never leading out of the folder.
bool IsRecordingName(const std::string& Name);

// A game's time in play as the records screen shows it: m:ss.s.
std::string PlayTimeText(std::uint32_t Ms);

// Whether this game can replay a recording played by these rules.
bool ReplayableRules(std::uint32_t Rules);
