// The truck: which columns get trash, and what kind of trash.
#include "engine/game.h"

#include "platform/random.h"

#include <array>

namespace {
// The twelve solid kinds of trash, in the order of their draw.
struct TTrashKind {
  TFigureSprites TSpritesContainer::*Sprites;
  std::uint32_t State;
};
constexpr std::array<TTrashKind, 12> TrashKinds = {{
    {&TSpritesContainer::Brick, csSolid},
    {&TSpritesContainer::Toilet, csSolid | csFragile},
    {&TSpritesContainer::Papers, csSolid},
    {&TSpritesContainer::Girya, csSolid},
    {&TSpritesContainer::Cargo, csSolid},
    {&TSpritesContainer::Barrel, csSolid | csFragile | csBomb},
    {&TSpritesContainer::Wheel, csSolid},
    {&TSpritesContainer::Metal, csSolid},
    {&TSpritesContainer::Metal2, csSolid},
    {&TSpritesContainer::SmashedCar, csSolid},
    {&TSpritesContainer::Bottles, csSolid | csFragile},
    {&TSpritesContainer::Wall, csSolid},
}};
// One draw in fifteen brings the tool instead.
constexpr std::uint32_t KindDraws = 15;
constexpr std::uint32_t ToolDraw = 14;
// The random truck tries this many columns for each object before giving it up.
constexpr std::uint32_t RandomColumnTries = 21;
// The side walls are two columns thick; the truck feeds only the columns between them.
constexpr std::uint32_t WallCols = 2;
} // namespace

// The row just above the unbroken solid pile standing on the ground; 0 when the column is full.
std::uint32_t TGame::FindColumnTop(std::uint32_t X) const {
  for (std::uint32_t Y = GameGrid->RowsCount; Y >= 1; --Y)
    if ((GameGrid->Cells(X, Y).State & csSolid) == 0)
      return Y;
  return 0;
}

void TGame::GenerateTrashItem(TGGCell& Cell) {
  const bool HeldRobot = (Cell.State & csRobot) != 0;
  const TFigureSprites* const RobotPicture = Cell.SpritesSet;
  if (Random(KindDraws) == ToolDraw) {
    Cell.State = csPickup;
    Cell.SpritesSet = &SpritesContainer->Tool;
  } else {
    Cell.State = csSolid;
    const TTrashKind& Kind = TrashKinds[Random(static_cast<std::uint32_t>(TrashKinds.size()))];
    Cell.SpritesSet = &(SpritesContainer.get()->*Kind.Sprites);
    Cell.State |= Kind.State;
  }
  Cell.TicksToProcess = GenerateTicksToProcess();
  Cell.ToolUnderRobot = false;
  // Trash dropped onto a robot at the top of the yard lands in its cell; the
  // robot stays there, and its upper cell keeps showing the robot. A tool
  // hidden behind the robot's picture is still a tool, and still a life.
  if (HeldRobot) {
    Cell.State |= csRobot;
    if (&Cell == &GameGrid->Cells(Robot->X, Robot->Y)) {
      Cell.ToolUnderRobot = Cell.SpritesSet == &SpritesContainer->Tool;
      Cell.SpritesSet = RobotPicture;
    }
  }
}

void TGame::DropTrashSmart(std::uint32_t LuckPercentage) {
  Truck->BricksPerTime = Random(2) + 1;

  TGameGrid& G = *GameGrid;
  std::array<std::uint32_t, TGameGrid::MaxCols + 2> Top{};
  for (std::uint32_t X = 1; X <= G.ColsCount; ++X)
    Top[X] = FindColumnTop(X);

  const std::uint32_t FirstCol = WallCols + 1;
  const std::uint32_t LastCol = G.ColsCount - WallCols;
  std::array<bool, TGameGrid::MaxCols + 2> Marked{};
  std::uint32_t MarkedCount = 0;
  for (std::uint32_t X = FirstCol; X <= LastCol; ++X) {
    // A column no higher than its neighbours keeps the yard climbable.
    const std::int64_t DL = static_cast<std::int64_t>(Top[X]) - Top[X - 1];
    const std::int64_t DR = X == LastCol ? 0 : static_cast<std::int64_t>(Top[X]) - Top[X + 1];
    bool Lucky = false;
    if (LuckPercentage != 100)
      Lucky = Random(100) + 1 <= LuckPercentage;
    if (((DL >= 0 && DR >= 0) || Lucky) && Top[X] > TopGarbageLine) {
      Marked[X] = true;
      ++MarkedCount;
    }
  }

  if (MarkedCount < Truck->BricksPerTime)
    Truck->BricksPerTime = MarkedCount;
  for (std::uint32_t Brick = 0; Brick < Truck->BricksPerTime; ++Brick) {
    const std::uint32_t K = Random(MarkedCount) + 1;
    std::uint32_t Seen = 0;
    for (std::uint32_t X = FirstCol; X <= LastCol; ++X) {
      if (!Marked[X] || ++Seen != K)
        continue;
      Marked[X] = false;
      --MarkedCount;
      GenerateTrashItem(G.Cells(X, 1));
      break;
    }
  }
  Truck->PreviousPartTime = CurrentTime;
}

void TGame::DropTrashRandom() {
  TGameGrid& G = *GameGrid;
  const std::uint32_t FirstCol = WallCols + 1;
  const std::uint32_t Columns = G.ColsCount - 2 * WallCols;
  for (std::uint32_t Brick = 0; Brick < Truck->BricksPerTime; ++Brick) {
    for (std::uint32_t Try = 0; Try < RandomColumnTries; ++Try) {
      const std::uint32_t X = Random(Columns) + FirstCol;
      const std::uint32_t Below = G.Cells(X, TopGarbageLine).State;
      if (Below == 0 || (Below & csRobot) != 0) {
        GenerateTrashItem(G.Cells(X, 1));
        break;
      }
    }
  }
  Truck->PreviousPartTime = CurrentTime;
}

void TGame::DropTrash() {
  switch (TrashGeneratorAlgorythmIndex) {
  case 0: DropTrashSmart(100); break;
  case 1: DropTrashSmart(Robot->Luck); break;
  case 2: DropTrashRandom(); break;
  default: break; // no truck comes
  }
}
