#include "records/records_report.h"

#include <cstdio>
#include <ctime>

const char* GeneratorName(std::int32_t Generator) {
  switch (Generator) {
  case 0: return "Robot can escape";
  case 1: return "Normal";
  case 2: return "Random";
  default: return "?";
  }
}

std::string RecordDate(std::int64_t Date) {
  const auto When = static_cast<std::time_t>(Date);
  std::tm Local{};
  char Text[32] = "?";
  if (localtime_r(&When, &Local) != nullptr)
    std::strftime(Text, sizeof Text, "%Y-%m-%d %H:%M", &Local);
  return Text;
}

std::string RecordMarks(const TRecord& Record, bool Newest, bool RecordingThere, TProofState Proof) {
  std::string Marks;
  if (Newest)
    Marks += "  newest";
  if (!ReplayableRules(Record.Rules))
    return Marks + "  rules " + std::to_string(Record.Rules) + ", no replay";
  if (!RecordingThere)
    return Marks + "  recording missing";
  switch (Proof) {
  case TProofState::Genuine: break;
  case TProofState::Unproven: Marks += "  unproven"; break;
  case TProofState::Checking: Marks += "  checking..."; break;
  case TProofState::Fails: Marks += "  does not replay"; break;
  }
  return Marks;
}

std::string RecordsReport(const TRecordsTable& Table, const std::string& Folder,
                          const std::function<bool(const TRecord&)>& RecordingThere,
                          const std::function<TProofState(const TRecord&)>& ProofOf) {
  std::string Text = "Records in " + Folder + "\n";
  for (std::int32_t Generator = 0; Generator <= 2; ++Generator) {
    Text += std::string("\n") + GeneratorName(Generator) + ":\n";
    bool Any = false;
    for (std::int32_t Level = 1; Level <= 10; ++Level) {
      std::size_t Place = 0;
      for (const TRecord& R : Table.Pair(Level, Generator)) {
        char Line[160];
        std::snprintf(Line, sizeof Line, "  level %2d  %2zu.  %8s  %u %s  %s  %s", Level, ++Place,
                      PlayTimeText(R.PlayedMs).c_str(), R.Lives, R.Lives == 1 ? "life " : "lives",
                      RecordDate(R.Date).c_str(), R.File.c_str());
        Text += Line + RecordMarks(R, R.File == Table.Newest, RecordingThere(R), ProofOf(R)) + "\n";
        Any = true;
      }
    }
    if (!Any)
      Text += "  none yet\n";
  }
  return Text;
}
