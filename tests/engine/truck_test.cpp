#include "support/game_probe.h"
#include "support/test_game.h"
#include "support/yard_text.h"

#include <gtest/gtest.h>

namespace {
using TRanges = std::vector<std::uint32_t>;

class TTruckTest : public TGameTest {
protected:
  TTruckTest() {
    Game->Init(5);
    Game->CurrentTime = 4242;
    Mark = Draws.Asked().size();
  }
  // The ranges of the draws made since the test began.
  TRanges RangesAsked() const { return TRanges(Draws.Asked().begin() + static_cast<std::ptrdiff_t>(Mark), Draws.Asked().end()); }
  void Draw(std::uint32_t X, std::uint32_t Y, const TYardRows& Rows) { DrawYard(*Game, X, Y, Rows); }
  std::string TopRow() const { return ReadYard(*Game, 1, 1, 20, 1)[0]; }
  // Scripts the draws of one object: its kind, then its fall interval.
  void ThenBrick() { Draws.Then(15, 0).Then(12, 0).Then(8, 0); }
  // Scripts Random(100) for columns 3 to 18; Lucky(X) decides each column's answer.
  template <typename F> void ThenLuck(F Lucky) {
    for (std::uint32_t X = 3; X <= 18; ++X)
      Draws.Then(100, Lucky(X));
  }
  std::size_t Mark = 0;
};

TEST_F(TTruckTest, ColumnTopIsTheRowAboveTheSolidPileOnTheGround) {
  Draw(6, 12, {"o", "o", "o"});
  Draw(7, 3, {"o"});
  Draw(8, 1, TYardRows(14, "o"));
  Draw(11, 11, {"o", "R", "R", "o"});
  const std::pair<std::uint32_t, std::uint32_t> Cases[] = {
      {5, 14},  // empty column
      {1, 5},   // wall
      {20, 5},  // wall
      {6, 11},  // a pile of three
      {7, 14},  // an object still falling does not count
      {8, 0},   // full to the top
      {11, 13}, // the robot ends the pile
  };
  for (const auto& [X, Top] : Cases)
    EXPECT_EQ(TGameProbe::FindColumnTop(*Game, X), Top) << "column " << X;
}

TEST_F(TTruckTest, EachDrawGivesItsKindOfTrash) {
  const TSpritesContainer& SC = *Game->SpritesContainer;
  const std::pair<const TFigureSprites*, std::uint32_t> Kinds[] = {
      {&SC.Brick, 2},   {&SC.Toilet, 18}, {&SC.Papers, 2}, {&SC.Girya, 2},      {&SC.Cargo, 2},    {&SC.Barrel, 26},
      {&SC.Wheel, 2},   {&SC.Metal, 2},   {&SC.Metal2, 2}, {&SC.SmashedCar, 2}, {&SC.Bottles, 18}, {&SC.Wall, 2},
  };
  TGGCell& Target = Cell(5, 1);
  for (std::uint32_t K = 0; K < 12; ++K) {
    SCOPED_TRACE(K);
    Target.State = csExit;
    Target.SpriteIndex = 3;
    Target.PreviousProcessedTime = 77;
    Target.PlacedSounded = true;
    Draws.Then(15, K % 14).Then(12, K).Then(8, 2);
    TGameProbe::GenerateTrashItem(*Game, Target);
    EXPECT_EQ(Target.SpritesSet, Kinds[K].first);
    EXPECT_EQ(Target.State, Kinds[K].second);
    EXPECT_EQ(Target.TicksToProcess, 6u * (2 + 16));
    // Only the object's three fields are written.
    EXPECT_EQ(Target.SpriteIndex, 3u);
    EXPECT_EQ(Target.PreviousProcessedTime, 77u);
    EXPECT_TRUE(Target.PlacedSounded);
  }
  Draws.Then(15, 14).Then(8, 7);
  const std::size_t Before = Draws.Asked().size();
  TGameProbe::GenerateTrashItem(*Game, Target);
  EXPECT_EQ(Target.SpritesSet, &SC.Tool);
  EXPECT_EQ(Target.State, csPickup);
  EXPECT_EQ(Target.TicksToProcess, 6u * (7 + 16));
  EXPECT_EQ(Draws.Asked().size() - Before, 2u) << "the tool needs no second kind draw";
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTruckTest, EmptyYardGetsTwoObjectsInDistinctColumns) {
  Draws.Then(2, 1).Then(16, 4);
  ThenBrick();
  Draws.Then(15, 4).Then(15, 0).Then(12, 1).Then(8, 0);
  TGameProbe::DropTrashSmart(*Game, 100);
  // The fifth of columns 3..18 is 7; with 7 taken, the fifth is 8.
  EXPECT_EQ(TopRow(), "......of............");
  EXPECT_EQ(Game->Truck->BricksPerTime, 2u);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 4242u);
  EXPECT_EQ(RangesAsked(), (TRanges{2, 16, 15, 12, 8, 15, 15, 12, 8}));
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTruckTest, ColumnHigherThanItsLeftNeighbourIsFedOnlyByLuck) {
  Draw(6, 14, {"o"});
  struct TCase {
    const char* Name;
    std::uint32_t Luck;
    std::uint32_t Column6Draw; // Random(100) for column 6; lucky when below Luck
    std::uint32_t Count;       // marked columns
    std::string Row;
  };
  const TCase Cases[] = {
      {"robot can escape", 100, 0, 15, "......o............."},
      {"normal, lucky", 50, 49, 16, ".....o.............."},
      {"normal, unlucky", 50, 50, 15, "......o............."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Draw(1, 1, {"...................."});
    Draws.Then(2, 0);
    if (C.Luck != 100)
      ThenLuck([&](std::uint32_t X) { return X == 6 ? C.Column6Draw : 99; });
    Draws.Then(C.Count, 3); // the fourth marked column
    ThenBrick();
    TGameProbe::DropTrashSmart(*Game, C.Luck);
    EXPECT_EQ(TopRow(), C.Row);
    EXPECT_EQ(Draws.Remaining(), 0u);
  }
}

TEST_F(TTruckTest, OnlyColumnsWhosePileStaysBelowTheGarbageLineAreFed) {
  Draw(9, 7, TYardRows(8, "o"));  // column top at row 6: fed
  Draw(12, 6, TYardRows(9, "o")); // column top at row 5: not fed
  Draws.Then(2, 1);
  ThenLuck([](std::uint32_t) { return 0u; });
  Draws.Then(15, 6); // the seventh of 3..11 and 13..18 is column 9
  ThenBrick();
  Draws.Then(14, 9); // without 9, the tenth is column 14
  ThenBrick();
  TGameProbe::DropTrashSmart(*Game, 50);
  EXPECT_EQ(TopRow(), "........o....o......");
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTruckTest, WhenNoColumnQualifiesNothingComesNotEvenFromTheRandomTruck) {
  Draw(3, 6, TYardRows(9, "oooooooooooooooo"));
  Draw(10, 4, {"R", "R"});
  Draws.Then(2, 1);
  TGameProbe::DropTrashSmart(*Game, 100);
  EXPECT_EQ(Game->Truck->BricksPerTime, 0u);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 4242u);

  Game->TrashGeneratorAlgorythmIndex = 2;
  Game->CurrentTime = 5000;
  TGameProbe::DropTrash(*Game);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 5000u);
  EXPECT_EQ(TopRow(), "....................");
  EXPECT_EQ(RangesAsked(), (TRanges{2}));
}

TEST_F(TTruckTest, RandomTruckFeedsAColumnWhoseGarbageLineRowIsFreeOrHoldsTheRobot) {
  Draw(5, 5, {"o"});
  Draw(10, 4, {"R", "R"});
  Draws.Then(16, 2).Then(16, 7).Then(15, 0).Then(12, 3).Then(8, 0); // column 5 is full, 10 has the robot
  TGameProbe::DropTrashRandom(*Game);
  EXPECT_EQ(TopRow(), ".........o..........");
  EXPECT_EQ(Cell(10, 1).SpritesSet, &Game->SpritesContainer->Girya);
  EXPECT_EQ(Game->Truck->PreviousPartTime, 4242u);
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTruckTest, RandomTruckGivesAnObjectUpAfterTwentyOneMisses) {
  Draw(5, 5, {"o"});
  for (int Try = 0; Try < 21; ++Try)
    Draws.Then(16, 2);
  TGameProbe::DropTrashRandom(*Game);
  EXPECT_EQ(TopRow(), "....................");
  EXPECT_EQ(RangesAsked(), TRanges(21, 16));
  EXPECT_EQ(Game->Truck->PreviousPartTime, 4242u);
}

TEST_F(TTruckTest, RandomTruckMayDropBothObjectsIntoOneColumn) {
  Game->Truck->BricksPerTime = 2;
  Draws.Then(16, 0);
  ThenBrick();
  Draws.Then(16, 0).Then(15, 0).Then(12, 1).Then(8, 0);
  TGameProbe::DropTrashRandom(*Game);
  EXPECT_EQ(TopRow(), "..f.................");
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTruckTest, AlgorithmIndexChoosesTheGenerator) {
  struct TCase {
    std::int32_t Index;
    TRanges Ranges;
    bool Delivers;
  };
  TRanges Normal{2};
  Normal.insert(Normal.end(), 16, 100);
  Normal.insert(Normal.end(), {16, 15, 12, 8});
  const TCase Cases[] = {
      {0, {2, 16, 15, 12, 8}, true},
      {1, Normal, true},
      {2, {16, 15, 12, 8}, true},
      {3, {}, false},
      {-1, {}, false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Index);
    Draw(1, 1, {"...................."});
    Game->Truck->PreviousPartTime = 1;
    Game->TrashGeneratorAlgorythmIndex = C.Index;
    Mark = Draws.Asked().size();
    TGameProbe::DropTrash(*Game);
    EXPECT_EQ(RangesAsked(), C.Ranges);
    EXPECT_EQ(TopRow(), C.Delivers ? "..o................." : "....................");
    EXPECT_EQ(Game->Truck->PreviousPartTime, C.Delivers ? 4242u : 1u);
  }
}

TEST_F(TTruckTest, FirstTickDeliversAtOnceThenTheTruckWaitsItsInterval) {
  Clock.Advance(50);
  Game->AITurn();
  EXPECT_EQ(TopRow(), "..o.................") << "delivered, and not yet fallen";
  EXPECT_EQ(Game->Truck->PreviousPartTime, 1050u);
  Clock.Set(1050 + 400);
  Game->AITurn();
  EXPECT_EQ(Game->Truck->PreviousPartTime, 1050u);
  Clock.Advance(1);
  Game->AITurn();
  EXPECT_EQ(Game->Truck->PreviousPartTime, 1451u);
  EXPECT_EQ(TopRow(), "..o.................") << "the new batch fills the row the first one left";
}

TEST_F(TTruckTest, UnknownAlgorithmLeavesTheTruckDueOnEveryTick) {
  Game->TrashGeneratorAlgorythmIndex = 3;
  for (int Tick = 0; Tick < 3; ++Tick) {
    Clock.Advance(500);
    Game->AITurn();
  }
  EXPECT_EQ(Game->Truck->PreviousPartTime, 0u);
  EXPECT_EQ(Game->FreeCellsCounter, 234u);
}

TEST_F(TTruckTest, TrashDroppedIntoTheRobotsCellKeepsTheRobotThere) {
  Draw(10, 1, {"R", "R"});
  ThenBrick();
  TGameProbe::GenerateTrashItem(*Game, Cell(10, 1));
  EXPECT_EQ(Cell(10, 1).State, csRobot | csSolid);
  EXPECT_EQ(Cell(10, 1).SpritesSet, &Game->SpritesContainer->Robot);
  EXPECT_EQ(Cell(10, 2).State, csRobot);
}
} // namespace
