#include "support/yard_text.h"

#include <stdexcept>

namespace {
struct TCellKind {
  char Ch;
  std::uint32_t State;
  TFigureSprites TSpritesContainer::*Sprites; // nullptr: no picture
  bool Holded;
  bool PastedByRobot;
};

constexpr TCellKind Kinds[] = {
    {'.', 0, nullptr, false, false},
    {'#', csSolid, &TSpritesContainer::Land, true, false},
    {'o', csSolid, &TSpritesContainer::Brick, false, false},
    {'f', csSolid | csFragile, &TSpritesContainer::Toilet, false, false},
    {'b', csSolid | csFragile | csBomb, &TSpritesContainer::Barrel, false, false},
    {'p', csSolid | csBomb, &TSpritesContainer::Barrel, false, true},
    {'t', csPickup, &TSpritesContainer::Tool, false, false},
    {'e', csExit, nullptr, false, false},
    {'R', csRobot, nullptr, false, false},
    {'B', csRobot | csSolid | csFragile | csBomb, &TSpritesContainer::Barrel, false, false},
    {'T', csRobot | csPickup, &TSpritesContainer::Tool, false, false},
    {'E', csRobot | csExit, nullptr, false, false},
    {'O', csRobot | csSolid, &TSpritesContainer::Brick, false, false},
    {'P', csRobot | csSolid | csBomb, &TSpritesContainer::Barrel, false, true},
};

const TCellKind& KindOf(char Ch) {
  for (const TCellKind& Kind : Kinds)
    if (Kind.Ch == Ch)
      return Kind;
  throw std::invalid_argument(std::string("no yard cell is drawn as '") + Ch + "'");
}
} // namespace

void DrawYard(TGame& Game, std::uint32_t X0, std::uint32_t Y0, const TYardRows& Rows) {
  TGameGrid& G = *Game.GameGrid;
  TSpritesContainer& SC = *Game.SpritesContainer;
  bool HasRobot = false;
  std::uint32_t RobotX = 0, RobotY = 0;
  for (std::uint32_t Row = 0; Row < Rows.size(); ++Row) {
    for (std::uint32_t Col = 0; Col < Rows[Row].size(); ++Col) {
      const TCellKind& Kind = KindOf(Rows[Row][Col]);
      TGGCell& Cell = G.Cells(X0 + Col, Y0 + Row);
      Cell.State = Kind.State;
      Cell.SpritesSet = Kind.Sprites == nullptr ? nullptr : &(SC.*Kind.Sprites);
      Cell.SpriteIndex = 1;
      Cell.TicksToSprite = 0;
      Cell.Holded = Kind.Holded;
      Cell.PastedByRobot = Kind.PastedByRobot;
      Cell.EmptyAfterSprites = false;
      Cell.Processed = false;
      Cell.SLIProcessed = false;
      Cell.PlacedSounded = false;
      Cell.ToolUnderRobot = false;
      if ((Kind.State & csRobot) != 0 && !HasRobot) {
        HasRobot = true;
        RobotX = X0 + Col;
        RobotY = Y0 + Row;
      }
    }
  }
  if (!HasRobot)
    return;

  TRobot& Robot = *Game.Robot;
  if (RobotY + Robot.H - 1 > G.RowsCount || (G.Cells(RobotX, RobotY + 1).State & csRobot) == 0)
    throw std::invalid_argument("the robot is drawn as two cells, one above the other");
  // Take the robot out of its old place, unless the drawing has just put it there.
  for (std::uint32_t Y = Robot.Y; Y <= Robot.Y + Robot.H - 1; ++Y) {
    if (Robot.X == RobotX && (Y == RobotY || Y == RobotY + 1))
      continue;
    G.Cells(Robot.X, Y).State &= ~csRobot;
  }
  TGGCell& OldTop = G.Cells(Robot.X, Robot.Y);
  if (OldTop.SpritesSet == &SC.Robot)
    OldTop.SpritesSet = nullptr;
  Robot.X = Robot.PreviousX = RobotX;
  Robot.Y = Robot.PreviousY = RobotY;
  G.Cells(RobotX, RobotY).SpritesSet = &SC.Robot;
}

char CellChar(const TGame& Game, const TGGCell& Cell) {
  const TSpritesContainer& SC = *Game.SpritesContainer;
  if (Cell.State == 0) {
    if (Cell.SpritesSet == &SC.Smoke)
      return '~';
    if (Cell.SpritesSet == &SC.Boom)
      return '*';
    return Cell.SpritesSet == nullptr ? '.' : '?';
  }
  if (Cell.State == csSolid)
    return Cell.Holded ? '#' : 'o';
  for (const TCellKind& Kind : Kinds)
    if (Kind.State == Cell.State && Kind.Ch != '#' && Kind.Ch != 'o')
      return Kind.Ch;
  return '?';
}

TYardRows ReadYard(const TGame& Game, std::uint32_t X0, std::uint32_t Y0, std::uint32_t W, std::uint32_t H) {
  const TGameGrid& G = *Game.GameGrid;
  TYardRows Rows;
  for (std::uint32_t Y = Y0; Y < Y0 + H; ++Y) {
    std::string Row;
    for (std::uint32_t X = X0; X < X0 + W; ++X)
      Row += CellChar(Game, G.Cells(X, Y));
    Rows.push_back(Row);
  }
  return Rows;
}
