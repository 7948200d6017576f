#include "engine/game.h"

#include <string>

namespace {
constexpr std::uint32_t Yellow = 0x00FFFF;
constexpr std::uint32_t Red = 0x0000FF;
constexpr std::uint32_t DarkGreen = 0x008000;
constexpr std::uint32_t Black = 0x000000;
constexpr std::int32_t StatusFontSize = 16;
// The dark ring round the texts of play, so they read over the sky and any trash.
constexpr std::uint32_t TextOutline = 0x000000;
} // namespace

void TGame::Render() {
  if (Stopped) {
    if (Lives == 0)
      DrawLooseScreen();
    if (Lives == WonLives)
      DrawWinScreen();
    return;
  }
  if (const TPngImage* Back = SpritesContainer->BG.Sprite(1))
    Scr->Draw(0, 0, *Back);
  Scr->SetBrushClear();

  const TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      CellLook(X, Y).DrawOn(*Scr);
    }
  }
  DrawStatusStr();
}

TCellLook TGame::CellLook(std::uint32_t X, std::uint32_t Y) const {
  const TPngImage* Frame = CellFrame(X, Y);
  // A frame that draws nothing counts as none.
  if (Frame == nullptr || Frame->Empty())
    return {};
  const TPictureRect Cell = GameGrid->CellRect(X, Y);
  return {Frame, Cell.X, Cell.Y};
}

const TPngImage* TGame::CellFrame(std::uint32_t X, std::uint32_t Y) const {
  const TGGCell& C = GameGrid->Cells(X, Y);
  if (C.SpritesSet == nullptr)
    return nullptr;
  // The robot's upper cell shows the robot walking or jumping, when it does.
  if (Animation && C.SpritesSet == &SpritesContainer->Robot && X == Robot->X && Y == Robot->Y)
    if (const TPngImage* Posed = Robot->Pose.Frame(*SpritesContainer, CurrentTime))
      return Posed;
  // A frame number left over from an effect may lie beyond a new set: nothing to draw.
  return C.SpritesSet->Sprite(C.SpriteIndex);
}

void TGame::DrawStatusStr() {
  DrawStatusCounts();
  DrawStatusLevel();
}

void TGame::DrawStatusCounts() {
  Scr->SetFontColor(Yellow);
  Scr->SetFontSize(StatusFontSize);
  Scr->SetFontBold(true);
  const auto Icon = [this](const TFigureSprites& Set, std::int32_t X, std::uint32_t Count) {
    const TPngImage* Image = Set.Sprite(1);
    std::int32_t Width = 0;
    if (Image != nullptr) {
      Scr->Draw(X, 10, *Image);
      Width = ToInt(Image->Width());
    }
    MessageStr = " X " + std::to_string(Count);
    Scr->OutlinedTextOut(X + Width, 10, MessageStr, TextOutline);
  };
  Icon(SpritesContainer->Robot, 10, Lives);
  Icon(SpritesContainer->Barrel, ToInt(3 * GameGrid->CellWidth + 10), Robot->BombCount);
}

void TGame::DrawStatusLevel() {
  // In the face of the counts, which are drawn first; the level at the right end, as far in from the edge as the lives are.
  MessageStr = "Level " + std::to_string(HardnessLevel);
  Scr->OutlinedTextOut(ToInt(GameGrid->ColsCount * GameGrid->CellWidth) - 10 - Scr->TextWidth(MessageStr), 10,
                       MessageStr, TextOutline);
}

void TGame::DrawPaused() {
  static const std::string Text = "Paused";
  Scr->SetFontColor(Yellow);
  Scr->SetFontSize(StatusFontSize);
  Scr->SetFontBold(true);
  const std::int32_t W = Scr->TextWidth(Text);
  const std::int32_t H = Scr->TextHeight(Text);
  Scr->OutlinedTextOut((20 * ToInt(GameGrid->CellWidth) - W) / 2, (15 * ToInt(GameGrid->CellHeight) - H) / 2, Text,
                       TextOutline);
}

void TGame::DrawFullScreen(const TFigureSprites& Set) {
  if (const TPngImage* Image = Set.Sprite(1))
    Scr->Draw(0, 0, *Image);
}

void TGame::DrawInitScreen() { DrawFullScreen(SpritesContainer->InitScreen); }
void TGame::DrawHelpScreen() { DrawFullScreen(SpritesContainer->HelpScreen); }
void TGame::DrawAboutScreen() { DrawFullScreen(SpritesContainer->AboutScreen); }
void TGame::DrawWinScreen() {
  DrawFullScreen(SpritesContainer->WinScreen);
  if (WinNote.empty())
    return;
  // In the status line's face, centred near the bottom of the win picture.
  Scr->SetFontColor(Yellow);
  Scr->SetFontSize(StatusFontSize);
  Scr->SetFontBold(true);
  const std::int32_t W = Scr->TextWidth(WinNote);
  const std::int32_t H = Scr->TextHeight(WinNote);
  Scr->OutlinedTextOut((ToInt(Scr->Width()) - W) / 2, ToInt(Scr->Height()) - 2 * H, WinNote, TextOutline);
}
void TGame::DrawLooseScreen() { DrawFullScreen(SpritesContainer->LooseScreen); }

void TGame::DrawMessageStr() {
  Scr->SetFontColor(Yellow);
  Scr->SetFontSize(StatusFontSize);
  Scr->SetFontBold(false); // diagnostics keep the plain face
  MessageStr = "TGAlgorythm: " + std::to_string(TrashGeneratorAlgorythmIndex) +
               "; FreeCellsCounter: " + std::to_string(FreeCellsCounter);
  Scr->TextOut(10, 64, MessageStr);
}

void TGame::DrawGrid() {
  const TGameGrid& G = *GameGrid;
  Scr->SetPenColor(Black);
  Scr->SetBrushClear();
  for (std::uint32_t I = 1; I <= G.ColsCount; ++I) {
    Scr->MoveTo(ToInt(I * G.CellWidth), 0);
    Scr->LineTo(ToInt(I * G.CellWidth), ToInt(G.RowsCount * G.CellHeight));
    Scr->TextOut(ToInt(I * G.CellWidth), 5, std::to_string(I));
  }
  for (std::uint32_t I = 1; I <= G.RowsCount; ++I) {
    Scr->MoveTo(0, ToInt(I * G.CellHeight));
    Scr->LineTo(ToInt(G.ColsCount * G.CellWidth), ToInt(I * G.CellHeight));
    Scr->TextOut(5, ToInt(I * G.CellHeight), std::to_string(I));
  }
}

void TGame::DrawCellState(std::uint32_t X, std::uint32_t Y) {
  const TGGCell& C = GameGrid->Cells(X, Y);
  Scr->SetFontSize(8);
  Scr->SetFontBold(false);
  Scr->SetFontColor(C.State == 0 ? DarkGreen : C.State == csRobot ? Red : Yellow);
  MessageStr = std::to_string(C.State) + "  " + std::to_string(C.TicksToProcess);
  const TPictureRect Cell = GameGrid->CellRect(X, Y);
  Scr->TextOut(Cell.X, Cell.Y, MessageStr);
}
