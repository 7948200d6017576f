// The robot's animation is a picture only: seeded games with random keys on a
// ragged clock, drawn as the main loop draws them, end the same way with it on
// and off, with the same yard after every tick, the same cues and the same draws.
#include "engine/changes.h"
#include "replay/outcome.h"
#include "support/test_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {
// The game's draws from a seeded generator, each one kept.
class TKeptDraws : public TRandomSource {
public:
  explicit TKeptDraws(std::uint64_t Seed) : Rng(Seed), Previous(SetRandomSource(this)) {}
  ~TKeptDraws() override { SetRandomSource(Previous); }
  std::uint32_t Draw(std::uint32_t N) override {
    const std::uint32_t Value = N == 0 ? 0 : static_cast<std::uint32_t>(Rng() % N);
    Drawn.push_back(Value);
    return Value;
  }
  std::vector<std::uint32_t> Drawn;

private:
  std::mt19937_64 Rng;
  TRandomSource* Previous;
};

// Everything a game decided, tick by tick.
struct TPlayed {
  std::vector<std::string> Lines; // the outcome line after every tick
  std::vector<TCueCall> Cues;
  std::vector<std::uint32_t> Draws;
};

TPlayed PlaySeededGame(std::uint64_t Seed, bool Animation) {
  TManualClock Clock(0xFFFFFFFFu - 3000); // the clock wraps around during the game
  TKeptDraws Draws(Seed);
  TCueRecorder Cues;
  std::mt19937 Keys(static_cast<std::uint32_t>(Seed) * 31 + 7);
  TGame Game(SharedSpritesFixture());
  Game.Animation = Animation;
  Game.Init(static_cast<std::int32_t>(1 + Keys() % 10));
  Game.Lives = 5;
  Game.Robot->BombCount = 2;
  TPlayed Played;
  std::uint32_t HeldSteps = 0;
  bool HeldLeft = false;
  for (int Tick = 0; Tick < 6000 && !Game.Stopped; ++Tick) {
    Clock.Advance(Keys() % 6);
    Game.AITurn();
    Game.RenderChanges();
    Played.Lines.push_back(OutcomeLine(Game));
    TRobot& R = *Game.Robot;
    if (HeldSteps > 0 && Tick % 10 == 0) {
      HeldLeft ? R.MoveLeft() : R.MoveRight();
      --HeldSteps;
      continue;
    }
    switch (Keys() % 60) {
    case 0: R.MoveLeft(); break;
    case 1: R.MoveRight(); break;
    case 2: R.Jump(); break;
    case 3: R.MoveDown(false); break;
    case 4: R.PasteBomb(); break;
    case 5:
      HeldLeft = Keys() % 2 == 0;
      HeldSteps = 2 + Keys() % 8;
      break;
    default: break;
    }
  }
  Played.Cues = Cues.Calls;
  Played.Draws = Draws.Drawn;
  return Played;
}
} // namespace

TEST(AnimationIdentity, SeededGamesDecideTheSameWithTheRobotAnimatedOrStill) {
  for (const std::uint64_t Seed : {1u, 2u, 3u, 4u, 5u}) {
    const TPlayed Animated = PlaySeededGame(Seed, true);
    const TPlayed Still = PlaySeededGame(Seed, false);
    ASSERT_EQ(Animated.Lines.size(), Still.Lines.size()) << "seed " << Seed;
    for (std::size_t I = 0; I < Animated.Lines.size(); ++I)
      ASSERT_EQ(Animated.Lines[I], Still.Lines[I]) << "seed " << Seed << ", tick " << I + 1;
    EXPECT_EQ(Animated.Cues, Still.Cues) << "seed " << Seed;
    EXPECT_EQ(Animated.Draws, Still.Draws) << "seed " << Seed;
    // The games played: the robot walked and the truck came.
    EXPECT_GT(std::count_if(Animated.Cues.begin(), Animated.Cues.end(),
                            [](const TCueCall& C) { return C.Cue == TSoundCue::Move; }),
              20);
    EXPECT_GT(Animated.Draws.size(), 20u);
    std::printf("seed %llu: %s\n", static_cast<unsigned long long>(Seed), Animated.Lines.back().c_str());
  }
}
