// Drawing only what changed must give, after every pass, the very pixels a
// whole new Render gives; and the rectangles it reports must hold every change.
#include "engine/changes.h"
#include "support/test_game.h"
#include "support/test_pictures.h"
#include "support/yard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

namespace {
const std::string ShippedSprites = std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/";

class TSeededRandom : public TRandomSource {
public:
  explicit TSeededRandom(std::uint64_t Seed) : Rng(Seed), Previous(SetRandomSource(this)) {}
  ~TSeededRandom() override { SetRandomSource(Previous); }
  std::uint32_t Draw(std::uint32_t N) override { return N == 0 ? 0 : static_cast<std::uint32_t>(Rng() % N); }

private:
  std::mt19937_64 Rng;
  TRandomSource* Previous;
};

TPictureRect Whole() { return {0, 0, 640, 480}; }

// The game as the main loop plays it, with a picture standing for the window
// that receives only the rectangles reported, and a second picture that gets
// a whole Render after every pass, as the game drew before.
class TKeptPlay {
public:
  explicit TKeptPlay(const std::string& Sprites, std::uint64_t Seed)
      : Draws(Seed), Player(Seed * 7 + 1), Game(std::make_unique<TGame>(Sprites)) {
    Game->Init(5);
    Game->Lives = 1; // a lost game comes soon
  }

  // One pass: the tick, then the changes drawn and copied.
  void Pass() {
    Game->AITurn();
    for (const TPictureRect& R : Game->RenderChanges())
      Window.CopyRect(*Game->Scr, R);
    std::swap(Game->Scr, Reference);
    Game->Render();
    std::swap(Game->Scr, Reference);
    ++Passes;
  }

  // What the window shows after drawing done outside the loop (paused text, screens).
  void Shown() { Window.CopyRect(*Game->Scr, Whole()); }

  TManualClock Clock;
  TSeededRandom Draws;
  TCueRecorder Cues;
  std::mt19937 Player;
  std::unique_ptr<TGame> Game;
  TPicture Window{640, 480};
  std::unique_ptr<TPicture> Reference = std::make_unique<TPicture>(640, 480);
  TPassWatch Watch;
  std::uint32_t Passes = 0;
};

// Every kind of moment the picture goes through; the run must meet each.
enum TMoment { Moved, Bomb, Paused, Help, NewGame, Level, Lost, Won, Walking, Jumping, MomentCount };

// Whether the robot shows a frame of one of these sets now.
bool PoseFrom(const TGame& G, std::initializer_list<const TFigureSprites*> Sets) {
  const TPngImage* Shown = G.Robot->Pose.Frame(*G.SpritesContainer, G.CurrentTime);
  for (const TFigureSprites* Set : Sets)
    for (std::uint32_t I = 1; I <= Set->SpritesCount(); ++I)
      if (Shown != nullptr && Set->Sprite(I) == Shown)
        return true;
  return false;
}

class KeptPictureTest : public ::testing::TestWithParam<std::string> {};
} // namespace

// A scripted player with random keys on a ragged clock: the window, fed only
// the reported rectangles, shows what a whole Render shows, after every pass.
TEST_P(KeptPictureTest, EveryPassShowsWhatAWholeRenderShows) {
  for (const std::uint64_t Seed : {1u, 2u}) {
    TKeptPlay P(GetParam(), Seed);
    TGame& G = *P.Game;
    std::set<int> Met;
    const auto Chance = [&P](std::uint32_t InN) { return P.Player() % InN == 0; };
    bool Playing = true;
    std::uint32_t Rare = Seed; // the rare moments take turns
    std::uint32_t HeldSteps = 0; // a held Left or Right still to repeat
    void (TRobot::*Held)() = &TRobot::MoveLeft;
    for (std::uint32_t Step = 0; Step < 5000; ++Step) {
      P.Clock.Advance(1 + P.Player() % 4);
      // A key arrives while the loop waits.
      if (!Playing) {
        if (Chance(20)) {
          Playing = true;
          G.Paused = false;
        }
        continue;
      }
      if (HeldSteps > 0 && Step % 12 == 0) {
        // The key's own repeat, about every 30 ms.
        (G.Robot.get()->*Held)();
        --HeldSteps;
      } else if (Chance(25)) {
        const TRobot& R = *G.Robot;
        const auto Before = std::make_pair(R.X, R.Y);
        switch (P.Player() % 6) {
        case 5:
          Held = Chance(2) ? &TRobot::MoveLeft : &TRobot::MoveRight;
          HeldSteps = 3 + P.Player() % 6;
          break;
        case 0: G.Robot->MoveLeft(); break;
        case 1: G.Robot->MoveRight(); break;
        case 2: G.Robot->Jump(); break;
        case 3: G.Robot->MoveDown(false); break;
        default:
          G.Robot->BombCount += 1;
          G.Robot->PasteBomb();
          Met.insert(Bomb);
          break;
        }
        if (Before != std::make_pair(R.X, R.Y))
          Met.insert(Moved);
      } else if (Chance(250)) {
        switch (Rare++ % 4) {
        case 0:
          G.Pause();
          G.Render();
          G.DrawPaused();
          Met.insert(Paused);
          break;
        case 1:
          G.Paused = true;
          G.DrawHelpScreen();
          Met.insert(Help);
          break;
        case 2:
          G.Init(1 + static_cast<std::int32_t>(P.Player() % 10));
          G.Lives = 1;
          G.Paused = true;
          G.DrawInitScreen();
          Met.insert(NewGame);
          break;
        default:
          G.Lives = TGame::WonLives; // as an exit reached
          G.Stopped = true;
          break;
        }
      } else if (Chance(300)) {
        Chance(2) ? G.IncHardness() : G.DecHardness();
        Met.insert(Level);
      }
      if (G.Paused) {
        P.Shown();
        Playing = false;
        continue;
      }
      P.Watch.Reset(G);
      do {
        P.Pass();
        ASSERT_TRUE(P.Window.SamePixels(*P.Reference)) << "seed " << Seed << ", step " << Step;
        const TSpritesContainer& SC = *G.SpritesContainer;
        if (PoseFrom(G, {&SC.RobotWalkLeft, &SC.RobotWalkRight}))
          Met.insert(Walking);
        if (PoseFrom(G, {&SC.RobotJumpLeft, &SC.RobotJumpRight}))
          Met.insert(Jumping);
      } while (P.Watch.Changed(G) && !G.Stopped);
      if (G.Stopped) {
        Met.insert(G.Lives == 0 ? Lost : Won);
        // The end screens stay until a new game.
        P.Pass();
        EXPECT_TRUE(G.RenderChanges().empty());
        G.Init(5);
        G.Lives = 1;
        G.Paused = true;
        G.DrawInitScreen();
        P.Shown();
        Playing = false;
      }
    }
    for (int M = 0; M < MomentCount; ++M)
      EXPECT_TRUE(Met.count(M)) << "seed " << Seed << " never met moment " << M;
    EXPECT_GT(P.Passes, 2500u);
  }
}

INSTANTIATE_TEST_SUITE_P(TestAndShippedPictures, KeptPictureTest,
                         ::testing::Values(SharedSpritesFixture(), ShippedSprites));

namespace {
class RenderChangesTest : public TGameTest {
protected:
  RenderChangesTest() { Game->Init(5); }
  const std::vector<TPictureRect>& Changes() { return Game->RenderChanges(); }
  static std::set<std::pair<int, int>> Cells(const std::vector<TPictureRect>& Rects) {
    std::set<std::pair<int, int>> Out;
    for (const TPictureRect& R : Rects)
      for (int Y = R.Y; Y < R.Y + R.H; Y += 32)
        for (int X = R.X; X < R.X + R.W; X += 32)
          Out.insert({X / 32 + 1, Y / 32 + 1});
    return Out;
  }
};
} // namespace

TEST_F(RenderChangesTest, ReportsThePictureWholeAfterOtherDrawingThenNothingUntilAChange) {
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  EXPECT_TRUE(Changes().empty());
  Game->DrawHelpScreen();
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  Game->Render(); // drawn whole, but the window has not seen it
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  EXPECT_TRUE(Changes().empty());
  // Any drawing on the picture, by a function that knows nothing of the cache.
  Game->Scr->SetPenColor(0x0000FF);
  Game->Scr->MoveTo(100, 100);
  Game->Scr->LineTo(200, 100);
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  EXPECT_NE(Game->Scr->PixelAt(150, 100), 0x0000FFu) << "the line is drawn over again";
  EXPECT_TRUE(Changes().empty());
}

TEST_F(RenderChangesTest, AStepRedrawsTheCellsTheRobotLeftAndEntered) {
  Changes();
  PlaceRobot(*Game, 9, 13);
  // The robot's picture is two cells high, drawn from its upper cell.
  EXPECT_EQ(Cells(Changes()), (std::set<std::pair<int, int>>{{9, 13}, {9, 14}, {10, 13}, {10, 14}}));
  Game->Robot->BombCount = 7;
  const auto Status = Cells(Changes());
  EXPECT_TRUE(Status.count({5, 1}) && Status.count({5, 2})) << "the bomb count beside its icon";
  EXPECT_FALSE(Status.count({5, 4}) || Status.count({15, 1})) << "nothing far from the status line";
}

TEST_F(RenderChangesTest, TheEndScreensAreDrawnOnceAndAPlainStopDrawsNothing) {
  Changes();
  Game->Stopped = true;
  EXPECT_TRUE(Changes().empty()) << "stopped but neither won nor lost";
  Game->Lives = 0;
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  EXPECT_EQ(Game->Scr->PixelAt(320, 240), Bgr(FixtureColour("loose_screen.png")));
  EXPECT_TRUE(Changes().empty());
  Game->Lives = TGame::WonLives;
  EXPECT_EQ(Changes(), std::vector<TPictureRect>{Whole()});
  EXPECT_EQ(Game->Scr->PixelAt(320, 240), Bgr(FixtureColour("win_screen.png")));
}
