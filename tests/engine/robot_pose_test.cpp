// The robot on screen: walk and jump frames timed by the clock, drawn in the
// robot's upper cell by Render, while the status line keeps the still icon.
#include "support/test_game.h"
#include "support/test_pictures.h"
#include "support/yard.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
// A time after the key, and the robot picture that shows then.
struct TSeen {
  std::uint32_t Ms;
  std::string Picture;
};
struct TKey {
  std::uint32_t Ms;
  std::function<void(TRobot&)> Press;
};
const auto Left = &TRobot::MoveLeft;
const auto Right = &TRobot::MoveRight;
const auto Up = &TRobot::Jump;
const auto Down = [](TRobot& R) { R.MoveDown(false); };

class RobotPoseTest : public TGameTest {
protected:
  RobotPoseTest() {
    Game->Init(5);
    // No truck in these few hundred milliseconds.
    Game->Truck->TicksToNewPart = 100000;
    Start = Clock.Now();
  }

  // The robot picture drawn in the robot's upper cell Ms after Start, the
  // tick having run then: its file name without "robot/" and ".png".
  std::string ShownAt(std::uint32_t Ms) {
    Clock.Set(Start + Ms);
    Game->AITurn();
    Game->Render();
    const TRobot& R = *Game->Robot;
    return PictureAt(static_cast<int>((R.X - 1) * 32 + 16), static_cast<int>((R.Y - 1) * 32 + 16));
  }

  std::string PictureAt(int X, int Y) {
    const std::uint32_t Pixel = Game->Scr->PixelAt(X, Y);
    for (const std::string& File : AllSpriteFiles())
      if (File.rfind("robot/", 0) == 0 && Bgr(FixtureColour(File)) == Pixel)
        return File.substr(File.find_last_of('/') + 1, File.size() - File.find_last_of('/') - 5);
    return "no robot picture";
  }

  // Plays the keys and looks at the picture, all in the order of their times
  // (a key before a look at the same time), as the loop hands keys over between ticks.
  void Play(const std::vector<TKey>& Keys, const std::vector<TSeen>& Seen) {
    auto Key = Keys.begin();
    for (const TSeen& S : Seen) {
      for (; Key != Keys.end() && Key->Ms <= S.Ms; ++Key) {
        Clock.Set(Start + Key->Ms);
        Key->Press(*Game->Robot);
      }
      EXPECT_EQ(ShownAt(S.Ms), S.Picture) << S.Ms << " ms after the start";
    }
  }

  std::uint32_t Start = 0;
};
} // namespace

TEST_F(RobotPoseTest, AStepShowsItsSidesThreeWalkFramesThenTheStillRobot) {
  Play({{0, Right}, {400, Left}},
       {{0, "robot_right_step1"}, {49, "robot_right_step1"}, {50, "robot_right_step2"}, {100, "robot_right_step3"},
        {149, "robot_right_step3"}, {150, "robot_front_stay"}, {400, "robot_left_step1"}, {450, "robot_left_step2"},
        {500, "robot_left_step3"}, {550, "robot_front_stay"}});
  EXPECT_EQ(Game->Robot->X, 10u) << "one step right and one back";
}

TEST_F(RobotPoseTest, AHeldKeyCyclesOnFromWhereTheLegsAreAndStopsAfterTheLastStep) {
  // Auto-repeat every 33 ms: each step comes before the last one's frames end.
  std::vector<TKey> Held;
  for (std::uint32_t Ms = 0; Ms <= 165; Ms += 33)
    Held.push_back({Ms, Right});
  Play(Held, {{10, "robot_right_step1"}, {60, "robot_right_step2"}, {110, "robot_right_step3"},
              {160, "robot_right_step1"}, {210, "robot_right_step2"}, {260, "robot_right_step3"},
              {314, "robot_right_step1"}, {315, "robot_front_stay"}});
  EXPECT_EQ(Game->Robot->X, 16u);
  // Turning round starts the other side's walk from its first frame.
  Play({{400, Right}, {430, Left}}, {{430, "robot_left_step1"}, {480, "robot_left_step2"}});
}

TEST_F(RobotPoseTest, ARefusedStepTurnsTowardThatSideBrieflyWithoutWalking) {
  PlaceRobot(*Game, 3, 13); // the wall is on the left
  Play({{0, Left}}, {{0, "robot_left_step1"}, {50, "robot_left_step1"}, {89, "robot_left_step1"},
                     {90, "robot_front_stay"}});
  EXPECT_EQ(Game->Robot->X, 3u);
}

TEST_F(RobotPoseTest, AJumpShowsTheJumpFramesOfTheLastWalkAndAStepDownShowsThemBackwards) {
  // Before any walk the robot jumps to the right.
  Play({{0, Up}}, {{0, "robot_right_jump1"}, {59, "robot_right_jump1"}, {60, "robot_right_jump2"},
                   {119, "robot_right_jump2"}, {120, "robot_front_stay"}});
  // Up and straight down again, before the robot sinks by itself.
  Play({{300, Left}, {600, Up}, {605, Down}},
       {{300, "robot_left_step1"}, {500, "robot_front_stay"}, {600, "robot_left_jump1"}, {605, "robot_left_jump2"}, {664, "robot_left_jump2"}, {665, "robot_left_jump1"},
        {724, "robot_left_jump1"}, {725, "robot_front_stay"}});
}

TEST_F(RobotPoseTest, MovesThatDoNotLiftOrLowerTheRobotShowNothing) {
  PutSolid(*Game, 10, 12); // right above the robot's head
  Play({{0, Up}, {10, Down}}, {{0, "robot_front_stay"}, {10, "robot_front_stay"}});
  EXPECT_EQ(Game->Robot->Y, 13u);
}

TEST_F(RobotPoseTest, ANewGameStartsStillAndFacingRight) {
  Play({{0, Left}}, {{0, "robot_left_step1"}});
  Game->Init(5);
  Game->Truck->TicksToNewPart = 100000;
  Play({{300, Up}}, {{10, "robot_front_stay"}, {300, "robot_right_jump1"}});
}

TEST_F(RobotPoseTest, WithoutAnimationAndInTheStatusLineTheRobotStaysStill) {
  Play({{0, Right}}, {{60, "robot_right_step2"}});
  EXPECT_EQ(PictureAt(12, 12), "robot_front_stay") << "the lives icon";
  Game->Animation = false;
  Play({{100, Right}, {200, Up}},
       {{100, "robot_front_stay"}, {150, "robot_front_stay"}, {200, "robot_front_stay"}, {250, "robot_front_stay"}});
}
