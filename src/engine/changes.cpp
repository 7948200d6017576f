#include "engine/changes.h"

void CapturePlayState(const TGame& Game, TPlayState& State) {
  const TGameGrid& G = *Game.GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
      State.Cells[TGameGrid::CellIndex(X, Y)] = G.Cells(X, Y);
  const TRobot& R = *Game.Robot;
  State.Robot = {R.X, R.Y, R.W, R.H, R.PreviousX, R.PreviousY, R.SameDirectionPathLength, R.LevitationDuration,
                 R.LastMoveTime, R.LastJumpTime, R.BombCount};
  const TTruck& T = *Game.Truck;
  State.Truck = {T.BricksPerTime, T.TicksToNewPart, T.PreviousPartTime};
  State.Game = {Game.Lives,
                Game.HardnessLevel,
                Game.StartHardnessLevel,
                Game.MaxHardnessLevel,
                static_cast<std::uint32_t>(Game.TrashGeneratorAlgorythmIndex),
                R.BombTimeOut,
                R.Luck};
  State.Paused = Game.Paused;
  State.Stopped = Game.Stopped;
}

void TPassWatch::Reset(const TGame& Game) { CapturePlayState(Game, States[Last]); }

bool TPassWatch::Changed(const TGame& Game) {
  const int Next = 1 - Last;
  CapturePlayState(Game, States[Next]);
  const bool Differs = !(States[Next] == States[Last]);
  Last = Next;
  return Differs;
}
