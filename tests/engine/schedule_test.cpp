// A loop that sleeps until something is due decides exactly what a pass every
// millisecond decides: the same seeded games, keys at random moments, played
// both ways, must leave the same yard, robot, truck, cues and draws at every
// key and at the end.
//
// CLANKORA_SCHEDULE_GAMES (games per seed) makes the run longer by hand.
#include "support/test_game.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {
enum class TPlay { Left, Right, Jump, Down, Bomb, LevelUp, LevelDown, NewGame };

struct TKeyAt {
  std::uint32_t At; // milliseconds after the game's start
  TPlay Play;
  std::uint32_t Level; // a new game's start level
};

struct TScript {
  std::uint32_t StartLevel = 5;
  std::int32_t Generator = 1;
  bool ManyLives = false;
  std::uint32_t Length = 0; // milliseconds played
  std::vector<TKeyAt> Keys; // in time order
};

TScript MakeScript(TSplitMix& Rng) {
  TScript S;
  S.StartLevel = Rng.Below(10) + 1;
  S.Generator = static_cast<std::int32_t>(Rng.Below(3));
  // Random keys lose a game fast; every other game has lives enough to fill the yard.
  S.ManyLives = Rng.Below(2) == 0;
  S.Length = 8000 + Rng.Below(12000);
  const std::uint32_t Gap = 30 + Rng.Below(400); // a calm or a busy player
  for (std::uint32_t T = Rng.Below(Gap); T < S.Length; T += 1 + Rng.Below(2 * Gap)) {
    // Keys that come together, in one millisecond, as a burst from a stalled machine.
    for (std::uint32_t N = Rng.Below(8) == 0 ? 2 + Rng.Below(3) : 1; N > 0; --N) {
      const std::uint32_t Kind = Rng.Below(100);
      const TPlay Play = Kind < 25   ? TPlay::Left
                         : Kind < 50 ? TPlay::Right
                         : Kind < 68 ? TPlay::Jump
                         : Kind < 73 ? TPlay::Down
                         : Kind < 92 ? TPlay::Bomb
                         : Kind < 95 ? TPlay::LevelUp
                         : Kind < 98 ? TPlay::LevelDown
                                     : TPlay::NewGame;
      S.Keys.push_back({T, Play, Rng.Below(10) + 1});
    }
  }
  return S;
}

// A cell as the rules left it, its picture named by where it sits among the game's pictures.
struct TCellDecided {
  TGGCell Cell;
  std::ptrdiff_t Picture = -1;
  friend bool operator==(const TCellDecided&, const TCellDecided&) = default;
};

// Everything the rules decide, and nothing of the loop (how many passes ran, when the last one was).
struct TDecided {
  std::vector<TCellDecided> Cells;
  std::vector<std::uint32_t> Robot, Truck, Game;
  std::uint64_t Draws = 0;
  std::size_t Cues = 0;
  friend bool operator==(const TDecided&, const TDecided&) = default;
};

TDecided Decided(const TGame& G, const TSeededRandom& Draws, const TCueRecorder& Cues) {
  TDecided D;
  for (std::uint32_t Y = 1; Y <= YardRows; ++Y)
    for (std::uint32_t X = 1; X <= YardCols; ++X) {
      TCellDecided C{G.GameGrid->Cells(X, Y)};
      if (C.Cell.SpritesSet != nullptr)
        C.Picture = reinterpret_cast<const char*>(C.Cell.SpritesSet) -
                    reinterpret_cast<const char*>(G.SpritesContainer.get());
      C.Cell.SpritesSet = nullptr;
      D.Cells.push_back(C);
    }
  const TRobot& R = *G.Robot;
  D.Robot = {R.X, R.Y, R.PreviousX, R.PreviousY, R.SameDirectionPathLength, R.LevitationDuration,
             R.LastMoveTime, R.LastJumpTime, R.BombCount};
  D.Truck = {G.Truck->BricksPerTime, G.Truck->TicksToNewPart, G.Truck->PreviousPartTime};
  D.Game = {G.CurrentTime, G.Lives, G.HardnessLevel, G.StartHardnessLevel, G.Stopped, G.FreeCellsCounter};
  D.Draws = Draws.Draws();
  D.Cues = Cues.Calls.size();
  return D;
}

std::string FirstDifference(const TDecided& A, const TDecided& B) {
  std::ostringstream Out;
  for (std::size_t I = 0; I < A.Cells.size(); ++I)
    if (!(A.Cells[I] == B.Cells[I])) {
      const TGGCell &P = A.Cells[I].Cell, &Q = B.Cells[I].Cell;
      Out << "cell (" << I % YardCols + 1 << ", " << I / YardCols + 1 << "): state " << P.State << "/" << Q.State
          << ", fall stamp " << P.PreviousProcessedTime << "/" << Q.PreviousProcessedTime << ", interval "
          << P.TicksToProcess << "/" << Q.TicksToProcess << ", frame " << P.SpriteIndex << "/" << Q.SpriteIndex
          << " stamp " << P.PreviousSpriteTime << "/" << Q.PreviousSpriteTime << ", every " << P.TicksToSprite << "/"
          << Q.TicksToSprite << ", landed " << P.PlacedSounded << "/" << Q.PlacedSounded << ", picture "
          << A.Cells[I].Picture << "/" << B.Cells[I].Picture;
      return Out.str();
    }
  if (A.Robot != B.Robot)
    return "the robot";
  if (A.Truck != B.Truck)
    return "the truck";
  if (A.Game != B.Game)
    return "the game's lives, level or state";
  Out << "draws " << A.Draws << "/" << B.Draws << ", cues " << A.Cues << "/" << B.Cues;
  return Out.str();
}

class ScheduleTest : public TGameTest {
protected:
  ScheduleTest() : Other(std::make_unique<TGame>(SharedSpritesFixture())) {}

  struct TPlayed {
    std::vector<TDecided> AtKeys; // after each key's millisecond
    TDecided AtEnd;
    std::vector<TCueCall> Cues;
    std::uint64_t Passes = 0;
  };

  void Press(TGame& G, const TKeyAt& Key) {
    TRobot& R = *G.Robot;
    const bool Playing = !G.Stopped;
    switch (Key.Play) {
    case TPlay::Left: if (Playing) R.MoveLeft(); break;
    case TPlay::Right: if (Playing) R.MoveRight(); break;
    case TPlay::Jump: if (Playing) R.Jump(); break;
    case TPlay::Down: if (Playing) R.MoveDown(false); break;
    case TPlay::Bomb: R.PasteBomb(); break;
    case TPlay::LevelUp: G.IncHardness(); break;
    case TPlay::LevelDown: G.DecHardness(); break;
    case TPlay::NewGame: G.Init(static_cast<std::int32_t>(Key.Level)); break;
    }
  }

  // One game as the loop plays it: a pass at each visited millisecond; keys
  // after that millisecond's pass, then one more pass in it. EveryMs visits
  // every millisecond; otherwise only those with keys, and those the game
  // names as the next that can decide something.
  TPlayed Play(TGame& G, const TScript& S, std::uint64_t Seed, std::uint32_t Start, bool EveryMs) {
    Clock.Set(Start);
    TSeededRandom GameDraws(Seed);
    TCueRecorder Recorder;
    TPlayed Result;
    G.SkipsQuietMs = !EveryMs;
    G.TrashGeneratorAlgorythmIndex = S.Generator;
    G.Init(static_cast<std::int32_t>(S.StartLevel));
    G.StartPasses();
    G.Robot->BombCount = 3;
    if (S.ManyLives)
      G.Lives = 60;
    std::size_t Next = 0;
    std::uint32_t T = 0;
    while (true) {
      Clock.Set(Start + T);
      G.AITurn();
      ++Result.Passes;
      if (Next < S.Keys.size() && S.Keys[Next].At == T) {
        for (; Next < S.Keys.size() && S.Keys[Next].At == T; ++Next)
          Press(G, S.Keys[Next]);
        G.AITurn();
        Result.AtKeys.push_back(Decided(G, GameDraws, Recorder));
      }
      if (T == S.Length)
        break;
      std::uint32_t Visit = T + 1;
      if (!EveryMs) {
        Visit = S.Length;
        if (Next < S.Keys.size())
          Visit = std::min(Visit, S.Keys[Next].At);
        if (const std::optional<std::uint32_t> Due = G.NextDecisionTime())
          Visit = std::min(Visit, *Due - Start);
      }
      EXPECT_GT(Visit, T) << "the next pass is never in the past";
      T = std::max(Visit, T + 1);
    }
    Result.AtEnd = Decided(G, GameDraws, Recorder);
    Result.Cues = Recorder.Calls;
    G.SkipsQuietMs = false;
    return Result;
  }

  std::unique_ptr<TGame> Other;
};

std::uint32_t GamesPerSeed() {
  const char* Value = std::getenv("CLANKORA_SCHEDULE_GAMES");
  return Value != nullptr && *Value != '\0' ? static_cast<std::uint32_t>(std::strtoul(Value, nullptr, 10)) : 25;
}

class ScheduleSeeds : public ScheduleTest, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(ScheduleSeeds, SleepingUntilSomethingIsDueDecidesWhatEveryMillisecondDecides) {
  const std::uint64_t Seed = GetParam();
  TSplitMix Rng(Seed);
  std::uint64_t DensePasses = 0, SparsePasses = 0, Keys = 0, CuesHeard = 0;
  for (std::uint32_t GameNo = 0, Games = GamesPerSeed(); GameNo < Games; ++GameNo) {
    const TScript S = MakeScript(Rng);
    const std::uint64_t GameSeed = Rng.Next();
    // Some games cross the clock's wrap-around.
    const std::uint32_t Start = Rng.Below(3) == 0 ? 0xFFFFFFFFu - Rng.Below(20000) : 1000 + Rng.Below(100000);
    const TPlayed Dense = Play(*Game, S, GameSeed, Start, true);
    const TPlayed Sparse = Play(*Other, S, GameSeed, Start, false);
    SCOPED_TRACE(testing::Message() << "seed " << Seed << ", game " << GameNo << ", level " << S.StartLevel
                                    << ", generator " << S.Generator);
    ASSERT_EQ(Dense.AtKeys.size(), Sparse.AtKeys.size());
    for (std::size_t K = 0; K < Dense.AtKeys.size(); ++K)
      ASSERT_TRUE(Dense.AtKeys[K] == Sparse.AtKeys[K])
          << "after key " << K << " at " << Dense.AtKeys[K].Game[0] - Start << " ms: "
          << FirstDifference(Dense.AtKeys[K], Sparse.AtKeys[K]);
    ASSERT_TRUE(Dense.AtEnd == Sparse.AtEnd) << "at the end: " << FirstDifference(Dense.AtEnd, Sparse.AtEnd);
    ASSERT_EQ(Dense.Cues, Sparse.Cues);
    DensePasses += Dense.Passes;
    SparsePasses += Sparse.Passes;
    Keys += Dense.AtKeys.size();
    CuesHeard += Dense.Cues.size();
  }
  std::printf("seed %llu: %llu key moments, %llu cues; %llu passes every millisecond, %llu when due (%.1f %%)\n",
              static_cast<unsigned long long>(Seed), static_cast<unsigned long long>(Keys),
              static_cast<unsigned long long>(CuesHeard), static_cast<unsigned long long>(DensePasses),
              static_cast<unsigned long long>(SparsePasses), 100.0 * SparsePasses / DensePasses);
  // Identical decisions prove nothing if every millisecond had its pass anyway.
  EXPECT_LT(SparsePasses * 4, DensePasses) << "the schedule skips too few milliseconds";
  EXPECT_GT(CuesHeard, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ScheduleSeeds, ::testing::Values(11u, 12u, 13u, 14u));

TEST_F(ScheduleTest, AStillYardWakesOnlyForTheTruckTheRobotAndTheLightning) {
  Game->Init(5);
  Game->AITurn();
  // Nothing falls yet: the next moment is the first of the lightning frames, the truck or the robot's sinking.
  const std::optional<std::uint32_t> Due = Game->NextDecisionTime();
  ASSERT_TRUE(Due.has_value());
  EXPECT_GT(*Due, Game->CurrentTime);
  Game->Stopped = true;
  EXPECT_FALSE(Game->NextDecisionTime().has_value()) << "a finished game waits for a key";
}
} // namespace
