#include "engine/game.h"

#include "engine/render_cache.h"

#include "platform/random.h"
#include "platform/tick.h"

TGGCell::TGGCell() {
  const std::uint32_t Now = GetTickCount();
  PreviousProcessedTime = Now;
  PreviousSpriteTime = Now;
}

TGameGrid::TGameGrid(std::uint32_t aColsCount, std::uint32_t aRowsCount)
    : RowsCount(aRowsCount), ColsCount(aColsCount) {
  assert(aColsCount <= MaxCols && aRowsCount <= MaxRows && "the yard is at most 20 x 15 cells");
}

TGame::TGame(const std::string& SpritesDir) {
  Randomize();
  TrashGeneratorAlgorythmIndex = 1;
  PreviousTime = GetTickCount();
  GameGrid = std::make_unique<TGameGrid>(YardCols, YardRows);
  Scr = std::make_unique<TPicture>(GameGrid->CellWidth * GameGrid->ColsCount,
                                   GameGrid->CellHeight * GameGrid->RowsCount);
  ScrRect = {0, 0, static_cast<std::int32_t>(Scr->Width()), static_cast<std::int32_t>(Scr->Height())};
  SpritesContainer = std::make_unique<TSpritesContainer>(SpritesDir);
  Truck = std::make_unique<TTruck>();
  HardnessLevel = 5;
  MaxHardnessLevel = 10;
  TopGarbageLine = 5;
  Paused = true;
  Lives = 2;
  StartHardnessLevel = 5;
  Robot = std::make_unique<TRobot>(*GameGrid, *SpritesContainer);
}

TGame::~TGame() = default;

void TGame::Init(std::int32_t aStartHardnessLevel) {
  TickCount = 0;
  PlayedMs = 0;
  LivesAtEscape = 0;
  WinNote.clear();
  StartPasses();
  Stopped = false;
  Lives = 3;
  StartHardnessLevel = static_cast<std::uint32_t>(aStartHardnessLevel);

  TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      G.Cells(X, Y).State = 0;
      G.Cells(X, Y).SpritesSet = nullptr;
    }
  }

  const auto MakeRock = [this](TGGCell& Cell) {
    Cell.State = csSolid;
    Cell.SpritesSet = &SpritesContainer->Land;
    Cell.Holded = true;
  };
  for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
    MakeRock(G.Cells(X, G.RowsCount));
  for (std::uint32_t Y = 6; Y <= G.RowsCount - 1; ++Y) {
    for (const std::uint32_t X : {1u, 2u, G.ColsCount - 1, G.ColsCount})
      MakeRock(G.Cells(X, Y));
  }

  for (const std::uint32_t X : {1u, 2u, G.ColsCount - 1, G.ColsCount}) {
    G.Cells(X, 4).State = csExit;
    G.Cells(X, 5).State = csExit;
  }

  Robot->MoveTo(G.ColsCount / 2, G.RowsCount - 2, true);
  Robot->Pose.Reset();
  Robot->BombCount = 0;
  Robot->Luck = 50;

  SetHardness(StartHardnessLevel);

  // Three rock cells that flicker with lightning.
  for (const auto& [X, Y] : {std::pair{1u, 8u}, std::pair{1u, 15u}, std::pair{20u, 12u}}) {
    TGGCell& Cell = G.Cells(X, Y);
    Cell.State = csSolid;
    Cell.SpritesSet = &SpritesContainer->Ligthing;
    Cell.TicksToSprite = 100;
  }
}

void TGame::Pause() { Paused = true; }
void TGame::Countinue() { Paused = false; }
void TGame::PauseCountinue() { Paused = !Paused; }

void TGame::SetHardness(std::uint32_t aHardnessLevel) {
  if (aHardnessLevel == 0 || aHardnessLevel > MaxHardnessLevel)
    return;
  HardnessLevel = aHardnessLevel;
  const std::uint32_t S = SlownessFactor();
  Robot->LevitationDuration = S * 5 + 150;
  Truck->TicksToNewPart = S * 50 + 100;
  TGameGrid& G = *GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y)
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
      G.Cells(X, Y).TicksToProcess = GenerateTicksToProcess();
}

void TGame::IncHardness() { SetHardness(HardnessLevel + 1); }
void TGame::DecHardness() { SetHardness(HardnessLevel - 1); }

std::uint32_t TGame::GenerateTicksToProcess() {
  const std::uint32_t R = Random(8);
  return SlownessFactor() * (R + 16);
}
