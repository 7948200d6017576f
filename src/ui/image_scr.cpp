#include "ui/image_scr.h"

#include "platform/picture_impl.h"

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

void TImageScr::paintEvent(QPaintEvent* Event) {
  (void)Event;
  QPainter P(this);
  P.drawImage(0, 0, Kept);
  if (!Painted) {
    Painted = true;
    emit FirstPainted();
  }
}
