// Entry point of every test program: headless drivers unless the caller chose others.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QUORVANE_HEADLESS", "1", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
