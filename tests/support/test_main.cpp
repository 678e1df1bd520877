// Entry point of every test program: headless drivers unless the caller chose others.
#include <gtest/gtest.h>

#include <cstdlib>

// Leak checking (sanitizer builds) ignores fontconfig's own allocations: loading its configuration
// keeps a few blocks that the library never frees, whatever the caller does.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QUORVANE_HEADLESS", "1", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
