#pragma once

#include "engine/game.h"

#include <array>
#include <cstdint>

// Everything a later pass of the game decides on: the yard, the robot, the
// truck, the lives and the level. Every timer compares 1 ms readings of the
// tick counter and fires at most once in a millisecond, so a pass that leaves
// all of this as it found it is followed, in the same millisecond, only by
// passes that change nothing either.
struct TPlayState {
  std::array<TGGCell, TGameGrid::CellCount> Cells;
  std::array<std::uint32_t, 11> Robot{};
  std::array<std::uint32_t, 3> Truck{};
  std::array<std::uint32_t, 7> Game{};
  bool Paused = false, Stopped = false;

  friend bool operator==(const TPlayState&, const TPlayState&) = default;
};

// Copies the game's play state into State (kept by the caller: it is large).
void CapturePlayState(const TGame& Game, TPlayState& State);

// Tells the loop whether the last pass changed anything it could decide on.
class TPassWatch {
public:
  // Takes the state as it stands as the one to compare with.
  void Reset(const TGame& Game);
  // Whether the game's state differs from the one at the last call (or
  // Reset), whatever changed it: the tick, or a key handled since.
  bool Changed(const TGame& Game);

private:
  TPlayState States[2];
  int Last = 0;
};
