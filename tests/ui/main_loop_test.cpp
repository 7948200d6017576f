// The main loop's pace: it rests once a pass has changed nothing, wakes for a
// key at once, and sends only what changed to the window.
#include "ui/ui_fixture.h"

#include "platform/picture.h"
#include "support/test_game.h"

#include <QTimer>

#include <chrono>

namespace {
class MainLoopTest : public TProgramTest {
protected:
  MainLoopTest() {
    Start();
    Main->show();
  }
  // Queues a key for the main window after Ms milliseconds of real time.
  void PostAfter(int Ms, std::uint32_t Code) {
    QTimer::singleShot(Ms, Main.get(), [this, Code] { Post(Code); });
  }
  // Runs the loop with Space until a queued key ends it; the real time it took.
  double PlayUntilPaused() {
    const auto Start = std::chrono::steady_clock::now();
    Press(vkSpace);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
  }
  std::uint32_t Colour(const char* Picture) { return Bgr(FixtureColour(Picture)); }
};
} // namespace

TEST_F(MainLoopTest, OnTheLoseScreenTheLoopWaitsForAKeyWithoutPasses) {
  Game().Lives = 0; // the first tick ends the game
  const std::uint64_t Before = Main->LoopStats().Passes;
  PostAfter(150, vkPause);
  PlayUntilPaused();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(ShownPixel(*Main, 5, 5), Colour("loose_screen.png"));
  EXPECT_LE(Main->LoopStats().Passes - Before, 4u) << "the loop went round while nothing could change";
}

TEST_F(MainLoopTest, WithTheClockStillItRestsAMillisecondAtATimeAndAKeyWakesIt) {
  TManualClock Clock(Game().CurrentTime); // the tick counter stands still from here
  const std::uint64_t Before = Main->LoopStats().Passes;
  PostAfter(30, vkLeft);
  PostAfter(80, vkEscape); // ends the loop without drawing anything more
  const double Ms = PlayUntilPaused();
  const std::uint64_t Passes = Main->LoopStats().Passes - Before;
  EXPECT_LE(static_cast<double>(Passes), Ms + 10) << "more than a pass a millisecond with nothing to do";
  EXPECT_GE(Passes, 3u);
  // The step was drawn, and only what changed reached the window.
  EXPECT_EQ(Game().Robot->X, 9u);
  // With the clock standing still the step's first walk frame stays on.
  EXPECT_EQ(ShownPixel(*Main, 8 * 32 + 16, 12 * 32 + 16), Colour("robot/walk_left/robot_left_step1.png"));
  EXPECT_EQ(ShownPixel(*Main, 9 * 32 + 16, 12 * 32 + 16), Colour("back.png"));
}

TEST_F(MainLoopTest, TheWindowTakesOnlyTheRectanglesItIsGiven) {
  TPicture Picture(640, 480);
  Picture.Fill(0x0000FF);
  Main->ImageScr->CopyFrom(Picture);
  Picture.Fill(0x00FF00);
  Main->ImageScr->CopyRects(Picture, {{32, 64, 64, 32}, {600, 440, 100, 100}});
  for (const auto& [X, Y, Expected] : std::vector<std::tuple<int, int, std::uint32_t>>{
           {32, 64, 0x00FF00}, {95, 95, 0x00FF00}, {31, 64, 0x0000FF}, {96, 64, 0x0000FF},
           {32, 96, 0x0000FF}, {639, 479, 0x00FF00}, {599, 479, 0x0000FF}})
    EXPECT_EQ(ShownPixel(*Main, X, Y), Expected) << X << ", " << Y;
}
