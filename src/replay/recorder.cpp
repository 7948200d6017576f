#include "replay/recorder.h"

TReplayRecorder::TReplayRecorder()
    : PreviousTicks(SetTickSource(this)), PreviousSeeds(SetSeedSource(this)) {
  StartHeader.RulesVersion = RulesVersion;
  StartHeader.GameVersion = GameVersion();
}

TReplayRecorder::~TReplayRecorder() {
  SetTickSource(PreviousTicks);
  SetSeedSource(PreviousSeeds);
}

std::uint32_t TReplayRecorder::Now() {
  const std::uint32_t Reading = PreviousTicks != nullptr ? PreviousTicks->Now() : OutsideTickCount();
  Add({TEventKind::Reading, Reading});
  return Reading;
}

std::uint64_t TReplayRecorder::Seed(std::uint64_t FromClock) {
  const std::uint64_t Value = PreviousSeeds != nullptr ? PreviousSeeds->Seed(FromClock) : FromClock;
  // The first seed goes in the header; a seed the game takes later goes where it took it.
  if (!Seeded)
    StartHeader.Seed = Value;
  else
    Add({TEventKind::Seed, Value});
  Seeded = true;
  return Value;
}

void TReplayRecorder::Key(std::uint32_t Code) { Add({TEventKind::Key, Code}); }

void TReplayRecorder::Setting(TEventKind Kind, std::int32_t Value) {
  Add({Kind, static_cast<std::uint32_t>(Value)});
}

void TReplayRecorder::SetStartSettings(std::int32_t StartLevel, std::int32_t Generator, bool SoundOn) {
  StartHeader.StartLevel = StartLevel;
  StartHeader.Generator = Generator;
  StartHeader.SoundOn = SoundOn;
}

void TReplayRecorder::Add(const TReplayEvent& Event) {
  if (!Recording)
    return;
  // Room is kept for one more event and End; the reader refuses anything longer.
  constexpr std::uint64_t Room = 2 * 11;
  const bool Full = Writer.EventBytes() + Room > MaxRecordedEventBytes || Writer.BlockCount() + 3 > MaxRecordingBlocks;
  if (Full) {
    WriteBlocks();
    Stop("The recording \"" + Path + "\" has reached the largest size a recording may have (about three hours of "
         "play). The game goes on without recording; what was recorded stays readable.");
    return;
  }
  Writer.Add(Event);
  if (Writer.BlockReady())
    WriteBlocks();
}

void TReplayRecorder::WriteTo(const std::string& aPath) {
  Path = aPath;
  const std::vector<std::uint8_t> Opening = TReplayWriter::Opening(StartHeader);
  if (!File.Open(Path) || !File.Append(Opening.data(), Opening.size())) {
    Stop("Cannot write the recording \"" + Path + "\": " + File.Error() + ". The game goes on without recording.");
    return;
  }
  WriteBlocks();
}

void TReplayRecorder::WritePending() {
  if (Writer.HasPending())
    WriteBlocks();
}

void TReplayRecorder::WriteBlocks() {
  if (!File.IsOpen())
    return;
  const std::vector<std::uint8_t> Blocks = Writer.TakeBlocks();
  OnDisk.insert(OnDisk.end(), Blocks.begin(), Blocks.end());
  if (Blocks.empty() || File.Append(Blocks.data(), Blocks.size()))
    return;
  Stop("Cannot write the recording \"" + Path + "\": " + File.Error() +
       ". The game goes on without recording; what was recorded stays readable.");
}

void TReplayRecorder::Finish() {
  if (!Recording)
    return;
  Writer.Add({TEventKind::End, 0});
  WriteBlocks();
  File.Close();
  Recording = false;
}

void TReplayRecorder::Stop(const std::string& Reason) {
  if (!Recording)
    return;
  Recording = false;
  File.Close();
  StopReason = Reason;
  if (Stopped)
    Stopped(Reason);
}

std::vector<std::uint8_t> TReplayRecorder::Bytes() { return Writer.Finish(StartHeader); }

std::vector<std::uint8_t> TReplayRecorder::SoFar() const {
  if (!Recording)
    return {};
  TReplayWriter Rest = Writer;
  Rest.Add({TEventKind::End, 0});
  std::vector<std::uint8_t> Out = TReplayWriter::Opening(StartHeader);
  const std::vector<std::uint8_t> Last = Rest.TakeBlocks();
  Out.insert(Out.end(), OnDisk.begin(), OnDisk.end());
  Out.insert(Out.end(), Last.begin(), Last.end());
  return Out;
}
