#include "records/records_table.h"

#include "replay/recording.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {
constexpr char FirstLine[] = "Clankora records 1";
constexpr std::int32_t MinLevel = 1, MaxLevel = 10;
constexpr std::int32_t MinGenerator = 0, MaxGenerator = 2;
constexpr std::size_t MaxNameSize = 100;
constexpr std::size_t MaxOutcomeSize = 160;

bool SamePair(const TRecord& A, const TRecord& B) {
  return A.StartLevel == B.StartLevel && A.Generator == B.Generator;
}

bool PrintableLine(const std::string& Text) {
  return std::all_of(Text.begin(), Text.end(), [](char C) { return C >= 0x20 && C < 0x7F; });
}

[[noreturn]] void Damaged(std::size_t Line, const std::string& What) {
  throw ERecordsDamaged("line " + std::to_string(Line) + ": " + What);
}

// One number of a record line, within its bounds.
template <typename T> T Field(std::istringstream& In, std::size_t Line, const char* What, T Min, T Max) {
  long long Value = 0;
  if (!(In >> Value) || Value < static_cast<long long>(Min) || Value > static_cast<long long>(Max))
    Damaged(Line, std::string("no valid ") + What);
  return static_cast<T>(Value);
}

TRecord ReadRecord(std::istringstream& In, std::size_t Line) {
  TRecord R;
  R.StartLevel = Field<std::int32_t>(In, Line, "start level", MinLevel, MaxLevel);
  R.Generator = Field<std::int32_t>(In, Line, "trash generator", MinGenerator, MaxGenerator);
  R.Ticks = Field<std::uint32_t>(In, Line, "ticks", 1, UINT32_MAX);
  R.Lives = Field<std::uint32_t>(In, Line, "lives", 0, 0xFFFF);
  R.PlayedMs = Field<std::uint32_t>(In, Line, "time", 0, UINT32_MAX);
  R.Date = Field<std::int64_t>(In, Line, "date", 0, INT64_MAX / 2);
  R.Rules = Field<std::uint32_t>(In, Line, "rules version", 1, UINT32_MAX);
  if (!(In >> R.File) || !IsRecordingName(R.File))
    Damaged(Line, "no valid recording name");
  In >> std::ws;
  std::getline(In, R.Outcome);
  if (R.Outcome.empty() || R.Outcome.size() > MaxOutcomeSize)
    Damaged(Line, "no outcome line");
  return R;
}
} // namespace

bool FasterEscape(const TRecord& A, const TRecord& B) {
  if (A.Ticks != B.Ticks)
    return A.Ticks < B.Ticks;
  return A.Lives > B.Lives;
}

std::size_t TRecordsTable::PlaceOf(const TRecord& Record) const {
  std::size_t Faster = 0;
  for (const TRecord& R : Records)
    if (SamePair(R, Record) && !FasterEscape(Record, R))
      ++Faster;
  return Faster < KeptPerPair ? Faster + 1 : 0;
}

std::vector<TRecord> TRecordsTable::Add(const TRecord& Record) {
  if (PlaceOf(Record) == 0)
    return {};
  Records.push_back(Record);
  std::stable_sort(Records.begin(), Records.end(), FasterEscape);
  std::vector<TRecord> Dropped;
  std::size_t InPair = 0;
  std::erase_if(Records, [&](const TRecord& R) {
    if (!SamePair(R, Record) || ++InPair <= KeptPerPair)
      return false;
    Dropped.push_back(R);
    return true;
  });
  return Dropped;
}

std::vector<TRecord> TRecordsTable::Pair(std::int32_t StartLevel, std::int32_t Generator) const {
  std::vector<TRecord> Out;
  for (const TRecord& R : Records)
    if (R.StartLevel == StartLevel && R.Generator == Generator)
      Out.push_back(R);
  return Out;
}

std::string EncodeRecords(const TRecordsTable& Table) {
  std::ostringstream Out;
  Out << FirstLine << "\n";
  if (!Table.Newest.empty())
    Out << "newest " << Table.Newest << "\n";
  for (const TRecord& R : Table.All())
    Out << RecordLine(R) << "\n";
  return Out.str();
}

std::string RecordLine(const TRecord& R) {
  std::ostringstream Out;
  Out << "record " << R.StartLevel << ' ' << R.Generator << ' ' << R.Ticks << ' ' << R.Lives << ' ' << R.PlayedMs
      << ' ' << R.Date << ' ' << R.Rules << ' ' << R.File << ' ' << R.Outcome;
  return Out.str();
}

bool SameOutcome(const std::string& Replayed, const std::string& Stored) {
  if (Replayed == Stored)
    return true;
  // Games won before the line showed the lives at the escape said 65535 lives.
  constexpr std::string_view OldWon = " 65535 lives,";
  const std::size_t Old = Stored.find(OldWon);
  const std::size_t Ticks = Replayed.find(" ticks, ");
  const std::size_t Lives = Replayed.find(" lives,");
  if (!Stored.starts_with("won, ") || Old == std::string::npos || Ticks == std::string::npos ||
      Lives == std::string::npos || Lives < Ticks)
    return false;
  return Replayed.substr(0, Ticks + 7) + std::string(OldWon) + Replayed.substr(Lives + 7) == Stored;
}

namespace {
// A line as an editor of another system may leave it, with a carriage return before its end.
bool ReadLine(std::istream& In, std::string& Line) {
  if (!std::getline(In, Line))
    return false;
  if (!Line.empty() && Line.back() == '\r')
    Line.pop_back();
  return true;
}
} // namespace

TRecordsTable DecodeRecords(const std::string& Text) {
  std::istringstream In(Text);
  std::string Line;
  if (!ReadLine(In, Line) || Line != FirstLine)
    throw ERecordsDamaged("it is not a records file");
  TRecordsTable Table;
  for (std::size_t Number = 2; ReadLine(In, Line); ++Number) {
    if (!PrintableLine(Line))
      Damaged(Number, "unreadable characters");
    std::istringstream Fields(Line);
    std::string Kind;
    Fields >> Kind;
    if (Kind == "newest" && (Fields >> Table.Newest) && IsRecordingName(Table.Newest))
      continue;
    if (Kind != "record")
      Damaged(Number, "neither a record nor the newest");
    const TRecord R = ReadRecord(Fields, Number);
    if (Table.PlaceOf(R) == 0)
      Damaged(Number, "more than ten records of one start level and generator");
    Table.Add(R);
  }
  return Table;
}

bool IsRecordingName(const std::string& Name) {
  if (Name.size() <= 4 || Name.size() > MaxNameSize || Name.front() == '.' || !Name.ends_with(".rec"))
    return false;
  return std::all_of(Name.begin(), Name.end(), [](char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '-' || C == '_' ||
           C == '.';
  });
}

std::string PlayTimeText(std::uint32_t Ms) {
  const std::uint32_t Tenths = Ms / 100;
  char Text[32];
  std::snprintf(Text, sizeof Text, "%u:%02u.%u", Tenths / 600, Tenths / 10 % 60, Tenths % 10);
  return Text;
}

bool ReplayableRules(std::uint32_t Rules) { return Rules >= OldestRulesVersion && Rules <= RulesVersion; }
