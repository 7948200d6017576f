#include <gtest/gtest.h>

#include <cstdlib>

// Tests never wait for a sound card: unless told otherwise, audio goes to SDL's silent driver.
int main(int argc, char** argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
