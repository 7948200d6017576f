#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <vector>

class QPainter;
class TPicture;
struct TPictureRect;

// The picture control of the main window: it keeps the last picture copied
// into it and repaints itself from that copy whenever the window asks. Zoomed,
// it shows each pixel as a square of screen pixels, scaled once for each
// change of the picture when it is next painted, never in the game's drawing.
class TImageScr : public QWidget {
  Q_OBJECT
public:
  explicit TImageScr(QWidget* Parent);

  void SetPictureSize(int Width, int Height);
  // Copies the whole picture in at (0, 0).
  void CopyFrom(TPicture& Picture);
  // Copies only these rectangles of the picture, each to the same place, and
  // repaints only them.
  void CopyRects(TPicture& Picture, const std::vector<TPictureRect>& Rects);
  const QImage& Image() const { return Kept; }

  // Shows the picture at Zoom screen pixels per pixel on a screen with that
  // device pixel ratio, and takes the size that needs.
  void SetZoom(int aZoom, double aDevicePixelRatio);
  // Shows the picture at Size (in units), between whole factors: each pixel
  // made a square of aZoom screen pixels first (aZoom at or above Size), and
  // only that smoothed down to the size, so a pixel stays flat with at most
  // one blended screen pixel at each edge.
  void SetFitted(int aZoom, const QSize& Size, double aDevicePixelRatio);
  int Zoom() const { return ZoomFactor; }
  // The picture as it goes to the screen, in screen pixels.
  const QImage& ShownImage();

signals:
  // The picture reached the screen for the first time.
  void FirstPainted();

protected:
  void paintEvent(QPaintEvent* Event) override;

private:
  // Part of the picture, in its own pixels, has changed.
  void PictureChanged(const QRect& Area);
  void BringScaledUpToDate();
  void Show(int aZoom, double aDevicePixelRatio, const QSize& aFit);
  void PaintSquares(QPainter& P, const QRegion& Region);

  QImage Kept;
  QImage Scaled;    // Kept at the zoom; empty at 1x on a screen of ratio 1
  QRegion Stale;    // parts of Kept not yet in Scaled
  int ZoomFactor = 1;
  double Ratio = 1.0;
  QSize Fit;        // the size shown between whole factors; empty at a whole factor
  bool Painted = false;
};
