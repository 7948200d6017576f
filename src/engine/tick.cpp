// The game tick: objects fall, land, break, explode and meet the robot.
#include "engine/game.h"

#include "platform/tick.h"
#include "shared/sound_cues.h"

namespace {
// Smoke and blasts change their frame this often.
constexpr std::uint32_t EffectFrameMs = 100;
// Fewer free cells than these raise the level by one, two and three above the start level.
constexpr std::uint32_t FreeCellsForRaise1 = 190;
constexpr std::uint32_t FreeCellsForRaise2 = 150;
constexpr std::uint32_t FreeCellsForRaise3 = 100;
} // namespace

void TGame::AITurn() {
  if (Stopped)
    return;
  ++TickCount;
  CurrentTime = GetTickCount();
  if (PassesRunning)
    PlayedMs += CurrentTime - PreviousTime;
  if (SkipsQuietMs && PassesRunning)
    CatchUp(PreviousTime, CurrentTime - 1);
  PassesRunning = true;

  // The robot hangs in the air for a while after a jump, then sinks a row at a time.
  if (Elapsed(Robot->LastJumpTime, Robot->LevitationDuration)) {
    Robot->MoveDown(true);
    Robot->LastJumpTime = GetTickCount();
  }

  if (Elapsed(Truck->PreviousPartTime, Truck->TicksToNewPart))
    DropTrash();

  FreeCellsCounter = 0;
  TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
      VisitCell(X, Y);

  RaiseHardness();
  if (Lives == 0)
    Stopped = true;
  PreviousTime = CurrentTime;
}

// "More than Interval ms since Since": the unsigned difference stays right
// when the clock wraps around between the two readings.
bool TGame::Elapsed(std::uint32_t Since, std::uint32_t Interval) const {
  return static_cast<std::uint32_t>(CurrentTime - Since) > Interval;
}

void TGame::RaiseHardness() {
  // Each test reads the level afresh, so a nearly full yard climbs several levels in one tick.
  if (FreeCellsCounter < FreeCellsForRaise1 && StartHardnessLevel + 1 > HardnessLevel)
    SetHardness(StartHardnessLevel + 1);
  if (FreeCellsCounter < FreeCellsForRaise2 && StartHardnessLevel + 2 > HardnessLevel)
    SetHardness(StartHardnessLevel + 2);
  if (FreeCellsCounter < FreeCellsForRaise3 && StartHardnessLevel + 3 > HardnessLevel)
    SetHardness(StartHardnessLevel + 3);
}

void TGame::VisitCell(std::uint32_t X, std::uint32_t Y) {
  TGGCell& C = GameGrid->Cells(X, Y);
  if (C.State == 0)
    ++FreeCellsCounter;
  // The cell has just received an object from above: it moves no further in this sweep.
  if (C.Processed) {
    C.Processed = false;
    return;
  }
  FrameStep(C, X, Y);
  if (C.Holded || !Elapsed(C.PreviousProcessedTime, C.TicksToProcess))
    return;
  FallStep(C, X, Y);
}

void TGame::FrameStep(TGGCell& C, std::uint32_t X, std::uint32_t Y) {
  if (C.TicksToSprite == 0 || C.SpritesSet == nullptr || !Elapsed(C.PreviousSpriteTime, C.TicksToSprite))
    return;
  // A cell can be given a shorter set while its frame number stays (a blast, a new
  // object in a smoking cell); a frame beyond the set counts as the last one.
  if (C.SpriteIndex >= C.SpritesSet->SpritesCount()) {
    C.SpriteIndex = 1;
    if (C.EmptyAfterSprites)
      EndEffect(C, X, Y);
  } else {
    ++C.SpriteIndex;
  }
  C.PreviousSpriteTime = CurrentTime;
}

// A one-shot effect has played its last frame: the cell is emptied, but the
// robot stays where it stands, and its upper cell shows the robot again.
void TGame::EndEffect(TGGCell& C, std::uint32_t X, std::uint32_t Y) {
  if (IsRobotUpperCell(X, Y)) {
    C.SpritesSet = &SpritesContainer->Robot;
    C.TicksToSprite = 0;
    return;
  }
  ClearCell(C);
  KeepRobotMark(C, X, Y);
}

void TGame::FallStep(TGGCell& C, std::uint32_t X, std::uint32_t Y) {
  C.PreviousProcessedTime = CurrentTime;
  // The rules below change the cell as they go; they all decide on what it held before.
  const std::uint32_t S = C.State;
  if ((S & (csSolid | csPickup)) != 0 && Y < GameGrid->RowsCount) {
    TGGCell& B = GameGrid->Cells(X, Y + 1);
    if ((B.State & csSolid) != 0)
      LandOn(C, S, X, Y);
    else if ((B.State & csRobot) != 0)
      DropOntoRobot(C, B, S, X);
    else
      FallInto(C, B, S);
    KeepRobotMark(C, X, Y);
  }
  if ((S & csExit) != 0 && (S & csRobot) != 0) {
    // Both of the robot's cells may be exits and fall due in one sweep: the
    // lives are those it had as the first one was reached.
    if (!Won())
      LivesAtEscape = Lives;
    Lives = WonLives;
    Stopped = true;
  }
}

void TGame::LandOn(TGGCell& C, std::uint32_t S, std::uint32_t X, std::uint32_t Y) {
  const auto Column = static_cast<std::int32_t>(X);
  if ((S & (csFragile | csBomb)) != 0) {
    C.State = 0;
    C.SpriteIndex = 1;
    if ((S & csBomb) != 0) {
      ExplodeBomb(Column, static_cast<std::int32_t>(Y));
    } else {
      C.SpritesSet = &SpritesContainer->Smoke;
      PlayGlassbreakSound(Column);
    }
    StartEffect(C);
    return;
  }
  // The robot stands in the tool's cell on solid ground and takes it.
  if ((S & csPickup) != 0 && (S & csRobot) != 0) {
    if (HoldsTool(C))
      GainLife();
    C.SpritesSet = nullptr;
    C.ToolUnderRobot = false;
    C.State &= ~csPickup;
    PlayPickSound(Column);
    return;
  }
  if (!C.PlacedSounded) {
    C.PlacedSounded = true;
    PlayPlacedSound(Column);
  }
}

void TGame::DropOntoRobot(TGGCell& C, TGGCell& B, std::uint32_t S, std::uint32_t X) {
  const auto Column = static_cast<std::int32_t>(X);
  C.State = 0;
  C.SpriteIndex = 1;
  if ((S & csBomb) != 0) {
    ++Robot->BombCount;
    PlayGetBombSound(Column);
    ClearCell(C);
  } else if ((S & csSolid) != 0) {
    LoseLife();
    C.SpritesSet = &SpritesContainer->Smoke;
    StartEffect(C);
    PlayOuchSound(Column);
  }
  if ((S & csPickup) != 0) {
    if (HoldsTool(C))
      GainLife();
    ClearCell(C);
    PlayPickSound(Column);
  }
  B.Processed = true;
}

void TGame::FallInto(TGGCell& C, TGGCell& B, std::uint32_t S) {
  // A bomb the robot placed keeps its long fuse only while it rests; falling, it is a barrel like any other.
  if ((S & csBomb) != 0 && C.TicksToProcess == Robot->BombTimeOut)
    C.TicksToProcess = GenerateTicksToProcess();
  CopyCell(C, B);
  ClearCell(C);
  // An item falling out of the robot's lower cell leaves the robot behind.
  B.State &= ~csRobot;
  B.Processed = true;
}

void TGame::CopyCell(TGGCell& Source, TGGCell& Target) {
  Target.State = Source.State;
  Target.SpritesSet = Source.SpritesSet;
  Target.SpriteIndex = Source.SpriteIndex;
  Target.TicksToProcess = Source.TicksToProcess;
  Target.TicksToSprite = Source.TicksToSprite;
  Target.PreviousSpriteTime = Source.PreviousSpriteTime;
  Target.PreviousProcessedTime = Source.PreviousProcessedTime;
}

void TGame::ClearCell(TGGCell& Cell) {
  Cell.State = 0;
  Cell.SpriteIndex = 1;
  Cell.SpritesSet = nullptr;
  Cell.TicksToSprite = 0;
  Cell.TicksToProcess = 0;
  Cell.PlacedSounded = false;
  Cell.ToolUnderRobot = false;
}

void TGame::BlastCell(std::int32_t X, std::int32_t Y) {
  if (X < 1 || Y < 1 || static_cast<std::uint32_t>(X) > GameGrid->ColsCount ||
      static_cast<std::uint32_t>(Y) > GameGrid->RowsCount)
    return;
  TGGCell& Cell = GameGrid->Cells(static_cast<std::uint32_t>(X), static_cast<std::uint32_t>(Y));
  if (Cell.Holded)
    return;
  if ((Cell.State & csRobot) != 0)
    LoseLife();
  if ((Cell.State & csBomb) != 0) {
    // A bomb still blasting its own neighbours is not set off again by them.
    if (!Cell.SLIProcessed)
      ExplodeBomb(X, Y);
    return;
  }
  // Blasted trash goes up in smoke but stays solid until the smoke is gone.
  if ((Cell.State & csSolid) != 0) {
    Cell.SpritesSet = &SpritesContainer->Smoke;
    StartEffect(Cell);
  }
}

void TGame::ExplodeBomb(std::int32_t X, std::int32_t Y) {
  TGGCell& C = GameGrid->Cells(static_cast<std::uint32_t>(X), static_cast<std::uint32_t>(Y));
  C.SpritesSet = &SpritesContainer->Boom;
  if ((C.State & csRobot) != 0) {
    LoseLife();
    PlayOuchSound(X);
  }
  C.SLIProcessed = true;
  BlastCell(X, Y - 1);
  BlastCell(X, Y + 1);
  BlastCell(X + 1, Y);
  BlastCell(X - 1, Y);
  C.SLIProcessed = false;
  StartEffect(C);
  PlayBoomSound(X);
}

void TGame::StartEffect(TGGCell& Cell) {
  Cell.TicksToSprite = EffectFrameMs;
  Cell.PreviousProcessedTime = CurrentTime;
  Cell.EmptyAfterSprites = true;
}

// Once the robot has reached an exit, the rest of that sweep can no longer
// hurt or heal it: the won game keeps its mark and shows the win screen.
bool TGame::Won() const { return Stopped && Lives == WonLives; }

void TGame::LoseLife() {
  if (Lives > 0 && !Won())
    --Lives;
}

void TGame::GainLife() {
  if (!Won())
    ++Lives;
}

bool TGame::IsRobotCell(std::uint32_t X, std::uint32_t Y) const {
  return X >= Robot->X && X <= Robot->X + Robot->W - 1 && Y >= Robot->Y && Y <= Robot->Y + Robot->H - 1;
}

// A pick-up gives a life only while it still shows as the tool, or while the
// robot's picture stands in front of a tool the truck dropped into its cell.
bool TGame::HoldsTool(const TGGCell& C) const {
  return C.SpritesSet == &SpritesContainer->Tool || C.ToolUnderRobot;
}

bool TGame::IsRobotUpperCell(std::uint32_t X, std::uint32_t Y) const { return X == Robot->X && Y == Robot->Y; }

// Whatever the rules do to the items in the robot's two cells, the robot
// stays in them: its mark stays, and its upper cell keeps its picture unless
// an effect plays there (EndEffect brings the picture back afterwards).
void TGame::KeepRobotMark(TGGCell& C, std::uint32_t X, std::uint32_t Y) {
  if (!IsRobotCell(X, Y))
    return;
  C.State |= csRobot;
  if (IsRobotUpperCell(X, Y) && C.SpritesSet == nullptr) {
    C.SpritesSet = &SpritesContainer->Robot;
    C.SpriteIndex = 1;
  }
}
