#include <gtest/gtest.h>

#include "support/test_game.h"
#include "support/yard.h"

namespace {
class RobotTest : public TGameTest {
protected:
  RobotTest() {
    Game->Init(5);
    Cues.Calls.clear();
  }
  TRobot& Robot() { return *Game->Robot; }
  void ExpectAt(std::uint32_t X, std::uint32_t Y) {
    EXPECT_EQ(Robot().X, X);
    EXPECT_EQ(Robot().Y, Y);
    EXPECT_TRUE(Cell(X, Y).State & csRobot);
    EXPECT_TRUE(Cell(X, Y + 1).State & csRobot);
    EXPECT_EQ(Cell(X, Y).SpritesSet, &Game->SpritesContainer->Robot);
  }
  std::vector<TCueCall> Heard() { return std::exchange(Cues.Calls, {}); }
};

constexpr auto Move = TSoundCue::Move;
constexpr auto Spring = TSoundCue::Spring;
constexpr auto Fart = TSoundCue::Fart;
} // namespace

TEST_F(RobotTest, WalkingAlongTheGroundTriesToDropBeforeEveryStepButTheFirstTwo) {
  Robot().MoveLeft(); // unlike the move that put it in place: the count stays 0
  ExpectAt(9, 13);
  EXPECT_EQ(Robot().SameDirectionPathLength, 0u);
  Robot().MoveLeft(); // repeats the last step
  ExpectAt(8, 13);
  EXPECT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().MoveLeft(); // both drops fail on the ground and reset it; the step raises it again
  ExpectAt(7, 13);
  EXPECT_EQ(Robot().SameDirectionPathLength, 1u);
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Move, 9}, {Move, 8}, {Move, 7}}));
  EXPECT_EQ(Cell(10, 13).State, 0u);
  EXPECT_EQ(Cell(10, 13).SpritesSet, nullptr);
}

TEST_F(RobotTest, AStepAtTheYardsEdgeFailsButIsHeard) {
  struct TCase {
    std::uint32_t X;
    bool Left;
    std::int32_t HeardAt;
  };
  for (const TCase C : {TCase{1, true, 0}, TCase{20, false, 21}}) {
    PlaceRobot(*Game, C.X, 2);
    Robot().SameDirectionPathLength = 0;
    Clock.Advance(10);
    C.Left ? Robot().MoveLeft() : Robot().MoveRight();
    ExpectAt(C.X, 2);
    EXPECT_EQ(Robot().LastMoveTime, Clock.Now());
    EXPECT_EQ(Robot().SameDirectionPathLength, 0u);
    EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Move, C.HeardAt}}));
  }
}

TEST_F(RobotTest, WalksIntoADeliveredBarrelButNotIntoOneItPlaced) {
  PutSolid(*Game, 11, 14, csSolid | csBomb | csFragile);
  Robot().MoveRight();
  ExpectAt(11, 13);
  EXPECT_EQ(Cell(11, 14).State, csRobot | csSolid | csBomb | csFragile);

  PutSolid(*Game, 12, 14, csSolid | csBomb);
  Cell(12, 14).PastedByRobot = true;
  Robot().MoveRight();
  ExpectAt(11, 13);
  // A plain rock blocks just the same.
  PutSolid(*Game, 10, 13);
  Robot().MoveLeft();
  ExpectAt(11, 13);
}

TEST_F(RobotTest, JumpsOnlyFromSomethingSolid) {
  Clock.Advance(50);
  Robot().Jump();
  ExpectAt(10, 12);
  EXPECT_EQ(Robot().LastJumpTime, Clock.Now());
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Spring, 10}}));

  // In mid-air nothing but the spring is heard.
  Clock.Advance(50);
  Robot().Jump();
  ExpectAt(10, 12);
  EXPECT_EQ(Robot().LastJumpTime, Clock.Now() - 50);
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Spring, 10}}));
}

TEST_F(RobotTest, AJumpUnderABlockedCellStillRestartsTheHang) {
  PutSolid(*Game, 10, 12);
  Clock.Advance(70);
  Robot().Jump();
  ExpectAt(10, 13);
  EXPECT_EQ(Robot().LastJumpTime, Clock.Now());
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Spring, 10}}));
}

TEST_F(RobotTest, PlacingABombStepsUpAndLeavesTheBarrelBelow) {
  Robot().BombCount = 2;
  Clock.Advance(30);
  Robot().PasteBomb();
  ExpectAt(10, 12);
  EXPECT_EQ(Robot().BombCount, 1u);
  const TGGCell& Bomb = Cell(10, 14);
  EXPECT_EQ(Bomb.State, csSolid | csBomb);
  EXPECT_EQ(Bomb.SpritesSet, &Game->SpritesContainer->Barrel);
  EXPECT_EQ(Bomb.TicksToProcess, 1000u);
  EXPECT_TRUE(Bomb.PastedByRobot);
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Fart, 10}}));

  // It stands on its bomb: it cannot step down into it, but can jump off it.
  Robot().MoveDown(false);
  ExpectAt(10, 12);
  Robot().Jump();
  ExpectAt(10, 11);
}

TEST_F(RobotTest, NoBombIsPlacedWithoutBombsFootingOrRoom) {
  struct TCase {
    const char* Why;
    std::uint32_t Bombs;
    std::uint32_t RobotY;
    bool BlockAbove;
    bool ResetsCount;
  };
  const TCase Cases[] = {
      {"no bombs", 0, 13, false, false},
      {"mid-air", 1, 11, false, false},
      {"blocked above", 1, 13, true, true},
      {"top row", 1, 1, false, true},
  };
  for (const TCase& C : Cases) {
    Game->Init(5);
    if (C.RobotY == 1)
      PutSolid(*Game, 10, 3);
    PlaceRobot(*Game, 10, C.RobotY);
    if (C.BlockAbove)
      PutSolid(*Game, 10, 12);
    Robot().BombCount = C.Bombs;
    Robot().SameDirectionPathLength = 3;
    Robot().LastMoveTime = 0;
    Heard();
    Clock.Advance(5);
    Robot().PasteBomb();
    EXPECT_EQ(Robot().Y, C.RobotY) << C.Why;
    EXPECT_EQ(Robot().BombCount, C.Bombs) << C.Why;
    EXPECT_TRUE(Heard().empty()) << C.Why;
    EXPECT_EQ(Robot().SameDirectionPathLength, C.ResetsCount ? 0u : 3u) << C.Why;
    EXPECT_EQ(Robot().LastMoveTime, C.ResetsCount ? Clock.Now() : 0u) << C.Why;
  }
}

TEST_F(RobotTest, WalkingOffALedgeDropsUpToTwoRowsBeforeTheStep) {
  // A ledge in row 12 from column 8 to 10; nothing under column 11.
  for (std::uint32_t X = 8; X <= 10; ++X)
    PutSolid(*Game, X, 12);
  PlaceRobot(*Game, 8, 10);
  Robot().MoveRight();
  Robot().MoveRight();
  ExpectAt(10, 10);
  EXPECT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().MoveRight(); // both drops fail on the ledge, then the step
  ExpectAt(11, 10);
  EXPECT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().MoveRight(); // off the edge: two rows down, the second drop counts, then the step
  ExpectAt(12, 12);
  EXPECT_EQ(Robot().SameDirectionPathLength, 2u);
  EXPECT_EQ(Cell(11, 10).State, 0u);
  EXPECT_EQ(Cell(11, 12).State, 0u);
}

TEST_F(RobotTest, AJumpKeepsTheCountSoTheNextStepDropsBackFirst) {
  Robot().MoveRight();
  Robot().MoveRight();
  ASSERT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().Jump();
  ExpectAt(12, 12);
  EXPECT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().MoveRight();
  ExpectAt(13, 13);
}

TEST_F(RobotTest, TheDownArrowOnTheGroundResetsTheCount) {
  Robot().MoveRight();
  Robot().MoveRight();
  ASSERT_EQ(Robot().SameDirectionPathLength, 1u);
  Robot().MoveDown(false);
  ExpectAt(12, 13);
  EXPECT_EQ(Robot().SameDirectionPathLength, 0u);
  EXPECT_EQ(Heard(), (std::vector<TCueCall>{{Move, 11}, {Move, 12}}));
}

TEST_F(RobotTest, CanMoveToChecksTheBoundsAndTheWholeFootprint) {
  EXPECT_FALSE(Robot().CanMoveTo(0, 5));
  EXPECT_FALSE(Robot().CanMoveTo(21, 5));
  EXPECT_FALSE(Robot().CanMoveTo(5, 0));
  EXPECT_FALSE(Robot().CanMoveTo(5, 15)) << "the lower cell would be below the yard";
  EXPECT_FALSE(Robot().CanMoveTo(5, 14)) << "ground";
  EXPECT_TRUE(Robot().CanMoveTo(1, 4)) << "on top of the wall, inside two exits";
  Cell(5, 6).State = csPickup;
  EXPECT_TRUE(Robot().CanMoveTo(5, 5)) << "a pick-up does not block";
  EXPECT_TRUE(Robot().CanMoveTo(10, 12)) << "its own cell does not block";
}
