#pragma once

#include "platform/random.h"
#include "platform/tick.h"
#include "replay/recording.h"

#include <cstdint>
#include <string>

// Records a game while it is played: installs itself as the tick source and
// the seed source, passing on what the sources it replaces give, and takes the
// keys and settings the windows report. Restores the old sources when destroyed.
class TReplayRecorder : public TTickSource, public TSeedSource {
public:
  TReplayRecorder();
  ~TReplayRecorder() override;
  TReplayRecorder(const TReplayRecorder&) = delete;
  TReplayRecorder& operator=(const TReplayRecorder&) = delete;

  std::uint32_t Now() override;
  std::uint64_t Seed(std::uint64_t FromClock) override;
  void Key(std::uint32_t Code);
  void Setting(TEventKind Kind, std::int32_t Value);

  // The settings the game starts with, once the windows have set them up.
  void SetStartSettings(std::int32_t StartLevel, std::int32_t Generator, bool SoundOn);
  const TReplayHeader& Header() const { return StartHeader; }
  // Writes everything so far, ending with End; throws EReplayError.
  void Save(const std::string& Path) const;
  std::vector<std::uint8_t> Bytes() const;

private:
  TReplayWriter Writer;
  TReplayHeader StartHeader;
  bool Seeded = false;
  TTickSource* PreviousTicks;
  TSeedSource* PreviousSeeds;
};
