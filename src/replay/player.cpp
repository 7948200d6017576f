#include "replay/player.h"

#include <cassert>
#include <utility>

TReplayPlayer::TReplayPlayer(TRecording aRecording, std::string aPath)
    : Recorded(std::move(aRecording)), Path(std::move(aPath)), Events(Recorded.Events, Path), Coming(Events.Next()),
      PreviousTicks(SetTickSource(this)), PreviousSeeds(SetSeedSource(this)) {}

TReplayPlayer::~TReplayPlayer() {
  SetTickSource(PreviousTicks);
  SetSeedSource(PreviousSeeds);
}

TReplayEvent TReplayPlayer::Take() {
  ++Position;
  return std::exchange(Coming, Events.Next());
}

void TReplayPlayer::Diverge(const std::string& What) {
  if (Fault.empty())
    Fault = ReplayFault(Path, What);
}

std::uint32_t TReplayPlayer::Now() {
  if (!Fault.empty())
    return Reading;
  switch (Coming.Kind) {
  case TEventKind::Reading:
    Reading = static_cast<std::uint32_t>(Take().Value);
    break;
  case TEventKind::End:
    if (Live) {
      const std::uint32_t Outside = PreviousTicks != nullptr ? PreviousTicks->Now() : OutsideTickCount();
      if (!LiveStarted) {
        LiveStarted = true;
        LiveOffset = Reading - Outside;
      }
      Reading = Outside + LiveOffset;
      break;
    }
    // A recording that ends early stops here, with the clock where it was.
    if (!Recorded.EndsEarly)
      Diverge("its data runs out before the game ends");
    break;
  default:
    // The original game handled a key here before it read the clock again.
    Diverge("the game does not follow it (the clock was read where a key was recorded)");
    break;
  }
  if (Advanced)
    Advanced();
  return Reading;
}

std::uint64_t TReplayPlayer::Seed(std::uint64_t FromClock) {
  if (!Seeded) {
    Seeded = true;
    return Recorded.Header.Seed;
  }
  if (Live && Finished())
    return PreviousSeeds != nullptr ? PreviousSeeds->Seed(FromClock) : FromClock;
  if (!Fault.empty() || Coming.Kind != TEventKind::Seed) {
    if (!(Finished() && Recorded.EndsEarly))
      Diverge("the game does not follow it (the random generator was seeded where nothing was recorded)");
    if (Advanced)
      Advanced();
    return Recorded.Header.Seed;
  }
  const std::uint64_t Value = Take().Value;
  if (Advanced)
    Advanced();
  return Value;
}

const TReplayEvent* TReplayPlayer::DueInput() const {
  if (!Fault.empty())
    return nullptr;
  return Coming.Kind == TEventKind::Key || IsSetting(Coming.Kind) ? &Coming : nullptr;
}

TReplayEvent TReplayPlayer::TakeInput() {
  assert(DueInput() != nullptr && "no key or setting is due");
  return Take();
}
