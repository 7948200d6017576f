#include "contact_sheet.h"

#include "paint_kit.h"

#include <utility>
#include <vector>

namespace {

const QImage& Get(const std::map<std::string, QImage>& Pictures, const std::string& Name) {
  return Pictures.at(Name);
}

// A yard as the game draws it: background, walls, a pile, the robot, effects and the status line.
QImage Yard(const std::map<std::string, QImage>& Pictures) {
  QImage Image(640, 480, QImage::Format_ARGB32_Premultiplied);
  QPainter P(&Image);
  const auto Cell = [&](const std::string& Name, int X, int Y) {
    P.drawImage(QPointF((X - 1) * 32, (Y - 1) * 32), Get(Pictures, Name));
  };
  P.drawImage(0, 0, Get(Pictures, "back.png"));
  for (int Y = 7; Y <= 15; ++Y)
    for (int X : {1, 2, 19, 20})
      Cell("rock.png", X, Y);
  for (int X = 3; X <= 18; ++X)
    Cell("rock.png", X, 15);
  Cell("lighting/1.png", 1, 8);
  Cell("lighting/3.png", 1, 15);
  Cell("lighting/2.png", 20, 12);
  const char* Pile[][16] = {
      // columns 3 to 18, rows 14 up
      {"cargo.png", "wheel.png", "brick.png", "500.png", "smashed_car.png", "metal.png", "papers.png", "",
       "", "wall.png", "metal2.png", "cargo.png", "toilet.png", "brick.png", "wheel.png", "500.png"},
      {"metal2.png", "papers.png", "wall.png", "", "barrel.png", "wall.png", "", "", "", "", "papers.png",
       "smashed_car.png", "metal.png", "wall.png", "cargo.png", "metal2.png"},
      {"wheel.png", "", "bottles.png", "", "", "cargo.png", "", "", "", "", "", "500.png", "", "barrel.png",
       "papers.png", "brick.png"},
      {"", "", "", "", "", "", "", "", "", "", "", "tool.png", "", "", "metal.png", "wall.png"},
  };
  for (int Row = 0; Row < 4; ++Row)
    for (int Col = 0; Col < 16; ++Col)
      if (*Pile[Row][Col])
        Cell(Pile[Row][Col], Col + 3, 14 - Row);
  Cell("robot/robot_front_stay.png", 10, 13);
  Cell("smoke/2.png", 11, 14);
  Cell("boom/4.png", 9, 12);
  Cell("bottles.png", 7, 4);
  Cell("barrel.png", 13, 2);
  Cell("toilet.png", 16, 1);
  // Status line as the game draws it.
  P.setRenderHint(QPainter::Antialiasing);
  P.drawImage(10, 10, Get(Pictures, "robot/robot_front_stay.png"));
  P.drawImage(106, 10, Get(Pictures, "barrel.png"));
  QFont Font = SansFont(21, false);
  P.setFont(Font);
  P.setPen(QColor(255, 255, 0));
  P.drawText(QPointF(42, 10 + 21), " X 3");
  P.drawText(QPointF(138, 10 + 21), " X 1");
  return Image;
}

void Checker(QPainter& P, const QRectF& R) {
  P.fillRect(R, QColor(200, 200, 200));
  for (int Y = 0; Y < R.height(); Y += 8)
    for (int X = (Y / 8) % 2 * 8; X < R.width(); X += 16)
      P.fillRect(QRectF(R.left() + X, R.top() + Y, 8, 8), QColor(160, 160, 160));
}

// The robot's walk and jump frames side by side at twice their size, in the
// order the game shows them, on the backdrop it walks over: a cycle and a half
// of each walk (the legs swap from the last frame to the first), then each
// jump up and the still robot it ends on. Returns the height used.
int MotionRow(QPainter& P, const std::map<std::string, QImage>& Pictures, int X, int Y) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> Rows = {
      {"walk right", {"walk_right/robot_right_step1", "walk_right/robot_right_step2", "walk_right/robot_right_step3",
                      "walk_right/robot_right_step1", "walk_right/robot_right_step2"}},
      {"walk left", {"walk_left/robot_left_step1", "walk_left/robot_left_step2", "walk_left/robot_left_step3",
                     "walk_left/robot_left_step1", "walk_left/robot_left_step2"}},
      {"jump", {"right_jump/robot_right_jump1", "right_jump/robot_right_jump2", "robot_front_stay",
                "left_jump/robot_left_jump1", "left_jump/robot_left_jump2"}},
  };
  const QImage& Back = Get(Pictures, "back.png");
  for (const auto& [Title, Frames] : Rows) {
    P.drawText(QPointF(X, Y + 12), QString::fromStdString(Title));
    int At = X;
    for (const std::string& Frame : Frames) {
      const QRectF Box(At, Y + 18, 64, 128);
      // A piece of the sky and pile behind the robot, as in play.
      P.drawImage(Box, Back, QRectF(288, 352, 32, 64));
      P.drawImage(Box, Get(Pictures, "robot/" + Frame + ".png"));
      At += 68;
    }
    X = At + 16;
  }
  return 175;
}

} // namespace

QImage DrawContactSheet(const std::map<std::string, QImage>& Pictures) {
  const int Width = 1660, Height = 1600;
  QImage Sheet(Width, Height, QImage::Format_ARGB32_Premultiplied);
  Sheet.fill(QColor(40, 40, 48));
  QPainter P(&Sheet);
  P.setRenderHint(QPainter::Antialiasing);
  P.setRenderHint(QPainter::SmoothPixmapTransform, false);
  P.drawImage(10, 10, Yard(Pictures));
  P.setPen(QColor(230, 230, 230));
  P.setFont(SansFont(11, false));

  // Small pictures at twice their size.
  int X = 670, Y = 10, RowHeight = 0;
  for (const auto& [Name, Image] : Pictures) {
    if (Image.width() > 64)
      continue;
    const QSize Size = Image.size() * 2;
    // Frames keep their folder ("boom/1.png"); the robot's long names do not need theirs.
    const QString Full = QString::fromStdString(Name);
    const QString Label = Full.startsWith("robot/") ? Full.section('/', -1) : Full;
    const int Slot = std::max(Size.width(), P.fontMetrics().horizontalAdvance(Label)) + 12;
    if (X + Slot > Width - 10) {
      X = 670;
      Y += RowHeight + 22;
      RowHeight = 0;
    }
    const QRectF Box(X, Y, Size.width(), Size.height());
    Checker(P, Box);
    P.drawImage(Box, Image);
    P.drawText(QPointF(X, Y + Size.height() + 14), Label);
    X += Slot;
    RowHeight = std::max(RowHeight, Size.height());
  }

  Y = std::max(500, Y + RowHeight + 30);
  Y += MotionRow(P, Pictures, 10, Y);

  // Full-size pictures at half size, with their own size written under them.
  X = 10;
  for (const auto& [Name, Image] : Pictures) {
    if (Image.width() <= 64)
      continue;
    if (X + 320 > Width) {
      X = 10;
      Y += 265;
    }
    P.setRenderHint(QPainter::SmoothPixmapTransform, true);
    P.drawImage(QRectF(X, Y, 320, 240), Image);
    P.drawText(QPointF(X, Y + 256), QString::fromStdString(Name));
    X += 330;
  }
  P.end();
  return Sheet.copy(0, 0, Width, Y + 270);
}
