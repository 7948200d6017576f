// The player's robot: a yellow junkyard worker with a dark visor and cyan
// eyes, bright enough to stand out against every kind of junk. The game draws
// the front view; the side views and jumps match it.
#include "art.h"
#include "paint_kit.h"

#include <QPainterPathStroker>

#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

// A rounded bar from A to B, Width thick.
QPainterPath Capsule(QPointF A, QPointF B, double Width) {
  QPainterPath Line;
  Line.moveTo(A);
  Line.lineTo(B);
  QPainterPathStroker Stroker;
  Stroker.setWidth(Width);
  Stroker.setCapStyle(Qt::RoundCap);
  return Stroker.createStroke(Line).simplified();
}

QPointF Polar(QPointF From, double Length, double Degrees) {
  const double A = Degrees * Pi / 180;
  return From + QPointF(Length * std::sin(A), Length * std::cos(A));
}

void Eye(QPainter& P, QPointF At, double R, bool Dazed) {
  if (Dazed) {
    P.setPen(QPen(QColor(255, 90, 80), 1.2, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(At + QPointF(-R, -R), At + QPointF(R, R));
    P.drawLine(At + QPointF(-R, R), At + QPointF(R, -R));
    return;
  }
  QRadialGradient Glow(At, R * 1.9);
  Glow.setColorAt(0, QColor(160, 250, 255, 200));
  Glow.setColorAt(1, QColor(40, 200, 255, 0));
  P.setPen(Qt::NoPen);
  P.setBrush(Glow);
  P.drawEllipse(At, R * 1.9, R * 1.9);
  P.setBrush(QColor(90, 235, 255));
  P.drawEllipse(At, R, R);
  P.setBrush(QColor(255, 255, 255));
  P.drawEllipse(At + QPointF(-R * 0.35, -R * 0.35), R * 0.38, R * 0.38);
}

void Antenna(QPainter& P, QPointF Base, QPointF Tip) {
  P.setPen(InkPen(2.2));
  P.drawLine(Base, Tip);
  P.setPen(QPen(RobotSteel.lighter(120), 0.9));
  P.drawLine(Base, Tip);
  QRadialGradient Bulb(Tip - QPointF(0.6, 0.6), 2.4);
  Bulb.setColorAt(0, QColor(255, 200, 190));
  Bulb.setColorAt(1, QColor(220, 30, 30));
  P.setPen(InkPen(0.9));
  P.setBrush(Bulb);
  P.drawEllipse(Tip, 2.1, 2.1);
}

// An arm hanging from Shoulder, swung Angle degrees (0 down, 180 straight up).
void Arm(QPainter& P, QPointF Shoulder, double Angle, double Bend) {
  const QPointF Elbow = Polar(Shoulder, 6.5, Angle);
  const QPointF Hand = Polar(Elbow, 6, Angle + Bend);
  Outlined(P, Capsule(Elbow, Hand, 3.2), RobotMetal(QRectF(Elbow, Hand).normalized().adjusted(-2, 0, 2, 0)), 1.0);
  Outlined(P, Capsule(Shoulder, Elbow, 4.4), RobotBody(QRectF(Shoulder, Elbow).normalized().adjusted(-2.5, 0, 2.5, 0)),
           1.1);
  // A two-fingered grabber.
  P.save();
  P.translate(Hand);
  P.rotate(-(Angle + Bend));
  QPainterPath Claw;
  Claw.moveTo(-2.2, -0.5);
  Claw.quadTo(-3.2, 2.5, -1.2, 3.8);
  Claw.lineTo(-0.6, 3.0);
  Claw.quadTo(-1.6, 1.8, -0.8, 0.5);
  Claw.moveTo(2.2, -0.5);
  Claw.quadTo(3.2, 2.5, 1.2, 3.8);
  Claw.lineTo(0.6, 3.0);
  Claw.quadTo(1.6, 1.8, 0.8, 0.5);
  Outlined(P, Claw, RobotSteel.darker(110), 0.8);
  P.setPen(InkPen(0.8));
  P.setBrush(RobotSteel.darker(130));
  P.drawEllipse(QPointF(0, 0), 1.8, 1.8);
  P.restore();
  P.setPen(InkPen(0.9));
  P.setBrush(RobotSteel);
  P.drawEllipse(Shoulder, 2.4, 2.4);
}

// A leg from Hip, swung Angle degrees forward (toward +x), with a boot.
void Leg(QPainter& P, QPointF Hip, double Length, double Angle, bool Side, bool Far) {
  const QPointF Ankle = Polar(Hip, Length, Angle);
  QLinearGradient Piston = RobotMetal(QRectF(Hip.x() - 2, Hip.y(), 4, Length));
  Outlined(P, Capsule(Hip, Ankle, 3.6), Piston, 1.0);
  P.setPen(QPen(Ink, 0.7));
  const QPointF Knee = (Hip + Ankle) / 2;
  P.drawLine(Knee + QPointF(-1.7, 0), Knee + QPointF(1.7, 0));
  QRectF Boot = Side ? QRectF(Ankle.x() - 3.6, Ankle.y() - 1.5, 9, 5.6) : QRectF(Ankle.x() - 3.6, Ankle.y() - 1.5, 7.2, 5.6);
  QPainterPath Shoe;
  Shoe.addRoundedRect(Boot, 2.2, 2.2);
  const QColor Tone = Far ? RobotPaint.darker(130) : RobotPaint;
  Outlined(P, Shoe, Shade(Boot.topLeft(), Boot.bottomLeft(), Tone.lighter(120), Tone.darker(140)), 1.0);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(50, 46, 56));
  P.drawRoundedRect(QRectF(Boot.left() + 0.6, Boot.bottom() - 1.8, Boot.width() - 1.2, 1.3), 0.6, 0.6);
}

void PaintFront(QPainter& P, const TRobotPose& Pose) {
  const double Drop = 4 * Pose.Crouch;
  const double LegLength = 10 - Drop;
  // Legs and boots.
  Leg(P, QPointF(12.5, 45 + Drop), LegLength, -Pose.Crouch * 18, false, false);
  Leg(P, QPointF(19.5, 45 + Drop), LegLength, Pose.Crouch * 18, false, false);
  P.translate(0, Drop);
  // Arms behind the body when raised, beside it when down.
  const double ArmAngle = 12 + 150 * Pose.ArmsUp;
  Arm(P, QPointF(7, 30.5), -ArmAngle, -10 + 20 * Pose.ArmsUp);
  P.save();
  P.translate(32, 0);
  P.scale(-1, 1);
  Arm(P, QPointF(7, 30.5), -ArmAngle, -10 + 20 * Pose.ArmsUp);
  P.restore();
  // Neck, torso, chest panel, belt.
  const QRectF Neck(13, 23, 6, 5);
  P.setPen(InkPen(1.0));
  P.setBrush(RobotMetal(Neck));
  P.drawRect(Neck);
  const QRectF Torso(7.5, 27, 17, 18.5);
  QPainterPath Chest;
  Chest.addRoundedRect(Torso, 3.5, 3.5);
  Outlined(P, Chest, RobotBody(Torso), 1.3);
  const QRectF Panel(11, 30, 10, 8.5);
  QPainterPath PanelPath;
  PanelPath.addRoundedRect(Panel, 1.5, 1.5);
  Outlined(P, PanelPath, Shade(Panel.topLeft(), Panel.bottomLeft(), QColor(70, 78, 96), QColor(30, 34, 46)), 0.9);
  const QColor Lights[] = {QColor(255, 80, 70), QColor(90, 240, 120), QColor(255, 220, 60)};
  for (int I = 0; I < 3; ++I) {
    P.setPen(Qt::NoPen);
    P.setBrush(Lights[I]);
    P.drawEllipse(QPointF(13 + I * 3, 32.6), 1.0, 1.0);
  }
  P.setPen(QPen(QColor(140, 150, 170), 0.7));
  for (int I = 0; I < 3; ++I)
    P.drawLine(QPointF(12.5, 35 + I * 1.2), QPointF(19.5, 35 + I * 1.2));
  const QRectF Belt(8, 41.5, 16, 3.5);
  P.setPen(InkPen(0.9));
  P.setBrush(QColor(60, 62, 74));
  P.drawRect(Belt);
  P.setBrush(QColor(200, 200, 210));
  P.drawRect(QRectF(14.5, 41.8, 3, 2.9));
  QPainterPath Shine;
  Shine.moveTo(9.5, 30);
  Shine.lineTo(9.5, 39);
  Gleam(P, Shine, 1.2, 150);
  // Head.
  Antenna(P, QPointF(16, 9), QPointF(16, 3.5));
  const QRectF Head(7, 8, 18, 16);
  QPainterPath Skull;
  Skull.addRoundedRect(Head, 4.5, 4.5);
  Outlined(P, Skull, RobotBody(Head), 1.3);
  for (double X : {6.2, 25.8}) {
    P.setPen(InkPen(0.9));
    P.setBrush(RobotSteel);
    P.drawEllipse(QPointF(X, 16.5), 1.8, 2.6);
  }
  const QRectF Visor(9, 12, 14, 8);
  QPainterPath VisorPath;
  VisorPath.addRoundedRect(Visor, 3, 3);
  Outlined(P, VisorPath, Shade(Visor.topLeft(), Visor.bottomLeft(), QColor(40, 50, 80), QColor(14, 16, 30)), 1.0);
  Eye(P, QPointF(12.9, 16), 2.1, Pose.Dazed);
  Eye(P, QPointF(19.1, 16), 2.1, Pose.Dazed);
  // Mouth grille.
  P.setPen(QPen(Ink, 0.8));
  for (int I = 0; I < 4; ++I)
    P.drawLine(QPointF(13 + I * 2, 21), QPointF(13 + I * 2, 22.6));
  QPainterPath HeadShine;
  HeadShine.moveTo(9.5, 10.8);
  HeadShine.lineTo(15, 10.2);
  Gleam(P, HeadShine, 1.2, 190);
}

// The side view, facing right; the left view is its mirror image.
void PaintSide(QPainter& P, const TRobotPose& Pose) {
  constexpr double StrideDegrees = 34;
  const double LegLength = 10 - 4 * Pose.Crouch * 0.8;
  // Legs apart lower the body until both boots touch the ground: the body
  // bobs down a pixel or two at each stride and rises as the legs pass.
  const double Bob = std::round(LegLength * (1 - std::cos(Pose.Stride * StrideDegrees * Pi / 180)));
  const double Drop = 4 * Pose.Crouch + Bob;
  const QPointF Hip(16, 45 + Drop);
  // The far leg first, in shadow; the far arm is hidden behind the body.
  Leg(P, Hip, LegLength, -Pose.Stride * StrideDegrees - Pose.Crouch * 20, true, true);
  Leg(P, Hip, LegLength, Pose.Stride * StrideDegrees + Pose.Crouch * 30, true, false);
  P.translate(0, Drop);
  const QRectF Neck(13.5, 23, 5.5, 5);
  P.setPen(InkPen(1.0));
  P.setBrush(RobotMetal(Neck));
  P.drawRect(Neck);
  const QRectF Torso(9.5, 27, 14, 18.5);
  QPainterPath Chest;
  Chest.addRoundedRect(Torso, 3.5, 3.5);
  Outlined(P, Chest, RobotBody(Torso), 1.3);
  // Vents on the side and a backpack battery.
  const QRectF Pack(6.5, 29, 4, 11);
  QPainterPath PackPath;
  PackPath.addRoundedRect(Pack, 1.2, 1.2);
  Outlined(P, PackPath, RobotMetal(Pack), 1.0);
  P.setPen(QPen(RobotPaint.darker(170), 0.8));
  for (int I = 0; I < 3; ++I)
    P.drawLine(QPointF(15, 32 + I * 2), QPointF(21, 32 + I * 2));
  const QRectF Belt(10, 41.5, 13, 3.5);
  P.setPen(InkPen(0.9));
  P.setBrush(QColor(60, 62, 74));
  P.drawRect(Belt);
  QPainterPath Shine;
  Shine.moveTo(11.5, 30);
  Shine.lineTo(11.5, 39);
  Gleam(P, Shine, 1.2, 150);
  // Near arm over the body.
  // The near arm swings against the near leg, elbow bent forward.
  Arm(P, QPointF(16, 31), -Pose.Stride * 40 - Pose.Crouch * 35 + Pose.ArmsUp * 150, 35 - Pose.ArmsUp * 20);
  // Head, looking ahead.
  Antenna(P, QPointF(12, 9), QPointF(10.5, 3.5));
  const QRectF Head(8, 8, 17, 16);
  QPainterPath Skull;
  Skull.addRoundedRect(Head, 4.5, 4.5);
  Outlined(P, Skull, RobotBody(Head), 1.3);
  P.setPen(InkPen(0.9));
  P.setBrush(RobotSteel);
  P.drawEllipse(QPointF(12.5, 16.5), 2.2, 2.8);
  const QRectF Visor(17, 11.5, 8.5, 8.5);
  QPainterPath VisorPath;
  VisorPath.addRoundedRect(Visor, 3, 3);
  Outlined(P, VisorPath, Shade(Visor.topLeft(), Visor.bottomLeft(), QColor(40, 50, 80), QColor(14, 16, 30)), 1.0);
  Eye(P, QPointF(21.8, 15.8), 2.1, Pose.Dazed);
  QPainterPath HeadShine;
  HeadShine.moveTo(10, 10.8);
  HeadShine.lineTo(15, 10.2);
  Gleam(P, HeadShine, 1.2, 190);
}
} // namespace

void PaintRobot(QPainter& P, const TRobotPose& Pose) {
  P.save();
  P.translate(0, -Pose.Lift);
  if (Pose.Facing == TFacing::Front) {
    PaintFront(P, Pose);
  } else {
    if (Pose.Facing == TFacing::Left) {
      P.translate(32, 0);
      P.scale(-1, 1);
    }
    PaintSide(P, Pose);
  }
  P.restore();
}
