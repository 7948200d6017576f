#include "support/yard.h"

std::vector<std::string> YardPicture(const TGame& Game) {
  const TGameGrid& G = *Game.GameGrid;
  const TSpritesContainer& S = *Game.SpritesContainer;
  std::vector<std::string> Rows;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    std::string Row;
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const TGGCell& C = G.Cells(X, Y);
      char Ch = 'o';
      if (C.State == 0)
        Ch = '.';
      else if (C.State == csRobot)
        Ch = 'R';
      else if (C.State == (csRobot | csExit))
        Ch = 'r';
      else if (C.State == csExit)
        Ch = 'E';
      else if (C.State == csSolid && C.SpritesSet == &S.Land)
        Ch = '#';
      else if (C.State == csSolid && C.SpritesSet == &S.Ligthing)
        Ch = 'L';
      Row += Ch;
    }
    Rows.push_back(Row);
  }
  return Rows;
}

void PlaceRobot(TGame& Game, std::uint32_t X, std::uint32_t Y) {
  TRobot& R = *Game.Robot;
  TGameGrid& G = *Game.GameGrid;
  for (std::uint32_t Row = R.Y; Row < R.Y + R.H; ++Row)
    G.Cells(R.X, Row).State &= ~csRobot;
  G.Cells(R.X, R.Y).SpritesSet = nullptr;
  R.X = R.PreviousX = X;
  R.Y = R.PreviousY = Y;
  for (std::uint32_t Row = Y; Row < Y + R.H; ++Row)
    G.Cells(X, Row).State |= csRobot;
  G.Cells(X, Y).SpritesSet = &Game.SpritesContainer->Robot;
  G.Cells(X, Y).SpriteIndex = 1;
  R.SameDirectionPathLength = 0;
}

void PutSolid(TGame& Game, std::uint32_t X, std::uint32_t Y, std::uint32_t State) {
  TGGCell& C = Game.GameGrid->Cells(X, Y);
  C.State = State;
  C.SpritesSet = &Game.SpritesContainer->Brick;
}
