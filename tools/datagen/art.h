#pragma once

#include <QImage>
#include <QPainter>

#include <vector>

// Every painter below draws in the picture's own coordinates (a cell is
// 32 x 32, the robot 32 x 64), so the screens can draw the same art scaled up.

// Blocks of the yard: opaque, they tile without seams.
void PaintRock(QPainter& P);
void PaintLightning(QPainter& P, int Frame); // Frame 0 to 3, a loop

// Trash and the tool.
void PaintTool(QPainter& P);
void PaintWheel(QPainter& P);
void PaintSmashedCar(QPainter& P);
void PaintBottles(QPainter& P);
void PaintMetal(QPainter& P);
void PaintMetal2(QPainter& P);
void PaintBrick(QPainter& P);
void PaintToilet(QPainter& P);
void PaintBarrel(QPainter& P);
void PaintWeight(QPainter& P);
void PaintCargo(QPainter& P);
void PaintPapers(QPainter& P);
void PaintWallBlock(QPainter& P);

// One-shot effects.
void PaintSmoke(QPainter& P, int Frame); // Frame 0 to 4
void PaintBoom(QPainter& P, int Frame);  // Frame 0 to 8

// The robot, 32 x 64.
enum class TFacing { Front, Left, Right };
struct TRobotPose {
  TFacing Facing = TFacing::Front;
  double Stride = 0;  // -1 to +1: how far the front leg swings forward
  double Crouch = 0;  // 0 to 1: knees bent before a jump
  double ArmsUp = 0;  // 0 to 1: arms raised
  double Lift = 0;    // pixels the whole body is raised
  bool Dazed = false; // eyes crossed out, for the lost game
};
void PaintRobot(QPainter& P, const TRobotPose& Pose);

// Whole pictures.
QImage DrawBackdrop();
QImage DrawStartScreen();
QImage DrawHelpScreen();
QImage DrawAboutScreen();
QImage DrawWinScreen();
QImage DrawLoseScreen();

// The program's icon, square, in each of the sizes desktops ask for.
extern const std::vector<int> IconSizes;
QImage DrawIcon(int Size);

// A picture of Width x Height made by one of the painters above.
template <typename F> QImage PaintedPicture(int Width, int Height, F&& Paint) {
  QImage Image(Width, Height, QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  QPainter P(&Image);
  P.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  Paint(P);
  return Image;
}
