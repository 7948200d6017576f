#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <QString>

#include <cstdint>

// The shared look of every picture: dark ink outlines, light from the top left.
inline const QColor Ink(28, 22, 34);

// The robot's yellow paint and its steel, for its sprites and the game's icon alike.
inline const QColor RobotPaint(250, 196, 40);
inline const QColor RobotSteel(150, 158, 172);

// The robot's painted and metal parts, lit from the left.
QLinearGradient RobotBody(const QRectF& R);
QLinearGradient RobotMetal(const QRectF& R);

// A picture of the given size, fully transparent.
QImage NewPicture(int Width, int Height);

// Turns on the anti-aliasing every picture is drawn with.
void Prepare(QPainter& P);

QPen InkPen(double Width = 1.3);

// Colour between A (T = 0) and B (T = 1).
QColor Blend(const QColor& A, const QColor& B, double T);

// A gradient from Light at From to Dark at To.
QLinearGradient Shade(QPointF From, QPointF To, const QColor& Light, const QColor& Dark);

// Fills Path with Fill and draws its ink outline.
void Outlined(QPainter& P, const QPainterPath& Path, const QBrush& Fill, double OutlineWidth = 1.3);

// A soft white gleam along a short curve, for shiny surfaces.
void Gleam(QPainter& P, const QPainterPath& Path, double Width, int Alpha = 170);

// A fixed-seed dice, so every picture comes out the same on every run.
class TDice {
public:
  explicit TDice(std::uint32_t Seed) : State(Seed ? Seed : 1u) {}
  double Unit();                      // 0 to 1
  double Range(double Lo, double Hi); // Lo to Hi
  int Below(int N);                   // 0 to N - 1

private:
  std::uint32_t State;
};

// The game's typefaces, chosen by name so every machine draws the same letters.
QFont SansFont(double PixelSize, bool Bold = true);
QFont MonoFont(double PixelSize, bool Bold = true);

// Text as a path with its left end of the baseline at Origin.
QPainterPath TextPath(const QString& Text, const QFont& Font, QPointF Origin);

// Text as a path, centred on X, baseline at Y.
QPainterPath CentredTextPath(const QString& Text, const QFont& Font, double X, double Y);

// Poster-style text: a drop shadow, a thick ink outline and the fill.
void PosterText(QPainter& P, const QPainterPath& Path, const QBrush& Fill, double OutlineWidth, QPointF ShadowOffset);
