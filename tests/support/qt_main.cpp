#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

// Tests that draw text or open windows need the application object; with no
// display they run on Qt's offscreen platform.
int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication App(argc, argv);
  return RUN_ALL_TESTS();
}
