#include "engine/robot.h"

#include "engine/game.h"
#include "platform/tick.h"
#include "shared/sound_cues.h"

TRobot::TRobot(TGameGrid& GG, TSpritesContainer& SC) : GameGrid(GG), SpritesContainer(SC) {}

bool TRobot::CanMoveTo(std::uint32_t newX, std::uint32_t newY) const {
  if (newX < 1 || newX + W - 1 > GameGrid.ColsCount || newY < 1 || newY + H - 1 > GameGrid.RowsCount)
    return false;
  for (std::uint32_t Row = newY; Row <= newY + H - 1; ++Row) {
    for (std::uint32_t Col = newX; Col <= newX + W - 1; ++Col) {
      const TGGCell& Cell = GameGrid.Cells(Col, Row);
      const bool Solid = (Cell.State & csSolid) != 0;
      // A barrel the truck brought can be walked into; one the robot placed cannot.
      const bool PassableBomb = (Cell.State & csBomb) != 0 && !Cell.PastedByRobot;
      if (Solid && !PassableBomb)
        return false;
    }
  }
  return true;
}

bool TRobot::MoveTo(std::uint32_t newX, std::uint32_t newY, bool SkipSDPLChanging) {
  const std::int64_t StepX = static_cast<std::int64_t>(newX) - X;
  const std::int64_t StepY = static_cast<std::int64_t>(newY) - Y;
  const std::int64_t LastStepX = static_cast<std::int64_t>(X) - PreviousX;
  const std::int64_t LastStepY = static_cast<std::int64_t>(Y) - PreviousY;

  const bool Moved = CanMoveTo(newX, newY);
  if (Moved) {
    for (std::uint32_t Row = Y; Row <= Y + H - 1; ++Row)
      for (std::uint32_t Col = X; Col <= X + W - 1; ++Col)
        GameGrid.Cells(Col, Row).State &= ~csRobot;
    for (std::uint32_t Row = newY; Row <= newY + H - 1; ++Row)
      for (std::uint32_t Col = newX; Col <= newX + W - 1; ++Col)
        GameGrid.Cells(Col, Row).State |= csRobot;

    TGGCell& OldTop = GameGrid.Cells(X, Y);
    OldTop.SpriteIndex = 1;
    OldTop.SpritesSet = nullptr;
    // A tool the robot's picture covered is left with no picture at all: no tool any more.
    OldTop.ToolUnderRobot = false;
    PreviousX = X;
    PreviousY = Y;
    X = newX;
    Y = newY;
    TGGCell& NewTop = GameGrid.Cells(X, Y);
    NewTop.SpriteIndex = 1;
    NewTop.SpritesSet = &SpritesContainer.Robot;
  }
  LastMoveTime = GetTickCount();

  if (!Moved || SkipSDPLChanging) {
    SameDirectionPathLength = 0;
  } else {
    if (StepX == LastStepX && StepX != 0)
      ++SameDirectionPathLength;
    if (StepY == LastStepY && StepY != 0)
      ++SameDirectionPathLength;
  }
  return Moved;
}

void TRobot::MoveLeft() { Step(-1); }

void TRobot::MoveRight() { Step(1); }

void TRobot::Step(int Side) {
  // The drop tries are the rules' own moves down, not a step down the player asked for.
  if (SameDirectionPathLength >= 1) {
    MoveTo(X, Y + 1, false);
    MoveTo(X, Y + 1, false);
  }
  const std::int32_t Target = static_cast<std::int32_t>(X) + Side;
  PlayMoveSound(Target);
  const bool Moved = MoveTo(static_cast<std::uint32_t>(Target), Y, false);
  Pose.Stepped(Side, Moved, LastMoveTime);
}

void TRobot::Jump() {
  if (Y + H <= GameGrid.RowsCount && (GameGrid.Cells(X, Y + H).State & csSolid) != 0) {
    LastJumpTime = GetTickCount();
    if (MoveTo(X, Y - 1, false))
      Pose.Jumped(LastMoveTime);
  }
  PlaySpringSound(static_cast<std::int32_t>(X));
}

void TRobot::MoveUp() { MoveTo(X, Y - 1, false); }

void TRobot::MoveDown(bool SkipSDPLChanging) {
  // The tick's sinking step shows no motion of its own; the Down key does.
  if (MoveTo(X, Y + 1, SkipSDPLChanging) && !SkipSDPLChanging)
    Pose.SteppedDown(LastMoveTime);
}

void TRobot::PasteBomb() {
  if (BombCount == 0)
    return;
  // The robot never stands in the bottom row, which is ground for the whole game.
  if (Y + H > GameGrid.RowsCount)
    return;
  TGGCell& Lower = GameGrid.Cells(X, Y + H - 1);
  const TGGCell& Under = GameGrid.Cells(X, Y + H);
  if ((Under.State & csSolid) == 0)
    return;
  if (!MoveTo(X, Y - 1, false))
    return;
  --BombCount;
  Lower.SpritesSet = &SpritesContainer.Barrel;
  Lower.State = csSolid | csBomb;
  Lower.TicksToProcess = BombTimeOut;
  Lower.PastedByRobot = true;
  PlayFartSound(static_cast<std::int32_t>(X));
}
