#include "engine/render_cache.h"

#include <algorithm>

namespace {
// Whether Inner lies wholly inside Outer; nothing lies inside anything.
bool Within(const TPictureRect& Inner, const TPictureRect& Outer) {
  return Inner.Empty() || (Inner.X >= Outer.X && Inner.Y >= Outer.Y && Inner.X + Inner.W <= Outer.X + Outer.W &&
                           Inner.Y + Inner.H <= Outer.Y + Outer.H);
}

// The columns and rows of the cells a rectangle reaches into.
struct TCellSpan {
  std::uint32_t Col0 = 1, Col1 = 0, Row0 = 1, Row1 = 0; // empty by default
};
TCellSpan SpanOf(const TGameGrid& G, const TPictureRect& R) {
  const std::int32_t Right = std::min(R.X + R.W, ToInt(G.ColsCount * G.CellWidth));
  const std::int32_t Bottom = std::min(R.Y + R.H, ToInt(G.RowsCount * G.CellHeight));
  const std::int32_t Left = std::max(R.X, 0), Top = std::max(R.Y, 0);
  if (R.Empty() || Right <= Left || Bottom <= Top)
    return {};
  const auto Cw = ToInt(G.CellWidth), Ch = ToInt(G.CellHeight);
  return {static_cast<std::uint32_t>(Left / Cw) + 1, static_cast<std::uint32_t>((Right - 1) / Cw) + 1,
          static_cast<std::uint32_t>(Top / Ch) + 1, static_cast<std::uint32_t>((Bottom - 1) / Ch) + 1};
}

TPictureRect Intersected(const TPictureRect& A, const TPictureRect& B) {
  const std::int32_t L = std::max(A.X, B.X), T = std::max(A.Y, B.Y);
  const std::int32_t R = std::min(A.X + A.W, B.X + B.W), Bo = std::min(A.Y + A.H, B.Y + B.H);
  return R > L && Bo > T ? TPictureRect{L, T, R - L, Bo - T} : TPictureRect{};
}

// Whether the look is one frame that fills its cell exactly.
bool FillsCell(const TGameGrid& G, const TCellLook& Look) {
  return Look.Frame != nullptr && Look.Frame->Width() == G.CellWidth && Look.Frame->Height() == G.CellHeight;
}
} // namespace

// The cells of the yard a rectangle reaches into.
class TRenderCache::TCellMarks {
public:
  explicit TCellMarks(const TGameGrid& Grid) : G(Grid) {}
  void Mark(const TPictureRect& R) {
    if (R.Empty())
      return;
    const auto Col = [this](std::int32_t Px) {
      return static_cast<std::uint32_t>(std::clamp(Px / ToInt(G.CellWidth), 0, ToInt(G.ColsCount) - 1)) + 1;
    };
    const auto Row = [this](std::int32_t Px) {
      return static_cast<std::uint32_t>(std::clamp(Px / ToInt(G.CellHeight), 0, ToInt(G.RowsCount) - 1)) + 1;
    };
    if (R.X + R.W <= 0 || R.Y + R.H <= 0)
      return;
    for (std::uint32_t Y = Row(std::max(R.Y, 0)); Y <= Row(R.Y + R.H - 1); ++Y)
      for (std::uint32_t X = Col(std::max(R.X, 0)); X <= Col(R.X + R.W - 1); ++X)
        Marked[TGameGrid::CellIndex(X, Y)] = true;
  }
  // The marked cells as rectangles: runs along each row, joined with the same
  // run in the rows below.
  void ToRects(std::vector<TPictureRect>& Rects) const {
    for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
      for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
        if (!Marked[TGameGrid::CellIndex(X, Y)])
          continue;
        std::uint32_t End = X;
        while (End < G.ColsCount && Marked[TGameGrid::CellIndex(End + 1, Y)])
          ++End;
        TPictureRect Run = G.CellRect(X, Y);
        Run.W = ToInt((End - X + 1) * G.CellWidth);
        const auto Above = std::find_if(Rects.begin(), Rects.end(), [&Run](const TPictureRect& R) {
          return R.X == Run.X && R.W == Run.W && R.Y + R.H == Run.Y;
        });
        if (Above != Rects.end())
          Above->H += Run.H;
        else
          Rects.push_back(Run);
        X = End;
      }
    }
  }

private:
  const TGameGrid& G;
  std::array<bool, CellCount> Marked{};
};

void TRenderCache::Forget() {
  Shown = TShown::Nothing;
  CopyAll = true;
}

const std::vector<TPictureRect>& TRenderCache::Changes() {
  Changed.clear();
  // Another picture put in Scr's place, or this one drawn on by anything but
  // this cache since it last looked: what it shows is unknown.
  if (Picture != Game.Scr.get() || Picture->DrawCount() != DrawsSeen) {
    Picture = Game.Scr.get();
    Forget();
  }
  const TPictureRect Whole{0, 0, ToInt(Game.Scr->Width()), ToInt(Game.Scr->Height())};

  if (Game.Stopped) {
    // The win and lose screens stay as they are once drawn.
    const TShown Now = Game.Lives == 0              ? TShown::LoseScreen
                       : Game.Lives == TGame::WonLives ? TShown::WinScreen
                                                       : TShown::OtherStop;
    if (Shown != Now) {
      // A plain stop draws nothing new.
      Game.Render();
      Shown = Now;
      CopyAll = CopyAll || Now != TShown::OtherStop;
    }
  } else if (!KeepsYard()) {
    Game.Render();
    Forget();
  } else {
    DrawChangedYard();
  }
  if (CopyAll) {
    Changed.assign(1, Whole);
    CopyAll = false;
  }
  DrawsSeen = Picture->DrawCount();
  return Changed;
}

void TRenderCache::DrawChangedYard() {
  TCellMarks Marks(*Game.GameGrid);
  NoteStatus(Marks);
  if (NoteLooks(Marks)) {
    const TGameGrid& G = *Game.GameGrid;
    Oversize.clear();
    for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
      for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
        if (const std::size_t I = TGameGrid::CellIndex(X, Y); !Within(Feet[I], G.CellRect(X, Y)))
          Oversize.push_back(I);
  }
  if (Shown != TShown::Yard) {
    RedrawYard();
    Shown = TShown::Yard;
    CopyAll = true;
    return;
  }
  Marks.ToRects(Changed);
  for (const TPictureRect& R : Changed)
    RedrawRect(R);
}

// Marks where the status line's parts changed, each on its own: a new bomb
// count leaves the level's end of the line alone.
void TRenderCache::NoteStatus(TCellMarks& Marks) {
  TPicture& Scr = *Game.Scr;
  // A whole Render clears the brush before any text.
  Scr.SetBrushClear();
  std::array<TDrawRecord, 2> Now;
  Scr.StartRecording(Now[0], false);
  Game.DrawStatusCounts();
  Scr.StartRecording(Now[1], false);
  Game.DrawStatusLevel();
  Scr.StopRecording();
  for (std::size_t I = 0; I < Now.size(); ++I) {
    if (Now[I] == Status[I])
      continue;
    Marks.Mark(Status[I].Bounds);
    Marks.Mark(Now[I].Bounds);
    Status[I] = Now[I];
  }
}

// Marks the cells whose look changed, with everywhere the old and the new
// look lie; whether any did.
bool TRenderCache::NoteLooks(TCellMarks& Marks) {
  const TGameGrid& G = *Game.GameGrid;
  bool Any = false;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const std::size_t I = TGameGrid::CellIndex(X, Y);
      const TCellLook Look = Game.CellLook(X, Y);
      if (Look == Looks[I])
        continue;
      Marks.Mark(Feet[I]);
      Looks[I] = Look;
      Feet[I] = Look.Feet();
      Marks.Mark(Feet[I]);
      Marks.Mark(G.CellRect(X, Y));
      Any = true;
    }
  }
  return Any;
}

// Whether the background hides whatever the picture held before, as drawing
// only changes needs; checked once, the pictures never change.
bool TRenderCache::KeepsYard() {
  if (Checked)
    return BackCovers;
  Checked = true;
  const TPicture& Scr = *Game.Scr;
  const TPngImage* Background = Game.SpritesContainer->BG.Sprite(1);
  if (Background == nullptr || Background->Empty() || Background->Width() < Scr.Width() ||
      Background->Height() < Scr.Height())
    return false;
  for (std::uint32_t Y = 0; Y < Scr.Height(); ++Y)
    for (std::uint32_t X = 0; X < Scr.Width(); ++X)
      if (Background->PixelAt(X, Y).A != 255)
        return false;
  BackCovers = true;
  Back = std::make_unique<TPicture>(Scr.Width(), Scr.Height());
  Back->Draw(0, 0, *Background);
  return true;
}

// The whole yard from the layers, as the looks and status now noted show it.
void TRenderCache::RedrawYard() {
  const TGameGrid& G = *Game.GameGrid;
  // The rock cells: the ones that never move and never change their frame.
  TLooks Rocks{};
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const TGGCell& C = G.Cells(X, Y);
      const std::size_t I = TGameGrid::CellIndex(X, Y);
      if (C.Holded && C.TicksToSprite == 0 && FillsCell(G, Looks[I]))
        Rocks[I] = Looks[I];
    }
  }
  if (!Static || Rocks != StaticLooks)
    BuildStaticLayer(Rocks);
  RedrawRect({0, 0, ToInt(Game.Scr->Width()), ToInt(Game.Scr->Height())});
}

void TRenderCache::BuildStaticLayer(const TLooks& Rocks) {
  StaticLooks = Rocks;
  Static = std::make_unique<TPicture>(Game.Scr->Width(), Game.Scr->Height());
  Static->Draw(0, 0, *Game.SpritesContainer->BG.Sprite(1));
  for (const TCellLook& Rock : Rocks)
    Rock.DrawOn(*Static);
}

// Whether restoring Rect from the layer with the rocks gives what a whole
// Render has there before the cells after the rocks: every rock in it shows
// its look, and no bigger frame drawn before a rock reaches under it.
bool TRenderCache::StaticLayerFits(const TPictureRect& Rect) const {
  if (!Static)
    return false;
  const TGameGrid& G = *Game.GameGrid;
  const auto RocksShown = [this](const TCellSpan& S, std::size_t After) {
    for (std::uint32_t Y = S.Row0; Y <= S.Row1; ++Y) {
      for (std::uint32_t X = S.Col0; X <= S.Col1; ++X) {
        const std::size_t I = TGameGrid::CellIndex(X, Y);
        if (StaticLooks[I].Frame != nullptr && (I > After || Looks[I] != StaticLooks[I]))
          return false;
      }
    }
    return true;
  };
  // Every rock in the rectangle shows its look (no bigger frame matters yet).
  if (!RocksShown(SpanOf(G, Rect), CellCount))
    return false;
  // No bigger frame drawn before a rock lies under it there.
  for (const std::size_t Big : Oversize)
    if (!RocksShown(SpanOf(G, Intersected(Feet[Big], Rect)), Big))
      return false;
  return true;
}

void TRenderCache::RedrawRect(const TPictureRect& Rect) {
  const TGameGrid& G = *Game.GameGrid;
  // The cells to draw again, in Render's order: the ones in the rectangle
  // (Rect is whole cells), and bigger frames reaching into it from elsewhere.
  Order.clear();
  const TCellSpan Span = SpanOf(G, Rect);
  for (std::uint32_t Y = Span.Row0; Y <= Span.Row1; ++Y)
    for (std::uint32_t X = Span.Col0; X <= Span.Col1; ++X)
      if (const std::size_t I = TGameGrid::CellIndex(X, Y); Looks[I].Frame != nullptr)
        Order.push_back(I);
  bool Added = false;
  for (const std::size_t Big : Oversize) {
    if (Feet[Big].Intersects(Rect) && std::find(Order.begin(), Order.end(), Big) == Order.end()) {
      Order.push_back(Big);
      Added = true;
    }
  }
  if (Added)
    std::sort(Order.begin(), Order.end());

  const bool WithRocks = StaticLayerFits(Rect);
  ComposeRows(Rect, WithRocks);
  TPicture& Scr = *Game.Scr;
  // The whole picture needs no limit, and drawing goes faster without one.
  const bool Clipped = !(Rect == TPictureRect{0, 0, ToInt(Scr.Width()), ToInt(Scr.Height())});
  if (Clipped)
    Scr.SetClip(Rect);
  for (const std::size_t I : Order)
    if (!Over[I] && !(WithRocks && Looks[I] == StaticLooks[I]))
      Looks[I].DrawOn(Scr);
  if (std::any_of(Status.begin(), Status.end(), [&Rect](const TDrawRecord& R) { return R.Bounds.Intersects(Rect); }))
    Game.DrawStatusStr();
  if (Clipped)
    Scr.ClearClip();
}

// The base layer over Rect, row of cells by row of cells, with the cells of
// Order that may go straight over it drawn in the same sweep (noted in Over).
void TRenderCache::ComposeRows(const TPictureRect& Rect, bool WithRocks) {
  const TGameGrid& G = *Game.GameGrid;
  TPicture& Base = WithRocks ? *Static : *Back;
  // A frame that fills its cell, with nothing drawn before it reaching into
  // the cell, goes straight over the base layer: the layer need not be
  // copied there first.
  const auto OverBase = [&](std::size_t I) {
    const TPictureRect Cell = G.CellRect(TGameGrid::ColOf(I), TGameGrid::RowOf(I));
    if (!FillsCell(G, Looks[I]) || !Within(Cell, Rect) || (WithRocks && Looks[I] == StaticLooks[I]))
      return false;
    return std::none_of(Oversize.begin(), Oversize.end(),
                        [&](std::size_t Big) { return Big < I && Feet[Big].Intersects(Cell); });
  };
  Over.fill(false);
  for (const std::size_t I : Order)
    Over[I] = OverBase(I);
  // Each row of cells in one sweep: the runs of cells with the base layer as
  // it is, and the cells drawn straight over it. The picture is the yard's
  // cells, no more.
  const TCellSpan Span = SpanOf(G, Rect);
  const std::int32_t CellsWidth = ToInt(G.ColsCount * G.CellWidth);
  for (std::uint32_t Y = Span.Row0; Y <= Span.Row1; ++Y) {
    const TPictureRect Row = G.CellRect(1, Y);
    const TPictureRect Band = Intersected(Rect, {0, Row.Y, CellsWidth, Row.H});
    Parts.clear();
    for (std::uint32_t X = Span.Col0; X <= Span.Col1; ++X) {
      const TPictureRect Cell = G.CellRect(X, Y);
      if (const std::size_t I = TGameGrid::CellIndex(X, Y); Over[I]) {
        Parts.push_back({Cell.X, Cell.W, Looks[I].Frame});
        continue;
      }
      std::uint32_t End = X;
      while (End < Span.Col1 && !Over[TGameGrid::CellIndex(End + 1, Y)])
        ++End;
      const TPictureRect Run = Intersected(Band, {Cell.X, Band.Y, ToInt((End - X + 1) * G.CellWidth), Band.H});
      Parts.push_back({Run.X, Run.W, nullptr});
      X = End;
    }
    Game.Scr->ComposeBand(Band.Y, Band.H, Parts, Base);
  }
}

const std::vector<TPictureRect>& TGame::RenderChanges() {
  if (!Cache)
    Cache = std::make_unique<TRenderCache>(*this);
  return Cache->Changes();
}
