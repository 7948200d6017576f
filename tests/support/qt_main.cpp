#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

// Tests that draw text or open windows need the application object; with no
// display they run on Qt's offscreen platform, and sound goes to SDL's silent driver.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication App(argc, argv);
  return RUN_ALL_TESTS();
}
