#include "ui/key_repeat.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// Last: the X11 headers define names Qt uses.
#if QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#endif

TKeyRepeat SystemKeyRepeat() {
#if QT_CONFIG(xcb)
  if (const auto* X11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
      X11 != nullptr && X11->display() != nullptr) {
    unsigned Delay = 0, Interval = 0;
    if (XkbGetAutoRepeatRate(X11->display(), XkbUseCoreKbd, &Delay, &Interval) && Delay > 0 && Interval > 0)
      return {Delay, Interval};
  }
#endif
  return DefaultKeyRepeat;
}
