#pragma once

#include "platform/random.h"
#include "platform/tick.h"
#include "replay/recording.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Plays a recording back through the game's seams: installs itself as the
// tick source and the seed source, so the game reads the recorded clock and
// draws from the recorded seeds, and hands the recorded keys and settings to
// whoever drives the window, at the moment they come due. Restores the old
// sources when destroyed. The events stay packed as the file holds them and
// are unpacked a block at a time as the game comes to them.
class TReplayPlayer : public TTickSource, public TSeedSource {
public:
  TReplayPlayer(TRecording Recording, std::string Path);
  ~TReplayPlayer() override;
  TReplayPlayer(const TReplayPlayer&) = delete;
  TReplayPlayer& operator=(const TReplayPlayer&) = delete;

  std::uint32_t Now() override;
  std::uint64_t Seed(std::uint64_t FromClock) override;

  const TReplayHeader& Header() const { return Recorded.Header; }
  // The next event when it is the window's to handle (a key or a setting), else nullptr.
  const TReplayEvent* DueInput() const;
  // Hands out the due input; call only when DueInput() gives one.
  TReplayEvent TakeInput();
  // Every event is used up: the original program ended at this point, or
  // the recording ends early here.
  bool Finished() const { return Fault.empty() && Coming.Kind == TEventKind::End; }
  // The file ends before the original game did.
  bool EndsEarly() const { return Recorded.EndsEarly; }
  // What went wrong, naming the file; empty while the game follows the recording.
  const std::string& FaultText() const { return Fault; }
  std::uint32_t LastReading() const { return Reading; }
  // How many events the game has used so far.
  std::size_t Used() const { return Position; }
  // Gives up: the replay stops here with this fault.
  void Abandon(const std::string& What) { Diverge(What); }
  // Once every event is used up, the game goes on as the player's own: the
  // clock runs on from the last reading at the pace of the clock this player
  // replaced, and seeds come from the source it replaced.
  void GoOnLive() { Live = true; }

  // Called whenever the game has taken a reading or a seed, so that the
  // driver can hand out what comes due next.
  std::function<void()> Advanced;

private:
  // Moves on to the next event; gives the one that was coming.
  TReplayEvent Take();
  void Diverge(const std::string& What);

  TRecording Recorded;
  std::string Path;
  TEventStream Events;
  TReplayEvent Coming; // the next event: End once the recording is used up
  std::size_t Position = 0;
  std::uint32_t Reading = 0;
  bool Seeded = false;
  bool Live = false;
  bool LiveStarted = false;
  std::uint32_t LiveOffset = 0; // added to the replaced clock once the game goes on live
  std::string Fault;
  TTickSource* PreviousTicks;
  TSeedSource* PreviousSeeds;
};
