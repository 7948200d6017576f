#include "replay/recorder.h"

TReplayRecorder::TReplayRecorder()
    : PreviousTicks(SetTickSource(this)), PreviousSeeds(SetSeedSource(this)) {
  StartHeader.GameVersion = GameVersion();
}

TReplayRecorder::~TReplayRecorder() {
  SetTickSource(PreviousTicks);
  SetSeedSource(PreviousSeeds);
}

std::uint32_t TReplayRecorder::Now() {
  const std::uint32_t Reading = PreviousTicks != nullptr ? PreviousTicks->Now() : SteadyTickCount();
  Writer.Add({TEventKind::Reading, Reading});
  return Reading;
}

std::uint64_t TReplayRecorder::Seed(std::uint64_t FromClock) {
  const std::uint64_t Value = PreviousSeeds != nullptr ? PreviousSeeds->Seed(FromClock) : FromClock;
  // The first seed goes in the header; a seed the game takes later goes where it took it.
  if (!Seeded)
    StartHeader.Seed = Value;
  else
    Writer.Add({TEventKind::Seed, Value});
  Seeded = true;
  return Value;
}

void TReplayRecorder::Key(std::uint32_t Code) { Writer.Add({TEventKind::Key, Code}); }

void TReplayRecorder::Setting(TEventKind Kind, std::int32_t Value) {
  Writer.Add({Kind, static_cast<std::uint32_t>(Value)});
}

void TReplayRecorder::SetStartSettings(std::int32_t StartLevel, std::int32_t Generator, bool SoundOn) {
  StartHeader.StartLevel = StartLevel;
  StartHeader.Generator = Generator;
  StartHeader.SoundOn = SoundOn;
}

void TReplayRecorder::Save(const std::string& Path) const { Writer.Save(Path, StartHeader); }

std::vector<std::uint8_t> TReplayRecorder::Bytes() const { return Writer.Finish(StartHeader); }
