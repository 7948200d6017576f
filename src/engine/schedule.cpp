// When the next pass of the game tick can decide anything, and how the timers
// of what rests move on through the milliseconds in between.
//
// Every rule of the tick compares readings of the 1 ms clock: a pass decides
// something only where a timer has run out. Between two such moments a pass
// only stamps the timers of cells whose fall step has nothing to do (an empty
// cell, a landed object), and those stamps matter later: trash the truck drops
// into a cell, or a bomb the robot places there, starts its fall from the
// cell's stamp. So a loop that sleeps through quiet milliseconds first brings
// those stamps to where a pass every millisecond would have left them.
#include "engine/game.h"

#include <algorithm>
#include <optional>

namespace {
// The first millisecond after Now at which "more than Interval ms since Since"
// holds, as the tick reads it: in unsigned differences, so that a stamp the
// clock has not reached yet counts as long past.
std::uint32_t RunsOutAfter(std::uint32_t Now, std::uint32_t Since, std::uint32_t Interval) {
  if (static_cast<std::uint32_t>(Now + 1 - Since) > Interval)
    return Now + 1;
  return Since + Interval + 1;
}

// Of two future moments after Now, the earlier one: the clock may wrap around between them.
std::uint32_t Earlier(std::uint32_t Now, std::uint32_t A, std::uint32_t B) {
  return static_cast<std::uint32_t>(A - Now) <= static_cast<std::uint32_t>(B - Now) ? A : B;
}

} // namespace

// Whether the fall step of the cell at (X, Y) can change anything beyond its own stamp.
bool TGame::FallStepDecides(const TGGCell& C, std::uint32_t X, std::uint32_t Y) const {
  const std::uint32_t S = C.State;
  if ((S & csExit) != 0 && (S & csRobot) != 0)
    return true;
  if ((S & (csSolid | csPickup)) == 0 || Y >= GameGrid->RowsCount)
    return false;
  // The robot's own cells keep its mark and picture as things happen to them.
  if (IsRobotCell(X, Y))
    return true;
  const TGGCell& B = GameGrid->Cells(X, Y + 1);
  if ((B.State & csSolid) == 0)
    return true; // falls, or drops onto the robot
  // Resting on something solid: only a first landing, a break, a bomb or the
  // robot taking a tool does anything.
  return (S & (csFragile | csBomb | csPickup)) != 0 || !C.PlacedSounded;
}

std::optional<std::uint32_t> TGame::NextDecisionTime() const {
  if (Stopped)
    return std::nullopt;
  const std::uint32_t Now = CurrentTime;
  std::uint32_t Next = RunsOutAfter(Now, Robot->LastJumpTime, Robot->LevitationDuration);
  Next = Earlier(Now, Next, RunsOutAfter(Now, Truck->PreviousPartTime, Truck->TicksToNewPart));
  const TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const TGGCell& C = G.Cells(X, Y);
      if (C.TicksToSprite != 0 && C.SpritesSet != nullptr)
        Next = Earlier(Now, Next, RunsOutAfter(Now, C.PreviousSpriteTime, C.TicksToSprite));
      if (!C.Holded && FallStepDecides(C, X, Y))
        Next = Earlier(Now, Next, RunsOutAfter(Now, C.PreviousProcessedTime, C.TicksToProcess));
    }
  return Next;
}

std::optional<std::uint32_t> TGame::NextPassTime() const {
  std::optional<std::uint32_t> Next = NextDecisionTime();
  if (!Animation || Stopped)
    return Next;
  if (const std::optional<std::uint32_t> Frame = Robot->Pose.NextChange(CurrentTime))
    Next = Next ? Earlier(CurrentTime, *Next, *Frame) : *Frame;
  return Next;
}

void TGame::CatchUp(std::uint32_t After, std::uint32_t Through) {
  const auto Skipped = static_cast<std::int32_t>(Through - After);
  if (Skipped <= 0)
    return;
  TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      TGGCell& C = G.Cells(X, Y);
      // What decides keeps its timer for its own pass, however late that comes.
      if (C.Holded || FallStepDecides(C, X, Y))
        continue;
      // A pass every millisecond stamps the cell at the first of them whose
      // interval has run out, then each time it runs out again.
      const std::uint32_t Period = C.TicksToProcess + 1;
      if (Period == 0)
        continue;
      const std::uint32_t First = RunsOutAfter(After, C.PreviousProcessedTime, C.TicksToProcess);
      const auto Left = static_cast<std::int32_t>(Through - First);
      if (Left >= 0)
        C.PreviousProcessedTime = First + static_cast<std::uint32_t>(Left) / Period * Period;
    }
}
