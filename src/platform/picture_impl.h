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
  std::optional<QRect> Clip;
  TDrawRecord* Recording = nullptr; // notes the drawing calls while set
  bool RecordingDraws = true;       // and draws them too

  QPainter& Paint();
  QFont& CurrentFont();
  // Ends painting so that the pixels can be read or copied as they stand.
  const QImage& Finished();
  // Notes a call in the recording, if any; false when it must not draw.
  bool Note(const std::string& Call, const QRect& Touched);
};
