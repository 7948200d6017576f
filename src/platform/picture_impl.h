#pragma once

// Inside the platform layer and the window: the Qt side of the off-screen picture.

#include "platform/picture.h"
#include "platform/sprite_blend.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

struct TPicture::TImpl {
  QImage Image;
  QColor FontColor{Qt::black};
  int FontPoints = 8;
  bool FontBold = false;
  QColor PenColor{Qt::black};
  bool BrushClear = false;
  QPoint PenPos;
  std::optional<QFont> Font; // made on first use: fonts need the application object
  std::optional<QPainter> Painter;
  // Outlined texts drawn once and kept: the status line shows the same few
  // texts frame after frame. Key: text, points, bold, font and outline colour.
  using TTextKey = std::tuple<QString, int, bool, QRgb, QRgb>;
  struct TOutlined {
    QImage Image; // the text and its outline
    QRect Area;   // where the image goes, from the top-left corner of the line
    QRect Line;   // the line itself, whitened under the text unless the brush is clear
  };
  std::map<TTextKey, TOutlined> OutlinedTexts;
  std::optional<QRect> Clip;
  std::uint64_t Draws = 0;          // drawing calls that may have changed pixels
  TDrawRecord* Recording = nullptr; // notes the drawing calls while set
  bool RecordingDraws = true;       // and draws them too
  // The box a text may touch, by font size and text, from (0, 0): laying a
  // text out costs more than the rest of a recording.
  std::vector<std::pair<std::string, QRect>> TextBoxes;

  std::vector<TBlendRun> Runs; // ComposeBand's, kept from one band to the next
  QPainter& Paint();
  // Draws Source at its own size with its alpha channel, top-left corner at
  // Where, within the clip.
  void DrawImage(const QPoint& Where, const QImage& Source);
  QFont& CurrentFont();
  // Ends painting so that the pixels can be read or copied as they stand.
  const QImage& Finished();
  // Notes a call in the recording, if any; false when it must not draw.
  bool Note(const std::string& Call, const QRect& Touched);
  QRect TextBox(const QString& Text);
};
