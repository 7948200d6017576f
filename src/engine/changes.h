#pragma once

#include "engine/game.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Everything a later pass of the game decides on: the yard, the robot, the
// truck, the lives and the level. Every timer compares 1 ms readings of the
// tick counter and fires at most once in a millisecond, so a pass that leaves
// all of this as it found it is followed, in the same millisecond, only by
// passes that change nothing either.
struct TPlayState {
  std::array<TGGCell, TGameGrid::MaxCols * TGameGrid::MaxRows> Cells;
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

// What the picture in Scr shows, as far as RenderChanges knows, and the
// layer it restores before drawing a cell again.
struct TKeptPicture {
  static constexpr std::size_t CellCount = TGameGrid::MaxCols * TGameGrid::MaxRows;
  enum class TShown { Nothing, Yard, LoseScreen, WinScreen, OtherStop };

  const TPicture* Picture = nullptr; // the picture all this is about
  TShown Shown = TShown::Nothing;    // Nothing: unknown, drawn on by other means
  bool CopyAll = true;            // drawn on by other means since the last RenderChanges
  std::array<const TPngImage*, CellCount> Frames{}; // the frame each cell shows
  std::array<TPictureRect, CellCount> Feet{};        // where each of those frames lies
  std::vector<std::size_t> Oversize;                 // cells whose frame reaches beyond the cell
  std::array<TDrawRecord, 2> Status;                 // the status line's two parts as drawn

  // Drawing only changes needs a background that hides the picture before it.
  bool Checked = false, BackCovers = false;
  // The background alone, and with the rock cells of StaticFrames on it.
  std::unique_ptr<TPicture> Back, Static;
  std::array<const TPngImage*, CellCount> StaticFrames{};

  std::vector<TPictureRect> Changed;
  std::vector<std::size_t> Order; // cells to draw in a rectangle
  std::array<bool, CellCount> Over{}; // which of them go straight over the layer below
  std::vector<TBandPart> Parts;        // one row of cells in the making
};
