// The sky behind the yard: a calm dusk over distant heaps of junk and a crane.
// It stays dim and soft so that the outlined objects in front stand out.
#include "art.h"
#include "paint_kit.h"

#include <cmath>

namespace {

// A range of junk heaps along Base: a bumpy ridge with wrecks and tyres on it.
QPainterPath Heaps(double Base, double Height, std::uint32_t Seed) {
  TDice Dice(Seed);
  QPainterPath Ridge;
  Ridge.moveTo(-10, 480);
  const double P1 = Dice.Range(0, 6), P2 = Dice.Range(0, 6);
  for (double X = -10; X <= 650; X += 4) {
    const double Y = Base - Height * (0.55 + 0.3 * std::sin(X / 70 + P1) + 0.15 * std::sin(X / 23 + P2)) +
                     Dice.Range(-1.5, 1.5);
    Ridge.lineTo(X, Y);
  }
  Ridge.lineTo(650, 480);
  Ridge.closeSubpath();
  // Wrecks and tyres poking out of the heap.
  for (int I = 0; I < 9; ++I) {
    const double X = Dice.Range(0, 640);
    const double Y = Base - Height * (0.55 + 0.3 * std::sin(X / 70 + P1) + 0.15 * std::sin(X / 23 + P2));
    QPainterPath Thing;
    if (Dice.Unit() < 0.5) {
      const double R = Dice.Range(6, 11);
      Thing.addEllipse(QPointF(X, Y - R * 0.5), R, R);
    } else {
      QTransform T;
      T.translate(X, Y);
      T.rotate(Dice.Range(-25, 25));
      QPainterPath Car;
      Car.setFillRule(Qt::WindingFill);
      Car.addRoundedRect(QRectF(-18, -10, 36, 10), 3, 3);
      Car.addRoundedRect(QRectF(-9, -17, 18, 8), 3, 3);
      Thing = T.map(Car);
    }
    Ridge = Ridge.united(Thing);
  }
  return Ridge;
}

void Crane(QPainter& P, const QColor& Colour) {
  P.save();
  P.setPen(QPen(Colour, 3));
  P.setBrush(Qt::NoBrush);
  // Lattice tower.
  P.drawLine(QPointF(150, 340), QPointF(150, 150));
  P.drawLine(QPointF(162, 340), QPointF(162, 150));
  P.setPen(QPen(Colour, 1.4));
  for (double Y = 340; Y > 152; Y -= 12) {
    P.drawLine(QPointF(150, Y), QPointF(162, Y - 12));
    P.drawLine(QPointF(150, Y - 12), QPointF(162, Y - 12));
  }
  // Jib and counter-jib.
  P.setPen(QPen(Colour, 3));
  P.drawLine(QPointF(100, 150), QPointF(300, 150));
  P.setPen(QPen(Colour, 1.4));
  for (double X = 162; X < 300; X += 12)
    P.drawLine(QPointF(X, 150), QPointF(X + 6, 142));
  P.drawLine(QPointF(156, 126), QPointF(300, 150));
  P.drawLine(QPointF(156, 126), QPointF(100, 150));
  P.drawLine(QPointF(156, 126), QPointF(156, 150));
  P.setBrush(Colour);
  P.drawRect(QRectF(102, 150, 22, 12));
  // Cable and a dangling magnet.
  P.drawLine(QPointF(262, 150), QPointF(262, 214));
  P.drawEllipse(QRectF(252, 212, 20, 8));
  P.restore();
}
} // namespace

QImage DrawBackdrop() {
  return PaintedPicture(640, 480, [](QPainter& P) {
    QLinearGradient Sky(QPointF(0, 0), QPointF(0, 400));
    Sky.setColorAt(0, QColor(22, 26, 52));
    Sky.setColorAt(0.45, QColor(52, 54, 96));
    Sky.setColorAt(0.8, QColor(118, 92, 118));
    Sky.setColorAt(1, QColor(150, 108, 112));
    P.fillRect(QRectF(0, 0, 640, 480), Sky);

    TDice Dice(2024);
    P.setPen(Qt::NoPen);
    for (int I = 0; I < 70; ++I) {
      const QPointF At(Dice.Range(0, 640), Dice.Range(0, 220));
      P.setBrush(QColor(255, 250, 230, int(40 + 110 * Dice.Unit() * (1 - At.y() / 260))));
      const double R = Dice.Range(0.5, 1.2);
      P.drawEllipse(At, R, R);
    }

    // A low, hazy sun.
    QRadialGradient Glow(QPointF(470, 262), 140);
    Glow.setColorAt(0, QColor(255, 200, 150, 90));
    Glow.setColorAt(1, QColor(255, 180, 140, 0));
    P.setBrush(Glow);
    P.drawEllipse(QPointF(470, 262), 140, 140);
    P.setBrush(QColor(250, 205, 160, 150));
    P.drawEllipse(QPointF(470, 262), 40, 40);

    // Thin streaks of cloud across the sun.
    for (int I = 0; I < 6; ++I) {
      const QPointF At(Dice.Range(40, 600), Dice.Range(150, 290));
      P.setBrush(QColor(200, 150, 170, 40));
      P.drawEllipse(At, Dice.Range(40, 90), Dice.Range(3, 6));
    }

    const QColor Far(92, 72, 104), Mid(62, 50, 80), Near(40, 34, 56);
    Crane(P, Blend(Far, QColor(120, 92, 120), 0.3));
    P.setBrush(Far);
    P.drawPath(Heaps(350, 60, 11));
    P.setBrush(Mid);
    P.drawPath(Heaps(410, 55, 12));
    // A faint rim of light on the near heaps.
    const QPainterPath NearHeaps = Heaps(455, 50, 13);
    P.setPen(QPen(QColor(170, 120, 130, 90), 1.5));
    P.setBrush(Near);
    P.drawPath(NearHeaps);

    // A sagging chain-link fence between the two yard walls.
    P.setPen(QPen(QColor(25, 22, 36, 120), 3));
    for (double X = 80; X < 580; X += 96)
      P.drawLine(QPointF(X, 372), QPointF(X, 470));
    P.setPen(QPen(QColor(25, 22, 36, 60), 1));
    for (double X = 64; X < 600; X += 10) {
      P.drawLine(QPointF(X, 380), QPointF(X + 60, 470));
      P.drawLine(QPointF(X + 60, 380), QPointF(X, 470));
    }
    P.setPen(QPen(QColor(25, 22, 36, 130), 2));
    P.drawLine(QPointF(64, 378), QPointF(576, 378));
  });
}
