// The desktop finds the game's window by its name and shows the robot icon,
// drawn for each size rather than shrunk from a large one.
#include <gtest/gtest.h>

#include "ui/app_icon.h"

#include <QApplication>
#include <QIcon>
#include <QImage>

TEST(AppIdentity, NamesTheProgramClankoraForTheDesktop) {
  SetAppIdentity();
  EXPECT_EQ(QGuiApplication::desktopFileName(), "clankora");
  // The window class a desktop matches against the launcher.
  EXPECT_EQ(QCoreApplication::applicationName(), "clankora");
}

TEST(AppIdentity, WindowIconIsTheGeneratedRobotInEverySize) {
  SetAppIdentity();
  const QIcon Icon = QApplication::windowIcon();
  for (int Size : {16, 24, 32, 48, 64, 128, 256, 512}) {
    SCOPED_TRACE(Size);
    const QString File = QStringLiteral(CLANKORA_SOURCE_DIR "/data/icons/hicolor/%1x%1/apps/clankora.png").arg(Size);
    const QImage Drawn(File);
    ASSERT_FALSE(Drawn.isNull()) << File.toStdString();
    const QImage Shown = Icon.pixmap(QSize(Size, Size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(Shown.size(), QSize(Size, Size));
    EXPECT_TRUE(Shown == Drawn.convertToFormat(QImage::Format_ARGB32));
  }
}
