// The yard's own blocks: the rock of the ground and the walls, and the rock
// with a crackling power socket that stands in three places of the walls.
#include "art.h"
#include "paint_kit.h"

#include <cmath>

namespace {

// One stone of the masonry: bevelled, lit from the top left, a few pits.
void PaintStone(QPainter& P, const QRectF& R, const QColor& Base, TDice& Dice) {
  QPainterPath Stone;
  Stone.addRoundedRect(R, 3.2, 3.2);
  P.save();
  P.setPen(Qt::NoPen);
  P.setBrush(Shade(R.topLeft(), R.bottomRight(), Base.lighter(122), Base.darker(125)));
  P.drawPath(Stone);
  P.setClipPath(Stone);
  // Pits and grains in the stone.
  for (int I = 0; I < int(R.width() * R.height() / 22); ++I) {
    const QPointF At(R.left() + Dice.Range(1, R.width() - 1), R.top() + Dice.Range(1, R.height() - 1));
    const double Size = Dice.Range(0.6, 1.5);
    P.setBrush(Dice.Unit() < 0.6 ? QColor(30, 22, 20, 70) : QColor(255, 245, 230, 55));
    P.drawEllipse(At, Size, Size);
  }
  // Bevel: a light top and left edge, a dark bottom and right edge.
  P.setBrush(Qt::NoBrush);
  P.setPen(QPen(QColor(255, 244, 225, 110), 1.6));
  P.drawLine(QPointF(R.left() + 2, R.top() + 1.2), QPointF(R.right() - 2, R.top() + 1.2));
  P.drawLine(QPointF(R.left() + 1.2, R.top() + 2), QPointF(R.left() + 1.2, R.bottom() - 2));
  P.setPen(QPen(QColor(20, 12, 10, 120), 1.6));
  P.drawLine(QPointF(R.left() + 2, R.bottom() - 1.0), QPointF(R.right() - 2, R.bottom() - 1.0));
  P.drawLine(QPointF(R.right() - 1.0, R.top() + 2), QPointF(R.right() - 1.0, R.bottom() - 2));
  P.restore();
  P.setPen(QPen(QColor(30, 22, 20, 200), 0.9));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Stone);
}

} // namespace

void PaintRock(QPainter& P) {
  P.fillRect(QRectF(0, 0, 32, 32), QColor(52, 44, 42));
  TDice Dice(77);
  PaintStone(P, QRectF(0.5, 0.5, 31, 15), QColor(132, 116, 100), Dice);
  PaintStone(P, QRectF(-15.5, 16.5, 31, 15), QColor(120, 106, 94), Dice);
  PaintStone(P, QRectF(16.5, 16.5, 31, 15), QColor(126, 112, 96), Dice);
  // A crack in the top stone.
  QPainterPath Crack;
  Crack.moveTo(20, 1.5);
  Crack.lineTo(18.5, 5);
  Crack.lineTo(21, 8);
  Crack.lineTo(19.5, 11);
  P.setPen(QPen(QColor(30, 22, 20, 170), 0.9));
  P.drawPath(Crack);
}

void PaintLightning(QPainter& P, int Frame) {
  PaintRock(P);
  // A power socket set into the rock, fenced with warning yellow.
  const QRectF Plate(5, 5, 22, 22);
  QPainterPath Frame_;
  Frame_.addRoundedRect(Plate, 3, 3);
  Outlined(P, Frame_, Shade(Plate.topLeft(), Plate.bottomRight(), QColor(250, 210, 60), QColor(200, 140, 20)), 1.1);
  QPainterPath Hole;
  Hole.addRoundedRect(Plate.adjusted(3, 3, -3, -3), 1.5, 1.5);
  Outlined(P, Hole, QColor(18, 20, 30), 0.9);
  for (const QPointF& At : {QPointF(7, 7), QPointF(25, 7), QPointF(7, 25), QPointF(25, 25)}) {
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(90, 70, 30));
    P.drawEllipse(At, 0.9, 0.9);
  }
  // Two copper electrodes.
  for (const QRectF& E : {QRectF(13, 8, 6, 3.2), QRectF(13, 20.8, 6, 3.2)}) {
    QPainterPath Tip;
    Tip.addRoundedRect(E, 1, 1);
    Outlined(P, Tip, Shade(E.topLeft(), E.bottomLeft(), QColor(240, 170, 110), QColor(150, 80, 40)), 0.8);
  }
  // The arc between them flickers: a new zigzag each frame, brighter or dimmer.
  static const double Glow[] = {1.0, 0.65, 0.9, 0.45};
  const double G = Glow[Frame % 4];
  QRadialGradient Halo(QPointF(16, 16), 12);
  Halo.setColorAt(0, QColor(150, 220, 255, int(170 * G)));
  Halo.setColorAt(1, QColor(80, 160, 255, 0));
  P.setPen(Qt::NoPen);
  P.setBrush(Halo);
  P.drawEllipse(QPointF(16, 16), 12, 12);
  TDice Dice(static_cast<std::uint32_t>(1234 + 97 * Frame));
  QPainterPath Arc;
  Arc.moveTo(16, 11);
  for (int I = 1; I < 5; ++I)
    Arc.lineTo(16 + Dice.Range(-4.5, 4.5), 11 + I * 2);
  Arc.lineTo(16, 21);
  QPainterPath Fork;
  Fork.moveTo(Arc.elementAt(2).x, Arc.elementAt(2).y);
  Fork.lineTo(Arc.elementAt(2).x + (Frame % 2 ? 4 : -4), Arc.elementAt(2).y + Dice.Range(-1, 2));
  P.setBrush(Qt::NoBrush);
  P.setPen(QPen(QColor(120, 200, 255, int(200 * G)), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPath(Arc);
  P.drawPath(Fork);
  P.setPen(QPen(QColor(255, 255, 255, int(120 + 135 * G)), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPath(Arc);
  P.drawPath(Fork);
}
