#include "ui/window_place.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

bool TitleBarOnAScreen(const QRect& Frame) {
  const int TitleHeight = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QRect TitleBar(Frame.topLeft(), QSize(Frame.width(), TitleHeight));
  for (const QScreen* Screen : QGuiApplication::screens())
    if (Screen->geometry().intersects(TitleBar))
      return true;
  return false;
}
