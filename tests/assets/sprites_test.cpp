#include <gtest/gtest.h>

#include "assets/sprites.h"
#include "support/test_pictures.h"

#include <filesystem>
#include <functional>

#include <sys/stat.h>

namespace {
class SpritesTest : public ::testing::Test {
protected:
  SpritesTest() { WriteSpritesFixture(Sprites); }
  TTempDir Dir;
  std::string Sprites = Dir.Path() + "/sprites/";
};
} // namespace

TEST_F(SpritesTest, EverySetHasItsFramesInOrder) {
  TSpritesContainer C(Sprites);
  struct TCase {
    const TFigureSprites& Set;
    std::uint32_t Count;
    const char* FirstFile;
  };
  const TCase Cases[] = {
      {C.Land, 1, "rock.png"},        {C.Tool, 1, "tool.png"},
      {C.Girya, 1, "500.png"},        {C.Ligthing, 4, "lighting/1.png"},
      {C.Smoke, 5, "smoke/1.png"},    {C.Boom, 9, "boom/1.png"},
      {C.BG, 1, "back.png"},          {C.Robot, 1, "robot/robot_front_stay.png"},
      {C.RobotWalkLeft, 3, "robot/walk_left/robot_left_step1.png"},
      {C.RobotWalkRight, 3, "robot/walk_right/robot_right_step1.png"},
      {C.RobotJumpLeft, 2, "robot/left_jump/robot_left_jump1.png"},
      {C.RobotJumpRight, 2, "robot/right_jump/robot_right_jump1.png"},
      {C.InitScreen, 1, "1st_screen.png"}, {C.LooseScreen, 1, "loose_screen.png"},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(Case.Set.SpritesCount(), Case.Count) << Case.FirstFile;
    ASSERT_NE(Case.Set.Sprite(1), nullptr) << Case.FirstFile;
    EXPECT_EQ(Case.Set.Sprite(1)->PixelAt(0, 0), FixtureColour(Case.FirstFile)) << Case.FirstFile;
  }
  EXPECT_EQ(C.Boom.Sprite(9)->PixelAt(0, 0), FixtureColour("boom/9.png"));
  EXPECT_EQ(C.Robot.Sprite(1)->Height(), 64u);
}

TEST_F(SpritesTest, NoFrameBeyondTheSetIsEverHandedOut) {
  TSpritesContainer C(Sprites);
  EXPECT_EQ(C.Smoke.Sprite(0), nullptr);
  EXPECT_NE(C.Smoke.Sprite(5), nullptr);
  EXPECT_EQ(C.Smoke.Sprite(6), nullptr);
  EXPECT_EQ(C.Smoke.Sprite(16), nullptr);
  EXPECT_EQ(C.Smoke.Sprite(0xFFFFFFFFu), nullptr);
}

TEST_F(SpritesTest, AFileFoundOnlyUnderItsSecondNameIsLoaded) {
  std::filesystem::rename(Sprites + "1st_screen.png", Sprites + "1st_screen.spr");
  TSpritesContainer C(Sprites);
  EXPECT_EQ(C.InitScreen.Sprite(1)->PixelAt(0, 0), FixtureColour("1st_screen.png"));
}

TEST_F(SpritesTest, AMissingFrameStopsLoadingAndNamesTheFile) {
  // This set is never drawn, yet the game will not start without it.
  std::filesystem::remove(Sprites + "robot/walk_left/robot_left_step2.png");
  try {
    TSpritesContainer C(Sprites);
    FAIL() << "the sprites loaded with a frame missing";
  } catch (const EImageLoadError& Error) {
    const std::string Message = Error.what();
    EXPECT_NE(Message.find("robot/walk_left/robot_left_step2.spr"), std::string::npos) << Message;
    EXPECT_NE(Message.find("No such file or directory"), std::string::npos) << Message;
  }
}

TEST(FigureSprites, AddSpriteRefusesASeventeenthFrame) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/f.png";
  WriteSolidPng(Path, 4, 4, {9, 9, 9, 255});
  TFigureSprites Set;
  for (int I = 0; I < 16; ++I)
    Set.AddSprite(Path);
  EXPECT_EQ(Set.SpritesCount(), 16u);
  EXPECT_THROW(Set.AddSprite(Path), EImageLoadError);
  EXPECT_EQ(Set.SpritesCount(), 16u);
}

TEST_F(SpritesTest, ANameThatHoldsNoUsablePictureIsNamedWithItsReason) {
  const std::string Path = Sprites + "rock.png";
  struct TCase {
    const char* What;
    std::function<void()> Make;
    const char* Reason;
  };
  const TCase Cases[] = {
      {"a folder", [&] { std::filesystem::create_directory(Path); }, "Is a directory"},
      {"a FIFO", [&] { mkfifo(Path.c_str(), 0644); }, "not a regular file"},
      {"a dangling link", [&] { std::filesystem::create_symlink(Sprites + "gone.png", Path); },
       "No such file or directory"},
      {"a link loop", [&] { std::filesystem::create_symlink(Path, Path); }, "Too many levels of symbolic links"},
      {"a link to a device", [&] { std::filesystem::create_symlink("/dev/zero", Path); }, "not a regular file"},
  };
  for (const TCase& C : Cases) {
    std::filesystem::remove_all(Path);
    C.Make();
    TFigureSprites Set;
    try {
      Set.AddSprite(Path);
      ADD_FAILURE() << C.What << " loaded";
    } catch (const EImageLoadError& Error) {
      const std::string Message = Error.what();
      EXPECT_NE(Message.find("rock.png"), std::string::npos) << C.What << ": " << Message;
      EXPECT_NE(Message.find(C.Reason), std::string::npos) << C.What << ": " << Message;
    }
  }
}
