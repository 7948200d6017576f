#include "ui/image_scr.h"

#include "platform/picture_impl.h"
#include "ui/view_scale.h"

#include <QPaintEvent>
#include <QPainter>

#include <cstring>

namespace {
// Copies Area of From into To with every pixel made a Zoom x Zoom square: the
// nearest-neighbour scaling of a whole factor, done row by row. Each factor
// gets its own copy of the loop, so that the compiler unrolls the inner one.
template <int Zoom> void ScaleArea(const QImage& From, const QRect& Area, QImage& To) {
  const int Width = Area.width();
  const std::size_t RowBytes = static_cast<std::size_t>(Width * Zoom) * sizeof(QRgb);
  for (int Y = Area.top(); Y <= Area.bottom(); ++Y) {
    const auto* Source = reinterpret_cast<const QRgb*>(From.constScanLine(Y)) + Area.left();
    auto* First = reinterpret_cast<QRgb*>(To.scanLine(Y * Zoom)) + Area.left() * Zoom;
    QRgb* Out = First;
    for (int X = 0; X < Width; ++X, Out += Zoom)
      for (int I = 0; I < Zoom; ++I)
        Out[I] = Source[X];
    for (int I = 1; I < Zoom; ++I)
      std::memcpy(reinterpret_cast<QRgb*>(To.scanLine(Y * Zoom + I)) + Area.left() * Zoom, First, RowBytes);
  }
}

void ScaleArea(const QImage& From, const QRect& Area, int Zoom, QImage& To) {
  switch (Zoom) {
  case 1: ScaleArea<1>(From, Area, To); break;
  case 2: ScaleArea<2>(From, Area, To); break;
  case 3: ScaleArea<3>(From, Area, To); break;
  case 4: ScaleArea<4>(From, Area, To); break;
  default: {
    // Only full screen on a very large screen goes beyond 4x.
    const QImage Part = From.copy(Area).scaled(Area.size() * Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    for (int Y = 0; Y < Part.height(); ++Y)
      std::memcpy(reinterpret_cast<QRgb*>(To.scanLine(Area.top() * Zoom + Y)) + Area.left() * Zoom, Part.constScanLine(Y),
                  static_cast<std::size_t>(Part.width()) * sizeof(QRgb));
    break;
  }
  }
}
} // namespace

TImageScr::TImageScr(QWidget* Parent) : QWidget(Parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageScr::SetPictureSize(int Width, int Height) {
  Kept = QImage(Width, Height, QImage::Format_ARGB32_Premultiplied);
  Kept.fill(Qt::black);
  SetZoom(ZoomFactor, Ratio);
}

void TImageScr::SetZoom(int aZoom, double aDevicePixelRatio) { Show(aZoom, aDevicePixelRatio, QSize()); }

void TImageScr::SetFitted(int aZoom, const QSize& Size, double aDevicePixelRatio) {
  Show(aZoom, aDevicePixelRatio, Size);
}

void TImageScr::Show(int aZoom, double aDevicePixelRatio, const QSize& aFit) {
  ZoomFactor = aZoom;
  Ratio = aDevicePixelRatio > 0 ? aDevicePixelRatio : 1.0;
  Fit = aFit;
  if (ZoomFactor == 1 && Ratio == 1.0) {
    Scaled = QImage();
  } else {
    // The game's pictures are opaque: as plain RGB the copy to the screen needs no blending.
    Scaled = QImage(Kept.width() * ZoomFactor, Kept.height() * ZoomFactor, QImage::Format_RGB32);
    Scaled.setDevicePixelRatio(Ratio);
  }
  Stale = QRegion(Kept.rect());
  const TViewSize Size = ZoomedSize({Kept.width(), Kept.height()}, ZoomFactor, Ratio);
  setFixedSize(Fit.isEmpty() ? QSize(Size.Width, Size.Height) : Fit);
  update();
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
  PictureChanged(Kept.rect());
}

void TImageScr::PictureChanged(const QRect& Area) {
  if (!Fit.isEmpty()) {
    if (!Scaled.isNull())
      Stale += Area;
    // The smoothing blends each pixel into the screen pixel beside it.
    const double Sx = static_cast<double>(width()) / Kept.width(), Sy = static_cast<double>(height()) / Kept.height();
    update(QRectF(Area.x() * Sx, Area.y() * Sy, Area.width() * Sx, Area.height() * Sy).toAlignedRect().adjusted(-1, -1, 1, 1));
    return;
  }
  if (Scaled.isNull()) {
    update(Area);
    return;
  }
  Stale += Area;
  // The same area on screen, rounded out to whole units.
  const QRectF OnScreen(Area.x() * ZoomFactor / Ratio, Area.y() * ZoomFactor / Ratio, Area.width() * ZoomFactor / Ratio,
                        Area.height() * ZoomFactor / Ratio);
  update(OnScreen.toAlignedRect());
}

void TImageScr::BringScaledUpToDate() {
  if (Scaled.isNull() || Stale.isEmpty())
    return;
  for (const QRect& Area : Stale)
    ScaleArea(Kept, Area, ZoomFactor, Scaled);
  Stale = QRegion();
}

const QImage& TImageScr::ShownImage() {
  if (Scaled.isNull())
    return Kept;
  BringScaledUpToDate();
  return Scaled;
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
    PictureChanged(Part);
  }
}

void TImageScr::paintEvent(QPaintEvent* Event) {
  QPainter P(this);
  P.setCompositionMode(QPainter::CompositionMode_Source);
  if (Fit.isEmpty()) {
    PaintSquares(P, Event->region());
  } else {
    // The painter keeps to the parts asked for: only they are smoothed.
    P.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage& Shown = ShownImage();
    P.drawImage(QRectF(rect()), Shown, QRectF(Shown.rect()));
  }
  if (!Painted) {
    Painted = true;
    emit FirstPainted();
  }
}

void TImageScr::PaintSquares(QPainter& P, const QRegion& Region) {
  const QImage& Shown = ShownImage();
  const double R = Shown.devicePixelRatio();
  const QRectF Picture(QPointF(0, 0), Shown.deviceIndependentSize());
  // Only the parts asked for: a few cells while the game runs. Each takes one
  // screen pixel for each pixel of Shown: no scaling happens here.
  for (const QRect& Part : Region) {
    const QRectF Target = QRectF(Part) & Picture;
    if (!Target.isEmpty())
      P.drawImage(Target, Shown, QRectF(Target.topLeft() * R, Target.size() * R));
  }
  // A screen of fractional ratio may leave a sliver of a unit beside the picture.
  if (Picture.width() < width())
    P.fillRect(QRectF(Picture.width(), 0, width() - Picture.width(), height()), Qt::black);
  if (Picture.height() < height())
    P.fillRect(QRectF(0, Picture.height(), width(), height() - Picture.height()), Qt::black);
}
