#pragma once

// Inside the platform layer and the window: the Qt side of the off-screen picture.

#include "platform/picture.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <optional>

struct TPicture::TImpl {
  QImage Image;
  QColor FontColor{Qt::black};
  int FontPoints = 8;
  QColor PenColor{Qt::black};
  bool BrushClear = false;
  QPoint PenPos;
  std::optional<QFont> Font; // made on first use: fonts need the application object
  std::optional<QPainter> Painter;

  QPainter& Paint();
  QFont& CurrentFont();
  // Ends painting so that the pixels can be read or copied as they stand.
  const QImage& Finished();
};
