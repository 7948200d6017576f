#include "ui/dialog_face.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace {
// Where Debian's fonts-wine puts its face with Tahoma's metrics.
const char* const TahomaStandIn = "/usr/share/wine/fonts/tahoma.ttf";
} // namespace

void ProvideTahoma() {
  static bool Provided = false;
  if (Provided)
    return;
  Provided = true;
  if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
    return;
  // Without it a wider face stands in; FitCaption keeps the captions whole then.
  QFontDatabase::addApplicationFont(QString::fromLatin1(TahomaStandIn));
}

void FitCaption(QLabel& Label, int MaxWidth) {
  const auto CaptionWidth = [&Label] { return QFontMetrics(Label.font()).horizontalAdvance(Label.text()); };
  if (CaptionWidth() <= Label.width())
    return;
  QFont Smaller = Label.font();
  int Pixels = QFontInfo(Smaller).pixelSize();
  while (CaptionWidth() > MaxWidth && Pixels > 6) {
    Smaller.setPixelSize(--Pixels);
    Label.setFont(Smaller);
  }
  Label.resize(std::min(MaxWidth, std::max(Label.width(), CaptionWidth())), Label.height());
}
