#pragma once

#include "engine/game.h"

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

// What the game's picture shows, as far as drawing only what changed knows,
// and the layers it restores before drawing a cell again. Whatever it draws
// again gets the same pixels a whole new Render would give: the rectangle is
// first restored to the background (with the rock cells on it, when nothing
// lies under a rock), then every cell reaching into it is drawn again as its
// look, in Render's order, and the status line last, all limited to the
// rectangle.
class TRenderCache {
public:
  explicit TRenderCache(TGame& aGame) : Game(aGame) {}
  TRenderCache(const TRenderCache&) = delete;
  TRenderCache& operator=(const TRenderCache&) = delete;

  // Brings the game's picture to what Render would draw now (see
  // TGame::RenderChanges) and returns the rectangles that changed. A picture
  // drawn on by other means since the last call (its draw count tells) is
  // drawn and reported whole.
  const std::vector<TPictureRect>& Changes();

private:
  static constexpr std::size_t CellCount = TGameGrid::CellCount;
  using TLooks = std::array<TCellLook, CellCount>;
  enum class TShown { Nothing, Yard, LoseScreen, WinScreen, OtherStop };
  class TCellMarks;

  bool KeepsYard();
  void DrawChangedYard();
  void NoteStatus(TCellMarks& Marks);
  bool NoteLooks(TCellMarks& Marks);
  void RedrawYard();
  void BuildStaticLayer(const TLooks& Rocks);
  bool StaticLayerFits(const TPictureRect& Rect) const;
  void RedrawRect(const TPictureRect& Rect);
  void ComposeRows(const TPictureRect& Rect, bool WithRocks);

  TGame& Game;
  void Forget();

  const TPicture* Picture = nullptr; // the picture all this is about
  std::uint64_t DrawsSeen = 0;       // its draw count when the last Changes was done with it
  TShown Shown = TShown::Nothing;    // Nothing: unknown, drawn on by other means
  bool CopyAll = true;               // the whole picture is to be reported
  TLooks Looks{};                    // what each cell shows
  std::array<TPictureRect, CellCount> Feet{}; // where each of those looks lies
  std::vector<std::size_t> Oversize; // cells whose frame reaches beyond the cell
  std::array<TDrawRecord, 2> Status; // the status line's two parts as drawn

  // Drawing only changes needs a background that hides the picture before it.
  bool Checked = false, BackCovers = false;
  // The background alone, and with the rock cells of StaticLooks on it.
  std::unique_ptr<TPicture> Back, Static;
  TLooks StaticLooks{};

  std::vector<TPictureRect> Changed;
  std::vector<std::size_t> Order;     // cells to draw in a rectangle
  std::array<bool, CellCount> Over{}; // which of them go straight over the layer below
  std::vector<TBandPart> Parts;       // one row of cells in the making
};
