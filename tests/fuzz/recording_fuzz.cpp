// Fuzz target: any bytes as a recording. The reader either refuses them with
// a message that names the file and shows no control character, or gives a
// recording the game could have made: its settings in range, End last and
// only there (none in one that ends early), and the same events and header
// when it is written again and read back.
#include "fuzz_scratch.h"
#include "replay/recording.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {
const std::string Name = "fuzz.rec";

void Check(bool Holds, const char* What) { fuzz::Check(Holds, "recording", What); }

bool IsEnd(const TReplayEvent& E) { return E.Kind == TEventKind::End; }

void CheckRecording(const TRecording& R) {
  Check(R.Header.StartLevel >= 1 && R.Header.StartLevel <= 10, "the start level is one the game has");
  Check(R.Header.Generator >= 0 && R.Header.Generator <= 2, "the generator is one the game has");
  Check(R.Header.RulesVersion >= OldestRulesVersion && R.Header.RulesVersion <= RulesVersion,
        "the rules are ones this game plays by");
  const std::vector<TReplayEvent> Events = R.AllEvents();
  const auto Ends = std::count_if(Events.begin(), Events.end(), IsEnd);
  if (R.EndsEarly)
    Check(Ends == 0, "a recording that ends early holds no End");
  else
    Check(Ends == 1 && IsEnd(Events.back()), "End comes last, once");

  TReplayWriter Writer;
  for (const TReplayEvent& E : Events)
    if (!IsEnd(E))
      Writer.Add(E);
  const TRecording Again = DecodeRecording(Writer.Finish(R.Header), Name);
  const std::vector<TReplayEvent> AgainEvents = Again.AllEvents();
  Check(Again.Header == R.Header, "the header is written and read back as it was");
  Check(!Again.EndsEarly && std::equal(Events.begin(), Events.end() - (R.EndsEarly ? 0 : 1), AgainEvents.begin()),
        "the events are written and read back as they were");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TRecording R;
  try {
    R = DecodeRecording({Data, Data + Size}, Name);
  } catch (const EReplayError& Error) {
    const std::string Text = Error.what();
    Check(Text.rfind("Cannot replay \"" + Name + "\": ", 0) == 0, "the message names the file");
    Check(std::none_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x20; }),
          "the message shows no control character");
    return 0;
  }
  CheckRecording(R);
  return 0;
}
