// The two one-shot effects: smoke where something breaks or is destroyed,
// and the explosion of a bomb. Both fill their cell and fade out, because
// the cell is emptied right after the last frame.
#include "art.h"
#include "paint_kit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

// A cloud of round puffs around C, as one outline so the puffs do not darken where they overlap.
QPainterPath Cloud(QPointF C, double Radius, double Spread, TDice& Dice) {
  QPainterPath Path;
  Path.setFillRule(Qt::WindingFill);
  Path.addEllipse(C, Radius * 0.8, Radius * 0.75);
  for (int I = 0; I < 7; ++I) {
    const double A = I * 2 * Pi / 7 + Dice.Range(-0.3, 0.3);
    const double R = Radius * Dice.Range(0.45, 0.62);
    const QPointF At = C + QPointF(std::cos(A) * Spread, std::sin(A) * Spread * 0.85);
    Path.addEllipse(At, R, R);
  }
  return Path.simplified();
}

void PaintPuffs(QPainter& P, QPointF C, double Radius, double Spread, const QColor& Light, const QColor& Dark,
                double Opacity, std::uint32_t Seed) {
  TDice Dice(Seed);
  const QPainterPath Path = Cloud(C, Radius, Spread, Dice);
  P.save();
  P.setOpacity(Opacity);
  QRadialGradient Fill(C - QPointF(Radius * 0.35, Radius * 0.45), Radius * 1.6);
  Fill.setColorAt(0, Light);
  Fill.setColorAt(1, Dark);
  P.setPen(QPen(Dark.darker(160), 1.0));
  P.setBrush(Fill);
  P.drawPath(Path);
  // Round highlights on the upper puffs.
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(255, 255, 255, 70));
  P.drawEllipse(C + QPointF(-Spread * 0.5, -Spread * 0.6), Radius * 0.28, Radius * 0.22);
  P.drawEllipse(C + QPointF(Spread * 0.35, -Spread * 0.75), Radius * 0.2, Radius * 0.16);
  P.restore();
}

// A jagged star of N points between Inner and Outer radius.
QPainterPath Burst(QPointF C, double Outer, double Inner, int N, TDice& Dice) {
  QPainterPath Path;
  for (int I = 0; I < 2 * N; ++I) {
    const double A = I * Pi / N + Dice.Range(-0.12, 0.12);
    const double R = (I % 2 ? Inner : Outer) * Dice.Range(0.88, 1.05);
    const QPointF Pt = C + QPointF(R * std::cos(A), R * std::sin(A));
    if (I == 0)
      Path.moveTo(Pt);
    else
      Path.lineTo(Pt);
  }
  Path.closeSubpath();
  return Path;
}
} // namespace

void PaintSmoke(QPainter& P, int Frame) {
  const double T = Frame / 4.0;
  const QColor Light = Blend(QColor(215, 212, 208), QColor(245, 245, 248), T);
  const QColor Dark = Blend(QColor(96, 92, 96), QColor(165, 165, 175), T);
  PaintPuffs(P, QPointF(16, 17 - 2.5 * T), 10 + 4 * T, 6.5 + 3 * T, Light, Dark, 1.0 - 0.72 * T, 501);
}

void PaintBoom(QPainter& P, int Frame) {
  static const double Radius[] = {6, 9.5, 12.5, 14.5, 15.5, 15.5, 15, 15, 15};
  static const double Fire[] = {1, 1, 1, 1, 0.85, 0.6, 0.35, 0.12, 0};
  static const double Smoke[] = {0, 0, 0, 0.15, 0.45, 0.75, 0.95, 0.75, 0.4};
  const QPointF C(16, 16);
  const double R = Radius[Frame];

  if (Smoke[Frame] > 0)
    PaintPuffs(P, C - QPointF(0, Frame * 0.3), R * 0.85, R * 0.58, QColor(150, 140, 135), QColor(55, 48, 50),
               Smoke[Frame], 900 + static_cast<std::uint32_t>(Frame));

  const double F = Fire[Frame];
  if (F > 0) {
    TDice Dice(700 + static_cast<std::uint32_t>(Frame));
    const double FireR = R * (0.55 + 0.45 * F);
    const QPainterPath Outer = Burst(C, FireR, FireR * 0.68, 11, Dice);
    QRadialGradient Flame(C, FireR);
    Flame.setColorAt(0, QColor(255, 255, 230));
    Flame.setColorAt(0.3, QColor(255, 235, 90));
    Flame.setColorAt(0.65, QColor(255, 140, 30));
    Flame.setColorAt(1, QColor(210, 40, 20));
    P.save();
    P.setOpacity(std::min(1.0, F * 1.3));
    P.setPen(Frame < 5 ? InkPen(1.1) : QPen(Qt::NoPen));
    P.setBrush(Flame);
    P.drawPath(Outer);
    const QPainterPath Core = Burst(C, FireR * 0.5, FireR * 0.36, 8, Dice);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 250, 200, int(230 * F)));
    P.drawPath(Core);
    P.restore();
  }

  // Bits of debris thrown out by the blast.
  if (Frame >= 2 && Frame <= 6) {
    TDice Dice(333);
    for (int I = 0; I < 6; ++I) {
      const double A = I * 2 * Pi / 6 + Dice.Range(0, 0.8);
      const double D = R * (0.55 + 0.09 * Frame) + Dice.Range(-1, 1);
      const QPointF At = C + QPointF(D * std::cos(A), D * std::sin(A));
      if (At.x() < 1.5 || At.x() > 30.5 || At.y() < 1.5 || At.y() > 30.5)
        continue;
      P.save();
      P.translate(At);
      P.rotate(Dice.Range(0, 360) + Frame * 40);
      P.setPen(InkPen(0.7));
      P.setBrush(I % 2 ? QColor(255, 200, 60) : QColor(110, 100, 95));
      P.drawRect(QRectF(-1.2, -0.9, 2.4, 1.8));
      P.restore();
    }
  }
}
