#pragma once

#include "platform/files.h"
#include "platform/random.h"
#include "platform/tick.h"
#include "replay/recording.h"

#include <cstdint>
#include <functional>
#include <string>

// Records a game while it is played: installs itself as the tick source and
// the seed source, passing on what the sources it replaces give, and takes the
// keys and settings the windows report. Restores the old sources when destroyed.
//
// Written to a file, the recording goes there in blocks as the game goes, each
// flushed to disk and never rewritten, so that whatever ends the program
// leaves the game up to the last block.
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

  // Starts the file at Path with the header and what was recorded so far;
  // a block follows whenever one is full or WritePending is called.
  void WriteTo(const std::string& Path);
  // Writes the events not yet on disk as a block: called every few seconds.
  void WritePending();
  // Ends the recording with End and writes the rest.
  void Finish();
  // Why the recording stopped before the game ended; empty while it records.
  const std::string& Fault() const { return StopReason; }
  // Told once, with the reason, when the recording stops before the game ends.
  std::function<void(const std::string&)> Stopped;

  // The whole recording at once, for a recorder that writes no file.
  std::vector<std::uint8_t> Bytes();
  // What was recorded so far as a whole recording that ends here; the
  // recording goes on. Empty once it has stopped before the game's end.
  std::vector<std::uint8_t> SoFar() const;

private:
  void Add(const TReplayEvent& Event);
  void WriteBlocks();
  void Stop(const std::string& Reason);

  TReplayWriter Writer;
  std::vector<std::uint8_t> OnDisk; // the blocks written to the file, kept for SoFar
  TReplayHeader StartHeader;
  std::string Path;
  TAppendFile File;
  bool Seeded = false;
  bool Recording = true;
  std::string StopReason;
  TTickSource* PreviousTicks;
  TSeedSource* PreviousSeeds;
};
