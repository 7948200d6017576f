// Draws every picture and synthesises every sound of the game.
//
//   clankora_datagen DATA_DIR [CONTACT_SHEET.png]
//
// writes DATA_DIR/sprites/..., DATA_DIR/sounds/... and DATA_DIR/icons/..., and, when asked, one
// contact sheet of all pictures for looking them over.
#include "art.h"
#include "contact_sheet.h"
#include "palette.h"
#include "png_file.h"
#include "sounds.h"

#include "assets/data_files.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <map>
#include <string>

namespace {

constexpr int ScreenColours = 64;

std::map<std::string, QImage> DrawPictures() {
  std::map<std::string, QImage> Out;
  const auto Cell = [&Out](const std::string& Name, void (*Paint)(QPainter&)) {
    Out[Name] = PaintedPicture(32, 32, Paint);
  };
  Cell("rock.png", PaintRock);
  Cell("tool.png", PaintTool);
  Cell("wheel.png", PaintWheel);
  Cell("smashed_car.png", PaintSmashedCar);
  Cell("bottles.png", PaintBottles);
  Cell("metal.png", PaintMetal);
  Cell("metal2.png", PaintMetal2);
  Cell("brick.png", PaintBrick);
  Cell("toilet.png", PaintToilet);
  Cell("barrel.png", PaintBarrel);
  Cell("500.png", PaintWeight);
  Cell("cargo.png", PaintCargo);
  Cell("papers.png", PaintPapers);
  Cell("wall.png", PaintWallBlock);
  for (int F = 0; F < 4; ++F)
    Out["lighting/" + std::to_string(F + 1) + ".png"] =
        PaintedPicture(32, 32, [F](QPainter& P) { PaintLightning(P, F); });
  for (int F = 0; F < 5; ++F)
    Out["smoke/" + std::to_string(F + 1) + ".png"] = PaintedPicture(32, 32, [F](QPainter& P) { PaintSmoke(P, F); });
  for (int F = 0; F < 9; ++F)
    Out["boom/" + std::to_string(F + 1) + ".png"] = PaintedPicture(32, 32, [F](QPainter& P) { PaintBoom(P, F); });

  const auto Robot = [&Out](const std::string& Name, TRobotPose Pose) {
    Out["robot/" + Name] = PaintedPicture(32, 64, [Pose](QPainter& P) { PaintRobot(P, Pose); });
  };
  Robot("robot_front_stay.png", {});
  // Near leg ahead, legs passing (the body at its highest), near leg behind:
  // from the last frame back to the first the legs swap.
  const double Strides[] = {1, 0, -1};
  for (int I = 0; I < 3; ++I) {
    const std::string N = std::to_string(I + 1);
    Robot("walk_left/robot_left_step" + N + ".png", {TFacing::Left, Strides[I], 0, 0, 0, false});
    Robot("walk_right/robot_right_step" + N + ".png", {TFacing::Right, Strides[I], 0, 0, 0, false});
  }
  for (TFacing Facing : {TFacing::Left, TFacing::Right}) {
    const std::string Side = Facing == TFacing::Left ? "left" : "right";
    Robot(Side + "_jump/robot_" + Side + "_jump1.png", {Facing, 0, 1, 0.15, 0, false});
    Robot(Side + "_jump/robot_" + Side + "_jump2.png", {Facing, 0.45, 0, 0.75, 2, false});
  }

  Out["back.png"] = DrawBackdrop();
  Out["1st_screen.png"] = DrawStartScreen();
  Out["help_screen.png"] = DrawHelpScreen();
  Out["about_screen.png"] = DrawAboutScreen();
  Out["win_screen.png"] = DrawWinScreen();
  Out["loose_screen.png"] = DrawLoseScreen();
  return Out;
}

void WritePictures(const std::map<std::string, QImage>& Pictures, const std::string& Dir, std::ostream& Report) {
  for (const auto& [Name, Image] : Pictures) {
    const std::string Path = Dir + Name;
    const auto Checked = std::find_if(CheckedDataFiles.begin(), CheckedDataFiles.end(),
                                      [&Name](const TCheckedFile& File) { return Name == File.Name; });
    if (Checked == CheckedDataFiles.end()) {
      WriteFileBytes(Path, EncodeRgbaPng(Image));
      continue;
    }
    const std::size_t Target = Checked->Bytes;
    const std::size_t Packed = WritePngOfExactSize(Path, Image, ScreenColours, Target);
    Report << Name << ": picture " << Packed << " bytes, padded to " << Target << "\n";
  }
}

// The icon in the folder layout of the desktop's icon theme, ready to install.
void WriteIcons(const std::string& Dir) {
  for (int Size : IconSizes) {
    const std::string N = std::to_string(Size);
    WriteFileBytes(Dir + "hicolor/" + N + "x" + N + "/apps/clankora.png", EncodeRgbaPng(DrawIcon(Size)));
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: " << argv[0] << " DATA_DIR [CONTACT_SHEET.png]\n";
    return 2;
  }
  // No window is ever opened; the offscreen platform still gives real fonts.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication App(argc, argv);
  try {
    const std::string Data = std::string(argv[1]) + "/";
    const std::map<std::string, QImage> Pictures = DrawPictures();
    WritePictures(Pictures, Data + "sprites/", std::cout);
    MakeSounds(Data + "sounds/", std::cout);
    WriteIcons(Data + "icons/");
    if (argc == 3) {
      WriteFileBytes(argv[2], EncodeRgbaPng(DrawContactSheet(Pictures)));
      std::cout << "contact sheet: " << argv[2] << "\n";
    }
  } catch (const std::exception& Error) {
    std::cerr << "clankora_datagen: " << Error.what() << "\n";
    return 1;
  }
  return 0;
}
