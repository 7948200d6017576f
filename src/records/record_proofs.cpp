#include "records/record_proofs.h"

#include "platform/files.h"
#include "records/records_store.h"
#include "replay/recording.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

namespace {
constexpr char FirstLine[] = "Clankora proofs 1";
// No table holds more than 10 levels x 3 generators x 10 records.
constexpr std::uintmax_t MaxProofsBytes = 64 * 1024;

std::uint64_t Fnv(const unsigned char* Data, std::size_t Size) {
  std::uint64_t Hash = 0xCBF29CE484222325ull;
  for (std::size_t I = 0; I < Size; ++I) {
    Hash ^= Data[I];
    Hash *= 0x100000001B3ull;
  }
  return Hash;
}

std::string Hex(std::uint64_t V) {
  char Text[17];
  std::snprintf(Text, sizeof Text, "%016llx", static_cast<unsigned long long>(V));
  return Text;
}

const char* VerdictWord(TProofState State) { return State == TProofState::Genuine ? "genuine" : "fails"; }
} // namespace

std::string FiguresLine(const TReplayedFigures& F) {
  return "figures " + std::to_string(F.Ticks) + " " + std::to_string(F.Lives) + " " + std::to_string(F.PlayedMs) +
         " " + std::to_string(F.StartLevel) + " " + std::to_string(F.Generator);
}

bool ReadFiguresLine(const std::string& Line, TReplayedFigures& F) {
  std::istringstream In(Line);
  std::string Word;
  long long Ticks = -1, Lives = -1, Played = -1, Level = -1, Generator = -1;
  if (!(In >> Word >> Ticks >> Lives >> Played >> Level >> Generator) || Word != "figures")
    return false;
  In >> std::ws;
  if (!In.eof() || std::min({Ticks, Lives, Played, Level, Generator}) < 0 || Ticks > UINT32_MAX ||
      Lives > UINT32_MAX || Played > UINT32_MAX || Level > INT32_MAX || Generator > INT32_MAX)
    return false;
  F.Ticks = static_cast<std::uint32_t>(Ticks);
  F.Lives = static_cast<std::uint32_t>(Lives);
  F.PlayedMs = static_cast<std::uint32_t>(Played);
  F.StartLevel = static_cast<std::int32_t>(Level);
  F.Generator = static_cast<std::int32_t>(Generator);
  return true;
}

bool Bears(const TReplayedFigures& Replayed, const TRecord& R) {
  return SameOutcome(Replayed.Outcome, R.Outcome) && Replayed.Ticks == R.Ticks && Replayed.Lives == R.Lives &&
         Replayed.PlayedMs == R.PlayedMs && Replayed.StartLevel == R.StartLevel && Replayed.Generator == R.Generator;
}

std::string ProofKey(const TRecord& Record, const std::vector<unsigned char>& Recording) {
  const std::string Line = RecordLine(Record);
  return Hex(Fnv(Recording.data(), Recording.size())) +
         Hex(Fnv(reinterpret_cast<const unsigned char*>(Line.data()), Line.size()));
}

TRecordProofs::TRecordProofs(std::string aPath) : Path(std::move(aPath)) {}

void TRecordProofs::Load() {
  Verdicts.clear();
  std::vector<unsigned char> Bytes;
  if (ReadRegularFile(Path, MaxProofsBytes, Bytes).Kind != TFileRead::Ok)
    return;
  std::istringstream In(std::string(Bytes.begin(), Bytes.end()));
  std::string Line;
  if (!std::getline(In, Line) || Line != FirstLine)
    return;
  while (std::getline(In, Line)) {
    std::istringstream Fields(Line);
    std::string Key, Word;
    if (!(Fields >> Key >> Word) || Key.size() != 32)
      continue;
    if (Word == "genuine" || Word == "fails")
      Verdicts[Key] = Word == "genuine" ? TProofState::Genuine : TProofState::Fails;
  }
}

TProofState TRecordProofs::Verdict(const std::string& Key) const {
  const auto Found = Verdicts.find(Key);
  return Found == Verdicts.end() ? TProofState::Unproven : Found->second;
}

bool TRecordProofs::Keep(const std::string& Key, TProofState Verdict, const std::vector<std::string>& Current) {
  Verdicts[Key] = Verdict;
  std::erase_if(Verdicts, [&](const auto& Entry) {
    return std::find(Current.begin(), Current.end(), Entry.first) == Current.end();
  });
  std::string Text = std::string(FirstLine) + "\n";
  for (const auto& [K, V] : Verdicts)
    Text += K + " " + VerdictWord(V) + "\n";
  return ReplaceFileContents(Path, Text);
}

bool ReadProvableRecording(const TRecordsStore& Store, const TRecord& Record, std::vector<unsigned char>& Bytes) {
  return ReplayableRules(Record.Rules) &&
         ReadRegularFile(Store.RecordingPath(Record), MaxRecordedEventBytes * 2, Bytes).Kind == TFileRead::Ok;
}

TProofState KeptProofState(const TRecordsStore& Store, const TRecord& Record) {
  std::vector<unsigned char> Recording;
  if (!ReadProvableRecording(Store, Record, Recording))
    return TProofState::Unproven;
  TRecordProofs Proofs(Store.Folder() + "/proofs");
  Proofs.Load();
  return Proofs.Verdict(ProofKey(Record, Recording));
}
