// The things the truck drops: twelve kinds of junk and the tool. Each one
// fills most of its cell, so a pile of them reads as a solid heap, and each
// has its own colour and outline so it is known at a glance.
#include "art.h"
#include "paint_kit.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

QPainterPath Rounded(const QRectF& R, double Radius) {
  QPainterPath Path;
  Path.addRoundedRect(R, Radius, Radius);
  return Path;
}

QPainterPath Circle(QPointF C, double R) {
  QPainterPath Path;
  Path.addEllipse(C, R, R);
  return Path;
}

QPainterPath Polygon(std::initializer_list<QPointF> Points) {
  QPainterPath Path;
  Path.addPolygon(QPolygonF(QList<QPointF>(Points)));
  Path.closeSubpath();
  return Path;
}

void Rivet(QPainter& P, QPointF At, double R = 1.0) {
  P.save();
  P.setPen(QPen(Ink, 0.6));
  P.setBrush(QColor(200, 200, 205));
  P.drawEllipse(At, R, R);
  P.restore();
}
} // namespace

void PaintTool(QPainter& P) {
  // A soft golden glow marks it as a prize, not junk.
  QRadialGradient Glow(QPointF(16, 16), 16);
  Glow.setColorAt(0, QColor(255, 230, 120, 150));
  Glow.setColorAt(0.6, QColor(255, 210, 80, 60));
  Glow.setColorAt(1, QColor(255, 200, 60, 0));
  P.setPen(Qt::NoPen);
  P.setBrush(Glow);
  P.drawEllipse(QPointF(16, 16), 16, 16);

  P.save();
  P.translate(16, 16);
  P.rotate(-45);
  QPainterPath Wrench;
  Wrench.setFillRule(Qt::WindingFill);
  Wrench.addRoundedRect(QRectF(-9, -2.6, 18, 5.2), 2, 2);
  Wrench.addEllipse(QPointF(10, 0), 6.2, 6.2);
  Wrench.addEllipse(QPointF(-10.5, 0), 5.2, 5.2);
  Wrench = Wrench.simplified();
  QPainterPath Jaw;
  Jaw.addRect(QRectF(9, -2.6, 8, 5.2));
  QPainterPath Ring;
  Ring.addEllipse(QPointF(-10.5, 0), 2.4, 2.4);
  Wrench = Wrench.subtracted(Jaw).subtracted(Ring);
  QLinearGradient Chrome(QPointF(0, -6), QPointF(0, 6));
  Chrome.setColorAt(0, QColor(250, 252, 255));
  Chrome.setColorAt(0.45, QColor(190, 198, 212));
  Chrome.setColorAt(0.55, QColor(140, 148, 165));
  Chrome.setColorAt(1, QColor(95, 102, 120));
  Outlined(P, Wrench, Chrome, 1.3);
  QPainterPath Shine;
  Shine.moveTo(-6, -1.2);
  Shine.lineTo(6, -1.2);
  Gleam(P, Shine, 1.0, 200);
  P.restore();

  // A twinkle.
  QPainterPath Star;
  Star.moveTo(25, 3);
  Star.quadTo(25.6, 6.4, 29, 7);
  Star.quadTo(25.6, 7.6, 25, 11);
  Star.quadTo(24.4, 7.6, 21, 7);
  Star.quadTo(24.4, 6.4, 25, 3);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(255, 255, 230));
  P.drawPath(Star);
}

void PaintWheel(QPainter& P) {
  const QPointF C(16, 16.5);
  // Tyre with chunky tread.
  QPainterPath Tyre = Circle(C, 14.2);
  for (int I = 0; I < 16; ++I) {
    const double A = I * 2 * Pi / 16;
    QPainterPath Lug;
    Lug.addRect(QRectF(-1.6, -15.4, 3.2, 3));
    QTransform T;
    T.translate(C.x(), C.y());
    T.rotateRadians(A);
    Tyre = Tyre.united(T.map(Lug));
  }
  QRadialGradient Rubber(C - QPointF(4, 4), 20);
  Rubber.setColorAt(0, QColor(90, 90, 98));
  Rubber.setColorAt(1, QColor(30, 30, 36));
  Outlined(P, Tyre, Rubber, 1.3);
  QPainterPath Wall = Circle(C, 11.5);
  P.setPen(QPen(QColor(110, 110, 120), 0.8));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Wall);
  // Steel rim.
  Outlined(P, Circle(C, 8.2), Shade(C - QPointF(8, 8), C + QPointF(8, 8), QColor(235, 238, 245), QColor(120, 125, 140)),
           1.1);
  Outlined(P, Circle(C, 5.6), Shade(C + QPointF(5, 5), C - QPointF(5, 5), QColor(220, 224, 232), QColor(140, 146, 160)),
           0.8);
  for (int I = 0; I < 5; ++I) {
    const double A = -Pi / 2 + I * 2 * Pi / 5;
    Rivet(P, C + QPointF(3.6 * std::cos(A), 3.6 * std::sin(A)), 0.9);
  }
  Outlined(P, Circle(C, 1.6), QColor(60, 60, 70), 0.7);
  QPainterPath Shine;
  Shine.arcMoveTo(QRectF(C.x() - 12.5, C.y() - 12.5, 25, 25), 110);
  Shine.arcTo(QRectF(C.x() - 12.5, C.y() - 12.5, 25, 25), 110, 50);
  Gleam(P, Shine, 1.3, 110);
}

void PaintSmashedCar(QPainter& P) {
  // Wheels first, half hidden under the crumpled body.
  for (const QPointF& W : {QPointF(7.5, 25.5), QPointF(25, 26.5)}) {
    Outlined(P, Circle(W, 4.6), QColor(38, 38, 44), 1.1);
    Outlined(P, Circle(W, 2.0), QColor(170, 172, 180), 0.7);
  }
  // The body, squashed and dented, tilted a little.
  QPainterPath Body = Polygon({{1.5, 17}, {4, 13.5}, {9, 12.5}, {12, 7.5}, {15, 9}, {19, 6.5}, {23, 8},
                               {25.5, 12.5}, {30.5, 14.5}, {30.8, 20}, {28.5, 24.5}, {20, 23}, {14, 25},
                               {8, 23.5}, {2, 24}});
  QLinearGradient Paint(QPointF(0, 6), QPointF(0, 25));
  Paint.setColorAt(0, QColor(255, 110, 90));
  Paint.setColorAt(0.5, QColor(205, 40, 35));
  Paint.setColorAt(1, QColor(120, 18, 22));
  Outlined(P, Body, Paint, 1.3);
  // Shattered windows.
  QPainterPath Glass = Polygon({{12.8, 9.4}, {15, 10.6}, {18.6, 8.4}, {22.2, 9.5}, {24, 12.6}, {11, 13.2}});
  Outlined(P, Glass, Shade(QPointF(12, 8), QPointF(22, 13), QColor(200, 235, 255), QColor(90, 140, 190)), 0.9);
  P.setPen(QPen(QColor(255, 255, 255, 220), 0.6));
  P.drawLine(QPointF(17, 9.2), QPointF(15.5, 12.8));
  P.drawLine(QPointF(17, 9.2), QPointF(20.5, 12.6));
  P.drawLine(QPointF(17, 9.2), QPointF(13.2, 11));
  // Dents and crumple lines.
  P.setPen(QPen(QColor(90, 10, 15, 200), 0.9));
  P.drawLine(QPointF(6, 15), QPointF(9, 20));
  P.drawLine(QPointF(9, 20), QPointF(7, 22.5));
  P.drawLine(QPointF(20, 15), QPointF(18, 21));
  P.drawLine(QPointF(24.5, 16), QPointF(27, 21));
  // Door seam, bumper and a dangling headlight.
  P.setPen(QPen(Ink, 0.8));
  P.drawLine(QPointF(14, 13.5), QPointF(14.8, 24.5));
  QPainterPath Bumper = Rounded(QRectF(26, 19, 5.5, 2.6), 1.2);
  Outlined(P, Bumper, QColor(190, 192, 200), 0.8);
  Outlined(P, Circle(QPointF(29.2, 16.2), 1.6), QColor(255, 240, 160), 0.8);
  P.setPen(QPen(Ink, 0.7));
  P.drawLine(QPointF(2.5, 18), QPointF(1, 21));
  Outlined(P, Circle(QPointF(1.8, 21.8), 1.3), QColor(255, 200, 120), 0.7);
  QPainterPath Shine;
  Shine.moveTo(5, 14.5);
  Shine.lineTo(10, 13.6);
  Gleam(P, Shine, 1.1, 170);
  QPainterPath Shine2;
  Shine2.moveTo(25.5, 14);
  Shine2.lineTo(29, 15.2);
  Gleam(P, Shine2, 1.0, 140);
}

namespace {
void PaintBottle(QPainter& P, double X, double Bottom, double Width, double Height, const QColor& Glass, double Tilt) {
  P.save();
  P.translate(X, Bottom);
  P.rotate(Tilt);
  const double Neck = Width * 0.36;
  QPainterPath Bottle;
  Bottle.moveTo(-Width / 2, 0);
  Bottle.lineTo(-Width / 2, -Height * 0.55);
  Bottle.cubicTo(-Width / 2, -Height * 0.72, -Neck / 2, -Height * 0.72, -Neck / 2, -Height * 0.8);
  Bottle.lineTo(-Neck / 2, -Height);
  Bottle.lineTo(Neck / 2, -Height);
  Bottle.lineTo(Neck / 2, -Height * 0.8);
  Bottle.cubicTo(Neck / 2, -Height * 0.72, Width / 2, -Height * 0.72, Width / 2, -Height * 0.55);
  Bottle.lineTo(Width / 2, 0);
  Bottle.closeSubpath();
  QLinearGradient Body(QPointF(-Width / 2, 0), QPointF(Width / 2, 0));
  Body.setColorAt(0, Glass.lighter(150));
  Body.setColorAt(0.35, Glass);
  Body.setColorAt(1, Glass.darker(170));
  Outlined(P, Bottle, Body, 1.1);
  // Label and cap.
  Outlined(P, Rounded(QRectF(-Width / 2 + 0.6, -Height * 0.45, Width - 1.2, Height * 0.22), 0.5),
           QColor(240, 232, 200), 0.7);
  Outlined(P, Rounded(QRectF(-Neck / 2 - 0.5, -Height - 1.6, Neck + 1, 2.2), 0.6), QColor(210, 170, 60), 0.7);
  QPainterPath Shine;
  Shine.moveTo(-Width / 2 + 1.6, -Height * 0.1);
  Shine.lineTo(-Width / 2 + 1.6, -Height * 0.52);
  Gleam(P, Shine, 1.2, 200);
  P.restore();
}
} // namespace

void PaintBottles(QPainter& P) {
  PaintBottle(P, 8, 31, 8.5, 21, QColor(150, 80, 30, 235), -8);
  PaintBottle(P, 24.5, 31, 8, 19, QColor(70, 140, 200, 225), 9);
  PaintBottle(P, 16, 31.5, 9.5, 28, QColor(40, 150, 60, 235), 0);
}

void PaintMetal(QPainter& P) {
  // A torn, bent sheet of corrugated iron, half rusted.
  QPainterPath Sheet = Polygon({{2, 9}, {24, 3}, {30.5, 7}, {29, 13}, {31, 17}, {28.5, 27}, {7, 30.5},
                                {4, 26}, {1.2, 22}, {3, 17}});
  QLinearGradient Steel(QPointF(0, 0), QPointF(32, 32));
  Steel.setColorAt(0, QColor(185, 200, 212));
  Steel.setColorAt(1, QColor(95, 110, 128));
  Outlined(P, Sheet, Steel, 1.3);
  P.save();
  P.setClipPath(Sheet);
  // Corrugation: light and dark ridges.
  for (int I = -2; I < 10; ++I) {
    const double Off = I * 4.2;
    P.setPen(QPen(QColor(255, 255, 255, 110), 1.3));
    P.drawLine(QPointF(Off, 34), QPointF(Off + 10, 0));
    P.setPen(QPen(QColor(30, 40, 60, 110), 1.3));
    P.drawLine(QPointF(Off + 2.1, 34), QPointF(Off + 12.1, 0));
  }
  // Rust blooms.
  TDice Dice(31);
  for (int I = 0; I < 7; ++I) {
    const QPointF At(Dice.Range(4, 28), Dice.Range(8, 28));
    QRadialGradient Rust(At, Dice.Range(3, 6));
    Rust.setColorAt(0, QColor(170, 80, 30, 230));
    Rust.setColorAt(0.7, QColor(150, 70, 30, 120));
    Rust.setColorAt(1, QColor(150, 70, 30, 0));
    P.setPen(Qt::NoPen);
    P.setBrush(Rust);
    P.drawEllipse(At, 6, 6);
  }
  P.restore();
  // The bend: a fold across the sheet.
  P.setPen(QPen(Ink, 0.9));
  P.drawLine(QPointF(3, 17), QPointF(29, 13));
  for (const QPointF& At : {QPointF(6, 11), QPointF(20, 7), QPointF(8, 25), QPointF(25, 23)})
    Rivet(P, At, 1.0);
}

void PaintMetal2(QPainter& P) {
  // A big rusty cogwheel with a bent bolt stuck through it.
  const QPointF C(16, 16.5);
  QPainterPath Gear = Circle(C, 11);
  for (int I = 0; I < 10; ++I) {
    QPainterPath Tooth;
    Tooth.addRoundedRect(QRectF(-2.4, -15, 4.8, 5.5), 0.8, 0.8);
    QTransform T;
    T.translate(C.x(), C.y());
    T.rotate(I * 36 + 8);
    Gear = Gear.united(T.map(Tooth));
  }
  QPainterPath Hub = Circle(C, 3.4);
  Gear = Gear.subtracted(Hub);
  for (int I = 0; I < 4; ++I) {
    const double A = I * Pi / 2 + 0.4;
    Gear = Gear.subtracted(Circle(C + QPointF(6.8 * std::cos(A), 6.8 * std::sin(A)), 2.0));
  }
  QRadialGradient Iron(C - QPointF(5, 6), 20);
  Iron.setColorAt(0, QColor(235, 160, 90));
  Iron.setColorAt(0.5, QColor(185, 95, 40));
  Iron.setColorAt(1, QColor(110, 50, 25));
  Outlined(P, Gear, Iron, 1.3);
  P.setPen(QPen(QColor(255, 220, 170, 120), 1.0));
  P.setBrush(Qt::NoBrush);
  P.drawEllipse(C, 8.6, 8.6);
  // The bolt.
  P.save();
  P.translate(C);
  P.rotate(-28);
  QPainterPath Bolt;
  Bolt.moveTo(-15, -1.2);
  Bolt.lineTo(4, -1.2);
  Bolt.quadTo(10, -1.5, 14, -5);
  Bolt.lineTo(15.5, -3);
  Bolt.quadTo(11, 1.5, 4, 1.2);
  Bolt.lineTo(-15, 1.2);
  Bolt.closeSubpath();
  Outlined(P, Bolt, Shade(QPointF(0, -2), QPointF(0, 2), QColor(220, 225, 235), QColor(110, 118, 130)), 1.0);
  Outlined(P, Rounded(QRectF(-17, -3, 3.4, 6), 0.8),
           Shade(QPointF(0, -3), QPointF(0, 3), QColor(210, 215, 225), QColor(100, 108, 120)), 1.0);
  P.restore();
}

void PaintBrick(QPainter& P) {
  // A little stack of house bricks.
  const QColor Clay(200, 75, 45);
  const struct {
    QRectF R;
    double Tilt;
  } Bricks[] = {
      {{1, 23, 15, 8}, 0}, {{16.5, 23, 15, 8}, 0}, {{8.5, 14.5, 15, 8}, 0}, {{4, 6.5, 15, 8}, -7}, {{19, 9, 11, 5.5}, 14},
  };
  for (const auto& B : Bricks) {
    P.save();
    P.translate(B.R.center());
    P.rotate(B.Tilt);
    const QRectF R(-B.R.width() / 2, -B.R.height() / 2, B.R.width(), B.R.height());
    QLinearGradient Face(R.topLeft(), R.bottomLeft());
    Face.setColorAt(0, Clay.lighter(135));
    Face.setColorAt(0.25, Clay);
    Face.setColorAt(1, Clay.darker(150));
    Outlined(P, Rounded(R, 1.2), Face, 1.2);
    // Frog holes and speckles in the clay.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(110, 35, 20, 150));
    P.drawEllipse(R.center() + QPointF(-R.width() / 4, 0.5), 1.1, 0.8);
    P.drawEllipse(R.center() + QPointF(R.width() / 4, 0.5), 1.1, 0.8);
    QPainterPath Edge;
    Edge.moveTo(R.left() + 1.5, R.top() + 1.2);
    Edge.lineTo(R.right() - 1.5, R.top() + 1.2);
    Gleam(P, Edge, 0.9, 120);
    P.restore();
  }
}

void PaintToilet(QPainter& P) {
  const QColor Porcelain(245, 248, 252), Shadow(150, 170, 195);
  // Tank at the back.
  Outlined(P, Rounded(QRectF(3, 2.5, 10, 17), 2), Shade(QPointF(3, 0), QPointF(13, 0), Porcelain, Shadow), 1.2);
  Outlined(P, Rounded(QRectF(2, 1, 12, 3.4), 1.2), Shade(QPointF(0, 1), QPointF(0, 4.4), Porcelain, Shadow), 1.0);
  Outlined(P, Rounded(QRectF(10.5, 6, 4.5, 1.8), 0.8), QColor(200, 205, 215), 0.7); // flush handle
  // Bowl and pedestal.
  QPainterPath Bowl;
  Bowl.moveTo(11, 15);
  Bowl.lineTo(30.5, 15);
  Bowl.cubicTo(30.5, 22, 26, 24.5, 21, 25);
  Bowl.lineTo(22, 30.5);
  Bowl.lineTo(11.5, 30.5);
  Bowl.lineTo(13, 25);
  Bowl.cubicTo(11.5, 23, 11, 19, 11, 15);
  Bowl.closeSubpath();
  QLinearGradient Glaze(QPointF(11, 15), QPointF(30, 30));
  Glaze.setColorAt(0, Porcelain);
  Glaze.setColorAt(1, Shadow);
  Outlined(P, Bowl, Glaze, 1.2);
  // Seat and the open lid leaning on the tank.
  Outlined(P, Rounded(QRectF(10, 12.8, 21.5, 3), 1.4), Shade(QPointF(0, 12.8), QPointF(0, 15.8), QColor(255, 255, 255), QColor(180, 195, 215)), 1.0);
  QPainterPath Lid = Polygon({{13.5, 12.8}, {15.5, 3.5}, {18, 3.8}, {16.3, 12.8}});
  Outlined(P, Lid, Shade(QPointF(13, 0), QPointF(18, 0), Porcelain, Shadow), 1.0);
  QPainterPath Shine;
  Shine.moveTo(5, 5);
  Shine.lineTo(5, 16);
  Gleam(P, Shine, 1.3, 230);
  QPainterPath Shine2;
  Shine2.moveTo(14.5, 18);
  Shine2.quadTo(15, 22, 18, 23);
  Gleam(P, Shine2, 1.2, 230);
  P.setPen(QPen(Shadow.darker(130), 0.7));
  P.drawLine(QPointF(14, 27.5), QPointF(20, 27.5));
}

void PaintBarrel(QPainter& P) {
  // A red oil drum with hazard stripes and the exploding-bomb sign.
  const QRectF R(4.5, 3, 23, 28);
  QPainterPath Drum;
  Drum.moveTo(R.left() + 1.5, R.top() + 2);
  Drum.cubicTo(R.left() - 0.8, R.top() + 10, R.left() - 0.8, R.bottom() - 10, R.left() + 1.5, R.bottom() - 1);
  Drum.quadTo(R.center().x(), R.bottom() + 1.5, R.right() - 1.5, R.bottom() - 1);
  Drum.cubicTo(R.right() + 0.8, R.bottom() - 10, R.right() + 0.8, R.top() + 10, R.right() - 1.5, R.top() + 2);
  Drum.quadTo(R.center().x(), R.top() - 0.5, R.left() + 1.5, R.top() + 2);
  QLinearGradient Red(QPointF(R.left(), 0), QPointF(R.right(), 0));
  Red.setColorAt(0, QColor(160, 20, 20));
  Red.setColorAt(0.28, QColor(250, 80, 60));
  Red.setColorAt(0.5, QColor(215, 35, 30));
  Red.setColorAt(1, QColor(110, 10, 15));
  Outlined(P, Drum, Red, 1.3);
  P.save();
  P.setClipPath(Drum);
  // Hazard bands, top and bottom.
  for (double Y : {R.top() + 3.5, R.bottom() - 7}) {
    P.fillRect(QRectF(0, Y, 32, 4), QColor(250, 205, 40));
    P.setPen(Qt::NoPen);
    P.setBrush(Ink);
    for (double X = -4; X < 34; X += 4.5)
      P.drawPolygon(QPolygonF({QPointF(X, Y + 4), QPointF(X + 2.2, Y + 4), QPointF(X + 4.2, Y), QPointF(X + 2, Y)}));
    P.setPen(QPen(Ink, 0.8));
    P.drawLine(QPointF(0, Y), QPointF(32, Y));
    P.drawLine(QPointF(0, Y + 4), QPointF(32, Y + 4));
  }
  P.fillRect(QRectF(0, 0, 32, 32), Shade(QPointF(R.left(), 0), QPointF(R.right(), 0), QColor(255, 255, 255, 40), QColor(0, 0, 0, 70)));
  P.restore();
  // The warning sign: a burst on a yellow diamond.
  const QPointF C(16, 17);
  QPainterPath Sign = Polygon({C + QPointF(0, -6.6), C + QPointF(6.6, 0), C + QPointF(0, 6.6), C + QPointF(-6.6, 0)});
  Outlined(P, Sign, QColor(255, 215, 50), 1.0);
  QPainterPath Burst;
  for (int I = 0; I < 16; ++I) {
    const double A = I * Pi / 8;
    const double Rad = I % 2 ? 1.6 : 3.7;
    const QPointF Pt = C + QPointF(Rad * std::cos(A), Rad * std::sin(A));
    if (I == 0)
      Burst.moveTo(Pt);
    else
      Burst.lineTo(Pt);
  }
  Burst.closeSubpath();
  P.setPen(Qt::NoPen);
  P.setBrush(Ink);
  P.drawPath(Burst);
  // Top rim.
  P.setPen(QPen(QColor(255, 190, 170, 160), 1.0));
  P.setBrush(Qt::NoBrush);
  P.drawArc(QRectF(R.left() + 2, R.top() - 0.5, R.width() - 4, 4), 0, 180 * 16);
  QPainterPath Shine;
  Shine.moveTo(9, 9);
  Shine.lineTo(9, 12);
  Shine.moveTo(9, 22.5);
  Shine.lineTo(9, 24);
  Gleam(P, Shine, 1.4, 200);
}

void PaintWeight(QPainter& P) {
  // A cast-iron kettlebell stamped "500 kg".
  QPainterPath Handle;
  Handle.addRoundedRect(QRectF(7.5, 1, 17, 15), 7, 7);
  QPainterPath Inner;
  Inner.addRoundedRect(QRectF(11, 4.5, 10, 9), 4, 4);
  Handle = Handle.subtracted(Inner);
  QLinearGradient Iron(QPointF(6, 0), QPointF(26, 0));
  Iron.setColorAt(0, QColor(120, 125, 140));
  Iron.setColorAt(0.3, QColor(80, 84, 98));
  Iron.setColorAt(1, QColor(30, 32, 40));
  Outlined(P, Handle, Iron, 1.3);
  QPainterPath Ball;
  Ball.moveTo(4.5, 26);
  Ball.cubicTo(1.5, 16, 8, 10.5, 16, 10.5);
  Ball.cubicTo(24, 10.5, 30.5, 16, 27.5, 26);
  Ball.lineTo(27, 30.5);
  Ball.lineTo(5, 30.5);
  Ball.closeSubpath();
  QRadialGradient Body(QPointF(11, 15), 20);
  Body.setColorAt(0, QColor(130, 136, 152));
  Body.setColorAt(0.45, QColor(70, 74, 88));
  Body.setColorAt(1, QColor(24, 26, 32));
  Outlined(P, Ball, Body, 1.3);
  const QPainterPath Number = CentredTextPath("500", SansFont(9.5), 16, 23.5);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(0, 0, 0, 140));
  P.drawPath(Number.translated(0.6, 0.6));
  P.setBrush(QColor(250, 225, 120));
  P.drawPath(Number);
  P.setBrush(QColor(230, 230, 235));
  P.drawPath(CentredTextPath("kg", SansFont(6), 16, 29.3));
  QPainterPath Shine;
  Shine.moveTo(7.5, 19);
  Shine.quadTo(8.5, 14, 13, 13);
  Gleam(P, Shine, 1.4, 170);
}

void PaintCargo(QPainter& P) {
  // A wooden shipping crate: planks in a frame, braced corner to corner.
  const QColor Wood(205, 145, 75);
  const QRectF R(1.5, 3, 29, 28);
  Outlined(P, Rounded(R, 1.5), Shade(R.topLeft(), R.bottomRight(), Wood.lighter(118), Wood.darker(130)), 1.3);
  P.save();
  P.setClipRect(R);
  for (int I = 1; I < 4; ++I) {
    const double Y = R.top() + I * R.height() / 4;
    P.setPen(QPen(QColor(110, 60, 25, 200), 0.9));
    P.drawLine(QPointF(R.left(), Y), QPointF(R.right(), Y));
  }
  // Wood grain.
  TDice Dice(55);
  P.setPen(QPen(QColor(140, 85, 40, 110), 0.6));
  for (int I = 0; I < 10; ++I) {
    const double Y = Dice.Range(R.top() + 2, R.bottom() - 2);
    const double X = Dice.Range(R.left() + 3, R.right() - 10);
    P.drawLine(QPointF(X, Y), QPointF(X + Dice.Range(4, 9), Y + Dice.Range(-0.4, 0.4)));
  }
  P.restore();
  // Frame and brace.
  const QColor Board = Wood.darker(112);
  QPainterPath Frame;
  Frame.addRect(R);
  Frame.addRect(R.adjusted(3.2, 3.2, -3.2, -3.2));
  Frame.setFillRule(Qt::OddEvenFill);
  Outlined(P, Frame, Shade(R.topLeft(), R.bottomRight(), Board.lighter(120), Board.darker(125)), 1.0);
  QPainterPath Brace = Polygon({{R.left() + 3.2, R.bottom() - 6.5}, {R.right() - 9.5, R.top() + 3.2},
                                {R.right() - 3.2, R.top() + 3.2}, {R.right() - 3.2, R.top() + 6.5},
                                {R.left() + 9.5, R.bottom() - 3.2}, {R.left() + 3.2, R.bottom() - 3.2}});
  Outlined(P, Brace, Shade(R.topLeft(), R.bottomRight(), Board.lighter(125), Board.darker(120)), 1.0);
  for (const QPointF& At : {R.topLeft() + QPointF(1.6, 1.6), R.topRight() + QPointF(-1.6, 1.6),
                            R.bottomLeft() + QPointF(1.6, -1.6), R.bottomRight() + QPointF(-1.6, -1.6)}) {
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(60, 50, 45));
    P.drawEllipse(At, 0.8, 0.8);
  }
  QPainterPath Edge;
  Edge.moveTo(R.left() + 1.5, R.top() + 1.4);
  Edge.lineTo(R.right() - 1.5, R.top() + 1.4);
  Gleam(P, Edge, 0.9, 110);
}

void PaintPapers(QPainter& P) {
  // A bundle of old newspapers tied with string.
  const QColor Paper(238, 232, 210);
  const double Tilts[] = {2, -3, 4, -1.5, 1};
  for (int I = 0; I < 5; ++I) {
    P.save();
    P.translate(16, 28.5 - I * 4.2);
    P.rotate(Tilts[I]);
    const QRectF Sheet(-14.5 + (I % 2), -2.6, 28.5, 5.2);
    Outlined(P, Rounded(Sheet, 1), Shade(Sheet.topLeft(), Sheet.bottomLeft(), Paper, Paper.darker(125)), 1.0);
    P.setPen(QPen(QColor(150, 145, 130, 160), 0.5));
    for (double Y = Sheet.top() + 1.8; Y < Sheet.bottom() - 0.8; Y += 1.4)
      P.drawLine(QPointF(Sheet.left() + 1.5, Y), QPointF(Sheet.right() - 1.5, Y));
    P.restore();
  }
  // The top page: a headline and columns of print.
  P.save();
  P.translate(16, 8.5);
  P.rotate(-2);
  const QRectF Top(-14, -6.5, 28, 9);
  Outlined(P, Rounded(Top, 1), Shade(Top.topLeft(), Top.bottomLeft(), Paper.lighter(106), Paper.darker(110)), 1.0);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(40, 40, 50));
  P.drawRect(QRectF(Top.left() + 2, Top.top() + 1.6, 15, 1.8));
  P.setBrush(QColor(110, 110, 120));
  for (double Y = Top.top() + 4.6; Y < Top.bottom() - 1; Y += 1.5)
    P.drawRect(QRectF(Top.left() + 2, Y, 11, 0.7));
  P.setBrush(QColor(150, 150, 160));
  P.drawRect(QRectF(Top.left() + 15, Top.top() + 4.4, 10, 3.6));
  P.restore();
  // String, crossed over the bundle.
  P.setPen(QPen(Ink, 2.4, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(16, 2.5), QPointF(16.5, 31));
  P.setPen(QPen(QColor(190, 140, 70), 1.3, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(16, 2.5), QPointF(16.5, 31));
  QPainterPath Bow;
  Bow.moveTo(16, 2.5);
  Bow.quadTo(11, 0, 12, 3.5);
  Bow.moveTo(16, 2.5);
  Bow.quadTo(21, 0, 20, 3.5);
  P.setPen(QPen(QColor(190, 140, 70), 1.1));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Bow);
}

void PaintWallBlock(QPainter& P) {
  // A chunk of a knocked-down wall: plaster over red brick, rebar sticking out.
  QPainterPath Chunk = Polygon({{1, 4}, {10, 2.5}, {14, 5.5}, {20, 2}, {26, 4.5}, {31, 3}, {30.5, 31}, {1.5, 31}});
  P.save();
  P.setClipPath(Chunk);
  P.fillRect(QRectF(0, 0, 32, 32), QColor(125, 45, 35));
  // Courses of brick.
  for (int Row = 0; Row < 6; ++Row) {
    const double Y = 1.5 + Row * 5;
    for (double X = (Row % 2 ? -5 : 0); X < 32; X += 10) {
      const QRectF B(X + 0.6, Y + 0.6, 8.8, 3.8);
      P.setPen(Qt::NoPen);
      P.setBrush(Shade(B.topLeft(), B.bottomLeft(), QColor(215, 95, 65), QColor(160, 55, 40)));
      P.drawRect(B);
    }
  }
  // Plaster still clinging over most of the face.
  QPainterPath Plaster = Polygon({{0, 0}, {32, 0}, {32, 16}, {26, 18}, {23, 14}, {17, 17}, {12, 13}, {8, 21},
                                  {4, 19}, {0, 26}});
  P.setPen(QPen(QColor(90, 85, 80), 0.9));
  P.setBrush(Shade(QPointF(0, 0), QPointF(0, 26), QColor(205, 200, 190), QColor(150, 145, 138)));
  P.drawPath(Plaster);
  P.setPen(QPen(QColor(95, 90, 85, 160), 0.7));
  P.drawLine(QPointF(6, 6), QPointF(9, 11));
  P.drawLine(QPointF(9, 11), QPointF(7, 14));
  P.drawLine(QPointF(22, 7), QPointF(25, 10));
  P.restore();
  Outlined(P, Chunk, Qt::NoBrush, 1.3);
  // Rebar.
  for (const QLineF& L : {QLineF(9, 4, 6, -2), QLineF(23, 4, 27, -1.5)}) {
    P.setPen(QPen(Ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(L);
    P.setPen(QPen(QColor(150, 110, 90), 1.2, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(L);
  }
  QPainterPath Edge;
  Edge.moveTo(2.5, 5.5);
  Edge.lineTo(9.5, 4.3);
  Gleam(P, Edge, 1.0, 150);
}
