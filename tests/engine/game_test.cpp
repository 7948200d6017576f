#include <gtest/gtest.h>

#include "support/test_game.h"
#include "support/test_pictures.h"
#include "support/yard.h"

#include <filesystem>

namespace {
using GameTest = TGameTest;

std::size_t CountEmpty(const TGame& Game) {
  std::size_t Empty = 0;
  for (std::uint32_t Y = 1; Y <= 15; ++Y)
    for (std::uint32_t X = 1; X <= 20; ++X)
      Empty += Game.GameGrid->Cells(X, Y).State == 0 ? 1 : 0;
  return Empty;
}
} // namespace

TEST_F(GameTest, ANewGameObjectWaitsPausedWithItsDefaults) {
  EXPECT_TRUE(Game->Paused);
  EXPECT_FALSE(Game->Stopped);
  EXPECT_EQ(Game->Lives, 2u);
  EXPECT_EQ(Game->HardnessLevel, 5u);
  EXPECT_EQ(Game->StartHardnessLevel, 5u);
  EXPECT_EQ(Game->TrashGeneratorAlgorythmIndex, 1);
  EXPECT_EQ(Game->Truck->TicksToNewPart, 500u);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 0u);
  EXPECT_EQ(Game->Scr->Width(), 640u);
  EXPECT_EQ(Game->Scr->Height(), 480u);
  EXPECT_EQ(Game->ScrRect.Right, 640);
  EXPECT_EQ(Game->ScrRect.Bottom, 480);
  EXPECT_EQ(Game->PreviousTime, Clock.Now());
  // The robot is not in the yard until the first new game.
  EXPECT_EQ(Game->Robot->X, 1u);
  EXPECT_EQ(Game->Robot->Y, 1u);
  EXPECT_EQ(CountEmpty(*Game), 300u);
  EXPECT_EQ(Cell(7, 9).TicksToProcess, 500u);
  EXPECT_EQ(Cell(7, 9).PreviousProcessedTime, Clock.Now());
  EXPECT_EQ(Cell(7, 9).SpriteIndex, 1u);
}

TEST_F(GameTest, ANewGameLaysOutTheYard) {
  Game->Init(5);
  const std::vector<std::string> Expected = {
      "....................", "....................", "....................", //
      "EE................EE", "EE................EE",                         //
      "##................##", "##................##",                         //
      "L#................##", "##................##", "##................##", //
      "##................##", "##................#L",                         //
      "##.......R........##", "##.......R........##",                         //
      "L###################",
  };
  EXPECT_EQ(YardPicture(*Game), Expected);
  EXPECT_EQ(CountEmpty(*Game), 234u);
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Game->SpritesContainer->Robot);
  EXPECT_EQ(Cell(10, 14).SpritesSet, nullptr);
  EXPECT_EQ(Cell(1, 4).SpritesSet, nullptr) << "exits are not drawn";
  EXPECT_TRUE(Cell(1, 8).Holded);
  EXPECT_EQ(Cell(1, 8).TicksToSprite, 100u);
  EXPECT_TRUE(Cell(5, 15).Holded);
  EXPECT_FALSE(Cell(5, 14).Holded);
  EXPECT_EQ(Game->Lives, 3u);
  EXPECT_EQ(Game->TickCount, 0u);
  EXPECT_EQ(Game->Robot->BombCount, 0u);
  EXPECT_EQ(Game->Robot->Luck, 50u);
  EXPECT_EQ(Game->Robot->SameDirectionPathLength, 0u);
  // The robot came from where it was made; that spot keeps nothing of it.
  EXPECT_EQ(Game->Robot->PreviousX, 1u);
  EXPECT_EQ(Game->Robot->PreviousY, 1u);
  EXPECT_EQ(Cell(1, 1).State, 0u);
  EXPECT_EQ(Cell(1, 2).State, 0u);
}

TEST_F(GameTest, TheLevelSetsEverySpeed) {
  struct TCase {
    std::uint32_t Level, Levitation, TruckInterval, FallMin;
  };
  const TCase Cases[] = {{1, 200, 600, 160}, {5, 180, 400, 96}, {10, 155, 150, 16}};
  for (const TCase& C : Cases) {
    Game->SetHardness(C.Level);
    EXPECT_EQ(Game->HardnessLevel, C.Level);
    EXPECT_EQ(Game->Robot->LevitationDuration, C.Levitation);
    EXPECT_EQ(Game->Truck->TicksToNewPart, C.TruckInterval);
    // Every draw answered 0: the shortest fall step of the level everywhere.
    EXPECT_EQ(Cell(1, 1).TicksToProcess, C.FallMin);
    EXPECT_EQ(Cell(20, 15).TicksToProcess, C.FallMin);
  }
}

TEST_F(GameTest, EachCellGetsItsOwnDrawRowByRow) {
  // 300 draws of Random(8), one per cell from the top row down, left to right.
  for (std::uint32_t I = 0; I < 300; ++I)
    Draws.Then(8, (I * 5) % 8);
  Game->SetHardness(5);
  EXPECT_EQ(Draws.Remaining(), 0u);
  for (std::uint32_t Y = 1; Y <= 15; ++Y) {
    for (std::uint32_t X = 1; X <= 20; ++X) {
      const std::uint32_t I = (Y - 1) * 20 + (X - 1);
      ASSERT_EQ(Cell(X, Y).TicksToProcess, 6 * (16 + (I * 5) % 8)) << X << "," << Y;
    }
  }
}

TEST_F(GameTest, ALevelOutsideOneToTenChangesNothingAndDrawsNothing) {
  Game->Init(1);
  Cell(4, 4).TicksToProcess = 12345;
  const std::size_t DrawsBefore = Draws.Asked().size();
  Game->DecHardness(); // asks for level 0
  Game->SetHardness(11);
  EXPECT_EQ(Game->HardnessLevel, 1u);
  EXPECT_EQ(Game->Truck->TicksToNewPart, 600u);
  EXPECT_EQ(Cell(4, 4).TicksToProcess, 12345u);
  EXPECT_EQ(Draws.Asked().size(), DrawsBefore);

  Game->SetHardness(10);
  Game->IncHardness(); // asks for level 11
  EXPECT_EQ(Game->HardnessLevel, 10u);
  EXPECT_EQ(Game->Robot->LevitationDuration, 155u);
  Game->DecHardness();
  EXPECT_EQ(Game->HardnessLevel, 9u);
}

TEST_F(GameTest, AFirstGameAtABadLevelKeepsTheCreationSpeeds) {
  Game->Init(0);
  EXPECT_EQ(Game->StartHardnessLevel, 0u);
  EXPECT_EQ(Game->HardnessLevel, 5u);
  EXPECT_EQ(Cell(12, 3).TicksToProcess, 500u);
  EXPECT_EQ(Game->Robot->LevitationDuration, 100u);
  EXPECT_EQ(Game->Truck->TicksToNewPart, 500u);
  EXPECT_EQ(Game->Lives, 3u) << "the game itself still starts";
}

TEST_F(GameTest, ANewGameKeepsWhatStaysWithTheCells) {
  Game->Init(5);
  Cell(6, 14).PastedByRobot = true;
  Cell(7, 14).PlacedSounded = true;
  PutSolid(*Game, 6, 14, csSolid | csBomb);
  Game->Truck->BricksPerTime = 2;
  Game->Truck->PreviousPartTime = 777;
  Game->Lives = 0;
  Game->Stopped = true;
  Game->TickCount = 40;
  Game->Init(7);
  EXPECT_EQ(Cell(6, 14).State, 0u);
  EXPECT_TRUE(Cell(6, 14).PastedByRobot);
  EXPECT_TRUE(Cell(7, 14).PlacedSounded);
  EXPECT_EQ(Game->Truck->BricksPerTime, 2u);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 777u);
  EXPECT_FALSE(Game->Stopped);
  EXPECT_EQ(Game->TickCount, 0u);
  EXPECT_EQ(Game->HardnessLevel, 7u);
}

TEST_F(GameTest, PauseSwitches) {
  Game->Pause();
  EXPECT_TRUE(Game->Paused);
  Game->Countinue();
  EXPECT_FALSE(Game->Paused);
  Game->Countinue();
  EXPECT_FALSE(Game->Paused);
  Game->PauseCountinue();
  EXPECT_TRUE(Game->Paused);
  Game->PauseCountinue();
  EXPECT_FALSE(Game->Paused);
}

TEST(GameCreation, AMissingPictureStopsTheGameFromBeingMade) {
  TTempDir Dir;
  const std::string Sprites = Dir.Path() + "/sprites/";
  WriteSpritesFixture(Sprites);
  std::filesystem::remove(Sprites + "barrel.png");
  EXPECT_THROW(TGame Game(Sprites), EImageLoadError);
}
