#include "ui/image_scr.h"

#include "platform/picture_impl.h"

#include <QPaintEvent>
#include <QPainter>

#include <cstring>

TImageScr::TImageScr(QWidget* Parent) : QWidget(Parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageScr::SetPictureSize(int Width, int Height) {
  Kept = QImage(Width, Height, QImage::Format_ARGB32_Premultiplied);
  Kept.fill(Qt::black);
  setFixedSize(Width, Height);
}

void TImageScr::CopyFrom(TPicture& Picture) {
  const QImage& Source = Picture.Impl().Finished();
  if (Source.size() == Kept.size() && Source.format() == Kept.format()) {
    // One plain copy of the frame, into memory that stays ours.
    std::memcpy(Kept.bits(), Source.constBits(), static_cast<std::size_t>(Source.sizeInBytes()));
  } else {
    QPainter P(&Kept);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(0, 0, Source);
  }
  update();
}

void TImageScr::CopyRects(TPicture& Picture, const std::vector<TPictureRect>& Rects) {
  const QImage& Source = Picture.Impl().Finished();
  if (Source.size() != Kept.size() || Source.format() != Kept.format()) {
    CopyFrom(Picture);
    return;
  }
  const QRect Bounds = Kept.rect();
  for (const TPictureRect& R : Rects) {
    const QRect Part = QRect(R.X, R.Y, R.W, R.H) & Bounds;
    if (Part.isEmpty())
      continue;
    const auto Offset = static_cast<std::size_t>(Part.x()) * 4;
    const auto Bytes = static_cast<std::size_t>(Part.width()) * 4;
    for (int Y = Part.top(); Y <= Part.bottom(); ++Y)
      std::memcpy(Kept.scanLine(Y) + Offset, Source.constScanLine(Y) + Offset, Bytes);
    update(Part);
  }
}

void TImageScr::paintEvent(QPaintEvent* Event) {
  QPainter P(this);
  // Only the parts asked for: a few cells while the game runs.
  for (const QRect& Part : Event->region())
    P.drawImage(Part.topLeft(), Kept, Part);
  if (!Painted) {
    Painted = true;
    emit FirstPainted();
  }
}
