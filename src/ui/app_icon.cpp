#include "ui/app_icon.h"

#include <QApplication>
#include <QIcon>
#include <QString>

namespace {
// The sizes the icon is drawn in, built into the program so that a window
// shows its icon wherever the game runs from.
constexpr int IconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
} // namespace

void SetAppIdentity() {
  QApplication::setApplicationName(QStringLiteral("clankora"));
  QGuiApplication::setDesktopFileName(QStringLiteral("clankora"));
  QIcon Icon;
  for (int Size : IconSizes)
    Icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/clankora.png").arg(Size), QSize(Size, Size));
  QApplication::setWindowIcon(Icon);
}
