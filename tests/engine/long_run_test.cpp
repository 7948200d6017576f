// Plays many seeded games with random keys and a ragged clock, and checks
// after every tick the rules that must hold whatever happens.
//
// CLANKORA_LONG_RUN_GAMES and CLANKORA_LONG_RUN_TICKS (games per seed, ticks
// per game) make the run longer by hand.
#include "support/test_game.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <sstream>

namespace {
// Counts the cues instead of keeping them: a long run plays a great many.
class TCueCounter : public TSoundCueSink {
public:
  TCueCounter() : Previous(SetSoundCueSink(this)) {}
  ~TCueCounter() override { SetSoundCueSink(Previous); }
  void Cue(TSoundCue Cue, std::int32_t) override { ++Counts[static_cast<std::size_t>(Cue)]; }
  std::uint64_t Count(TSoundCue Cue) const { return Counts[static_cast<std::size_t>(Cue)]; }

private:
  std::array<std::uint64_t, 9> Counts{};
  TSoundCueSink* Previous;
};

std::uint32_t EnvCount(const char* Name, std::uint32_t Default) {
  const char* Value = std::getenv(Name);
  if (Value == nullptr || *Value == '\0')
    return Default;
  return static_cast<std::uint32_t>(std::strtoul(Value, nullptr, 10));
}

struct TCellBefore {
  std::uint32_t State;
  const TFigureSprites* SpritesSet;
  bool Holded;
};
using TYardBefore = std::array<TCellBefore, YardCols * YardRows>;

// What a falling object is, whatever cell it is in and whoever stands there.
std::uint32_t ObjectKind(std::uint32_t State) { return State & (csSolid | csPickup | csBomb | csFragile); }

class TLongRunTest : public TGameTest, public ::testing::WithParamInterface<std::uint64_t> {
protected:
  TYardBefore Snapshot() {
    TYardBefore Before;
    for (std::uint32_t Y = 1; Y <= YardRows; ++Y)
      for (std::uint32_t X = 1; X <= YardCols; ++X) {
        const TGGCell& C = Cell(X, Y);
        Before[Index(X, Y)] = {C.State, C.SpritesSet, C.Holded};
      }
    return Before;
  }
  static std::size_t Index(std::uint32_t X, std::uint32_t Y) { return (Y - 1) * YardCols + (X - 1); }

  // The first broken rule after a tick, or an empty text.
  std::string BrokenRule(const TYardBefore& Before, std::uint32_t LivesBefore, std::uint32_t TicksBefore,
                         bool StoppedBefore) {
    std::ostringstream Out;
    const TRobot& R = *Game->Robot;
    const TSpritesContainer& SC = *Game->SpritesContainer;
    for (std::uint32_t Y = 1; Y <= YardRows; ++Y) {
      for (std::uint32_t X = 1; X <= YardCols; ++X) {
        const TGGCell& C = Cell(X, Y);
        const TCellBefore& Was = Before[Index(X, Y)];
        const bool RobotCell = X == R.X && Y >= R.Y && Y <= R.Y + R.H - 1;
        Out << "cell (" << X << ", " << Y << ") ";
        if (((C.State & csRobot) != 0) != RobotCell)
          return Out.str() + (RobotCell ? "lost the robot's mark" : "carries a robot mark outside the robot");
        const bool UpperCell = X == R.X && Y == R.Y;
        if (UpperCell && C.SpritesSet != &SC.Robot && C.SpritesSet != &SC.Smoke && C.SpritesSet != &SC.Boom)
          return Out.str() + "is the robot's upper cell but shows neither the robot nor an effect";
        if (!UpperCell && C.SpritesSet == &SC.Robot)
          return Out.str() + "shows the robot outside its upper cell";
        if (C.Holded != Was.Holded || (C.Holded && (C.State != Was.State || C.SpritesSet != Was.SpritesSet)))
          return Out.str() + "is fixed rock and changed";
        if (C.Processed || C.SLIProcessed)
          return Out.str() + "kept a mark of the sweep past its end";
        const std::uint32_t Kind = ObjectKind(C.State);
        const bool Stayed = Kind == ObjectKind(Was.State);
        const bool CameFromAbove = Y > 1 && Kind == ObjectKind(Before[Index(X, Y - 1)].State);
        // The truck fills row 1 before the sweep, which may then move its objects to row 2.
        const bool FromTheTruck = Y <= 2;
        if (Kind != 0 && !C.Holded && !Stayed && !CameFromAbove && !FromTheTruck)
          return Out.str() + "holds an object that moved more than one row";
        Out.str("");
      }
    }
    // A stopped game is lost (no lives) or won (65535), nothing in between.
    if (Game->Stopped && Game->Lives != 0 && Game->Lives != TGame::WonLives)
      return "a stopped game that is neither won nor lost: Lives " + std::to_string(Game->Lives);
    if (!Game->Stopped && Game->Lives > 1000)
      return "Lives wrapped around: " + std::to_string(Game->Lives) + " after " + std::to_string(LivesBefore);
    if (Game->Lives == 0 && !Game->Stopped)
      return "no lives left and the game goes on";
    if (Game->TickCount != TicksBefore + (StoppedBefore ? 0 : 1))
      return "the tick count went wrong";
    return {};
  }

  void PressRandomKey(TSplitMix& Keys) {
    TRobot& R = *Game->Robot;
    const bool Playing = !Game->Stopped;
    switch (Keys.Below(24)) {
    case 0: case 1: case 2: if (Playing) R.MoveLeft(); break;
    case 3: case 4: case 5: if (Playing) R.MoveRight(); break;
    case 6: case 7: if (Playing) R.Jump(); break;
    case 8: if (Playing) R.MoveDown(false); break;
    case 9: case 10: R.PasteBomb(); break;
    case 11: if (Keys.Below(20) == 0) Game->IncHardness(); break;
    case 12: if (Keys.Below(20) == 0) Game->DecHardness(); break;
    case 13: if (Keys.Below(50) == 0) Game->TrashGeneratorAlgorythmIndex = static_cast<std::int32_t>(Keys.Below(3)); break;
    default: break; // most of the time no key is down
    }
  }
};

TEST_P(TLongRunTest, RulesHoldThroughManyRandomGames) {
  const std::uint64_t Seed = GetParam();
  const std::uint32_t Games = EnvCount("CLANKORA_LONG_RUN_GAMES", 8);
  const std::uint32_t TicksPerGame = EnvCount("CLANKORA_LONG_RUN_TICKS", 2500);
  TSeededRandom GameDraws(Seed);
  TSplitMix Keys(Seed * 7919 + 1);
  TCueCounter CueCounts;
  std::uint64_t Ticks = 0, Won = 0, Lost = 0;

  for (std::uint32_t GameNo = 0; GameNo < Games; ++GameNo) {
    // Start a few seconds before the clock wraps around, so that nearly every game crosses it.
    Clock.Set(0xFFFFFFFFu - Keys.Below(5000));
    Game->TrashGeneratorAlgorythmIndex = static_cast<std::int32_t>(Keys.Below(3));
    Game->Init(static_cast<std::int32_t>(Keys.Below(10) + 1));
    Game->Robot->BombCount = 3;
    // Random keys lose a game fast; every other game gets lives enough to fill the yard.
    if (GameNo % 2 == 1)
      Game->Lives = 60;
    for (std::uint32_t TickNo = 0; TickNo < TicksPerGame; ++TickNo) {
      for (std::uint32_t Key = Keys.Below(3); Key > 0; --Key)
        PressRandomKey(Keys);
      Clock.Advance(Keys.Below(51));
      const TYardBefore Before = Snapshot();
      const std::uint32_t LivesBefore = Game->Lives;
      const std::uint32_t TicksBefore = Game->TickCount;
      const bool StoppedBefore = Game->Stopped;
      Game->AITurn();
      ++Ticks;
      const std::string Broken = BrokenRule(Before, LivesBefore, TicksBefore, StoppedBefore);
      if (!Broken.empty()) {
        ADD_FAILURE() << "seed " << Seed << ", game " << GameNo << ", tick " << TickNo << ": " << Broken;
        return;
      }
      // A finished game stays finished for a few more ticks, then the next one begins.
      if (StoppedBefore && Keys.Below(10) == 0)
        break;
      if (!StoppedBefore && Game->Stopped)
        ++(Game->Lives == 0 ? Lost : Won);
    }
  }
  std::printf("seed %llu: %u games, %llu ticks, %llu won, %llu lost, %llu booms, %llu bombs caught\n",
              static_cast<unsigned long long>(Seed), Games, static_cast<unsigned long long>(Ticks),
              static_cast<unsigned long long>(Won), static_cast<unsigned long long>(Lost),
              static_cast<unsigned long long>(CueCounts.Count(TSoundCue::Boom)),
              static_cast<unsigned long long>(CueCounts.Count(TSoundCue::GetBomb)));
  // The run must have played: trash came, landed and blew up.
  EXPECT_GT(CueCounts.Count(TSoundCue::Placed), 0u);
  EXPECT_GT(CueCounts.Count(TSoundCue::Boom), 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, TLongRunTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));
} // namespace
