// Drawing only what changed since the last picture. Whatever is drawn again
// gets the same pixels a whole new Render would give: the rectangle is first
// restored to the background (with the rock cells on it, when nothing lies
// under a rock), then every cell reaching into it is drawn again in Render's
// order, and the status line last, all limited to the rectangle.
#include "engine/changes.h"

#include <algorithm>

namespace {
using TShown = TKeptPicture::TShown;
constexpr std::size_t CellCount = TKeptPicture::CellCount;

std::size_t Index(std::uint32_t X, std::uint32_t Y) { return (Y - 1) * TGameGrid::MaxCols + (X - 1); }

// A frame that draws nothing counts as none.
const TPngImage* Drawn(const TPngImage* Frame) { return Frame != nullptr && !Frame->Empty() ? Frame : nullptr; }

std::int32_t ToInt(std::uint32_t V) { return static_cast<std::int32_t>(V); }

TPictureRect CellRect(const TGameGrid& G, std::uint32_t X, std::uint32_t Y) {
  return {ToInt((X - 1) * G.CellWidth), ToInt((Y - 1) * G.CellHeight), ToInt(G.CellWidth), ToInt(G.CellHeight)};
}

// Where a frame drawn for cell (X, Y) lands.
TPictureRect Footprint(const TGameGrid& G, std::uint32_t X, std::uint32_t Y, const TPngImage* Frame) {
  if (Frame == nullptr)
    return {};
  return {ToInt((X - 1) * G.CellWidth), ToInt((Y - 1) * G.CellHeight), ToInt(Frame->Width()),
          ToInt(Frame->Height())};
}

// Whether Inner lies wholly inside Outer; nothing lies inside anything.
bool Within(const TPictureRect& Inner, const TPictureRect& Outer) {
  return Inner.Empty() || (Inner.X >= Outer.X && Inner.Y >= Outer.Y && Inner.X + Inner.W <= Outer.X + Outer.W &&
                           Inner.Y + Inner.H <= Outer.Y + Outer.H);
}

// The columns and rows (from 0) of the cells a rectangle reaches into.
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
  return {static_cast<std::uint32_t>(Left / Cw), static_cast<std::uint32_t>((Right - 1) / Cw),
          static_cast<std::uint32_t>(Top / Ch), static_cast<std::uint32_t>((Bottom - 1) / Ch)};
}

TPictureRect Intersected(const TPictureRect& A, const TPictureRect& B) {
  const std::int32_t L = std::max(A.X, B.X), T = std::max(A.Y, B.Y);
  const std::int32_t R = std::min(A.X + A.W, B.X + B.W), Bo = std::min(A.Y + A.H, B.Y + B.H);
  return R > L && Bo > T ? TPictureRect{L, T, R - L, Bo - T} : TPictureRect{};
}

bool FitsCell(const TGameGrid& G, const TPngImage* Frame) {
  return Frame != nullptr && Frame->Width() == G.CellWidth && Frame->Height() == G.CellHeight;
}

// The cells of the yard a rectangle reaches into.
class TCellMarks {
public:
  explicit TCellMarks(const TGameGrid& Grid) : G(Grid) {}
  void Mark(const TPictureRect& R) {
    if (R.Empty())
      return;
    const auto Col = [this](std::int32_t Px) {
      return std::clamp(Px / ToInt(G.CellWidth), 0, ToInt(G.ColsCount) - 1);
    };
    const auto Row = [this](std::int32_t Px) {
      return std::clamp(Px / ToInt(G.CellHeight), 0, ToInt(G.RowsCount) - 1);
    };
    if (R.X + R.W <= 0 || R.Y + R.H <= 0)
      return;
    for (std::int32_t Y = Row(std::max(R.Y, 0)); Y <= Row(R.Y + R.H - 1); ++Y)
      for (std::int32_t X = Col(std::max(R.X, 0)); X <= Col(R.X + R.W - 1); ++X)
        Marked[static_cast<std::size_t>(Y) * TGameGrid::MaxCols + static_cast<std::size_t>(X)] = true;
  }
  // The marked cells as rectangles: runs along each row, joined with the same
  // run in the rows below.
  void ToRects(std::vector<TPictureRect>& Rects) const {
    for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
      for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
        if (!Marked[Index(X, Y)])
          continue;
        std::uint32_t End = X;
        while (End < G.ColsCount && Marked[Index(End + 1, Y)])
          ++End;
        TPictureRect Run = CellRect(G, X, Y);
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
} // namespace

void TGame::ForgetPicture() {
  // Drawing into another picture put in Scr's place for a while leaves this one as it is.
  if (!Kept || Kept->Picture != Scr.get())
    return;
  Kept->Shown = TShown::Nothing;
  Kept->CopyAll = true;
}

const std::vector<TPictureRect>& TGame::RenderChanges() {
  if (!Kept)
    Kept = std::make_unique<TKeptPicture>();
  TKeptPicture& K = *Kept;
  K.Changed.clear();
  if (K.Picture != Scr.get()) {
    K.Picture = Scr.get();
    ForgetPicture();
  }
  const TPictureRect Whole{0, 0, ToInt(Scr->Width()), ToInt(Scr->Height())};

  if (Stopped) {
    // The win and lose screens stay as they are once drawn.
    const TShown Now = Lives == 0 ? TShown::LoseScreen : Lives == WonLives ? TShown::WinScreen : TShown::OtherStop;
    if (K.Shown != Now) {
      const bool CopyAll = K.CopyAll;
      Render();
      K.Shown = Now;
      K.CopyAll = CopyAll || Now != TShown::OtherStop;
    }
  } else if (!KeepsYard()) {
    Render();
  } else {
    const TGameGrid& G = *GameGrid;
    TCellMarks Marks(G);
    // A whole Render clears the brush before any text.
    Scr->SetBrushClear();
    // Each part on its own: a new bomb count leaves the level's end of the line alone.
    std::array<TDrawRecord, 2> Status;
    Scr->StartRecording(Status[0], false);
    DrawStatusCounts();
    Scr->StartRecording(Status[1], false);
    DrawStatusLevel();
    Scr->StopRecording();
    for (std::size_t I = 0; I < Status.size(); ++I) {
      if (Status[I] == K.Status[I])
        continue;
      Marks.Mark(K.Status[I].Bounds);
      Marks.Mark(Status[I].Bounds);
      K.Status[I] = Status[I];
    }
    bool FramesChanged = false;
    for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
      for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
        const std::size_t I = Index(X, Y);
        const TPngImage* Frame = Drawn(CellFrame(X, Y));
        if (Frame == K.Frames[I])
          continue;
        Marks.Mark(K.Feet[I]);
        K.Frames[I] = Frame;
        K.Feet[I] = Footprint(G, X, Y, Frame);
        Marks.Mark(K.Feet[I]);
        Marks.Mark(CellRect(G, X, Y));
        FramesChanged = true;
      }
    }
    if (FramesChanged) {
      K.Oversize.clear();
      for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
        for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
          if (!Within(K.Feet[Index(X, Y)], CellRect(G, X, Y)))
            K.Oversize.push_back(Index(X, Y));
    }
    if (K.Shown != TShown::Yard) {
      RedrawYard();
      K.Shown = TShown::Yard;
      K.CopyAll = true;
    } else {
      Marks.ToRects(K.Changed);
      for (const TPictureRect& R : K.Changed)
        RedrawRect(R);
    }
  }
  if (K.CopyAll) {
    K.Changed.assign(1, Whole);
    K.CopyAll = false;
  }
  return K.Changed;
}

// Whether the background hides whatever the picture held before, as drawing
// only changes needs; checked once, the pictures never change.
bool TGame::KeepsYard() {
  TKeptPicture& K = *Kept;
  if (K.Checked)
    return K.BackCovers;
  K.Checked = true;
  const TPngImage* Back = SpritesContainer->BG.Sprite(1);
  if (Back == nullptr || Back->Empty() || Back->Width() < Scr->Width() || Back->Height() < Scr->Height())
    return false;
  for (std::uint32_t Y = 0; Y < Scr->Height(); ++Y)
    for (std::uint32_t X = 0; X < Scr->Width(); ++X)
      if (Back->PixelAt(X, Y).A != 255)
        return false;
  K.BackCovers = true;
  K.Back = std::make_unique<TPicture>(Scr->Width(), Scr->Height());
  K.Back->Draw(0, 0, *Back);
  return true;
}

// The whole yard from the layers. The frames and status in Kept are the ones to draw.
void TGame::RedrawYard() {
  TKeptPicture& K = *Kept;
  const TGameGrid& G = *GameGrid;
  // The rock cells: the ones that never move and never change their frame.
  std::array<const TPngImage*, CellCount> Rocks{};
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const TGGCell& C = G.Cells(X, Y);
      const TPngImage* Frame = Drawn(CellFrame(X, Y));
      if (C.Holded && C.TicksToSprite == 0 && FitsCell(G, Frame))
        Rocks[Index(X, Y)] = Frame;
    }
  }
  if (!K.Static || Rocks != K.StaticFrames)
    BuildStaticLayer(Rocks);
  RedrawRect({0, 0, ToInt(Scr->Width()), ToInt(Scr->Height())});
}

void TGame::BuildStaticLayer(const std::array<const TPngImage*, TKeptPicture::CellCount>& Rocks) {
  TKeptPicture& K = *Kept;
  const TGameGrid& G = *GameGrid;
  K.StaticFrames = Rocks;
  K.Static = std::make_unique<TPicture>(Scr->Width(), Scr->Height());
  K.Static->Draw(0, 0, *SpritesContainer->BG.Sprite(1));
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
      if (const TPngImage* Frame = Rocks[Index(X, Y)])
        K.Static->Draw(ToInt((X - 1) * G.CellWidth), ToInt((Y - 1) * G.CellHeight), *Frame);
}

// Whether restoring Rect from the layer with the rocks gives what a whole
// Render has there before the cells after the rocks: every rock in it shows
// its frame, and no bigger frame drawn before a rock reaches under it.
bool TGame::StaticLayerFits(const TPictureRect& Rect) const {
  const TKeptPicture& K = *Kept;
  if (!K.Static)
    return false;
  const TGameGrid& G = *GameGrid;
  const auto RocksShown = [&K](const TCellSpan& S, std::size_t After) {
    for (std::uint32_t Y = S.Row0; Y <= S.Row1; ++Y) {
      for (std::uint32_t X = S.Col0; X <= S.Col1; ++X) {
        const std::size_t I = Y * TGameGrid::MaxCols + X;
        if (K.StaticFrames[I] != nullptr && (I > After || K.Frames[I] != K.StaticFrames[I]))
          return false;
      }
    }
    return true;
  };
  // Every rock in the rectangle shows its frame (no bigger frame matters yet).
  if (!RocksShown(SpanOf(G, Rect), CellCount))
    return false;
  // No bigger frame drawn before a rock lies under it there.
  for (const std::size_t Big : K.Oversize)
    if (!RocksShown(SpanOf(G, Intersected(K.Feet[Big], Rect)), Big))
      return false;
  return true;
}

void TGame::RedrawRect(const TPictureRect& Rect) {
  TKeptPicture& K = *Kept;
  const TGameGrid& G = *GameGrid;
  // The cells to draw again, in Render's order: the ones in the rectangle
  // (Rect is whole cells), and bigger frames reaching into it from elsewhere.
  K.Order.clear();
  const TCellSpan Span = SpanOf(G, Rect);
  for (std::uint32_t Y = Span.Row0; Y <= Span.Row1; ++Y)
    for (std::uint32_t X = Span.Col0; X <= Span.Col1; ++X)
      if (const std::size_t I = Y * TGameGrid::MaxCols + X; K.Frames[I] != nullptr)
        K.Order.push_back(I);
  bool Added = false;
  for (const std::size_t Big : K.Oversize) {
    if (K.Feet[Big].Intersects(Rect) && std::find(K.Order.begin(), K.Order.end(), Big) == K.Order.end()) {
      K.Order.push_back(Big);
      Added = true;
    }
  }
  if (Added)
    std::sort(K.Order.begin(), K.Order.end());

  const bool WithRocks = StaticLayerFits(Rect);
  TPicture& Base = WithRocks ? *K.Static : *K.Back;
  // A frame that fills its cell, with nothing drawn before it reaching into
  // the cell, goes straight over the base layer: the layer need not be
  // copied there first.
  const auto OverBase = [&](std::size_t I) {
    const auto X = static_cast<std::uint32_t>(I % TGameGrid::MaxCols) + 1;
    const auto Y = static_cast<std::uint32_t>(I / TGameGrid::MaxCols) + 1;
    const TPictureRect Cell = CellRect(G, X, Y);
    if (!FitsCell(G, K.Frames[I]) || !Within(Cell, Rect) || (WithRocks && K.Frames[I] == K.StaticFrames[I]))
      return false;
    return std::none_of(K.Oversize.begin(), K.Oversize.end(),
                        [&](std::size_t Big) { return Big < I && K.Feet[Big].Intersects(Cell); });
  };
  K.Over.fill(false);
  for (const std::size_t I : K.Order)
    K.Over[I] = OverBase(I);
  // Each row of cells in one sweep: the runs of cells with the base layer as
  // it is, and the cells drawn straight over it. The picture is the yard's
  // cells, no more.
  const std::int32_t CellsWidth = ToInt(G.ColsCount * G.CellWidth);
  for (std::uint32_t Y = Span.Row0; Y <= Span.Row1; ++Y) {
    const TPictureRect Band = Intersected(Rect, {0, ToInt(Y * G.CellHeight), CellsWidth, ToInt(G.CellHeight)});
    K.Parts.clear();
    for (std::uint32_t X = Span.Col0; X <= Span.Col1; ++X) {
      if (const std::size_t I = Y * TGameGrid::MaxCols + X; K.Over[I]) {
        K.Parts.push_back({ToInt(X * G.CellWidth), ToInt(G.CellWidth), K.Frames[I]});
        continue;
      }
      std::uint32_t End = X;
      while (End < Span.Col1 && !K.Over[Y * TGameGrid::MaxCols + End + 1])
        ++End;
      const TPictureRect Run =
          Intersected(Band, {ToInt(X * G.CellWidth), Band.Y, ToInt((End - X + 1) * G.CellWidth), Band.H});
      K.Parts.push_back({Run.X, Run.W, nullptr});
      X = End;
    }
    Scr->ComposeBand(Band.Y, Band.H, K.Parts, Base);
  }
  // The whole picture needs no limit, and drawing goes faster without one.
  const bool Clipped = !(Rect == TPictureRect{0, 0, ToInt(Scr->Width()), ToInt(Scr->Height())});
  if (Clipped)
    Scr->SetClip(Rect);
  for (const std::size_t I : K.Order) {
    const TPngImage* Frame = K.Frames[I];
    if (!K.Over[I] && !(WithRocks && Frame == K.StaticFrames[I]))
      Scr->Draw(K.Feet[I].X, K.Feet[I].Y, *Frame);
  }
  if (std::any_of(K.Status.begin(), K.Status.end(), [&Rect](const TDrawRecord& R) { return R.Bounds.Intersects(Rect); }))
    DrawStatusStr();
  if (Clipped)
    Scr->ClearClip();
}
