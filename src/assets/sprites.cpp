#include "assets/sprites.h"

#include "platform/app_paths.h"
#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>

void TFigureSprites::AddSprite(const std::string& Path) {
  if (Count >= MaxSprites)
    throw EImageLoadError("Too many frames for one picture set at \"" + Path + "\"");
  const std::string File = ExistingOrAlternative(Path, ".spr");
  if (!NameExists(File))
    throw EImageLoadError("Cannot find picture \"" + Path + "\" (nor \"" + File + "\"): " + std::strerror(ENOENT));
  TPngImage Image;
  Image.LoadFromFile(File);
  Sprites[Count] = std::move(Image);
  ++Count;
}

const TPngImage* TFigureSprites::Sprite(std::uint32_t Index) const {
  if (Index < 1 || Index > Count)
    return nullptr;
  return &Sprites[Index - 1];
}

TSpritesContainer::TSpritesContainer(const std::string& SpritesDir) {
  const auto Load = [&SpritesDir](TFigureSprites& Set, std::initializer_list<const char*> Files) {
    for (const char* File : Files)
      Set.AddSprite(SpritesDir + File);
  };
  Load(Land, {"rock.png"});
  Load(Tool, {"tool.png"});
  Load(Wheel, {"wheel.png"});
  Load(SmashedCar, {"smashed_car.png"});
  Load(Bottles, {"bottles.png"});
  Load(Metal, {"metal.png"});
  Load(Metal2, {"metal2.png"});
  Load(Brick, {"brick.png"});
  Load(Toilet, {"toilet.png"});
  Load(Barrel, {"barrel.png"});
  Load(Girya, {"500.png"});
  Load(Cargo, {"cargo.png"});
  Load(Papers, {"papers.png"});
  Load(Wall, {"wall.png"});
  Load(Ligthing, {"lighting/1.png", "lighting/2.png", "lighting/3.png", "lighting/4.png"});
  Load(Smoke, {"smoke/1.png", "smoke/2.png", "smoke/3.png", "smoke/4.png", "smoke/5.png"});
  Load(Boom, {"boom/1.png", "boom/2.png", "boom/3.png", "boom/4.png", "boom/5.png", "boom/6.png", "boom/7.png",
              "boom/8.png", "boom/9.png"});
  Load(BG, {"back.png"});
  Load(Robot, {"robot/robot_front_stay.png"});
  Load(RobotWalkLeft, {"robot/walk_left/robot_left_step1.png", "robot/walk_left/robot_left_step2.png",
                       "robot/walk_left/robot_left_step3.png"});
  Load(RobotWalkRight, {"robot/walk_right/robot_right_step1.png", "robot/walk_right/robot_right_step2.png",
                        "robot/walk_right/robot_right_step3.png"});
  Load(RobotJumpLeft, {"robot/left_jump/robot_left_jump1.png", "robot/left_jump/robot_left_jump2.png"});
  Load(RobotJumpRight, {"robot/right_jump/robot_right_jump1.png", "robot/right_jump/robot_right_jump2.png"});
  Load(HelpScreen, {"help_screen.png"});
  Load(AboutScreen, {"about_screen.png"});
  Load(InitScreen, {"1st_screen.png"});
  Load(WinScreen, {"win_screen.png"});
  Load(LooseScreen, {"loose_screen.png"});
}

std::string DefaultSpritesDir() { return FindDataDir(CurrentAppEnvironment()) + "/sprites/"; }
