#include "paint_kit.h"

#include <algorithm>

QImage NewPicture(int Width, int Height) {
  QImage Image(Width, Height, QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  return Image;
}

void Prepare(QPainter& P) { P.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform); }

QPen InkPen(double Width) {
  QPen Pen(Ink, Width);
  Pen.setJoinStyle(Qt::RoundJoin);
  Pen.setCapStyle(Qt::RoundCap);
  return Pen;
}

QColor Blend(const QColor& A, const QColor& B, double T) {
  const auto Mix = [T](int X, int Y) { return std::clamp(int(X + (Y - X) * T + 0.5), 0, 255); };
  return QColor(Mix(A.red(), B.red()), Mix(A.green(), B.green()), Mix(A.blue(), B.blue()), Mix(A.alpha(), B.alpha()));
}

QLinearGradient Shade(QPointF From, QPointF To, const QColor& Light, const QColor& Dark) {
  QLinearGradient G(From, To);
  G.setColorAt(0, Light);
  G.setColorAt(1, Dark);
  return G;
}

void Outlined(QPainter& P, const QPainterPath& Path, const QBrush& Fill, double OutlineWidth) {
  P.save();
  P.setPen(OutlineWidth > 0 ? InkPen(OutlineWidth) : QPen(Qt::NoPen));
  P.setBrush(Fill);
  P.drawPath(Path);
  P.restore();
}

void Gleam(QPainter& P, const QPainterPath& Path, double Width, int Alpha) {
  P.save();
  QPen Pen(QColor(255, 255, 255, Alpha), Width);
  Pen.setCapStyle(Qt::RoundCap);
  P.setPen(Pen);
  P.setBrush(Qt::NoBrush);
  P.drawPath(Path);
  P.restore();
}

double TDice::Unit() {
  State ^= State << 13;
  State ^= State >> 17;
  State ^= State << 5;
  return double(State) / 4294967296.0;
}

double TDice::Range(double Lo, double Hi) { return Lo + (Hi - Lo) * Unit(); }

int TDice::Below(int N) { return std::min(N - 1, int(Unit() * N)); }

namespace {
QFont MakeFont(const char* Family, double PixelSize, bool Bold) {
  QFont F(Family);
  F.setPixelSize(std::max(1, int(PixelSize + 0.5)));
  F.setBold(Bold);
  F.setHintingPreference(QFont::PreferNoHinting);
  F.setStyleStrategy(QFont::NoFontMerging);
  return F;
}
} // namespace

QFont SansFont(double PixelSize, bool Bold) { return MakeFont("DejaVu Sans", PixelSize, Bold); }

QFont MonoFont(double PixelSize, bool Bold) { return MakeFont("DejaVu Sans Mono", PixelSize, Bold); }

QPainterPath TextPath(const QString& Text, const QFont& Font, QPointF Origin) {
  QPainterPath Path;
  Path.addText(Origin, Font, Text);
  return Path;
}

QPainterPath CentredTextPath(const QString& Text, const QFont& Font, double X, double Y) {
  QPainterPath Path;
  Path.addText(QPointF(0, Y), Font, Text);
  const QRectF Box = Path.boundingRect();
  return Path.translated(X - Box.center().x(), 0);
}

void PosterText(QPainter& P, const QPainterPath& Path, const QBrush& Fill, double OutlineWidth, QPointF ShadowOffset) {
  P.save();
  P.setBrush(QColor(0, 0, 0, 150));
  P.setPen(QPen(QColor(0, 0, 0, 150), OutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPath(Path.translated(ShadowOffset));
  P.setPen(QPen(Ink, OutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPath(Path);
  P.setPen(Qt::NoPen);
  P.setBrush(Fill);
  P.drawPath(Path);
  P.restore();
}

QLinearGradient RobotBody(const QRectF& R) {
  QLinearGradient G(R.topLeft(), R.topRight());
  G.setColorAt(0, RobotPaint.lighter(125));
  G.setColorAt(0.35, RobotPaint);
  G.setColorAt(1, RobotPaint.darker(150));
  return G;
}

QLinearGradient RobotMetal(const QRectF& R) {
  QLinearGradient G(R.topLeft(), R.topRight());
  G.setColorAt(0, RobotSteel.lighter(135));
  G.setColorAt(1, RobotSteel.darker(150));
  return G;
}
