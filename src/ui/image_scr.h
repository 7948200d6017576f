#pragma once

#include <QImage>
#include <QWidget>

#include <vector>

class TPicture;
struct TPictureRect;

// The picture control of the main window: it keeps the last picture copied
// into it and repaints itself from that copy whenever the window asks.
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

signals:
  // The picture reached the screen for the first time.
  void FirstPainted();

protected:
  void paintEvent(QPaintEvent* Event) override;

private:
  QImage Kept;
  bool Painted = false;
};
