// The program's icon: the robot's head, the face a player knows from the
// yard. Small sizes are drawn pixel by pixel so they stay crisp in a panel or
// a title bar; from 32 pixels up the head is painted on a night-blue tile
// over a pile of junk, with more detail the more room there is.
#include "art.h"
#include "paint_kit.h"

#include <QPainterPathStroker>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {


// One colour per letter of the pixel maps below.
QRgb MapColour(char C) {
  switch (C) {
  case 'k': return qRgba(Ink.red(), Ink.green(), Ink.blue(), 255);
  case 'Y': return qRgb(255, 232, 130);
  case 'y': return qRgb(250, 196, 40);
  case 'o': return qRgb(196, 132, 18);
  case 'v': return qRgb(26, 32, 58);
  case 'c': return qRgb(90, 235, 255);
  case 'C': return qRgb(30, 160, 215);
  case 'W': return qRgb(255, 255, 255);
  case 'R': return qRgb(255, 150, 140);
  case 'r': return qRgb(224, 40, 36);
  case 'd': return qRgb(150, 20, 24);
  case 's': return qRgb(170, 178, 192);
  case 'S': return qRgb(96, 102, 118);
  default: return qRgba(0, 0, 0, 0);
  }
}

// The head drawn pixel by pixel, for the sizes too small for painting.
const std::map<int, std::vector<std::string>> PixelHeads = {
    {16,
     {
         ".......kk.......", //
         "......kRrk......", //
         "......krdk......", //
         ".......kk.......", //
         ".......ks.......", //
         "..kkkkkkkkkkkk..", //
         ".kYYYyyyyyyyyok.", //
         ".kYkkkkkkkkkkok.", //
         "kkykvvvvvvvvkokk", //
         "kkykWcvvvvWckokk", //
         "kkykcCvvvvcCkokk", //
         ".kykkkkkkkkkkok.", //
         ".kyyyykyykyyyok.", //
         ".kyyyykyykyyyok.", //
         ".kooooooooooook.", //
         "..kkkkkkkkkkkk..", //
     }},
    {24,
     {
         "..........kkkk..........", //
         ".........kRRrrk.........", //
         ".........kRrrrk.........", //
         ".........krrrdk.........", //
         "..........kkkk..........", //
         "...........ks...........", //
         "...kkkkkkkkkkkkkkkkkk...", //
         "..kYYYYyyyyyyyyyyyyyok..", //
         "..kYYyyyyyyyyyyyyyyyok..", //
         "..kYykkkkkkkkkkkkkkyok..", //
         "..kyykvvvvvvvvvvvvkyok..", //
         ".kkyykvvvvvvvvvvvvkyokk.", //
         "kskyykvWccvvvvWccvkyoksk", //
         "kskyykvcccvvvvcccvkyoksk", //
         "kskyykvccCvvvvccCvkyoksk", //
         "kSkyykvvvvvvvvvvvvkyokSk", //
         ".kkyykvvvvvvvvvvvvkyokk.", //
         "..kyykkkkkkkkkkkkkkyok..", //
         "..kyyyyyyyyyyyyyyyyyok..", //
         "..kyyyyyksksskskyyyyok..", //
         "..kyyyyyksksskskyyyyok..", //
         "..kyyyyyyyyyyyyyyyyyok..", //
         "..kooooooooooooooooook..", //
         "...kkkkkkkkkkkkkkkkkk...", //
     }},
};

QImage DrawPixelHead(int Size, const std::vector<std::string>& Rows) {
  if (Rows.size() != static_cast<std::size_t>(Size))
    throw std::logic_error("icon pixel map of " + std::to_string(Size) + " has the wrong number of rows");
  QImage Image(Size, Size, QImage::Format_ARGB32);
  for (int Y = 0; Y < Size; ++Y) {
    const std::string& Row = Rows[static_cast<std::size_t>(Y)];
    if (Row.size() != static_cast<std::size_t>(Size))
      throw std::logic_error("icon pixel map of " + std::to_string(Size) + ": row " + std::to_string(Y) +
                             " is not " + std::to_string(Size) + " wide");
    for (int X = 0; X < Size; ++X)
      Image.setPixel(X, Y, MapColour(Row[static_cast<std::size_t>(X)]));
  }
  return Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QPainterPath Rounded(const QRectF& R, double Radius) {
  QPainterPath Path;
  Path.addRoundedRect(R, Radius, Radius);
  return Path;
}

// The tile every painted size sits on, in a 256-unit square.
const QRectF TileRect(10, 10, 236, 236);

void PaintTile(QPainter& P) {
  const QPainterPath Tile = Rounded(TileRect, 46);
  QLinearGradient Sky(0, 10, 0, 246);
  Sky.setColorAt(0, QColor(44, 92, 138));
  Sky.setColorAt(0.6, QColor(22, 42, 76));
  Sky.setColorAt(1, QColor(12, 18, 34));
  Outlined(P, Tile, Sky, 0);
  P.save();
  P.setClipPath(Tile);
  // Rays of light behind the head, as on the start screen.
  P.setPen(Qt::NoPen);
  for (int I = 0; I < 12; ++I) {
    P.save();
    P.translate(128, 120);
    P.rotate(I * 30.0 + 8);
    QPainterPath Ray;
    Ray.moveTo(0, 0);
    Ray.lineTo(-14, -200);
    Ray.lineTo(14, -200);
    Ray.closeSubpath();
    P.setBrush(QColor(120, 190, 255, 22));
    P.drawPath(Ray);
    P.restore();
  }
  // A pile of junk along the bottom: a tyre, a barrel, scrap plates.
  P.setPen(InkPen(3));
  P.setBrush(QColor(36, 40, 52));
  P.drawEllipse(QPointF(42, 236), 34, 34);
  P.setBrush(QColor(70, 76, 92));
  P.drawEllipse(QPointF(42, 236), 14, 14);
  const QRectF Barrel(192, 186, 46, 70);
  Outlined(P, Rounded(Barrel, 6), Shade(Barrel.topLeft(), Barrel.topRight(), QColor(230, 70, 50), QColor(120, 24, 20)),
           3);
  P.setPen(QPen(QColor(80, 14, 12), 3));
  P.drawLine(QPointF(193, 206), QPointF(237, 206));
  P.drawLine(QPointF(193, 232), QPointF(237, 232));
  P.restore();
  // The tile's rim and a glint on its upper edge.
  P.setBrush(Qt::NoBrush);
  P.setPen(QPen(Ink, 6));
  P.drawPath(Tile);
  QPainterPath Glint;
  Glint.moveTo(40, 20);
  Glint.lineTo(150, 20);
  Gleam(P, Glint, 4, 70);
}

void Eye(QPainter& P, QPointF At, double R) {
  QRadialGradient Glow(At, R * 2);
  Glow.setColorAt(0, QColor(160, 250, 255, 210));
  Glow.setColorAt(1, QColor(40, 200, 255, 0));
  P.setPen(Qt::NoPen);
  P.setBrush(Glow);
  P.drawEllipse(At, R * 2, R * 2);
  QRadialGradient Iris(At - QPointF(R * 0.3, R * 0.3), R);
  Iris.setColorAt(0, QColor(170, 250, 255));
  Iris.setColorAt(1, QColor(40, 190, 240));
  P.setBrush(Iris);
  P.drawEllipse(At, R, R);
  P.setBrush(QColor(255, 255, 255));
  P.drawEllipse(At + QPointF(-R * 0.35, -R * 0.38), R * 0.34, R * 0.34);
}

// The head and shoulders in the 256-unit square; Detail adds the small parts
// that only show from 128 pixels up.
void PaintHead(QPainter& P, bool Detail) {
  // Shoulders and the top of the chest, cut off by the tile.
  P.save();
  P.setClipPath(Rounded(TileRect.adjusted(3, 3, -3, -3), 43));
  const QRectF Chest(50, 206, 156, 70);
  Outlined(P, Rounded(Chest, 24), RobotBody(Chest), 6);
  const QRectF Panel(92, 222, 72, 40);
  Outlined(P, Rounded(Panel, 6), Shade(Panel.topLeft(), Panel.bottomLeft(), QColor(70, 78, 96), QColor(30, 34, 46)), 4);
  const QColor Lights[] = {QColor(255, 80, 70), QColor(90, 240, 120), QColor(255, 220, 60)};
  for (int I = 0; I < 3; ++I) {
    P.setPen(Qt::NoPen);
    P.setBrush(Lights[I]);
    P.drawEllipse(QPointF(108 + I * 20, 236), 6, 6);
  }
  P.restore();
  // Neck.
  const QRectF Neck(106, 194, 44, 18);
  P.setPen(InkPen(5));
  P.setBrush(RobotMetal(Neck));
  P.drawRect(Neck);

  // Antenna with its red bulb.
  P.setPen(InkPen(12));
  P.drawLine(QPointF(128, 66), QPointF(128, 34));
  P.setPen(QPen(RobotSteel.lighter(120), 5));
  P.drawLine(QPointF(128, 66), QPointF(128, 34));
  QRadialGradient Bulb(QPointF(123, 23), 15);
  Bulb.setColorAt(0, QColor(255, 210, 200));
  Bulb.setColorAt(1, QColor(220, 30, 30));
  P.setPen(InkPen(5));
  P.setBrush(Bulb);
  P.drawEllipse(QPointF(128, 28), 14, 14);

  // Ear bolts, then the head over them.
  for (double X : {40.0, 216.0}) {
    const QRectF Ear(X - 14, 104, 28, 56);
    P.setPen(InkPen(5));
    P.setBrush(RobotMetal(Ear));
    P.drawRoundedRect(Ear, 10, 10);
  }
  const QRectF Head(46, 62, 164, 138);
  Outlined(P, Rounded(Head, 36), RobotBody(Head), 7);

  // The visor with the two eyes.
  const QRectF Visor(66, 92, 124, 64);
  Outlined(P, Rounded(Visor, 24), Shade(Visor.topLeft(), Visor.bottomLeft(), QColor(44, 56, 92), QColor(12, 14, 28)), 5);
  Eye(P, QPointF(100, 124), 16);
  Eye(P, QPointF(156, 124), 16);
  QPainterPath VisorShine;
  VisorShine.moveTo(80, 102);
  VisorShine.quadTo(100, 97, 124, 97);
  Gleam(P, VisorShine, 4, 90);

  // Mouth grille.
  const QRectF Grille(94, 166, 68, 22);
  Outlined(P, Rounded(Grille, 6), QColor(50, 52, 64), 4);
  P.setPen(QPen(RobotSteel.lighter(115), 5, Qt::SolidLine, Qt::RoundCap));
  for (int I = 0; I < 4; ++I)
    P.drawLine(QPointF(107 + I * 14, 171), QPointF(107 + I * 14, 183));

  // A gleam on the head, light from the top left as everywhere in the game.
  QPainterPath Shine;
  Shine.moveTo(62, 108);
  Shine.quadTo(62, 76, 96, 74);
  Gleam(P, Shine, 7, 190);

  if (!Detail)
    return;
  // Rivets on the head's corners and a scratch on the paint.
  for (QPointF At : {QPointF(60, 178), QPointF(196, 178), QPointF(196, 78)}) {
    P.setPen(InkPen(2));
    P.setBrush(RobotSteel.lighter(110));
    P.drawEllipse(At, 4.5, 4.5);
  }
  P.setPen(QPen(RobotPaint.darker(170), 2, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(176, 70), QPointF(186, 84));
  P.drawLine(QPointF(181, 70), QPointF(189, 80));
  // Bolt heads on the ears.
  for (double X : {40.0, 216.0}) {
    P.setPen(InkPen(2));
    P.setBrush(RobotSteel.darker(120));
    P.drawEllipse(QPointF(X, 132), 5, 5);
  }
}

QImage PaintIcon(int Size) {
  QImage Image = NewPicture(Size, Size);
  QPainter P(&Image);
  Prepare(P);
  P.scale(Size / 256.0, Size / 256.0);
  PaintTile(P);
  PaintHead(P, Size >= 128);
  return Image;
}

} // namespace

const std::vector<int> IconSizes = {16, 24, 32, 48, 64, 128, 256, 512};

QImage DrawIcon(int Size) {
  const auto Pixels = PixelHeads.find(Size);
  if (Pixels != PixelHeads.end())
    return DrawPixelHead(Size, Pixels->second);
  return PaintIcon(Size);
}
