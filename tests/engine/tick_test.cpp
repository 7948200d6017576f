#include "support/game_probe.h"
#include "support/test_game.h"
#include "support/yard_text.h"

#include <gtest/gtest.h>

namespace {
using Cue = TSoundCue;
using TCues = std::vector<TCueCall>;

// A new game at level 5 with no truck, so that only the yard drawn by the
// test moves. Every draw answers 0: every cell falls every 96 ms.
class TTickTest : public TGameTest {
protected:
  static constexpr std::uint32_t FallMs = 96;

  TTickTest() {
    Game->Init(5);
    Game->TrashGeneratorAlgorythmIndex = -1;
    Cues.Calls.clear();
  }
  void Tick(std::uint32_t Ms = FallMs + 1) {
    Clock.Advance(Ms);
    Game->AITurn();
  }
  void Draw(std::uint32_t X, std::uint32_t Y, const TYardRows& Rows) { DrawYard(*Game, X, Y, Rows); }
  TYardRows Yard(std::uint32_t X, std::uint32_t Y, std::uint32_t W, std::uint32_t H) const {
    return ReadYard(*Game, X, Y, W, H);
  }
  const TSpritesContainer& Sprites() const { return *Game->SpritesContainer; }
};

TEST_F(TTickTest, StoppedGameTickChangesNothing) {
  Draw(5, 10, {"o", "."});
  Game->Stopped = true;
  const std::uint32_t PreviousTime = Game->PreviousTime;
  Tick(5000);
  EXPECT_EQ(Game->TickCount, 0u);
  EXPECT_EQ(Game->PreviousTime, PreviousTime);
  EXPECT_EQ(Yard(5, 10, 1, 2), (TYardRows{"o", "."}));
}

TEST_F(TTickTest, TickCountsAndRemembersItsTime) {
  Tick(10);
  Tick(10);
  EXPECT_EQ(Game->TickCount, 2u);
  EXPECT_EQ(Game->CurrentTime, 1020u);
  EXPECT_EQ(Game->PreviousTime, 1020u);
  EXPECT_EQ(Game->FreeCellsCounter, 234u);
}

TEST_F(TTickTest, ObjectFallsOneRowPerTickHoweverLongThePause) {
  Draw(5, 10, {"o", ".", ".", ".", "."});
  Tick(100000);
  EXPECT_EQ(Yard(5, 10, 1, 5), (TYardRows{".", "o", ".", ".", "."}));
  EXPECT_FALSE(Cell(5, 11).Processed) << "the skip clears the mark within the same sweep";
  Tick(FallMs);
  EXPECT_EQ(Yard(5, 10, 1, 5), (TYardRows{".", "o", ".", ".", "."})) << "equal is not enough";
  Tick(1);
  EXPECT_EQ(Yard(5, 10, 1, 5), (TYardRows{".", ".", "o", ".", "."}));
  EXPECT_TRUE(Cues.Calls.empty());
}

TEST_F(TTickTest, StackOverAGapOpensFromTheBottom) {
  Draw(5, 10, {"o", "o", ".", ".", "."});
  const std::vector<TYardRows> Expected = {
      {"o", ".", "o", ".", "."}, // the upper one rests on the lower one, which falls
      {".", "o", ".", "o", "."},
      {".", ".", "o", ".", "o"},
      {".", ".", ".", "o", "o"},
  };
  for (const TYardRows& Rows : Expected) {
    Tick();
    EXPECT_EQ(Yard(5, 10, 1, 5), Rows);
  }
  Tick();
  // Each resting plays the landing cue once: in mid-air, then on the ground, then on the pile.
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Placed, 5}, {Cue::Placed, 5}, {Cue::Placed, 5}}));
  Tick();
  EXPECT_EQ(Cues.Calls.size(), 3u) << "a resting object sounds once";
}

TEST_F(TTickTest, LandingOnSolidGround) {
  struct TCase {
    std::string Item;
    std::string After;
    TCues Cues;
  };
  const TCase Cases[] = {
      {"o", "o", {{Cue::Placed, 5}}},
      {"t", "t", {{Cue::Placed, 5}}},
      {"f", "~", {{Cue::Glassbreak, 5}}},
      {"b", "*", {{Cue::Boom, 5}}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Item);
    Draw(5, 14, {C.Item});
    Cues.Calls.clear();
    Tick();
    EXPECT_EQ(Yard(5, 14, 1, 2), (TYardRows{C.After, "#"}));
    EXPECT_EQ(Cues.Calls, C.Cues);
  }
}

TEST_F(TTickTest, BrokenObjectSmokesForFiveFramesAndAnObjectAboveMayFallIntoTheSmoke) {
  Draw(5, 13, {"f", "."});
  Draw(6, 14, {"f"});
  Draw(6, 12, {"o", "."});
  Tick();
  EXPECT_EQ(Yard(5, 12, 2, 3), (TYardRows{"..", ".o", "f~"}));
  EXPECT_EQ(Cell(6, 14).TicksToSprite, 100u);
  EXPECT_TRUE(Cell(6, 14).EmptyAfterSprites);

  // The smoke counts as free: the brick above falls into it and replaces it.
  Tick(101);
  EXPECT_EQ(Yard(5, 12, 2, 3), (TYardRows{"..", "..", "~o"}));
  EXPECT_EQ(Cell(6, 14).SpritesSet, &Sprites().Brick);
  EXPECT_EQ(Cell(6, 14).TicksToSprite, 0u);

  // The toilet in column 5 broke in the second tick; its smoke is gone after five frames.
  for (int Frame = 2; Frame <= 5; ++Frame) {
    Tick(101);
    EXPECT_EQ(Cell(5, 14).SpriteIndex, static_cast<std::uint32_t>(Frame));
    EXPECT_EQ(Yard(5, 14, 1, 1), (TYardRows{"~"}));
  }
  Tick(101);
  EXPECT_EQ(Yard(5, 14, 1, 1), (TYardRows{"."}));
  EXPECT_EQ(Cell(5, 14).SpritesSet, nullptr);
  EXPECT_EQ(Cell(5, 14).TicksToSprite, 0u);
}

TEST_F(TTickTest, BarrelLandingBlastsItsFourNeighboursAndTheRobotSilently) {
  Draw(8, 13, {".oRo", "tbRo"});
  Tick();
  EXPECT_EQ(Yard(8, 13, 4, 3), (TYardRows{".oRo", "t*Ro", "####"}));
  // The brick above rested on the barrel before it blew; blasted trash smokes but stays solid.
  EXPECT_EQ(Cell(9, 13).SpritesSet, &Sprites().Smoke);
  EXPECT_EQ(Cell(8, 14).SpritesSet, &Sprites().Tool);
  EXPECT_EQ(Cell(9, 15).SpritesSet, &Sprites().Land);
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Robot);
  EXPECT_EQ(Game->Lives, 2u);
  EXPECT_EQ(Cues.Calls,
            (TCues{{Cue::Placed, 9}, {Cue::Placed, 11}, {Cue::Placed, 8}, {Cue::Boom, 9}, {Cue::Placed, 11}}));
}

TEST_F(TTickTest, ChainOfBombsGoesOffOnceEachAndBoomsFromTheEndOfTheChain) {
  Draw(5, 13, {"...R", "bppR"});
  Tick();
  EXPECT_EQ(Yard(5, 13, 4, 2), (TYardRows{"...R", "*ppR"}));
  for (std::uint32_t X = 6; X <= 7; ++X) {
    EXPECT_EQ(Cell(X, 14).SpritesSet, &Sprites().Boom) << X;
    EXPECT_FALSE(Cell(X, 14).SLIProcessed) << X;
    EXPECT_TRUE(Cell(X, 14).EmptyAfterSprites) << X;
  }
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Boom, 7}, {Cue::Boom, 6}, {Cue::Boom, 5}}));
  EXPECT_EQ(Game->Lives, 2u) << "the last bomb's blast reached the robot";
}

TEST_F(TTickTest, BombBlastedInsideTheRobotHurtsItThreeTimesWithOneOuch) {
  // The neighbour's blast, the bomb itself, and the bomb's blast on the robot's upper cell.
  Draw(9, 13, {".R", "bB"});
  Tick();
  EXPECT_EQ(Game->Lives, 0u);
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Ouch, 10}, {Cue::Boom, 10}, {Cue::Boom, 9}}));
  EXPECT_TRUE(Game->Stopped);
}

TEST_F(TTickTest, RobotCatchesAFallingBarrel) {
  Draw(10, 12, {"b"});
  Tick();
  EXPECT_EQ(Yard(10, 12, 1, 3), (TYardRows{".", "R", "R"}));
  EXPECT_EQ(Game->Robot->BombCount, 1u);
  EXPECT_EQ(Game->Lives, 3u);
  EXPECT_FALSE(Cell(10, 13).Processed);
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::GetBomb, 10}}));
}

TEST_F(TTickTest, RobotHitByTrashLosesALifeAndTheTrashSmokesAway) {
  Draw(10, 12, {"o"});
  Tick();
  EXPECT_EQ(Yard(10, 12, 1, 3), (TYardRows{"~", "R", "R"}));
  EXPECT_EQ(Game->Lives, 2u);
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Ouch, 10}}));
  for (int Frame = 1; Frame <= 5; ++Frame)
    Tick(101);
  EXPECT_EQ(Yard(10, 12, 1, 3), (TYardRows{".", "R", "R"}));
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Robot);
}

TEST_F(TTickTest, LastLifeLostStopsTheGameOnlyAtTheEndOfTheTick) {
  Game->Lives = 2;
  Draw(9, 12, {".o"});
  Draw(9, 14, {"b"});
  Draw(11, 14, {"b"});
  Draw(15, 14, {"o"});
  Tick();
  EXPECT_EQ(Game->Lives, 0u) << "a third hit at no lives left does not wrap";
  EXPECT_TRUE(Game->Stopped);
  // The sweep ran to the end: the brick in column 15 still landed.
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Ouch, 10}, {Cue::Boom, 9}, {Cue::Boom, 11}, {Cue::Placed, 15}}));
  Tick();
  EXPECT_EQ(Game->TickCount, 1u);
}

TEST_F(TTickTest, RobotPicksUpTheTool) {
  struct TCase {
    const char* Name;
    std::uint32_t Y;
    TYardRows Drawn;
    std::uint32_t Lives;
  };
  const TCase Cases[] = {
      {"falling onto the robot", 12, {"t", "R", "R"}, 4},
      {"in the lower cell, on the ground", 13, {"R", "T"}, 4},
      // The upper cell shows the robot, not the tool: the tool is taken but gives no life.
      {"in the upper cell", 13, {"T", "R"}, 3},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Game->Lives = 3;
    Draw(10, 12, {"."});
    Draw(10, C.Y, C.Drawn);
    Cues.Calls.clear();
    Tick();
    EXPECT_EQ(Yard(10, 12, 1, 3), (TYardRows{".", "R", "R"}));
    EXPECT_EQ(Game->Lives, C.Lives);
    EXPECT_EQ(Cues.Calls, (TCues{{Cue::Pick, 10}}));
    EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Robot);
    EXPECT_EQ(Cell(10, 14).SpritesSet, nullptr);
  }
}

TEST_F(TTickTest, RobotInAnExitWinsAndTheSweepGoesOn) {
  Draw(1, 4, {"E", "E"});
  Draw(15, 14, {"o"});
  Tick();
  EXPECT_TRUE(Game->Stopped);
  EXPECT_EQ(Game->Lives, TGame::WonLives);
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Placed, 15}}));
  Tick();
  EXPECT_EQ(Game->TickCount, 1u);
}

TEST_F(TTickTest, AWonGameStaysWonWhateverTheRestOfTheSweepDoes) {
  // The robot stands in the exit above the left wall; a barrel beside its
  // lower cell lands later in the same sweep and its blast reaches the robot.
  Draw(2, 4, {"E.", "Eb"});
  Draw(3, 6, {"o"});
  Tick();
  EXPECT_TRUE(Game->Stopped);
  EXPECT_EQ(Game->Lives, TGame::WonLives);
  EXPECT_EQ(Cues.Calls.back(), (TCueCall{Cue::Boom, 3}));
}

TEST_F(TTickTest, TrashFallingIntoAnExitOverwritesIt) {
  Draw(19, 3, {"o", "e"});
  Tick();
  EXPECT_EQ(Yard(19, 3, 1, 3), (TYardRows{".", "o", "e"}));
  Tick();
  EXPECT_EQ(Yard(19, 3, 1, 4), (TYardRows{".", ".", "o", "#"}));
}

TEST_F(TTickTest, PlacedBombGoesOffWhenItsFuseRunsOutAndFallsAtTheNormalRate) {
  Draw(5, 14, {"p"});
  Draw(7, 10, {"p", "."});
  for (TGGCell* Bomb : {&Cell(5, 14), &Cell(7, 10)}) {
    Bomb->TicksToProcess = Game->Robot->BombTimeOut;
    Bomb->PreviousProcessedTime = Clock.Now();
  }
  Tick(Game->Robot->BombTimeOut);
  EXPECT_EQ(Yard(5, 14, 1, 1), (TYardRows{"p"}));
  Draws.Then(8, 3);
  Tick(1);
  EXPECT_EQ(Yard(5, 14, 1, 1), (TYardRows{"*"}));
  EXPECT_EQ(Yard(7, 10, 1, 2), (TYardRows{".", "p"}));
  EXPECT_EQ(Cell(7, 11).TicksToProcess, 6u * (3 + 16));
  EXPECT_EQ(Draws.Remaining(), 0u);
}

TEST_F(TTickTest, TimersHoldAcrossTheClockWrapAround) {
  Draw(5, 10, {"o", "."});
  Draw(10, 9, {"R", "R"});
  Clock.Set(0xFFFFFFC0u);
  Cell(5, 10).PreviousProcessedTime = Clock.Now();
  Game->Robot->LastJumpTime = Clock.Now();
  Tick(FallMs); // the clock reads 0x20 now
  EXPECT_EQ(Game->CurrentTime, 0x20u);
  EXPECT_EQ(Yard(5, 10, 1, 2), (TYardRows{"o", "."}));
  EXPECT_EQ(Game->Robot->Y, 9u);
  Tick(1);
  EXPECT_EQ(Yard(5, 10, 1, 2), (TYardRows{".", "o"}));
  EXPECT_EQ(Game->Robot->Y, 9u);
  Tick(180 - FallMs - 1);
  EXPECT_EQ(Game->Robot->Y, 9u) << "180 ms after the jump it still hangs";
  Tick(1);
  EXPECT_EQ(Game->Robot->Y, 10u);
  EXPECT_EQ(Game->Robot->LastJumpTime, Clock.Now());
}

TEST_F(TTickTest, RobotSinksOneRowPerLevitationPeriod) {
  Draw(10, 9, {"R", "R"});
  Game->Robot->LastJumpTime = Clock.Now();
  for (std::uint32_t Row = 10; Row <= 13; ++Row) {
    Tick(181);
    EXPECT_EQ(Game->Robot->Y, Row);
  }
  Tick(181);
  EXPECT_EQ(Game->Robot->Y, 13u) << "it stands on the ground";
  EXPECT_EQ(Game->Robot->LastJumpTime, Clock.Now()) << "renewed whether or not it moved";
}

TEST_F(TTickTest, FixedCellsAnimateButNeverMoveOrBreak) {
  // The lightning at (1, 8) loops through its four frames.
  for (std::uint32_t Frame : {2u, 3u, 4u, 1u, 2u}) {
    Tick(101);
    EXPECT_EQ(Cell(1, 8).SpriteIndex, Frame);
  }
  EXPECT_EQ(Cell(1, 8).State, csSolid);
  EXPECT_EQ(Cell(1, 8).SpritesSet, &Sprites().Ligthing);
  TGameProbe::BlastCell(*Game, 1, 8);
  TGameProbe::BlastCell(*Game, 5, 15);
  EXPECT_EQ(Cell(1, 8).SpritesSet, &Sprites().Ligthing);
  EXPECT_EQ(Cell(5, 15).SpritesSet, &Sprites().Land);
  EXPECT_FALSE(Cell(5, 15).EmptyAfterSprites);
}

TEST_F(TTickTest, BlastOutsideTheYardIsIgnored) {
  for (const auto& [X, Y] : {std::pair{0, 5}, std::pair{21, 5}, std::pair{5, 0}, std::pair{5, 16}, std::pair{-1, -1}})
    TGameProbe::BlastCell(*Game, X, Y);
  EXPECT_EQ(Game->Lives, 3u);
  EXPECT_TRUE(Cues.Calls.empty());
}

TEST_F(TTickTest, BlastOnFreeCellsPickupsAndExitsDoesNothing) {
  Draw(5, 10, {".te"});
  const TYardRows Before = Yard(5, 10, 3, 1);
  for (std::int32_t X = 5; X <= 7; ++X)
    TGameProbe::BlastCell(*Game, X, 10);
  EXPECT_EQ(Yard(5, 10, 3, 1), Before);
  EXPECT_EQ(Cell(6, 10).SpritesSet, &Sprites().Tool);
  EXPECT_EQ(Cell(5, 10).TicksToSprite, 0u);
}

TEST_F(TTickTest, CopyCellMovesTheObjectButNotTheCellsFlags) {
  TGGCell& Source = Cell(5, 5);
  TGGCell& Target = Cell(5, 6);
  Source = TGGCell();
  Source.State = 26;
  Source.SpritesSet = &Sprites().Barrel;
  Source.SpriteIndex = 3;
  Source.TicksToProcess = 77;
  Source.TicksToSprite = 100;
  Source.PreviousSpriteTime = 11;
  Source.PreviousProcessedTime = 22;
  Source.PlacedSounded = true;
  Source.PastedByRobot = true;
  Target.EmptyAfterSprites = true;
  Target.Processed = true;
  Target.SLIProcessed = true;
  TGameProbe::CopyCell(*Game, Source, Target);
  EXPECT_EQ(Target.State, 26u);
  EXPECT_EQ(Target.SpritesSet, &Sprites().Barrel);
  EXPECT_EQ(Target.SpriteIndex, 3u);
  EXPECT_EQ(Target.TicksToProcess, 77u);
  EXPECT_EQ(Target.TicksToSprite, 100u);
  EXPECT_EQ(Target.PreviousSpriteTime, 11u);
  EXPECT_EQ(Target.PreviousProcessedTime, 22u);
  EXPECT_FALSE(Target.PlacedSounded);
  EXPECT_FALSE(Target.PastedByRobot);
  EXPECT_TRUE(Target.EmptyAfterSprites);
  EXPECT_TRUE(Target.Processed);
  EXPECT_TRUE(Target.SLIProcessed);

  TGameProbe::ClearCell(*Game, Source);
  EXPECT_EQ(Source.State, 0u);
  EXPECT_EQ(Source.SpritesSet, nullptr);
  EXPECT_EQ(Source.SpriteIndex, 1u);
  EXPECT_EQ(Source.TicksToProcess, 0u);
  EXPECT_EQ(Source.TicksToSprite, 0u);
  EXPECT_FALSE(Source.PlacedSounded);
  EXPECT_TRUE(Source.PastedByRobot);
  EXPECT_EQ(Source.PreviousSpriteTime, 11u);
  EXPECT_EQ(Source.PreviousProcessedTime, 22u);
}

// The robot stays marked in exactly its two cells, and its upper cell shows it.
class TRobotMarkTest : public TTickTest {
protected:
  void ExpectRobotIntact() {
    const TRobot& R = *Game->Robot;
    for (std::uint32_t Y = 1; Y <= 15; ++Y)
      for (std::uint32_t X = 1; X <= 20; ++X)
        EXPECT_EQ((Cell(X, Y).State & csRobot) != 0, X == R.X && (Y == R.Y || Y == R.Y + 1))
            << "cell (" << X << ", " << Y << ")";
  }
};

TEST_F(TRobotMarkTest, EffectEndingInTheLowerCellEmptiesItButKeepsTheRobot) {
  TGGCell& Lower = Cell(10, 14);
  Lower.SpritesSet = &Sprites().Smoke;
  Lower.SpriteIndex = 5;
  Lower.TicksToSprite = 100;
  Lower.EmptyAfterSprites = true;
  Tick(101);
  EXPECT_EQ(Lower.State, csRobot);
  EXPECT_EQ(Lower.SpritesSet, nullptr);
  ExpectRobotIntact();
}

TEST_F(TRobotMarkTest, EffectEndingInTheUpperCellShowsTheRobotAgain) {
  TGGCell& Upper = Cell(10, 13);
  Upper.SpritesSet = &Sprites().Boom;
  Upper.SpriteIndex = 9;
  Upper.TicksToSprite = 100;
  Upper.EmptyAfterSprites = true;
  Tick(101);
  EXPECT_EQ(Upper.State, csRobot);
  EXPECT_EQ(Upper.SpritesSet, &Sprites().Robot);
  EXPECT_EQ(Upper.SpriteIndex, 1u);
  Tick(101);
  EXPECT_EQ(Upper.SpritesSet, &Sprites().Robot) << "the robot does not animate as an effect";
  ExpectRobotIntact();
}

TEST_F(TRobotMarkTest, BarrelCaughtFromTheUpperCellLeavesTheRobotWhole) {
  Draw(10, 12, {".", "B", "R"});
  Tick();
  EXPECT_EQ(Game->Robot->BombCount, 1u);
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::GetBomb, 10}}));
  EXPECT_EQ(Cell(10, 13).State, csRobot);
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Robot);
  ExpectRobotIntact();

  // Trash that comes down next hits the robot instead of moving into its cell.
  Draw(10, 12, {"o"});
  Tick();
  EXPECT_EQ(Yard(10, 12, 1, 3), (TYardRows{"~", "R", "R"}));
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Robot);
  ExpectRobotIntact();
}

TEST_F(TRobotMarkTest, ToolFallingOutOfTheLowerCellLeavesTheRobotBehind) {
  Draw(10, 11, {"R", "T", ".", "."});
  Game->Robot->LastJumpTime = Clock.Now();
  Tick();
  EXPECT_EQ(Yard(10, 11, 1, 4), (TYardRows{"R", "R", "t", "."}));
  EXPECT_EQ(Cell(10, 13).SpritesSet, &Sprites().Tool);
  EXPECT_EQ(Cell(10, 11).SpritesSet, &Sprites().Robot);
  ExpectRobotIntact();
}

// The random truck brings a tool into the robot's upper cell at the top of the
// yard: the cell goes on showing the robot, and the tool still counts as a tool.
TEST_F(TRobotMarkTest, ToolDroppedIntoTheRobotsUpperCellInRowOneGivesALife) {
  struct TCase {
    const char* Name;
    TYardRows Drawn; // column 10 from row 1
  };
  const TCase Cases[] = {
      {"falling onto the robot's lower cell", {"R", "R", "o", "#"}},
      {"landing on a barrel in the robot's lower cell", {"R", "B", ".", "#"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Draw(10, 1, C.Drawn);
    Game->Robot->LastJumpTime = Clock.Now() + FallMs + 1; // no sinking in this tick
    Game->Lives = 2;
    Game->TrashGeneratorAlgorythmIndex = 2;
    Game->Truck->BricksPerTime = 1;
    Game->Truck->PreviousPartTime = Clock.Now() - 10000;
    Draws.Then(16, 7).Then(15, 14).Then(8, 0); // column 10, the tool, the fastest fall
    Cues.Calls.clear();
    Tick();
    EXPECT_EQ(Draws.Remaining(), 0u);
    EXPECT_EQ(Game->Lives, 3u);
    ASSERT_FALSE(Cues.Calls.empty());
    EXPECT_EQ(Cues.Calls[0], (TCueCall{Cue::Pick, 10}));
    EXPECT_EQ(Cell(10, 1).State, csRobot) << "the tool is gone";
    EXPECT_EQ(Cell(10, 1).SpritesSet, &Sprites().Robot);
    EXPECT_EQ(Game->Robot->Y, 1u);
    ExpectRobotIntact();
  }
}

// Walking out of a cell takes its picture away (and walking in covers it), so a
// tool the truck brought stays a tool only while the robot stays where it was.
TEST_F(TRobotMarkTest, TruckToolLeftBehindByTheRobotGivesNoLife) {
  Draw(10, 1, {"R", "R", "o", "#"});
  Draw(11, 1, {".", ".", "#"});
  Game->TrashGeneratorAlgorythmIndex = 2;
  Game->Truck->PreviousPartTime = Clock.Now() - 10000;
  Draws.Then(16, 7).Then(15, 14).Then(8, 0);
  Cell(10, 1).PreviousProcessedTime = Clock.Now();
  Tick(1); // the tool arrives; its fall step is not due yet
  ASSERT_EQ(Cell(10, 1).State, csRobot | csPickup);
  Game->Lives = 2;
  Game->Robot->MoveRight();
  Game->Robot->MoveLeft();
  ASSERT_EQ(Game->Robot->X, 10u);
  Tick();
  EXPECT_EQ(Game->Lives, 2u);
  EXPECT_EQ(Cell(10, 1).State, csRobot);
  ExpectRobotIntact();
}

TEST_F(TRobotMarkTest, BarrelInTheLowerCellExplodesOnLandingAndTheRobotStays) {
  Draw(10, 13, {"R", "B"});
  Tick();
  EXPECT_EQ(Game->Lives, 2u) << "only the blast on the upper cell hurts";
  EXPECT_EQ(Cues.Calls, (TCues{{Cue::Boom, 10}}));
  EXPECT_EQ(Cell(10, 14).State, csRobot);
  ExpectRobotIntact();
  for (int Frame = 1; Frame <= 9; ++Frame)
    Tick(101);
  EXPECT_EQ(Cell(10, 14).State, csRobot);
  EXPECT_EQ(Cell(10, 14).SpritesSet, nullptr);
  ExpectRobotIntact();
}

// Fewer free cells than a threshold raise the level; the cells are filled
// with fixed rock so that the count holds through the tick.
struct TRaiseCase {
  std::uint32_t FreeCells, StartLevel, LevelBefore, LevelAfter;
};

class TRaiseTest : public TTickTest, public ::testing::WithParamInterface<TRaiseCase> {};

TEST_P(TRaiseTest, FreeCellsRaiseTheLevel) {
  const TRaiseCase& C = GetParam();
  Game->StartHardnessLevel = C.StartLevel;
  Game->SetHardness(C.LevelBefore);
  std::uint32_t Free = 0;
  for (std::uint32_t Y = 1; Y <= 15; ++Y)
    for (std::uint32_t X = 1; X <= 20; ++X)
      Free += Cell(X, Y).State == 0 ? 1 : 0;
  for (std::uint32_t Y = 1; Y <= 15 && Free > C.FreeCells; ++Y)
    for (std::uint32_t X = 1; X <= 20 && Free > C.FreeCells; ++X)
      if (Cell(X, Y).State == 0) {
        DrawYard(*Game, X, Y, {"#"});
        --Free;
      }
  Tick(1);
  EXPECT_EQ(Game->FreeCellsCounter, C.FreeCells);
  EXPECT_EQ(Game->HardnessLevel, C.LevelAfter);
  EXPECT_EQ(Game->Truck->TicksToNewPart, (11 - C.LevelAfter) * 50 + 100);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, TRaiseTest,
                         ::testing::Values(TRaiseCase{190, 5, 5, 5}, TRaiseCase{189, 5, 5, 6},
                                           TRaiseCase{150, 5, 6, 6}, TRaiseCase{149, 5, 6, 7},
                                           TRaiseCase{100, 5, 7, 7}, TRaiseCase{99, 5, 7, 8},
                                           TRaiseCase{99, 5, 5, 8}, TRaiseCase{189, 5, 7, 7},
                                           TRaiseCase{149, 9, 9, 10}, TRaiseCase{99, 8, 8, 10}));
} // namespace
