// Entry point of every test program: headless drivers unless the caller chose others.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/families.h"
#include "platform/leak_check_suppressions.h"

#ifdef QV_SANITIZED
#include <dlfcn.h>

namespace {

// SDL loads and unloads the GL driver; leaks inside it would be reported with unknown modules
// that no suppression can name. Keeping its libraries resident lets the suppression list name them.
void keepGraphicsDriversResident() {
  const char* libraries[] = {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "libglapi.so.0", "libgbm.so.1",
                             "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libLLVM-15.so.1"};
  for (const char* name : libraries) dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QUORVANE_HEADLESS", "1", 0);
#ifdef QV_SANITIZED
  keepGraphicsDriversResident();
#endif
  // Tests compile and run game code with every family of the game.
  qv::game::UseGameFamilies();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
